#pragma once

#include <QSet>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

#include "data/INIFile.h"

// What belongs to the installation rather than to one save slot, kept in
// SaveDir/sd00.ini: the shared scenario variables, the lines of each scenario
// already read (for skip mode) and the CG pictures already seen (for the
// extras screen).
//
// The read history keeps, per scenario, sorted ranges of line numbers that are
// disjoint and never adjacent. The current record and range remember where the
// last call ended, so reading a scenario forward extends one range in place and
// checking lines in reading order finds the range at once.
class SharedData {
public:
    SharedData() = default;
    // Writes the file once more when Init succeeded.
    ~SharedData();
    SharedData(const SharedData&) = delete;
    SharedData& operator=(const SharedData&) = delete;

    // Loads SaveDir/sd00.ini; a missing or damaged file is created anew with the
    // variables of section "shared" of the system information. The CG command
    // set comes from section "cgmode_cmd" of the extras mode description.
    // False when the file cannot be created.
    bool Init(const INIFile& systemInfo, const INIFile& omakemodeInfo);
    // Stores the read history into "AlreadyRead" and writes the file.
    bool Save();

    INISection& Var() { return mDoc.KeySection(QStringLiteral("Var")); }
    INISection& CGHistory() { return mDoc.KeySection(QStringLiteral("CGHistory")); }

    void AddCmdHistory(const QString& name, std::int32_t line);
    bool CmdExists(const QString& name, std::int32_t line) const;
    // The read history as text: one "name:ranges" line per scenario.
    QString CmdHistorySection() const;
    // Replaces the whole read history by the one the text describes.
    void SetCmdHistorySection(const QString& text);

    // Records a CG as seen (and writes the file) when its name is a CG command.
    void AddCGHistory(const QString& name);

    bool ReplayReturn() const { return mReplayReturn; }
    void SetReplayReturn(bool on) { mReplayReturn = on; }
    std::int32_t ReplayPage() const { return mReplayPage; }
    void SetReplayPage(std::int32_t page) { mReplayPage = page; }

private:
    struct Range {
        std::int32_t first;
        std::int32_t last;
        bool Contains(std::int64_t line) const { return first <= line && line <= last; }
    };
    struct Record {
        QString name;
        std::vector<Range> ranges;  // never empty
    };

    static Record ParseRecord(QStringView line);
    static Range ParseRange(QStringView item);
    static void Normalize(std::vector<Range>& ranges);
    static bool ContainsLine(const std::vector<Range>& ranges, std::int64_t line);
    static QString RecordText(const Record& record);
    static const INISection* FindSection(const INIFile& document, const QString& name);

    bool LoadOrCreate(const INIFile& systemInfo);
    void BuildCGCommands(const INIFile& omakemodeInfo);
    bool ExtendCurrentRange(std::int32_t line);
    void InsertIntoCurrentRecord(std::int32_t line);
    void SwitchToRecord(const QString& name, std::int32_t line);
    int FindRecord(const QString& name) const;

    INIFile mDoc;
    QString mPath;  // set once Init has the file; empty means nothing may be written
    std::vector<Record> mRecords;
    int mCurrentRecord = 0;
    int mCurrentRange = 0;
    QSet<QString> mCGCommands;  // case-folded
    bool mReplayReturn = false;
    std::int32_t mReplayPage = 0;
};
