#pragma once

#include <QString>

class QDialog;
class clsGameView;

// Shows the engine's dialogs modally through the platform's modal loop.
class ModalDialog {
public:
    // Opens a dialog over the game window: the game view takes no input while
    // it is open (its former state comes back after), mode changes and the
    // shutdown wait for it, and the trace records "dialog open NAME" and
    // "dialog close NAME ok|cancel". True when the dialog was accepted.
    static bool RunOverGame(QDialog& dialog, const QString& name, clsGameView& view);
    // Runs a dialog opened from another dialog; true when it was accepted.
    static bool Run(QDialog& dialog);

private:
    static void Trace(const QString& event);
};
