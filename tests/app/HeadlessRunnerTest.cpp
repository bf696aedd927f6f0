#include "app/HeadlessRunner.h"

#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

#include "TestSupport.h"
#include "platform/os/MsgBox.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

namespace {

QString buttonName(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return "left";
        case Qt::RightButton:
            return "right";
        case Qt::NoButton:
            return "none";
        default:
            return "other";
    }
}

QString keyName(int key) {
    switch (key) {
        case Qt::Key_Return:
            return "Return";
        case Qt::Key_Space:
            return "Space";
        case Qt::Key_Escape:
            return "Escape";
        case Qt::Key_Up:
            return "Up";
        case Qt::Key_Down:
            return "Down";
        case Qt::Key_Tab:
            return "Tab";
        case Qt::Key_Control:
            return "Ctrl";
        default:
            return "?";
    }
}

// Writes every input event it receives as "t=MS WHAT ..." into `log`;
// " ctrl" marks the Ctrl modifier.
class InputRecorder : public QWidget {
public:
    InputRecorder(const Clock& clock, QStringList& log, QWidget* parent = nullptr)
        : QWidget(parent), clock_(clock), log_(log) {
        setMouseTracking(true);
    }

    std::function<void()> onPress;

protected:
    void mousePressEvent(QMouseEvent* e) override {
        mouse("press", e);
        if (onPress) {
            onPress();
        }
    }
    void mouseReleaseEvent(QMouseEvent* e) override { mouse("release", e); }
    void mouseDoubleClickEvent(QMouseEvent* e) override { mouse("dblclick", e); }
    void mouseMoveEvent(QMouseEvent* e) override { mouse("move", e); }
    void wheelEvent(QWheelEvent* e) override {
        note(QStringLiteral("wheel %1 at %2,%3")
                 .arg(e->angleDelta().y())
                 .arg(e->position().x())
                 .arg(e->position().y()),
             e->modifiers());
    }
    void keyPressEvent(QKeyEvent* e) override {
        note("keydown " + keyName(e->key()), e->modifiers());
    }
    void keyReleaseEvent(QKeyEvent* e) override {
        note("keyup " + keyName(e->key()), e->modifiers());
    }

private:
    void mouse(const QString& what, QMouseEvent* e) {
        note(QStringLiteral("%1 %2,%3 %4 held %5")
                 .arg(what)
                 .arg(e->position().x())
                 .arg(e->position().y())
                 .arg(buttonName(e->button()))
                 .arg(static_cast<int>(e->buttons())),
             e->modifiers());
    }
    void note(const QString& what, Qt::KeyboardModifiers modifiers) {
        log_ << QStringLiteral("t=%1 %2%3")
                    .arg(clock_.now())
                    .arg(what)
                    .arg(modifiers.testFlag(Qt::ControlModifier) ? " ctrl" : "");
    }

    const Clock& clock_;
    QStringList& log_;
};

// A scripted platform and a form with a 640 x 480 picture as the runner's target.
// A close request ends the game `closeDelayMs` later through a clock timer (0:
// at once), unless the game refuses to close.
class HeadlessRunnerTest : public ::testing::Test {
protected:
    HeadlessRunnerTest() { picture.resize(640, 480); }

    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }
    ScriptedMessageBoxPresenter& boxes() {
        return static_cast<ScriptedMessageBoxPresenter&>(player.platform.messageBoxes());
    }
    const QStringList& trace() { return player.platform.trace().lines(); }

    HeadlessRunner::Target target() {
        HeadlessRunner::Target t;
        t.picture = [this] { return &picture; };
        t.form = [this] { return &form; };
        t.triggerMenu = [this](const QString& tag) {
            menus << tag;
            return tag == "file!qsave";
        };
        t.screen = [this] { return screen; };
        t.requestClose = [this] {
            closeRequests << clock().now();
            if (refuseClose) {
                return;
            }
            if (closeDelayMs == 0) {
                finished = true;
                return;
            }
            clock().startTimer(closeDelayMs, [this] { finished = true; });
        };
        t.finished = [this] { return finished; };
        return t;
    }

    // Parses and runs the script; returns run()'s result.
    int play(const QString& text, const QString& shotsDir = QString()) {
        InputScript script;
        QString error;
        EXPECT_TRUE(script.parse(text, error)) << error.toStdString();
        HeadlessRunner runner(clock(), player.platform.trace(), boxes(), target());
        runner.setShotsDir(shotsDir);
        runner.schedule(script);
        return runner.run();
    }

    // An animation that redraws every 16 ms for ever, as a background timer.
    void startFrames() {
        clock().markBackground(clock().startTimer(16, [this] { startFrames(); }));
    }

    ScriptedPlayer player;
    QStringList events;
    InputRecorder form{player.platform.clock(), events};
    InputRecorder picture{player.platform.clock(), events, &form};
    QImage screen;
    QStringList menus;
    QList<qint64> closeRequests;
    int closeDelayMs = 50;
    bool refuseClose = false;
    bool finished = false;
};

}  // namespace

TEST_F(HeadlessRunnerTest, MouseCommandsArriveAtTheirTimeWithPositionAndButton) {
    EXPECT_EQ(play("wait 500\nclick 10 20\nwait 100\nrclick 30 40\nwait 1\ndclick 30 40\n"
                   "move 7 8"),
              0);
    EXPECT_EQ(events.join('\n').toStdString(),
              QStringList({
                              "t=500 move 10,20 none held 0",
                              "t=500 press 10,20 left held 1",
                              "t=500 release 10,20 left held 0",
                              "t=600 move 30,40 none held 0",
                              "t=600 press 30,40 right held 2",
                              "t=600 release 30,40 right held 0",
                              // the pointer is there already: no move
                              "t=601 press 30,40 left held 1",
                              "t=601 release 30,40 left held 0",
                              "t=601 dblclick 30,40 left held 1",
                              "t=601 release 30,40 left held 0",
                              "t=601 move 7,8 none held 0",
                          })
                  .join('\n')
                  .toStdString());
}

TEST_F(HeadlessRunnerTest, KeysGoToTheFormAndAHeldCtrlModifiesWhatFollows) {
    play(
        "key Ctrl down\nwait 100\nkey Return\nclick 1 2\nwheel up\nkey Ctrl up\nwait 5\n"
        "key Space\nwheel down\nkey Tab down\nkey Escape\nkey Tab up\nkey Up\nkey Down\n"
        "key Ctrl");
    EXPECT_EQ(events.join('\n').toStdString(), QStringList({
                                                               "t=0 keydown Ctrl ctrl",
                                                               "t=100 keydown Return ctrl",
                                                               "t=100 keyup Return ctrl",
                                                               "t=100 move 1,2 none held 0 ctrl",
                                                               "t=100 press 1,2 left held 1 ctrl",
                                                               "t=100 release 1,2 left held 0 ctrl",
                                                               "t=100 wheel 120 at 1,2 ctrl",
                                                               "t=100 keyup Ctrl",
                                                               "t=105 keydown Space",
                                                               "t=105 keyup Space",
                                                               "t=105 wheel -120 at 1,2",
                                                               "t=105 keydown Tab",
                                                               "t=105 keydown Escape",
                                                               "t=105 keyup Escape",
                                                               "t=105 keyup Tab",
                                                               "t=105 keydown Up",
                                                               "t=105 keyup Up",
                                                               "t=105 keydown Down",
                                                               "t=105 keyup Down",
                                                               "t=105 keydown Ctrl ctrl",
                                                               "t=105 keyup Ctrl",
                                                           })
                                                   .join('\n')
                                                   .toStdString());
}

TEST_F(HeadlessRunnerTest, AShotIsWrittenAsPngIntoACreatedFolderAndTraced) {
    TempFolder dir;
    screen = QImage(64, 48, QImage::Format_ARGB32_Premultiplied);
    screen.fill(QColor(10, 200, 30));
    screen.setPixelColor(63, 47, QColor(250, 0, 5));
    const QString shots = dir.file("out/shots");
    ASSERT_EQ(play("wait 200\nshot first\nwait 100\nshot second", shots), 0);
    EXPECT_TRUE(trace().contains("t=200 shot first"));
    EXPECT_TRUE(trace().contains("t=300 shot second"));
    const QImage saved(shots + "/first.png");
    ASSERT_FALSE(saved.isNull());
    EXPECT_EQ(saved.size(), QSize(64, 48));
    EXPECT_EQ(saved.pixelColor(0, 0), QColor(10, 200, 30));
    EXPECT_EQ(saved.pixelColor(63, 47), QColor(250, 0, 5));
    EXPECT_EQ(QDir(shots).entryList(QDir::Files), QStringList({"first.png", "second.png"}));
}

TEST_F(HeadlessRunnerTest, AShotWithoutAPictureOrFolderToWriteIsTracedAsFailed) {
    TempFolder dir;
    dir.write("blocker", "a file where the shots folder should be");
    screen = QImage(4, 4, QImage::Format_RGB32);
    play("shot blocked", dir.file("blocker"));
    finished = false;  // the first run ended at 50 ms
    screen = QImage();
    play("shot empty", dir.file("shots"));
    EXPECT_EQ(trace().filter(" shot "),
              QStringList({"t=0 shot blocked failed", "t=50 shot empty failed"}));
    EXPECT_FALSE(dir.exists("shots/empty.png"));
}

TEST_F(HeadlessRunnerTest, WithoutAShotsFolderAShotIsOnlyTraced) {
    screen = QImage(4, 4, QImage::Format_RGB32);
    const QStringList before = QDir::current().entryList();
    play("wait 9\nshot plain");
    EXPECT_EQ(trace().filter(" shot "), QStringList({"t=9 shot plain"}));
    EXPECT_EQ(QDir::current().entryList(), before);
}

TEST_F(HeadlessRunnerTest, MenuCommandsTraceOnlyTheItemsThatAreUnavailable) {
    play("menu file!qsave\nwait 30\nmenu message!skip");
    EXPECT_EQ(menus, QStringList({"file!qsave", "message!skip"}));
    QStringList inputLines = trace().filter(" input ");
    EXPECT_EQ(inputLines, QStringList({"t=30 input menu message!skip unavailable"}));
}

TEST_F(HeadlessRunnerTest, AnswersAreQueuedForTheNextMessageBoxes) {
    picture.onPress = [this] {
        player.platform.messageBoxes().show("Save?", MsgBox::YesNo, "varo", nullptr);
    };
    play("answer no\nwait 10\nclick 5 5\nanswer cancel");
    EXPECT_TRUE(trace().contains("t=10 msgbox \"Save?\" -> no"));
    EXPECT_EQ(boxes().queuedAnswers(), 1);
    EXPECT_EQ(boxes().show("Go on?", MsgBox::OkCancel, "varo", nullptr), MsgBox::IdCancel);
}

TEST_F(HeadlessRunnerTest, QuitRequestsCloseAndLaterInputIsNeverDelivered) {
    EXPECT_EQ(play("wait 10\nquit\nwait 100\nclick 1 1"), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({10}));
    EXPECT_TRUE(finished);
    EXPECT_TRUE(events.isEmpty());
    // Input still queued after the run stays undelivered however long time goes on.
    while (clock().advanceToNext()) {
    }
    EXPECT_TRUE(events.isEmpty());
}

TEST_F(HeadlessRunnerTest, ExhaustedInputRequestsCloseOnceAfterTheLastWait) {
    closeDelayMs = 300;
    startFrames();
    EXPECT_EQ(play("click 1 1\nwait 1000"), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({1000}));
    EXPECT_GE(clock().now(), 1300);
    EXPECT_LT(clock().now(), 1300 + 16);
}

TEST_F(HeadlessRunnerTest, AGameThatEndsRightAtTheCloseRequestStopsTheClockThere) {
    closeDelayMs = 0;
    startFrames();
    EXPECT_EQ(play("wait 30"), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({30}));
    EXPECT_EQ(clock().now(), 30);  // no frame after the end
}

TEST_F(HeadlessRunnerTest, AGameStillBusyWaitsForItsTimersBeforeTheCloseRequest) {
    // A scenario pause that ends by itself at 2500, after the input.
    clock().startTimer(2500, [] {});
    EXPECT_EQ(play("wait 100\nkey Return"), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({2500}));
}

TEST_F(HeadlessRunnerTest, WithoutAnyInputAnIdleGameIsClosedAtOnce) {
    startFrames();
    EXPECT_EQ(play(""), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({0}));
}

TEST_F(HeadlessRunnerTest, AGameThatNeverStopsByItselfIsAskedToCloseAfterTheIdleLimit) {
    std::function<void()> poll = [&] { clock().startTimer(1000, poll); };
    poll();
    EXPECT_EQ(play("wait 5000"), 0);
    EXPECT_EQ(closeRequests, QList<qint64>({5000 + HeadlessRunner::kIdleLimitMs}));
}

TEST_F(HeadlessRunnerTest, ACloseThatNeverEndsTheRunGivesUpWithATraceLine) {
    refuseClose = true;
    startFrames();
    EXPECT_EQ(play("wait 40\nquit"), HeadlessRunner::kTimedOut);
    // The quit and, once the input is exhausted, the one close request of the end.
    EXPECT_EQ(closeRequests, QList<qint64>({40, 40}));
    ASSERT_FALSE(trace().isEmpty());
    const qint64 limit = 40 + HeadlessRunner::kCloseTimeoutMs;
    EXPECT_GE(clock().now(), limit);
    EXPECT_LT(clock().now(), limit + 16);
    EXPECT_EQ(trace().last(),
              QStringLiteral("t=%1 input close timed out after 600000 ms").arg(clock().now()));
}

TEST(HeadlessRunnerDeterminism, TheSameScriptGivesTheSameTraceEveryTime) {
    const QString script =
        "move 3 3\nwait 120\nclick 50 60\nanswer no\nwait 33\nclick 50 60\nmenu x!y\n"
        "key Ctrl down\nwait 500\nshot s\nkey Ctrl up\nwheel down\nwait 20\nquit\n";
    auto runOnce = [&script] {
        ScriptedPlayer player;
        auto& clock = static_cast<VirtualClock&>(player.platform.clock());
        QStringList events;
        InputRecorder form(clock, events);
        InputRecorder picture(clock, events, &form);
        bool finished = false;
        picture.onPress = [&] {
            // The game answers each press with a pause that traces when it ends.
            clock.startTimer(70, [&] {
                player.platform.trace().write("log pause over");
                player.platform.messageBoxes().show("Again?", MsgBox::YesNo, "", nullptr);
            });
        };
        HeadlessRunner::Target target;
        target.picture = [&] { return &picture; };
        target.form = [&] { return &form; };
        target.triggerMenu = [](const QString&) { return false; };
        target.screen = [] { return QImage(8, 8, QImage::Format_RGB32); };
        target.requestClose = [&] { clock.startTimer(10, [&] { finished = true; }); };
        target.finished = [&] { return finished; };
        InputScript input;
        QString error;
        EXPECT_TRUE(input.parse(script, error));
        HeadlessRunner runner(
            clock, player.platform.trace(),
            static_cast<ScriptedMessageBoxPresenter&>(player.platform.messageBoxes()), target);
        runner.schedule(input);
        EXPECT_EQ(runner.run(), 0);
        return player.platform.trace().lines() + QStringList("--") + events;
    };
    const QStringList first = runOnce();
    EXPECT_EQ(first.filter("msgbox").size(), 2);
    EXPECT_TRUE(first.contains("t=653 shot s"));
    EXPECT_EQ(runOnce(), first);
}
