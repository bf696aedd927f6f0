#include "data/clsSaveData.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImage>
#include <QStringList>
#include <algorithm>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/SavedValueCodec.h"
#include "data/stdINI.h"
#include "platform/os/FileIo.h"

namespace {

const QString kPreviewKey = QStringLiteral("Preview");
const QString kNoPreview = QStringLiteral("none");

QString HistorySectionName() {
    return QStringLiteral("History");
}

QString PaddedNumber(std::int32_t value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

// True unless the file exists, cannot be read and cannot be kept aside.
bool KeepDamagedSlotAside(const QString& path) {
    if (!FileIo::isFile(path)) {
        return true;
    }
    INIFile old;
    return stdINI::LoadINIFile(old, path) ||
           stdINI::SetAsideDamaged(path, QStringLiteral("Save slot file"));
}

}  // namespace

void clsSaveData::Clear() {
    mDoc.Clear();
    ClearHistory();
}

void clsSaveData::ClearHistory() {
    mHistory.clear();
    mHistoryCount = 0;
}

// ---- slots

QString clsSaveData::FormatSlotName(std::int32_t page, std::int32_t slot) {
    return QStringLiteral("sd") + PaddedNumber(page) + QLatin1Char('-') + PaddedNumber(slot);
}

QString clsSaveData::FormatINIPath(std::int32_t page, std::int32_t slot) {
    return SlotPath(FormatSlotName(page, slot), QStringLiteral(".ini"));
}

QString clsSaveData::FormatBMPPath(std::int32_t page, std::int32_t slot) {
    return SlotPath(FormatSlotName(page, slot), QStringLiteral(".bmp"));
}

QString clsSaveData::SlotPath(const QString& slotName, const QString& extension) {
    return App().SaveDir + QLatin1Char('/') + slotName + extension;
}

// Slot names are plain file names inside the save folder.
bool clsSaveData::IsSlotName(const QString& slotName) {
    const bool plain = !slotName.isEmpty() && !slotName.contains(QLatin1Char('/')) &&
                       !slotName.contains(QLatin1Char('\\')) && !slotName.contains(u"..");
    if (!plain) {
        App().PutLog(QStringLiteral("Save slot name refused: ") + slotName);
    }
    return plain;
}

bool clsSaveData::IsLoadable(const QString& slotName) const {
    return IsSlotName(slotName) && FileIo::isFile(SlotPath(slotName, QStringLiteral(".ini")));
}

bool clsSaveData::IsPreviewExists(const QString& slotName) const {
    return IsSlotName(slotName) && FileIo::isFile(SlotPath(slotName, QStringLiteral(".bmp")));
}

bool clsSaveData::Save(const QString& slotName, const QImage& preview) {
    if (!IsSlotName(slotName)) {
        return false;
    }
    FileIo::makeDirectories(App().SaveDir);
    mDoc.KeySection(HistorySectionName()).SetText(HistorySection());
    const QString path = SlotPath(slotName, QStringLiteral(".ini"));
    if (!KeepDamagedSlotAside(path)) {
        return false;
    }
    // The picture is written first and the document names the picture it
    // belongs to: a save cut short between the two keeps the previous game,
    // which then shows no picture rather than the new game's.
    INIFile stored = SavedValueCodec::Escaped(mDoc);
    stored.KeySection(SavedValueCodec::kMarkerSection)
        .SetKeyValue(kPreviewKey,
                     WritePreview(SlotPath(slotName, QStringLiteral(".bmp")), preview));
    return stdINI::SaveINIFile(stored, path);
}

// The picture's stamp, or "none" when there is no picture for this save.
QString clsSaveData::WritePreview(const QString& path, const QImage& preview) {
    if (preview.isNull()) {
        return kNoPreview;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!preview.save(&buffer, "BMP") || !FileIo::writeDurable(path, bytes)) {
        App().PutLog(QStringLiteral("Save preview cannot be written: ") + path);
        return kNoPreview;
    }
    return PreviewStamp(bytes);
}

QString clsSaveData::PreviewStamp(const QByteArray& picture) {
    return QString::fromLatin1(
        QCryptographicHash::hash(picture, QCryptographicHash::Sha1).toHex().left(16));
}

QString clsSaveData::PreviewPath(const QString& slotName) const {
    if (!IsLoadable(slotName) || !IsPreviewExists(slotName)) {
        return QString();
    }
    const QString picture = SlotPath(slotName, QStringLiteral(".bmp"));
    INIFile document;
    if (!stdINI::LoadINIFile(document, SlotPath(slotName, QStringLiteral(".ini")))) {
        return QString();
    }
    // Saves made before pictures were stamped take the picture beside them.
    if (!document.KeyExists(SavedValueCodec::kMarkerSection)) {
        return picture;
    }
    const QString stamp =
        document.KeySection(SavedValueCodec::kMarkerSection).KeyValue(kPreviewKey);
    const auto bytes = FileIo::readAll(picture);
    return bytes && stamp == PreviewStamp(*bytes) ? picture : QString();
}

bool clsSaveData::Load(const QString& slotName) {
    if (!IsSlotName(slotName)) {
        return false;
    }
    const QString path = SlotPath(slotName, QStringLiteral(".ini"));
    INIFile loaded;
    if (!stdINI::LoadINIFile(loaded, path)) {
        if (FileIo::isFile(path)) {
            stdINI::SetAsideDamaged(path, QStringLiteral("Save slot file"));
        }
        return false;
    }
    SavedValueCodec::UnescapeMarked(loaded);
    mDoc = std::move(loaded);
    SetHistorySection(mDoc.KeySection(HistorySectionName()).Text());
    return true;
}

// ---- history

bool clsSaveData::AddHistory(const QString& scriptName, std::int32_t index) {
    if (mHistory.empty() || mHistory.back().scriptName != scriptName) {
        mHistory.push_back({scriptName, {}, mHistoryCount});
    }
    mHistory.back().indexes.push_back(index);
    ++mHistoryCount;
    return true;
}

bool clsSaveData::GetHistory(std::int32_t n, QString& scriptName, std::int32_t& index) const {
    const HistoryRecord* record = nullptr;
    if (!mHistory.empty()) {
        const auto after = std::upper_bound(
            mHistory.begin(), mHistory.end(), n,
            [](std::int32_t value, const HistoryRecord& r) { return value < r.start; });
        record = after == mHistory.begin() ? &mHistory.front() : &*std::prev(after);
    }
    const std::int64_t offset = std::int64_t{n} - (record != nullptr ? record->start : 0);
    if (offset < 0) {
        ShowMessage(QStringLiteral("ありえない"));
        return false;
    }
    if (record == nullptr || offset >= static_cast<std::int64_t>(record->indexes.size())) {
        ShowMessage(QStringLiteral("全体個数を超えている"));
        return false;
    }
    scriptName = record->scriptName;
    index = record->indexes[static_cast<std::size_t>(offset)];
    return true;
}

QString clsSaveData::HistorySection() const {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(mHistory.size()));
    for (const HistoryRecord& record : mHistory) {
        QString line = record.scriptName + QLatin1Char(':');
        for (std::size_t i = 0; i < record.indexes.size(); ++i) {
            if (i > 0) {
                line += QLatin1Char(',');
            }
            line += QString::number(record.indexes[i]);
        }
        lines.append(line);
    }
    return lines.join(QStringLiteral("\r\n"));
}

void clsSaveData::SetHistorySection(const QString& text) {
    ClearHistory();
    const QString body = stdHelpers::TrimChars(text, QStringLiteral(" \r\n"));
    if (body.isEmpty()) {
        return;
    }
    for (QStringView line : QStringView(body).split(u"\r\n")) {
        if (!line.contains(u':')) {
            App().PutLog(QStringLiteral("Text history line without a script name, history "
                                        "dropped: ") +
                         line.toString());
            ShowMessage(QStringLiteral("セーブデータが破損しています。"));
            ClearHistory();
            return;
        }
        mHistory.push_back(ParseRecord(line, mHistoryCount));
        mHistoryCount += static_cast<std::int32_t>(mHistory.back().indexes.size());
    }
}

clsSaveData::HistoryRecord clsSaveData::ParseRecord(QStringView line, std::int32_t start) {
    const qsizetype colon = line.indexOf(u':');
    HistoryRecord record{line.left(colon).toString(), {}, start};
    for (QStringView item : line.mid(colon + 1).split(u',')) {
        record.indexes.push_back(stdHelpers::LeadingInteger(item));
    }
    return record;
}

void clsSaveData::ShowMessage(const QString& text) {
    if (App().Launcher != nullptr) {
        App().Launcher->Msg(text);
    }
}
