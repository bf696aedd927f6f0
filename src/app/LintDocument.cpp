#include "app/LintDocument.h"

#include <algorithm>

#include "app/LintGame.h"
#include "app/LintReport.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "data/stdINI.h"
#include "screen/ItemSpec.h"

namespace {

QString inSection(const QString& section) {
    return QLatin1Char('[') + section + QStringLiteral("] ");
}

}  // namespace

LintDocument::LintDocument(const QString& key, LintGame& game, LintReport& report)
    : mGame(game), mReport(report), mIni(stdINI::LoadINIByKey(key)) {
    if (mIni != nullptr) {
        mFile = mGame.ShownDocument(*mIni, key);
        return;
    }
    mFile = mGame.Shown(App().IniDir + QLatin1Char('/') + key + QStringLiteral(".ini"));
    Add(0, QStringLiteral("the document is missing: neither ") + mFile +
               QStringLiteral(" nor an archive entry ") + key + QStringLiteral(" exists"));
}

LintDocument::~LintDocument() = default;

INISection* LintDocument::Section(const QString& name) const {
    return mIni != nullptr && mIni->KeyExists(name) ? &mIni->KeySection(name) : nullptr;
}

QStringList LintDocument::SectionNames() const {
    QStringList names;
    if (mIni != nullptr) {
        for (const auto& section : mIni->Sections()) {
            if (!section->Name().isEmpty()) {
                names.append(section->Name());
            }
        }
    }
    return names;
}

QString LintDocument::Value(const QString& section, const QString& key) const {
    const INISection* found = Section(section);
    return found != nullptr ? found->KeyValue(key) : QString();
}

qint64 LintDocument::KeyLine(const QString& section, const QString& key) const {
    const INISection* found = Section(section);
    if (found == nullptr) {
        return 0;
    }
    const int index = found->KeyIndex(key);
    return index >= 0 ? found->FirstLine() + index : std::max(found->FirstLine() - 1, 0);
}

void LintDocument::Add(qint64 line, const QString& message) {
    mReport.Add(mFile, line, message);
}

void LintDocument::AddAt(const QString& section, const QString& key, const QString& message) {
    Add(KeyLine(section, key), message);
}

bool LintDocument::Require(const QString& section, const QStringList& keys) {
    const INISection* found = Section(section);
    if (found == nullptr) {
        if (IsLoaded()) {
            Add(0, QStringLiteral("section [") + section + QStringLiteral("] is missing"));
        }
        return false;
    }
    for (const QString& key : keys) {
        if (!found->KeyExists(key)) {
            AddAt(section, key,
                  inSection(section) + QStringLiteral("has no key '") + key + QLatin1Char('\''));
        } else if (found->KeyValue(key).trimmed().isEmpty()) {
            AddAt(section, key, inSection(section) + key + QStringLiteral(" is empty"));
        }
    }
    return true;
}

int LintDocument::RequireCount(const QString& section, const QString& key) {
    if (!Require(section, {key})) {
        return 0;
    }
    const QString value = Value(section, key);
    const int count = stdHelpers::LeadingInteger(value);
    if (!value.trimmed().isEmpty() && count < 1) {
        AddAt(section, key, inSection(section) + key + QStringLiteral(" must be at least 1"));
    }
    return count;
}

void LintDocument::CheckPicture(const QString& section, const QString& key) {
    const QString picture = ParseItemSpec(Value(section, key)).file;
    if (picture.isEmpty()) {
        return;
    }
    const QString problem = mGame.PictureProblem(picture, QStringLiteral("picture"));
    if (!problem.isEmpty()) {
        AddAt(section, key, problem);
    }
}

void LintDocument::CheckSound(const QString& section, const QString& key) {
    const QString sound = Value(section, key);
    if (sound.isEmpty()) {
        return;
    }
    const QString problem = mGame.SoundProblem(sound, QStringLiteral("sound"));
    if (!problem.isEmpty()) {
        AddAt(section, key, problem);
    }
}

QStringList LintDocument::ListedKeys(const QString& section, const QString& listKey) {
    const INISection* found = Section(section);
    QStringList keys;
    for (const QString& item : Value(section, listKey).split(QLatin1Char(','))) {
        const QString name = item.trimmed();
        if (name.isEmpty()) {
            continue;
        }
        if (found->KeyExists(name)) {
            keys.append(name);
        } else {
            AddAt(section, listKey,
                  inSection(section) + listKey + QStringLiteral(" lists '") + name +
                      QStringLiteral("', but there is no key '") + name + QLatin1Char('\''));
        }
    }
    return keys;
}
