#include <gtest/gtest.h>

#include "platform/os/MsgBox.h"

TEST(MsgBox, ButtonsOfEachStyleInOrder) {
    EXPECT_EQ(MsgBox::buttons(MsgBox::OkOnly), std::vector<int>{MsgBox::IdOk});
    EXPECT_EQ(MsgBox::buttons(MsgBox::OkCancel | MsgBox::Critical),
              (std::vector<int>{MsgBox::IdOk, MsgBox::IdCancel}));
    EXPECT_EQ(MsgBox::buttons(MsgBox::AbortRetryIgnore),
              (std::vector<int>{MsgBox::IdAbort, MsgBox::IdRetry, MsgBox::IdIgnore}));
    EXPECT_EQ(MsgBox::buttons(MsgBox::YesNoCancel | MsgBox::DefaultButton3),
              (std::vector<int>{MsgBox::IdYes, MsgBox::IdNo, MsgBox::IdCancel}));
    EXPECT_EQ(MsgBox::buttons(MsgBox::YesNo), (std::vector<int>{MsgBox::IdYes, MsgBox::IdNo}));
    EXPECT_EQ(MsgBox::buttons(MsgBox::RetryCancel),
              (std::vector<int>{MsgBox::IdRetry, MsgBox::IdCancel}));
    EXPECT_EQ(MsgBox::buttons(9), std::vector<int>{MsgBox::IdOk});
}

TEST(MsgBox, WordsAndAnswersRoundTrip) {
    for (int answer = MsgBox::IdOk; answer <= MsgBox::IdNo; ++answer) {
        const QString word = MsgBox::word(answer);
        EXPECT_FALSE(word.isEmpty()) << answer;
        EXPECT_EQ(word, word.toLower());
        EXPECT_EQ(MsgBox::answerOf(word.toUpper()), answer);
    }
    EXPECT_EQ(MsgBox::word(MsgBox::IdYes), QStringLiteral("yes"));
    EXPECT_EQ(MsgBox::word(0), QString());
    EXPECT_EQ(MsgBox::answerOf(QStringLiteral("maybe")), 0);
}
