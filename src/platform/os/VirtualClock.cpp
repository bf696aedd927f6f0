#include "platform/os/VirtualClock.h"

#include <QCoreApplication>
#include <algorithm>

#include "platform/os/InputDiscardFilter.h"

void VirtualClock::sleep(int ms) {
    now_ += std::max(ms, 0);
}

Clock::TimerId VirtualClock::startTimer(int ms, std::function<void()> action) {
    const TimerId id = nextTimerId_++;
    enqueue(now_ + std::max(ms, 0), id, std::move(action));
    return id;
}

void VirtualClock::cancelTimer(TimerId id) {
    const auto found = timers_.find(id);
    if (found == timers_.end()) {
        return;
    }
    queue_.erase(found->second);
    timers_.erase(found);
    background_.erase(id);
}

void VirtualClock::markBackground(TimerId id) {
    if (timers_.count(id) != 0) {
        background_.insert(id);
    }
}

bool VirtualClock::hasPendingWork() const {
    for (const auto& [key, entry] : queue_) {
        if (entry.timer == 0 || background_.count(entry.timer) == 0) {
            return true;
        }
    }
    return false;
}

bool VirtualClock::hasPendingInput() const {
    for (const auto& [key, entry] : queue_) {
        if (entry.timer == 0 && !isHeld(entry)) {
            return true;
        }
    }
    return false;
}

bool VirtualClock::isTimerActive(TimerId id) const {
    return timers_.count(id) != 0;
}

void VirtualClock::scheduleInput(qint64 atMs, std::function<void()> action,
                                 WhileExcluding whileExcluding) {
    enqueue(atMs, 0, std::move(action), whileExcluding == WhileExcluding::Hold);
}

void VirtualClock::enqueue(qint64 due, TimerId timer, std::function<void()> action,
                           bool heldWhileExcluding) {
    const Key key{due, nextSequence_++};
    queue_.emplace(key, Entry{timer, heldWhileExcluding, std::move(action)});
    if (timer != 0) {
        timers_.emplace(timer, key);
    }
}

std::optional<qint64> VirtualClock::nextDue() const {
    if (queue_.empty()) {
        return std::nullopt;
    }
    return queue_.begin()->first.due;
}

void VirtualClock::pump(Input input) {
    const ExcludingPump excluding(*this, input);
    std::optional<InputDiscardFilter> discard;
    if (input == Input::Exclude) {
        discard.emplace();
    }
    const quint64 sequenceLimit = nextSequence_;
    // Actions may start, cancel or pump: look the queue up afresh every time.
    for (auto next = nextToFire(sequenceLimit); next != queue_.end();
         next = nextToFire(sequenceLimit)) {
        fire(next);
    }
    processQtEvents();
}

void VirtualClock::fire(std::map<Key, Entry>::iterator next) {
    Entry entry = std::move(next->second);
    queue_.erase(next);
    if (entry.timer != 0) {
        timers_.erase(entry.timer);
        background_.erase(entry.timer);
    }
    if (entry.action) {
        entry.action();
    }
}

void VirtualClock::processQtEvents() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
}

bool VirtualClock::isHeld(const Entry& entry) const {
    return entry.heldWhileExcluding && excludingInput();
}

std::map<VirtualClock::Key, VirtualClock::Entry>::iterator VirtualClock::nextToFire(
    quint64 sequenceLimit) {
    for (auto it = queue_.begin(); it != queue_.end() && it->first.due <= now_; ++it) {
        if (it->first.sequence < sequenceLimit && !isHeld(it->second)) {
            return it;
        }
    }
    return queue_.end();
}

bool VirtualClock::advanceToNext() {
    const std::optional<qint64> due = nextDue();
    if (!due) {
        return false;
    }
    now_ = std::max(now_, *due);
    pump(Input::Deliver);
    return true;
}

bool VirtualClock::step() {
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (isHeld(it->second)) {
            continue;
        }
        now_ = std::max(now_, it->first.due);
        fire(it);
        processQtEvents();
        return true;
    }
    return false;
}
