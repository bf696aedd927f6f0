// `varo oska ...`: parsed arguments, and the real program packing, listing and
// extracting archives.
#include "app/OskaTool.h"

#include <gtest/gtest.h>

#include <QProcess>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/CommandLine.h"

namespace {

using Command = CommandLine::Command;

ProgramRun varo(const QStringList& args) {
    return RunVaro(args);
}

ProgramRun oska(const QString& action, const QStringList& operands) {
    return varo(QStringList{QStringLiteral("oska"), action} + operands);
}

CommandLine parse(const char* line) {
    return CommandLine::Parse(QString::fromLatin1(line).split(QLatin1Char(' ')));
}

}  // namespace

TEST(OskaCommandLine, ActionsAndOperands) {
    const CommandLine pack = parse("oska pack data out.oska");
    EXPECT_EQ(pack.command, Command::OskaPack);
    EXPECT_EQ(pack.file, QStringLiteral("data"));
    EXPECT_EQ(pack.output, QStringLiteral("out.oska"));
    const CommandLine list = parse("oska list a.oska");
    EXPECT_EQ(list.command, Command::OskaList);
    EXPECT_EQ(list.file, QStringLiteral("a.oska"));
    const CommandLine extract = parse("oska extract a.oska dir");
    EXPECT_EQ(extract.command, Command::OskaExtract);
    EXPECT_EQ(extract.file, QStringLiteral("a.oska"));
    EXPECT_EQ(extract.output, QStringLiteral("dir"));
}

TEST(OskaCommandLine, HelpAndErrors) {
    for (const char* line :
         {"oska --help", "oska pack --help", "oska list a.oska -h", "oska extract a b --help"}) {
        const CommandLine help = parse(line);
        EXPECT_EQ(help.command, Command::Help) << line;
        EXPECT_TRUE(help.text.contains(QStringLiteral("extract ARCHIVE DIR"))) << line;
    }
    for (const char* line : {"oska", "oska zip a", "oska pack data", "oska list", "oska list a b",
                             "oska extract a", "oska pack a b c", "oska list --force a"}) {
        EXPECT_EQ(parse(line).command, Command::Error) << line;
    }
    EXPECT_TRUE(parse("oska pack data").text.contains(QStringLiteral("missing OUT")));
}

TEST(OskaToolProgram, PackListExtractRoundTrip) {
    TempFolder dir;
    const QByteArray picture = oskatest::encoded(oskatest::testPicture(4, 4), "PNG");
    dir.write(QStringLiteral("data/bg/BG01.png"), picture);
    dir.write(QStringLiteral("data/SystemInfo.ini"), "[Game]\r\nTitle=t");
    dir.write(QStringLiteral("data/.hidden"), "not packed");
    const ProgramRun pack = oska(QStringLiteral("pack"), {dir.file(QStringLiteral("data")),
                                                          dir.file(QStringLiteral("a.oska"))});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();

    const ProgramRun list = oska(QStringLiteral("list"), {dir.file(QStringLiteral("a.oska"))});
    ASSERT_EQ(list.exitCode, 0) << list.err.toStdString();
    const QStringList lines = QString::fromUtf8(list.out).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << list.out.toStdString();
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("0\toskalist\toskalist.txt\t")));
    EXPECT_EQ(lines[1], QStringLiteral("1\tSystemInfo\tSystemInfo.ini\t15"));
    EXPECT_EQ(lines[2], QStringLiteral("2\tBG01\tbg/BG01.png\t") + QString::number(picture.size()));

    const ProgramRun extract = oska(QStringLiteral("extract"), {dir.file(QStringLiteral("a.oska")),
                                                                dir.file(QStringLiteral("out"))});
    ASSERT_EQ(extract.exitCode, 0) << extract.err.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("out/bg/BG01.png")), picture);
    EXPECT_EQ(dir.read(QStringLiteral("out/SystemInfo.ini")), QByteArray("[Game]\r\nTitle=t"));
    EXPECT_EQ(dir.read(QStringLiteral("out/oskalist.txt")),
              QByteArray("oskalist\r\nSystemInfo\r\nBG01\r\n"));
    EXPECT_FALSE(dir.exists(QStringLiteral("out/.hidden")));

    // An extracted folder packs again: its old file list is not packed as a file.
    const ProgramRun again = oska(QStringLiteral("pack"), {dir.file(QStringLiteral("out")),
                                                           dir.file(QStringLiteral("out/b.oska"))});
    ASSERT_EQ(again.exitCode, 0) << again.err.toStdString();
    EXPECT_EQ(oska(QStringLiteral("list"), {dir.file(QStringLiteral("out/b.oska"))}).out, list.out);
}

TEST(OskaToolProgram, KeysThatCollideNameBothFiles) {
    TempFolder dir;
    dir.write(QStringLiteral("data/bg01.png"), "png");
    dir.write(QStringLiteral("data/sub/BG01.bmp"), "bmp");
    const ProgramRun run = oska(QStringLiteral("pack"), {dir.file(QStringLiteral("data")),
                                                         dir.file(QStringLiteral("a.oska"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("bg01.png")) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("sub/BG01.bmp")) << run.err.toStdString();
    EXPECT_FALSE(dir.exists(QStringLiteral("a.oska")));

    dir.write(QStringLiteral("other/sub/oskalist.png"), "png");
    QString error;
    EXPECT_FALSE(OskaTool::Pack(dir.file(QStringLiteral("other")),
                                dir.file(QStringLiteral("b.oska")), error));
    EXPECT_TRUE(error.contains(QStringLiteral("file list"))) << error.toStdString();
}

TEST(OskaToolProgram, DamagedArchivesAreReportedNotRead) {
    TempFolder dir;
    const QByteArray good = oskatest::archive({{QStringLiteral("a.txt"), "alpha"}});
    dir.write(QStringLiteral("cut.oska"), good.left(good.size() - 4));
    const ProgramRun cut = oska(QStringLiteral("list"), {dir.file(QStringLiteral("cut.oska"))});
    EXPECT_EQ(cut.exitCode, 1);
    EXPECT_TRUE(cut.out.isEmpty());
    EXPECT_TRUE(cut.err.contains("cut.oska"));

    dir.write(QStringLiteral("crc.oska"), oskatest::withFlippedData(good, 1));
    const ProgramRun crc = oska(QStringLiteral("extract"), {dir.file(QStringLiteral("crc.oska")),
                                                            dir.file(QStringLiteral("out"))});
    EXPECT_EQ(crc.exitCode, 1);
    EXPECT_TRUE(crc.err.contains("damaged")) << crc.err.toStdString();
    EXPECT_FALSE(dir.exists(QStringLiteral("out/a.txt")));

    EXPECT_EQ(oska(QStringLiteral("list"), {dir.file(QStringLiteral("none.oska"))}).exitCode, 1);
    EXPECT_EQ(oska(QStringLiteral("pack"),
                   {dir.file(QStringLiteral("none")), dir.file(QStringLiteral("x.oska"))})
                  .exitCode,
              1);
    EXPECT_EQ(oska(QStringLiteral("bogus"), {}).exitCode, 2);
    EXPECT_EQ(oska(QStringLiteral("list"), {QStringLiteral("--help")}).exitCode, 0);
}

TEST(OskaToolProgram, ExtractNeverWritesOutsideTheFolder) {
    TempFolder dir;
    const QByteArray evil =
        oskatest::rawArchive({{QStringLiteral("oskalist.txt"), "oskalist\r\nok\r\nx\r\n", {}},
                              {QStringLiteral("ok.txt"), "fine", {}},
                              {QStringLiteral("../escaped.txt"), "outside", {}}});
    dir.write(QStringLiteral("evil.oska"), evil);
    QString error;
    EXPECT_FALSE(OskaTool::Extract(dir.file(QStringLiteral("evil.oska")),
                                   dir.file(QStringLiteral("out")), error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(dir.exists(QStringLiteral("escaped.txt")));
    EXPECT_FALSE(dir.exists(QStringLiteral("out/ok.txt")));  // refused before anything is written
}
