#include "platform/os/QtModalDialogRunner.h"

#include <QDialog>

bool QtModalDialogRunner::exec(QDialog& dialog) {
    return dialog.exec() == QDialog::Accepted;
}
