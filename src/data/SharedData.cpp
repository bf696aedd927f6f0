#include "data/SharedData.h"

#include <QStringList>
#include <algorithm>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/SavedValueCodec.h"
#include "data/stdINI.h"
#include "platform/os/FileIo.h"

namespace {

QString ErrorScenario() {
    return QStringLiteral("ERROR_SCENARIO");
}

}  // namespace

SharedData::~SharedData() {
    if (!mPath.isEmpty()) {
        Save();
    }
}

bool SharedData::Init(const INIFile& systemInfo, const INIFile& omakemodeInfo) {
    mPath.clear();
    if (!LoadOrCreate(systemInfo)) {
        return false;
    }
    SetCmdHistorySection(mDoc.KeySection(QStringLiteral("AlreadyRead")).Text());
    BuildCGCommands(omakemodeInfo);
    return true;
}

bool SharedData::LoadOrCreate(const INIFile& systemInfo) {
    const QString path = App().SaveDir + QStringLiteral("/sd00.ini");
    if (stdINI::LoadINIFile(mDoc, path)) {
        SavedValueCodec::UnescapeMarked(mDoc);
        mPath = path;
        return true;
    }
    if (FileIo::isFile(path) &&
        !stdINI::SetAsideDamaged(path, QStringLiteral("Shared data file"))) {
        return false;
    }
    FileIo::makeDirectories(App().SaveDir);
    const INISection* shared = FindSection(systemInfo, QStringLiteral("shared"));
    mDoc.SetKeySection(QStringLiteral("Var"), shared != nullptr ? *shared : INISection());
    if (!stdINI::SaveINIFile(mDoc, path)) {
        App().PutLog(QStringLiteral("Shared data file cannot be written: ") + path);
        return false;
    }
    mPath = path;
    return true;
}

const INISection* SharedData::FindSection(const INIFile& document, const QString& name) {
    for (const auto& section : document.Sections()) {
        if (section->Name().compare(name, Qt::CaseInsensitive) == 0) {
            return section.get();
        }
    }
    return nullptr;
}

void SharedData::BuildCGCommands(const INIFile& omakemodeInfo) {
    mCGCommands.clear();
    const INISection* commands = FindSection(omakemodeInfo, QStringLiteral("cgmode_cmd"));
    if (commands == nullptr) {
        return;
    }
    for (int line = 0; line < commands->Count(); ++line) {
        if (commands->LineKey(line).startsWith(QStringLiteral("cmd"), Qt::CaseInsensitive)) {
            const QString value = commands->LineValue(line);
            mCGCommands.insert(value.section(QLatin1Char(','), 0, 0).toCaseFolded());
        }
    }
}

bool SharedData::Save() {
    if (mPath.isEmpty()) {
        return false;
    }
    mDoc.KeySection(QStringLiteral("AlreadyRead")).SetText(CmdHistorySection());
    return stdINI::SaveINIFile(SavedValueCodec::Escaped(mDoc), mPath);
}

// ---- read history

void SharedData::AddCmdHistory(const QString& name, std::int32_t line) {
    if (mRecords.empty()) {
        mRecords.push_back({name, {{line, line}}});
        mCurrentRecord = 0;
        mCurrentRange = 0;
        return;
    }
    if (mRecords[mCurrentRecord].name != name) {
        SwitchToRecord(name, line);
        return;
    }
    if (!ExtendCurrentRange(line)) {
        InsertIntoCurrentRecord(line);
    }
}

void SharedData::SwitchToRecord(const QString& name, std::int32_t line) {
    Save();
    const int found = FindRecord(name);
    if (found < 0) {
        mRecords.push_back({name, {{line, line}}});
        mCurrentRecord = static_cast<int>(mRecords.size()) - 1;
        mCurrentRange = 0;
        return;
    }
    mCurrentRecord = found;
    InsertIntoCurrentRecord(line);
}

int SharedData::FindRecord(const QString& name) const {
    for (std::size_t i = 0; i < mRecords.size(); ++i) {
        if (mRecords[i].name == name) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

// The path of reading forward: the line is in the current range or extends it.
bool SharedData::ExtendCurrentRange(std::int32_t line) {
    std::vector<Range>& ranges = mRecords[mCurrentRecord].ranges;
    Range& range = ranges[mCurrentRange];
    if (range.Contains(line)) {
        return true;
    }
    const std::int64_t wanted = line;
    if (wanted != std::int64_t{range.last} + 1) {
        return false;
    }
    const std::size_t next = static_cast<std::size_t>(mCurrentRange) + 1;
    if (next < ranges.size() && std::int64_t{ranges[next].first} <= wanted + 1) {
        return false;  // the next range touches the line: the general path merges them
    }
    range.last = line;
    return true;
}

// The range a line joins is the first one ending no more than one line before
// it; the ranges are sorted, so a binary search finds the same range a scan from
// the first one would stop at.
void SharedData::InsertIntoCurrentRecord(std::int32_t line) {
    std::vector<Range>& ranges = mRecords[mCurrentRecord].ranges;
    const std::int64_t wanted = line;
    const auto found = std::lower_bound(ranges.begin(), ranges.end(), wanted,
                                        [](const Range& range, std::int64_t value) {
                                            return std::int64_t{range.last} + 1 < value;
                                        });
    mCurrentRange = static_cast<int>(found - ranges.begin());
    if (found == ranges.end()) {
        ranges.push_back({line, line});
        return;
    }
    Range& range = *found;
    if (wanted <= std::int64_t{range.first} - 2) {
        ranges.insert(found, Range{line, line});
    } else if (wanted == std::int64_t{range.first} - 1) {
        range.first = line;
    } else if (wanted == std::int64_t{range.last} + 1) {
        range.last = line;
        const auto next = found + 1;
        if (next != ranges.end() && std::int64_t{next->first} == wanted + 1) {
            range.last = next->last;
            ranges.erase(next);
        }
    }
    // Otherwise the line is inside the range already.
}

bool SharedData::CmdExists(const QString& name, std::int32_t line) const {
    if (mRecords.empty()) {
        return false;
    }
    const Record& current = mRecords[mCurrentRecord];
    if (current.name == name) {
        // Lines checked in reading order are in the current range; any other
        // range is found by a binary search, which answers as a scan would.
        return current.ranges[mCurrentRange].Contains(line) || ContainsLine(current.ranges, line);
    }
    const int count = static_cast<int>(mRecords.size());
    for (int step = 1; step < count; ++step) {
        const Record& record = mRecords[(mCurrentRecord + step) % count];
        if (record.name == name) {
            return ContainsLine(record.ranges, line);
        }
    }
    return false;
}

bool SharedData::ContainsLine(const std::vector<Range>& ranges, std::int64_t line) {
    // The ranges are sorted and disjoint: only the last one starting at or
    // before the line can hold it.
    const auto after = std::upper_bound(
        ranges.begin(), ranges.end(), line,
        [](std::int64_t value, const Range& range) { return value < range.first; });
    return after != ranges.begin() && std::prev(after)->Contains(line);
}

// ---- text form

QString SharedData::CmdHistorySection() const {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(mRecords.size()));
    for (const Record& record : mRecords) {
        lines.append(RecordText(record));
    }
    return lines.join(QStringLiteral("\r\n"));
}

QString SharedData::RecordText(const Record& record) {
    QString text = record.name + QLatin1Char(':');
    for (std::size_t i = 0; i < record.ranges.size(); ++i) {
        const Range& range = record.ranges[i];
        if (i > 0) {
            text += QLatin1Char(',');
        }
        text += QString::number(range.first);
        if (range.last != range.first) {
            text += QLatin1Char('-') + QString::number(range.last);
        }
    }
    return text;
}

void SharedData::SetCmdHistorySection(const QString& text) {
    mRecords.clear();
    mCurrentRecord = 0;
    mCurrentRange = 0;
    const QString body = stdHelpers::TrimChars(text, QStringLiteral(" \r\n"));
    if (body.isEmpty()) {
        return;
    }
    bool damaged = false;
    for (QStringView line : QStringView(body).split(u"\r\n")) {
        if (line.contains(u':')) {
            mRecords.push_back(ParseRecord(line));
            continue;
        }
        App().PutLog(QStringLiteral("Read history line without a scenario name kept as ") +
                     ErrorScenario() + QStringLiteral(": ") + line.toString());
        mRecords.push_back({ErrorScenario(), {{0, 0}}});
        damaged = true;
    }
    if (damaged && App().Launcher != nullptr) {
        App().Launcher->Msg(QStringLiteral("システムデータに予期しないエラーが発生しました。"));
    }
}

SharedData::Record SharedData::ParseRecord(QStringView line) {
    const qsizetype colon = line.indexOf(u':');
    Record record{line.left(colon).toString(), {}};
    for (QStringView item : line.mid(colon + 1).split(u',')) {
        record.ranges.push_back(ParseRange(item));
    }
    Normalize(record.ranges);
    return record;
}

SharedData::Range SharedData::ParseRange(QStringView item) {
    const qsizetype dash = item.indexOf(u'-');
    if (dash < 0) {
        const std::int32_t line = stdHelpers::LeadingInteger(item);
        return {line, line};
    }
    return {stdHelpers::LeadingInteger(item.left(dash)),
            stdHelpers::LeadingInteger(item.mid(dash + 1))};
}

// A hand-edited or damaged file may list ranges in any order, reversed or
// overlapping: bring them back to sorted, disjoint, non-adjacent ranges.
void SharedData::Normalize(std::vector<Range>& ranges) {
    for (Range& range : ranges) {
        if (range.first > range.last) {
            std::swap(range.first, range.last);
        }
    }
    std::sort(ranges.begin(), ranges.end(),
              [](const Range& a, const Range& b) { return a.first < b.first; });
    std::vector<Range> merged;
    merged.reserve(ranges.size());
    for (const Range& range : ranges) {
        if (!merged.empty() && std::int64_t{range.first} <= std::int64_t{merged.back().last} + 1) {
            merged.back().last = std::max(merged.back().last, range.last);
        } else {
            merged.push_back(range);
        }
    }
    ranges = std::move(merged);
}

// ---- CG history

void SharedData::AddCGHistory(const QString& name) {
    if (!mCGCommands.contains(name.toCaseFolded())) {
        return;
    }
    CGHistory().SetKeyValue(name, QStringLiteral("1"));
    Save();
}
