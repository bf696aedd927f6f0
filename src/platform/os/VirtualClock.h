#pragma once

#include <map>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "platform/os/Clock.h"

// Virtual time for headless runs: milliseconds from 0 that advance only by
// `sleep` and by `advanceToNext`, so a run gives the same result every time.
//
// Timers and scripted input wait in one queue ordered by due time, then by the
// order they were started. One `pump` fires, in that order, the entries that
// were already queued when it began and are due at the current time; entries
// queued while it runs (even with 0 ms) wait for the next pump, so a timer that
// restarts itself cannot keep a pump busy forever.
class VirtualClock : public Clock {
public:
    VirtualClock() = default;

    qint64 now() const override { return now_; }
    void sleep(int ms) override;
    TimerId startTimer(int ms, std::function<void()> action) override;
    void cancelTimer(TimerId id) override;
    bool isTimerActive(TimerId id) const override;
    void markBackground(TimerId id) override;
    // Fires the due entries, then processes Qt events when a Qt application exists.
    // Scripted input runs at its time even inside a pump with Input::Exclude: the
    // one who performs it asks `excludingInput` and drops what must not act.
    void pump(Input input = Input::Deliver) override;
    bool isVirtual() const override { return true; }

    // Whether scripted input due during a pump with Input::Exclude runs at its
    // time or waits until no such pump is in progress.
    enum class WhileExcluding { Run, Hold };
    // Scripted user input, run at virtual time `atMs` by a pump.
    void scheduleInput(qint64 atMs, std::function<void()> action,
                       WhileExcluding whileExcluding = WhileExcluding::Run);
    // The due time of the earliest pending timer or input.
    std::optional<qint64> nextDue() const;
    // Whether scripted input or a timer that is not a background timer waits.
    bool hasPendingWork() const;
    // Whether scripted input waits that a pump may run now (input held while
    // input is excluded does not count).
    bool hasPendingInput() const;
    // Moves time forward to the earliest pending entry when nothing is due yet,
    // then pumps with input delivered. False when nothing is pending.
    bool advanceToNext();
    // Moves time forward to the earliest entry that may fire when nothing is
    // due yet, fires that one entry alone, then processes Qt events. A modal
    // dialog's loop steps like this, so input meant for after the dialog has
    // closed is not run inside it. False when no entry may fire.
    bool step();

private:
    struct Key {
        qint64 due;
        quint64 sequence;
        auto operator<=>(const Key&) const = default;
    };
    struct Entry {
        TimerId timer;  // 0 for scripted input
        bool heldWhileExcluding;
        std::function<void()> action;
    };

    void enqueue(qint64 due, TimerId timer, std::function<void()> action,
                 bool heldWhileExcluding = false);
    // The first entry older than `sequenceLimit` that the pump may fire now.
    std::map<Key, Entry>::iterator nextToFire(quint64 sequenceLimit);
    // Whether the entry waits for the end of a pump that excludes input.
    bool isHeld(const Entry& entry) const;
    // Takes the entry out of the queue and runs it.
    void fire(std::map<Key, Entry>::iterator entry);
    static void processQtEvents();

    qint64 now_ = 0;
    quint64 nextSequence_ = 0;
    TimerId nextTimerId_ = 1;
    std::map<Key, Entry> queue_;
    std::unordered_map<TimerId, Key> timers_;
    std::unordered_set<TimerId> background_;
};
