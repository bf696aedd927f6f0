#include <gtest/gtest.h>

#include "TestSupport.h"
#include "platform/os/TraceSink.h"
#include "platform/os/VirtualClock.h"

TEST(TraceSink, LinesStartWithTheClockTime) {
    VirtualClock clock;
    TraceSink trace(clock);
    trace.keepInMemory(true);
    trace.write(QStringLiteral("mode 1 0"));
    clock.sleep(42);
    trace.write(QStringLiteral("exit 0"));
    const QStringList expected{QStringLiteral("t=0 mode 1 0"), QStringLiteral("t=42 exit 0")};
    EXPECT_EQ(trace.lines(), expected);
}

TEST(TraceSink, LineBreaksBecomeEscapes) {
    VirtualClock clock;
    TraceSink trace(clock);
    trace.keepInMemory(true);
    trace.write(QStringLiteral("log a\r\nb\nc\rd"));
    EXPECT_EQ(trace.lines(), QStringList{QStringLiteral("t=0 log a\\nb\\nc\\nd")});
}

TEST(TraceSink, KeepsNothingInMemoryUnlessAsked) {
    VirtualClock clock;
    TraceSink trace(clock);
    trace.write(QStringLiteral("exit 0"));
    EXPECT_TRUE(trace.lines().isEmpty());
}

TEST(TraceSink, FileGetsEachLineAtOnceInUtf8) {
    TempFolder dir;
    dir.write(QStringLiteral("trace.txt"), "stale line from an earlier run\n");
    VirtualClock clock;
    TraceSink trace(clock);
    ASSERT_TRUE(trace.openFile(dir.file(QStringLiteral("trace.txt"))));
    trace.write(QStringLiteral("log 読み込み"));
    EXPECT_EQ(dir.read(QStringLiteral("trace.txt")), QStringLiteral("t=0 log 読み込み\n").toUtf8());
    clock.sleep(7);
    trace.write(QStringLiteral("shot end"));
    EXPECT_EQ(dir.read(QStringLiteral("trace.txt")),
              QStringLiteral("t=0 log 読み込み\nt=7 shot end\n").toUtf8());
    EXPECT_TRUE(trace.lines().isEmpty());
}

TEST(TraceSink, UnwritablePathIsRefused) {
    TempFolder dir;
    VirtualClock clock;
    TraceSink trace(clock);
    trace.keepInMemory(true);
    EXPECT_FALSE(trace.openFile(dir.path()));
    trace.write(QStringLiteral("exit 0"));
    EXPECT_EQ(trace.lines(), QStringList{QStringLiteral("t=0 exit 0")});
}
