#include "app/HeadlessRunner.h"

#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>
#include <algorithm>

#include "platform/os/FileIo.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/TraceSink.h"
#include "platform/os/VirtualClock.h"

namespace {

constexpr int kWheelStep = 120;

struct KeyInfo {
    Qt::Key code;
    QString text;
    const char* name;  // as a script names it
};

KeyInfo keyInfo(InputScript::Key key) {
    switch (key) {
        case InputScript::Key::Return:
            return {Qt::Key_Return, QStringLiteral("\r"), "Return"};
        case InputScript::Key::Space:
            return {Qt::Key_Space, QStringLiteral(" "), "Space"};
        case InputScript::Key::Escape:
            return {Qt::Key_Escape, QString(QChar(0x1b)), "Escape"};
        case InputScript::Key::Up:
            return {Qt::Key_Up, QString(), "Up"};
        case InputScript::Key::Down:
            return {Qt::Key_Down, QString(), "Down"};
        case InputScript::Key::Tab:
            return {Qt::Key_Tab, QStringLiteral("\t"), "Tab"};
        case InputScript::Key::Ctrl:
            return {Qt::Key_Control, QString(), "Ctrl"};
    }
    return {Qt::Key_unknown, QString(), "?"};
}

std::optional<QByteArray> pngOf(const QImage& image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

HeadlessRunner::HeadlessRunner(VirtualClock& clock, TraceSink& trace,
                               ScriptedMessageBoxPresenter& boxes, Target target)
    : clock_(clock),
      trace_(trace),
      boxes_(boxes),
      target_(std::move(target)),
      delivering_(std::make_shared<bool>(true)) {}

HeadlessRunner::~HeadlessRunner() = default;

// Closing in the middle of a wait that takes no input is not safe: `quit` waits
// for its end. Everything else happens at its time.
void HeadlessRunner::schedule(const InputScript& script) {
    for (const InputScript::Command& command : script.commands()) {
        const auto whileExcluding = command.kind == InputScript::Kind::Quit
                                        ? VirtualClock::WhileExcluding::Hold
                                        : VirtualClock::WhileExcluding::Run;
        scheduleAt(command.atMs, whileExcluding, [this, command] { perform(command); });
    }
    // A trailing wait keeps the game running undisturbed until the script's end.
    scheduleAt(script.endMs(), VirtualClock::WhileExcluding::Run, [] {});
}

void HeadlessRunner::scheduleAt(qint64 atMs, VirtualClock::WhileExcluding whileExcluding,
                                std::function<void()> action) {
    ++inputsQueued_;
    std::weak_ptr<bool> delivering = delivering_;
    auto guarded = [this, delivering, action = std::move(action)] {
        const std::shared_ptr<bool> live = delivering.lock();
        if (!live || !*live) {
            return;
        }
        --inputsQueued_;
        lastInputMs_ = clock_.now();
        action();
    };
    clock_.scheduleInput(atMs, std::move(guarded), whileExcluding);
}

int HeadlessRunner::run() {
    int result = 0;
    clock_.pump(Clock::Input::Deliver);
    while (!target_.finished()) {
        if (closeTimedOut()) {
            trace_.write(QStringLiteral("input close timed out after ") +
                         QString::number(kCloseTimeoutMs) + QStringLiteral(" ms"));
            result = kTimedOut;
            break;
        }
        if (shouldCloseAtEnd()) {
            closedAtEnd_ = true;
            requestClose();
            continue;  // the request may have ended the game at once
        }
        if (!clock_.advanceToNext()) {
            clock_.sleep(kIdleStepMs);
            clock_.pump(Clock::Input::Deliver);
        }
    }
    *delivering_ = false;
    return result;
}

void HeadlessRunner::perform(const InputScript::Command& command) {
    if (isDropped(command.kind)) {
        trace_.write(QStringLiteral("input dropped ") + commandText(command));
        return;
    }
    using Kind = InputScript::Kind;
    switch (command.kind) {
        case Kind::Click:
            return click(command.position, Qt::LeftButton, false);
        case Kind::RightClick:
            return click(command.position, Qt::RightButton, false);
        case Kind::DoubleClick:
            return click(command.position, Qt::LeftButton, true);
        case Kind::Move:
            return movePointer(command.position);
        case Kind::KeyPress:
            pressKey(command.key);
            return releaseKey(command.key);
        case Kind::KeyDown:
            return pressKey(command.key);
        case Kind::KeyUp:
            return releaseKey(command.key);
        case Kind::WheelUp:
            return sendWheel(1);
        case Kind::WheelDown:
            return sendWheel(-1);
        case Kind::Menu:
            return triggerMenu(command.text);
        case Kind::Answer:
            return boxes_.queueAnswer(command.text);
        case Kind::Shot:
            return takeShot(command.text);
        case Kind::Quit:
            return requestClose();
    }
}

bool HeadlessRunner::isDropped(InputScript::Kind kind) const {
    if (!isDiscardedWhileExcluding(kind)) {
        return false;
    }
    if (clock_.excludingInput()) {
        return true;
    }
    return QApplication::activeModalWidget() != nullptr && !isKeyGoingDown(kind);
}

bool HeadlessRunner::isKeyGoingDown(InputScript::Kind kind) {
    return kind == InputScript::Kind::KeyPress || kind == InputScript::Kind::KeyDown;
}

// As in the window during a wait that takes no input: presses, moves, the wheel
// and menus are discarded; releases, answers and shots are not user input that acts.
bool HeadlessRunner::isDiscardedWhileExcluding(InputScript::Kind kind) {
    using Kind = InputScript::Kind;
    switch (kind) {
        case Kind::Click:
        case Kind::RightClick:
        case Kind::DoubleClick:
        case Kind::Move:
        case Kind::KeyPress:
        case Kind::KeyDown:
        case Kind::WheelUp:
        case Kind::WheelDown:
        case Kind::Menu:
            return true;
        case Kind::KeyUp:
        case Kind::Answer:
        case Kind::Shot:
        case Kind::Quit:
            return false;
    }
    return false;
}

// The command as a script writes it: "click 120 400", "key Ctrl down", "wheel up".
QString HeadlessRunner::commandText(const InputScript::Command& command) {
    using Kind = InputScript::Kind;
    const QString at = QString::number(command.position.x()) + QLatin1Char(' ') +
                       QString::number(command.position.y());
    const QString key = QLatin1String(keyInfo(command.key).name);
    switch (command.kind) {
        case Kind::Click:
            return QStringLiteral("click ") + at;
        case Kind::RightClick:
            return QStringLiteral("rclick ") + at;
        case Kind::DoubleClick:
            return QStringLiteral("dclick ") + at;
        case Kind::Move:
            return QStringLiteral("move ") + at;
        case Kind::KeyPress:
            return QStringLiteral("key ") + key;
        case Kind::KeyDown:
            return QStringLiteral("key ") + key + QStringLiteral(" down");
        case Kind::KeyUp:
            return QStringLiteral("key ") + key + QStringLiteral(" up");
        case Kind::WheelUp:
            return QStringLiteral("wheel up");
        case Kind::WheelDown:
            return QStringLiteral("wheel down");
        case Kind::Menu:
            return QStringLiteral("menu ") + command.text;
        case Kind::Answer:
            return QStringLiteral("answer ") + command.text;
        case Kind::Shot:
            return QStringLiteral("shot ") + command.text;
        case Kind::Quit:
            return QStringLiteral("quit");
    }
    return QString();
}

// A real pointer reaches the place before it presses there, so hover follows it.
void HeadlessRunner::click(QPoint position, Qt::MouseButton button, bool twice) {
    if (pointer_ != position) {
        movePointer(position);
    }
    sendMouse(QEvent::MouseButtonPress, position, button, button);
    sendMouse(QEvent::MouseButtonRelease, position, button, Qt::NoButton);
    if (twice) {
        sendMouse(QEvent::MouseButtonDblClick, position, button, button);
        sendMouse(QEvent::MouseButtonRelease, position, button, Qt::NoButton);
    }
}

void HeadlessRunner::movePointer(QPoint position) {
    pointer_ = position;
    sendMouse(QEvent::MouseMove, position, Qt::NoButton, Qt::NoButton);
}

void HeadlessRunner::sendMouse(QEvent::Type type, QPoint position, Qt::MouseButton button,
                               Qt::MouseButtons buttons) {
    QWidget* picture = target_.picture();
    if (picture == nullptr) {
        return;
    }
    const QPointF local(position);
    const QPointF inWindow(picture->mapTo(picture->window(), position));
    const QPointF global(picture->mapToGlobal(position));
    QMouseEvent event(type, local, inWindow, global, button, buttons, modifiers());
    QCoreApplication::sendEvent(picture, &event);
}

void HeadlessRunner::sendWheel(int steps) {
    QWidget* picture = target_.picture();
    if (picture == nullptr) {
        return;
    }
    const QPoint position = pointer_.value_or(QPoint(0, 0));
    QWheelEvent event(QPointF(position), QPointF(picture->mapToGlobal(position)), QPoint(),
                      QPoint(0, steps * kWheelStep), Qt::NoButton, modifiers(), Qt::NoScrollPhase,
                      false);
    QCoreApplication::sendEvent(picture, &event);
}

// Like a native key event, the event of the Ctrl key itself carries the state
// from before it; QKeyEvent::modifiers() then reports Ctrl on the press only.
void HeadlessRunner::pressKey(InputScript::Key key) {
    sendKey(key, true);
    if (key == InputScript::Key::Ctrl) {
        ctrlHeld_ = true;
    }
}

void HeadlessRunner::releaseKey(InputScript::Key key) {
    sendKey(key, false);
    if (key == InputScript::Key::Ctrl) {
        ctrlHeld_ = false;
    }
}

void HeadlessRunner::sendKey(InputScript::Key key, bool press) {
    QWidget* target = keyTarget();
    if (target == nullptr) {
        return;
    }
    const KeyInfo info = keyInfo(key);
    QKeyEvent event(press ? QEvent::KeyPress : QEvent::KeyRelease, info.code, modifiers(),
                    info.text);
    QCoreApplication::sendEvent(target, &event);
}

// The game's form, or the open modal dialog's focused control; what that
// control leaves unhandled reaches the dialog (Escape cancels, Return accepts).
QWidget* HeadlessRunner::keyTarget() const {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) {
        return target_.form();
    }
    QWidget* focused = modal->focusWidget();
    return focused != nullptr && modal->isAncestorOf(focused) ? focused : modal;
}

Qt::KeyboardModifiers HeadlessRunner::modifiers() const {
    return ctrlHeld_ ? Qt::ControlModifier : Qt::NoModifier;
}

void HeadlessRunner::triggerMenu(const QString& tag) {
    if (!target_.triggerMenu || !target_.triggerMenu(tag)) {
        trace_.write(QStringLiteral("input menu ") + tag + QStringLiteral(" unavailable"));
    }
}

void HeadlessRunner::takeShot(const QString& name) {
    if (shotsDir_.isEmpty() || saveShot(name)) {
        trace_.write(QStringLiteral("shot ") + name);
    } else {
        trace_.write(QStringLiteral("shot ") + name + QStringLiteral(" failed"));
    }
}

bool HeadlessRunner::saveShot(const QString& name) {
    const std::optional<QByteArray> png = pngOf(target_.screen());
    return png && FileIo::makeDirectories(shotsDir_) &&
           FileIo::writeDurable(shotsDir_ + QLatin1Char('/') + name + QStringLiteral(".png"), *png);
}

void HeadlessRunner::requestClose() {
    closeRequestedAt_ = clock_.now();
    target_.requestClose();
}

// Once, when the input is exhausted and the game has nothing left to do but
// background frames, or has run by itself for too long.
bool HeadlessRunner::shouldCloseAtEnd() const {
    return !closedAtEnd_ && inputExhausted() && (!clock_.hasPendingWork() || idleTooLong());
}

bool HeadlessRunner::inputExhausted() const {
    return inputsQueued_ == 0;
}

bool HeadlessRunner::idleTooLong() const {
    return inputExhausted() && clock_.now() - lastInputMs_ >= kIdleLimitMs;
}

bool HeadlessRunner::closeTimedOut() const {
    return closeRequestedAt_ && inputExhausted() &&
           clock_.now() - std::max(*closeRequestedAt_, lastInputMs_) >= kCloseTimeoutMs;
}
