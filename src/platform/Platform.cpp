#include "platform/Platform.h"

#include "platform/os/QtModalDialogRunner.h"
#include "platform/os/VirtualClock.h"
#include "platform/os/VirtualModalDialogRunner.h"

namespace {

std::unique_ptr<ModalDialogRunner> DialogRunnerFor(Clock& clock) {
    if (auto* virtualClock = dynamic_cast<VirtualClock*>(&clock)) {
        return std::make_unique<VirtualModalDialogRunner>(*virtualClock);
    }
    return std::make_unique<QtModalDialogRunner>();
}

}  // namespace

Platform::Platform(std::unique_ptr<Clock> clock, std::unique_ptr<MessageBoxPresenter> boxes)
    : clock_(std::move(clock)),
      boxes_(std::move(boxes)),
      trace_(std::make_unique<TraceSink>(*clock_)),
      dialogs_(DialogRunnerFor(*clock_)) {}

// Presenters may write to the trace and the trace reads the clock: tear down in that order.
Platform::~Platform() {
    dialogs_.reset();
    boxes_.reset();
    trace_.reset();
    clock_.reset();
}

void Platform::setMessageBoxes(std::unique_ptr<MessageBoxPresenter> boxes) {
    boxes_ = std::move(boxes);
}
