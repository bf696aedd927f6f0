// The test helper that runs the real program: a run that hangs or cannot start
// must read as a failure, never as a clean exit.
#include <gtest/gtest.h>

#include "TestSupport.h"

TEST(ProgramRun, ARunPastItsTimeIsKilledAndFails) {
    TempFolder dir;
    ASSERT_TRUE(CopyTestGame(dir, "minimal"));
    // In a window the game runs on real time until the player closes it.
    const ProgramRun run = RunVaro({dir.path()}, 500);
    EXPECT_EQ(run.exitCode, -1);
    const QByteArray lastLine = run.err.mid(run.err.lastIndexOf('\n') + 1);
    EXPECT_TRUE(lastLine.startsWith("timed out after ") && lastLine.endsWith(" ms"))
        << run.err.toStdString();
}

TEST(ProgramRun, AProgramThatCannotStartFails) {
    TempFolder dir;
    const ProgramRun run = RunProgram(dir.file("no-such-program"), {}, 5000);
    EXPECT_EQ(run.exitCode, -1);
    EXPECT_TRUE(run.err.startsWith("did not start")) << run.err.toStdString();
}
