#pragma once

#include <cstdint>

// A sound being decoded while it plays: 44.1 kHz float frames, mono or stereo.
// The mixer reads sounds only through this, so it never sees a decoder library.
class DovSoundSource {
public:
    static constexpr int kRate = 44100;

    virtual ~DovSoundSource() = default;

    // 1 or 2.
    virtual int channels() const = 0;
    // The length in frames at kRate, -1 when it is not known.
    virtual std::int64_t lengthFrames() const = 0;
    // Fills `out` (or drops, when null) up to `frames` interleaved frames; fewer
    // only at the end of the sound.
    virtual int read(float* out, int frames) = 0;
    // Back to the first sample. False when the input cannot be read again.
    virtual bool rewind() = 0;
    // Reads and drops frames; the number there were.
    virtual std::int64_t skip(std::int64_t frames) = 0;
};
