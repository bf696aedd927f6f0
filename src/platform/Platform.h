#pragma once

#include <memory>

#include "platform/os/Clock.h"
#include "platform/os/MessageBoxPresenter.h"
#include "platform/os/ModalDialogRunner.h"
#include "platform/os/TraceSink.h"

// The operating-system services of one run: its clock, its message boxes, its
// modal dialog loop and its trace. A windowed run has the real clock, Qt message
// boxes and Qt's modal loop; a headless run the virtual clock, scripted answers
// and a modal loop that moves the virtual clock on.
class Platform {
public:
    // `boxes` may be null when the presenter needs this platform's trace: set it
    // with setMessageBoxes before any box is shown.
    Platform(std::unique_ptr<Clock> clock, std::unique_ptr<MessageBoxPresenter> boxes);
    ~Platform();

    Clock& clock() { return *clock_; }
    MessageBoxPresenter& messageBoxes() { return *boxes_; }
    TraceSink& trace() { return *trace_; }
    // Chosen by the clock: the virtual clock's loop, else Qt's.
    ModalDialogRunner& modalDialogs() { return *dialogs_; }

    void setMessageBoxes(std::unique_ptr<MessageBoxPresenter> boxes);

private:
    std::unique_ptr<Clock> clock_;
    std::unique_ptr<MessageBoxPresenter> boxes_;
    std::unique_ptr<TraceSink> trace_;
    std::unique_ptr<ModalDialogRunner> dialogs_;
};
