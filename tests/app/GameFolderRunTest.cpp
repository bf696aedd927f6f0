// What the real program says when it is given a folder that holds no game, or a
// game that cannot start: one line on standard error naming the folder, the same
// text in the message box, exit status 1, and nothing written into the folder.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "OskaTestArchives.h"
#include "TestSupport.h"

namespace {

class GameFolderRun : public ::testing::Test {
protected:
    void copyGame() { ASSERT_TRUE(CopyTestGame(games, "minimal")); }
    // Plays FOLDER (a path inside `games`, "" for `games` itself) headless; keeps
    // the run and its trace.
    void play(const QString& folder) {
        const QString path = folder.isEmpty() ? games.path() : games.file(folder);
        run = RunVaro({path, "--headless", "--trace", work.file("trace.txt")});
        trace = QString::fromUtf8(work.read("trace.txt")).split(u'\n', Qt::SkipEmptyParts);
        for (QString& line : trace) {
            line = line.section(u' ', 1);  // without the time stamp
        }
    }
    QString err() const { return QString::fromUtf8(run.err); }

    TempFolder games;  // the folders given to the program
    TempFolder work;   // the trace
    ProgramRun run;
    QStringList trace;
};

}  // namespace

TEST_F(GameFolderRun, AFolderThatDoesNotExistIsNamedAndNotCreated) {
    play("no/such/folder");
    const QString folder = games.file("no/such/folder");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(err(), "varo: " + folder + ": no such folder\n");
    EXPECT_EQ(trace, QStringList({"msgbox \"" + folder + ": no such folder\" -> ok", "exit 1"}));
    EXPECT_FALSE(QFileInfo::exists(games.file("no")));
}

TEST_F(GameFolderRun, AFileIsNotAGameFolder) {
    games.write("notes.txt", "hello");
    play("notes.txt");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(err(), "varo: " + games.file("notes.txt") + ": not a folder\n");
}

TEST_F(GameFolderRun, AFolderWithoutSystemInformationIsNotAGameAndStaysUntouched) {
    games.write("photos/beach.png", "png");
    games.write("photos/debug.ini", "[debug]\r\n");
    play("photos");
    const QString message = games.file("photos") + ": not a Varo game (no SystemInfo.ini)";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(err(), "varo: " + message + "\n");
    EXPECT_EQ(trace, QStringList({"msgbox \"" + message + "\" -> ok", "exit 1"}));
    // No save folder, no log folder.
    EXPECT_EQ(QDir(games.file("photos")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList({"beach.png", "debug.ini"}));
}

TEST_F(GameFolderRun, TheRestOfAGameWithoutItsSystemInformationIsNotAGame) {
    copyGame();
    QFile::remove(games.file("SystemInfo.ini"));
    play("");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(err().endsWith(": not a Varo game (no SystemInfo.ini)\n")) << err().toStdString();
    EXPECT_FALSE(QFileInfo::exists(games.file("savedata")));
}

// A system information that exists but cannot be read keeps the game's own
// message; the terminal gets it too, with the folder.
TEST_F(GameFolderRun, ADamagedSystemInformationKeepsTheGamesMessage) {
    copyGame();
    const QByteArray info = games.read("SystemInfo.ini");
    QFile::remove(games.file("SystemInfo.ini"));
    games.write("data.oska",
                oskatest::withFlippedData(oskatest::archive({{"SystemInfo.ini", info}}), 1));
    play("");
    const QString japanese = QStringLiteral("システム情報をロードできません。");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(err(), "varo: " + games.path() + ": " + japanese + "\n");
    EXPECT_EQ(trace.filter("msgbox"), QStringList("msgbox \"" + japanese + "\" -> ok"));
    EXPECT_EQ(trace.value(trace.size() - 1), "exit 1");
}

TEST_F(GameFolderRun, EveryFailedStartIsToldOnTheTerminal) {
    copyGame();
    games.write("broken.oska", "PK\x03\x04 not really a zip");
    play("");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(
        err().startsWith("varo: " + games.path() + ": アーカイブの初期化に失敗しました。\n"))
        << err().toStdString();
    EXPECT_TRUE(err().contains("broken.oska")) << err().toStdString();
}
