#include "platform/dov/DovAudioDevice.h"

#include <cstring>
#include <optional>
#include <string>

#include "platform/dov/DovMixer.h"
#include "platform/dov/SdlAudio.h"

namespace {

constexpr int kDeviceFrames = 1024;
constexpr const char* kDummyDriver = "dummy";

// Chooses SDL's audio driver for one start and puts the earlier choice back.
class DriverChoice {
public:
    DriverChoice(SdlAudio& sdl, const char* driver) : sdl_(sdl) {
        if (driver == nullptr) {
            return;
        }
        if (const char* current = sdl_.GetHint(SDL_HINT_AUDIODRIVER)) {
            previous_ = std::string(current);
        }
        sdl_.SetHint(SDL_HINT_AUDIODRIVER, driver);
        changed_ = true;
    }
    ~DriverChoice() {
        if (!changed_) {
            return;
        }
        if (previous_) {
            sdl_.SetHint(SDL_HINT_AUDIODRIVER, previous_->c_str());
        } else {
            sdl_.ResetHint(SDL_HINT_AUDIODRIVER);
        }
    }
    DriverChoice(const DriverChoice&) = delete;
    DriverChoice& operator=(const DriverChoice&) = delete;

private:
    SdlAudio& sdl_;
    std::optional<std::string> previous_;
    bool changed_ = false;
};

int bcd(int value) {
    return ((value / 10) % 10) << 4 | value % 10;
}

}  // namespace

DovAudioDevice::DovAudioDevice(SdlAudio& sdl) : sdl_(sdl) {}

DovAudioDevice::~DovAudioDevice() {
    close();
}

bool DovAudioDevice::open(bool silent, Fill fill, QString& error) {
    close();
    if (!sdl_.load(error)) {
        return false;
    }
    fill_ = std::move(fill);
    fallbackReason_.clear();
    if (!silent) {
        QString reason;
        if (start(nullptr, reason)) {
            silent_ = driverName() == QLatin1String(kDummyDriver);
            return true;
        }
        fallbackReason_ = reason;
    }
    if (start(kDummyDriver, error)) {
        silent_ = true;
        return true;
    }
    fill_ = nullptr;
    return false;
}

bool DovAudioDevice::start(const char* driver, QString& error) {
    // The host program handles its own signals.
    sdl_.SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    {
        const DriverChoice choice(sdl_, driver);
        if (sdl_.InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = QString::fromUtf8(sdl_.GetError());
            return false;
        }
    }
    subsystemUp_ = true;
    SDL_AudioSpec wanted;
    std::memset(&wanted, 0, sizeof wanted);
    wanted.freq = DovMixer::kRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = DovMixer::kChannels;
    wanted.samples = kDeviceFrames;
    wanted.callback = &DovAudioDevice::callback;
    wanted.userdata = this;
    // SDL converts to whatever the device takes.
    device_ = sdl_.OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        error = QString::fromUtf8(sdl_.GetError());
        stopSubsystem();
        return false;
    }
    sdl_.PauseAudioDevice(device_, 0);
    return true;
}

void DovAudioDevice::close() {
    if (device_ != 0) {
        sdl_.CloseAudioDevice(device_);
        device_ = 0;
    }
    stopSubsystem();
    fill_ = nullptr;
}

void DovAudioDevice::stopSubsystem() {
    if (subsystemUp_) {
        sdl_.QuitSubSystem(SDL_INIT_AUDIO);
        subsystemUp_ = false;
    }
}

QString DovAudioDevice::driverName() const {
    const char* name = subsystemUp_ ? sdl_.GetCurrentAudioDriver() : nullptr;
    return name == nullptr ? QString() : QString::fromUtf8(name);
}

void DovAudioDevice::releaseThreadState() {
    QString unavailable;
    if (sdl_.load(unavailable)) {
        sdl_.TLSCleanup();
    }
}

std::int32_t DovAudioDevice::layerVersion(SdlAudio& sdl) {
    QString unavailable;
    if (!sdl.load(unavailable)) {
        return 0;
    }
    SDL_version version;
    sdl.GetVersion(&version);
    return bcd(version.major) << 8 | bcd(version.minor);
}

void DovAudioDevice::callback(void* self, std::uint8_t* stream, int length) {
    auto* device = static_cast<DovAudioDevice*>(self);
    auto* out = reinterpret_cast<float*>(stream);
    const int frames = length / static_cast<int>(sizeof(float) * DovMixer::kChannels);
    if (device->fill_) {
        device->fill_(out, frames);
    } else {
        std::memset(stream, 0, static_cast<std::size_t>(length));
    }
}
