#pragma once

#include <QString>
#include <cstdint>
#include <functional>

class SdlAudio;

// The one SDL2 audio output: 44.1 kHz stereo float frames asked for from SDL's
// audio thread. When no sound device opens (or silence is asked for) it opens
// SDL's dummy output instead, so the game runs on without sound.
class DovAudioDevice {
public:
    // Fills `frames` interleaved stereo frames; runs on SDL's audio thread.
    using Fill = std::function<void(float* out, int frames)>;

    explicit DovAudioDevice(SdlAudio& sdl);
    ~DovAudioDevice();
    DovAudioDevice(const DovAudioDevice&) = delete;
    DovAudioDevice& operator=(const DovAudioDevice&) = delete;

    // False, with the reason, only when not even the dummy output opens (or SDL2
    // cannot be loaded).
    bool open(bool silent, Fill fill, QString& error);
    // Stops the audio thread; `fill` is not called any more afterwards.
    void close();

    bool isOpen() const { return device_ != 0; }
    // True when the output is SDL's dummy driver.
    bool isSilent() const { return silent_; }
    // Why a real device could not be used ("" when one is in use or silence was asked for).
    const QString& fallbackReason() const { return fallbackReason_; }
    // The SDL audio driver in use.
    QString driverName() const;
    // The version of the audio layer as BCD digits: 2.26 gives 0x0226; 0 without SDL2.
    static std::int32_t layerVersion(SdlAudio& sdl);
    // Frees what the audio layer keeps for the calling thread (its error text);
    // a thread of our own that opened the device calls it before it ends.
    void releaseThreadState();

private:
    static void callback(void* self, std::uint8_t* stream, int length);
    bool start(const char* driver, QString& error);
    void stopSubsystem();

    SdlAudio& sdl_;
    Fill fill_;
    std::uint32_t device_ = 0;
    bool subsystemUp_ = false;
    bool silent_ = false;
    QString fallbackReason_;
};
