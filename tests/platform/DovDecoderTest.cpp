#include "platform/dov/ffmpeg/DovDecoder.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <vector>

#include "DovTestMedia.h"

namespace {

std::vector<float> decodeAll(DovDecoder& decoder) {
    std::vector<float> samples;
    std::vector<float> block(1000 * 2);
    for (;;) {
        const int got = decoder.read(block.data(), 1000);
        samples.insert(samples.end(), block.begin(), block.begin() + got * decoder.channels());
        if (got < 1000) {
            return samples;
        }
    }
}

float peak(const std::vector<float>& samples) {
    float highest = 0;
    for (float s : samples) {
        highest = std::max(highest, std::abs(s));
    }
    return highest;
}

}  // namespace

TEST(DovDecoder, ToneLengthsAreExactAtTheMixRate) {
    struct Case {
        int ms;
        int rate;
        int channels;
    };
    for (const Case c : {Case{1500, 44100, 1}, Case{250, 22050, 1}, Case{700, 48000, 2}}) {
        const QByteArray ogg = dovtest::toneOgg(c.ms, c.rate, c.channels);
        ASSERT_FALSE(ogg.isEmpty());
        QString error;
        auto decoder = DovDecoder::fromMemory(ogg, error);
        ASSERT_TRUE(decoder) << error.toStdString();
        const std::int64_t expected = 44100LL * c.ms / 1000;
        EXPECT_NEAR(decoder->lengthFrames(), expected, 2) << c.ms << " ms at " << c.rate;
        EXPECT_EQ(decoder->channels(), c.channels);
        const auto samples = decodeAll(*decoder);
        const auto frames = static_cast<std::int64_t>(samples.size()) / c.channels;
        // Resampling may shift the end by a few frames; nothing more.
        EXPECT_NEAR(frames, expected, 64) << c.ms << " ms at " << c.rate;
        EXPECT_NEAR(peak(samples), 0.5F, 0.03F);
    }
}

TEST(DovDecoder, RewindPlaysTheSameSamplesAgain) {
    QString error;
    auto decoder = DovDecoder::fromMemory(dovtest::toneOgg(400, 44100, 2, 300.0), error);
    ASSERT_TRUE(decoder);
    std::vector<float> half(8820 * 2);
    ASSERT_EQ(decoder->read(half.data(), 8820), 8820);
    ASSERT_TRUE(decoder->rewind());
    const auto first = decodeAll(*decoder);
    ASSERT_TRUE(decoder->rewind());
    const auto second = decodeAll(*decoder);
    ASSERT_EQ(first.size(), second.size());
    EXPECT_EQ(first, second);
    EXPECT_TRUE(std::equal(half.begin(), half.end(), first.begin()));
}

TEST(DovDecoder, SkipDropsExactlyTheFramesAsked) {
    QString error;
    auto decoder = DovDecoder::fromMemory(dovtest::toneOgg(300, 44100, 1, 500.0), error);
    ASSERT_TRUE(decoder);
    const auto all = decodeAll(*decoder);
    ASSERT_TRUE(decoder->rewind());
    EXPECT_EQ(decoder->skip(5000), 5000);
    std::vector<float> after(100);
    ASSERT_EQ(decoder->read(after.data(), 100), 100);
    EXPECT_TRUE(std::equal(after.begin(), after.end(), all.begin() + 5000));
    EXPECT_EQ(decoder->skip(1'000'000), static_cast<std::int64_t>(all.size()) - 5100);
    EXPECT_EQ(decoder->read(after.data(), 100), 0);
}

TEST(DovDecoder, EmptyAndForeignBytesAreRefusedWithAReason) {
    for (const QByteArray& bytes :
         {QByteArray(), QByteArray("OggS but nothing after"), QByteArray(5000, '\x55'),
          QByteArray("RIFF\x10\0\0\0WAVEfmt ", 16)}) {
        QString error;
        EXPECT_FALSE(DovDecoder::fromMemory(bytes, error)) << bytes.left(8).toStdString();
        EXPECT_FALSE(error.isEmpty());
    }
    QString error;
    EXPECT_FALSE(DovDecoder::fromFile(QStringLiteral("/nonexistent/movie.avi"), error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(DovDecoder, ATruncatedOggEndsWhereItBreaks) {
    const QByteArray ogg = dovtest::toneOgg(20000);  // headers are a small part of it
    QString error;
    auto whole = DovDecoder::fromMemory(ogg, error);
    ASSERT_TRUE(whole);
    const auto wholeSamples = decodeAll(*whole);
    for (const double part : {0.3, 0.7, 0.95}) {
        const QByteArray truncated = ogg.left(static_cast<qsizetype>(ogg.size() * part));
        auto decoder = DovDecoder::fromMemory(truncated, error);
        ASSERT_TRUE(decoder) << part;
        const auto samples = decodeAll(*decoder);
        EXPECT_LT(samples.size(), wholeSamples.size()) << part;
        EXPECT_GT(samples.size(), wholeSamples.size() * (part - 0.25)) << part;
        EXPECT_EQ(decoder->read(nullptr, 10), 0);
        EXPECT_TRUE(decoder->rewind());
        EXPECT_EQ(decodeAll(*decoder).size(), samples.size());
    }
}

TEST(DovDecoder, DamagedBytesInsideTheStreamNeverCrash) {
    // Five seconds, so that the headers are a small part of the stream and lie
    // before the damage in its second half: it opens and plays what it can.
    QByteArray ogg = dovtest::toneOgg(5000);
    for (qsizetype i = ogg.size() / 2; i < ogg.size(); i += 97) {
        ogg[i] = static_cast<char>(ogg[i] ^ 0x5A);
    }
    QString error;
    auto decoder = DovDecoder::fromMemory(ogg, error);
    ASSERT_TRUE(decoder) << error.toStdString();
    const auto samples = decodeAll(*decoder);
    EXPECT_GT(samples.size(), 0U);
    EXPECT_LE(samples.size(), 5U * 44100U + 4096U);
    EXPECT_EQ(decoder->read(nullptr, 10), 0);
}

TEST(DovDecoder, AMovieFileGivesItsSound) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("m.avi"));
    ASSERT_TRUE(dovtest::writeMovie(path, 5, 10, 64, 48, 800));
    QString error;
    auto decoder = DovDecoder::fromFile(path, error);
    ASSERT_TRUE(decoder) << error.toStdString();
    EXPECT_EQ(decoder->channels(), 1);
    EXPECT_NEAR(static_cast<double>(decodeAll(*decoder).size()), 44100 * 0.8, 64);

    const QString silent = dir.filePath(QStringLiteral("silent.avi"));
    ASSERT_TRUE(dovtest::writeMovie(silent, 5, 10, 64, 48, 0));
    EXPECT_FALSE(DovDecoder::fromFile(silent, error));
}
