// Sounds from outside: arbitrary bytes taken as a sound file held in memory,
// decoded through the sound library's decoder (FFmpeg reading from memory),
// rewound, and played through the mixer, heard and unheard.
#include <cmath>
#include <cstdint>
#include <vector>

#include "platform/dov/DovMixer.h"
#include "platform/dov/ffmpeg/DovDecoder.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

// Decoding stops after this much sound: a few bytes may claim hours.
constexpr std::int64_t kMaxFrames = 44100 * 20;
constexpr int kBlock = 4096;

void checkSamples(const float* samples, std::size_t count, float limit) {
    for (std::size_t i = 0; i < count; ++i) {
        if (!std::isfinite(samples[i]) || std::abs(samples[i]) > limit) {
            __builtin_trap();
        }
    }
}

void playThroughMixer(const QByteArray& bytes) {
    QString error;
    DovMixer mixer;
    DovMixer::Command source;
    source.op = DovMixer::Op::Source;
    source.voice = 1;
    source.source = DovDecoder::fromMemory(bytes, error);
    mixer.post(std::move(source));
    DovMixer::Command play;
    play.op = DovMixer::Op::Play;
    play.voice = 1;
    play.value = 100;
    mixer.post(std::move(play));
    std::vector<float> out(2 * 3000);
    mixer.renderUntil(1000, nullptr);
    mixer.renderUntil(4000, out.data());
    checkSamples(out.data(), out.size(), 1.0F);
    mixer.releaseRetired();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    av_log_set_level(AV_LOG_QUIET);
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    std::unique_ptr<DovDecoder> decoder = DovDecoder::fromMemory(bytes, error);
    if (!decoder) {
        if (error.isEmpty()) {
            __builtin_trap();  // a refusal always says why
        }
        return 0;
    }
    if (decoder->channels() != 1 && decoder->channels() != 2) {
        __builtin_trap();
    }
    std::vector<float> block(static_cast<std::size_t>(kBlock) * 2);
    std::int64_t total = 0;
    while (total < kMaxFrames) {
        const int got = decoder->read(block.data(), kBlock);
        if (got < 0 || got > kBlock) {
            __builtin_trap();
        }
        // Decoders may overshoot a little, never wildly.
        checkSamples(block.data(), static_cast<std::size_t>(got) * decoder->channels(), 64.0F);
        total += got;
        if (got < kBlock) {
            break;
        }
    }
    if (decoder->rewind()) {
        decoder->skip(std::min<std::int64_t>(total, 5000));
        decoder->read(block.data(), kBlock);
    }
    playThroughMixer(bytes);
    return 0;
}
