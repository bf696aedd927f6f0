#include "platform/os/QtMessageBoxPresenter.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QPushButton>
#include <algorithm>

#include "platform/os/MsgBox.h"

TEST(QtMessageBoxPresenter, BoxHasTheStyleButtonsAndDefault) {
    const auto box = QtMessageBoxPresenter::build(
        "Save?", MsgBox::YesNoCancel | MsgBox::Question | MsgBox::DefaultButton2, "Varo", nullptr);
    EXPECT_EQ(box->text(), "Save?");
    EXPECT_EQ(box->windowTitle(), "Varo");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    const auto answer = [&](QAbstractButton* button) {
        return QtMessageBoxPresenter::answerOf(box->standardButton(button));
    };
    std::vector<int> answers;
    for (QAbstractButton* button : box->buttons()) {
        answers.push_back(answer(button));
    }
    std::sort(answers.begin(), answers.end());
    EXPECT_EQ(answers, std::vector<int>({MsgBox::IdCancel, MsgBox::IdYes, MsgBox::IdNo}));
    EXPECT_EQ(answer(box->defaultButton()), MsgBox::IdNo);
    EXPECT_EQ(answer(box->escapeButton()), MsgBox::IdCancel);
}

TEST(QtMessageBoxPresenter, AnswersMapBothWaysAndIconsFollowTheStyle) {
    for (int answer = MsgBox::IdOk; answer <= MsgBox::IdNo; ++answer) {
        EXPECT_EQ(QtMessageBoxPresenter::answerOf(QtMessageBoxPresenter::standardButtonOf(answer)),
                  answer);
    }
    const std::pair<int, QMessageBox::Icon> icons[] = {
        {MsgBox::OkOnly, QMessageBox::NoIcon},
        {MsgBox::Critical | MsgBox::YesNo, QMessageBox::Critical},
        {MsgBox::Exclamation, QMessageBox::Warning},
        {MsgBox::Information | MsgBox::DefaultButton2, QMessageBox::Information}};
    for (const auto& [style, icon] : icons) {
        EXPECT_EQ(QtMessageBoxPresenter::iconOf(style), icon) << style;
    }
}
