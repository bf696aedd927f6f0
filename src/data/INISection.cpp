#include "data/INISection.h"

namespace {

constexpr QLatin1String kLineBreak("\r\n");

bool IsBlank(QChar ch) {
    return ch == u' ' || ch == u'\t';
}

}  // namespace

INISection::Line::Line(const Line& other)
    : text(other.text),
      record(other.record ? std::make_unique<LineRecord>(*other.record) : nullptr),
      condition(other.condition) {}

INISection::Line& INISection::Line::operator=(const Line& other) {
    if (this != &other) {
        text = other.text;
        record = other.record ? std::make_unique<LineRecord>(*other.record) : nullptr;
        condition = other.condition;
    }
    return *this;
}

INISection::INISection() {
    ResetToEmptyLine();
}

// ---- name

QString INISection::NameFullText() const {
    return namePrefix_ + nameContent_ + nameSuffix_;
}

void INISection::SetNameFullText(const QString& line) {
    namePrefix_.clear();
    nameContent_.clear();
    nameSuffix_.clear();
    QString prefix, content, suffix;
    if (!ParseHeader(line, prefix, content, suffix)) {
        return;
    }
    namePrefix_ = std::move(prefix);
    nameContent_ = std::move(content);
    nameSuffix_ = std::move(suffix);
}

bool INISection::ParseHeader(QStringView line, QString& prefix, QString& content, QString& suffix) {
    enum class State { BeforeOpen, InName, AfterClose };
    State state = State::BeforeOpen;
    qsizetype open = -1;
    qsizetype close = -1;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (state == State::BeforeOpen) {
            if (ch == u'[') {
                open = i;
                state = State::InName;
            } else if (!IsBlank(ch)) {
                return false;
            }
        } else if (state == State::InName) {
            if (ch == u';' || ch == u'[') {
                return false;
            }
            if (ch == u']') {
                close = i;
                state = State::AfterClose;
            }
        } else if (ch == u';') {
            break;
        } else if (!IsBlank(ch)) {
            return false;
        }
    }
    if (state != State::AfterClose) {
        return false;
    }
    prefix = line.left(open + 1).toString();
    content = line.mid(open + 1, close - open - 1).toString();
    suffix = line.mid(close).toString();
    MoveBlanks(prefix, content, suffix);
    return true;
}

// ---- whole text

QString INISection::Text() const {
    QString text;
    text.reserve(TextSize());
    AppendText(text);
    return text;
}

qsizetype INISection::TextSize() const {
    qsizetype size = 2 * (static_cast<qsizetype>(lines_.size()) - 1);
    for (Line& line : lines_) {
        if (line.condition == LineCondition::ParsedOnly) {
            RebuildText(line);
        }
        size += line.text.size();
    }
    return size;
}

void INISection::AppendText(QString& text) const {
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            text += kLineBreak;
        }
        text += lines_[i].text;
    }
}

void INISection::SetText(const QString& text) {
    if (text.isEmpty()) {
        ResetToEmptyLine();
    } else {
        AssignLines(text);
    }
}

void INISection::AssignLines(QStringView body) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (true) {
        const qsizetype end = body.indexOf(kLineBreak, start);
        const qsizetype lineEnd = end < 0 ? body.size() : end;
        lines.emplace_back(body.mid(start, lineEnd - start).toString(), LineCondition::TextOnly);
        if (end < 0) {
            break;
        }
        start = end + 2;
    }
    lines_ = std::move(lines);
    keyIndex_.reset();
}

void INISection::ResetToEmptyLine() {
    lines_.clear();
    lines_.emplace_back();
    keyIndex_.reset();
}

void INISection::ParseAllLines() {
    for (Line& line : lines_) {
        EnsureParsed(line);
    }
}

// ---- line parsing

INISection::LineRecord INISection::ParseLineText(QStringView text) {
    LineRecord record;
    const qsizetype semicolon = text.indexOf(u';');
    const QStringView body = semicolon < 0 ? text : text.left(semicolon);
    const qsizetype equal = body.indexOf(u'=');
    if (equal < 0) {
        record.comment = text.toString();
        return record;
    }
    record.key = body.left(equal).toString();
    record.equal = QStringLiteral("=");
    record.value = body.mid(equal + 1).toString();
    if (semicolon >= 0) {
        record.comment = text.mid(semicolon).toString();
    }
    MoveBlanks(record.indent, record.key, record.equal);
    MoveBlanks(record.equal, record.value, record.comment);
    return record;
}

void INISection::MoveBlanks(QString& left, QString& middle, QString& right) {
    if (middle.isEmpty()) {
        return;
    }
    qsizetype begin = 0;
    while (begin < middle.size() && IsBlank(middle[begin])) {
        ++begin;
    }
    if (begin == middle.size()) {
        left += middle;
        middle.clear();
        return;
    }
    qsizetype end = middle.size();
    while (IsBlank(middle[end - 1])) {
        --end;
    }
    left += QStringView(middle).left(begin);
    right.prepend(QStringView(middle).mid(end));
    middle = middle.mid(begin, end - begin);
}

void INISection::EnsureParsed(Line& line) {
    if (line.condition == LineCondition::TextOnly) {
        line.record = std::make_unique<LineRecord>(ParseLineText(line.text));
        line.condition = LineCondition::Both;
    } else if (!line.record) {
        line.record = std::make_unique<LineRecord>();
    }
}

void INISection::RebuildText(Line& line) {
    LineRecord& record = *line.record;
    if (!record.key.isEmpty() && !record.equal.contains(u'=')) {
        record.equal = QStringLiteral("=");
    }
    line.text = record.indent + record.key + record.equal + record.value + record.comment;
    line.condition = LineCondition::Both;
}

// ---- keys

QString INISection::KeyValue(const QString& key) const {
    return LineValue(KeyIndex(key));
}

void INISection::SetKeyValue(const QString& key, const QString& value) {
    int number = KeyIndex(key);
    if (number == -1) {
        number = Count();
    }
    Line& line = lines_[WritableLine(number)];
    EnsureParsed(line);
    LineRecord& record = *line.record;
    if (record.key != key) {
        const bool renamesKey = !record.key.isEmpty();
        record.key = key;
        if (renamesKey) {
            keyIndex_.reset();
        } else if (keyIndex_ && !key.isEmpty()) {
            keyIndex_->insert_or_assign(FoldKey(key), number);
        }
    }
    record.value = value;
    line.condition = LineCondition::ParsedOnly;
}

int INISection::KeyIndex(QStringView key) const {
    if (!keyIndex_) {
        UpdateIndex();
    }
    const auto found = stdHelpers::IsCaseFolded(key)
                           ? keyIndex_->find(key)
                           : keyIndex_->find(key.toString().toCaseFolded());
    return found == keyIndex_->end() ? -1 : found->second;
}

void INISection::UpdateIndex() const {
    StringKeyMap<int> index;
    index.reserve(lines_.size());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        Line& line = lines_[i];
        EnsureParsed(line);
        index.try_emplace(FoldKey(line.record->key), static_cast<int>(i));
    }
    index.erase(QString());
    keyIndex_ = std::move(index);
}

// ---- lines

int INISection::WritableLine(int line) {
    if (line < -1) {
        return -1;
    }
    const int target = line == -1 ? Count() : line;
    if (target >= Count()) {
        lines_.resize(static_cast<std::size_t>(target) + 1);
    }
    return target;
}

void INISection::LineRemove(int line) {
    if (!LineExists(line)) {
        return;
    }
    if (Count() == 1) {
        ResetToEmptyLine();
        return;
    }
    lines_.erase(lines_.begin() + line);
    keyIndex_.reset();
}

QString INISection::LineText(int line) const {
    if (!LineExists(line)) {
        return QString();
    }
    Line& stored = lines_[line];
    if (stored.condition == LineCondition::ParsedOnly) {
        RebuildText(stored);
    }
    return stored.text;
}

void INISection::SetLineText(int line, const QString& text) {
    const int target = WritableLine(line);
    if (target < 0) {
        return;
    }
    Line& stored = lines_[target];
    stored.text = text;
    stored.record.reset();
    stored.condition = LineCondition::TextOnly;
    keyIndex_.reset();
}

QString INISection::LineKey(int line) const {
    if (!LineExists(line)) {
        return QString();
    }
    EnsureParsed(lines_[line]);
    return lines_[line].record->key;
}

void INISection::SetLineKey(int line, const QString& key) {
    const int target = WritableLine(line);
    if (target < 0) {
        return;
    }
    Line& stored = lines_[target];
    EnsureParsed(stored);
    stored.record->key = key;
    stored.condition = LineCondition::ParsedOnly;
    keyIndex_.reset();
}

QString INISection::LineValue(int line) const {
    if (!LineExists(line)) {
        return QString();
    }
    EnsureParsed(lines_[line]);
    return lines_[line].record->value;
}

void INISection::SetLineValue(int line, const QString& value) {
    const int target = WritableLine(line);
    if (target < 0) {
        return;
    }
    Line& stored = lines_[target];
    EnsureParsed(stored);
    stored.record->value = value;
    stored.condition = LineCondition::ParsedOnly;
}

// ---- optimise

void INISection::Optimize() {
    if (!nameContent_.isEmpty()) {
        namePrefix_ = QStringLiteral("[");
        nameSuffix_ = QStringLiteral("]");
    }
    ParseAllLines();
    std::vector<Line> kept;
    for (Line& line : lines_) {
        const LineRecord& record = *line.record;
        if (record.key.isEmpty()) {
            continue;
        }
        Line plain(record.key + u'=' + record.value, LineCondition::Both);
        plain.record = std::make_unique<LineRecord>(
            LineRecord{QString(), record.key, QStringLiteral("="), record.value, QString()});
        kept.push_back(std::move(plain));
    }
    if (kept.empty()) {
        ResetToEmptyLine();
        return;
    }
    lines_ = std::move(kept);
    keyIndex_.reset();
}

// ---- diagnostics

QString INISection::ConditionName(LineCondition condition) {
    switch (condition) {
        case LineCondition::TextOnly:
            return QStringLiteral("TextOnly");
        case LineCondition::ParsedOnly:
            return QStringLiteral("ParsedOnly");
        case LineCondition::Both:
            break;
    }
    return QStringLiteral("Both");
}

bool INISection::IsIndexedLine(int line) const {
    const LineRecord* record = lines_[line].record.get();
    if (!keyIndex_ || !record || record->key.isEmpty()) {
        return false;
    }
    const auto found = keyIndex_->find(FoldKey(record->key));
    return found != keyIndex_->end() && found->second == line;
}

QString INISection::DebugLineEntry(int line) const {
    const Line& stored = lines_[line];
    const LineRecord empty;
    const LineRecord& record = stored.record ? *stored.record : empty;
    QString entry = IsIndexedLine(line) ? QStringLiteral("* ") : QString();
    entry += QStringLiteral("index=") + QString::number(line) + QStringLiteral("  text='") +
             stored.text + u'\'' + kLineBreak;
    entry += QStringLiteral("condition=") + ConditionName(stored.condition) + kLineBreak;
    entry += QStringLiteral(" indent ='") + record.indent + u'\'' + kLineBreak;
    entry += QStringLiteral(" key    ='") + record.key + u'\'' + kLineBreak;
    entry += QStringLiteral(" equal  ='") + record.equal + u'\'' + kLineBreak;
    entry += QStringLiteral(" value  ='") + record.value + u'\'' + kLineBreak;
    entry += QStringLiteral(" comment='") + record.comment + u'\'';
    return entry;
}

QString INISection::DebugCondition() const {
    QString dump;
    for (int i = 0; i < Count(); ++i) {
        if (i > 0) {
            dump += kLineBreak;
        }
        dump += DebugLineEntry(i);
    }
    return dump;
}

QString INISection::DebugNameAry() const {
    QString suffix = nameSuffix_;
    suffix.replace(kLineBreak, QStringLiteral("[CrLf]"));
    const QChar quote(u'"');
    QString dump = QStringLiteral("---- secname= ") + quote + nameContent_ + quote +
                   QStringLiteral("----") + kLineBreak;
    dump += QStringLiteral("NamePrefix=") + quote + namePrefix_ + quote + kLineBreak;
    dump += QStringLiteral("NameContent=") + quote + nameContent_ + quote + kLineBreak;
    dump += QStringLiteral("NameSuffix=") + quote + suffix + quote + kLineBreak;
    dump += QStringLiteral("----------------");
    return dump;
}
