#pragma once

#include "platform/os/ModalDialogRunner.h"

// Modal dialogs of windowed runs: Qt's own nested event loop, in which the
// real clock's timers keep firing.
class QtModalDialogRunner : public ModalDialogRunner {
public:
    bool exec(QDialog& dialog) override;
};
