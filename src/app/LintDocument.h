#pragma once

#include <QString>
#include <QStringList>
#include <memory>

class INIFile;
class INISection;
class LintGame;
class LintReport;

// One INI document under `varo lint`: where its findings point and the checks
// every mode document shares. Lines are the document's own: a key's line, its
// section's header line when the key is missing, 0 when the section or the
// whole document is missing.
class LintDocument {
public:
    // Loads the system document of that key as the player does (INI folder,
    // then the archives); a missing document is reported.
    LintDocument(const QString& key, LintGame& game, LintReport& report);
    ~LintDocument();
    LintDocument(const LintDocument&) = delete;
    LintDocument& operator=(const LintDocument&) = delete;

    bool IsLoaded() const { return mIni != nullptr; }
    const QString& File() const { return mFile; }

    // The section, or null when the document lacks it.
    INISection* Section(const QString& name) const;
    // The names of the document's sections, in file order.
    QStringList SectionNames() const;
    // The key's value, "" when the key or its section is missing.
    QString Value(const QString& section, const QString& key) const;
    qint64 KeyLine(const QString& section, const QString& key) const;
    void Add(qint64 line, const QString& message);
    void AddAt(const QString& section, const QString& key, const QString& message);

    // Reports a missing section (then false) or each missing or empty key.
    bool Require(const QString& section, const QStringList& keys);
    // The number a required key holds; reported when missing or below 1.
    int RequireCount(const QString& section, const QString& key);
    // The picture of a picture definition ("file,x,y,..."), when the key names one.
    void CheckPicture(const QString& section, const QString& key);
    void CheckSound(const QString& section, const QString& key);
    // The keys that a comma-separated list value names; a name without a key
    // of its own is reported at the list.
    QStringList ListedKeys(const QString& section, const QString& listKey);

private:
    LintGame& mGame;
    LintReport& mReport;
    std::unique_ptr<INIFile> mIni;
    QString mFile;
};
