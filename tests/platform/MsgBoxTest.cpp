#include "platform/os/MsgBox.h"

#include <gtest/gtest.h>

TEST(MsgBox, ButtonsOfEachStyleInOrder) {
    using Ids = std::vector<int>;
    const std::pair<int, Ids> rows[] = {
        {MsgBox::OkOnly, {MsgBox::IdOk}},
        {MsgBox::OkCancel | MsgBox::Critical, {MsgBox::IdOk, MsgBox::IdCancel}},
        {MsgBox::AbortRetryIgnore, {MsgBox::IdAbort, MsgBox::IdRetry, MsgBox::IdIgnore}},
        {MsgBox::YesNoCancel | MsgBox::DefaultButton3,
         {MsgBox::IdYes, MsgBox::IdNo, MsgBox::IdCancel}},
        {MsgBox::YesNo, {MsgBox::IdYes, MsgBox::IdNo}},
        {MsgBox::RetryCancel, {MsgBox::IdRetry, MsgBox::IdCancel}},
        {9, {MsgBox::IdOk}}};
    for (const auto& [style, buttons] : rows) {
        EXPECT_EQ(MsgBox::buttons(style), buttons) << style;
    }
}

TEST(MsgBox, WordsAndAnswersRoundTrip) {
    for (int answer = MsgBox::IdOk; answer <= MsgBox::IdNo; ++answer) {
        const QString word = MsgBox::word(answer);
        EXPECT_FALSE(word.isEmpty()) << answer;
        EXPECT_EQ(word, word.toLower());
        EXPECT_EQ(MsgBox::answerOf(word.toUpper()), answer);
    }
    EXPECT_EQ(MsgBox::word(MsgBox::IdYes), "yes");
    EXPECT_EQ(MsgBox::word(0), QString());
    EXPECT_EQ(MsgBox::answerOf("maybe"), 0);
}
