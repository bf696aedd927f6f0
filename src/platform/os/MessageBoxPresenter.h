#pragma once

#include <QString>

class QWidget;

// Shows one message to the player and returns the button pressed (MsgBox::Id...).
// `style` holds MsgBox button, icon and default-button bits; `owner` (may be null)
// is the window the box is centred on.
class MessageBoxPresenter {
public:
    virtual ~MessageBoxPresenter() = default;
    virtual int show(const QString& prompt, int style, const QString& title, QWidget* owner) = 0;
};
