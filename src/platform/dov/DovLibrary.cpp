#include "platform/dov/DovLibrary.h"

#include <algorithm>
#include <cstring>

#include "platform/dov/DovAudioDevice.h"
#include "platform/dov/SdlAudio.h"

namespace {

// The mixer voice of a movie's sound; sound objects have handles from 1.
constexpr int kMovieVoice = 0;
// Frames rendered at a time for the mix sink.
constexpr std::int64_t kSinkBlock = 4096;

const char* errorText(std::int32_t error) {
    switch (error) {
        case DovLibrary::kDovSuccess:
            return "No error.";
        case DovLibrary::kDovErrNotInitialized:
            return "The library has not been initialised.";
        case DovLibrary::kDovErrAlreadyInitialized:
            return "The library is already initialised.";
        case DovLibrary::kDovErrNoAudioOutput:
            return "No audio output could be opened, not even a silent one.";
        case DovLibrary::kDovErrNoDecoder:
            return "The Ogg Vorbis decoder is missing.";
        case DovLibrary::kDovErrBadHandle:
            return "There is no sound object with this handle.";
        case DovLibrary::kDovErrBadKind:
            return "Unknown kind of sound object.";
        case DovLibrary::kDovErrBadProperty:
            return "Unknown property.";
        case DovLibrary::kDovErrBadMethod:
            return "Unknown method.";
        case DovLibrary::kDovErrReadOnly:
            return "The property can only be read.";
        case DovLibrary::kDovErrBadValue:
            return "The value is out of range.";
        case DovLibrary::kDovErrNoData:
            return "The sound object holds no data.";
        case DovLibrary::kDovErrUndecodable:
            return "The sound data cannot be decoded.";
        case DovLibrary::kDovErrNotPrepared:
            return "The sound object has not been prepared.";
        case DovLibrary::kDovErrMovieUnplayable:
            return "The movie cannot be opened or has nothing to play.";
        default:
            return nullptr;
    }
}

// Rounded to the nearest millisecond. Whole seconds and the rest are converted
// apart, so that any count a damaged header claims stays within 64 bits.
qint64 msOfFrames(std::int64_t frames) {
    constexpr std::int64_t rate = DovLibrary::kMixRate;
    return frames / rate * 1000 + (frames % rate * 1000 + rate / 2) / rate;
}

// A sound's length as the 32-bit milliseconds its property holds; longer
// lengths read as the longest it can hold.
std::int32_t lengthMsOfFrames(std::int64_t frames) {
    const qint64 ms = msOfFrames(std::max<std::int64_t>(frames, 0));
    return static_cast<std::int32_t>(std::min<qint64>(ms, INT32_MAX));
}

}  // namespace

DovLibrary::DovLibrary(Clock& clock) : DovLibrary(clock, Options{}) {}

DovLibrary::DovLibrary(Clock& clock, Options options)
    : DovLibrary(clock, std::move(options), QString()) {}

DovLibrary::DovLibrary(Clock& clock, Options options, QString mediaPlugin)
    : clock_(clock),
      options_(std::move(options)),
      codecs_(std::move(mediaPlugin)),
      sdl_(std::make_unique<SdlAudio>()) {}

DovLibrary::~DovLibrary() {
    TerminateDov();
}

std::int32_t DovLibrary::fail(std::int32_t error) const {
    lastError_ = error;
    return error;
}

std::int32_t DovLibrary::InitializeDov() {
    if (initialized_) {
        extendedError1_ = 0;
        extendedError2_ = 0;
        return fail(kDovErrAlreadyInitialized);
    }
    mixer_ = std::make_unique<DovMixer>();
    origin_ = clock_.now();
    const std::int32_t output = startOutput();
    if (output != kDovSuccess) {
        mixer_.reset();
        return fail(output);
    }
    initialized_ = true;
    lastError_ = kDovSuccess;
    extendedError1_ = 0;
    extendedError2_ = 0;
    return kDovSuccess;
}

std::int32_t DovLibrary::startOutput() {
    device_ = std::make_unique<DovAudioDevice>(*sdl_);
    if (!IsVirtualTime()) {
        openOutputInBackground();
        return kDovSuccess;
    }
    DovAudioDevice::Fill fill;
    if (IsVirtualTime()) {
        // The mix follows the virtual clock; the device only keeps SDL's output running.
        fill = [](float* out, int frames) {
            std::memset(out, 0, sizeof(float) * static_cast<std::size_t>(frames) * kMixChannels);
        };
    } else {
        fill = [mixer = mixer_.get()](float* out, int frames) { mixer->mix(out, frames); };
    }
    QString error;
    const bool silent = IsVirtualTime() || options_.silentOutput;
    const bool opened = device_->open(silent, std::move(fill), error);
    if (!opened && IsVirtualTime()) {
        // The virtual-time mix needs no device; SDL's dummy output is taken
        // already when another library runs in this process.
        device_.reset();
        if (options_.log) {
            options_.log(QStringLiteral("dov audio output: silent, mixed by the virtual clock"));
        }
        return kDovSuccess;
    }
    if (!opened) {
        extendedError1_ = kStepAudioOutput;
        extendedError2_ = 0;
        if (options_.log) {
            options_.log(QStringLiteral("dov audio output failed: ") + error);
        }
        device_.reset();
        return kDovErrNoAudioOutput;
    }
    logOutput();
    return kDovSuccess;
}

void DovLibrary::openOutputInBackground() {
    // The device may start well after the library did: its first pull catches
    // the mix up with the clock, so sounds play when they were started.
    DovAudioDevice::Fill fill = [this, mixer = mixer_.get(), caughtUp = false](float* out,
                                                                               int frames) mutable {
        if (!caughtUp) {
            mixer->renderUntil(framesOf(clock_.now() - origin_), nullptr);
            caughtUp = true;
        }
        mixer->mix(out, frames);
    };
    opener_ = std::thread([this, fill = std::move(fill)]() mutable {
        openerOk_ = device_->open(options_.silentOutput, std::move(fill), openerError_);
        device_->releaseThreadState();
        openerDone_.store(true, std::memory_order_release);
    });
}

void DovLibrary::settleOutput(bool wait) {
    if (!opener_.joinable() || (!wait && !openerDone_.load(std::memory_order_acquire))) {
        return;
    }
    opener_.join();
    if (openerOk_) {
        logOutput();
        return;
    }
    // Not even the silent output opened: the game goes on without a device.
    if (options_.log) {
        options_.log(QStringLiteral("dov audio output failed: ") + openerError_ +
                     QStringLiteral(", playing without sound"));
    }
    device_.reset();
    clockDrivenMix_ = true;
}

void DovLibrary::logOutput() {
    if (!options_.log) {
        return;
    }
    if (IsVirtualTime()) {
        options_.log(QStringLiteral("dov audio output: silent, mixed by the virtual clock"));
    } else if (!device_->fallbackReason().isEmpty()) {
        options_.log(QStringLiteral("dov audio output unavailable (") + device_->fallbackReason() +
                     QStringLiteral("), playing without sound"));
    } else {
        options_.log(QStringLiteral("dov audio output: ") + device_->driverName());
    }
}

std::int32_t DovLibrary::TerminateDov() {
    if (!initialized_) {
        return fail(kDovErrNotInitialized);
    }
    closeMovie();
    settleOutput(true);
    // The device first: after it is closed nothing mixes any more.
    device_.reset();
    clockDrivenMix_ = false;
    sounds_.clear();
    mixer_.reset();
    initialized_ = false;
    return kDovSuccess;
}

QString DovLibrary::OutputDriver() {
    settleOutput(true);
    return device_ ? device_->driverName() : QString();
}

std::int32_t DovLibrary::GetDovProp(std::int32_t property, std::int32_t& value) const {
    switch (property) {
        case kDovLastError:
            value = lastError_;
            return kDovSuccess;
        case kDovDirectXVersion:
            value = DovAudioDevice::layerVersion(*sdl_);
            return kDovSuccess;
        case kDovExtendedError1:
            value = extendedError1_;
            return kDovSuccess;
        case kDovExtendedError2:
            value = extendedError2_;
            return kDovSuccess;
        case kDovVideoWindow:
            value = videoWindow_;
            return kDovSuccess;
        default:
            return fail(kDovErrBadProperty);
    }
}

std::int32_t DovLibrary::SetDovProp(std::int32_t property, std::int32_t value) {
    switch (property) {
        case kDovVideoWindow:
            if (value != 0 && windows_.count(value) == 0) {
                return fail(kDovErrBadValue);
            }
            videoWindow_ = value;
            return kDovSuccess;
        case kDovLastError:
        case kDovDirectXVersion:
        case kDovExtendedError1:
        case kDovExtendedError2:
            return fail(kDovErrReadOnly);
        default:
            return fail(kDovErrBadProperty);
    }
}

std::int32_t DovLibrary::AddSO(std::int32_t kind) {
    if (!initialized_) {
        fail(kDovErrNotInitialized);
        return 0;
    }
    if (kind != kSOKindSound) {
        fail(kDovErrBadKind);
        return 0;
    }
    const std::int32_t handle = nextHandle_++;
    sounds_.emplace(handle, Sound{});
    return handle;
}

DovLibrary::Sound* DovLibrary::find(std::int32_t handle) {
    const auto found = sounds_.find(handle);
    return found == sounds_.end() ? nullptr : &found->second;
}

// The sound of a handle while the library runs; otherwise null and the failure code.
DovLibrary::Sound* DovLibrary::usable(std::int32_t handle, std::int32_t& error) {
    if (!initialized_) {
        error = fail(kDovErrNotInitialized);
        return nullptr;
    }
    Sound* sound = find(handle);
    if (sound == nullptr) {
        error = fail(kDovErrBadHandle);
    }
    return sound;
}

std::int32_t DovLibrary::SetSOProp(std::int32_t handle, std::int32_t property, std::int32_t value) {
    std::int32_t error = kDovSuccess;
    Sound* sound = usable(handle, error);
    if (sound == nullptr) {
        return error;
    }
    sync();
    switch (property) {
        case kSOVolume:
            sound->volume = std::clamp(value, 0, 255);
            post(DovMixer::Op::Volume, handle, sound->volume);
            return kDovSuccess;
        case kSOPan:
            sound->pan = std::clamp(value, -DovMixer::kMaxPan, DovMixer::kMaxPan);
            post(DovMixer::Op::Pan, handle, sound->pan);
            return kDovSuccess;
        case kSOUserValue:
            sound->userValue = value;
            return kDovSuccess;
        case kSOFadeTime:
            sound->fadeTime = std::max(value, 0);
            return kDovSuccess;
        case kSOLoopCount:
            return setLoops(handle, *sound, value);
        case kSOBufferSize:
            return setBufferSize(handle, *sound, value);
        case kSOBuffer:
        case kSOState:
        case kSOLength:
            return fail(kDovErrReadOnly);
        default:
            return fail(kDovErrBadProperty);
    }
}

std::int32_t DovLibrary::GetSOProp(std::int32_t handle, std::int32_t property,
                                   std::int32_t& value) {
    std::int32_t error = kDovSuccess;
    Sound* sound = usable(handle, error);
    if (sound == nullptr) {
        return error;
    }
    sync();
    switch (property) {
        case kSOVolume:
            value = sound->volume;
            return kDovSuccess;
        case kSOPan:
            value = sound->pan;
            return kDovSuccess;
        case kSOUserValue:
            value = sound->userValue;
            return kDovSuccess;
        case kSOFadeTime:
            value = sound->fadeTime;
            return kDovSuccess;
        case kSOLoopCount:
            value = sound->loops;
            return kDovSuccess;
        case kSOBufferSize:
            value = static_cast<std::int32_t>(sound->buffer.size());
            return kDovSuccess;
        case kSOState:
            value = !sound->prepared    ? kStateEmpty
                    : isPlaying(*sound) ? kStatePlaying
                                        : kStateStopped;
            return kDovSuccess;
        case kSOLength:
            value = sound->lengthMs;
            return kDovSuccess;
        default:  // kSOBuffer too: it is read with GetSOBuffer
            return fail(kDovErrBadProperty);
    }
}

std::int32_t DovLibrary::GetSOBuffer(std::int32_t handle, QByteArray*& buffer) {
    buffer = nullptr;
    std::int32_t error = kDovSuccess;
    Sound* sound = usable(handle, error);
    if (sound == nullptr) {
        return error;
    }
    buffer = &sound->buffer;
    return kDovSuccess;
}

std::int32_t DovLibrary::CallSOMethod(std::int32_t handle, std::int32_t method,
                                      std::int32_t& value) {
    value = 0;
    std::int32_t error = kDovSuccess;
    Sound* sound = usable(handle, error);
    if (sound == nullptr) {
        return error;
    }
    sync();
    switch (method) {
        case kSOPrepare:
            return prepare(handle, *sound);
        case kSOPlay:
            return play(handle, *sound);
        case kSOStop:
            stop(handle, *sound);
            return kDovSuccess;
        case kSORewind:
            rewind(handle, *sound);
            return kDovSuccess;
        case kSOFadeOutAndStop:
            fadeOutAndStop(handle, *sound);
            return kDovSuccess;
        default:
            return fail(kDovErrBadMethod);
    }
}

std::int32_t DovLibrary::CallSOMethod(std::int32_t handle, std::int32_t method) {
    std::int32_t ignored = 0;
    return CallSOMethod(handle, method, ignored);
}

std::int32_t DovLibrary::GetErrorDescription(std::int32_t error, QString& text,
                                             int capacity) const {
    const char* description = errorText(error);
    if (description == nullptr || capacity <= 0) {
        text.clear();
        return fail(kDovErrBadValue);
    }
    text = QString::fromLatin1(description).left(capacity - 1);
    return kDovSuccess;
}

std::int64_t DovLibrary::framesOf(qint64 ms) const {
    return ms * kMixRate / 1000;
}

void DovLibrary::post(DovMixer::Op op, std::int32_t voice, std::int64_t value,
                      std::unique_ptr<DovSoundSource> source) {
    DovMixer::Command command;
    command.op = op;
    command.voice = voice;
    command.value = value;
    command.atFrame = framesOf(clock_.now() - origin_);
    command.source = std::move(source);
    mixer_->post(std::move(command));
}

void DovLibrary::postSettings(std::int32_t handle, const Sound& sound) {
    post(DovMixer::Op::Volume, handle, sound.volume);
    post(DovMixer::Op::Pan, handle, sound.pan);
    post(DovMixer::Op::Loops, handle, sound.loops);
}

void DovLibrary::sync() {
    if (!initialized_) {
        return;
    }
    settleOutput(false);
    if (IsVirtualTime() || clockDrivenMix_) {
        const std::int64_t target = framesOf(clock_.now() - origin_);
        if (!sink_) {
            mixer_->renderUntil(target, nullptr);
        }
        while (sink_ && mixer_->position() < target) {
            const std::int64_t from = mixer_->position();
            const std::int64_t to = std::min(target, from + kSinkBlock);
            mixBuffer_.resize(static_cast<std::size_t>(to - from) * kMixChannels);
            mixer_->renderUntil(to, mixBuffer_.data());
            sink_(mixBuffer_.data(), static_cast<int>(to - from));
        }
    }
    mixer_->releaseRetired();
}

void DovLibrary::AdvanceMix() {
    sync();
}

void DovLibrary::SetMixSink(MixSink sink) {
    sync();
    sink_ = std::move(sink);
}

bool DovLibrary::isPlaying(Sound& sound) {
    const qint64 now = clock_.now();
    if (sound.playing && ((sound.loopEndsAt >= 0 && now >= sound.loopEndsAt) ||
                          (sound.fadeEndsAt >= 0 && now >= sound.fadeEndsAt))) {
        sound.playing = false;
    }
    return sound.playing;
}

void DovLibrary::computeLoopEnd(Sound& sound, qint64 now) {
    if (sound.loops < 0) {
        sound.loopEndsAt = -1;
        return;
    }
    // A pass already under way is played to its end.
    const qint64 passesBegun =
        sound.lengthMs > 0 ? (now - sound.startedAt) / sound.lengthMs + 1 : 1;
    sound.loopEndsAt = sound.startedAt + static_cast<qint64>(sound.lengthMs) *
                                             std::max<qint64>(sound.loops, passesBegun);
}

std::int32_t DovLibrary::setLoops(std::int32_t handle, Sound& sound, std::int32_t loops) {
    // Any negative count plays for ever, 0 plays once like 1.
    sound.loops = loops < 0 ? -1 : std::max(loops, 1);
    post(DovMixer::Op::Loops, handle, sound.loops);
    if (isPlaying(sound)) {
        computeLoopEnd(sound, clock_.now());
    }
    return kDovSuccess;
}

std::int32_t DovLibrary::setBufferSize(std::int32_t handle, Sound& sound, std::int32_t size) {
    if (size < 0) {
        return fail(kDovErrBadValue);
    }
    stop(handle, sound);
    sound.prepared = false;
    sound.lengthMs = 0;
    sound.buffer = QByteArray(size, Qt::Uninitialized);
    post(DovMixer::Op::Source, handle);
    return kDovSuccess;
}

std::int32_t DovLibrary::prepare(std::int32_t handle, Sound& sound) {
    stop(handle, sound);
    sound.prepared = false;
    sound.lengthMs = 0;
    lastMediaError_.clear();
    if (sound.buffer.isEmpty()) {
        post(DovMixer::Op::Source, handle);
        lastMediaError_ = QStringLiteral("no data");
        return fail(kDovErrNoData);
    }
    DovCodecs* codecs = codecs_.codecs(lastMediaError_);
    if (codecs == nullptr) {
        post(DovMixer::Op::Source, handle);
        return fail(kDovErrNoDecoder);
    }
    std::unique_ptr<DovSoundSource> decoder =
        codecs->soundFromMemory(sound.buffer, lastMediaError_);
    if (!decoder) {
        post(DovMixer::Op::Source, handle);
        return fail(kDovErrUndecodable);
    }
    sound.lengthMs = lengthMsOfFrames(decoder->lengthFrames());
    sound.prepared = true;
    post(DovMixer::Op::Source, handle, 0, std::move(decoder));
    postSettings(handle, sound);
    return kDovSuccess;
}

std::int32_t DovLibrary::play(std::int32_t handle, Sound& sound) {
    if (!sound.prepared) {
        return fail(kDovErrNotPrepared);
    }
    if (isPlaying(sound)) {
        if (sound.fadeEndsAt < 0) {
            return kDovSuccess;  // already playing
        }
        stop(handle, sound);  // a play during a fade-out starts again
    }
    const qint64 now = clock_.now();
    sound.playing = true;
    sound.startedAt = now;
    sound.fadeEndsAt = -1;
    computeLoopEnd(sound, now);
    post(DovMixer::Op::Play, handle, framesOf(sound.fadeTime));
    return kDovSuccess;
}

void DovLibrary::stop(std::int32_t handle, Sound& sound) {
    sound.playing = false;
    sound.fadeEndsAt = -1;
    post(DovMixer::Op::Stop, handle);
}

void DovLibrary::rewind(std::int32_t handle, Sound& sound) {
    if (isPlaying(sound)) {
        sound.startedAt = clock_.now();
        computeLoopEnd(sound, sound.startedAt);
    }
    post(DovMixer::Op::Rewind, handle);
}

void DovLibrary::fadeOutAndStop(std::int32_t handle, Sound& sound) {
    if (!isPlaying(sound)) {
        return;
    }
    if (sound.fadeTime <= 0) {
        stop(handle, sound);
        return;
    }
    const qint64 end = clock_.now() + sound.fadeTime;
    sound.fadeEndsAt = sound.fadeEndsAt < 0 ? end : std::min(sound.fadeEndsAt, end);
    post(DovMixer::Op::FadeOut, handle, framesOf(sound.fadeTime));
}

std::int32_t DovLibrary::AddVideoWindow(VideoWindow window) {
    const std::int32_t handle = nextWindow_++;
    windows_.emplace(handle, std::move(window));
    return handle;
}

void DovLibrary::RemoveVideoWindow(std::int32_t handle) {
    windows_.erase(handle);
    if (videoWindow_ == handle) {
        videoWindow_ = 0;
    }
}

QSize DovLibrary::videoWindowSize() const {
    const auto found = windows_.find(videoWindow_);
    return found == windows_.end() ? QSize() : found->second.size;
}

std::int32_t DovLibrary::dshowPlay(const QString& path) {
    if (!initialized_) {
        return fail(kDovErrNotInitialized);
    }
    sync();
    closeMovie();
    lastMediaError_.clear();
    DovCodecs* codecs = codecs_.codecs(lastMediaError_);
    if (codecs == nullptr) {
        return fail(kDovErrNoDecoder);
    }
    QString pictureError;
    QString soundError;
    auto movie = std::make_unique<Movie>();
    movie->picture = codecs->movieFromFile(path, pictureError);
    std::unique_ptr<DovSoundSource> sound = codecs->soundFromFile(path, soundError);
    if (!movie->picture && !sound) {
        lastMediaError_ = pictureError;
        return fail(kDovErrMovieUnplayable);
    }
    movie->startedAt = clock_.now();
    if (sound) {
        movie->hasSound = true;
        movie->soundMs = sound->lengthFrames() < 0 ? -1 : msOfFrames(sound->lengthFrames());
        post(DovMixer::Op::Source, kMovieVoice, 0, std::move(sound));
        post(DovMixer::Op::Play, kMovieVoice);
    }
    if (movie->picture) {
        movie->picture->setTarget(videoWindowSize());
    }
    movie_ = std::move(movie);
    tickMovie();
    scheduleMovieTick();
    return kDovSuccess;
}

std::int32_t DovLibrary::dshowStop() {
    if (!initialized_) {
        return fail(kDovErrNotInitialized);
    }
    sync();
    closeMovie();
    return kDovSuccess;
}

std::int32_t DovLibrary::dshowChangeWindow() {
    if (!initialized_) {
        return fail(kDovErrNotInitialized);
    }
    if (movie_ && movie_->picture) {
        movie_->picture->setTarget(videoWindowSize());
    }
    return kDovSuccess;
}

std::int32_t DovLibrary::dshowIsPlaying() {
    if (!initialized_ || !movie_) {
        return 0;
    }
    sync();
    if (movie_->ended) {
        return 0;
    }
    tickMovie();
    if (movieEnded()) {
        // The last frame stays shown; a sound of unknown length plays out.
        if (movie_->timer != 0) {
            clock_.cancelTimer(movie_->timer);
            movie_->timer = 0;
        }
        movie_->picture.reset();
        movie_->ended = true;
        return 0;
    }
    return 1;
}

void DovLibrary::tickMovie() {
    if (!movie_ || !movie_->picture) {
        return;
    }
    if (movie_->picture->advanceTo(clock_.now() - movie_->startedAt)) {
        latestFrame_ = movie_->picture->currentFrame();
        const auto window = windows_.find(videoWindow_);
        if (window != windows_.end() && window->second.present) {
            window->second.present(latestFrame_);
        }
    }
}

void DovLibrary::scheduleMovieTick() {
    if (!movie_ || !movie_->picture) {
        return;
    }
    if (movie_->timer != 0) {
        clock_.cancelTimer(movie_->timer);
        movie_->timer = 0;
    }
    const qint64 due = movie_->picture->nextDueMs();
    if (due < 0) {
        return;
    }
    const qint64 delay = std::max<qint64>(0, movie_->startedAt + due - clock_.now());
    movie_->timer = clock_.startTimer(static_cast<int>(delay), [this] {
        movie_->timer = 0;
        sync();
        tickMovie();
        scheduleMovieTick();
    });
}

bool DovLibrary::movieEnded() {
    const qint64 elapsed = clock_.now() - movie_->startedAt;
    const DovMoviePicture* picture = movie_->picture.get();
    const bool pictureDone =
        picture == nullptr || (picture->pictureEnded() && elapsed >= picture->endMs());
    const bool soundDone = !movie_->hasSound || movie_->soundMs < 0 || elapsed >= movie_->soundMs;
    return pictureDone && soundDone;
}

void DovLibrary::closeMovie() {
    if (!movie_) {
        return;
    }
    if (movie_->timer != 0) {
        clock_.cancelTimer(movie_->timer);
    }
    if (movie_->hasSound) {
        post(DovMixer::Op::Remove, kMovieVoice);
    }
    movie_.reset();
    // The window shows its own picture again.
    const auto window = windows_.find(videoWindow_);
    if (window != windows_.end() && window->second.present) {
        window->second.present(QImage());
    }
}
