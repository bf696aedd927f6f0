#include <gtest/gtest.h>

#include <QString>
#include <vector>

#include "platform/os/VirtualClock.h"

namespace {

// Starts a timer that records its name when it fires.
Clock::TimerId record(VirtualClock& clock, int ms, const QString& name,
                      std::vector<QString>& fired) {
    return clock.startTimer(ms, [&fired, name] { fired.push_back(name); });
}

}  // namespace

TEST(VirtualClock, TimeStartsAtZeroAndMovesOnlyBySleeping) {
    VirtualClock clock;
    EXPECT_TRUE(clock.isVirtual());
    EXPECT_EQ(clock.now(), 0);
    clock.pump();
    EXPECT_EQ(clock.now(), 0);
    clock.sleep(250);
    clock.sleep(-5);
    EXPECT_EQ(clock.now(), 250);
}

TEST(VirtualClock, DueTimersFireByDueTimeThenStartOrder) {
    VirtualClock clock;
    std::vector<QString> fired;
    record(clock, 30, QStringLiteral("A"), fired);
    record(clock, 10, QStringLiteral("B"), fired);
    record(clock, 10, QStringLiteral("C"), fired);
    record(clock, 0, QStringLiteral("D"), fired);
    record(clock, 31, QStringLiteral("late"), fired);
    clock.sleep(30);
    clock.pump();
    const std::vector<QString> expected{QStringLiteral("D"), QStringLiteral("B"),
                                        QStringLiteral("C"), QStringLiteral("A")};
    EXPECT_EQ(fired, expected);
}

TEST(VirtualClock, TimerFiresOnlyFromAPumpAtOrAfterItsDueTime) {
    VirtualClock clock;
    std::vector<QString> fired;
    const Clock::TimerId id = record(clock, 10, QStringLiteral("T"), fired);
    EXPECT_GT(id, 0);
    clock.sleep(9);
    clock.pump();
    EXPECT_TRUE(fired.empty());
    clock.sleep(100);  // past due, but sleeping delivers nothing
    EXPECT_TRUE(fired.empty());
    EXPECT_TRUE(clock.isTimerActive(id));
    clock.pump();
    EXPECT_EQ(fired.size(), 1u);
    EXPECT_FALSE(clock.isTimerActive(id));
    clock.pump();
    EXPECT_EQ(fired.size(), 1u);
}

TEST(VirtualClock, CancelledTimersNeverFire) {
    VirtualClock clock;
    std::vector<QString> fired;
    const Clock::TimerId a = record(clock, 5, QStringLiteral("A"), fired);
    const Clock::TimerId b = record(clock, 5, QStringLiteral("B"), fired);
    EXPECT_NE(a, b);
    clock.cancelTimer(a);
    clock.cancelTimer(12345);  // unknown ids are ignored
    EXPECT_FALSE(clock.isTimerActive(a));
    EXPECT_TRUE(clock.isTimerActive(b));
    clock.sleep(5);
    clock.pump();
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("B")});
}

TEST(VirtualClock, TimerCancelledByAnEarlierTimerInTheSamePumpStaysSilent) {
    VirtualClock clock;
    std::vector<QString> fired;
    Clock::TimerId second = 0;
    clock.startTimer(1, [&] {
        fired.push_back(QStringLiteral("first"));
        clock.cancelTimer(second);
    });
    second = record(clock, 1, QStringLiteral("second"), fired);
    clock.sleep(1);
    clock.pump();
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("first")});
}

TEST(VirtualClock, TimersStartedByATimerWaitForTheNextPump) {
    VirtualClock clock;
    std::vector<QString> fired;
    Clock::TimerId inner = 0;
    clock.startTimer(0, [&] {
        fired.push_back(QStringLiteral("outer"));
        inner = record(clock, 0, QStringLiteral("inner"), fired);
    });
    clock.pump();
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("outer")});
    EXPECT_TRUE(clock.isTimerActive(inner));
    clock.pump();
    EXPECT_EQ(fired.size(), 2u);
    EXPECT_EQ(fired.back(), QStringLiteral("inner"));
}

TEST(VirtualClock, SelfRestartingTimerFiresOncePerPump) {
    VirtualClock clock;
    int count = 0;
    std::function<void()> tick = [&] {
        ++count;
        clock.startTimer(0, tick);
    };
    clock.startTimer(0, tick);
    clock.pump();
    clock.pump();
    clock.pump();
    EXPECT_EQ(count, 3);
}

TEST(VirtualClock, PumpInsideATimerFiresEachTimerOnce) {
    VirtualClock clock;
    std::vector<QString> fired;
    clock.startTimer(0, [&] {
        fired.push_back(QStringLiteral("waiting"));
        clock.pump();  // a wait loop inside a timer's work
    });
    record(clock, 0, QStringLiteral("other"), fired);
    clock.pump();
    const std::vector<QString> expected{QStringLiteral("waiting"), QStringLiteral("other")};
    EXPECT_EQ(fired, expected);
}

TEST(VirtualClock, ScriptedInputWaitsForAPumpThatDeliversInput) {
    VirtualClock clock;
    std::vector<QString> fired;
    clock.scheduleInput(5, [&] { fired.push_back(QStringLiteral("click")); });
    record(clock, 5, QStringLiteral("timer"), fired);
    clock.sleep(10);
    clock.pump(Clock::Input::Exclude);
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("timer")});
    EXPECT_EQ(clock.nextDue(), 5);
    clock.pump(Clock::Input::Deliver);
    const std::vector<QString> expected{QStringLiteral("timer"), QStringLiteral("click")};
    EXPECT_EQ(fired, expected);
    EXPECT_EQ(clock.nextDue(), std::nullopt);
}

TEST(VirtualClock, InputAndTimersAtTheSameTimeKeepTheirOrder) {
    VirtualClock clock;
    std::vector<QString> fired;
    record(clock, 20, QStringLiteral("early timer"), fired);
    clock.scheduleInput(20, [&] { fired.push_back(QStringLiteral("input")); });
    record(clock, 20, QStringLiteral("late timer"), fired);
    clock.sleep(20);
    clock.pump();
    const std::vector<QString> expected{QStringLiteral("early timer"), QStringLiteral("input"),
                                        QStringLiteral("late timer")};
    EXPECT_EQ(fired, expected);
}

TEST(VirtualClock, NextDueIsTheEarliestPendingEntry) {
    VirtualClock clock;
    std::vector<QString> fired;
    EXPECT_EQ(clock.nextDue(), std::nullopt);
    const Clock::TimerId soon = record(clock, 40, QStringLiteral("soon"), fired);
    record(clock, 90, QStringLiteral("later"), fired);
    clock.scheduleInput(60, [] {});
    EXPECT_EQ(clock.nextDue(), 40);
    clock.cancelTimer(soon);
    EXPECT_EQ(clock.nextDue(), 60);
}

TEST(VirtualClock, AdvanceToNextJumpsToEachEntryInTurn) {
    VirtualClock clock;
    std::vector<QString> fired;
    record(clock, 50, QStringLiteral("fifty"), fired);
    record(clock, 20, QStringLiteral("twenty"), fired);
    clock.scheduleInput(35, [&] { fired.push_back(QStringLiteral("input")); });

    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 20);
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("twenty")});
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 35);
    EXPECT_EQ(fired.back(), QStringLiteral("input"));
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 50);
    EXPECT_EQ(fired.back(), QStringLiteral("fifty"));
    EXPECT_FALSE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 50);
    EXPECT_EQ(fired.size(), 3u);
}

TEST(VirtualClock, AdvanceToNextNeverTurnsTimeBack) {
    VirtualClock clock;
    std::vector<QString> fired;
    clock.scheduleInput(10, [&] { fired.push_back(QStringLiteral("input")); });
    clock.sleep(30);
    clock.pump(Clock::Input::Exclude);
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 30);
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("input")});
}

TEST(VirtualClock, TimerStartedByATimerIsDueRelativeToItsStart) {
    VirtualClock clock;
    std::vector<QString> fired;
    clock.startTimer(10, [&] { record(clock, 5, QStringLiteral("nested"), fired); });
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.nextDue(), 15);
    ASSERT_TRUE(clock.advanceToNext());
    EXPECT_EQ(clock.now(), 15);
    EXPECT_EQ(fired, std::vector<QString>{QStringLiteral("nested")});
}
