// Plays small games with the real varo program, headless.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QImage>

#include "EngineRunFixture.h"
#include "TestSupport.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/InstanceLock.h"

namespace {

const QStringList kShutdownLines = {"log ***************************************",
                                    "log Varo Terminate Process ...",
                                    "log SaveData...",
                                    "log Oska...",
                                    "log Kest...",
                                    "log Dov...",
                                    "log Interpreter...",
                                    "log GameView...",
                                    "log Config...",
                                    "log Varo-Terminate"};

// The minimal game's title reveals its (empty) logo for a second; menu commands
// given before then are dropped.
const QString kAfterLogo = QStringLiteral("wait 1100\n");

}  // namespace

TEST_F(EngineRun, MinimalGameStartsTheTitleAndShutsDownInOrder) {
    copyGame();
    play(0);
    QStringList expected{"mode 1 1", "mode 0 0"};
    expected << kShutdownLines;
    expected << "exit 0";
    EXPECT_TRUE(inOrder(expected));
    EXPECT_EQ(count("log Varo-Terminate"), 1);
    EXPECT_TRUE(events().filter("msgbox").isEmpty()) << trace.join(u'\n').toStdString();
    // The window position and screen mode were stored for the next start.
    EXPECT_TRUE(dir.exists("game/savedata/config.ini"));
    EXPECT_TRUE(dir.exists("game/savedata/sd00.ini"));
}

// A game without its system information is refused before the engine starts
// (GameFolderRunTest); a damaged one is reported by the engine like the others.
TEST_F(EngineRun, EachMissingSystemDocumentIsReportedAndTheEngineShutsDown) {
    const std::pair<const char*, const char*> documents[] = {
        {"game_mode.ini", "ゲームモード設定をロードできません。"},
        {"omake_mode.ini", "おまけモード設定をロードできません。"},
        {"saveload_mode.ini", "セーブ・ロードモード初期化ファイルがロードできません。"},
    };
    for (const auto& [file, message] : documents) {
        SCOPED_TRACE(file);
        QDir(dir.file("game")).removeRecursively();
        copyGame();
        QFile::remove(dir.file(QStringLiteral("game/") + file));
        play(1);
        const QStringList boxes = events().filter("msgbox");
        ASSERT_EQ(boxes.size(), 1) << trace.join(u'\n').toStdString();
        EXPECT_TRUE(boxes.first().startsWith(QStringLiteral("msgbox \"") + message));
        QStringList expected = kShutdownLines;
        expected << "exit 1";
        EXPECT_TRUE(inOrder(expected));
        EXPECT_EQ(count("mode 1 1"), 0);
    }
}

TEST_F(EngineRun, DocumentsInTheSecondArchiveAreFound) {
    copyGame();
    // a.oska holds the system information, b.oska (base 5000) the game mode.
    TempFolder packA;
    TempFolder packB;
    packA.write("SystemInfo.ini", dir.read("game/SystemInfo.ini"));
    packB.write("game_mode.ini", dir.read("game/game_mode.ini"));
    ASSERT_EQ(RunVaro({"oska", "pack", packA.path(), dir.file("game/a.oska")}).exitCode, 0);
    ASSERT_EQ(RunVaro({"oska", "pack", packB.path(), dir.file("game/b.oska")}).exitCode, 0);
    QFile::remove(dir.file("game/SystemInfo.ini"));
    QFile::remove(dir.file("game/game_mode.ini"));
    play(0);
    EXPECT_TRUE(inOrder({"mode 1 1", "log Varo-Terminate", "exit 0"}));
    EXPECT_TRUE(events().filter("msgbox").isEmpty()) << trace.join(u'\n').toStdString();
}

TEST_F(EngineRun, ScreenSizeDefaultsTo640By480AndFollowsTheGame) {
    copyGame();
    QString info = document("SystemInfo.ini");
    info.remove("ScreenSizeX=640\r\n").remove("ScreenSizeY=480\r\n");
    writeDocument("SystemInfo.ini", info);
    play(0, "wait 100\nshot plain\n");
    const QImage plain(dir.file("shots/plain.png"));
    EXPECT_EQ(plain.size(), QSize(640, 480));
    EXPECT_TRUE(inOrder({"shot plain", "exit 0"}));

    writeDocument(
        "SystemInfo.ini",
        document("SystemInfo.ini").replace("[Game]", "[Game]\nScreenSizeX=800\nScreenSizeY=600"));
    play(0, "shot large\n");
    EXPECT_EQ(QImage(dir.file("shots/large.png")).size(), QSize(800, 600));
}

TEST_F(EngineRun, AScreenSizeTheCompositorCannotHoldStopsTheStart) {
    for (const char* size : {"ScreenSizeX=-640", "ScreenSizeY=-1", "ScreenSizeX=100000"}) {
        SCOPED_TRACE(size);
        QDir(dir.file("game")).removeRecursively();
        copyGame();
        writeDocument("SystemInfo.ini", document("SystemInfo.ini")
                                            .remove("ScreenSizeX=640\r\n")
                                            .remove("ScreenSizeY=480\r\n")
                                            .replace("[Game]", QStringLiteral("[Game]\n") + size));
        play(1);
        EXPECT_EQ(events().filter("msgbox"),
                  QStringList{"msgbox \"スクリーンエンジンの初期化に失敗しました。\" -> ok"});
        EXPECT_EQ(count("mode 1 1"), 0);
    }
}

TEST_F(EngineRun, QuickSlotsAndMusicFadesFromDamagedDataAreHeld) {
    copyGame();
    writeDocument("SystemInfo.ini", document("SystemInfo.ini")
                                        .replace("QSaveSlotCount=3", "QSaveSlotCount=2000000000")
                                        .replace("BGMFadeTime=500", "BGMFadeTime=999999999"));
    play(0, "wait 1100\nmenu file!qsave\nwait 100\n");
    EXPECT_EQ(count("log QSaveSlotCount 2000000000 held to 100"), 1)
        << trace.join(u'\n').toStdString();
    EXPECT_EQ(count("log BGMFadeTime 999999999 held to 60000"), 1);
    EXPECT_TRUE(dir.exists("game/savedata/sd99-00.ini"));
}

TEST_F(EngineRun, TitleSkipStartsTheGameInAnyLetterCase) {
    copyGame();
    dir.write("game/debug.ini", "[debug]\r\nTitleSkip=TRUE\r\n");
    play(0);
    EXPECT_EQ(count("mode 2 6"), 1);
    EXPECT_EQ(count("mode 1 1"), 0);
    dir.write("game/debug.ini", "[debug]\r\nTitleSkip=yes\r\n");
    play(0);
    EXPECT_EQ(count("mode 2 6"), 0);
    EXPECT_EQ(count("mode 1 1"), 1);
}

TEST_F(EngineRun, QuickSaveRotatesThreeSlots) {
    copyGame();
    // Plain-text save files, so that the test can tell them apart.
    dir.write("game/debug.ini", "[debug]\r\nINIEncript=False\r\n");
    dir.write("game/savedata/sd99-00.ini", "[VaroStatus]\r\nMarker=newest\r\n");
    dir.write("game/savedata/sd99-01.ini", "[VaroStatus]\r\nMarker=older\r\n");
    dir.write("game/savedata/sd99-02.ini", "[VaroStatus]\r\nMarker=oldest\r\n");
    play(0, kAfterLogo + "menu file!qsave\nwait 10\n");
    EXPECT_TRUE(dir.read("game/savedata/sd99-02.ini").contains("Marker=older"));
    EXPECT_TRUE(dir.read("game/savedata/sd99-01.ini").contains("Marker=newest"));
    const QByteArray fresh = dir.read("game/savedata/sd99-00.ini");
    EXPECT_FALSE(fresh.contains("Marker="));
    EXPECT_TRUE(fresh.contains("[KestStatus]"));
    // The preview has the thumbnail size of "Thumb" (fields four and five).
    EXPECT_EQ(QImage(dir.file("game/savedata/sd99-00.bmp")).size(), QSize(160, 120));
    // Without "QueryQuickSave" the quick save is silent.
    EXPECT_EQ(events().filter("msgbox").size(), 0);
}

TEST_F(EngineRun, QuickLoadFromTheTitleGoesToTheGameAndAsksThere) {
    copyGame();
    play(0, kAfterLogo +
                "menu file!qload\nwait 10\nmenu file!qsave\nwait 10\nmenu file!qload\n"
                "wait 500\nanswer no\nmenu file!qload\nwait 10\nanswer yes\nmenu file!qload\n"
                "wait 500\n");
    // The first load finds nothing; the title loads without asking; the game asks.
    EXPECT_TRUE(inOrder({"mode 1 1", "mode 2 7", "msgbox \"クイックロードを行いますか。\" -> no",
                         "msgbox \"クイックロードを行いますか。\" -> yes", "exit 0"}));
    EXPECT_EQ(count("mode 2 7"), 1);
    EXPECT_EQ(events().filter("msgbox").size(), 2);
}

TEST_F(EngineRun, CloseRequestedTwiceShutsDownOnce) {
    copyGame();
    play(0, kAfterLogo + "menu file!exit\nmenu file!exit\nquit\n");
    EXPECT_EQ(count("log Varo-Terminate"), 1);
    EXPECT_EQ(count("exit 0"), 1);
}

TEST_F(EngineRun, SameInputGivesTheSameTraceAndScreens) {
    copyGame();
    const QString input = "wait 50\nmove 100 100\nclick 200 200\nshot one\nkey Return\nwait 500\n";
    play(0, input);
    const QStringList first = trace;
    const QByteArray firstShot = dir.read("shots/one.png");
    play(0, input);
    EXPECT_EQ(first, trace);
    EXPECT_EQ(firstShot, dir.read("shots/one.png"));
}

TEST_F(EngineRun, ASecondInstanceOfTheSameGameEndsSilently) {
    copyGame();
    InstanceLock first(dir.file("game"));
    ASSERT_TRUE(first.tryLock());
    const ProgramRun second =
        RunVaro({dir.file("game"), "--headless", "--trace", dir.file("trace.txt")});
    EXPECT_EQ(second.exitCode, 0);
    EXPECT_TRUE(dir.read("trace.txt").isEmpty());
    EXPECT_FALSE(dir.exists("game/savedata/config.ini"));
    first.unlock();
    play(0);
    EXPECT_EQ(count("mode 1 1"), 1);
}
