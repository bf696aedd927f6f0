#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

#include "data/INIFile.h"

class QImage;

// The state of the game in progress: one INI document with a section per
// subsystem, the game variables, and the history of the texts shown (script
// name and instruction index of each), stored in a save slot as SLOT.ini with
// a SLOT.bmp preview in the save folder.
class clsSaveData {
public:
    clsSaveData() = default;
    clsSaveData(const clsSaveData&) = delete;
    clsSaveData& operator=(const clsSaveData&) = delete;

    // Empties the document and the history.
    void Clear();
    // Writes the preview (when not null) and then the document with its history
    // section. The result is that of writing the document.
    bool Save(const QString& slotName, const QImage& preview);
    // The slot's preview picture file when it belongs to the slot's document;
    // empty when there is none or it was left by another save.
    QString PreviewPath(const QString& slotName) const;
    // Reads the slot into the document and its history; on failure the
    // document and history stay as they were.
    bool Load(const QString& slotName);
    bool IsLoadable(const QString& slotName) const;
    bool IsPreviewExists(const QString& slotName) const;

    // "sd" + page + "-" + slot, each at least two digits.
    static QString FormatSlotName(std::int32_t page, std::int32_t slot);
    static QString FormatINIPath(std::int32_t page, std::int32_t slot);
    static QString FormatBMPPath(std::int32_t page, std::int32_t slot);

    INIFile& Document() { return mDoc; }
    INISection& KestStatus() { return mDoc.KeySection(QStringLiteral("KestStatus")); }
    INISection& DovStatus() { return mDoc.KeySection(QStringLiteral("DovStatus")); }
    INISection& VaroStatus() { return mDoc.KeySection(QStringLiteral("VaroStatus")); }
    INISection& IntprtStatus() { return mDoc.KeySection(QStringLiteral("IntprtStatus")); }
    INISection& GameViewStatus() { return mDoc.KeySection(QStringLiteral("GameViewStatus")); }
    INISection& Var() { return mDoc.KeySection(QStringLiteral("Var")); }

    // Records one text shown; consecutive texts of one script share a record.
    bool AddHistory(const QString& scriptName, std::int32_t index);
    // The n-th text shown (from 0); false, with a message to the player, when
    // there is none.
    bool GetHistory(std::int32_t n, QString& scriptName, std::int32_t& index) const;
    std::int32_t HistoryCount() const { return mHistoryCount; }
    // One "script:index,index,..." line per record, joined by CR LF.
    QString HistorySection() const;
    // Replaces the history by the one the text describes; a line without a
    // colon empties the history and tells the player the save is damaged.
    void SetHistorySection(const QString& text);

private:
    struct HistoryRecord {
        QString scriptName;
        std::vector<std::int32_t> indexes;  // never empty
        std::int32_t start;                 // indexes in all earlier records
    };

    static QString SlotPath(const QString& slotName, const QString& extension);
    static bool IsSlotName(const QString& slotName);
    static QString WritePreview(const QString& path, const QImage& preview);
    static QString PreviewStamp(const QByteArray& picture);
    static HistoryRecord ParseRecord(QStringView line, std::int32_t start);
    static void ShowMessage(const QString& text);
    void ClearHistory();

    INIFile mDoc;
    std::vector<HistoryRecord> mHistory;
    std::int32_t mHistoryCount = 0;
};
