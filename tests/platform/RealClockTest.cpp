#include "platform/os/RealClock.h"

#include <gtest/gtest.h>

namespace {

// Long enough for a busy machine: only a timer that never fires reaches it.
constexpr int kEventuallyMs = 10000;

// Pumps until `done` or until the limit of real time has passed.
void pumpUntil(RealClock& clock, const bool& done) {
    const qint64 end = clock.now() + kEventuallyMs;
    while (!done && clock.now() < end) {
        clock.pump();
        if (!done) {
            clock.sleep(1);
        }
    }
}

}  // namespace

TEST(RealClock, SleepingMovesTimeButDeliversNothing) {
    RealClock clock;
    EXPECT_FALSE(clock.isVirtual());
    bool fired = false;
    const Clock::TimerId id = clock.startTimer(5, [&] { fired = true; });
    EXPECT_TRUE(clock.isTimerActive(id));
    const qint64 start = clock.now();
    clock.sleep(10);
    EXPECT_GE(clock.now() - start, 10);
    EXPECT_FALSE(fired);
    pumpUntil(clock, fired);
    EXPECT_TRUE(fired);
    EXPECT_FALSE(clock.isTimerActive(id));
}

TEST(RealClock, TimersFireOnlyWhenDueAndNotWhenCancelled) {
    RealClock clock;
    bool late = false;
    bool cancelled = false;
    bool witness = false;
    const Clock::TimerId lateId = clock.startTimer(60000, [&] { late = true; });
    const Clock::TimerId cancelledId = clock.startTimer(1, [&] { cancelled = true; });
    clock.cancelTimer(cancelledId);
    clock.startTimer(2, [&] { witness = true; });
    clock.sleep(3);
    pumpUntil(clock, witness);
    EXPECT_TRUE(witness);
    EXPECT_FALSE(cancelled || late);
    EXPECT_TRUE(clock.isTimerActive(lateId));
    clock.cancelTimer(lateId);
    EXPECT_FALSE(clock.isTimerActive(lateId));
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
    pumpUntil(clock, outerFired);
    ASSERT_TRUE(outerFired);
    EXPECT_NE(inner, outer);
    pumpUntil(clock, innerFired);
    EXPECT_TRUE(innerFired);
}
