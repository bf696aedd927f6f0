#include "data/stdINI.h"

#include "app/AppState.h"
#include "app/stdHelpers.h"
#include "data/INIFile.h"
#include "data/Scrambler.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"

namespace stdINI {

namespace {

bool readScrambled(const QString& path, QString& text) {
    text.clear();
    const auto bytes = FileIo::readAll(path);
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
    // Archives are not searched yet: no archive holds the key.
    return nullptr;
}

}  // namespace stdINI
