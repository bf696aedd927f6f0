#include "platform/os/ScriptedMessageBoxPresenter.h"

#include <gtest/gtest.h>

#include "platform/os/MsgBox.h"
#include "platform/os/TraceSink.h"
#include "platform/os/VirtualClock.h"

namespace {

class ScriptedBoxes : public ::testing::Test {
protected:
    ScriptedBoxes() { trace.keepInMemory(true); }
    int ask(int style, const QString& text = "Q") {
        return boxes.show(text, style, "title", nullptr);
    }
    VirtualClock clock;
    TraceSink trace{clock};
    ScriptedMessageBoxPresenter boxes{trace};
};

}  // namespace

TEST_F(ScriptedBoxes, WithoutAnswersTheDefaultButtonIsPressed) {
    // A default beyond the box's buttons falls back to the first.
    const std::pair<int, int> rows[] = {
        {MsgBox::OkOnly, MsgBox::IdOk},
        {MsgBox::YesNo | MsgBox::Question, MsgBox::IdYes},
        {MsgBox::YesNo | MsgBox::DefaultButton2, MsgBox::IdNo},
        {MsgBox::YesNoCancel | MsgBox::DefaultButton3, MsgBox::IdCancel},
        {MsgBox::AbortRetryIgnore | MsgBox::DefaultButton2, MsgBox::IdRetry},
        {MsgBox::RetryCancel | MsgBox::DefaultButton2, MsgBox::IdCancel},
        {MsgBox::OkCancel | MsgBox::DefaultButton3, MsgBox::IdOk},
        {MsgBox::OkOnly | MsgBox::DefaultButton2, MsgBox::IdOk}};
    for (const auto& [style, answer] : rows) {
        EXPECT_EQ(ask(style), answer) << style;
    }
}

TEST_F(ScriptedBoxes, QueuedAnswersAreTakenInOrderAndOneThatDoesNotFitIsUsedUp) {
    for (const char* answer : {"no", "CANCEL", "ignore", "maybe", "no"}) {
        boxes.queueAnswer(answer);
    }
    EXPECT_EQ(boxes.queuedAnswers(), 5);
    EXPECT_EQ(ask(MsgBox::YesNo), MsgBox::IdNo);
    EXPECT_EQ(ask(MsgBox::OkCancel), MsgBox::IdCancel);
    EXPECT_EQ(ask(MsgBox::AbortRetryIgnore), MsgBox::IdIgnore);
    EXPECT_EQ(ask(MsgBox::YesNo), MsgBox::IdYes);    // "maybe" is no answer: the default
    EXPECT_EQ(ask(MsgBox::OkCancel), MsgBox::IdOk);  // "no" does not fit: the default
    EXPECT_EQ(boxes.queuedAnswers(), 0);
    EXPECT_EQ(ask(MsgBox::YesNoCancel | MsgBox::DefaultButton2), MsgBox::IdNo);
}

TEST_F(ScriptedBoxes, EveryBoxIsTracedWithItsAnswerAndTime) {
    boxes.queueAnswer("No");
    ask(MsgBox::YesNo, "Quit the game?");
    clock.sleep(1500);
    ask(MsgBox::OkOnly | MsgBox::Exclamation, "File missing:\r\ncg01.png");
    EXPECT_EQ(trace.lines(), QStringList({"t=0 msgbox \"Quit the game?\" -> no",
                                          "t=1500 msgbox \"File missing:\\ncg01.png\" -> ok"}));
}
