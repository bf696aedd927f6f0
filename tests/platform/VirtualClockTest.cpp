#include "platform/os/VirtualClock.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

// A virtual clock whose timers and inputs record their names in `fired`.
class VirtualClockTest : public ::testing::Test {
protected:
    Clock::TimerId timer(int ms, const QString& name) {
        return clock.startTimer(ms, [this, name] { fired << name; });
    }
    void input(int ms, const QString& name) {
        clock.scheduleInput(ms, [this, name] { fired << name; });
    }
    QString firedNames() const { return fired.join(u' '); }
    VirtualClock clock;
    QStringList fired;
};

}  // namespace

TEST_F(VirtualClockTest, TimeStartsAtZeroAndMovesOnlyBySleeping) {
    EXPECT_TRUE(clock.isVirtual());
    EXPECT_EQ(clock.now(), 0);
    clock.pump();
    EXPECT_EQ(clock.now(), 0);
    clock.sleep(250);
    clock.sleep(-5);
    EXPECT_EQ(clock.now(), 250);
}

TEST_F(VirtualClockTest, DueTimersFireFromAPumpByDueTimeThenStartOrder) {
    timer(30, "A");
    timer(10, "B");
    timer(10, "C");
    timer(0, "D");
    timer(31, "late");
    const Clock::TimerId id = timer(50, "T");
    EXPECT_GT(id, 0);
    clock.sleep(30);
    EXPECT_EQ(firedNames(), "");  // sleeping delivers nothing
    clock.pump();
    EXPECT_EQ(firedNames(), "D B C A");
    clock.sleep(19);
    clock.pump();
    EXPECT_EQ(firedNames(), "D B C A late");
    EXPECT_TRUE(clock.isTimerActive(id));
    clock.sleep(1);
    clock.pump();
    clock.pump();
    EXPECT_EQ(firedNames(), "D B C A late T");
    EXPECT_FALSE(clock.isTimerActive(id));
}

TEST_F(VirtualClockTest, CancelledTimersNeverFireEvenWhenAnEarlierTimerCancelsThem) {
    const Clock::TimerId a = timer(5, "A");
    const Clock::TimerId b = timer(5, "B");
    EXPECT_NE(a, b);
    clock.cancelTimer(a);
    clock.cancelTimer(12345);  // unknown ids are ignored
    EXPECT_FALSE(clock.isTimerActive(a));
    EXPECT_TRUE(clock.isTimerActive(b));
    Clock::TimerId second = 0;
    clock.startTimer(5, [&] {
        fired << "first";
        clock.cancelTimer(second);
    });
    second = timer(5, "second");
    clock.sleep(5);
    clock.pump();
    EXPECT_EQ(firedNames(), "B first");
}

TEST_F(VirtualClockTest, TimersStartedByATimerWaitForTheNextPump) {
    Clock::TimerId inner = 0;
    clock.startTimer(0, [&] {
        fired << "outer";
        inner = timer(0, "inner");
    });
    clock.pump();
    EXPECT_EQ(firedNames(), "outer");
    EXPECT_TRUE(clock.isTimerActive(inner));
    clock.pump();
    EXPECT_EQ(firedNames(), "outer inner");
    int count = 0;
    std::function<void()> tick = [&] {
        ++count;
        clock.startTimer(0, tick);
    };
    clock.startTimer(0, tick);
    clock.pump();
    clock.pump();
    clock.pump();
    EXPECT_EQ(count, 3);  // a self-restarting timer fires once per pump
}

TEST_F(VirtualClockTest, PumpInsideATimerFiresEachTimerOnce) {
    clock.startTimer(0, [&] {
        fired << "waiting";
        clock.pump();  // a wait loop inside a timer's work
    });
    timer(0, "other");
    clock.pump();
    EXPECT_EQ(firedNames(), "waiting other");
}

TEST_F(VirtualClockTest, ScriptedInputRunsAtItsTimeAlsoWhileInputIsExcluded) {
    QList<bool> excluding;
    clock.scheduleInput(5, [&] {
        fired << "click";
        excluding << clock.excludingInput();
    });
    timer(5, "timer");
    clock.sleep(10);
    clock.pump(Clock::Input::Exclude);
    EXPECT_EQ(firedNames(), "click timer");
    // The one who performs the input is told to drop it.
    EXPECT_EQ(excluding, QList<bool>{true});
    EXPECT_EQ(clock.nextDue(), std::nullopt);
    timer(20, "early");
    input(30, "input");  // at 30: input runs at a virtual time, timers after a delay
    timer(20, "late");
    clock.sleep(20);
    clock.pump();
    EXPECT_EQ(firedNames(), "click timer early input late");
}

TEST_F(VirtualClockTest, HeldInputWaitsUntilNoExcludingPumpRunsAndKeepsItsPlace) {
    clock.scheduleInput(
        5, [this] { fired << "quit"; }, VirtualClock::WhileExcluding::Hold);
    input(5, "shot");
    timer(5, "timer");
    clock.sleep(10);
    clock.pump(Clock::Input::Exclude);
    EXPECT_EQ(firedNames(), "shot timer");
    EXPECT_EQ(clock.nextDue(), 5);
    // A pump inside an excluding one still holds it.
    clock.startTimer(0, [this] { clock.pump(Clock::Input::Deliver); });
    clock.pump(Clock::Input::Exclude);
    EXPECT_EQ(firedNames(), "shot timer");
    clock.pump(Clock::Input::Deliver);
    EXPECT_EQ(firedNames(), "shot timer quit");
    EXPECT_EQ(clock.nextDue(), std::nullopt);
}

TEST_F(VirtualClockTest, NextDueIsTheEarliestPendingEntry) {
    EXPECT_EQ(clock.nextDue(), std::nullopt);
    const Clock::TimerId soon = timer(40, "soon");
    timer(90, "later");
    input(60, "input");
    EXPECT_EQ(clock.nextDue(), 40);
    clock.cancelTimer(soon);
    EXPECT_EQ(clock.nextDue(), 60);
}

TEST_F(VirtualClockTest, AdvanceToNextJumpsToEachEntryInTurn) {
    timer(50, "fifty");
    timer(20, "twenty");
    input(35, "input");
    for (const auto& [now, names] : std::vector<std::pair<int, const char*>>{
             {20, "twenty"}, {35, "twenty input"}, {50, "twenty input fifty"}}) {
        ASSERT_TRUE(clock.advanceToNext());
        EXPECT_EQ(clock.now(), now);
        EXPECT_EQ(firedNames(), names);
    }
    EXPECT_FALSE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 50);
}

TEST_F(VirtualClockTest, AdvanceToNextNeverTurnsTimeBack) {
    clock.scheduleInput(
        10, [this] { fired << "input"; }, VirtualClock::WhileExcluding::Hold);
    clock.sleep(30);
    clock.pump(Clock::Input::Exclude);
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 30);
    EXPECT_EQ(firedNames(), "input");
}

TEST_F(VirtualClockTest, TimerStartedByATimerIsDueRelativeToItsStart) {
    clock.startTimer(10, [&] { timer(5, "nested"); });
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.nextDue(), 15);
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 15);
    EXPECT_EQ(firedNames(), "nested");
}

TEST_F(VirtualClockTest, BackgroundTimersAreNotPendingWork) {
    EXPECT_FALSE(clock.hasPendingWork());
    const Clock::TimerId frame = timer(16, "frame");
    clock.markBackground(frame);
    EXPECT_FALSE(clock.hasPendingWork());
    EXPECT_EQ(clock.nextDue(), 16);
    input(40, "input");
    EXPECT_TRUE(clock.hasPendingWork());
    ASSERT_TRUE(clock.advanceToNext());
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_FALSE(clock.hasPendingWork());
    // A fired background timer's id may come back as an ordinary timer's.
    const Clock::TimerId work = timer(5, "work");
    EXPECT_TRUE(clock.hasPendingWork());
    clock.cancelTimer(work);
    EXPECT_FALSE(clock.hasPendingWork());
}

TEST_F(VirtualClockTest, StepFiresOneEntryAtATimeMovingTimeToIt) {
    input(10, "first");
    input(10, "second");
    timer(30, "timer");
    EXPECT_TRUE(clock.step());
    EXPECT_EQ(firedNames(), "first");
    EXPECT_EQ(clock.now(), 10);
    EXPECT_TRUE(clock.step());
    EXPECT_EQ(firedNames(), "first second");
    EXPECT_TRUE(clock.step());
    EXPECT_EQ(firedNames(), "first second timer");
    EXPECT_EQ(clock.now(), 30);
    EXPECT_FALSE(clock.step());
    EXPECT_EQ(clock.now(), 30);
}

TEST_F(VirtualClockTest, PendingInputIsScriptedInputThatMayRunNow) {
    timer(5, "timer");
    EXPECT_FALSE(clock.hasPendingInput());
    clock.scheduleInput(
        20, [this] { fired << "quit"; }, VirtualClock::WhileExcluding::Hold);
    EXPECT_TRUE(clock.hasPendingInput());
    clock.sleep(10);
    clock.pump();
    EXPECT_EQ(firedNames(), "timer");
    // Inside a pump that excludes input the held entry neither counts nor steps.
    bool pending = true;
    bool stepped = true;
    clock.startTimer(0, [&] {
        pending = clock.hasPendingInput();
        stepped = clock.step();
    });
    clock.pump(Clock::Input::Exclude);
    EXPECT_FALSE(pending);
    EXPECT_FALSE(stepped);
    EXPECT_EQ(firedNames(), "timer");
    EXPECT_TRUE(clock.hasPendingInput());
}
