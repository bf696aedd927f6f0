#include "dialogs/ModalDialog.h"

#include <QDialog>

#include "base/AppState.h"
#include "base/EngineWait.h"
#include "platform/Platform.h"
#include "screen/clsGameView.h"

bool ModalDialog::RunOverGame(QDialog& dialog, const QString& name, clsGameView& view) {
    const bool inputWasOn = view.EventEnabled();
    view.SetEventEnabled(false);
    Trace(QStringLiteral("dialog open ") + name);
    bool accepted = false;
    {
        const EngineWait wait;
        accepted = Run(dialog);
    }
    Trace(QStringLiteral("dialog close ") + name +
          (accepted ? QStringLiteral(" ok") : QStringLiteral(" cancel")));
    view.SetEventEnabled(inputWasOn);
    return accepted;
}

bool ModalDialog::Run(QDialog& dialog) {
    if (App().platform == nullptr) {
        return dialog.exec() == QDialog::Accepted;
    }
    return App().platform->modalDialogs().exec(dialog);
}

void ModalDialog::Trace(const QString& event) {
    if (App().platform != nullptr) {
        App().platform->trace().write(event);
    }
}
