#pragma once

#include <QEvent>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>
#include <optional>

#include "app/InputScript.h"
#include "platform/os/VirtualClock.h"

class QWidget;
class ScriptedMessageBoxPresenter;
class TraceSink;

// Plays one headless run on the virtual clock: delivers the input script to
// the game's widgets at its virtual times and moves time on until the game has
// finished. When the input is exhausted and only background timers (animation
// frames) remain, it asks the game to close.
//
// During a wait that takes no input (the clock is excluding input) presses,
// moves, the wheel, keys going down and menus are dropped with a trace line
// "input dropped COMMAND"; key releases, answers and shots happen at their
// time, and `quit` waits for the end of the wait.
//
// While a modal dialog is open, keys go to the dialog (to its focused control,
// as a keyboard's would) and the game's window under it takes no presses,
// moves, wheel or menus: those are dropped in the same way.
class HeadlessRunner {
public:
    // What the runner drives; every function is called only while running.
    struct Target {
        std::function<QWidget*()> picture;                    // mouse and wheel, game-screen pixels
        std::function<QWidget*()> form;                       // keys
        std::function<bool(const QString& tag)> triggerMenu;  // false: no such enabled item
        std::function<QImage()> screen;                       // the frame shown, at game resolution
        std::function<void()> requestClose;
        std::function<bool()> finished;
    };

    // Virtual ms a close request may take before the run is given up.
    static constexpr qint64 kCloseTimeoutMs = 600000;
    // Virtual ms the game may keep running by itself after the last input
    // before it is asked to close.
    static constexpr qint64 kIdleLimitMs = 600000;
    // Virtual ms time moves on by when nothing at all waits on the clock.
    static constexpr int kIdleStepMs = 100;
    static constexpr int kTimedOut = 1;

    HeadlessRunner(VirtualClock& clock, TraceSink& trace, ScriptedMessageBoxPresenter& boxes,
                   Target target);
    ~HeadlessRunner();
    HeadlessRunner(const HeadlessRunner&) = delete;
    HeadlessRunner& operator=(const HeadlessRunner&) = delete;

    // The folder `shot` commands write to; without one, shots are traced only.
    void setShotsDir(const QString& dir) { shotsDir_ = dir; }
    // Queues every command at its virtual time; the script's end (its last
    // wait included) counts as input still to come.
    void schedule(const InputScript& script);
    // Runs until the target has finished: 0, or kTimedOut when a close request
    // was not followed by the end within kCloseTimeoutMs. Input still queued
    // afterwards is dropped.
    int run();

private:
    void scheduleAt(qint64 atMs, VirtualClock::WhileExcluding whileExcluding,
                    std::function<void()> action);
    void perform(const InputScript::Command& command);
    bool isDropped(InputScript::Kind kind) const;
    static bool isDiscardedWhileExcluding(InputScript::Kind kind);
    static bool isKeyGoingDown(InputScript::Kind kind);
    static QString commandText(const InputScript::Command& command);
    void click(QPoint position, Qt::MouseButton button, bool twice);
    void movePointer(QPoint position);
    void sendMouse(QEvent::Type type, QPoint position, Qt::MouseButton button,
                   Qt::MouseButtons buttons);
    void sendWheel(int steps);
    void sendKey(InputScript::Key key, bool press);
    QWidget* keyTarget() const;
    void pressKey(InputScript::Key key);
    void releaseKey(InputScript::Key key);
    void triggerMenu(const QString& tag);
    void takeShot(const QString& name);
    bool saveShot(const QString& name);
    void requestClose();
    bool shouldCloseAtEnd() const;
    bool inputExhausted() const;
    bool idleTooLong() const;
    bool closeTimedOut() const;
    Qt::KeyboardModifiers modifiers() const;

    VirtualClock& clock_;
    TraceSink& trace_;
    ScriptedMessageBoxPresenter& boxes_;
    Target target_;
    QString shotsDir_;
    // Shared with the queued input, which does nothing once this is false or gone.
    std::shared_ptr<bool> delivering_;
    int inputsQueued_ = 0;
    qint64 lastInputMs_ = 0;
    std::optional<QPoint> pointer_;
    bool ctrlHeld_ = false;
    std::optional<qint64> closeRequestedAt_;  // the latest request
    bool closedAtEnd_ = false;
};
