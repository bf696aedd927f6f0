#include "platform/os/MsgBox.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<int, const char*>, 7> kWords{{
    {MsgBox::IdOk, "ok"},
    {MsgBox::IdCancel, "cancel"},
    {MsgBox::IdAbort, "abort"},
    {MsgBox::IdRetry, "retry"},
    {MsgBox::IdIgnore, "ignore"},
    {MsgBox::IdYes, "yes"},
    {MsgBox::IdNo, "no"},
}};

}  // namespace

std::vector<int> MsgBox::buttons(int style) {
    switch (style & ButtonMask) {
        case OkCancel:
            return {IdOk, IdCancel};
        case AbortRetryIgnore:
            return {IdAbort, IdRetry, IdIgnore};
        case YesNoCancel:
            return {IdYes, IdNo, IdCancel};
        case YesNo:
            return {IdYes, IdNo};
        case RetryCancel:
            return {IdRetry, IdCancel};
        default:
            return {IdOk};
    }
}

int MsgBox::defaultAnswer(int style) {
    const std::vector<int> answers = buttons(style);
    std::size_t index = 0;
    if ((style & DefaultMask) == DefaultButton2) {
        index = 1;
    } else if ((style & DefaultMask) == DefaultButton3) {
        index = 2;
    }
    return index < answers.size() ? answers[index] : answers.front();
}

QString MsgBox::word(int answer) {
    for (const auto& [id, text] : kWords) {
        if (id == answer) {
            return QString::fromLatin1(text);
        }
    }
    return QString();
}

int MsgBox::answerOf(const QString& word) {
    for (const auto& [id, text] : kWords) {
        if (word.compare(QLatin1String(text), Qt::CaseInsensitive) == 0) {
            return id;
        }
    }
    return 0;
}
