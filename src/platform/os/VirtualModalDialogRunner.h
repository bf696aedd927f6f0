#pragma once

#include "platform/os/ModalDialogRunner.h"

class VirtualClock;

// Modal dialogs of headless runs: the dialog's loop moves the virtual clock on,
// so timers and scripted input keep coming while it is open. A dialog that is
// still open when no scripted input is left is cancelled, as its close box
// would: a script never hangs on a dialog it does not answer.
class VirtualModalDialogRunner : public ModalDialogRunner {
public:
    explicit VirtualModalDialogRunner(VirtualClock& clock);
    bool exec(QDialog& dialog) override;

private:
    VirtualClock& clock_;
};
