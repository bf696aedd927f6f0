// `varo lint`, through the real program: the bundled demo game, the lint test
// game with its planted mistakes, and a game packed into archives.
#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>

#include "TestSupport.h"
#include "app/CommandLine.h"
#include "platform/os/Cp932Codec.h"

using Command = CommandLine::Command;

namespace {

// Copies a folder with its sub-folders; the file list of the copy, sorted.
QStringList copyTree(const QString& source, const TempFolder& dir, const QString& target) {
    QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        QFile in(path);
        if (in.open(QIODevice::ReadOnly)) {
            dir.write(target + QLatin1Char('/') + QDir(source).relativeFilePath(path),
                      in.readAll());
        }
    }
    QStringList copied;
    QDirIterator written(dir.file(target), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                         QDirIterator::Subdirectories);
    while (written.hasNext()) {
        copied << written.next();
    }
    copied.sort();
    return copied;
}

QStringList treeOf(const QString& folder) {
    QStringList entries;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        entries << it.next();
    }
    entries.sort();
    return entries;
}

CommandLine parse(const char* line) {
    return CommandLine::Parse(QString(line).split(u' ', Qt::SkipEmptyParts));
}

}  // namespace

TEST(LintCommandLine, GameFolderHelpAndErrors) {
    const CommandLine lint = parse("lint games/demo");
    EXPECT_EQ(lint.command, Command::Lint);
    EXPECT_EQ(lint.gameDir, "games/demo");
    EXPECT_EQ(parse("lint --help").command, Command::Help);
    EXPECT_TRUE(parse("lint --help").text.contains("FILE:LINE: message"));
    EXPECT_EQ(parse("lint").command, Command::Error);
    EXPECT_EQ(parse("lint a b").command, Command::Error);
    EXPECT_EQ(parse("lint a --strict").command, Command::Error);
    EXPECT_TRUE(parse("--help").text.contains("varo lint GAME_DIR"));
}

TEST(LintToolProgram, TheDemoGameLintsCleanAndIsLeftAsItWas) {
    TempFolder dir;
    const QStringList before =
        copyTree(QStringLiteral(VARO_SOURCE_DIR "/games/demo"), dir, QStringLiteral("demo"));
    ASSERT_FALSE(before.isEmpty());
    const ProgramRun run = RunVaro({"lint", dir.file("demo")});
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(run.out), QString());
    EXPECT_EQ(QString::fromUtf8(run.err), QString());
    EXPECT_EQ(treeOf(dir.file("demo")), before);
}

// tests/games/lint/README.txt lists the planted mistakes and what must pass.
TEST(LintToolProgram, EveryPlantedMistakeIsReportedOnceAtItsLine) {
    TempFolder dir;
    copyTree(QStringLiteral(VARO_SOURCE_DIR "/tests/games/lint"), dir, QStringLiteral("game"));
    const ProgramRun run = RunVaro({"lint", dir.file("game")});
    EXPECT_EQ(run.exitCode, 1);
    const QString expected = QStringLiteral(
        "game_mode.ini:12: [WindowMode] Buttons lists 'skip', but there is no key 'skip'\n"
        "omake_mode.ini:37: label 'lfet' not found in scenario 'side'\n"
        "saveload_mode.ini:11: [Button] has no key 'PageNo02'\n"
        "scenario/broken.txt:4: cannot be assembled: 字幕省略で不正な半角文字 'a' があります。\n"
        "scenario/start.txt:9: picture 'bg_rooom' not found in image/ or the archives\n"
        "scenario/start.txt:12: voice 'aki009' not found in sound/ or the archives\n"
        "scenario/start.txt:15: sound 'se_dor' not found in sound/ or the archives\n"
        "scenario/start.txt:17: mask 'rule_wip' not found in image/ or the archives\n"
        "scenario/start.txt:24: movie 'op2.avi' not found in movie/\n"
        "scenario/start.txt:26: cannot be decoded: 未定義命令'bgx'を実行しようとしました。\n"
        "scenario/start.txt:35: label 'ending' not found in scenario 'start'\n"
        "scenario/start.txt:38: scenario 'nosuch' not found in scenario/\n"
        "scenario/start.txt:42: picture 'end_credits' not found in image/ or the archives\n"
        "scenario/start.txt:45: label 'right' is defined again (first at line 31); the player "
        "drops the labels from here on and cannot run the labelled lines\n"
        "title_mode.ini:13: [menu] has no key 'bg'\n");
    EXPECT_EQ(QString::fromUtf8(run.out), expected);
    EXPECT_EQ(QString::fromUtf8(run.err), "varo lint: 15 problem(s) found\n");
}

// Packed without debug.ini: documents and scenarios are read from the archive,
// and findings name the archive entry; loose pictures are not read.
TEST(LintToolProgram, AnArchivedGameIsCheckedInItsArchive) {
    TempFolder dir;
    const auto write = [&dir](const QString& name, const QString& text) {
        dir.write(name, Cp932Codec::encode(text));
    };
    write("stage/SystemInfo.ini",
          "[Game]\r\nEntryPoint=start.begin\r\n[TextBlock]\r\nCharCount=20\r\nLineCount=3\r\n"
          "[Instruction]\r\ngo\t*\r\nbg\t*\t%\t%\r\n");
    write("stage/scenario/start.txt", "begin:\r\nbg hill\r\ngo begni\r\n");
    write("stage/title_mode.ini", "[Logo]\r\nbg=hill\r\n[menu]\r\nbg=hill\r\nButtons=\r\n");
    dir.write("game/image/hill.png", QByteArray());
    const ProgramRun pack =
        RunVaro({"oska", "pack", dir.file("stage"), dir.file("game/data.oska")});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();
    const ProgramRun run = RunVaro({"lint", dir.file("game")});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = QString::fromUtf8(run.out).split(u'\n', Qt::SkipEmptyParts);
    const QString notInArchive = QStringLiteral(
        "picture 'hill' not found in the archives (loose files in image/ are read only with "
        "CGFileMode=True in debug.ini)");
    // The archive holds the assembled form: one line per instruction, labels in front.
    EXPECT_TRUE(lines.contains("data.oska/scenario/start.txt:1: " + notInArchive))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(
        lines.contains("data.oska/scenario/start.txt:2: label 'begni' not found in "
                       "scenario 'start'"))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains("data.oska/title_mode.ini:2: " + notInArchive))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines.contains("data.oska/title_mode.ini:5: [menu] Buttons is empty"))
        << lines.join(u'\n').toStdString();
    EXPECT_TRUE(
        lines.contains("game_mode.ini:0: the document is missing: neither game_mode.ini "
                       "nor an archive entry game_mode exists"))
        << lines.join(u'\n').toStdString();
}

TEST(LintToolProgram, AFolderThatIsNoGameCannotBeChecked) {
    TempFolder dir;
    const ProgramRun missing = RunVaro({"lint", dir.file("nothing")});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains("no game folder")) << missing.err.toStdString();
    const ProgramRun empty = RunVaro({"lint", dir.path()});
    EXPECT_EQ(empty.exitCode, 2);
    EXPECT_TRUE(empty.err.contains("system information")) << empty.err.toStdString();
    EXPECT_TRUE(empty.out.isEmpty());
}
