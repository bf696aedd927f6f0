#pragma once

#include <memory>

#include "platform/os/Clock.h"
#include "platform/os/MessageBoxPresenter.h"
#include "platform/os/TraceSink.h"

// The operating-system services of one run: its clock, its message boxes and its
// trace. A windowed run has the real clock and Qt message boxes; a headless run
// the virtual clock and scripted answers.
class Platform {
public:
    // `boxes` may be null when the presenter needs this platform's trace: set it
    // with setMessageBoxes before any box is shown.
    Platform(std::unique_ptr<Clock> clock, std::unique_ptr<MessageBoxPresenter> boxes);
    ~Platform();

    Clock& clock() { return *clock_; }
    MessageBoxPresenter& messageBoxes() { return *boxes_; }
    TraceSink& trace() { return *trace_; }

    void setMessageBoxes(std::unique_ptr<MessageBoxPresenter> boxes);

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<MessageBoxPresenter> boxes_;
    std::unique_ptr<TraceSink> trace_;
};
