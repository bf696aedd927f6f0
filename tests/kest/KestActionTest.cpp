#include "platform/kest/KestAction.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <map>

#include "KestScene.h"

namespace {

using A = KestAction;
using Tok = KestLibrary::Tok;

constexpr qint32 kOpacity = 0x10005000;
constexpr qint32 kPosition = 0x10000003;
constexpr qint32 kNextColumn = 0x11000030;
constexpr qint32 kFilm = 7;

// Films as a map of values; records method calls.
class FakeTarget : public KestActionTarget {
public:
    bool ReadIntProp(qint32 film, qint32 prop, qint32& value) override {
        if (film != kFilm || !ints.count(prop)) {
            return false;
        }
        value = ints[prop];
        return true;
    }
    bool WriteIntProp(qint32 film, qint32 prop, qint32 value) override {
        ints[prop] = value;
        return film == kFilm;
    }
    bool ReadPointProp(qint32, qint32, QPoint& value) override {
        value = point;
        return true;
    }
    bool WritePointProp(qint32, qint32, QPoint value) override {
        point = value;
        return true;
    }
    bool RunFilmMethod(qint32 film, qint32 method, qint32 argument) override {
        calls.push_back({film, method, argument});
        return true;
    }
    bool AdvanceCellRows(qint32, qint32 rows) override {
        cellRow += rows;
        return true;
    }
    TextProgress RevealText(qint32, qint64 budgetMs, qint32 scale) override {
        // Ten characters of 10 ms each at scale 1000.
        const qint64 cost = 10 * scale / 1000;
        TextProgress progress;
        while (shown < 10 && progress.usedMs + cost <= budgetMs) {
            progress.usedMs += cost;
            ++shown;
        }
        progress.done = shown == 10;
        progress.nextInMs = progress.done ? 0 : progress.usedMs + cost - budgetMs;
        return progress;
    }
    void ReportAction(const QString& line) override { reports.append(line); }

    std::map<qint32, qint32> ints{{kOpacity, 0}};
    QPoint point;
    struct Call {
        qint32 film, method, argument;
    };
    std::vector<Call> calls;
    int cellRow = 0;
    int shown = 0;
    QStringList reports;
};

KestAction makeAction(const std::vector<qint32>& tokens, qint32 scale = 1000,
                      int maxTokensPerRun = 4096) {
    KestAction action(1, maxTokensPerRun, 1 << 20);
    for (const qint32 token : tokens) {
        action.append(token);
    }
    action.setTarget(kFilm);
    action.setTimeScale(scale);
    return action;
}

constexpr qint32 kRunning = static_cast<qint32>(KestLibrary::ActState::Running);
constexpr qint32 kEnded = static_cast<qint32>(KestLibrary::ActState::Ended);

// The action's state, or -1 when there is no such action.
qint32 stateOf(KestScene& scene, KestLibrary::ActionId action) {
    qint32 state = 0;
    return scene.kest.GetActProp(action, KestLibrary::ActProp::State, state) == 0 ? state : -1;
}

}  // namespace

TEST(KestAction, MovesAValueLinearlyOnTheScaledClockAndEndsExactlyOnIt) {
    FakeTarget target;
    KestAction action = makeAction({A::kMoveValue, kOpacity, 200, 100, A::kEnd});
    EXPECT_FALSE(action.running());
    action.start(1000);
    action.run(1000, target);
    EXPECT_EQ(target.ints[kOpacity], 0);
    action.run(1025, target);
    EXPECT_EQ(target.ints[kOpacity], 50);
    action.run(1099, target);
    EXPECT_EQ(target.ints[kOpacity], 198);
    EXPECT_TRUE(action.running());
    action.run(1500, target);
    EXPECT_EQ(target.ints[kOpacity], 200);
    EXPECT_FALSE(action.running());
    EXPECT_EQ(action.position(), 0);

    target.ints[kOpacity] = 0;
    KestAction half = makeAction({A::kMoveValue, kOpacity, 256, 1000, A::kEnd}, 500);
    half.start(0);
    half.run(250, target);
    EXPECT_EQ(target.ints[kOpacity], 128);
    half.run(500, target);
    EXPECT_FALSE(half.running());

    KestAction instant = makeAction({A::kMoveValue, kOpacity, 77, 1000}, 0);
    instant.start(0);
    instant.run(0, target);
    EXPECT_EQ(target.ints[kOpacity], 77);
    EXPECT_FALSE(instant.running());  // the list ran out
}

TEST(KestAction, TokensFollowEachOtherWithoutDriftingFromTheClock) {
    FakeTarget target;
    // Move a point, wait, move the value: the second move starts at 150 ms
    // however late the runs come.
    KestAction action = makeAction({A::kMovePoint, kPosition, 100, 40, 100, A::kWait, 50,
                                    A::kMoveValue, kOpacity, 100, 100, A::kEnd});
    action.start(0);
    action.run(50, target);
    EXPECT_EQ(target.point, QPoint(50, 20));
    action.run(170, target);
    EXPECT_EQ(target.point, QPoint(100, 40));
    EXPECT_EQ(target.ints[kOpacity], 20);
    EXPECT_EQ(action.wake(170, 33), 203);
    action.run(250, target);
    EXPECT_EQ(target.ints[kOpacity], 100);
    EXPECT_FALSE(action.running());
    EXPECT_FALSE(action.wake(250, 33).has_value());
}

TEST(KestAction, RepeatingCursorAnimationStepsOncePerInterval) {
    FakeTarget target;
    KestAction action = makeAction({A::kCallMethod, kNextColumn, 1, A::kWait, 100, A::kRepeat});
    action.start(0);
    action.run(0, target);
    EXPECT_EQ(target.calls.size(), 1u);
    EXPECT_EQ(action.wake(0, 33), 100);
    action.run(99, target);
    EXPECT_EQ(target.calls.size(), 1u);
    action.run(350, target);
    ASSERT_EQ(target.calls.size(), 4u);
    EXPECT_EQ(target.calls.back().method, kNextColumn);
    EXPECT_EQ(target.calls.back().argument, 1);
    EXPECT_EQ(target.calls.back().film, kFilm);
    EXPECT_TRUE(action.running());
    action.stop();
    EXPECT_FALSE(action.running());
    action.run(1000, target);
    EXPECT_EQ(target.calls.size(), 4u);
}

TEST(KestAction, FinishRunsTheRestAtOnceAndARepeatEndsIt) {
    FakeTarget target;
    KestAction action = makeAction({A::kMoveValue, kOpacity, 256, 1000, A::kWait, 5000,
                                    A::kNextCellRows, 2, A::kRevealText, A::kRepeat});
    action.start(0);
    action.run(500, target);
    EXPECT_EQ(target.ints[kOpacity], 128);
    action.finish(target);
    EXPECT_EQ(target.ints[kOpacity], 256);
    EXPECT_EQ(target.cellRow, 2);
    EXPECT_EQ(target.shown, 10);
    EXPECT_FALSE(action.running());
}

TEST(KestAction, RevealWaitsForTheTextAtItsSpeed) {
    FakeTarget target;
    KestAction action = makeAction({A::kRevealText, A::kEnd});
    action.start(0);
    action.run(35, target);
    EXPECT_EQ(target.shown, 3);
    EXPECT_EQ(action.wake(35, 33), 40);
    action.run(99, target);
    EXPECT_EQ(target.shown, 9);
    EXPECT_TRUE(action.running());
    action.run(100, target);
    EXPECT_EQ(target.shown, 10);
    EXPECT_FALSE(action.running());
}

TEST(KestAction, ARepeatWithoutWaitIsCutPerRunAndGoesOnWhereItStopped) {
    FakeTarget target;
    KestAction spin = makeAction({A::kCallMethod, kNextColumn, 0, A::kRepeat}, 1000, 100);
    spin.start(0);
    spin.run(0, target);
    EXPECT_EQ(target.calls.size(), 50u);  // 100 tokens: 50 calls and 50 repeats
    EXPECT_TRUE(spin.running());
    spin.run(10, target);
    EXPECT_EQ(target.calls.size(), 100u);
    EXPECT_EQ(target.reports.size(), 1);  // reported once per start
    EXPECT_EQ(spin.wake(10, 33), 43);
}

TEST(KestAction, DamagedListsEndTheActionWithAReport) {
    FakeTarget target;
    KestAction truncated = makeAction({A::kMoveValue, kOpacity, 3});
    truncated.start(0);
    truncated.run(0, target);
    EXPECT_FALSE(truncated.running());
    ASSERT_EQ(target.reports.size(), 1);
    EXPECT_TRUE(target.reports[0].contains(QStringLiteral("0x20021000")));

    KestAction unknown = makeAction({A::kWait, 0, 0x20029999, A::kEnd});
    unknown.start(0);
    unknown.run(0, target);
    EXPECT_FALSE(unknown.running());
    ASSERT_EQ(target.reports.size(), 2);
    EXPECT_TRUE(target.reports[1].contains(QStringLiteral("0x20029999")));

    KestAction full(1, 10, 3);
    EXPECT_TRUE(full.append(1));
    EXPECT_TRUE(full.append(2));
    EXPECT_TRUE(full.append(3));
    EXPECT_FALSE(full.append(4));
}

TEST(KestAction, ClearEmptiesAndPositionRestarts) {
    FakeTarget target;
    KestAction action = makeAction({A::kNextCellRows, 1, A::kNextCellRows, 10});
    action.setPosition(2);
    action.start(0);
    action.run(0, target);
    EXPECT_EQ(target.cellRow, 10);
    action.clear();
    action.start(0);
    action.run(0, target);
    EXPECT_FALSE(action.running());
}

// The same through the compositor's interface, on screen.

TEST(KestActionOnScreen, AnActionMovesAFilmAndEnds) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    const auto action =
        scene.addAction(film, {Tok::MovePoint, static_cast<qint32>(KestLibrary::FilmProp::Position),
                               48, 32, 200, Tok::End});
    EXPECT_EQ(stateOf(scene, action), kEnded);  // not started yet

    scene.kest.CallActMethod(action, KestLibrary::ActMethod::Start);
    EXPECT_EQ(stateOf(scene, action), kRunning);  // no ExeQueue: reading applies the queue
    scene.clock.sleep(100);
    EXPECT_EQ(scene.pixel(26, 18), 0xFFFF0000);  // at (24, 16)
    EXPECT_EQ(scene.pixel(4, 4), 0xFF000000);
    scene.clock.sleep(100);
    EXPECT_EQ(stateOf(scene, action), kEnded);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "action_moved"));
    EXPECT_EQ(scene.pixel(50, 34), 0xFFFF0000);
    EXPECT_EQ(scene.pixel(46, 30), 0xFF000000);

    scene.kest.RemoveAction(action);
    EXPECT_EQ(stateOf(scene, action), -1);
}

TEST(KestActionOnScreen, ScrollingRollAdvancesCellRowsEachPass) {
    KestScene scene;
    QImage strip(16, 64, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&strip);
    const Qt::GlobalColor rows[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow};
    for (int row = 0; row < 4; ++row) {
        painter.fillRect(0, 16 * row, 16, 16, rows[row]);
    }
    painter.end();
    const auto film = scene.addFilm(KestLibrary::FilmKind::Group, scene.root, QRect(0, 0, 16, 64));
    scene.drawInto(film, strip);
    scene.kest.SetFilmProp(film, KestLibrary::FilmProp::CellHeight, 16);
    // Passes that jump to y 48 and scroll up to -16, a cell row further after each.
    const qint32 y = static_cast<qint32>(KestLibrary::FilmProp::Y);
    std::vector<qint32> tokens;
    for (int pass = 0; pass < 4; ++pass) {
        tokens.insert(tokens.end(), {Tok::MoveValue, y, 48, 0, Tok::MoveValue, y, -16, 100,
                                     Tok::NextCellRows, 1});
    }
    tokens.push_back(Tok::End);
    const auto action = scene.addAction(film, tokens);
    scene.kest.CallActMethod(action, KestLibrary::ActMethod::Start);
    scene.kest.ExeQueue();
    scene.clock.sleep(25);  // y = 32 in the first pass
    EXPECT_EQ(scene.pixel(4, 36), 0xFFFF0000);
    scene.clock.sleep(100);  // second pass
    EXPECT_EQ(scene.pixel(4, 36), 0xFF00FF00);
    scene.clock.sleep(200);  // fourth pass
    EXPECT_EQ(scene.pixel(4, 36), 0xFFFFFF00);
}

TEST(KestActionOnScreen, RunawayListsStayWithinOneFrame) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    const qint32 nextRow = static_cast<qint32>(KestLibrary::FilmMethod::NextCellRow);
    const auto loop = scene.addAction(film, {Tok::CallMethod, nextRow, 0, Tok::Repeat});
    scene.kest.CallActMethod(loop, KestLibrary::ActMethod::Start);
    scene.kest.ExeQueue();
    EXPECT_TRUE(scene.kest.Redraw());
    EXPECT_TRUE(scene.logged(QStringLiteral("tokens in one frame")));

    // 100,000 words: 33,333 method calls and an end.
    std::vector<qint32> calls;
    for (int i = 0; i < 33333; ++i) {
        calls.insert(calls.end(), {Tok::CallMethod, nextRow, 0});
    }
    calls.push_back(Tok::End);
    const auto action = scene.addAction(film, calls);
    scene.kest.CallActMethod(action, KestLibrary::ActMethod::Start);
    scene.kest.WaitBlt();
    qint32 position = 0;
    scene.kest.GetActProp(action, KestLibrary::ActProp::Position, position);
    EXPECT_EQ(position, KestLibrary::kMaxTokensPerUpdate * 3);
    scene.kest.CallActMethod(loop, KestLibrary::ActMethod::Stop);
    int frames = 1;
    for (; stateOf(scene, action) == kRunning && frames < 100; ++frames) {
        scene.clock.sleep(33);
        scene.kest.WaitBlt();
    }
    EXPECT_EQ(stateOf(scene, action), kEnded);
    EXPECT_LE(frames, 10);
}

TEST(KestActionOnScreen, FramesOnTheClockAlwaysMoveTimeForward) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    const qint32 nextColumn = static_cast<qint32>(KestLibrary::FilmMethod::NextCellColumn);
    const auto cursor =
        scene.addAction(film, {Tok::CallMethod, nextColumn, 1, Tok::Wait, 100, Tok::Repeat});
    const auto spin = scene.addAction(film, {Tok::CallMethod, nextColumn, 1, Tok::Repeat});
    scene.kest.CallActMethod(cursor, KestLibrary::ActMethod::Start);
    scene.kest.CallActMethod(spin, KestLibrary::ActMethod::Start);
    scene.kest.ExeQueue();
    qint64 before = -1;
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(scene.clock.advanceToNext());
        EXPECT_GT(scene.clock.now(), before);
        before = scene.clock.now();
    }
    scene.kest.CallActMethod(spin, KestLibrary::ActMethod::Stop);
    scene.kest.ExeQueue();
    // Only the cursor is left: after the frame already due, frames come at its
    // steps, 100 ms apart.
    scene.clock.advanceToNext();
    scene.clock.advanceToNext();
    const qint64 step = scene.clock.now();
    scene.clock.advanceToNext();
    EXPECT_EQ(scene.clock.now() - step, 100);
    scene.clock.advanceToNext();
    EXPECT_EQ(scene.clock.now() - step, 200);
}
