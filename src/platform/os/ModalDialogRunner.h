#pragma once

class QDialog;

// Runs a dialog modally: shows it over the application's windows and returns
// once it has closed, with whether it was accepted.
class ModalDialogRunner {
public:
    virtual ~ModalDialogRunner() = default;
    virtual bool exec(QDialog& dialog) = 0;
};
