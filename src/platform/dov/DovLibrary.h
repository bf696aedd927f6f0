#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <vector>

#include "platform/dov/DovCodecsLoader.h"
#include "platform/dov/DovMixer.h"
#include "platform/os/Clock.h"

class DovAudioDevice;
class SdlAudio;

// The sound and movie library: sound objects playing on one audio output and
// movies shown in a video window, addressed through numbered properties and
// methods. Operations keep the library's names; every result is 0 for success
// or one of the error numbers below, except AddSO (a handle, 0 when refused)
// and dshowIsPlaying (non-zero while a movie plays).
//
// A sound object holds its compressed file in memory and is decoded while it
// plays. Whether it plays, and where, follows the clock given at construction:
// with a virtual clock the mix is rendered from the clock as well (by every
// call, and by AdvanceMix), so a headless run sounds, and ends, the same every
// time. With the real clock SDL's audio thread mixes; this thread never waits
// for it.
//
// The decoders are loaded by the first prepare or movie, not at start-up; when
// they cannot be loaded, those calls fail with kDovErrNoDecoder and the reason
// in LastMediaError.
class DovLibrary {
public:
    // Error numbers.
    static constexpr std::int32_t kDovSuccess = 0;
    static constexpr std::int32_t kDovErrNotInitialized = static_cast<std::int32_t>(0x80DF0001);
    static constexpr std::int32_t kDovErrAlreadyInitialized = static_cast<std::int32_t>(0x80DF0002);
    static constexpr std::int32_t kDovErrNoAudioOutput = static_cast<std::int32_t>(0x80DF0003);
    static constexpr std::int32_t kDovErrNoDecoder = static_cast<std::int32_t>(0x80DF0004);
    static constexpr std::int32_t kDovErrBadHandle = static_cast<std::int32_t>(0x80DF0010);
    static constexpr std::int32_t kDovErrBadKind = static_cast<std::int32_t>(0x80DF0011);
    static constexpr std::int32_t kDovErrBadProperty = static_cast<std::int32_t>(0x80DF0012);
    static constexpr std::int32_t kDovErrBadMethod = static_cast<std::int32_t>(0x80DF0013);
    static constexpr std::int32_t kDovErrReadOnly = static_cast<std::int32_t>(0x80DF0014);
    static constexpr std::int32_t kDovErrBadValue = static_cast<std::int32_t>(0x80DF0015);
    static constexpr std::int32_t kDovErrNoData = static_cast<std::int32_t>(0x80DF0020);
    static constexpr std::int32_t kDovErrUndecodable = static_cast<std::int32_t>(0x80DF0021);
    static constexpr std::int32_t kDovErrNotPrepared = static_cast<std::int32_t>(0x80DF0022);
    static constexpr std::int32_t kDovErrMovieUnplayable = static_cast<std::int32_t>(0x80DF0030);

    // Library properties.
    static constexpr std::int32_t kDovLastError = 0x41000001;
    static constexpr std::int32_t kDovDirectXVersion = 0x41000003;  // audio layer version, BCD
    static constexpr std::int32_t kDovExtendedError1 = 0x41000005;  // the start-up step that failed
    static constexpr std::int32_t kDovExtendedError2 = 0x41000006;
    static constexpr std::int32_t kDovVideoWindow = 0x42000000;

    // The one kind of sound object.
    static constexpr std::int32_t kSOKindSound = 0x49081002;

    // Sound-object properties.
    static constexpr std::int32_t kSOVolume = 0x46000004;      // 0..255
    static constexpr std::int32_t kSOBuffer = 0x46000008;      // read with GetSOBuffer
    static constexpr std::int32_t kSOBufferSize = 0x46000010;  // bytes; empties the sound
    static constexpr std::int32_t kSOLoopCount = 0x46000040;   // passes, -1 endless
    static constexpr std::int32_t kSOState = 0x46001000;       // read only
    static constexpr std::int32_t kSOLength = 0x46002000;      // milliseconds, read only
    static constexpr std::int32_t kSOPan = 0x46004000;         // -30 left .. 30 right
    static constexpr std::int32_t kSOUserValue = 0x46080000;   // kept for the caller
    static constexpr std::int32_t kSOFadeTime = 0x46200000;    // ms, for play and fade-out

    // Values of kSOState.
    static constexpr std::int32_t kStateEmpty = 0x48000000;  // nothing prepared
    static constexpr std::int32_t kStateStopped = 0x48000001;
    static constexpr std::int32_t kStatePlaying = 0x48000004;

    // Sound-object methods.
    static constexpr std::int32_t kSOPrepare = 0x47000100;
    static constexpr std::int32_t kSOPlay = 0x47000200;  // fades in over the fade time
    static constexpr std::int32_t kSOStop = 0x47000400;  // also back to the start
    static constexpr std::int32_t kSORewind = 0x47000800;
    static constexpr std::int32_t kSOFadeOutAndStop = 0x47001002;  // over the fade time

    // The start-up steps kDovExtendedError1 names.
    static constexpr std::int32_t kStepAudioOutput = 1;
    static constexpr std::int32_t kStepDecoder = 2;

    static constexpr int kMixRate = 44100;
    static constexpr int kMixChannels = 2;

    struct Options {
        // Receives the library's own diagnostic lines.
        std::function<void(const QString&)> log;
        // Uses SDL's dummy output even with the real clock.
        bool silentOutput = false;
    };

    // A place movies are shown in: frames arrive at its size.
    struct VideoWindow {
        QSize size;
        std::function<void(const QImage&)> present;
    };

    // Interleaved stereo frames rendered in virtual time.
    using MixSink = std::function<void(const float* frames, int count)>;

    explicit DovLibrary(Clock& clock);
    DovLibrary(Clock& clock, Options options);
    // Takes the decoders from the media plugin at that path instead of the usual places.
    DovLibrary(Clock& clock, Options options, QString mediaPlugin);
    // Terminates the library when it is still running.
    ~DovLibrary();
    DovLibrary(const DovLibrary&) = delete;
    DovLibrary& operator=(const DovLibrary&) = delete;

    std::int32_t InitializeDov();
    // Stops any movie and releases every sound object.
    std::int32_t TerminateDov();
    std::int32_t GetDovProp(std::int32_t property, std::int32_t& value) const;
    std::int32_t SetDovProp(std::int32_t property, std::int32_t value);

    std::int32_t AddSO(std::int32_t kind);
    std::int32_t SetSOProp(std::int32_t handle, std::int32_t property, std::int32_t value);
    std::int32_t GetSOProp(std::int32_t handle, std::int32_t property, std::int32_t& value);
    // Property kSOBuffer: the sound's data, as many bytes as kSOBufferSize last
    // set; whoever fills it may also replace it.
    std::int32_t GetSOBuffer(std::int32_t handle, QByteArray*& buffer);
    std::int32_t CallSOMethod(std::int32_t handle, std::int32_t method, std::int32_t& value);
    std::int32_t CallSOMethod(std::int32_t handle, std::int32_t method);

    // An English text for the error number, at most capacity - 1 characters.
    std::int32_t GetErrorDescription(std::int32_t error, QString& text, int capacity) const;

    std::int32_t dshowPlay(const QString& path);
    std::int32_t dshowStop();
    // Makes the window of kDovVideoWindow the one the movie shows in.
    std::int32_t dshowChangeWindow();
    std::int32_t dshowIsPlaying();
    // The frame shown last (null before any).
    QImage dshowLatestFrame() const { return latestFrame_; }

    // A handle above 0 for property kDovVideoWindow.
    std::int32_t AddVideoWindow(VideoWindow window);
    void RemoveVideoWindow(std::int32_t handle);

    // Virtual time only: renders the mix up to the clock's time, into the sink
    // when there is one (otherwise the sounds move on unheard).
    void AdvanceMix();
    void SetMixSink(MixSink sink);

    bool IsVirtualTime() const { return clock_.isVirtual(); }
    // The audio driver in use, "" before InitializeDov.
    QString OutputDriver();
    // Why the last prepare or movie failed, for log lines.
    const QString& LastMediaError() const { return lastMediaError_; }

private:
    struct Sound {
        QByteArray buffer;
        bool prepared = false;
        std::int32_t lengthMs = 0;
        std::int32_t volume = 255;
        std::int32_t pan = 0;
        std::int32_t userValue = 0;
        std::int32_t loops = 1;
        std::int32_t fadeTime = 0;
        bool playing = false;
        qint64 startedAt = 0;
        qint64 loopEndsAt = -1;  // -1 endless
        qint64 fadeEndsAt = -1;  // -1 when not fading out
    };

    struct Movie {
        std::unique_ptr<DovMoviePicture> picture;  // null for a movie with sound only
        bool hasSound = false;
        qint64 soundMs = -1;  // -1 when unknown
        qint64 startedAt = 0;
        Clock::TimerId timer = 0;
        bool ended = false;
    };

    std::int32_t fail(std::int32_t error) const;
    std::int32_t startOutput();
    void openOutputInBackground();
    // Takes the outcome of the background open (waiting for it when `wait`) and logs it.
    void settleOutput(bool wait);
    void logOutput();
    Sound* find(std::int32_t handle);
    Sound* usable(std::int32_t handle, std::int32_t& error);
    void sync();
    void post(DovMixer::Op op, std::int32_t voice, std::int64_t value = 0,
              std::unique_ptr<DovSoundSource> source = nullptr);
    void postSettings(std::int32_t handle, const Sound& sound);
    std::int64_t framesOf(qint64 ms) const;
    bool isPlaying(Sound& sound);
    void computeLoopEnd(Sound& sound, qint64 now);

    std::int32_t setLoops(std::int32_t handle, Sound& sound, std::int32_t loops);
    std::int32_t setBufferSize(std::int32_t handle, Sound& sound, std::int32_t size);
    std::int32_t prepare(std::int32_t handle, Sound& sound);
    std::int32_t play(std::int32_t handle, Sound& sound);
    void stop(std::int32_t handle, Sound& sound);
    void rewind(std::int32_t handle, Sound& sound);
    void fadeOutAndStop(std::int32_t handle, Sound& sound);

    void tickMovie();
    void scheduleMovieTick();
    bool movieEnded();
    void closeMovie();
    QSize videoWindowSize() const;

    Clock& clock_;
    Options options_;
    // Loaded by the first sound or movie; declared first of the media members
    // so the decoders it made are gone before it is.
    DovCodecsLoader codecs_;
    bool initialized_ = false;
    qint64 origin_ = 0;
    mutable std::int32_t lastError_ = kDovSuccess;
    std::int32_t extendedError1_ = 0;
    std::int32_t extendedError2_ = 0;
    QString lastMediaError_;

    std::unique_ptr<DovMixer> mixer_;
    // Loaded when the output first opens, on the opener thread with the real clock.
    std::unique_ptr<SdlAudio> sdl_;
    std::unique_ptr<DovAudioDevice> device_;
    // On the real clock the audio output opens on a thread of its own, so that
    // probing sound drivers does not hold up the first picture; the mix waits
    // for it. When no output opens at all, the clock drives the mix instead.
    std::thread opener_;
    std::atomic<bool> openerDone_{false};
    bool openerOk_ = false;
    QString openerError_;
    bool clockDrivenMix_ = false;
    MixSink sink_;
    std::vector<float> mixBuffer_;

    std::map<std::int32_t, Sound> sounds_;
    std::int32_t nextHandle_ = 1;

    std::map<std::int32_t, VideoWindow> windows_;
    std::int32_t nextWindow_ = 1;
    std::int32_t videoWindow_ = 0;
    std::unique_ptr<Movie> movie_;
    QImage latestFrame_;
};
