#include "platform/os/TraceSink.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/os/VirtualClock.h"

TEST(TraceSink, LinesStartWithTheClockTimeAndLineBreaksBecomeEscapes) {
    VirtualClock clock;
    TraceSink trace(clock);
    trace.write("exit 0");
    EXPECT_TRUE(trace.lines().isEmpty());  // nothing is kept in memory unless asked
    trace.keepInMemory(true);
    trace.write("mode 1 0");
    clock.sleep(42);
    trace.write("log a\r\nb\nc\rd");
    EXPECT_EQ(trace.lines(), QStringList({"t=0 mode 1 0", "t=42 log a\\nb\\nc\\nd"}));
}

TEST(TraceSink, FileGetsEachLineAtOnceInUtf8) {
    TempFolder dir;
    dir.write("trace.txt", "stale line from an earlier run\n");
    VirtualClock clock;
    TraceSink trace(clock);
    ASSERT_TRUE(trace.openFile(dir.file("trace.txt")));
    trace.write("log 読み込み");
    EXPECT_EQ(dir.read("trace.txt"), QString("t=0 log 読み込み\n").toUtf8());
    clock.sleep(7);
    trace.write("shot end");
    EXPECT_EQ(dir.read("trace.txt"), QString("t=0 log 読み込み\nt=7 shot end\n").toUtf8());
    EXPECT_TRUE(trace.lines().isEmpty());
}

TEST(TraceSink, UnwritablePathIsRefused) {
    TempFolder dir;
    VirtualClock clock;
    TraceSink trace(clock);
    trace.keepInMemory(true);
    EXPECT_FALSE(trace.openFile(dir.path()));
    trace.write("exit 0");
    EXPECT_EQ(trace.lines(), QStringList{"t=0 exit 0"});
}
