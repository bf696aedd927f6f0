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

    // Processes pending events and due timers. With Input::Exclude, windows keep
    // painting and timers run, but user input that arrives meanwhile is discarded,
    // not kept for later: presses, pointer moves, the wheel and key presses never
    // act. Releases still pass, so nothing counts as held afterwards.
    virtual void pump(Input input = Input::Deliver) = 0;

    virtual bool isVirtual() const = 0;

    // Whether a pump with Input::Exclude is in progress, also inside whatever it runs.
    bool excludingInput() const { return excludingPumps_ > 0; }

protected:
    // Counts one pump with Input::Exclude for its lifetime; Input::Deliver counts nothing.
    class ExcludingPump {
    public:
        ExcludingPump(Clock& clock, Input input)
            : clock_(input == Input::Exclude ? &clock : nullptr) {
            if (clock_ != nullptr) {
                ++clock_->excludingPumps_;
            }
        }
        ~ExcludingPump() {
            if (clock_ != nullptr) {
                --clock_->excludingPumps_;
            }
        }
        ExcludingPump(const ExcludingPump&) = delete;
        ExcludingPump& operator=(const ExcludingPump&) = delete;

    private:
        Clock* clock_;
    };

private:
    int excludingPumps_ = 0;
};
