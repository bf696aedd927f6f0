#include "media/clsDovDriver.h"

#include <gtest/gtest.h>

#include <QDir>
#include <cmath>
#include <map>
#include <vector>

#include "DovTestMedia.h"
#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "data/clsSaveData.h"
#include "media/clsOskaDriver.h"
#include "platform/Platform.h"
#include "platform/os/VirtualClock.h"

namespace {

using Lib = DovLibrary;

const QByteArray& tone(int ms) {
    static std::map<int, QByteArray> cache;
    QByteArray& bytes = cache[ms];
    if (bytes.isEmpty()) {
        // A low rate keeps long test sounds quick to make; the mix is at 44.1 kHz anyway.
        bytes = dovtest::toneOgg(ms, ms > 5000 ? 8000 : 44100, 1, 441.0, 0.5);
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

class clsDovDriverTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto virtualClock = std::make_unique<VirtualClock>();
        clock = virtualClock.get();
        platform = std::make_unique<Platform>(std::move(virtualClock), nullptr);
        platform->trace().keepInMemory(true);
        App().platform = platform.get();
        App().Launcher = &launcher;
        App().WorkspaceDir = dir.path();
        App().MovieDir = dir.path() + QStringLiteral("/movie");
        App().SoundFileMode = true;
        for (const auto& [name, ms] : std::map<QString, int>{{QStringLiteral("bgm01"), 60000},
                                                             {QStringLiteral("bgm02"), 60000},
                                                             {QStringLiteral("bgm03"), 60000},
                                                             {QStringLiteral("Jingle"), 3000},
                                                             {QStringLiteral("click"), 200},
                                                             {QStringLiteral("v001"), 1500},
                                                             {QStringLiteral("v002"), 2500}}) {
            Sound(name, ms);
        }
    }
    void TearDown() override {
        App().platform = nullptr;
        App().Launcher = nullptr;
        App().SoundFileMode = false;
        App().WorkspaceDir.clear();
        App().MovieDir.clear();
    }

    void Sound(const QString& name, int ms) {
        dir.write(QStringLiteral("sound/") + name + QStringLiteral(".ogg"), tone(ms));
    }

    // The sound and movie events of the trace, without their times.
    QStringList Events() const {
        QStringList events;
        for (const QString& line : platform->trace().lines()) {
            const QString event = line.section(QLatin1Char(' '), 1);
            if (event.startsWith(QStringLiteral("sound ")) ||
                event.startsWith(QStringLiteral("movie "))) {
                events.append(event);
            }
        }
        return events;
    }
    QStringList TakeEvents() {
        const QStringList events = Events();
        const qsizetype seen = seen_;
        seen_ = events.size();
        return events.mid(seen);
    }
    bool Logged(const QString& line) { return launcher.Log().Log().contains(line); }

    TempFolder dir;
    clsLaunch launcher;
    VirtualClock* clock = nullptr;
    std::unique_ptr<Platform> platform;

private:
    qsizetype seen_ = 0;
};

}  // namespace

TEST_F(clsDovDriverTest, InitAndReleaseWriteTheirLogLines) {
    {
        clsDovDriver dov;
        ASSERT_TRUE(dov.Init());
        const QString log = launcher.Log().Log();
        const auto call = log.indexOf(QStringLiteral("  Procedure InitializeDov Call..."));
        const auto returned = log.indexOf(QStringLiteral("  Procedure InitializeDov Returned."));
        const auto succeeded =
            log.indexOf(QStringLiteral("  Initialization of DovDriver Succeeded."));
        EXPECT_GE(call, 0);
        EXPECT_LT(call, returned);
        EXPECT_LT(returned, succeeded);
        EXPECT_EQ(dov.BGMFadeTime(), 500);
        EXPECT_EQ(dov.BGMVolume(), 255);
        EXPECT_EQ(dov.BGMVolumeRate(), 100);
        EXPECT_FALSE(Logged(QStringLiteral("TerminateDov")));
    }
    const QString log = launcher.Log().Log();
    const auto call = log.indexOf(QStringLiteral("  Procedure TerminateDov Call..."));
    const auto returned = log.indexOf(QStringLiteral("  Procedure TerminateDov Returned."));
    const auto done = log.indexOf(QStringLiteral("  Termination of DovDriver Succeeded."));
    EXPECT_GE(call, 0);
    EXPECT_LT(call, returned);
    EXPECT_LT(returned, done);
}

TEST_F(clsDovDriverTest, AFailedStartKeepsTheFourErrorValues) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    EXPECT_FALSE(dov.Init());
    EXPECT_EQ(dov.DovLastError(), Lib::kDovErrAlreadyInitialized);
    EXPECT_EQ(dov.DovDirectXVersion() >> 8, 0x02);
    EXPECT_EQ(dov.DovExtendedErrorID1(), 0);
    EXPECT_EQ(dov.DovExtendedErrorID2(), 0);
}

TEST_F(clsDovDriverTest, BGMFadeTimeComesFromTheSystemInformationWhenGiven) {
    clsDovDriver::Hooks hooks;
    hooks.bgmFadeTime = [] { return std::optional<std::int32_t>(800); };
    clsDovDriver given(nullptr, hooks);
    ASSERT_TRUE(given.Init());
    EXPECT_EQ(given.BGMFadeTime(), 800);
    hooks.bgmFadeTime = [] { return std::optional<std::int32_t>(); };
    clsDovDriver absent(nullptr, hooks);
    ASSERT_TRUE(absent.Init());
    EXPECT_EQ(absent.BGMFadeTime(), 500);
}

TEST_F(clsDovDriverTest, TheTwoMusicPlayersTakeTurnsAndTheSameTrackIsNotRestarted) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), false, true));
    EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("sound play bgm0 bgm01")});
    EXPECT_EQ(dov.SOLength(), 60000);
    clock->sleep(5000);
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), true, true));
    EXPECT_EQ(TakeEvents(), QStringList());
    EXPECT_EQ(clock->now(), 5000);  // no fade, no wait

    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm02"), false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound fade bgm0 bgm01"),
                                         QStringLiteral("sound play bgm1 bgm02")}));
    EXPECT_TRUE(dov.IsPlayingBGM());
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm03"), false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound fade bgm1 bgm02"),
                                         QStringLiteral("sound play bgm0 bgm03")}));
    // The other player still holds bgm02: it is played without loading it again.
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm02"), false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound fade bgm0 bgm03"),
                                         QStringLiteral("sound play bgm1 bgm02")}));
    EXPECT_EQ(launcher.Log().Log().count(QStringLiteral("dov load file 'bgm02' from file")), 1);

    // The same track with another loop flag starts again on its player.
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm02"), false, false));
    EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("sound play bgm1 bgm02")});
}

TEST_F(clsDovDriverTest, WithNoMusicCurrentAFadingPlayerIsLeftAlone) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), false, true));
    ASSERT_TRUE(dov.StopBGM(false));
    EXPECT_TRUE(dov.IsPlayingBGM());  // fading out
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm02"), false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound play bgm0 bgm01"),
                                         QStringLiteral("sound fade bgm0 bgm01"),
                                         QStringLiteral("sound play bgm1 bgm02")}));
    ASSERT_TRUE(dov.StopBGM(false));
    clock->sleep(500);
    EXPECT_FALSE(dov.IsPlayingBGM());
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), false, true));  // held by player 0
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound fade bgm1 bgm02"),
                                         QStringLiteral("sound play bgm0 bgm01")}));
    EXPECT_TRUE(dov.StopBGM(false));
    EXPECT_TRUE(dov.StopBGM(true));  // nothing current: nothing to wait for
    EXPECT_EQ(clock->now(), 500);
}

TEST_F(clsDovDriverTest, FadeWaitsRunTimersButHoldUserInput) {
    clsDovDriver::Hooks hooks;
    hooks.bgmFadeTime = [] { return std::optional<std::int32_t>(800); };
    clsDovDriver dov(nullptr, hooks);
    ASSERT_TRUE(dov.Init());
    int timerFired = 0;
    int inputDelivered = 0;
    clock->startTimer(100, [&timerFired] { ++timerFired; });
    clock->scheduleInput(200, [&inputDelivered] { ++inputDelivered; });

    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), true, true));
    EXPECT_EQ(clock->now(), 0);  // no earlier music: no wait
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm02"), true, true));
    EXPECT_EQ(clock->now(), 800);
    EXPECT_EQ(timerFired, 1);
    EXPECT_EQ(inputDelivered, 0);
    ASSERT_TRUE(dov.StopBGM(true));
    EXPECT_EQ(clock->now(), 1600);
    EXPECT_FALSE(dov.IsPlayingBGM());
    clock->pump();
    EXPECT_EQ(inputDelivered, 1);
}

TEST_F(clsDovDriverTest, ASixthEffectReusesPlayerFourAndAKnownEffectItsOwnPlayer) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    for (int i = 0; i < 5; ++i) {
        const QString name = QStringLiteral("se%1").arg(i);
        Sound(name, 3000);
        ASSERT_TRUE(dov.PlaySE(name, 0));
    }
    EXPECT_EQ(
        TakeEvents(),
        (QStringList{QStringLiteral("sound play se4 se0"), QStringLiteral("sound play se3 se1"),
                     QStringLiteral("sound play se2 se2"), QStringLiteral("sound play se1 se3"),
                     QStringLiteral("sound play se0 se4")}));
    ASSERT_TRUE(dov.PlaySE(QStringLiteral("click"), 0));
    EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("sound play se4 click")});
    EXPECT_EQ(dov.SOLength(), 200);
    ASSERT_TRUE(dov.PlaySE(QStringLiteral("se2"), 0));  // still held by player 2
    EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("sound play se2 se2")});
    EXPECT_EQ(launcher.Log().Log().count(QStringLiteral("dov load file 'se2' from file")), 1);

    clock->sleep(300);  // the click has ended: player 4 is free again, the highest free one
    EXPECT_TRUE(dov.IsPlayingSE());
    ASSERT_TRUE(dov.PlaySE(QStringLiteral("Jingle"), 0));
    EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("sound play se4 Jingle")});
    ASSERT_TRUE(dov.StopSE());
    EXPECT_FALSE(dov.IsPlayingSE());
    EXPECT_EQ(TakeEvents().size(), 5);  // every effect that was playing stopped
}

TEST_F(clsDovDriverTest, VoicesPlayAndReportTheirLength) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v001"), 0, -30));
    EXPECT_EQ(dov.SOLength(), 1500);
    EXPECT_TRUE(dov.IsPlayingCV());
    clock->sleep(1500);
    EXPECT_FALSE(dov.IsPlayingCV());
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v001"), 0, 0));  // the same voice again
    EXPECT_TRUE(dov.IsPlayingCV());
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v002"), 0, 0));
    EXPECT_EQ(dov.SOLength(), 2500);
    ASSERT_TRUE(dov.StopCV());
    EXPECT_FALSE(dov.IsPlayingCV());
    EXPECT_EQ(
        TakeEvents(),
        (QStringList{QStringLiteral("sound play cv v001"), QStringLiteral("sound play cv v001"),
                     QStringLiteral("sound play cv v002"), QStringLiteral("sound stop cv v002")}));
    EXPECT_EQ(launcher.Log().Log().count(QStringLiteral("dov load file 'v001' from file")), 1);
}

TEST_F(clsDovDriverTest, ALoopingEffectWithZeroLoopsPlaysEndlessly) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    std::int32_t loops = 0;
    ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));
    EXPECT_EQ(loops, -1);
    clock->sleep(200 * 50);
    EXPECT_TRUE(dov.IsPlayingSeLoop());
    loops = 2;
    ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));
    EXPECT_EQ(loops, 2);
    clock->sleep(399);
    EXPECT_TRUE(dov.IsPlayingSeLoop());
    clock->sleep(1);
    EXPECT_FALSE(dov.IsPlayingSeLoop());
    ASSERT_TRUE(dov.StopSELoop());
}

TEST_F(clsDovDriverTest, VolumesFollowTheirRules) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    dov.SetSEVolume(300);
    EXPECT_EQ(dov.SEVolume(), 255);
    dov.SetCVVolume(-7);
    EXPECT_EQ(dov.CVVolume(), -1);
    dov.SetBGMVolume(300);
    EXPECT_EQ(dov.BGMVolume(), 300);  // kept as given; only the player gets 255

    ASSERT_TRUE(dov.PlaySE(QStringLiteral("Jingle"), 0));
    std::int32_t loops = 0;
    ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));
    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), false, true));
    TakeEvents();
    dov.SetSEVolume(-1);
    EXPECT_FALSE(dov.IsPlayingSE());
    EXPECT_FALSE(dov.IsPlayingSeLoop());
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound stop se4 Jingle"),
                                         QStringLiteral("sound stop seloop click")}));
    dov.SetBGMVolume(200);
    dov.SetBGMVolumeRate(-10);  // 200 × -10 % is below 0: the music stops
    EXPECT_FALSE(dov.IsPlayingBGM());
    EXPECT_EQ(dov.BGMVolumeRate(), -10);
}

TEST_F(clsDovDriverTest, TheMixHasTheLevelsOfVolumeRateAndPan) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    std::vector<float> out;
    dov.Library().SetMixSink([&out](const float* frames, int count) {
        out.insert(out.end(), frames, frames + 2 * count);
    });
    const auto level = [&](std::int64_t fromMs, std::int64_t toMs, int channel) {
        dov.Library().AdvanceMix();
        return rms(out, channel, static_cast<std::size_t>(fromMs * 441 / 10),
                   static_cast<std::size_t>(toMs * 441 / 10));
    };

    ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm01"), false, true));
    clock->sleep(1000);
    EXPECT_LT(level(0, 100, 0), level(400, 500, 0) / 2);  // fading in
    const float full = level(600, 1000, 0);
    EXPECT_NEAR(full, 0.5F / std::sqrt(2.0F), 0.01F);
    EXPECT_EQ(level(600, 1000, 1), full);

    dov.SetBGMVolume(200);
    dov.SetBGMVolumeRate(50);  // plays at 100
    clock->sleep(1000);
    EXPECT_NEAR(level(1100, 2000, 0) / full, 100 / 255.0, 0.0015);
    dov.SetBGMVolume(255);  // 127.5 rounds to 128
    clock->sleep(1000);
    EXPECT_NEAR(level(2100, 3000, 0) / full, 128 / 255.0, 0.0015);
    dov.SetBGMVolume(253);  // 126.5 rounds to 126
    clock->sleep(1000);
    EXPECT_NEAR(level(3100, 4000, 1) / full, 126 / 255.0, 0.0015);
    ASSERT_TRUE(dov.StopBGM(true));
    clock->sleep(100);
    EXPECT_GT(level(4000, 4100, 0), 0.0F);
    EXPECT_EQ(level(4500, 4600, 0), 0.0F);

    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v001"), 0, 30));  // hard right
    clock->sleep(1000);
    EXPECT_EQ(level(4600, 5600, 0), 0.0F);
    EXPECT_NEAR(level(4600, 5600, 1) / full, 1.0, 0.01);
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v001"), 0, -15));  // left, right at half
    clock->sleep(1000);
    EXPECT_NEAR(level(5600, 6600, 0) / full, 1.0, 0.01);
    EXPECT_NEAR(level(5600, 6600, 1) / full, 0.5, 0.01);
}

TEST_F(clsDovDriverTest, ASaveWithoutLoopingMusicStoresNothingAndRestoresSilence) {
    clsSaveData save;
    {
        clsDovDriver dov;
        ASSERT_TRUE(dov.Init());
        ASSERT_TRUE(dov.PlayBGM(QStringLiteral("Jingle"), false, false));
        dov.SetBGMVolumeRate(70);
        std::int32_t loops = 3;
        ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));
        dov.SaveStatus(save);
    }
    EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("BgmFile")), QString());
    EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("BGMVolumeRate")), QStringLiteral("70"));
    EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("SelFile")), QString());
    EXPECT_TRUE(save.DovStatus().KeyExists(QStringLiteral("SelFile")));

    clsDovDriver restored;
    ASSERT_TRUE(restored.Init());
    ASSERT_TRUE(restored.PlayBGM(QStringLiteral("bgm01"), false, true));
    TakeEvents();
    restored.LoadStatus(save);
    EXPECT_EQ(restored.BGMVolumeRate(), 70);
    clock->sleep(600);
    EXPECT_FALSE(restored.IsPlayingBGM());
    EXPECT_FALSE(restored.IsPlayingSeLoop());
    EXPECT_EQ(TakeEvents(), QStringList{QStringLiteral("sound fade bgm0 bgm01")});
}

TEST_F(clsDovDriverTest, ASaveWithLoopingSoundsResumesThem) {
    clsSaveData save;
    {
        clsDovDriver dov;
        ASSERT_TRUE(dov.Init());
        ASSERT_TRUE(dov.PlayBGM(QStringLiteral("bgm02"), false, true));
        std::int32_t loops = 0;
        ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));
        dov.SaveStatus(save);
        ASSERT_TRUE(dov.StopSELoop());
        dov.SaveStatus(save);  // a looping effect that was stopped is not resumed
        EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("SelFile")), QString());
        ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));  // -1: not endless
        dov.SaveStatus(save);
        EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("SelFile")), QString());
        loops = 0;
        ASSERT_TRUE(dov.PlaySELoop(QStringLiteral("click"), loops, 0));
        dov.SaveStatus(save);
    }
    EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("BgmFile")), QStringLiteral("bgm02"));
    EXPECT_EQ(save.DovStatus().KeyValue(QStringLiteral("SelFile")), QStringLiteral("click"));
    TakeEvents();

    clsDovDriver restored;
    ASSERT_TRUE(restored.Init());
    restored.LoadStatus(save);
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("sound play bgm0 bgm02"),
                                         QStringLiteral("sound play seloop click")}));
    clock->sleep(10000);
    EXPECT_TRUE(restored.IsPlayingBGM());
    EXPECT_TRUE(restored.IsPlayingSeLoop());
    EXPECT_EQ(restored.BGMVolumeRate(), 100);
}

TEST_F(clsDovDriverTest, SoundsComeFromTheArchiveOutsideSoundFileMode) {
    const QString archive = dir.file(QStringLiteral("data.oska"));
    dir.write(QStringLiteral("data.oska"),
              oskatest::archive({{QStringLiteral("sound/amb01.ogg"), tone(1500)},
                                 {QStringLiteral("sound/silence.ogg"), QByteArray()},
                                 {QStringLiteral("sound/broken.ogg"), QByteArray(3000, 'x')}}));
    clsOskaDriver oska;
    ASSERT_TRUE(oska.Init(1));
    ASSERT_EQ(oska.Pell().Pell_SetArchiveName(archive, 0), 0);
    QString list;
    ASSERT_TRUE(oska.LoadTextFile(0, list));
    oska.LoadArchiveList(list, 0);

    clsDovDriver::Hooks hooks;
    hooks.archive = [&oska] { return &oska; };
    clsDovDriver dov(nullptr, hooks);
    ASSERT_TRUE(dov.Init());
    App().SoundFileMode = false;
    EXPECT_FALSE(dov.PlaySE(QStringLiteral("click"), 0));  // loose files are not looked at
    EXPECT_TRUE(Logged(QStringLiteral("dov file not found error 'click'")));
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("AMB01"), 0, 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov load file 'AMB01' from archive")));
    EXPECT_EQ(dov.SOLength(), 1500);
    EXPECT_FALSE(dov.PlaySE(QStringLiteral("silence"), 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov file size error 'silence'")));
    EXPECT_FALSE(dov.PlaySE(QStringLiteral("broken"), 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov prepare error 'broken'")));
    EXPECT_FALSE(dov.IsPlayingSE());

    App().SoundFileMode = true;  // a loose file wins, a missing one falls back to the archive
    ASSERT_TRUE(dov.PlaySE(QStringLiteral("click"), 0));
    ASSERT_TRUE(dov.PlaySE(QStringLiteral("amb01"), 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov load file 'amb01' from archive")));
}

TEST_F(clsDovDriverTest, MissingEmptyAndDamagedSoundFilesAreLoggedAndRefused) {
    clsDovDriver dov;
    ASSERT_TRUE(dov.Init());
    dir.write(QStringLiteral("sound/empty.ogg"), QByteArray());
    dir.write(QStringLiteral("sound/noise.ogg"), QByteArray(5000, '\x5A'));
    QDir(dir.path()).mkpath(QStringLiteral("sound/folder.ogg"));
    const QByteArray whole = dovtest::toneOgg(20000);
    dir.write(QStringLiteral("sound/cut.ogg"), whole.left(whole.size() / 2));

    EXPECT_FALSE(dov.PlayBGM(QStringLiteral("nothing"), false, true));
    EXPECT_TRUE(Logged(QStringLiteral("dov file not found error 'nothing'")));
    EXPECT_FALSE(dov.PlaySE(QStringLiteral("empty"), 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov prepare error 'empty'")));
    EXPECT_FALSE(dov.PlayCV(QStringLiteral("noise"), 0, 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov prepare error 'noise'")));
    std::int32_t loops = 0;
    EXPECT_FALSE(dov.PlaySELoop(QStringLiteral("folder"), loops, 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov readfile error '") + dir.path() +
                       QStringLiteral("/sound/folder.ogg'")));
    EXPECT_FALSE(dov.PlaySE(QStringLiteral("../sound/click"), 0));
    EXPECT_TRUE(Logged(QStringLiteral("dov sound name refused '../sound/click'")));
    EXPECT_FALSE(dov.IsPlayingSE() || dov.IsPlayingCV() || dov.IsPlayingSeLoop() ||
                 dov.IsPlayingBGM());
    EXPECT_EQ(TakeEvents(), QStringList());

    // A truncated file plays what it holds and then stops.
    std::vector<float> out;
    dov.Library().SetMixSink([&out](const float* frames, int count) {
        out.insert(out.end(), frames, frames + 2 * count);
    });
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("cut"), 0, 0));
    EXPECT_GT(dov.SOLength(), 5000);
    EXPECT_LT(dov.SOLength(), 10000);
    clock->sleep(dov.SOLength() + 1000);
    EXPECT_FALSE(dov.IsPlayingCV());
    dov.Library().AdvanceMix();
    EXPECT_GT(rms(out, 0, 0, 44100), 0.3F);
    // Silent from its length (rounded to the millisecond) on.
    EXPECT_EQ(rms(out, 0, out.size() / 2 - 44100 + 44, out.size() / 2), 0.0F);
    EXPECT_GT(rms(out, 0, out.size() / 2 - 44100 - 4410, out.size() / 2 - 44100 - 44), 0.3F);

    // A voice that failed to load is not taken for the one loaded before it.
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v001"), 0, 0));
    EXPECT_FALSE(dov.PlayCV(QStringLiteral("nothing"), 0, 0));
    EXPECT_FALSE(dov.PlayCV(QStringLiteral("nothing"), 0, 0));
    ASSERT_TRUE(dov.PlayCV(QStringLiteral("v001"), 0, 0));
    EXPECT_EQ(launcher.Log().Log().count(QStringLiteral("dov load file 'v001' from file")), 2);
}

TEST_F(clsDovDriverTest, MoviesPlayStopAndKeepTheFocusSensingAsItWas) {
    dir.write(QStringLiteral("movie/.keep"), QByteArray());
    ASSERT_TRUE(
        dovtest::writeMovie(dir.file(QStringLiteral("movie/Opening.avi")), 10, 10, 64, 48, 500));
    bool sense = true;
    std::vector<bool> senseSet;
    clsDovDriver::Hooks hooks;
    hooks.deactivateSense = [&sense] { return sense; };
    hooks.setDeactivateSense = [&sense, &senseSet](bool on) {
        sense = on;
        senseSet.push_back(on);
    };
    clsDovDriver dov(nullptr, hooks);
    ASSERT_TRUE(dov.Init());
    std::vector<QImage> frames;
    const std::int32_t window = dov.Library().AddVideoWindow(
        {QSize(640, 480), [&frames](const QImage& frame) { frames.push_back(frame); }});
    ASSERT_TRUE(dov.SetVideoWindow(window));
    EXPECT_FALSE(dov.SetVideoWindow(window + 1));

    ASSERT_TRUE(dov.PlayMovie(App().MovieDir + QStringLiteral("\\OPENING.AVI")));
    EXPECT_TRUE(dov.IsPlayingMovie());
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames.front().size(), QSize(640, 480));
    clock->sleep(1000);
    EXPECT_FALSE(dov.IsPlayingMovie());
    EXPECT_EQ(frames.size(), 2U);  // nobody pumped: the last frame due is shown

    ASSERT_TRUE(dov.PlayMovie(App().MovieDir + QStringLiteral("/opening.avi")));
    ASSERT_TRUE(dov.StopMovie());
    EXPECT_EQ(senseSet, (std::vector<bool>{false, true}));  // off while stopping, then back
    EXPECT_FALSE(dov.IsPlayingMovie());
    sense = false;
    ASSERT_TRUE(dov.StopMovie());
    EXPECT_EQ(senseSet, (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(TakeEvents(), (QStringList{QStringLiteral("movie play Opening.avi"),
                                         QStringLiteral("movie play Opening.avi"),
                                         QStringLiteral("movie stop Opening.avi")}));
    EXPECT_FALSE(dov.PlayMovie(App().MovieDir + QStringLiteral("/none.avi")));
    EXPECT_TRUE(Logged(QStringLiteral("dov movie error '")));
}

TEST_F(clsDovDriverTest, TheSameCallsGiveTheSameTraceEveryTime) {
    const auto run = [this] {
        const qsizetype before = platform->trace().lines().size();
        const qint64 start = clock->now();
        clsDovDriver dov;
        EXPECT_TRUE(dov.Init());
        dov.PlayBGM(QStringLiteral("bgm01"), false, true);
        dov.PlaySE(QStringLiteral("click"), 0);
        clock->sleep(250);
        dov.PlayBGM(QStringLiteral("bgm02"), true, true);
        dov.PlayCV(QStringLiteral("v001"), 0, 10);
        dov.StopBGM(true);
        dov.StopCV();
        QStringList lines = platform->trace().lines().mid(before);
        for (QString& line : lines) {
            const qint64 at = line.section(QLatin1Char(' '), 0, 0).mid(2).toLongLong();
            line =
                QString::number(at - start) + QLatin1Char(' ') + line.section(QLatin1Char(' '), 1);
        }
        return lines;
    };
    const QStringList first = run();
    EXPECT_EQ(run(), first);
    EXPECT_TRUE(first.contains(QStringLiteral("250 sound play bgm1 bgm02")));
    EXPECT_TRUE(first.contains(QStringLiteral("750 sound play cv v001")));
    EXPECT_TRUE(first.contains(QStringLiteral("750 sound fade bgm1 bgm02")));
    EXPECT_TRUE(first.contains(QStringLiteral("1250 sound stop cv v001")));
}
