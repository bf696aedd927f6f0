// `varo asm` and the assembling `varo oska pack`, through the real program.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/AsmTool.h"
#include "platform/os/Cp932Codec.h"

namespace {

class AsmToolTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir.write(
            QStringLiteral("game/SystemInfo.ini"),
            Cp932Codec::encode(QStringLiteral("[TextBlock]\r\nCharCount=4\r\nLineCount=2\r\n")));
        source(QStringLiteral("start"),
               QStringLiteral("top:\r\nBG Title, 1\r\nあいうえお\\b\r\ngo top\r\n"));
    }
    void source(const QString& name, const QString& text) {
        dir.write(QStringLiteral("game/scenario/") + name + QStringLiteral(".txt"),
                  Cp932Codec::encode(text));
    }
    QString path(const QString& name) const { return dir.file(name); }

    TempFolder dir;
    // The rules give: a label on the command, lower-cased arguments, a wrapped quoted text block.
    const QString expected =
        QStringLiteral("top:bg\ttitle\t1\r\nput\t\"あいうえ\\nお\"\r\ngo\ttop");
};

}  // namespace

TEST_F(AsmToolTest, PrintsInstructionLinesAsUtf8) {
    const ProgramRun run =
        RunVaro({QStringLiteral("asm"), path(QStringLiteral("game/scenario/start.txt"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    QString lines = expected;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    EXPECT_EQ(QString::fromUtf8(run.out), lines + QLatin1Char('\n'));
}

TEST_F(AsmToolTest, WritesArchiveFormWithOutput) {
    const ProgramRun run =
        RunVaro({QStringLiteral("asm"), path(QStringLiteral("game/scenario/start.txt")),
                 QStringLiteral("-o"), path(QStringLiteral("out.txt"))});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("out.txt")), Cp932Codec::encode(expected));
}

TEST_F(AsmToolTest, AssemblyErrorIsPrintedAsThePlayerSeesIt) {
    source(QStringLiteral("bad"), QStringLiteral("nop\r\n\r\nelse\r\n"));
    dir.write(QStringLiteral("elsewhere/bad.txt"),
              dir.read(QStringLiteral("game/scenario/bad.txt")));
    const ProgramRun run =
        RunVaro({QStringLiteral("asm"), path(QStringLiteral("elsewhere/bad.txt")),
                 QStringLiteral("--game"), path(QStringLiteral("game"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(QString::fromUtf8(run.err),
              QStringLiteral("シナリオアセンブルエラー  bad . 3\nelse\nelse without if\n"));
    EXPECT_TRUE(run.out.isEmpty());
}

TEST_F(AsmToolTest, NeedsTheTextBlockSettings) {
    dir.write(QStringLiteral("game/SystemInfo.ini"), "[Game]\r\nTitle=x\r\n");
    const ProgramRun run =
        RunVaro({QStringLiteral("asm"), path(QStringLiteral("game/scenario/start.txt"))});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.err.contains("TextBlock"));
    EXPECT_EQ(RunVaro({QStringLiteral("asm"), path(QStringLiteral("none.txt"))}).exitCode, 1);
    EXPECT_EQ(RunVaro({QStringLiteral("asm"), QStringLiteral("--help")}).exitCode, 0);
}

TEST_F(AsmToolTest, PackStoresScenariosAssembled) {
    const ProgramRun pack =
        RunVaro({QStringLiteral("oska"), QStringLiteral("pack"), path(QStringLiteral("game")),
                 path(QStringLiteral("data.oska"))});
    ASSERT_EQ(pack.exitCode, 0) << pack.err.toStdString();
    const ProgramRun extract =
        RunVaro({QStringLiteral("oska"), QStringLiteral("extract"),
                 path(QStringLiteral("data.oska")), path(QStringLiteral("out"))});
    ASSERT_EQ(extract.exitCode, 0) << extract.err.toStdString();
    EXPECT_EQ(dir.read(QStringLiteral("out/scenario/start.txt")), Cp932Codec::encode(expected));
    EXPECT_EQ(dir.read(QStringLiteral("out/SystemInfo.ini")),
              dir.read(QStringLiteral("game/SystemInfo.ini")));
}

TEST_F(AsmToolTest, PackStopsAtAnAssemblyError) {
    source(QStringLiteral("broken"), QStringLiteral("if a\r\nnop\r\n"));
    const ProgramRun pack =
        RunVaro({QStringLiteral("oska"), QStringLiteral("pack"), path(QStringLiteral("game")),
                 path(QStringLiteral("data.oska"))});
    EXPECT_EQ(pack.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(pack.err).contains(QStringLiteral("scenario/broken.txt")));
    EXPECT_TRUE(QString::fromUtf8(pack.err).contains(QStringLiteral("if without endif")));
    EXPECT_FALSE(dir.exists(QStringLiteral("data.oska")));
}

TEST(AsmTool, GameFolderIsAboveTheScenarioFolder) {
    EXPECT_EQ(AsmTool::GameDirOf(QStringLiteral("/g/Scenario/a.txt")), QStringLiteral("/g"));
    EXPECT_EQ(AsmTool::GameDirOf(QStringLiteral("/g/other/a.txt")), QStringLiteral("/g/other"));
}
