#pragma once

#include <QString>
#include <deque>

#include "platform/os/MessageBoxPresenter.h"

class TraceSink;

// Message boxes of headless runs: answers come from the input script, in order.
// Each box takes the next queued answer when it is one of its buttons, else its
// default button. A queued answer that does not fit the box (or is no answer
// word at all) is used up all the same, so the script stays in step with the
// boxes it was written for. Every box writes `msgbox "TEXT" -> ANSWER` to the trace.
class ScriptedMessageBoxPresenter : public MessageBoxPresenter {
public:
    explicit ScriptedMessageBoxPresenter(TraceSink& trace);

    // yes, no, ok, cancel, abort, retry or ignore (any letter case).
    void queueAnswer(const QString& word);
    qsizetype queuedAnswers() const { return static_cast<qsizetype>(answers_.size()); }

    int show(const QString& prompt, int style, const QString& title, QWidget* owner) override;

private:
    int takeAnswer(int style);

    TraceSink& trace_;
    std::deque<QString> answers_;
};
