#include "platform/dov/DovMixer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <vector>

#include "DovTestMedia.h"
#include "platform/dov/ffmpeg/DovDecoder.h"

namespace {

using Op = DovMixer::Op;

const QByteArray& tone(int ms) {
    static std::map<int, QByteArray> cache;
    QByteArray& bytes = cache[ms];
    if (bytes.isEmpty()) {
        bytes = dovtest::toneOgg(ms, 44100, 1, 441.0, 0.5);
    }
    return bytes;
}

std::unique_ptr<DovDecoder> decoder(int ms) {
    QString error;
    return DovDecoder::fromMemory(tone(ms), error);
}

// The tone's own samples, as the decoder gives them.
std::vector<float> reference(int ms) {
    auto source = decoder(ms);
    std::vector<float> samples(static_cast<std::size_t>(source->lengthFrames()) + 4096);
    samples.resize(source->read(samples.data(), static_cast<int>(samples.size())));
    return samples;
}

DovMixer::Command command(Op op, int voice, std::int64_t value = 0, std::int64_t at = 0) {
    DovMixer::Command c;
    c.op = op;
    c.voice = voice;
    c.value = value;
    c.atFrame = at;
    return c;
}

void addSound(DovMixer& mixer, int voice, int ms, std::int64_t at = 0) {
    DovMixer::Command source = command(Op::Source, voice, 0, at);
    source.source = decoder(ms);
    ASSERT_TRUE(source.source);
    mixer.post(std::move(source));
}

std::vector<float> render(DovMixer& mixer, std::int64_t until) {
    std::vector<float> out(static_cast<std::size_t>(until - mixer.position()) * 2);
    mixer.renderUntil(until, out.data());
    return out;
}

float rms(const std::vector<float>& out, int channel, std::int64_t from, std::int64_t to) {
    double sum = 0;
    for (std::int64_t i = from; i < to; ++i) {
        sum += static_cast<double>(out[2 * i + channel]) * out[2 * i + channel];
    }
    return static_cast<float>(std::sqrt(sum / static_cast<double>(to - from)));
}

}  // namespace

TEST(DovMixer, EachSampleIsScaledByVolumeAndPan) {
    const std::vector<float> source = reference(300);
    struct Case {
        int volume;
        int pan;
        float left;
        float right;
    };
    for (const Case c : {Case{255, 0, 1.0F, 1.0F}, Case{128, 0, 128 / 255.0F, 128 / 255.0F},
                         Case{255, 30, 0.0F, 1.0F}, Case{255, -15, 1.0F, 0.5F},
                         Case{51, 15, 0.1F, 0.2F}, Case{255, 99, 0.0F, 1.0F}}) {
        DovMixer mixer;
        addSound(mixer, 1, 300);
        mixer.post(command(Op::Volume, 1, c.volume));
        mixer.post(command(Op::Pan, 1, c.pan));
        mixer.post(command(Op::Play, 1));
        const auto out = render(mixer, 44100);
        for (std::size_t i = 0; i < source.size(); i += 37) {
            ASSERT_NEAR(out[2 * i], source[i] * c.left, 1e-5) << c.volume << "/" << c.pan;
            ASSERT_NEAR(out[2 * i + 1], source[i] * c.right, 1e-5) << c.volume << "/" << c.pan;
        }
        EXPECT_EQ(rms(out, 0, static_cast<std::int64_t>(source.size()), 44100), 0.0F);
        EXPECT_FALSE(mixer.isVoicePlaying(1));
    }
}

TEST(DovMixer, LoopCountsPlayThatManyPassesOrForEver) {
    const std::vector<float> source = reference(100);
    const auto length = static_cast<std::int64_t>(source.size());
    DovMixer twice;
    addSound(twice, 1, 100);
    twice.post(command(Op::Loops, 1, 2));
    twice.post(command(Op::Play, 1));
    const auto out = render(twice, 3 * length);
    for (std::int64_t i = 0; i < length; i += 11) {
        ASSERT_FLOAT_EQ(out[2 * (length + i)], source[i]);
    }
    EXPECT_GT(rms(out, 0, length, 2 * length), 0.3F);
    EXPECT_EQ(rms(out, 0, 2 * length, 3 * length), 0.0F);
    EXPECT_FALSE(twice.isVoicePlaying(1));

    DovMixer endless;
    addSound(endless, 1, 100);
    endless.post(command(Op::Loops, 1, -1));
    endless.post(command(Op::Play, 1));
    const auto many = render(endless, 20 * length);
    EXPECT_GT(rms(many, 1, 19 * length, 20 * length), 0.3F);
    EXPECT_TRUE(endless.isVoicePlaying(1));
}

TEST(DovMixer, FadeInRisesAndFadeOutEndsThePlay) {
    DovMixer mixer;
    addSound(mixer, 1, 2000);
    mixer.post(command(Op::Play, 1, 4410));  // 100 ms
    const auto rising = render(mixer, 8820);
    EXPECT_LT(rms(rising, 0, 0, 441), 0.03F);
    EXPECT_GT(rms(rising, 0, 2205, 2646), 0.1F);
    EXPECT_LT(rms(rising, 0, 2205, 2646), 0.25F);
    EXPECT_NEAR(rms(rising, 0, 4410, 8820), 0.3536F, 0.01F);

    mixer.post(command(Op::FadeOut, 1, 2205, 8820));
    const auto falling = render(mixer, 8820 + 4410);
    EXPECT_LT(rms(falling, 0, 1600, 2205), 0.1F);
    EXPECT_EQ(rms(falling, 0, 2205, 4410), 0.0F);
    EXPECT_FALSE(mixer.isVoicePlaying(1));
}

TEST(DovMixer, CommandsActAtTheirFrameHoweverTheRenderingIsCut) {
    const auto post = [](DovMixer& mixer) {
        addSound(mixer, 1, 500);
        mixer.post(command(Op::Play, 1, 0, 100));
        mixer.post(command(Op::Volume, 1, 64, 1000));
        mixer.post(command(Op::Pan, 1, -30, 2000));
        mixer.post(command(Op::Stop, 1, 0, 3000));
    };
    DovMixer whole;
    post(whole);
    const auto once = render(whole, 5000);
    DovMixer pieces;
    post(pieces);
    std::vector<float> stepped;
    while (pieces.position() < 5000) {
        const auto part = render(pieces, std::min<std::int64_t>(pieces.position() + 7, 5000));
        stepped.insert(stepped.end(), part.begin(), part.end());
    }
    EXPECT_EQ(once, stepped);
    EXPECT_EQ(rms(once, 0, 0, 100), 0.0F);
    EXPECT_GT(rms(once, 0, 100, 1000), 0.3F);
    EXPECT_EQ(rms(once, 1, 2300, 3000), 0.0F);  // panned hard left after its ramp
    EXPECT_GT(rms(once, 0, 2300, 3000), 0.05F);
    EXPECT_EQ(rms(once, 0, 3000, 5000), 0.0F);
}

TEST(DovMixer, TimeSkippedUnheardIsCaughtUpWhenOutputIsAskedFor) {
    for (const std::int64_t loops : {std::int64_t{1}, std::int64_t{-1}}) {
        DovMixer heard;
        addSound(heard, 1, 300);
        heard.post(command(Op::Loops, 1, loops));
        heard.post(command(Op::Play, 1));
        const auto full = render(heard, 20000);

        DovMixer skipped;
        addSound(skipped, 1, 300);
        skipped.post(command(Op::Loops, 1, loops));
        skipped.post(command(Op::Play, 1));
        skipped.renderUntil(17000, nullptr);
        const auto tail = render(skipped, 20000);
        ASSERT_EQ(tail.size(), 6000U);
        EXPECT_TRUE(std::equal(tail.begin(), tail.end(), full.begin() + 2 * 17000)) << loops;
    }
}

TEST(DovMixer, RewindStartsThePassAgainAndStopSilencesAtOnce) {
    DovMixer mixer;
    addSound(mixer, 1, 500);
    mixer.post(command(Op::Play, 1));
    const auto first = render(mixer, 3000);
    mixer.post(command(Op::Rewind, 1, 0, 3000));
    const auto again = render(mixer, 6000);
    EXPECT_EQ(first, again);
    mixer.post(command(Op::Stop, 1, 0, 6000));
    mixer.post(command(Op::Play, 1, 0, 6000));
    EXPECT_EQ(render(mixer, 9000), first);  // a play after a stop starts from the beginning
}

TEST(DovMixer, RealTimeMixingAppliesEverythingPostedBeforeIt) {
    DovMixer mixer;
    addSound(mixer, 1, 500);
    mixer.post(command(Op::Play, 1, 0, 999999));  // stamps do not matter in real time
    std::vector<float> out(512 * 2);
    mixer.mix(out.data(), 512);
    EXPECT_GT(rms(out, 0, 0, 512), 0.3F);
    mixer.post(command(Op::Remove, 1));
    mixer.mix(out.data(), 512);
    EXPECT_EQ(rms(out, 0, 0, 512), 0.0F);
    EXPECT_FALSE(mixer.isVoicePlaying(1));
    mixer.releaseRetired();
}

TEST(DovMixer, ManyLoudVoicesAreClippedNotWrapped) {
    DovMixer mixer;
    for (int voice = 1; voice <= 6; ++voice) {
        addSound(mixer, voice, 300);
        mixer.post(command(Op::Play, voice));
    }
    const auto out = render(mixer, 4410);
    float highest = 0;
    for (float s : out) {
        highest = std::max(highest, std::abs(s));
    }
    EXPECT_EQ(highest, 1.0F);
}
