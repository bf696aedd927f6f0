#include "platform/os/ScriptedMessageBoxPresenter.h"

#include <algorithm>

#include "platform/os/MsgBox.h"
#include "platform/os/TraceSink.h"

ScriptedMessageBoxPresenter::ScriptedMessageBoxPresenter(TraceSink& trace) : trace_(trace) {}

void ScriptedMessageBoxPresenter::queueAnswer(const QString& word) {
    answers_.push_back(word);
}

int ScriptedMessageBoxPresenter::show(const QString& prompt, int style, const QString&, QWidget*) {
    const int answer = takeAnswer(style);
    trace_.write(QStringLiteral("msgbox \"") + prompt + QStringLiteral("\" -> ") +
                 MsgBox::word(answer));
    return answer;
}

int ScriptedMessageBoxPresenter::takeAnswer(int style) {
    if (answers_.empty()) {
        return MsgBox::defaultAnswer(style);
    }
    const int queued = MsgBox::answerOf(answers_.front());
    answers_.pop_front();
    const std::vector<int> buttons = MsgBox::buttons(style);
    const bool fits = std::find(buttons.begin(), buttons.end(), queued) != buttons.end();
    return fits ? queued : MsgBox::defaultAnswer(style);
}
