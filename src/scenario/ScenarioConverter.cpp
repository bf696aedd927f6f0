#include "scenario/ScenarioConverter.h"

#include <QStringTokenizer>
#include <algorithm>
#include <climits>

#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "platform/os/Cp932Codec.h"
#include "scenario/TextLines.h"

namespace {

const QString kNameplateKeyPrefix = QStringLiteral("item:");
// Characters that may not appear in a label.
const QString kLabelForbidden = QStringLiteral("\t: \u3000");

bool IsBlank(QChar ch) {
    return ch == u' ' || ch == u'\t';
}

// A line of nothing but blanks trims to nothing.
QStringView TrimBlanks(QStringView text) {
    while (!text.isEmpty() && IsBlank(text.front())) {
        text = text.sliced(1);
    }
    while (!text.isEmpty() && IsBlank(text.back())) {
        text.chop(1);
    }
    return text;
}

// The index that a key "item:N" names (N plain decimal, the way the key is
// written for that index), or -1.
qint64 NameplateIndex(const QString& key) {
    if (!key.startsWith(kNameplateKeyPrefix, Qt::CaseInsensitive)) {
        return -1;
    }
    const QStringView digits = QStringView(key).mid(kNameplateKeyPrefix.size());
    if (digits.isEmpty() || digits.size() > 10 || (digits.size() > 1 && digits[0] == u'0')) {
        return -1;
    }
    qint64 index = 0;
    for (QChar ch : digits) {
        if (ch < u'0' || ch > u'9') {
            return -1;
        }
        index = index * 10 + (ch.unicode() - u'0');
    }
    return index;
}

}  // namespace

// ---- settings

bool ScenarioConverter::Init(const INIFile& systemInfo) {
    const INISection* textBlock = FindSection(systemInfo, QStringLiteral("TextBlock"));
    if (textBlock == nullptr) {
        return false;
    }
    const int charCount =
        stdHelpers::LeadingInteger(textBlock->KeyValue(QStringLiteral("CharCount")));
    const int lineCount =
        stdHelpers::LeadingInteger(textBlock->KeyValue(QStringLiteral("LineCount")));
    if (charCount <= 0 || lineCount <= 0) {
        return false;
    }
    checker_.Init(charCount, lineCount,
                  ReadNameplates(FindSection(systemInfo, QStringLiteral("Nameplate"))));
    return true;
}

bool ScenarioConverter::Init(int charCount, int lineCount, const QStringList& nameplates) {
    if (charCount <= 0 || lineCount <= 0) {
        return false;
    }
    std::vector<TextBlockChecker::Nameplate> list;
    for (qsizetype i = 0; i < nameplates.size() && i < INT_MAX; ++i) {
        if (!nameplates[i].isEmpty()) {
            list.push_back({static_cast<int>(i), nameplates[i]});
        }
    }
    checker_.Init(charCount, lineCount, std::move(list));
    return true;
}

const INISection* ScenarioConverter::FindSection(const INIFile& document, const QString& name) {
    for (const auto& section : document.Sections()) {
        if (!section->Name().isEmpty() && section->Name().compare(name, Qt::CaseInsensitive) == 0) {
            return section.get();
        }
    }
    return nullptr;
}

// A setting read as a number: optional blanks and sign, then decimal digits
// (capped to the int range); anything after them is ignored, no digits give 0.
// The non-empty nameplates with an index below "Count", in index order. The
// section is read line by line so that a huge Count costs nothing; of two
// lines with the same key the first counts, as for any key lookup.
std::vector<TextBlockChecker::Nameplate> ScenarioConverter::ReadNameplates(
    const INISection* section) {
    std::vector<TextBlockChecker::Nameplate> nameplates;
    if (section == nullptr) {
        return nameplates;
    }
    const int count = stdHelpers::LeadingInteger(section->KeyValue(QStringLiteral("Count")));
    for (int line = 0; line < section->Count(); ++line) {
        const qint64 index = NameplateIndex(section->LineKey(line));
        if (index >= 0 && index < count) {
            nameplates.push_back({static_cast<int>(index), section->LineValue(line)});
        }
    }
    std::stable_sort(nameplates.begin(), nameplates.end(),
                     [](const auto& a, const auto& b) { return a.index < b.index; });
    const auto sameIndex = [](const auto& a, const auto& b) { return a.index == b.index; };
    nameplates.erase(std::unique(nameplates.begin(), nameplates.end(), sameIndex),
                     nameplates.end());
    std::erase_if(nameplates, [](const auto& nameplate) { return nameplate.text.isEmpty(); });
    return nameplates;
}

// ---- assembling

void ScenarioConverter::Reset() {
    records_.clear();
    slotLabel_.clear();
    blockOpen_ = false;
    blockText_.clear();
    blockFirstLine_ = 0;
    blockFirstSource_.clear();
    lineNumber_ = 0;
    recordLines_.clear();
    lowering_.Reset();
    errMsg_.clear();
    errLine_ = 0;
    errSource_.clear();
}

bool ScenarioConverter::Assemble(const QString& text) {
    Reset();
    if (!text.isEmpty()) {
        for (const QStringView source : TextLines::Split(text)) {
            ++lineNumber_;
            const bool read = ReadLine(source);
            recordLines_.resize(records_.size(), SourceLine{lineNumber_, source});
            if (!read) {
                records_.clear();
                recordLines_.clear();
                return false;
            }
        }
        const bool finished = FinishText();
        if (!finished) {
            recordLines_.clear();
            records_.clear();
            return false;
        }
    }
    if (records_.empty()) {
        Append(QStringList{QStringLiteral("nop")});
    }
    programLines_.clear();
    for (const SourceLine& line : recordLines_) {
        programLines_.push_back(line.number);
    }
    programLines_.resize(records_.size(), lineNumber_);
    recordLines_.clear();
    program_ = std::move(records_);
    records_.clear();
    return true;
}

bool ScenarioConverter::ReadLine(QStringView source) {
    const qsizetype comment = source.indexOf(u"//");
    QStringView instruction = TrimBlanks(comment < 0 ? source : source.left(comment));
    const qsizetype colon = instruction.indexOf(u':');
    if (colon >= 0) {
        if (!TakeLabel(instruction.left(colon))) {
            return Fail(lineNumber_, source,
                        QStringLiteral("ラベル内に無効な文字が含まれています。"));
        }
        instruction = TrimBlanks(instruction.mid(colon + 1));
    }
    if (instruction.isEmpty()) {
        return true;
    }
    if (IsTextLine(instruction)) {
        return ReadTextLine(instruction, source);
    }
    if (blockOpen_) {
        return Fail(lineNumber_, source,
                    QStringLiteral("字幕省略構文でブロック終端がありません。"));
    }
    if (!ReadCommandLine(instruction)) {
        return Fail(lineNumber_, source, errMsg_);
    }
    return true;
}

// A second label before any instruction gives the first one a nop of its own.
bool ScenarioConverter::TakeLabel(QStringView label) {
    if (std::any_of(label.begin(), label.end(),
                    [](QChar ch) { return kLabelForbidden.contains(ch); })) {
        return false;
    }
    if (!slotLabel_.isEmpty()) {
        Append(QStringList{QStringLiteral("nop")});
    }
    slotLabel_ = label.toString().toLower();
    return true;
}

bool ScenarioConverter::IsTextLine(QStringView instruction) {
    const QChar first = instruction.front();
    return first == u'\\' || Cp932Codec::byteLength(first.unicode()) == 2;
}

// Text lines accumulate without separator until the line ending in "\b".
bool ScenarioConverter::ReadTextLine(QStringView instruction, QStringView source) {
    if (!blockOpen_) {
        blockOpen_ = true;
        blockText_.clear();
        blockFirstLine_ = lineNumber_;
        blockFirstSource_ = source.toString();
    }
    if (!instruction.endsWith(u"\\b")) {
        blockText_ += instruction;
        return true;
    }
    blockText_ += instruction.chopped(2);
    blockOpen_ = false;
    QString wrapped;
    QString message;
    if (!checker_.Check(blockText_, wrapped, message)) {
        return Fail(lineNumber_, source, message);
    }
    blockText_.clear();
    Append(QStringList{QStringLiteral("put"), u'"' + wrapped + u'"'});
    return true;
}

// "word arg, arg, ...": TABs count as spaces; a line without arguments has
// only its word. The instruction comes trimmed.
bool ScenarioConverter::ReadCommandLine(QStringView instruction) {
    const auto blank = std::find_if(instruction.begin(), instruction.end(), IsBlank);
    const auto wordLength = static_cast<qsizetype>(blank - instruction.begin());
    QStringList words{instruction.left(wordLength).toString().toLower()};
    if (wordLength < instruction.size()) {
        for (const QStringView argument :
             qTokenize(TrimBlanks(instruction.mid(wordLength)), u',')) {
            words << StoredArgument(argument);
        }
    }
    Append(std::move(words));
    return lowering_.Lower(records_, errMsg_);
}

// Text in double quotes keeps its letter case, full-width-only text gets
// quotes, anything else is lower-cased.
QString ScenarioConverter::StoredArgument(QStringView argument) {
    QString value = TrimBlanks(argument).toString();
    value.replace(u'\t', u' ');
    if (value.isEmpty()) {
        return value;
    }
    if (stdHelpers::IsDoubleByteText(value)) {
        return u'"' + value + u'"';
    }
    if (value.startsWith(u'"') && value.endsWith(u'"')) {
        return value;
    }
    return std::move(value).toLower();
}

bool ScenarioConverter::FinishText() {
    // A block never closed would lose its text silently; it is reported at
    // the line that opened it.
    if (blockOpen_) {
        return Fail(blockFirstLine_, blockFirstSource_,
                    QStringLiteral("字幕省略構文でブロック終端がありません。"));
    }
    if (lowering_.HasOpenBlock()) {
        // Reported at the source line of the oldest open record: the records of a
        // block outnumber its lines, so an address would be no line at all.
        const SourceLine& open =
            recordLines_[static_cast<std::size_t>(lowering_.FirstOpenRecord())];
        return Fail(open.number, open.text, QStringLiteral("if without endif"));
    }
    if (!slotLabel_.isEmpty()) {
        Append(QStringList{QStringLiteral("nop")});
    }
    return true;
}

void ScenarioConverter::Append(QStringList words) {
    records_.push_back(ScenarioRecord{slotLabel_, std::move(words)});
    slotLabel_.clear();
}

bool ScenarioConverter::Fail(qint64 line, QStringView source, const QString& message) {
    errMsg_ = message;
    errLine_ = line;
    errSource_ = source.toString();
    return false;
}

// ---- output

QString ScenarioConverter::ErrorReport(const QString& name) const {
    return QStringLiteral("シナリオアセンブルエラー  ") + name + QStringLiteral(" . ") +
           QString::number(errLine_) + QStringLiteral("\r\n") + errSource_ +
           QStringLiteral("\r\n") + errMsg_;
}

QString ScenarioConverter::RegularScript() const {
    qsizetype size = 0;
    for (const ScenarioRecord& record : program_) {
        size += record.Label.size() + 3;
        for (const QString& word : record.Words) {
            size += word.size() + 1;
        }
    }
    QString script;
    script.reserve(size);
    for (const ScenarioRecord& record : program_) {
        if (&record != &program_.front()) {
            script += u"\r\n";
        }
        if (!record.Label.isEmpty()) {
            script += record.Label;
            script += u':';
        }
        for (qsizetype i = 0; i < record.Words.size(); ++i) {
            if (i > 0) {
                script += u'\t';
            }
            script += record.Words[i];
        }
    }
    return script;
}
