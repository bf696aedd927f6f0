#include "media/clsDovDriver.h"

#include <gtest/gtest.h>

#include <QFileInfo>

#include <QDir>
#include <cmath>
#include <map>
#include <utility>
#include <vector>

#include "DovTestMedia.h"
#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "data/clsOskaDriver.h"
#include "data/clsSaveData.h"
#include "platform/Platform.h"
#include "platform/os/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace {

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

// The checksum of an Ogg page (polynomial 0x04C11DB7, most significant bit
// first, starting from 0), taken with the page's own checksum field zeroed.
std::uint32_t oggChecksum(const QByteArray& page) {
    std::uint32_t crc = 0;
    for (const char byte : page) {
        crc ^= static_cast<std::uint32_t>(static_cast<unsigned char>(byte)) << 24;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 0x80000000U) != 0 ? (crc << 1) ^ 0x04C11DB7U : crc << 1;
        }
    }
    return crc;
}

void putLittleEndian(QByteArray& bytes, qsizetype at, std::uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// The Ogg stream with the granule position of its last page (where the stream
// ends, in samples) replaced and that page's checksum made good again: a
// damaged header claiming another duration. "" when the pages do not parse.
QByteArray withFinalGranule(QByteArray ogg, std::int64_t granule) {
    constexpr qsizetype kHeader = 27;
    qsizetype last = -1;
    qsizetype lastSize = 0;
    qsizetype at = 0;
    while (at + kHeader <= ogg.size() && ogg.mid(at, 4) == "OggS") {
        const int segments = static_cast<unsigned char>(ogg[at + 26]);
        qsizetype size = kHeader + segments;
        for (int i = 0; i < segments && at + kHeader + i < ogg.size(); ++i) {
            size += static_cast<unsigned char>(ogg[at + kHeader + i]);
        }
        last = at;
        lastSize = size;
        at += size;
    }
    if (last < 0 || at != ogg.size()) {
        return QByteArray();
    }
    putLittleEndian(ogg, last + 6, static_cast<std::uint64_t>(granule), 8);
    putLittleEndian(ogg, last + 22, 0, 4);
    putLittleEndian(ogg, last + 22, oggChecksum(ogg.mid(last, lastSize)), 4);
    return ogg;
}

// The length the library reports for the sound, on a sound object of its own.
std::int32_t LibraryLength(DovLibrary& library, const QByteArray& bytes) {
    const std::int32_t handle = library.AddSO(DovLibrary::kSOKindSound);
    QByteArray* buffer = nullptr;
    EXPECT_EQ(library.SetSOProp(handle, DovLibrary::kSOBufferSize,
                                static_cast<std::int32_t>(bytes.size())),
              DovLibrary::kDovSuccess);
    EXPECT_EQ(library.GetSOBuffer(handle, buffer), DovLibrary::kDovSuccess);
    if (buffer == nullptr) {
        return -1;
    }
    *buffer = bytes;
    EXPECT_EQ(library.CallSOMethod(handle, DovLibrary::kSOPrepare), DovLibrary::kDovSuccess);
    std::int32_t length = -1;
    EXPECT_EQ(library.GetSOProp(handle, DovLibrary::kSOLength, length), DovLibrary::kDovSuccess);
    return length;
}

// Hooks whose system information gives this BGMFadeTime, or none.
clsDovDriver::Hooks fadeTime(std::optional<std::int32_t> ms) {
    clsDovDriver::Hooks hooks;
    hooks.bgmFadeTime = [ms] { return ms; };
    return hooks;
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
        App().AppDir = dir.path();
        App().WorkspaceDir = dir.path();
        App().MovieDir = dir.path() + u"/movie"_s;
        App().SoundFileMode = true;
        const std::pair<QString, int> sounds[] = {
            {u"bgm01"_s, 60000}, {u"bgm02"_s, 60000}, {u"bgm03"_s, 60000}, {u"Jingle"_s, 3000},
            {u"click"_s, 200},   {u"v001"_s, 1500},   {u"v002"_s, 2500}};
        for (const auto& [name, ms] : sounds) {
            Sound(name, ms);
        }
    }
    void TearDown() override {
        App().platform = nullptr;
        App().Launcher = nullptr;
        App().SoundFileMode = false;
        App().AppDir.clear();
        App().WorkspaceDir.clear();
        App().MovieDir.clear();
    }

    std::unique_ptr<clsDovDriver> Start(clsDovDriver::Hooks hooks = {}) {
        auto dov = std::make_unique<clsDovDriver>(nullptr, std::move(hooks));
        EXPECT_TRUE(dov->Init());
        return dov;
    }
    void Sound(const QString& name, int ms) { dir.write(u"sound/"_s + name + u".ogg"_s, tone(ms)); }

    // The sound and movie events of the trace since the last call, without their times
    // unless asked for.
    QStringList TakeEvents(bool timed = false) {
        QStringList events;
        for (const QString& line : platform->trace().lines()) {
            const QString event = line.section(QLatin1Char(' '), 1);
            if (event.startsWith(u"sound "_s) || event.startsWith(u"movie "_s)) {
                events.append(timed ? line : event);
            }
        }
        const qsizetype seen = std::exchange(seen_, events.size());
        return events.mid(seen);
    }
    bool Logged(const QString& line) { return launcher.Log().Log().contains(line); }
    bool LoggedInOrder(const QStringList& lines) {
        qsizetype at = 0;
        for (const QString& line : lines) {
            if ((at = launcher.Log().Log().indexOf(line, at)) < 0) {
                return false;
            }
        }
        return true;
    }
    qsizetype FileLoads(const QString& name) {
        return launcher.Log().Log().count(u"dov load file '"_s + name + u"' from file"_s);
    }
    // Collects the virtual-time mix of the driver's library.
    void SinkMix(clsDovDriver& dov) {
        dov.Library().SetMixSink([this](const float* frames, int count) {
            mix.insert(mix.end(), frames, frames + 2 * count);
        });
    }

    TempFolder dir;
    clsLaunch launcher;
    VirtualClock* clock = nullptr;
    std::unique_ptr<Platform> platform;
    std::vector<float> mix;

private:
    qsizetype seen_ = 0;
};

}  // namespace

TEST_F(clsDovDriverTest, InitAndReleaseLogTheirStepsAndTheFadeTimeComesFromTheHook) {
    {
        auto dov = Start();
        EXPECT_TRUE(LoggedInOrder({u"  Procedure InitializeDov Call..."_s,
                                   u"  Procedure InitializeDov Returned."_s,
                                   u"  Initialization of DovDriver Succeeded."_s}));
        EXPECT_FALSE(Logged(u"TerminateDov"_s));
        EXPECT_EQ(dov->BGMFadeTime(), 500);
    }
    EXPECT_TRUE(LoggedInOrder({u"  Procedure TerminateDov Call..."_s,
                               u"  Procedure TerminateDov Returned."_s,
                               u"  Termination of DovDriver Succeeded."_s}));
    EXPECT_EQ(Start(fadeTime(800))->BGMFadeTime(), 800);
    EXPECT_EQ(Start(fadeTime(std::nullopt))->BGMFadeTime(), 500);
}

TEST_F(clsDovDriverTest, TheTwoMusicPlayersTakeTurnsAndTheSameTrackIsNotRestarted) {
    auto dov = Start();
    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, false, true));
    EXPECT_EQ(TakeEvents(), QStringList{u"sound play bgm0 bgm01"_s});
    EXPECT_EQ(dov->SOLength(), 60000);
    clock->sleep(5000);
    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, true, true));
    EXPECT_EQ(TakeEvents(), QStringList());
    EXPECT_EQ(clock->now(), 5000);  // no fade, no wait

    ASSERT_TRUE(dov->PlayBGM(u"bgm02"_s, false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound fade bgm0 bgm01"_s, u"sound play bgm1 bgm02"_s}));
    ASSERT_TRUE(dov->PlayBGM(u"bgm03"_s, false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound fade bgm1 bgm02"_s, u"sound play bgm0 bgm03"_s}));
    // The other player still holds bgm02: it is played without loading it again.
    ASSERT_TRUE(dov->PlayBGM(u"bgm02"_s, false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound fade bgm0 bgm03"_s, u"sound play bgm1 bgm02"_s}));
    EXPECT_EQ(FileLoads(u"bgm02"_s), 1);
    // The same track with another loop flag starts again on its player.
    ASSERT_TRUE(dov->PlayBGM(u"bgm02"_s, false, false));
    EXPECT_EQ(TakeEvents(), QStringList{u"sound play bgm1 bgm02"_s});
}

TEST_F(clsDovDriverTest, WithNoMusicCurrentAFadingPlayerIsLeftAlone) {
    auto dov = Start();
    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, false, true));
    ASSERT_TRUE(dov->StopBGM(false));
    EXPECT_TRUE(dov->IsPlayingBGM());  // fading out
    ASSERT_TRUE(dov->PlayBGM(u"bgm02"_s, false, true));
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound play bgm0 bgm01"_s, u"sound fade bgm0 bgm01"_s,
                                         u"sound play bgm1 bgm02"_s}));
    ASSERT_TRUE(dov->StopBGM(false));
    clock->sleep(500);
    EXPECT_FALSE(dov->IsPlayingBGM());
    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, false, true));  // held by player 0
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound fade bgm1 bgm02"_s, u"sound play bgm0 bgm01"_s}));
    EXPECT_TRUE(dov->StopBGM(false));
    EXPECT_TRUE(dov->StopBGM(true));  // nothing current: nothing to wait for
    EXPECT_EQ(clock->now(), 500);
}

TEST_F(clsDovDriverTest, FadeWaitsRunTimersButExcludeUserInput) {
    auto dov = Start(fadeTime(800));
    int timerFired = 0;
    QList<bool> inputExcluded;
    clock->startTimer(100, [&timerFired] { ++timerFired; });
    clock->scheduleInput(200, [&] { inputExcluded << clock->excludingInput(); });
    clock->scheduleInput(900, [&] { inputExcluded << clock->excludingInput(); });

    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, true, true));
    EXPECT_EQ(clock->now(), 0);  // no earlier music: no wait
    ASSERT_TRUE(dov->PlayBGM(u"bgm02"_s, true, true));
    EXPECT_EQ(clock->now(), 800);
    EXPECT_EQ(timerFired, 1);
    EXPECT_EQ(inputExcluded, QList<bool>{true});
    ASSERT_TRUE(dov->StopBGM(true));
    EXPECT_EQ(clock->now(), 1600);
    EXPECT_FALSE(dov->IsPlayingBGM());
    EXPECT_EQ(inputExcluded, QList<bool>({true, true}));
    // The new music starts with the fade; the wait comes after.
    EXPECT_EQ(TakeEvents(true),
              (QStringList{u"t=0 sound play bgm0 bgm01"_s, u"t=0 sound fade bgm0 bgm01"_s,
                           u"t=0 sound play bgm1 bgm02"_s, u"t=800 sound fade bgm1 bgm02"_s}));
}

TEST_F(clsDovDriverTest, ASixthEffectReusesPlayerFourAndAKnownEffectItsOwnPlayer) {
    auto dov = Start();
    for (int i = 0; i < 5; ++i) {
        Sound(u"se%1"_s.arg(i), 3000);
        ASSERT_TRUE(dov->PlaySE(u"se%1"_s.arg(i), 0));
    }
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound play se4 se0"_s, u"sound play se3 se1"_s,
                                         u"sound play se2 se2"_s, u"sound play se1 se3"_s,
                                         u"sound play se0 se4"_s}));
    ASSERT_TRUE(dov->PlaySE(u"click"_s, 0));
    EXPECT_EQ(TakeEvents(), QStringList{u"sound play se4 click"_s});
    EXPECT_EQ(dov->SOLength(), 200);
    ASSERT_TRUE(dov->PlaySE(u"se2"_s, 0));  // still held by player 2
    EXPECT_EQ(TakeEvents(), QStringList{u"sound play se2 se2"_s});
    EXPECT_EQ(FileLoads(u"se2"_s), 1);

    clock->sleep(300);  // the click has ended: player 4 is free again, the highest free one
    EXPECT_TRUE(dov->IsPlayingSE());
    ASSERT_TRUE(dov->PlaySE(u"Jingle"_s, 0));
    EXPECT_EQ(TakeEvents(), QStringList{u"sound play se4 Jingle"_s});
    ASSERT_TRUE(dov->StopSE());
    EXPECT_FALSE(dov->IsPlayingSE());
    EXPECT_EQ(TakeEvents().size(), 5);  // every effect that was playing stopped
}

TEST_F(clsDovDriverTest, VoicesAndTheLoopingEffectPlayForTheirLength) {
    auto dov = Start();
    ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, -30));
    EXPECT_EQ(dov->SOLength(), 1500);
    EXPECT_TRUE(dov->IsPlayingCV());
    clock->sleep(1500);
    EXPECT_FALSE(dov->IsPlayingCV());
    ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, 0));  // the same voice again
    EXPECT_TRUE(dov->IsPlayingCV());
    ASSERT_TRUE(dov->PlayCV(u"v002"_s, 0, 0));
    EXPECT_EQ(dov->SOLength(), 2500);
    ASSERT_TRUE(dov->StopCV());
    EXPECT_FALSE(dov->IsPlayingCV());
    EXPECT_EQ(TakeEvents(), (QStringList{u"sound play cv v001"_s, u"sound play cv v001"_s,
                                         u"sound play cv v002"_s, u"sound stop cv v002"_s}));
    EXPECT_EQ(FileLoads(u"v001"_s), 1);

    std::int32_t loops = 0;  // endless, and written back as -1
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));
    EXPECT_EQ(loops, -1);
    clock->sleep(200 * 50);
    EXPECT_TRUE(dov->IsPlayingSeLoop());
    loops = 2;
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));
    EXPECT_EQ(loops, 2);
    clock->sleep(399);
    EXPECT_TRUE(dov->IsPlayingSeLoop());
    clock->sleep(1);
    EXPECT_FALSE(dov->IsPlayingSeLoop());
}

TEST_F(clsDovDriverTest, VolumesAreClampedAndBelowZeroStopTheirSounds) {
    auto dov = Start();
    dov->SetSEVolume(300);
    EXPECT_EQ(dov->SEVolume(), 255);
    dov->SetCVVolume(-7);
    EXPECT_EQ(dov->CVVolume(), -1);
    dov->SetBGMVolume(300);
    EXPECT_EQ(dov->BGMVolume(), 300);  // kept as given; only the player gets 255

    ASSERT_TRUE(dov->PlaySE(u"Jingle"_s, 0));
    std::int32_t loops = 0;
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));
    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, false, true));
    TakeEvents();
    dov->SetSEVolume(-1);
    EXPECT_FALSE(dov->IsPlayingSE());
    EXPECT_FALSE(dov->IsPlayingSeLoop());
    EXPECT_EQ(TakeEvents(),
              (QStringList{u"sound stop se4 Jingle"_s, u"sound stop seloop click"_s}));
    dov->SetBGMVolume(200);
    dov->SetBGMVolumeRate(-10);  // 200 × -10 % is below 0: the music stops
    EXPECT_FALSE(dov->IsPlayingBGM());
}

TEST_F(clsDovDriverTest, TheMixHasTheLevelsOfVolumeRateAndPan) {
    auto dov = Start();
    SinkMix(*dov);
    const auto level = [&](std::int64_t fromMs, std::int64_t toMs, int channel) {
        dov->Library().AdvanceMix();
        return rms(mix, channel, static_cast<std::size_t>(fromMs * 441 / 10),
                   static_cast<std::size_t>(toMs * 441 / 10));
    };

    ASSERT_TRUE(dov->PlayBGM(u"bgm01"_s, false, true));
    clock->sleep(1000);
    EXPECT_LT(level(0, 100, 0), level(400, 500, 0) / 2);  // fading in
    const float full = level(600, 1000, 0);
    EXPECT_NEAR(full, 0.5F / std::sqrt(2.0F), 0.01F);
    EXPECT_EQ(level(600, 1000, 1), full);
    // Volume × rate, rounded half up: 200 × 50 % = 100, 127.5 gives 128, 126.5 gives 126.
    struct Step {
        int volume, heard, channel;
    };
    dov->SetBGMVolumeRate(50);
    for (const Step step : {Step{200, 100, 0}, Step{255, 128, 0}, Step{253, 126, 1}}) {
        dov->SetBGMVolume(step.volume);
        const qint64 from = clock->now();
        clock->sleep(1000);
        EXPECT_NEAR(level(from + 100, from + 1000, step.channel) / full, step.heard / 255.0, 0.0015)
            << step.volume;
    }
    ASSERT_TRUE(dov->StopBGM(true));
    clock->sleep(100);
    EXPECT_GT(level(4000, 4100, 0), 0.0F);
    EXPECT_EQ(level(4500, 4600, 0), 0.0F);

    ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, 30));  // hard right
    clock->sleep(1000);
    EXPECT_EQ(level(4600, 5600, 0), 0.0F);
    EXPECT_NEAR(level(4600, 5600, 1) / full, 1.0, 0.01);
    ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, -15));  // left, right at half
    clock->sleep(1000);
    EXPECT_NEAR(level(5600, 6600, 0) / full, 1.0, 0.01);
    EXPECT_NEAR(level(5600, 6600, 1) / full, 0.5, 0.01);
}

TEST_F(clsDovDriverTest, ASaveKeepsOnlyEndlessLoopingSoundsAndTheRate) {
    clsSaveData save;
    auto dov = Start();
    ASSERT_TRUE(dov->PlayBGM(u"Jingle"_s, false, false));
    dov->SetBGMVolumeRate(70);
    std::int32_t loops = 3;
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));
    dov->SaveStatus(save);
    const auto saved = [&save](const QString& key) { return save.DovStatus().KeyValue(key); };
    EXPECT_EQ(saved(u"BgmFile"_s), QString());
    EXPECT_EQ(saved(u"BGMVolumeRate"_s), u"70"_s);
    EXPECT_EQ(saved(u"SelFile"_s), QString());
    EXPECT_TRUE(save.DovStatus().KeyExists(u"SelFile"_s));

    // Loading it stops what plays and takes the rate.
    auto silent = Start();
    ASSERT_TRUE(silent->PlayBGM(u"bgm01"_s, false, true));
    TakeEvents();
    silent->LoadStatus(save);
    EXPECT_EQ(silent->BGMVolumeRate(), 70);
    clock->sleep(600);
    EXPECT_FALSE(silent->IsPlayingBGM());
    EXPECT_FALSE(silent->IsPlayingSeLoop());
    EXPECT_EQ(TakeEvents(), QStringList{u"sound fade bgm0 bgm01"_s});

    dov->SetBGMVolumeRate(100);
    ASSERT_TRUE(dov->PlayBGM(u"bgm02"_s, false, true));
    loops = 0;
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));
    dov->SaveStatus(save);
    EXPECT_EQ(saved(u"SelFile"_s), u"click"_s);
    ASSERT_TRUE(dov->StopSELoop());
    dov->SaveStatus(save);  // a looping effect that was stopped is not resumed
    EXPECT_EQ(saved(u"SelFile"_s), QString());
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));  // -1: not endless
    dov->SaveStatus(save);
    EXPECT_EQ(saved(u"SelFile"_s), QString());
    loops = 0;
    ASSERT_TRUE(dov->PlaySELoop(u"click"_s, loops, 0));
    dov->SaveStatus(save);
    dov.reset();
    EXPECT_EQ(saved(u"BgmFile"_s), u"bgm02"_s);
    EXPECT_EQ(saved(u"SelFile"_s), u"click"_s);
    TakeEvents();

    auto restored = Start();
    restored->LoadStatus(save);
    EXPECT_EQ(TakeEvents(),
              (QStringList{u"sound play bgm0 bgm02"_s, u"sound play seloop click"_s}));
    clock->sleep(10000);
    EXPECT_TRUE(restored->IsPlayingBGM());
    EXPECT_TRUE(restored->IsPlayingSeLoop());
    EXPECT_EQ(restored->BGMVolumeRate(), 100);
}

TEST_F(clsDovDriverTest, SoundsComeFromTheArchiveOutsideSoundFileMode) {
    dir.write(u"data.oska"_s, oskatest::archive({{u"sound/amb01.ogg"_s, tone(1500)},
                                                 {u"sound/silence.ogg"_s, QByteArray()},
                                                 {u"sound/broken.ogg"_s, QByteArray(3000, 'x')}}));
    clsOskaDriver oska;
    ASSERT_TRUE(oska.Init(1));
    ASSERT_EQ(oska.Pell().Pell_SetArchiveName(dir.file(u"data.oska"_s), 0), 0);
    QString list;
    ASSERT_TRUE(oska.LoadTextFile(0, list));
    oska.LoadArchiveList(list, 0);

    clsDovDriver::Hooks hooks;
    hooks.archive = [&oska] { return &oska; };
    auto dov = Start(hooks);
    App().SoundFileMode = false;
    EXPECT_FALSE(clsDovDriver::SoundFile(u"click"_s));
    EXPECT_FALSE(dov->PlaySE(u"click"_s, 0));  // loose files are not looked at
    EXPECT_TRUE(Logged(u"dov file not found error 'click'"_s));
    ASSERT_TRUE(dov->PlayCV(u"AMB01"_s, 0, 0));
    EXPECT_TRUE(Logged(u"dov load file 'AMB01' from archive"_s));
    EXPECT_EQ(dov->SOLength(), 1500);
    EXPECT_FALSE(dov->PlaySE(u"silence"_s, 0));
    EXPECT_TRUE(Logged(u"dov file size error 'silence'"_s));
    EXPECT_FALSE(dov->PlaySE(u"broken"_s, 0));
    EXPECT_TRUE(Logged(u"dov prepare error 'broken'"_s));
    EXPECT_FALSE(dov->IsPlayingSE());

    App().SoundFileMode = true;  // a loose file wins, a missing one falls back to the archive
    EXPECT_EQ(clsDovDriver::SoundFile(u"CLICK"_s), dir.file(u"sound/click.ogg"_s));
    EXPECT_FALSE(clsDovDriver::SoundFile(u"amb01"_s));
    EXPECT_FALSE(clsDovDriver::SoundFile(u"../sound/click"_s));
    ASSERT_TRUE(dov->PlaySE(u"click"_s, 0));
    ASSERT_TRUE(dov->PlaySE(u"amb01"_s, 0));
    EXPECT_TRUE(Logged(u"dov load file 'amb01' from archive"_s));
}

TEST_F(clsDovDriverTest, MissingEmptyAndDamagedSoundFilesAreLoggedAndRefused) {
    auto dov = Start();
    dir.write(u"sound/empty.ogg"_s, QByteArray());
    dir.write(u"sound/noise.ogg"_s, QByteArray(5000, '\x5A'));
    QDir(dir.path()).mkpath(u"sound/folder.ogg"_s);
    const QByteArray whole = dovtest::toneOgg(20000);
    dir.write(u"sound/cut.ogg"_s, whole.left(whole.size() / 2));

    EXPECT_FALSE(dov->PlayBGM(u"nothing"_s, false, true));
    EXPECT_TRUE(Logged(u"dov file not found error 'nothing'"_s));
    EXPECT_FALSE(dov->PlaySE(u"empty"_s, 0));
    EXPECT_TRUE(Logged(u"dov prepare error 'empty'"_s));
    EXPECT_FALSE(dov->PlayCV(u"noise"_s, 0, 0));
    EXPECT_TRUE(Logged(u"dov prepare error 'noise'"_s));
    std::int32_t loops = 0;
    EXPECT_FALSE(dov->PlaySELoop(u"folder"_s, loops, 0));
    EXPECT_TRUE(Logged(u"dov readfile error '"_s + dir.path() + u"/sound/folder.ogg'"_s));
    EXPECT_FALSE(dov->PlaySE(u"../sound/click"_s, 0));
    EXPECT_TRUE(Logged(u"dov sound name refused '../sound/click'"_s));
    EXPECT_FALSE(dov->IsPlayingSE() || dov->IsPlayingCV() || dov->IsPlayingSeLoop() ||
                 dov->IsPlayingBGM());
    EXPECT_EQ(TakeEvents(), QStringList());

    // A truncated file plays what it holds and then stops.
    SinkMix(*dov);
    ASSERT_TRUE(dov->PlayCV(u"cut"_s, 0, 0));
    EXPECT_GT(dov->SOLength(), 5000);
    EXPECT_LT(dov->SOLength(), 10000);
    clock->sleep(dov->SOLength() + 1000);
    EXPECT_FALSE(dov->IsPlayingCV());
    dov->Library().AdvanceMix();
    const std::size_t end = mix.size() / 2 - 44100;  // its length, rounded to the millisecond
    EXPECT_GT(rms(mix, 0, 0, 44100), 0.3F);
    EXPECT_EQ(rms(mix, 0, end + 44, mix.size() / 2), 0.0F);
    EXPECT_GT(rms(mix, 0, end - 4410, end - 44), 0.3F);

    // A voice that failed to load is not taken for the one loaded before it.
    ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, 0));
    EXPECT_FALSE(dov->PlayCV(u"nothing"_s, 0, 0));
    EXPECT_FALSE(dov->PlayCV(u"nothing"_s, 0, 0));
    ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, 0));
    EXPECT_EQ(FileLoads(u"v001"_s), 2);
}

TEST_F(clsDovDriverTest, MoviesPlayStopAndKeepTheFocusSensingAsItWas) {
    dir.write(u"movie/.keep"_s, QByteArray());
    ASSERT_TRUE(dovtest::writeMovie(dir.file(u"movie/Opening.avi"_s), 10, 10, 64, 48, 500));
    bool sense = true;
    std::vector<bool> senseSet;
    clsDovDriver::Hooks hooks;
    hooks.deactivateSense = [&sense] { return sense; };
    hooks.setDeactivateSense = [&sense, &senseSet](bool on) { senseSet.push_back(sense = on); };
    auto dov = Start(hooks);
    std::vector<QImage> frames;
    const std::int32_t window = dov->Library().AddVideoWindow(
        {QSize(640, 480), [&frames](const QImage& frame) { frames.push_back(frame); }});
    ASSERT_TRUE(dov->SetVideoWindow(window));
    EXPECT_FALSE(dov->SetVideoWindow(window + 1));

    ASSERT_TRUE(dov->PlayMovie(App().MovieDir + u"\\OPENING.AVI"_s));
    EXPECT_TRUE(dov->IsPlayingMovie());
    ASSERT_EQ(frames.size(), 1U);
    EXPECT_EQ(frames.front().size(), QSize(640, 480));
    clock->sleep(1000);
    EXPECT_FALSE(dov->IsPlayingMovie());
    EXPECT_EQ(frames.size(), 2U);  // nobody pumped: the last frame due is shown

    ASSERT_TRUE(dov->PlayMovie(App().MovieDir + u"/opening.avi"_s));
    ASSERT_TRUE(dov->StopMovie());
    EXPECT_EQ(senseSet, (std::vector<bool>{false, true}));  // off while stopping, then back
    EXPECT_FALSE(dov->IsPlayingMovie());
    sense = false;
    ASSERT_TRUE(dov->StopMovie());
    EXPECT_EQ(senseSet, (std::vector<bool>{false, true, false, false}));
    EXPECT_EQ(TakeEvents(), (QStringList{u"movie play Opening.avi"_s, u"movie play Opening.avi"_s,
                                         u"movie stop Opening.avi"_s}));
    EXPECT_FALSE(dov->PlayMovie(App().MovieDir + u"/none.avi"_s));
    EXPECT_TRUE(Logged(u"dov movie error '"_s));
}

TEST_F(clsDovDriverTest, AVoiceClaimingAnAbsurdLengthGivesAtMostTheLongestSoundLength) {
    constexpr std::int64_t kRate = 44100;  // the tone's rate: granules count its samples
    constexpr std::int64_t kDay = 24LL * 60 * 60 * kRate;
    const QByteArray honest = tone(3000);
    struct Claim {
        const char* what;
        std::int64_t granule;
        std::int32_t reported;  // by the library, in milliseconds
        std::int32_t length;    // SOLength
    };
    const Claim claims[] = {
        // The true end: the damaging itself leaves a sound intact.
        {"the true length", 3 * kRate, 3000, 3000},
        // Three days fit 32 bits as milliseconds but are no voice's length.
        {"three days", 3 * kDay, 3 * 24 * 60 * 60 * 1000, clsDovDriver::kMaxSoundLength},
        // Thirty days pass 2^31 milliseconds: the library gives its largest value.
        {"thirty days", 30 * kDay, INT32_MAX, clsDovDriver::kMaxSoundLength},
        // So many samples that samples × 1000 passes 64 bits.
        {"10^17 samples", 100'000'000'000'000'000LL, INT32_MAX, clsDovDriver::kMaxSoundLength},
    };
    auto dov = Start();
    for (const Claim& claim : claims) {
        const QByteArray damaged = withFinalGranule(honest, claim.granule);
        ASSERT_FALSE(damaged.isEmpty()) << claim.what;
        EXPECT_EQ(LibraryLength(dov->Library(), damaged), claim.reported) << claim.what;
        dir.write(u"sound/claim.ogg"_s, damaged);
        ASSERT_TRUE(dov->PlayCV(u"v001"_s, 0, 0));  // so that "claim" is loaded afresh
        ASSERT_TRUE(dov->PlayCV(u"claim"_s, 0, 0)) << claim.what;
        EXPECT_EQ(dov->SOLength(), claim.length) << claim.what;
    }
    // Lengths set from outside keep to the same range.
    for (const auto& [set, kept] :
         {std::pair{-5, 0}, std::pair{0, 0}, std::pair{1500, 1500},
          std::pair{INT32_MAX, clsDovDriver::kMaxSoundLength}, std::pair{INT32_MIN, 0}}) {
        dov->SetSOLength(set);
        EXPECT_EQ(dov->SOLength(), kept) << set;
    }
}

TEST_F(clsDovDriverTest, MovieNamesAreLookedUpOnlyInsideTheGameFolder) {
    TempFolder outside;
    dir.write(u"movie/Sub/.keep"_s, QByteArray());
    for (const QString& file : {dir.file(u"movie/OP.avi"_s), dir.file(u"movie/Sub/Ed.avi"_s),
                                dir.file(u"Secret.avi"_s), outside.file(u"x.avi"_s)}) {
        ASSERT_TRUE(dovtest::writeMovie(file, 2, 10, 64, 48, 0)) << file.toStdString();
    }
    const QString movies = App().MovieDir;
    const QString game = App().AppDir;
    const QString refused = u"refused a name outside the game folder: "_s;
    const QString climbOut = u"/../"_s + QDir(outside.path()).dirName() + u"/x.avi"_s;
    struct Case {
        QString path;
        bool plays;
        QString shown;  // the movie's file name when it plays, else the reason logged
    };
    const Case cases[] = {
        // The engine's movie folder and a scenario name, in any letter case.
        {movies + u"\\op.avi"_s, true, u"OP.avi"_s},
        {movies + u"\\SUB\\ed.AVI"_s, true, u"Ed.avi"_s},
        // Other paths inside the game folder, absolute or relative to it.
        {game + u"/secret.AVI"_s, true, u"Secret.avi"_s},
        {u"MOVIE\\op.avi"_s, true, u"OP.avi"_s},
        // A scenario name never leaves the movie folder.
        {movies + u"\\..\\Secret.avi"_s, false, refused + u"../Secret.avi"_s},
        {movies + u"\\Sub\\..\\..\\Secret.avi"_s, false, refused + u"Sub/../../Secret.avi"_s},
        {movies + u"\\c:OP.avi"_s, false, refused + u"c:OP.avi"_s},
        // Nothing outside the game folder, however it is spelt.
        {outside.file(u"x.avi"_s), false, refused + outside.file(u"x.avi"_s)},
        {game + climbOut, false, refused + climbOut.mid(1)},
        {u"C:\\movie\\OP.avi"_s, false, refused + u"C:/movie/OP.avi"_s},
        {u"c:movie\\OP.avi"_s, false, refused + u"c:movie/OP.avi"_s},
        // Missing files and folders.
        {movies + u"\\none.avi"_s, false, u"not found: none.avi"_s},
        {movies + u"\\"_s, false, u"not a file: "_s + movies},
        {movies + u"\\sub"_s, false, u"not a file: "_s + movies + u"/Sub"_s},
    };
    auto dov = Start();
    for (const Case& c : cases) {
        QString why;
        const auto file = clsDovDriver::MovieFile(c.path, why);
        EXPECT_EQ(file.has_value(), c.plays) << c.path.toStdString();
        EXPECT_EQ(file ? QFileInfo(*file).fileName() : why, c.shown) << c.path.toStdString();
        EXPECT_EQ(dov->PlayMovie(c.path), c.plays) << c.path.toStdString();
        if (c.plays) {
            EXPECT_EQ(TakeEvents(), QStringList{u"movie play "_s + c.shown})
                << c.path.toStdString();
            ASSERT_TRUE(dov->StopMovie());
            TakeEvents();
        } else {
            EXPECT_TRUE(Logged(u"dov movie error '"_s + c.path + u"' ("_s + c.shown + u")"_s))
                << c.path.toStdString();
            EXPECT_FALSE(dov->IsPlayingMovie()) << c.path.toStdString();
            EXPECT_EQ(TakeEvents(), QStringList()) << c.path.toStdString();
        }
    }

    // A movie folder given with a closing separator, as an empty folder setting leaves it.
    App().MovieDir = dir.path() + u"/movie/"_s;
    EXPECT_TRUE(dov->PlayMovie(App().MovieDir + u"\\Op.avi"_s));
    EXPECT_FALSE(dov->PlayMovie(App().MovieDir + u"\\..\\Secret.avi"_s));
}
