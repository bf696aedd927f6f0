#include "screen/clsEventRects.h"

#include <algorithm>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "data/INISection.h"

namespace {

constexpr QLatin1String WindowButtonGroup("wndbutton");
constexpr QLatin1String ChoiceGroup("selectionitem");
constexpr QLatin1String CountKey("ERCount");
constexpr int StoredFieldCount = 13;

QString EntryKey(int number) {
    return QStringLiteral("ER%1").arg(number, 3, 10, QLatin1Char('0'));
}

// "ERCount" or "ER" and digits, in any letter case.
bool IsEntryOrCountKey(const QString& key) {
    if (key.compare(CountKey, Qt::CaseInsensitive) == 0) {
        return true;
    }
    const QStringView digits = QStringView(key).mid(2);
    return key.startsWith(QLatin1String("ER"), Qt::CaseInsensitive) && !digits.isEmpty() &&
           std::all_of(digits.begin(), digits.end(),
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); });
}

QString SenseLetters(const clsEventRect& rect) {
    QString letters;
    if (rect.IsLClickSense()) {
        letters += QLatin1Char('L');
    }
    if (rect.IsRClickSese()) {
        letters += QLatin1Char('R');
    }
    if (rect.IsDClickSense()) {
        letters += QLatin1Char('D');
    }
    if (rect.IsPointSense()) {
        letters += QLatin1Char('P');
    }
    return letters;
}

QString InfoLine(const clsEventRect& rect) {
    // One pass over the markers, so a group name holding "%9" stays as it is.
    const QString line =
        QStringLiteral("ID=%1:(%2,%3)-(%4,%5):Tyep='%6':Tag=%7,'%8':KB=%9")
            .arg(QString::number(rect.ID()), QString::number(rect.Left), QString::number(rect.Top),
                 QString::number(rect.Right), QString::number(rect.Bottom), SenseLetters(rect),
                 QString::number(rect.Tag), rect.TagName, QString::number(rect.KB));
    return rect.Enabled ? line : QLatin1Char('(') + line + QLatin1Char(')');
}

// The stored numbers of a rectangle, in the order of its stored form.
struct StoredNumbers {
    std::int32_t type = 0;
    std::int32_t tag = 0;
    std::int32_t kb = 0;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

bool ReadNumber(const QString& text, std::int32_t& number) {
    bool ok = false;
    number = text.toInt(&ok);
    return ok;
}

bool ReadNumbers(const QStringList& fields, StoredNumbers& numbers) {
    return ReadNumber(fields[0], numbers.type) && ReadNumber(fields[1], numbers.tag) &&
           ReadNumber(fields[4], numbers.kb) && ReadNumber(fields[5], numbers.left) &&
           ReadNumber(fields[6], numbers.top) && ReadNumber(fields[7], numbers.right) &&
           ReadNumber(fields[8], numbers.bottom);
}

bool IsDebugMode() {
    return App().Launcher != nullptr && App().Launcher->IsDebugMode();
}

}  // namespace

clsEventRects::RectPtr clsEventRects::Add(std::int32_t tag, const QString& tagName) {
    auto rect = std::make_shared<clsEventRect>(FreeID());
    rect->Tag = tag;
    rect->TagName = tagName;
    mRects.push_back(rect);
    return rect;
}

clsEventRects::RectPtr clsEventRects::Item(std::int32_t id) const {
    const auto found = Find(id);
    return found == mRects.end() ? nullptr : *found;
}

void clsEventRects::Remove(std::int32_t id) {
    const auto found = Find(id);
    if (found != mRects.end()) {
        mRects.erase(found);
    }
}

void clsEventRects::RemoveByTag(const QString& tagName) {
    std::erase_if(mRects, [&](const RectPtr& rect) { return rect->TagName == tagName; });
}

void clsEventRects::EnabledByTag(const QString& tagName, bool enabled) {
    for (const RectPtr& rect : mRects) {
        if (rect->TagName == tagName) {
            rect->Enabled = enabled;
        }
    }
}

int clsEventRects::CountByTag(const QString& tagName) const {
    return static_cast<int>(std::count_if(mRects.begin(), mRects.end(), [&](const RectPtr& rect) {
        return rect->TagName == tagName;
    }));
}

clsEventRects::RectPtr clsEventRects::GetRectByTag(const QString& tagName, std::int32_t tag) const {
    const auto found = std::find_if(mRects.begin(), mRects.end(), [&](const RectPtr& rect) {
        return rect->TagName == tagName && (tag == -1 || rect->Tag == tag);
    });
    return found == mRects.end() ? nullptr : *found;
}

clsEventRects::RectPtr clsEventRects::HitRect(std::int32_t x, std::int32_t y,
                                              std::int32_t senseBits) const {
    const auto found = std::find_if(mRects.rbegin(), mRects.rend(), [&](const RectPtr& rect) {
        return (rect->Type & senseBits) != 0 && rect->IsPntInRect(x, y);
    });
    return found == mRects.rend() ? nullptr : *found;
}

clsEventRects::RectPtr clsEventRects::NearestByKB(std::int32_t kb, bool greater) const {
    RectPtr nearest;
    for (const RectPtr& rect : mRects) {
        if (!rect->Enabled || rect->KB == clsEventRect::NoKey) {
            continue;
        }
        const bool beyond = greater ? rect->KB > kb : rect->KB < kb;
        const bool nearer = !nearest || (greater ? rect->KB < nearest->KB : rect->KB > nearest->KB);
        if (beyond && nearer) {
            nearest = rect;
        }
    }
    return nearest;
}

void clsEventRects::ShowAllRect() const {
    if (!IsDebugMode()) {
        return;
    }
    for (const QString& line : ShowAllRectLines()) {
        App().PutLog(line);
    }
}

QStringList clsEventRects::ShowAllRectLines() const {
    QStringList lines{QStringLiteral("EventRect Info... %1 Rects ").arg(Count())};
    for (const RectPtr& rect : mRects) {
        lines.append(InfoLine(*rect));
    }
    return lines;
}

void clsEventRects::SaveStatus(INISection& section) const {
    for (int line = section.Count() - 1; line >= 0; --line) {
        if (IsEntryOrCountKey(section.LineKey(line))) {
            section.LineRemove(line);
        }
    }
    int stored = 0;
    for (const RectPtr& rect : mRects) {
        if (IsStoredGroup(rect->TagName)) {
            section.SetKeyValue(EntryKey(stored), StatusText(*rect));
            ++stored;
        }
    }
    section.SetKeyValue(CountKey, QString::number(stored));
}

void clsEventRects::LoadStatus(const INISection& section) {
    Clear();
    const QString countText = section.KeyValue(CountKey);
    bool ok = true;
    int count = countText.isEmpty() ? 0 : countText.toInt(&ok);
    if (!ok || count < 0) {
        App().PutLog(QStringLiteral("EventRect LoadStatus: damaged ERCount '%1'").arg(countText));
        return;
    }
    // Every entry takes a line of its own, which bounds a damaged count.
    count = std::min(count, section.Count());
    for (int number = 0; number < count; ++number) {
        const QString key = EntryKey(number);
        const QString text = section.KeyValue(key);
        if (!AddFromStatusText(text)) {
            App().PutLog(QStringLiteral("EventRect LoadStatus: damaged entry %1='%2' skipped")
                             .arg(key, text));
        }
    }
}

bool clsEventRects::IsStoredGroup(const QString& tagName) {
    return tagName != WindowButtonGroup && tagName != ChoiceGroup;
}

QString clsEventRects::StatusText(const clsEventRect& rect) {
    return QStringList{QString::number(rect.Type),
                       QString::number(rect.Tag),
                       rect.TagName,
                       rect.Enabled ? QStringLiteral("True") : QStringLiteral("False"),
                       QString::number(rect.KB),
                       QString::number(rect.Left),
                       QString::number(rect.Top),
                       QString::number(rect.Right),
                       QString::number(rect.Bottom),
                       rect.Text2,
                       rect.Text3,
                       rect.Text4,
                       rect.Text1}
        .join(QLatin1Char(','));
}

clsEventRects::RectPtr clsEventRects::AddFromStatusText(const QString& text) {
    const QStringList fields = text.split(QLatin1Char(','));
    StoredNumbers numbers;
    if (fields.size() < StoredFieldCount || !ReadNumbers(fields, numbers)) {
        return nullptr;
    }
    RectPtr rect = Add(numbers.tag, fields[2]);
    rect->Type = numbers.type;
    rect->Enabled = fields[3].compare(QStringLiteral("false"), Qt::CaseInsensitive) != 0;
    rect->KB = numbers.kb;
    rect->Left = numbers.left;
    rect->Top = numbers.top;
    rect->Right = numbers.right;
    rect->Bottom = numbers.bottom;
    rect->Text2 = fields[9];
    rect->Text3 = fields[10];
    rect->Text4 = fields[11];
    // The last field takes the rest, so a first text holding commas survives.
    rect->Text1 = fields.mid(StoredFieldCount - 1).join(QLatin1Char(','));
    return rect;
}

clsEventRects::RectList::const_iterator clsEventRects::Find(std::int32_t id) const {
    return std::find_if(mRects.begin(), mRects.end(),
                        [id](const RectPtr& rect) { return rect->ID() == id; });
}

std::int32_t clsEventRects::FreeID() const {
    std::vector<std::int32_t> used;
    used.reserve(mRects.size());
    for (const RectPtr& rect : mRects) {
        used.push_back(rect->ID());
    }
    std::sort(used.begin(), used.end());
    std::int32_t candidate = 0;
    for (const std::int32_t id : used) {
        if (id == candidate) {
            ++candidate;
        } else if (id > candidate) {
            break;
        }
    }
    return candidate;
}
