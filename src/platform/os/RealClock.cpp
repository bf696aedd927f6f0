#include "platform/os/RealClock.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <optional>

#include "platform/os/InputDiscardFilter.h"

RealClock::RealClock() {
    elapsed_.start();
}

RealClock::~RealClock() = default;

qint64 RealClock::now() const {
    return elapsed_.elapsed();
}

void RealClock::sleep(int ms) {
    if (ms > 0) {
        QThread::msleep(static_cast<unsigned long>(ms));
    }
}

Clock::TimerId RealClock::startTimer(int ms, std::function<void()> action) {
    const TimerId id = nextId_++;
    Pending pending{nullptr, std::move(action)};
    if (QCoreApplication::instance() != nullptr) {
        pending.timer = takeIdleTimer();
        QObject::connect(pending.timer.get(), &QTimer::timeout, [this, id] { fire(id); });
        pending.timer->start(std::max(ms, 0));
    }
    pending_.emplace(id, std::move(pending));
    return id;
}

void RealClock::cancelTimer(TimerId id) {
    const auto found = pending_.find(id);
    if (found == pending_.end()) {
        return;
    }
    std::unique_ptr<QTimer> timer = std::move(found->second.timer);
    pending_.erase(found);
    retire(std::move(timer));
}

bool RealClock::isTimerActive(TimerId id) const {
    return pending_.count(id) != 0;
}

void RealClock::pump(Input input) {
    if (QCoreApplication::instance() == nullptr) {
        return;
    }
    const ExcludingPump excluding(*this, input);
    std::optional<InputDiscardFilter> discard;
    if (input == Input::Exclude) {
        discard.emplace();
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void RealClock::fire(TimerId id) {
    const auto found = pending_.find(id);
    if (found == pending_.end()) {
        return;
    }
    Pending pending = std::move(found->second);
    pending_.erase(found);
    retire(std::move(pending.timer));
    if (pending.action) {
        pending.action();
    }
}

void RealClock::retire(std::unique_ptr<QTimer> timer) {
    if (!timer) {
        return;
    }
    timer->stop();
    timer->disconnect();
    idle_.push_back(std::move(timer));
}

std::unique_ptr<QTimer> RealClock::takeIdleTimer() {
    if (idle_.empty()) {
        auto timer = std::make_unique<QTimer>();
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
        return timer;
    }
    std::unique_ptr<QTimer> timer = std::move(idle_.back());
    idle_.pop_back();
    return timer;
}
