#include "platform/dov/DovLibrary.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cmath>
#include <map>
#include <vector>

#include "DovTestMedia.h"
#include "platform/os/RealClock.h"
#include "platform/os/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace {

using Lib = DovLibrary;

const QByteArray& tone(int ms, int rate = 44100) {
    static std::map<std::pair<int, int>, QByteArray> cache;
    QByteArray& bytes = cache[{ms, rate}];
    if (bytes.isEmpty()) {
        bytes = dovtest::toneOgg(ms, rate, 1, 441.0, 0.5);
    }
    return bytes;
}

float rms(const std::vector<float>& out, int channel, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += static_cast<double>(out[2 * i + channel]) * out[2 * i + channel];
    }
    return static_cast<float>(std::sqrt(sum / static_cast<double>(to - from)));
}

// The grey a movie frame of that luma shows as (limited-range video).
int shownGrey(int luma) {
    return static_cast<int>(std::lround((luma - 16) * 255.0 / 219.0));
}

// A new sound object holding the bytes, not yet prepared.
std::int32_t Fill(DovLibrary& dov, const QByteArray& bytes) {
    const std::int32_t handle = dov.AddSO(Lib::kSOKindSound);
    EXPECT_GT(handle, 0);
    EXPECT_EQ(dov.SetSOProp(handle, Lib::kSOBufferSize, static_cast<int>(bytes.size())), 0);
    QByteArray* buffer = nullptr;
    EXPECT_EQ(dov.GetSOBuffer(handle, buffer), 0);
    EXPECT_EQ(buffer->size(), bytes.size());
    std::copy(bytes.begin(), bytes.end(), buffer->begin());
    return handle;
}

std::int32_t Prop(DovLibrary& dov, std::int32_t handle, std::int32_t property) {
    std::int32_t value = -12345;
    EXPECT_EQ(dov.GetSOProp(handle, property, value), 0);
    return value;
}

class DovLibraryTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(dov.InitializeDov(), Lib::kDovSuccess); }

    std::int32_t Load(const QByteArray& bytes) {
        const std::int32_t handle = Fill(dov, bytes);
        EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPrepare), 0);
        return handle;
    }
    bool Playing(std::int32_t handle) {
        return Prop(dov, handle, Lib::kSOState) == Lib::kStatePlaying;
    }
    // Whether the play ends exactly `ms` from now.
    bool EndsIn(std::int32_t handle, qint64 ms) {
        clock.sleep(ms - 1);
        const bool before = Playing(handle);
        clock.sleep(1);
        return before && !Playing(handle);
    }
    QString Movie(int frames, int soundMs) {
        const QString path = dir.filePath(u"op.avi"_s);
        EXPECT_TRUE(dovtest::writeMovie(path, frames, 10, 64, 48, soundMs));
        return path;
    }

    QTemporaryDir dir;
    VirtualClock clock;
    DovLibrary dov{clock};
};

}  // namespace

TEST_F(DovLibraryTest, StartsOnceAndDescribesItsErrors) {
    EXPECT_EQ(dov.OutputDriver(), u"dummy"_s);
    EXPECT_EQ(dov.InitializeDov(), Lib::kDovErrAlreadyInitialized);
    std::int32_t value = 0;
    ASSERT_EQ(dov.GetDovProp(Lib::kDovLastError, value), 0);
    EXPECT_EQ(value, Lib::kDovErrAlreadyInitialized);
    ASSERT_EQ(dov.GetDovProp(Lib::kDovDirectXVersion, value), 0);
    EXPECT_EQ(value >> 8, 0x02);  // SDL 2.x, as BCD digits
    EXPECT_LE(value & 0x0F, 9);
    EXPECT_LE((value >> 4) & 0x0F, 9);

    QString text;
    ASSERT_EQ(dov.GetErrorDescription(Lib::kDovErrAlreadyInitialized, text, 256), 0);
    EXPECT_EQ(text, u"The library is already initialised."_s);
    ASSERT_EQ(dov.GetErrorDescription(Lib::kDovErrAlreadyInitialized, text, 8), 0);
    EXPECT_EQ(text, u"The lib"_s);
    EXPECT_NE(dov.GetErrorDescription(12345, text, 256), 0);
    EXPECT_EQ(text, QString());

    EXPECT_EQ(dov.SetDovProp(Lib::kDovLastError, 0), Lib::kDovErrReadOnly);
    EXPECT_EQ(dov.SetDovProp(Lib::kDovVideoWindow, 5), Lib::kDovErrBadValue);
    EXPECT_EQ(dov.GetDovProp(0x41009999, value), Lib::kDovErrBadProperty);
    EXPECT_EQ(dov.AddSO(0x49081003), 0);
    EXPECT_EQ(dov.TerminateDov(), 0);
    EXPECT_EQ(dov.TerminateDov(), Lib::kDovErrNotInitialized);
    EXPECT_EQ(dov.AddSO(Lib::kSOKindSound), 0);
    EXPECT_EQ(dov.dshowPlay(u"x.avi"_s), Lib::kDovErrNotInitialized);
    EXPECT_EQ(dov.InitializeDov(), 0);  // and it starts again
}

TEST_F(DovLibraryTest, ASoundPlaysForItsLengthByTheClock) {
    // Seventy seconds of frames at 44.1 kHz overflow 32 bits as milliseconds × rate.
    for (const auto& [ms, rate] : {std::pair{1500, 44100}, std::pair{70000, 8000}}) {
        const std::int32_t handle = Load(tone(ms, rate));
        EXPECT_EQ(Prop(dov, handle, Lib::kSOLength), ms);
        EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStateStopped);
        ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
        EXPECT_TRUE(EndsIn(handle, ms)) << ms;
    }
    const std::int32_t handle = Load(tone(500));
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    clock.sleep(600);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);  // again from the start
    clock.sleep(400);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSORewind), 0);
    EXPECT_TRUE(EndsIn(handle, 500));
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOStop), 0);
    EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStateStopped);
}

TEST_F(DovLibraryTest, LoopCountsAndFadesDecideWhenThePlayEnds) {
    const std::int32_t handle = Load(tone(200));
    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOLoopCount, 3), 0);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    EXPECT_TRUE(EndsIn(handle, 600));

    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOLoopCount, -1), 0);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    clock.sleep(200 * 100 + 50);
    EXPECT_TRUE(Playing(handle));
    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOLoopCount, 1), 0);  // the pass under way ends it
    EXPECT_TRUE(EndsIn(handle, 150));

    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOLoopCount, -1), 0);
    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOFadeTime, 300), 0);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    clock.sleep(1000);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOFadeOutAndStop), 0);
    EXPECT_TRUE(EndsIn(handle, 300));

    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOFadeTime, 0), 0);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOFadeOutAndStop), 0);
    EXPECT_FALSE(Playing(handle));
}

TEST_F(DovLibraryTest, BadCallsAndBadDataGiveErrorsNotCrashes) {
    std::int32_t value = 0;
    EXPECT_EQ(dov.SetSOProp(99, Lib::kSOVolume, 1), Lib::kDovErrBadHandle);
    EXPECT_EQ(dov.GetSOProp(99, Lib::kSOVolume, value), Lib::kDovErrBadHandle);
    EXPECT_EQ(dov.CallSOMethod(99, Lib::kSOPlay), Lib::kDovErrBadHandle);

    const std::int32_t handle = dov.AddSO(Lib::kSOKindSound);
    EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStateEmpty);
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), Lib::kDovErrNotPrepared);
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPrepare), Lib::kDovErrNoData);
    EXPECT_EQ(dov.CallSOMethod(handle, 0x47000000), Lib::kDovErrBadMethod);
    EXPECT_EQ(dov.SetSOProp(handle, Lib::kSOState, 0), Lib::kDovErrReadOnly);
    EXPECT_EQ(dov.SetSOProp(handle, Lib::kSOLength, 0), Lib::kDovErrReadOnly);
    EXPECT_EQ(dov.SetSOProp(handle, 0x46000001, 0), Lib::kDovErrBadProperty);
    EXPECT_EQ(dov.SetSOProp(handle, Lib::kSOBufferSize, -1), Lib::kDovErrBadValue);

    ASSERT_EQ(dov.SetSOProp(handle, Lib::kSOBufferSize, 4000), 0);
    QByteArray* buffer = nullptr;
    ASSERT_EQ(dov.GetSOBuffer(handle, buffer), 0);
    buffer->fill('\x33');
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPrepare), Lib::kDovErrUndecodable);
    EXPECT_FALSE(dov.LastMediaError().isEmpty());
    EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStateEmpty);
    dov.GetDovProp(Lib::kDovLastError, value);
    EXPECT_EQ(value, Lib::kDovErrUndecodable);

    // Out-of-range values are taken in range.
    *buffer = tone(300);
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPrepare), 0);
    const std::int32_t rules[][3] = {{Lib::kSOVolume, 400, 255},
                                     {Lib::kSOVolume, -3, 0},
                                     {Lib::kSOPan, -31, -30},
                                     {Lib::kSOLoopCount, 0, 1}};
    for (const auto& [property, given, kept] : rules) {
        EXPECT_EQ(dov.SetSOProp(handle, property, given), 0);
        EXPECT_EQ(Prop(dov, handle, property), kept) << given;
    }
}

TEST_F(DovLibraryTest, TheMixIsRenderedByTheVirtualClockAndAlwaysTheSame) {
    const auto run = [] {
        VirtualClock clock;
        DovLibrary dov(clock);
        EXPECT_EQ(dov.InitializeDov(), 0);
        std::vector<float> out;
        dov.SetMixSink([&out](const float* frames, int count) {
            out.insert(out.end(), frames, frames + 2 * count);
        });
        const std::int32_t handle = Fill(dov, tone(2000));
        dov.CallSOMethod(handle, Lib::kSOPrepare);
        clock.sleep(100);
        dov.SetSOProp(handle, Lib::kSOVolume, 128);
        dov.CallSOMethod(handle, Lib::kSOPlay);
        dov.SetSOProp(handle, Lib::kSOPan, 15);  // while playing
        clock.sleep(1000);
        dov.AdvanceMix();
        return out;
    };
    const std::vector<float> out = run();
    ASSERT_EQ(out.size(), 2U * 48510);  // 1.1 s
    EXPECT_EQ(rms(out, 0, 0, 4410), 0.0F);
    const float full = 0.5F / std::sqrt(2.0F);
    EXPECT_NEAR(rms(out, 0, 4410, 48510), full * 128 / 255 * 0.5F, 0.004F);
    EXPECT_NEAR(rms(out, 1, 4410, 48510), full * 128 / 255, 0.004F);
    EXPECT_EQ(run(), out);
}

TEST_F(DovLibraryTest, MoviesShowEachFrameInTheWindowWhenItsTimeComes) {
    const QString path = Movie(10, 800);
    std::vector<QImage> shown;
    const std::int32_t window = dov.AddVideoWindow(
        {QSize(100, 60), [&shown](const QImage& frame) { shown.push_back(frame); }});
    ASSERT_EQ(dov.SetDovProp(Lib::kDovVideoWindow, window), 0);
    ASSERT_EQ(dov.dshowChangeWindow(), 0);
    std::vector<float> out;
    dov.SetMixSink([&out](const float* frames, int count) {
        out.insert(out.end(), frames, frames + 2 * count);
    });

    ASSERT_EQ(dov.dshowPlay(path), 0);
    ASSERT_EQ(shown.size(), 1U);
    for (int k = 1; k < 10; ++k) {
        EXPECT_EQ(dov.dshowIsPlaying(), 1) << k;
        clock.sleep(100);
        clock.pump();
        ASSERT_EQ(shown.size(), static_cast<std::size_t>(k) + 1);
    }
    for (std::size_t k = 0; k < shown.size(); ++k) {
        ASSERT_EQ(shown[k].size(), QSize(100, 60));
        EXPECT_EQ(qGray(shown[k].pixel(3, 30)), 0) << "letterbox";
        const int grey = shownGrey(dovtest::movieGrey(static_cast<int>(k)));
        EXPECT_NEAR(qGray(shown[k].pixel(50, 30)), grey, 6) << k;
    }
    clock.sleep(99);
    EXPECT_EQ(dov.dshowIsPlaying(), 1);
    clock.sleep(1);
    EXPECT_EQ(dov.dshowIsPlaying(), 0);
    EXPECT_EQ(shown.size(), 10U);
    EXPECT_EQ(dov.dshowLatestFrame(), shown.back());
    EXPECT_GT(rms(out, 0, 0, 30000), 0.2F);  // the movie's sound went through the mix
    EXPECT_EQ(dov.dshowStop(), 0);
}

TEST_F(DovLibraryTest, AStoppedOrLateMovieSkipsToTheFrameDue) {
    ASSERT_EQ(dov.dshowPlay(Movie(10, 0)), 0);
    EXPECT_EQ(dov.dshowLatestFrame().size(), QSize(64, 48));  // no window: its own size
    clock.sleep(450);  // nothing pumped: the frame due is decoded when asked
    EXPECT_EQ(dov.dshowIsPlaying(), 1);
    EXPECT_NEAR(qGray(dov.dshowLatestFrame().pixel(10, 10)), shownGrey(dovtest::movieGrey(4)), 6);
    EXPECT_EQ(dov.dshowStop(), 0);
    EXPECT_EQ(dov.dshowIsPlaying(), 0);
    clock.sleep(1000);
    clock.pump();  // no timer of the stopped movie is left

    EXPECT_EQ(dov.dshowPlay(dir.filePath(u"missing.avi"_s)), Lib::kDovErrMovieUnplayable);
    EXPECT_FALSE(dov.LastMediaError().isEmpty());
    EXPECT_EQ(dov.dshowIsPlaying(), 0);
}

TEST(DovLibrary, WithTheRealClockSdlsThreadMixesAndStateFollowsTheWallClock) {
    RealClock clock;
    DovLibrary::Options options;
    options.silentOutput = true;
    QStringList log;
    options.log = [&log](const QString& line) { log.append(line); };
    DovLibrary dov(clock, options);
    ASSERT_EQ(dov.InitializeDov(), 0);
    EXPECT_FALSE(dov.IsVirtualTime());
    EXPECT_EQ(dov.OutputDriver(), u"dummy"_s);
    // The output opens on a thread of its own; its outcome is taken and told once.
    dov.AdvanceMix();
    EXPECT_EQ(dov.OutputDriver(), u"dummy"_s);
    EXPECT_EQ(log, QStringList{u"dov audio output: dummy"_s});
    const std::int32_t handle = Fill(dov, tone(60000));
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPrepare), 0);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), 0);
    EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStatePlaying);
    ASSERT_EQ(dov.CallSOMethod(handle, Lib::kSOStop), 0);
    EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStateStopped);
    EXPECT_EQ(dov.TerminateDov(), 0);
}

TEST(DovLibrary, WithoutTheMediaPluginSoundsAndMoviesFailWithTheReasonAndNothingElse) {
    VirtualClock clock;
    DovLibrary dov(clock, DovLibrary::Options{}, u"/nonexistent/libvaro_media.so"_s);
    ASSERT_EQ(dov.InitializeDov(), 0);  // start-up does not need the decoders
    const std::int32_t handle = Fill(dov, tone(300));
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPrepare), Lib::kDovErrNoDecoder);
    const QString reason = dov.LastMediaError();
    EXPECT_TRUE(reason.startsWith(u"media decoders not available: "_s)) << reason.toStdString();
    EXPECT_EQ(Prop(dov, handle, Lib::kSOState), Lib::kStateEmpty);
    EXPECT_EQ(dov.CallSOMethod(handle, Lib::kSOPlay), Lib::kDovErrNotPrepared);

    QTemporaryDir dir;
    const QString path = dir.filePath(u"op.avi"_s);
    ASSERT_TRUE(dovtest::writeMovie(path, 5, 10, 32, 24, 300));
    EXPECT_EQ(dov.dshowPlay(path), Lib::kDovErrNoDecoder);
    EXPECT_EQ(dov.LastMediaError(), reason);
    EXPECT_EQ(dov.dshowIsPlaying(), 0);
    // The rest of the library goes on working.
    EXPECT_EQ(dov.SetSOProp(handle, Lib::kSOVolume, 100), 0);
    clock.sleep(500);
    dov.AdvanceMix();
    EXPECT_EQ(dov.TerminateDov(), 0);
}
