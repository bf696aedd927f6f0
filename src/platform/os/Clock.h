#pragma once

#include <QtGlobal>
#include <functional>

// The one owner of time. Every wait sleeps and pumps through it; every mode,
// the compositor and the mixer read time from it. Timers are one-shot and fire
// only while events are pumped, never inside `sleep`.
class Clock {
public:
    using TimerId = int;
    enum class Input { Deliver, Exclude };

    virtual ~Clock() = default;

    // Milliseconds since the clock was created.
    virtual qint64 now() const = 0;

    // Waits; delivers nothing.
    virtual void sleep(int ms) = 0;

    // Runs `action` once, `ms` milliseconds from now, from a later `pump`.
    // Returns an id above 0.
    virtual TimerId startTimer(int ms, std::function<void()> action) = 0;
    virtual void cancelTimer(TimerId id) = 0;
    // Marks a timer that only refreshes what is already shown (animation frames):
    // a headless run whose input is exhausted does not wait for it.
    virtual void markBackground(TimerId /*id*/) {}
    virtual bool isTimerActive(TimerId id) const = 0;

    // Processes pending events and due timers. With Input::Exclude, user input
    // (mouse, keys, scripted input) stays queued while windows keep painting.
    virtual void pump(Input input = Input::Deliver) = 0;

    virtual bool isVirtual() const = 0;
};
