#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <algorithm>

#include "platform/os/MsgBox.h"
#include "platform/os/QtMessageBoxPresenter.h"

namespace {

std::vector<int> answersOnBox(const QMessageBox& box) {
    std::vector<int> answers;
    for (QAbstractButton* button : box.buttons()) {
        answers.push_back(QtMessageBoxPresenter::answerOf(box.standardButton(button)));
    }
    std::sort(answers.begin(), answers.end());
    return answers;
}

int answerOfButton(const QMessageBox& box, QAbstractButton* button) {
    return button == nullptr ? 0 : QtMessageBoxPresenter::answerOf(box.standardButton(button));
}

}  // namespace

TEST(QtMessageBoxPresenter, BoxHasTheStyleButtonsAndDefault) {
    const auto box = QtMessageBoxPresenter::build(
        QStringLiteral("Save?"), MsgBox::YesNoCancel | MsgBox::Question | MsgBox::DefaultButton2,
        QStringLiteral("Varo"), nullptr);
    EXPECT_EQ(box->text(), QStringLiteral("Save?"));
    EXPECT_EQ(box->windowTitle(), QStringLiteral("Varo"));
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    const std::vector<int> expected{MsgBox::IdCancel, MsgBox::IdYes, MsgBox::IdNo};
    EXPECT_EQ(answersOnBox(*box), expected);
    EXPECT_EQ(answerOfButton(*box, box->defaultButton()), MsgBox::IdNo);
    EXPECT_EQ(answerOfButton(*box, box->escapeButton()), MsgBox::IdCancel);
}

TEST(QtMessageBoxPresenter, EveryStandardAnswerMapsBothWays) {
    for (int answer = MsgBox::IdOk; answer <= MsgBox::IdNo; ++answer) {
        EXPECT_EQ(QtMessageBoxPresenter::answerOf(QtMessageBoxPresenter::standardButtonOf(answer)),
                  answer);
    }
}

TEST(QtMessageBoxPresenter, IconsFollowTheStyle) {
    EXPECT_EQ(QtMessageBoxPresenter::iconOf(MsgBox::OkOnly), QMessageBox::NoIcon);
    EXPECT_EQ(QtMessageBoxPresenter::iconOf(MsgBox::Critical | MsgBox::YesNo),
              QMessageBox::Critical);
    EXPECT_EQ(QtMessageBoxPresenter::iconOf(MsgBox::Exclamation), QMessageBox::Warning);
    EXPECT_EQ(QtMessageBoxPresenter::iconOf(MsgBox::Information | MsgBox::DefaultButton2),
              QMessageBox::Information);
}
