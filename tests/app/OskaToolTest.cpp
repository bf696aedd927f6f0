// `varo oska ...`: parsed arguments, and the real program packing, listing and
// extracting archives.
#include "app/OskaTool.h"

#include <gtest/gtest.h>

#include <QDir>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/CommandLine.h"

namespace {

using Command = CommandLine::Command;

CommandLine parse(const char* line) {
    return CommandLine::Parse(QString(line).split(u' '));
}

class OskaToolProgram : public ::testing::Test {
protected:
    // Runs `varo oska ACTION ...`; "@NAME" stands for the path of NAME in the folder.
    ProgramRun oska(const QString& action, const QStringList& operands) {
        QStringList args{"oska", action};
        for (const QString& operand : operands) {
            args << (operand.startsWith(u'@') ? dir.file(operand.mid(1)) : operand);
        }
        return RunVaro(args);
    }
    TempFolder dir;
};

}  // namespace

TEST(OskaCommandLine, ActionsOperandsHelpAndErrors) {
    const std::tuple<const char*, Command, const char*, const char*> rows[] = {
        {"oska pack data out.oska", Command::OskaPack, "data", "out.oska"},
        {"oska list a.oska", Command::OskaList, "a.oska", ""},
        {"oska extract a.oska dir", Command::OskaExtract, "a.oska", "dir"}};
    for (const auto& [line, command, file, output] : rows) {
        const CommandLine cmd = parse(line);
        EXPECT_EQ(cmd.command, command) << line;
        EXPECT_EQ(cmd.file, file) << line;
        EXPECT_EQ(cmd.output, output) << line;
    }
    for (const char* line :
         {"oska --help", "oska pack --help", "oska list a.oska -h", "oska extract a b --help"}) {
        EXPECT_EQ(parse(line).command, Command::Help) << line;
        EXPECT_TRUE(parse(line).text.contains("extract ARCHIVE DIR")) << line;
    }
    for (const char* line : {"oska", "oska zip a", "oska pack data", "oska list", "oska list a b",
                             "oska extract a", "oska pack a b c", "oska list --force a"}) {
        EXPECT_EQ(parse(line).command, Command::Error) << line;
    }
    EXPECT_TRUE(parse("oska pack data").text.contains("missing OUT"));
}

TEST_F(OskaToolProgram, PackListExtractRoundTrip) {
    const QByteArray picture = oskatest::encoded(oskatest::testPicture(4, 4), "PNG");
    dir.write("data/bg/BG01.png", picture);
    dir.write("data/SystemInfo.ini", "[Game]\r\nTitle=t");
    dir.write("data/.hidden", "not packed");
    const ProgramRun pack = oska("pack", {"@data", "@a.oska"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();
    const ProgramRun list = oska("list", {"@a.oska"});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QStringList lines = QString::fromUtf8(list.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << list.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith("0\toskalist\toskalist.txt\t"));
    EXPECT_EQ(lines[1], "1\tSystemInfo\tSystemInfo.ini\t15");
    EXPECT_EQ(lines[2], "2\tBG01\tbg/BG01.png\t" + QString::number(picture.size()));
    ASSERT_EQ(oska("extract", {"@a.oska", "@out"}).exitCode, 0);
    EXPECT_EQ(dir.read("out/bg/BG01.png"), picture);
    EXPECT_EQ(dir.read("out/SystemInfo.ini"), "[Game]\r\nTitle=t");
    EXPECT_EQ(dir.read("out/oskalist.txt"), "oskalist\r\nSystemInfo\r\nBG01\r\n");
    EXPECT_FALSE(dir.exists("out/.hidden"));
    // An extracted folder packs again: its old file list is not packed as a file.
    ASSERT_EQ(oska("pack", {"@out", "@out/b.oska"}).exitCode, 0);
    EXPECT_EQ(oska("list", {"@out/b.oska"}).out, list.out);
}

TEST_F(OskaToolProgram, AFolderNamedRelativeToTheWorkingFolderPacksUnderItsOwnNames) {
    dir.write("data/SystemInfo.ini", "[TextBlock]\r\nCharCount=20\r\nLineCount=3");
    dir.write("data/scenario/main.txt", "start:\r\nnop");
    dir.write("data/bg/BG01.png", "png");
    const QString relative = QDir::current().relativeFilePath(dir.file("data"));
    ASSERT_TRUE(QDir::isRelativePath(relative));
    const ProgramRun pack = oska("pack", {relative, "@a.oska"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();
    const QStringList lines =
        QString::fromUtf8(oska("list", {"@a.oska"}).out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[1].startsWith("1\tSystemInfo\tSystemInfo.ini\t"));
    EXPECT_TRUE(lines[2].startsWith("2\tBG01\tbg/BG01.png\t"));
    EXPECT_TRUE(lines[3].startsWith("3\tmain\tscenario/main.txt\t"));
}

TEST_F(OskaToolProgram, KeysThatCollideNameBothFiles) {
    dir.write("data/bg01.png", "png");
    dir.write("data/sub/BG01.bmp", "bmp");
    const ProgramRun run = oska("pack", {"@data", "@a.oska"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("bg01.png")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("sub/BG01.bmp")) << run.err.toStdString();
    EXPECT_FALSE(dir.exists("a.oska"));
    dir.write("other/sub/oskalist.png", "png");
    QString error;
    EXPECT_FALSE(OskaTool::Pack(dir.file("other"), dir.file("b.oska"), error));
    EXPECT_TRUE(error.contains("file list")) << error.toStdString();
}

TEST_F(OskaToolProgram, DamagedArchivesAreReportedNotRead) {
    const QByteArray good = oskatest::archive({{"a.txt", "alpha"}});
    dir.write("cut.oska", good.left(good.size() - 4));
    const ProgramRun cut = oska("list", {"@cut.oska"});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(cut.out.isEmpty());
    EXPECT_TRUE(cut.err.contains("cut.oska"));
    dir.write("crc.oska", oskatest::withFlippedData(good, 1));
    const ProgramRun crc = oska("extract", {"@crc.oska", "@out"});
    EXPECT_EQ(crc.exitCode, 1);
    EXPECT_TRUE(crc.err.contains("damaged")) << crc.err.toStdString();
    EXPECT_FALSE(dir.exists("out/a.txt"));
    EXPECT_EQ(oska("list", {"@none.oska"}).exitCode, 1);
    EXPECT_EQ(oska("pack", {"@none", "@x.oska"}).exitCode, 1);
    EXPECT_EQ(oska("bogus", {}).exitCode, 2);
    EXPECT_EQ(oska("list", {"--help"}).exitCode, 0);
}

TEST_F(OskaToolProgram, ExtractNeverWritesOutsideTheFolder) {
    dir.write("evil.oska", oskatest::rawArchive({{"oskalist.txt", "oskalist\r\nok\r\nx\r\n", {}},
                                                 {"ok.txt", "fine", {}},
                                                 {"../escaped.txt", "outside", {}}}));
    QString error;
    EXPECT_FALSE(OskaTool::Extract(dir.file("evil.oska"), dir.file("out"), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(dir.exists("escaped.txt"));
    EXPECT_FALSE(dir.exists("out/ok.txt"));  // refused before anything is written
}
