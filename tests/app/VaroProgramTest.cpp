// Runs the real varo program.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>

#include "TestSupport.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "data/stdINI.h"

namespace {

class VaroProgram : public ::testing::Test {
protected:
    // Runs varo with the arguments; "@NAME" stands for the path of NAME in the folder.
    ProgramRun varo(const QStringList& args) {
        QStringList resolved;
        for (const QString& arg : args) {
            resolved << (arg.startsWith(u'@') ? dir.file(arg.mid(1)) : arg);
        }
        return RunVaro(resolved);
    }
    void copyGame() {
        const QDir source(VARO_SOURCE_DIR "/tests/games/minimal");
        QDir().mkpath(dir.file("game"));
        for (const QString& file : source.entryList(QDir::Files)) {
            QFile::copy(source.filePath(file), dir.file("game/" + file));
        }
    }
    // Plays the game headless with a trace; the trace lines.
    QStringList play(int exitCode) {
        const ProgramRun run = varo({"@game", "--headless", "--trace", "@trace.txt"});
        EXPECT_EQ(run.exitCode, exitCode) << run.err.toStdString();
        return QString::fromUtf8(dir.read("trace.txt")).split(u'\n', Qt::SkipEmptyParts);
    }
    TempFolder dir;
};

}  // namespace

TEST_F(VaroProgram, SaveDecodeShowsWhatTheEngineWroteAndEncodeRestoresIt) {
    INIFile doc;
    doc.KeySection("Config").SetKeyValue("Font", "ＭＳ 明朝");
    App().INIEncript = true;
    ASSERT_TRUE(stdINI::SaveINIFile(doc, dir.file("config.ini")));
    const ProgramRun decoded = varo({"save", "decode", "@config.ini"});
    ASSERT_EQ(decoded.exitCode, 0) << decoded.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(decoded.out), doc.Text());
    dir.write("config.txt", decoded.out);
    const ProgramRun encoded = varo({"save", "encode", "@config.txt", "-o", "@again.ini"});
    ASSERT_EQ(encoded.exitCode, 0) << encoded.err.toStdString();
    EXPECT_EQ(dir.read("again.ini"), dir.read("config.ini"));
    // An LF-edited UTF-8 text gets its CR LF back.
    dir.write("edited.txt", "\xEF\xBB\xBF[Save]\nName=花子");
    const ProgramRun edited = varo({"save", "encode", "@edited.txt"});
    ASSERT_EQ(edited.exitCode, 0);
    EXPECT_EQ(Scrambler::unscrambleText(edited.out), "[Save]\r\nName=花子");
}

TEST_F(VaroProgram, SaveDecodeRefusesDamagedAndMissingFiles) {
    dir.write("odd.ini", "abc");
    const ProgramRun odd = varo({"save", "decode", "@odd.ini"});
    EXPECT_EQ(odd.exitCode, 1);
    EXPECT_TRUE(odd.err.contains("damaged"));
    EXPECT_TRUE(odd.out.isEmpty());
    EXPECT_EQ(varo({"save", "decode", "@none"}).exitCode, 1);
    EXPECT_NE(varo({"save", "frobnicate", "x"}).exitCode, 0);
    EXPECT_EQ(varo({"save", "decode", "--help"}).exitCode, 0);
}

TEST_F(VaroProgram, DebugIniWritesTheRunTimeLog) {
    copyGame();
    dir.write("game/debug.ini", "[debug]\r\n");
    ASSERT_EQ(varo({"@game", "--headless", "--save-dir", "@saves"}).exitCode, 0);
    const QStringList logs = QDir(dir.file("game/log")).entryList(QDir::Files);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(QRegularExpression("^\\d{12}\\.txt$").match(logs.first()).hasMatch());
    EXPECT_TRUE(dir.read("game/log/" + logs.first()).contains("Varo-Terminate"));
    EXPECT_TRUE(QDir(dir.file("saves")).exists());
    EXPECT_FALSE(QDir(dir.file("game/savedata")).exists());
}

TEST_F(VaroProgram, MissingSystemInformationOrADamagedArchiveStopsTheStart) {
    dir.write("game/readme.txt", "not a game");
    QStringList lines = play(1);
    EXPECT_EQ(lines.filter("msgbox").size(), 1);
    EXPECT_TRUE(lines.value(lines.size() - 1).endsWith(" exit 1"));
    copyGame();
    dir.write("game/broken.oska", "PK\x03\x04 not really a zip");
    lines = play(1).filter("msgbox");
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines.first().contains("アーカイブの初期化に失敗しました。"));
    EXPECT_TRUE(lines.first().contains("broken.oska"));
}

TEST_F(VaroProgram, SystemInformationFromAPackedArchive) {
    copyGame();
    ASSERT_EQ(varo({"oska", "pack", "@game", "@data.oska"}).exitCode, 0);
    QFile::remove(dir.file("game/SystemInfo.ini"));
    QFile::rename(dir.file("data.oska"), dir.file("game/data.oska"));
    const QStringList lines = play(0);
    EXPECT_EQ(lines.filter("msgbox").size(), 0) << lines.join(u'\n').toStdString();
    EXPECT_EQ(lines.filter(" mode 1 1").size(), 1);
}
