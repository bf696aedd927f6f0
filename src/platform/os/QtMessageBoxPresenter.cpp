#include "platform/os/QtMessageBoxPresenter.h"

#include <QAbstractButton>
#include <QPushButton>

#include "platform/os/MsgBox.h"

int QtMessageBoxPresenter::show(const QString& prompt, int style, const QString& title,
                                QWidget* owner) {
    const std::unique_ptr<QMessageBox> box = build(prompt, style, title, owner);
    box->exec();
    QAbstractButton* pressed = box->clickedButton();
    if (pressed == nullptr) {
        return MsgBox::defaultAnswer(style);
    }
    return answerOf(box->standardButton(pressed));
}

std::unique_ptr<QMessageBox> QtMessageBoxPresenter::build(const QString& prompt, int style,
                                                          const QString& title, QWidget* owner) {
    auto box = std::make_unique<QMessageBox>(owner);
    box->setWindowTitle(title);
    box->setText(prompt);
    box->setIcon(iconOf(style));
    for (int answer : MsgBox::buttons(style)) {
        QPushButton* button = box->addButton(standardButtonOf(answer));
        if (answer == MsgBox::defaultAnswer(style)) {
            box->setDefaultButton(button);
        }
        if (answer == MsgBox::IdCancel) {
            box->setEscapeButton(button);
        }
    }
    return box;
}

QMessageBox::StandardButton QtMessageBoxPresenter::standardButtonOf(int answer) {
    switch (answer) {
        case MsgBox::IdCancel:
            return QMessageBox::Cancel;
        case MsgBox::IdAbort:
            return QMessageBox::Abort;
        case MsgBox::IdRetry:
            return QMessageBox::Retry;
        case MsgBox::IdIgnore:
            return QMessageBox::Ignore;
        case MsgBox::IdYes:
            return QMessageBox::Yes;
        case MsgBox::IdNo:
            return QMessageBox::No;
        default:
            return QMessageBox::Ok;
    }
}

int QtMessageBoxPresenter::answerOf(QMessageBox::StandardButton button) {
    switch (button) {
        case QMessageBox::Cancel:
            return MsgBox::IdCancel;
        case QMessageBox::Abort:
            return MsgBox::IdAbort;
        case QMessageBox::Retry:
            return MsgBox::IdRetry;
        case QMessageBox::Ignore:
            return MsgBox::IdIgnore;
        case QMessageBox::Yes:
            return MsgBox::IdYes;
        case QMessageBox::No:
            return MsgBox::IdNo;
        default:
            return MsgBox::IdOk;
    }
}

QMessageBox::Icon QtMessageBoxPresenter::iconOf(int style) {
    switch (style & MsgBox::IconMask) {
        case MsgBox::Critical:
            return QMessageBox::Critical;
        case MsgBox::Question:
            return QMessageBox::Question;
        case MsgBox::Exclamation:
            return QMessageBox::Warning;
        case MsgBox::Information:
            return QMessageBox::Information;
        default:
            return QMessageBox::NoIcon;
    }
}
