#include <gtest/gtest.h>

#include "platform/os/MsgBox.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/TraceSink.h"
#include "platform/os/VirtualClock.h"

namespace {

class ScriptedBoxes : public ::testing::Test {
protected:
    ScriptedBoxes() { trace.keepInMemory(true); }

    int ask(int style, const QString& text = QStringLiteral("Q")) {
        return boxes.show(text, style, QStringLiteral("title"), nullptr);
    }

    VirtualClock clock;
    TraceSink trace{clock};
    ScriptedMessageBoxPresenter boxes{trace};
};

}  // namespace

TEST_F(ScriptedBoxes, WithoutAnswersTheDefaultButtonIsPressed) {
    EXPECT_EQ(ask(MsgBox::OkOnly), MsgBox::IdOk);
    EXPECT_EQ(ask(MsgBox::YesNo | MsgBox::Question), MsgBox::IdYes);
    EXPECT_EQ(ask(MsgBox::YesNo | MsgBox::DefaultButton2), MsgBox::IdNo);
    EXPECT_EQ(ask(MsgBox::YesNoCancel | MsgBox::DefaultButton3), MsgBox::IdCancel);
    EXPECT_EQ(ask(MsgBox::AbortRetryIgnore | MsgBox::DefaultButton2), MsgBox::IdRetry);
    EXPECT_EQ(ask(MsgBox::RetryCancel | MsgBox::DefaultButton2), MsgBox::IdCancel);
    // A default beyond the box's buttons falls back to the first.
    EXPECT_EQ(ask(MsgBox::OkCancel | MsgBox::DefaultButton3), MsgBox::IdOk);
    EXPECT_EQ(ask(MsgBox::OkOnly | MsgBox::DefaultButton2), MsgBox::IdOk);
}

TEST_F(ScriptedBoxes, QueuedAnswersAreTakenInOrder) {
    boxes.queueAnswer(QStringLiteral("no"));
    boxes.queueAnswer(QStringLiteral("CANCEL"));
    boxes.queueAnswer(QStringLiteral("ignore"));
    EXPECT_EQ(boxes.queuedAnswers(), 3);
    EXPECT_EQ(ask(MsgBox::YesNo), MsgBox::IdNo);
    EXPECT_EQ(ask(MsgBox::OkCancel), MsgBox::IdCancel);
    EXPECT_EQ(ask(MsgBox::AbortRetryIgnore), MsgBox::IdIgnore);
    EXPECT_EQ(boxes.queuedAnswers(), 0);
    EXPECT_EQ(ask(MsgBox::YesNoCancel | MsgBox::DefaultButton2), MsgBox::IdNo);
}

TEST_F(ScriptedBoxes, AnswerThatDoesNotFitIsUsedUpAndTheDefaultTaken) {
    boxes.queueAnswer(QStringLiteral("cancel"));
    boxes.queueAnswer(QStringLiteral("maybe"));
    boxes.queueAnswer(QStringLiteral("no"));
    EXPECT_EQ(ask(MsgBox::YesNo | MsgBox::DefaultButton2), MsgBox::IdNo);
    EXPECT_EQ(ask(MsgBox::OkCancel), MsgBox::IdOk);
    EXPECT_EQ(boxes.queuedAnswers(), 1);
    EXPECT_EQ(ask(MsgBox::YesNo), MsgBox::IdNo);
}

TEST_F(ScriptedBoxes, EveryBoxIsTracedWithItsAnswerAndTime) {
    boxes.queueAnswer(QStringLiteral("No"));
    ask(MsgBox::YesNo, QStringLiteral("Quit the game?"));
    clock.sleep(1500);
    ask(MsgBox::OkOnly | MsgBox::Exclamation, QStringLiteral("File missing:\r\ncg01.png"));
    const QStringList expected{QStringLiteral("t=0 msgbox \"Quit the game?\" -> no"),
                               QStringLiteral("t=1500 msgbox \"File missing:\\ncg01.png\" -> ok")};
    EXPECT_EQ(trace.lines(), expected);
}
