#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/dov/DovSoundSource.h"

// Mixes the playing voices into 44.1 kHz stereo float frames.
//
// The user-interface thread only posts commands; the mixing side takes them
// from a queue guarded by a short lock and owns the voices and their decoders,
// so mixing never waits for the user-interface thread. Mixing runs either on
// the audio device's thread (`mix`, commands take effect at once) or, for
// virtual time, from the user-interface thread (`renderUntil`, commands take
// effect at the frame stamped on them, and every gain is a function of the
// frame, so the result never depends on how the rendering is cut up).
class DovMixer {
public:
    static constexpr int kRate = DovSoundSource::kRate;
    static constexpr int kChannels = 2;
    // Frames decoded at a time.
    static constexpr int kBlock = 256;
    // Frames over which a change of volume or pan takes effect, against clicks.
    static constexpr int kGlideFrames = 256;
    static constexpr int kMaxPan = 30;

    enum class Op {
        Source,   // the voice's decoder becomes `source`
        Play,     // from the start, fading in over `value` frames
        Stop,     // silent at once; the next play starts from the beginning
        Rewind,   // back to the beginning, playing on if playing
        FadeOut,  // fades to silence over `value` frames, then stops
        Volume,   // 0..255
        Pan,      // -30 left .. 30 right
        Loops,    // number of passes, -1 endless
        Remove,   // forgets the voice
    };

    struct Command {
        Op op = Op::Stop;
        int voice = 0;
        std::int64_t value = 0;
        std::int64_t atFrame = 0;  // used by renderUntil only
        std::unique_ptr<DovSoundSource> source;
    };

    DovMixer();
    ~DovMixer();
    DovMixer(const DovMixer&) = delete;
    DovMixer& operator=(const DovMixer&) = delete;

    // Any thread.
    void post(Command command);

    // Mixing side, real time: applies every posted command, then writes `frames`
    // interleaved stereo frames.
    void mix(float* out, int frames);

    // Mixing side, virtual time: from position() up to `frame`. With a null `out`
    // the voices move on without being decoded (nothing listens); they catch up
    // when output is asked for again.
    void renderUntil(std::int64_t frame, float* out);
    std::int64_t position() const { return position_; }

    // User-interface thread: frees the decoders the mixing side let go of.
    void releaseRetired();

    // Mixing side: whether the voice still sounds.
    bool isVoicePlaying(int voice) const;

private:
    struct Voice {
        std::unique_ptr<DovSoundSource> decoder;
        std::int64_t lengthFrames = -1;
        bool playing = false;
        bool fresh = false;         // nothing mixed since the play started
        std::int64_t position = 0;  // frames into the current pass
        // Frames the decoder has given since its last rewind, -1 when it cannot
        // read; it differs from `position` after skipping, a play or a rewind.
        std::int64_t decoderPosition = 0;
        int loops = 1;
        int passesDone = 0;
        int volume = 255;
        int pan = 0;
        std::int64_t fadeInFrames = 0;
        std::int64_t fadeInDone = 0;
        bool fadingOut = false;
        std::int64_t fadeOutFrames = 0;
        std::int64_t fadeOutDone = 0;
        float fadeOutFrom = 1.0F;
        // Channel gains from volume and pan. A change glides there over
        // kGlideFrames; the gain is target - step × glideLeft.
        float targetLeft = 1.0F;
        float targetRight = 1.0F;
        float stepLeft = 0.0F;
        float stepRight = 0.0F;
        int glideLeft = 0;
    };

    void takePosted();
    void apply(Command& command);
    void applyPlay(Voice& voice, std::int64_t fadeInFrames);
    void retire(std::unique_ptr<DovSoundSource> decoder);
    void mixBlock(float* out, int frames);
    void mixVoice(Voice& voice, float* out, int frames);
    int readVoice(Voice& voice, int frames);
    int skipVoice(Voice& voice, int frames);
    bool startNextPass(Voice& voice);
    void catchUpDecoder(Voice& voice);
    void advance(Voice& voice, int frames);
    static float envelope(const Voice& voice);
    // Sets the gains volume and pan ask for: at once, or gliding there.
    static void retarget(Voice& voice, bool glide);

    std::mutex lock_;
    std::deque<Command> posted_;                            // guarded by lock_
    std::vector<std::unique_ptr<DovSoundSource>> retired_;  // guarded by lock_

    std::deque<Command> due_;
    std::map<int, Voice> voices_;
    std::int64_t position_ = 0;
    std::vector<float> decoded_;  // one block as the decoder gives it
    std::vector<float> stereo_;   // the same block in stereo
};
