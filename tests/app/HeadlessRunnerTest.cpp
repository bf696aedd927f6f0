#include "app/HeadlessRunner.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QKeySequence>
#include <QMap>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "TestSupport.h"
#include "platform/os/MsgBox.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

using namespace Qt::StringLiterals;

namespace {

// Writes the input events of the widgets it watches as "t=MS WHAT ..." into `log`;
// " ctrl" marks the Ctrl modifier, " at NAME" an event that is not at its widget:
// keys belong at the form, mouse and wheel at the picture.
class InputRecorder : public QObject {
public:
    explicit InputRecorder(const Clock& clock) : clock_(clock) {}

    QStringList log;
    std::function<void()> onPress;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        static const QMap<QEvent::Type, QString> mouseNames{
            {QEvent::MouseMove, "move"},
            {QEvent::MouseButtonPress, "press"},
            {QEvent::MouseButtonRelease, "release"},
            {QEvent::MouseButtonDblClick, "dblclick"}};
        const bool isKey = e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease;
        QString what;
        if (isKey) {
            what = (e->type() == QEvent::KeyPress ? "keydown " : "keyup ") +
                   QKeySequence(static_cast<QKeyEvent*>(e)->key()).toString();
        } else if (e->type() == QEvent::Wheel) {
            const auto* wheel = static_cast<QWheelEvent*>(e);
            what = u"wheel %1 at %2"_s.arg(wheel->angleDelta().y()).arg(at(wheel->position()));
        } else if (mouseNames.contains(e->type())) {
            const auto* mouse = static_cast<QMouseEvent*>(e);
            what = u"%1 %2 %3 held %4"_s.arg(mouseNames[e->type()], at(mouse->position()))
                       .arg(QStringList{"none", "left", "right"}.value(mouse->button(), "other"))
                       .arg(mouse->buttons().toInt());
        } else {
            return false;
        }
        // QKeyEvent::modifiers() tells the state as the key event leaves it for Ctrl itself.
        const Qt::KeyboardModifiers modifiers = isKey ? static_cast<QKeyEvent*>(e)->modifiers()
                                                      : static_cast<QInputEvent*>(e)->modifiers();
        const bool ctrl = modifiers & Qt::ControlModifier;
        const QString home = isKey ? "form" : "picture";
        log << u"t=%1 %2%3%4"_s.arg(clock_.now())
                   .arg(what, ctrl ? " ctrl" : "")
                   .arg(watched->objectName() == home ? "" : " at " + watched->objectName());
        if (e->type() == QEvent::MouseButtonPress && onPress) {
            onPress();
        }
        return true;
    }

private:
    static QString at(QPointF position) { return u"%1,%2"_s.arg(position.x()).arg(position.y()); }

    const Clock& clock_;
};

// A scripted platform and a form with a 640 x 480 picture as the runner's target.
// A close request ends the game `closeDelayMs` later through a clock timer (0:
// at once), unless the game refuses to close.
struct Harness {
    Harness() {
        form.setObjectName("form");
        picture.setObjectName("picture");
        picture.resize(640, 480);
        picture.setMouseTracking(true);
        form.installEventFilter(&recorder);
        picture.installEventFilter(&recorder);
    }

    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }
    ScriptedMessageBoxPresenter& boxes() {
        return static_cast<ScriptedMessageBoxPresenter&>(player.platform.messageBoxes());
    }
    const QStringList& trace() { return player.platform.trace().lines(); }

    // Parses and runs the script; returns run()'s result.
    int play(const QString& text, const QString& shotsDir = QString()) {
        InputScript script;
        QString error;
        EXPECT_TRUE(script.parse(text, error)) << error.toStdString();
        const auto menu = [this](const QString& tag) {
            menus << tag;
            return tag == "file!qsave";
        };
        HeadlessRunner runner(
            clock(), player.platform.trace(), boxes(),
            {[this] { return &picture; }, [this] { return &form; }, menu, [this] { return screen; },
             [this] { requestClose(); }, [this] { return finished; }});
        runner.setShotsDir(shotsDir);
        runner.schedule(script);
        finished = false;
        return runner.run();
    }
    void requestClose() {
        closeRequests << clock().now();
        if (!refuseClose && closeDelayMs == 0) {
            finished = true;
        } else if (!refuseClose) {
            clock().startTimer(closeDelayMs, [this] { finished = true; });
        }
    }

    // An animation that redraws every 16 ms for ever, as a background timer.
    void startFrames() {
        clock().markBackground(clock().startTimer(16, [this] { startFrames(); }));
    }

    ScriptedPlayer player;
    InputRecorder recorder{player.platform.clock()};
    QStringList& events = recorder.log;
    QWidget form;
    QWidget picture{&form};
    QImage screen;
    QStringList menus;  // the menu items triggered
    QList<qint64> closeRequests;
    int closeDelayMs = 50;
    bool refuseClose = false;
    bool finished = false;
};

class HeadlessRunnerTest : public ::testing::Test, public Harness {};

}  // namespace

TEST_F(HeadlessRunnerTest, InputArrivesAtItsTimeMouseAtThePictureKeysAtTheFormWithHeldCtrl) {
    EXPECT_EQ(play("wait 500\nclick 10 20\nwait 100\nrclick 30 40\nwait 1\ndclick 30 40\n"
                   "move 7 8\nkey Ctrl down\nwait 100\nkey Return\nclick 1 2\nwheel up\n"
                   "key Ctrl up\nwait 5\nkey Space\nwheel down\nkey Tab down\nkey Escape\n"
                   "key Tab up\nkey Up\nkey Down\nkey Ctrl"),
              0);
    // dclick finds the pointer there already: no move.
    EXPECT_EQ(events.join(" | ").toStdString(),
              "t=500 move 10,20 none held 0 | t=500 press 10,20 left held 1 | "
              "t=500 release 10,20 left held 0 | t=600 move 30,40 none held 0 | "
              "t=600 press 30,40 right held 2 | t=600 release 30,40 right held 0 | "
              "t=601 press 30,40 left held 1 | t=601 release 30,40 left held 0 | "
              "t=601 dblclick 30,40 left held 1 | t=601 release 30,40 left held 0 | "
              "t=601 move 7,8 none held 0 | t=601 keydown Control ctrl | "
              "t=701 keydown Return ctrl | t=701 keyup Return ctrl | "
              "t=701 move 1,2 none held 0 ctrl | t=701 press 1,2 left held 1 ctrl | "
              "t=701 release 1,2 left held 0 ctrl | t=701 wheel 120 at 1,2 ctrl | "
              "t=701 keyup Control | t=706 keydown Space | t=706 keyup Space | "
              "t=706 wheel -120 at 1,2 | t=706 keydown Tab | t=706 keydown Esc | "
              "t=706 keyup Esc | t=706 keyup Tab | t=706 keydown Up | t=706 keyup Up | "
              "t=706 keydown Down | t=706 keyup Down | t=706 keydown Control ctrl | "
              "t=706 keyup Control");
}

TEST_F(HeadlessRunnerTest, ShotsAreTracedAndWrittenAsPngIntoACreatedFolder) {
    TempFolder dir;
    screen = QImage(64, 48, QImage::Format_ARGB32_Premultiplied);
    screen.fill(QColor(10, 200, 30));
    screen.setPixelColor(63, 47, QColor(250, 0, 5));
    const QString shots = dir.file("out/shots");
    ASSERT_EQ(play("wait 200\nshot first\nwait 100\nshot second", shots), 0);
    const QImage saved(shots + "/first.png");
    ASSERT_EQ(saved.size(), QSize(64, 48));
    EXPECT_EQ(saved.pixelColor(0, 0), QColor(10, 200, 30));
    EXPECT_EQ(saved.pixelColor(63, 47), QColor(250, 0, 5));
    EXPECT_EQ(QDir(shots).entryList(QDir::Files), QStringList({"first.png", "second.png"}));

    // Without a folder a shot is only traced; a file in the folder's place or
    // no picture makes it fail.
    const QStringList before = QDir::current().entryList();
    play("shot plain");
    dir.write("blocker", "a file where the shots folder should be");
    play("shot blocked", dir.file("blocker"));
    screen = QImage();
    play("shot empty", dir.file("empty"));
    EXPECT_EQ(QDir::current().entryList(), before);
    EXPECT_FALSE(dir.exists("empty/empty.png"));
    EXPECT_EQ(trace().filter(" shot "),
              QStringList({"t=200 shot first", "t=300 shot second", "t=350 shot plain",
                           "t=400 shot blocked failed", "t=450 shot empty failed"}));
}

TEST_F(HeadlessRunnerTest, QuitRequestsCloseAndLaterInputIsNeverDelivered) {
    EXPECT_EQ(play("wait 10\nquit\nwait 100\nclick 1 1"), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({10}));
    EXPECT_TRUE(finished);
    while (clock().advanceToNext()) {
    }
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(HeadlessRunnerTest, ACloseThatNeverEndsTheRunGivesUpWithATraceLine) {
    refuseClose = true;
    startFrames();
    EXPECT_EQ(play("wait 40\nquit"), HeadlessRunner::kTimedOut);
    // The quit and, once the input is exhausted, the one close request of the end.
    EXPECT_EQ(closeRequests, QList<qint64>({40, 40}));
    const qint64 limit = 40 + HeadlessRunner::kCloseTimeoutMs;
    EXPECT_GE(clock().now(), limit);
    EXPECT_LT(clock().now(), limit + 16);
    EXPECT_EQ(trace().last(), u"t=%1 input close timed out after 600000 ms"_s.arg(clock().now()));
}

TEST_F(HeadlessRunnerTest, DuringAWaitWithoutInputPressesAreDroppedReleasesPassAndQuitWaits) {
    // From 100 to 400 the game waits with input excluded, as a transition does,
    // then asks a question.
    clock().startTimer(100, [this] {
        while (clock().now() < 400) {
            clock().sleep(1);
            clock().pump(Clock::Input::Exclude);
        }
        boxes().show("Go on?", MsgBox::YesNo, "", nullptr);
    });
    EXPECT_EQ(play("key Ctrl down\nwait 150\nclick 120 400\nrclick 1 2\ndclick 3 4\nmove 5 6\n"
                   "key Return\nkey Tab down\nwheel up\nwheel down\nmenu file!qsave\n"
                   "key Ctrl up\nanswer no\nshot mid\nquit\n"),
              0);
    EXPECT_EQ(trace().filter(" input "),
              QStringList({"t=150 input dropped click 120 400", "t=150 input dropped rclick 1 2",
                           "t=150 input dropped dclick 3 4", "t=150 input dropped move 5 6",
                           "t=150 input dropped key Return", "t=150 input dropped key Tab down",
                           "t=150 input dropped wheel up", "t=150 input dropped wheel down",
                           "t=150 input dropped menu file!qsave"}));
    // The Ctrl key let go in the wait is released; nothing reached the picture.
    EXPECT_EQ(events, QStringList({"t=0 keydown Control ctrl", "t=150 keyup Control"}));
    EXPECT_TRUE(menus.isEmpty());
    // The shot and the answer happen at their time; the close waits for the end.
    EXPECT_TRUE(trace().contains("t=150 shot mid"));
    EXPECT_TRUE(trace().contains("t=400 msgbox \"Go on?\" -> no"));
    EXPECT_EQ(closeRequests, QList<qint64>({400}));
}

// When the input is exhausted, the game is asked to close once: at the end of
// the script while only background timers run, else when its own timers are
// over, and after the idle limit at the latest.
struct EndCase {
    const char* script;
    enum { kFrames, kPauseUntil2500, kPollForEver } game;
    int closeDelayMs;
    qint64 closeAt;
};

void PrintTo(const EndCase& end, std::ostream* out) {
    *out << "script \"" << end.script << "\" closing at " << end.closeAt;
}

class HeadlessRunnerEndTest : public HeadlessRunnerTest,
                              public ::testing::WithParamInterface<EndCase> {};

TEST_P(HeadlessRunnerEndTest, ExhaustedInputRequestsCloseOnce) {
    const EndCase& end = GetParam();
    closeDelayMs = end.closeDelayMs;
    std::function<void()> poll = [&] { clock().startTimer(1000, poll); };
    if (end.game == EndCase::kFrames) {
        startFrames();
    } else if (end.game == EndCase::kPauseUntil2500) {
        clock().startTimer(2500, [] {});
    } else {
        poll();
    }
    EXPECT_EQ(play(end.script), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({end.closeAt}));
    // Time stops with the end of the game, not at a later frame.
    EXPECT_GE(clock().now(), end.closeAt + end.closeDelayMs);
    EXPECT_LT(clock().now(), end.closeAt + end.closeDelayMs + (end.closeDelayMs == 0 ? 1 : 16));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HeadlessRunnerEndTest,
    ::testing::Values(EndCase{"click 1 1\nwait 1000", EndCase::kFrames, 300, 1000},
                      EndCase{"wait 30", EndCase::kFrames, 0, 30},
                      EndCase{"", EndCase::kFrames, 50, 0},
                      EndCase{"wait 100\nkey Return", EndCase::kPauseUntil2500, 50, 2500},
                      EndCase{"wait 5000", EndCase::kPollForEver, 50,
                              5000 + HeadlessRunner::kIdleLimitMs}));

TEST(HeadlessRunnerDeterminism, TheSameScriptGivesTheSameTraceEveryTimeWithAnswersAndMenusTraced) {
    auto runOnce = [] {
        Harness game;
        game.screen = QImage(8, 8, QImage::Format_RGB32);
        game.recorder.onPress = [&game] {
            // The game answers each press with a pause that traces when it ends.
            game.clock().startTimer(70, [&game] {
                game.player.platform.trace().write("log pause over");
                game.boxes().show("Again?", MsgBox::YesNo, "", nullptr);
            });
        };
        EXPECT_EQ(game.play("move 3 3\nwait 120\nclick 50 60\nanswer no\nwait 33\nclick 50 60\n"
                            "menu x!y\nmenu file!qsave\nkey Ctrl down\nwait 500\nshot s\n"
                            "key Ctrl up\nwheel down\nwait 20\nquit\n"),
                  0);
        return game.trace() + QStringList("--") + game.events;
    };
    const QStringList first = runOnce();
    // The queued answer waits for the next box; a menu item the game lacks is traced.
    EXPECT_EQ(first.filter("msgbox"),
              QStringList({"t=190 msgbox \"Again?\" -> no", "t=223 msgbox \"Again?\" -> yes"}));
    EXPECT_EQ(first.filter(" input "), QStringList({"t=153 input menu x!y unavailable"}));
    EXPECT_TRUE(first.contains("t=653 shot s"));
    EXPECT_EQ(runOnce(), first);
}
