#include "data/Configuration.h"

#include <algorithm>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "data/stdINI.h"
#include "platform/os/FileIo.h"
#include "platform/os/FontCatalog.h"

namespace {

// The first section of that name (letter case ignored), or null.
const INISection* FindSection(const INIFile& document, const QString& name) {
    const QString folded = name.toCaseFolded();
    for (const auto& section : document.Sections()) {
        if (!section->Name().isEmpty() && section->Name().toCaseFolded() == folded) {
            return section.get();
        }
    }
    return nullptr;
}

QString ValueIn(const INISection* section, const QString& key) {
    return section != nullptr ? section->KeyValue(key) : QString();
}

// The value of an ASCII digit of that base, -1 for any other character.
int DigitValue(QChar ch, int base) {
    const char16_t c = ch.unicode();
    int digit = -1;
    if (c >= u'0' && c <= u'9') {
        digit = c - u'0';
    } else if (c >= u'a' && c <= u'z') {
        digit = c - u'a' + 10;
    } else if (c >= u'A' && c <= u'Z') {
        digit = c - u'A' + 10;
    }
    return digit < base ? digit : -1;
}

QString BoolWord(bool value) {
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

}  // namespace

Configuration::Configuration(FontSource fontFamilies) : fontFamilies_(std::move(fontFamilies)) {
    if (!fontFamilies_) {
        fontFamilies_ = &FontCatalog::japaneseFixedPitchFamilies;
    }
}

Configuration::~Configuration() {
    if (current_ != nullptr) {
        Save();
    }
    App().PutLog(QStringLiteral("Config-Terminate"));
}

// ---- start-up and file

bool Configuration::Init(const INIFile& systemInfo) {
    changeEventEnabled_ = false;
    const INISection* defaults = FindSection(systemInfo, QStringLiteral("Config"));
    if (defaults == nullptr) {
        App().PutLog(
            QStringLiteral("The system information has no [Config] section: "
                           "there are no settings to start from."));
        return false;
    }
    defaults_ = *defaults;
    LoadOrCreateFile(*defaults_);
    const INISection* game = FindSection(systemInfo, QStringLiteral("Game"));
    invalidFontText_ = ValueIn(game, QStringLiteral("InvalidFont"));
    BuildFontList();
    const INISection* charConfig = FindSection(systemInfo, QStringLiteral("CharConfig"));
    BuildCharacterMap(charConfig != nullptr ? *charConfig : INISection());
    maleIds_ = ValueIn(charConfig, QStringLiteral("MaleCID")).toLower();
    changeEventEnabled_ = true;
    return true;
}

QString Configuration::FilePath() {
    return App().SaveDir + QStringLiteral("/config.ini");
}

void Configuration::LoadOrCreateFile(const INISection& defaults) {
    const QString path = FilePath();
    document_ = INIFile();
    current_ = nullptr;
    mayWriteFile_ = true;
    if (stdINI::LoadINIFile(document_, path)) {
        current_ = &document_.KeySection(QStringLiteral("Config"));
        return;
    }
    // No file yet, or one that cannot be read: start from the defaults.
    if (FileIo::isFile(path)) {
        mayWriteFile_ = stdINI::SetAsideDamaged(path, QStringLiteral("The settings file"));
    }
    current_ = &document_.KeySection(QStringLiteral("Config"));
    current_->SetText(defaults.Text());
    FileIo::makeDirectories(App().SaveDir);
    if (mayWriteFile_ && !Save()) {
        App().PutLog(QStringLiteral("The settings file could not be created: ") + path);
    }
}

bool Configuration::Save() {
    if (current_ == nullptr || !mayWriteFile_) {
        return false;
    }
    if (stdINI::SaveINIFile(document_, FilePath())) {
        return true;
    }
    App().PutLog(QStringLiteral("The settings file cannot be written: ") + FilePath());
    // Told once: the settings still apply until the game ends.
    if (!toldUnwritable_) {
        toldUnwritable_ = true;
        ShowMsg(QStringLiteral("設定を保存できません。変更はゲームを終えると失われます。\n") +
                FilePath());
    }
    return false;
}

// ---- fonts

void Configuration::BuildFontList() {
    fonts_.clear();
    for (const QString& name : fontFamilies_()) {
        // Names starting with "@" are the vertical-writing variants.
        if (!name.startsWith(QLatin1Char('@'))) {
            AddEffectiveFont(name);
        }
    }
}

void Configuration::AddEffectiveFont(const QString& name) {
    if (name.isEmpty() || invalidFontText_.contains(name)) {
        return;
    }
    fonts_.append(name);
}

QString Configuration::FontName(int index) const {
    return fonts_.value(index);
}

// ---- values

QString Configuration::StringVal(const QString& key) const {
    if (!defaults_ || !defaults_->KeyExists(key)) {
        ShowMsg(QStringLiteral("不正な設定項目 '") + key +
                QStringLiteral("' を読み込もうとしました。"));
        return QString();
    }
    if (defaultMode_ || !current_->KeyExists(key)) {
        return defaults_->KeyValue(key);
    }
    return current_->KeyValue(key);
}

void Configuration::SetStringVal(const QString& key, const QString& value) {
    if (!defaults_ || current_ == nullptr) {
        App().PutLog(QStringLiteral("設定保存先が作成されていません。"));
        return;
    }
    if (!defaults_->KeyExists(key)) {
        ShowMsg(QStringLiteral("不正な設定項目 '") + key +
                QStringLiteral("' に書き込もうとしました。"));
        return;
    }
    if (current_->KeyValue(key) == value) {
        return;
    }
    current_->SetKeyValue(key, value);
    if (changeEventEnabled_) {
        RaiseChange(key);
    }
}

bool Configuration::BoolVal(const QString& key) const {
    return StringVal(key).toLower() == QLatin1String("true");
}

void Configuration::SetBoolVal(const QString& key, bool value) {
    SetStringVal(key, BoolWord(value));
}

int Configuration::BoolValChk(const QString& key) const {
    return BoolVal(key) ? 1 : 0;
}

void Configuration::SetBoolValChk(const QString& key, int value) {
    SetBoolVal(key, value == 1);
}

qint32 Configuration::LongVal(const QString& key) const {
    return NumberOf(StringVal(key));
}

void Configuration::SetLongVal(const QString& key, qint32 value) {
    SetStringVal(key, QString::number(value));
}

qint32 Configuration::NumberOf(const QString& text) {
    const QString number = text.trimmed();
    const bool hex = number.startsWith(QLatin1String("&h"), Qt::CaseInsensitive);
    const bool negative = !hex && number.startsWith(QLatin1Char('-'));
    const bool sign = negative || (!hex && number.startsWith(QLatin1Char('+')));
    const int base = hex ? 16 : 10;
    // Only the low 32 bits are kept, so the sum may wrap freely.
    quint32 value = 0;
    for (qsizetype i = hex ? 2 : (sign ? 1 : 0); i < number.size(); ++i) {
        const int digit = DigitValue(number[i], base);
        if (digit < 0) {
            break;
        }
        value = value * static_cast<quint32>(base) + static_cast<quint32>(digit);
    }
    return static_cast<qint32>(negative ? 0u - value : value);
}

// ---- characters

void Configuration::BuildCharacterMap(const INISection& charConfig) {
    characterEntries_.clear();
    for (const int entry : ItemNumbers(charConfig)) {
        const QStringList fields = charConfig.KeyValue(ItemKey(entry)).split(u',');
        if (fields.size() != 3) {
            continue;
        }
        for (const QString& id : fields[1].split(u'/')) {
            const QString folded = id.trimmed().toCaseFolded();
            // An identifier named by two entries stays with the first.
            if (!folded.isEmpty() && !characterEntries_.contains(folded)) {
                characterEntries_.insert(folded, entry);
            }
        }
    }
}

// The entry numbers below "ListCount" that have an "Item:" line, ascending. Taken
// from the lines present, so a huge count costs nothing.
std::vector<int> Configuration::ItemNumbers(const INISection& charConfig) {
    const int count = NumberOf(charConfig.KeyValue(QStringLiteral("ListCount")));
    const QLatin1String prefix("Item:");
    std::vector<int> numbers;
    for (int line = 0; line < charConfig.Count(); ++line) {
        const QString key = charConfig.LineKey(line);
        if (!key.startsWith(prefix, Qt::CaseInsensitive)) {
            continue;
        }
        bool isNumber = false;
        const int entry = key.mid(prefix.size()).toInt(&isNumber);
        if (isNumber && entry >= 0 && entry < count &&
            key.compare(ItemKey(entry), Qt::CaseInsensitive) == 0) {
            numbers.push_back(entry);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    return numbers;
}

QString Configuration::ItemKey(int entry) {
    return QStringLiteral("Item:") + QString::number(entry);
}

int Configuration::GetIndexByCID(const QString& cid) const {
    return characterEntries_.value(cid.trimmed().toCaseFolded(), -1);
}

QString Configuration::CharKey(int entry) {
    return QStringLiteral("Char:") + QString::number(entry);
}

QString Configuration::CharValue(int entry) const {
    return StringVal(CharKey(entry));
}

void Configuration::SetCharValue(int entry, const QString& value) {
    SetStringVal(CharKey(entry), value);
}

quint32 Configuration::CharColor(int entry) const {
    if (entry == -1) {
        return 0xFFFFFF;
    }
    const QString value = CharValue(entry);
    const qsizetype comma = value.indexOf(u',');
    return static_cast<quint32>(comma < 0 ? 0 : NumberOf(value.mid(comma + 1)));
}

bool Configuration::CharVoiceEnabled(int entry) const {
    if (entry == -1) {
        return true;
    }
    return CharValue(entry).section(u',', 0, 0).toLower() != QLatin1String("false");
}

bool Configuration::CharIsMale(const QString& cid) const {
    // An empty identifier names no character.
    return !cid.isEmpty() && maleIds_.contains(cid.toLower());
}

// ---- events, backup

void Configuration::RaiseChange(const QString& key) {
    if (onChangeSetting) {
        onChangeSetting(key);
    }
}

void Configuration::RaiseChangeEvent(const QString& keys) {
    for (const QString& key : SplitKeys(keys)) {
        RaiseChange(key);
    }
}

void Configuration::Backup() {
    if (current_ != nullptr) {
        backup_ = *current_;
    }
}

void Configuration::Restore(const QString& keys) {
    QStringList toRestore = SplitKeys(keys);
    if (keys.isEmpty()) {
        for (int line = 0; line < backup_.Count(); ++line) {
            const QString key = backup_.LineKey(line);
            if (!key.isEmpty()) {
                toRestore.append(key);
            }
        }
    }
    for (const QString& key : toRestore) {
        // A key without a default is refused by the write, with its message.
        SetStringVal(key, backup_.KeyExists(key) ? backup_.KeyValue(key) : DefaultValue(key));
    }
}

QString Configuration::DefaultValue(const QString& key) const {
    return defaults_ ? defaults_->KeyValue(key) : QString();
}

QStringList Configuration::SplitKeys(const QString& keys) {
    QStringList list;
    for (const QString& key : keys.split(u',')) {
        const QString trimmed = key.trimmed();
        if (!trimmed.isEmpty()) {
            list.append(trimmed);
        }
    }
    return list;
}

void Configuration::ShowMsg(const QString& prompt) {
    if (App().Launcher != nullptr) {
        App().Launcher->Msg(prompt);
    }
}
