#include "scenario/IfBlockLowering.h"

namespace {

constexpr qsizetype kElseFirst = -1;
constexpr qsizetype kNoIf = -2;

QString Address(qsizetype index) {
    return QString::number(index);
}

}  // namespace

bool IfBlockLowering::Lower(std::vector<ScenarioRecord>& records, QString& errMsg) {
    const QString& word = records.back().Words.front();
    if (word == u"if") {
        return LowerIf(records, errMsg);
    }
    if (word == u"elseif") {
        return LowerElseIf(records, errMsg);
    }
    if (word == u"else") {
        return LowerElse(records, errMsg);
    }
    if (word == u"endif") {
        return LowerEndIf(records, errMsg);
    }
    return true;
}

// "if condition" opens a block; "if condition, target" and "if condition,
// target, target" are one-line jumps.
bool IfBlockLowering::LowerIf(std::vector<ScenarioRecord>& records, QString& errMsg) {
    QStringList& words = records.back().Words;
    switch (words.size()) {
        case 2:
            words << QString() << QString();
            open_.push_back(static_cast<qsizetype>(records.size()) - 1);
            return true;
        case 3:
            words << QString();
            return true;
        case 4:
            return true;
        default:
            errMsg = QStringLiteral("ＩＦ構文の構文エラーです。");
            return false;
    }
}

qsizetype IfBlockLowering::OpenConditional(const std::vector<ScenarioRecord>& records) const {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        const QString& word = records[static_cast<std::size_t>(*it)].Words.front();
        if (word == u"else") {
            return kElseFirst;
        }
        if (word == u"if" || word == u"elseif") {
            return *it;
        }
    }
    return kNoIf;
}

// The elseif line becomes the jump from the end of the previous branch to the
// endif, followed by the new branch's own conditional record.
bool IfBlockLowering::LowerElseIf(std::vector<ScenarioRecord>& records, QString& errMsg) {
    const QString syntaxError = QStringLiteral("ＥＬＳＥＩＦの構文エラーです。");
    if (records.back().Words.size() != 2) {
        errMsg = syntaxError;
        return false;
    }
    const qsizetype previous = OpenConditional(records);
    if (previous < 0) {
        errMsg = previous == kElseFirst ? syntaxError : QStringLiteral("elseif without if");
        return false;
    }
    const qsizetype jump = static_cast<qsizetype>(records.size()) - 1;
    const QString condition = records.back().Words[1];
    records[static_cast<std::size_t>(previous)].Words[3] = Address(jump + 1);
    records.back().Words = QStringList{QStringLiteral("go"), QString()};
    records.push_back(
        ScenarioRecord{QString(), QStringList{QStringLiteral("elseif"), condition, {}, {}}});
    open_.push_back(jump);
    open_.push_back(jump + 1);
    return true;
}

bool IfBlockLowering::LowerElse(std::vector<ScenarioRecord>& records, QString& errMsg) {
    const QString syntaxError = QStringLiteral("ＥＬＳＥの構文エラーです。");
    if (records.back().Words.size() != 1) {
        errMsg = syntaxError;
        return false;
    }
    const qsizetype previous = OpenConditional(records);
    if (previous < 0) {
        errMsg = previous == kElseFirst ? syntaxError : QStringLiteral("else without if");
        return false;
    }
    const qsizetype elseRecord = static_cast<qsizetype>(records.size()) - 1;
    records[static_cast<std::size_t>(previous)].Words[3] = Address(elseRecord + 1);
    records.back().Words = QStringList{QStringLiteral("else"), QString()};
    open_.push_back(elseRecord);
    return true;
}

// Completes every open record of the innermost block with the endif's address.
bool IfBlockLowering::LowerEndIf(std::vector<ScenarioRecord>& records, QString& errMsg) {
    if (records.back().Words.size() != 1) {
        errMsg = QStringLiteral("ＥＮＤＩＦの構文エラーです。");
        return false;
    }
    const QString endAddress = Address(static_cast<qsizetype>(records.size()) - 1);
    while (!open_.empty()) {
        QStringList& words = records[static_cast<std::size_t>(open_.back())].Words;
        open_.pop_back();
        if (words[0] == u"else") {
            words[0] = QStringLiteral("go");
            words[1] = endAddress;
        } else if (words[0] == u"go") {
            if (words[1].isEmpty()) {
                words[1] = endAddress;
            }
        } else {
            const bool blockStart = words[0] == u"if";
            words[0] = QStringLiteral("if");
            if (words[3].isEmpty()) {
                words[3] = endAddress;
            }
            if (blockStart) {
                records.back().Words = QStringList{QStringLiteral("nop")};
                return true;
            }
        }
    }
    errMsg = QStringLiteral("endif without if");
    return false;
}
