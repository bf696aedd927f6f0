#include "platform/os/VirtualModalDialogRunner.h"

#include <QDialog>

#include "platform/os/VirtualClock.h"

VirtualModalDialogRunner::VirtualModalDialogRunner(VirtualClock& clock) : clock_(clock) {}

bool VirtualModalDialogRunner::exec(QDialog& dialog) {
    dialog.setResult(QDialog::Rejected);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    while (dialog.isVisible()) {
        if (!clock_.hasPendingInput()) {
            dialog.reject();
            break;
        }
        clock_.step();
    }
    return dialog.result() == QDialog::Accepted;
}
