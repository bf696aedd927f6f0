#include <gtest/gtest.h>

#include "platform/os/RealClock.h"

namespace {

// Pumps until `done` or until `limitMs` of real time have passed.
void pumpUntil(RealClock& clock, const bool& done, int limitMs) {
    const qint64 end = clock.now() + limitMs;
    while (!done && clock.now() < end) {
        clock.pump();
        if (!done) {
            clock.sleep(1);
        }
    }
}

}  // namespace

TEST(RealClock, SleepingMovesTime) {
    RealClock clock;
    EXPECT_FALSE(clock.isVirtual());
    const qint64 start = clock.now();
    clock.sleep(5);
    EXPECT_GE(clock.now() - start, 5);
}

TEST(RealClock, TimerFiresFromAPumpAfterItIsDue) {
    RealClock clock;
    bool fired = false;
    const Clock::TimerId id = clock.startTimer(5, [&] { fired = true; });
    EXPECT_GT(id, 0);
    EXPECT_TRUE(clock.isTimerActive(id));
    clock.sleep(10);
    EXPECT_FALSE(fired);  // sleeping delivers nothing
    pumpUntil(clock, fired, 40);
    EXPECT_TRUE(fired);
    EXPECT_FALSE(clock.isTimerActive(id));
}

TEST(RealClock, TimerDoesNotFireBeforeItIsDue) {
    RealClock clock;
    bool fired = false;
    const Clock::TimerId id = clock.startTimer(60000, [&] { fired = true; });
    clock.pump();
    EXPECT_FALSE(fired);
    EXPECT_TRUE(clock.isTimerActive(id));
    clock.cancelTimer(id);
    EXPECT_FALSE(clock.isTimerActive(id));
}

TEST(RealClock, CancelledTimerNeverFires) {
    RealClock clock;
    bool cancelledFired = false;
    bool witnessFired = false;
    const Clock::TimerId id = clock.startTimer(1, [&] { cancelledFired = true; });
    clock.cancelTimer(id);
    clock.startTimer(2, [&] { witnessFired = true; });
    clock.sleep(3);
    pumpUntil(clock, witnessFired, 40);
    EXPECT_TRUE(witnessFired);
    EXPECT_FALSE(cancelledFired);
}

TEST(RealClock, TimerStartedFromATimerFiresLater) {
    RealClock clock;
    bool outerFired = false;
    bool innerFired = false;
    Clock::TimerId inner = 0;
    const Clock::TimerId outer = clock.startTimer(0, [&] {
        outerFired = true;
        inner = clock.startTimer(0, [&] { innerFired = true; });
    });
    pumpUntil(clock, outerFired, 20);
    ASSERT_TRUE(outerFired);
    EXPECT_NE(inner, outer);
    pumpUntil(clock, innerFired, 20);
    EXPECT_TRUE(innerFired);
}
