#pragma once

#include <QMessageBox>
#include <memory>

#include "platform/os/MessageBoxPresenter.h"

// Real modal message boxes for windowed runs, centred on their owner.
class QtMessageBoxPresenter : public MessageBoxPresenter {
public:
    int show(const QString& prompt, int style, const QString& title, QWidget* owner) override;

    // The box `show` runs, built but not shown: the style's buttons in order, its
    // icon and default button; Escape and closing press Cancel when the box has
    // one, otherwise the button Qt picks (the only one, or No).
    static std::unique_ptr<QMessageBox> build(const QString& prompt, int style,
                                              const QString& title, QWidget* owner);

    static QMessageBox::StandardButton standardButtonOf(int answer);
    static int answerOf(QMessageBox::StandardButton button);
    static QMessageBox::Icon iconOf(int style);
};
