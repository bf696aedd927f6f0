#include "platform/os/InputDiscardFilter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMap>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <functional>
#include <memory>

#include "platform/os/RealClock.h"
#include "platform/os/VirtualClock.h"

namespace {

QString inputName(QEvent::Type type) {
    static const QMap<QEvent::Type, QString> names{{QEvent::MouseButtonPress, "press"},
                                                   {QEvent::MouseButtonRelease, "release"},
                                                   {QEvent::MouseButtonDblClick, "dblclick"},
                                                   {QEvent::MouseMove, "move"},
                                                   {QEvent::Wheel, "wheel"},
                                                   {QEvent::KeyPress, "keydown"},
                                                   {QEvent::KeyRelease, "keyup"},
                                                   {QEvent::ShortcutOverride, "override"},
                                                   {QEvent::ContextMenu, "menu"}};
    return names.value(type);
}

// A widget that lists the input it receives, pointer moves included.
class InputLog : public QWidget {
public:
    InputLog() { setMouseTracking(true); }

    QStringList got;

protected:
    bool event(QEvent* e) override {
        if (const QString name = inputName(e->type()); !name.isEmpty()) {
            got << name;
        }
        return QWidget::event(e);
    }
};

// An object that is neither widget nor window, listing the input it receives.
class PlainLog : public QObject {
public:
    QStringList got;

protected:
    bool event(QEvent* e) override {
        if (const QString name = inputName(e->type()); !name.isEmpty()) {
            got << name;
        }
        return QObject::event(e);
    }
};

// Runs `action` when a posted QEvent::User reaches it, in the middle of a pump.
class Courier : public QObject {
public:
    std::function<void()> action;

protected:
    bool event(QEvent* e) override {
        if (e->type() == QEvent::User && action) {
            action();
            return true;
        }
        return QObject::event(e);
    }
};

void post(QObject* to, QEvent* event) {
    QCoreApplication::postEvent(to, event);
}

QMouseEvent* mouse(QEvent::Type type, Qt::MouseButtons held) {
    return new QMouseEvent(type, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton, held,
                           Qt::NoModifier);
}

// One of each kind of user input, queued as the window system queues it.
void postEveryInput(QObject* to) {
    post(to, mouse(QEvent::MouseButtonPress, Qt::LeftButton));
    post(to, mouse(QEvent::MouseButtonRelease, Qt::NoButton));
    post(to, mouse(QEvent::MouseButtonDblClick, Qt::LeftButton));
    post(to, new QMouseEvent(QEvent::MouseMove, QPointF(6, 6), QPointF(6, 6), Qt::NoButton,
                             Qt::NoButton, Qt::NoModifier));
    post(to, new QWheelEvent(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                             Qt::NoModifier, Qt::NoScrollPhase, false));
    post(to, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
    post(to, new QKeyEvent(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier));
    post(to, new QKeyEvent(QEvent::ShortcutOverride, Qt::Key_A, Qt::ControlModifier));
    post(to, new QContextMenuEvent(QContextMenuEvent::Mouse, QPoint(5, 5), QPoint(5, 5)));
}

const QStringList kEveryInput{"press",   "release", "dblclick", "move", "wheel",
                              "keydown", "keyup",   "override", "menu"};
// Before a key press that a program sends to a widget, Qt asks the widget for a
// shortcut override.
const QStringList kEveryInputAtAWidget{"press",    "release", "dblclick", "move",     "wheel",
                                       "override", "keydown", "keyup",    "override", "menu"};
const QStringList kReleasesOnly{"release", "keyup"};

void postKeyPress(QObject* to) {
    post(to, new QKeyEvent(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier));
}

}  // namespace

TEST(InputDiscardFilter, EachFilterDiscardsWhileItLivesWhateverOrderTheyGoIn) {
    InputLog log;
    auto first = std::make_unique<InputDiscardFilter>();
    auto second = std::make_unique<InputDiscardFilter>();
    postKeyPress(&log);
    QCoreApplication::processEvents();
    first.reset();  // not the last one installed
    postKeyPress(&log);
    QCoreApplication::processEvents();
    EXPECT_TRUE(log.got.isEmpty());
    second.reset();
    postKeyPress(&log);
    QCoreApplication::processEvents();
    EXPECT_EQ(log.got, QStringList({"override", "keydown"}));
}

TEST(InputDiscardFilter, OnlyInputForWindowsAndWidgetsIsDiscarded) {
    const InputDiscardFilter discard;
    InputLog widget;
    PlainLog plain;
    postEveryInput(&widget);
    postEveryInput(&plain);
    QCoreApplication::processEvents();
    EXPECT_EQ(widget.got, kReleasesOnly);
    EXPECT_EQ(plain.got, kEveryInput);
}

// Both clocks behave alike: the parameter says which one a case runs on.
class ExcludingPumpTest : public ::testing::TestWithParam<bool> {
protected:
    ExcludingPumpTest() {
        if (GetParam()) {
            clock = std::make_unique<VirtualClock>();
        } else {
            clock = std::make_unique<RealClock>();
        }
    }
    std::unique_ptr<Clock> clock;
    InputLog log;
};

TEST_P(ExcludingPumpTest, InputArrivingDuringAnExcludingPumpIsDiscardedExceptReleases) {
    postEveryInput(&log);
    clock->pump(Clock::Input::Exclude);
    EXPECT_EQ(log.got, kReleasesOnly);

    // Discarded, not held: later pumps do not bring it back.
    clock->pump(Clock::Input::Deliver);
    EXPECT_EQ(log.got, kReleasesOnly);

    log.got.clear();
    postEveryInput(&log);
    clock->pump(Clock::Input::Deliver);
    EXPECT_EQ(log.got, kEveryInputAtAWidget);
}

TEST_P(ExcludingPumpTest, InputSentInTheMiddleOfThePumpIsDiscardedToo) {
    Courier courier;
    QList<bool> excluding;
    courier.action = [&] {
        excluding << clock->excludingInput();
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&log, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Control, Qt::NoModifier);
        QCoreApplication::sendEvent(&log, &release);
    };
    EXPECT_FALSE(clock->excludingInput());
    post(&courier, new QEvent(QEvent::User));
    clock->pump(Clock::Input::Exclude);
    EXPECT_FALSE(clock->excludingInput());
    post(&courier, new QEvent(QEvent::User));
    clock->pump(Clock::Input::Deliver);
    EXPECT_EQ(excluding, QList<bool>({true, false}));
    EXPECT_EQ(log.got, QStringList({"keyup", "press", "keyup"}));
}

TEST_P(ExcludingPumpTest, APumpInsideAnExcludingPumpStillExcludes) {
    Courier courier;
    InputLog inner;
    bool excludingInside = false;
    courier.action = [&] {
        clock->pump(Clock::Input::Deliver);
        excludingInside = clock->excludingInput();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier);
        QCoreApplication::sendEvent(&inner, &press);
    };
    post(&courier, new QEvent(QEvent::User));
    clock->pump(Clock::Input::Exclude);
    EXPECT_TRUE(excludingInside);
    EXPECT_TRUE(inner.got.isEmpty());
    EXPECT_FALSE(clock->excludingInput());
}

TEST_P(ExcludingPumpTest, WhileAModalWidgetIsOpenNothingIsDiscarded) {
    log.setWindowModality(Qt::ApplicationModal);
    log.show();
    ASSERT_EQ(QApplication::activeModalWidget(), &log);
    postEveryInput(&log);
    clock->pump(Clock::Input::Exclude);
    log.hide();
    EXPECT_EQ(log.got, kEveryInputAtAWidget);
}

INSTANTIATE_TEST_SUITE_P(Clocks, ExcludingPumpTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "Virtual" : "Real";
                         });
