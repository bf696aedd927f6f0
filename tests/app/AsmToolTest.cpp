// `varo asm` and the assembling `varo oska pack`, through the real program.
#include "app/AsmTool.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/os/Cp932Codec.h"

namespace {

class AsmToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write("game/SystemInfo.ini", "[TextBlock]\r\nCharCount=4\r\nLineCount=2\r\n");
        source("start", "top:\r\nBG Title, 1\r\nあいうえお\\b\r\ngo top\r\n");
    }
    void source(const QString& name, const QString& text) {
        dir.write("game/scenario/" + name + ".txt", Cp932Codec::encode(text));
    }
    // Runs varo with the arguments; "@NAME" stands for the path of NAME in the folder.
    ProgramRun varo(const QStringList& args) {
        QStringList resolved;
        for (const QString& arg : args) {
            resolved << (arg.startsWith(u'@') ? dir.file(arg.mid(1)) : arg);
        }
        return RunVaro(resolved);
    }
    TempFolder dir;
    // The rules give: a label on the command, lower-cased arguments, a wrapped quoted text block.
    const QString expected = "top:bg\ttitle\t1\r\nput\t\"あいうえ\\nお\"\r\ngo\ttop";
};

}  // namespace

TEST_F(AsmToolTest, PrintsInstructionLinesAsUtf8OrWritesTheArchiveForm) {
    const ProgramRun printed = varo({"asm", "@game/scenario/start.txt"});
    ASSERT_EQ(printed.exitCode, 0) << printed.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(printed.out), QString(expected).replace("\r\n", "\n") + '\n');
    const ProgramRun written = varo({"asm", "@game/scenario/start.txt", "-o", "@out.txt"});
    ASSERT_EQ(written.exitCode, 0) << written.err.toStdString();
    EXPECT_EQ(dir.read("out.txt"), Cp932Codec::encode(expected));
}

TEST_F(AsmToolTest, AssemblyErrorIsPrintedAsThePlayerSeesIt) {
    dir.write("elsewhere/bad.txt", "nop\r\n\r\nelse\r\n");
    const ProgramRun run = varo({"asm", "@elsewhere/bad.txt", "--game", "@game"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.err),
              "シナリオアセンブルエラー  bad . 3\nelse\nelse without if\n");
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(AsmToolTest, NeedsTheTextBlockSettingsAndAFile) {
    dir.write("game/SystemInfo.ini", "[Game]\r\nTitle=x\r\n");
    const ProgramRun run = varo({"asm", "@game/scenario/start.txt"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("TextBlock"));
    EXPECT_EQ(varo({"asm", "@none.txt"}).exitCode, 1);
    EXPECT_EQ(varo({"asm", "--help"}).exitCode, 0);
}

TEST_F(AsmToolTest, PackStoresScenariosAssembledAndStopsAtAnAssemblyError) {
    const ProgramRun pack = varo({"oska", "pack", "@game", "@data.oska"});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();
    const ProgramRun extract = varo({"oska", "extract", "@data.oska", "@out"});
    ASSERT_EQ(extract.exitCode, 0) << extract.err.toStdString();
    EXPECT_EQ(dir.read("out/scenario/start.txt"), Cp932Codec::encode(expected));
    EXPECT_EQ(dir.read("out/SystemInfo.ini"), dir.read("game/SystemInfo.ini"));
    source("broken", "if a\r\nnop\r\n");
    const ProgramRun broken = varo({"oska", "pack", "@game", "@broken.oska"});
    EXPECT_EQ(broken.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(broken.err).contains("scenario/broken.txt"));
    EXPECT_TRUE(QString::fromUtf8(broken.err).contains("if without endif"));
    EXPECT_FALSE(dir.exists("broken.oska"));
}

TEST(AsmTool, GameFolderIsAboveTheScenarioFolder) {
    EXPECT_EQ(AsmTool::GameDirOf("/g/Scenario/a.txt"), "/g");
    EXPECT_EQ(AsmTool::GameDirOf("/g/other/a.txt"), "/g/other");
}

TEST_F(AsmToolTest, AFileOutsideAGameAsksForTheGameFolder) {
    dir.write("loose/bad.txt", "nop\r\n\r\nelse\r\n");
    const ProgramRun outside = varo({"asm", "@loose/bad.txt"});
    EXPECT_EQ(outside.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(outside.err),
              "varo asm: " + dir.file("loose") +
                  ": not a Varo game (no SystemInfo.ini); name the game folder with --game DIR\n");
    EXPECT_TRUE(outside.out.isEmpty());
    // The same file with a game assembles, and a wrong --game is named.
    const ProgramRun withGame = varo({"asm", "@loose/bad.txt", "--game", "@game"});
    EXPECT_TRUE(QString::fromUtf8(withGame.err).startsWith("シナリオアセンブルエラー"));
    const ProgramRun wrongGame = varo({"asm", "@loose/bad.txt", "--game", "@nowhere"});
    EXPECT_EQ(wrongGame.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(wrongGame.err),
              "varo asm: " + dir.file("nowhere") + ": no such folder\n");
    EXPECT_TRUE(varo({"asm", "--help"}).out.contains("--game DIR"));
}

TEST_F(AsmToolTest, ADamagedArchiveBesideTheScenarioDoesNotHideItsErrors) {
    dir.write("game/broken.oska", "PK\x03\x04 not really a zip");
    source("bad", "nop\r\n\r\nelse\r\n");
    const ProgramRun run = varo({"asm", "@game/scenario/bad.txt"});
    EXPECT_EQ(run.exitCode, 1);
    const QStringList lines = QString::fromUtf8(run.err).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << run.err.toStdString();
    EXPECT_EQ(lines.at(0), "varo asm: warning: アーカイブの初期化に失敗しました。");
    EXPECT_EQ(lines.at(1), dir.file("game/broken.oska"));
    EXPECT_EQ(lines.mid(2),
              QStringList({"シナリオアセンブルエラー  bad . 3", "else", "else without if"}));
    // A sound scenario still assembles, with the warning.
    const ProgramRun good = varo({"asm", "@game/scenario/start.txt"});
    EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(good.out), QString(expected).replace("\r\n", "\n") + '\n');
    EXPECT_TRUE(good.err.startsWith("varo asm: warning: "));
}
