#include "platform/Platform.h"

Platform::Platform(std::unique_ptr<Clock> clock, std::unique_ptr<MessageBoxPresenter> boxes)
    : clock_(std::move(clock)),
      boxes_(std::move(boxes)),
      trace_(std::make_unique<TraceSink>(*clock_)) {}

// Presenters may write to the trace and the trace reads the clock: tear down in that order.
Platform::~Platform() {
    boxes_.reset();
    trace_.reset();
    clock_.reset();
}

void Platform::setMessageBoxes(std::unique_ptr<MessageBoxPresenter> boxes) {
    boxes_ = std::move(boxes);
}
