#include "data/stdINI.h"

#include "base/AppState.h"
#include "base/ArchiveReader.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"

namespace stdINI {

namespace {

constexpr int kMaxRescuedCopies = 99;

bool readScrambled(const QString& path, QString& text) {
    text.clear();
    const auto bytes = stdHelpers::ReadDocumentBytes(path);
    if (!bytes) {
        return false;
    }
    const auto decoded = Scrambler::unscrambleText(*bytes);
    if (!decoded) {
        App().PutLog(QStringLiteral("Damaged file (odd byte count, not UTF-16 text): ") + path);
        return false;
    }
    text = *decoded;
    return true;
}

// The archive entry of that key; identifiers below 1 count as absent.
std::unique_ptr<INIFile> loadArchived(const QString& key) {
    ArchiveReader* oska = App().Archives;
    if (oska == nullptr) {
        return nullptr;
    }
    const std::int32_t id = oska->FileKeyToID(key);
    if (id < 1) {
        return nullptr;
    }
    QString text;
    if (!oska->LoadTextFile(id, text)) {
        App().PutLog(QStringLiteral("Damaged archive file: ") + key);
        return nullptr;
    }
    auto document = std::make_unique<INIFile>();
    document->SetText(text);
    return document;
}

}  // namespace

bool LoadINIFile(INIFile& document, const QString& path) {
    QString text;
    const bool read =
        App().INIEncript ? readScrambled(path, text) : stdHelpers::ReadTextFile(path, text);
    document.SetText(read ? text : QString());
    document.SetPath(path);
    return read;
}

bool SaveINIFile(const INIFile& document, const QString& path) {
    const QString target = path.isEmpty() ? document.Path() : path;
    if (target.isEmpty()) {
        return false;
    }
    if (App().INIEncript) {
        return FileIo::writeDurable(target, Scrambler::scrambleText(document.Text()));
    }
    return stdHelpers::WriteTextFile(target, document.Text());
}

bool SetAsideDamaged(const QString& path, const QString& what) {
    // Every rescued copy is kept: a later damage never overwrites an earlier one.
    QString aside = path + QStringLiteral(".damaged");
    for (int copy = 2; FileIo::isFile(aside) && copy <= kMaxRescuedCopies; ++copy) {
        aside = path + QStringLiteral(".damaged.") + QString::number(copy);
    }
    bool kept = false;
    if (!FileIo::isFile(aside)) {
        // A file too large to be read whole is moved aside instead of copied.
        if (FileIo::size(path) > stdHelpers::kMaxDocumentBytes) {
            kept = FileIo::rename(path, aside);
        } else {
            const auto bytes = FileIo::readAll(path);
            kept = bytes && FileIo::writeDurable(aside, *bytes);
        }
    }
    if (!kept) {
        App().PutLog(what + QStringLiteral(" cannot be read nor kept aside; left as it is: ") +
                     path);
        return false;
    }
    App().PutLog(what + QStringLiteral(" is damaged; kept as ") + aside);
    return true;
}

std::unique_ptr<INIFile> LoadINIByKey(const QString& key) {
    QString why;
    const auto path = GameFolder(App().IniDir).find(key + QStringLiteral(".ini"), &why);
    QString text;
    if (path && stdHelpers::ReadTextFile(*path, text)) {
        auto document = std::make_unique<INIFile>();
        document->SetText(text);
        document->SetPath(*path);
        return document;
    }
    if (!GameFolder::isConfined(key)) {
        App().PutLog(why);
    }
    return loadArchived(key);
}

}  // namespace stdINI
