#include "platform/dov/DovAudioDevice.h"

#include <SDL.h>

#include <cstring>
#include <optional>
#include <string>

#include "platform/dov/DovMixer.h"

namespace {

constexpr int kDeviceFrames = 1024;
constexpr const char* kDummyDriver = "dummy";

// Chooses SDL's audio driver for one start and puts the earlier choice back.
class DriverChoice {
public:
    explicit DriverChoice(const char* driver) {
        if (driver == nullptr) {
            return;
        }
        if (const char* current = SDL_GetHint(SDL_HINT_AUDIODRIVER)) {
            previous_ = std::string(current);
        }
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
        changed_ = true;
    }
    ~DriverChoice() {
        if (!changed_) {
            return;
        }
        if (previous_) {
            SDL_SetHint(SDL_HINT_AUDIODRIVER, previous_->c_str());
        } else {
            SDL_ResetHint(SDL_HINT_AUDIODRIVER);
        }
    }
    DriverChoice(const DriverChoice&) = delete;
    DriverChoice& operator=(const DriverChoice&) = delete;

private:
    std::optional<std::string> previous_;
    bool changed_ = false;
};

int bcd(int value) {
    return ((value / 10) % 10) << 4 | value % 10;
}

}  // namespace

DovAudioDevice::~DovAudioDevice() {
    close();
}

bool DovAudioDevice::open(bool silent, Fill fill, QString& error) {
    close();
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
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    {
        const DriverChoice choice(driver);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            error = QString::fromUtf8(SDL_GetError());
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
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        error = QString::fromUtf8(SDL_GetError());
        stopSubsystem();
        return false;
    }
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void DovAudioDevice::close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_);
        device_ = 0;
    }
    stopSubsystem();
    fill_ = nullptr;
}

void DovAudioDevice::stopSubsystem() {
    if (subsystemUp_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystemUp_ = false;
    }
}

QString DovAudioDevice::driverName() const {
    const char* name = subsystemUp_ ? SDL_GetCurrentAudioDriver() : nullptr;
    return name == nullptr ? QString() : QString::fromUtf8(name);
}

void DovAudioDevice::releaseThreadState() {
    SDL_TLSCleanup();
}

std::int32_t DovAudioDevice::layerVersion() {
    SDL_version version;
    SDL_GetVersion(&version);
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
