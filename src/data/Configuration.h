#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

#include "data/INIFile.h"
#include "data/INISection.h"

// The player's settings. The valid keys and their defaults are section
// "Config" of the system information; the player's values live in
// SaveDir/config.ini, section "Config". Reads fall back to the defaults,
// changed writes are announced through onChangeSetting, a backup serves the
// settings dialog's cancel. It also lists the fonts the player may choose and
// maps scenario character identifiers to the per-character entries.
class Configuration {
public:
    // Gives the names of the fonts the font list is built from.
    using FontSource = std::function<QStringList()>;

    // The font list comes from the installed Japanese fixed-pitch fonts unless
    // another source is given.
    explicit Configuration(FontSource fontFamilies = {});
    // Writes config.ini once more (when Init had it) and logs "Config-Terminate".
    ~Configuration();
    Configuration(const Configuration&) = delete;
    Configuration& operator=(const Configuration&) = delete;

    // Raised after a write that changed a value, and by RaiseChangeEvent.
    std::function<void(const QString& key)> onChangeSetting;

    // Takes the defaults and the character and font settings from the system
    // information, then reads config.ini or creates it from the defaults.
    // False when the system information has no "Config" section.
    bool Init(const INIFile& systemInfo);
    // Writes config.ini. False before Init or when the write fails.
    bool Save();

    // Appends the font to the list unless its name occurs in "InvalidFont".
    void AddEffectiveFont(const QString& name);
    // The font at that position, "" outside the list.
    QString FontName(int index) const;
    int FontCount() const { return static_cast<int>(fonts_.size()); }
    // The position of the exact name (letter case counts), -1 when absent.
    int GetFontIndex(const QString& name) const { return static_cast<int>(fonts_.indexOf(name)); }

    // Base access. A key without a default is refused with a message box.
    QString StringVal(const QString& key) const;
    void SetStringVal(const QString& key, const QString& value);
    // Stored as True or False; true exactly when the text is "true" in any case.
    bool BoolVal(const QString& key) const;
    void SetBoolVal(const QString& key, bool value);
    // A boolean as a check-box value: 1 or 0; only 1 stores True.
    int BoolValChk(const QString& key) const;
    void SetBoolValChk(const QString& key, int value);
    // Stored in decimal; read as the number the text starts with, in 32 bits.
    qint32 LongVal(const QString& key) const;
    void SetLongVal(const QString& key, qint32 value);

    // When on, every read gives the default value.
    bool DefaultMode() const { return defaultMode_; }
    void SetDefaultMode(bool on) { defaultMode_ = on; }

    // The character entry of an identifier (letter case ignored), -1 for none.
    int GetIndexByCID(const QString& cid) const;
    // The setting "Char:" + entry: voice switch, ",", colour in decimal.
    QString CharValue(int entry) const;
    void SetCharValue(int entry, const QString& value);
    // The entry's message colour (0xRRGGBB); white for entry -1.
    quint32 CharColor(int entry) const;
    // False only when the entry's voice switch reads "false"; true for entry -1.
    bool CharVoiceEnabled(int entry) const;
    // True when the identifier occurs within "MaleCID" (letter case ignored).
    bool CharIsMale(const QString& cid) const;

    // Whether writes raise onChangeSetting; off until Init completes.
    bool ChangeEventEnabled() const { return changeEventEnabled_; }
    void SetChangeEventEnabled(bool on) { changeEventEnabled_ = on; }
    // Raises onChangeSetting once per key of the comma-separated list, in
    // order, even while change events are off.
    void RaiseChangeEvent(const QString& keys);

    // Keeps a copy of the current values.
    void Backup();
    // Writes the backed-up values of the comma-separated keys back, or of every
    // backed-up key when the list is "". A key the backup lacks gets its
    // default, the value it read as when the backup was taken.
    void Restore(const QString& keys);

    // The number a setting's text starts with, truncated to 32 bits: decimal
    // with an optional sign (a fraction is dropped) or hexadecimal after "&H";
    // 0 when the text does not start with a number.
    static qint32 NumberOf(const QString& text);

private:
    static QString FilePath();
    static QString CharKey(int entry);
    static QString ItemKey(int entry);
    static std::vector<int> ItemNumbers(const INISection& charConfig);
    static QStringList SplitKeys(const QString& keys);
    static void ShowMsg(const QString& prompt);

    void LoadOrCreateFile(const INISection& defaults);
    void BuildFontList();
    void BuildCharacterMap(const INISection& charConfig);
    void RaiseChange(const QString& key);
    QString DefaultValue(const QString& key) const;

    FontSource fontFamilies_;
    INIFile document_;
    INISection* current_ = nullptr;  // section "Config" of document_
    std::optional<INISection> defaults_;
    INISection backup_;
    bool changeEventEnabled_ = false;
    bool defaultMode_ = false;
    // False while a damaged config.ini could not be kept aside: it is not overwritten.
    bool mayWriteFile_ = true;
    bool toldUnwritable_ = false;  // the player knows the settings are not kept
    QStringList fonts_;
    QString invalidFontText_;
    QHash<QString, int> characterEntries_;  // case-folded identifier -> entry
    QString maleIds_;                       // lower-cased
};
