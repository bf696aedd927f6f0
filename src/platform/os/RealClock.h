#pragma once

#include <QElapsedTimer>
#include <map>
#include <memory>
#include <vector>

#include "platform/os/Clock.h"

class QTimer;

// Wall-clock time for windowed runs. Timers are single-shot QTimers that fire
// from the Qt event loop while `pump` processes events. Without a Qt
// application object timers are accepted but never fire.
class RealClock : public Clock {
public:
    RealClock();
    ~RealClock() override;

    qint64 now() const override;
    void sleep(int ms) override;
    TimerId startTimer(int ms, std::function<void()> action) override;
    void cancelTimer(TimerId id) override;
    bool isTimerActive(TimerId id) const override;
    void pump(Input input = Input::Deliver) override;
    bool isVirtual() const override { return false; }

private:
    struct Pending {
        std::unique_ptr<QTimer> timer;  // null without a Qt application
        std::function<void()> action;
    };

    void fire(TimerId id);
    // Stops the timer and keeps it for reuse: it may be emitting its signal right now.
    void retire(std::unique_ptr<QTimer> timer);
    std::unique_ptr<QTimer> takeIdleTimer();

    QElapsedTimer elapsed_;
    TimerId nextId_ = 1;
    std::map<TimerId, Pending> pending_;
    std::vector<std::unique_ptr<QTimer>> idle_;
};
