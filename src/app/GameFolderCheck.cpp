#include "app/GameFolderCheck.h"

#include <QFileInfo>
#include <algorithm>

#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "platform/tusk/OskaArchive.h"

namespace {

const QString kSystemInfoKey = QStringLiteral("SystemInfo");

}  // namespace

QString GameFolderCheck::Problem(const QString& gameDir, const QString& iniDir,
                                 const QString& archiveDir) {
    const QFileInfo folder(gameDir);
    if (!folder.exists()) {
        return QStringLiteral("no such folder");
    }
    if (!folder.isDir()) {
        return QStringLiteral("not a folder");
    }
    if (HasLooseSystemInfo(iniDir)) {
        return QString();
    }
    for (const QString& archive : OskaArchive::findArchives(archiveDir)) {
        if (MayHoldSystemInfo(archive)) {
            return QString();
        }
    }
    return QStringLiteral("not a Varo game (no SystemInfo.ini)");
}

bool GameFolderCheck::HasLooseSystemInfo(const QString& iniDir) {
    const auto path = GameFolder(iniDir).find(kSystemInfoKey + QStringLiteral(".ini"));
    return path.has_value() && FileIo::isFile(*path);
}

bool GameFolderCheck::MayHoldSystemInfo(const QString& archive) {
    OskaArchive oska;
    QByteArray list;
    if (oska.open(archive) != OskaArchive::Status::Ok ||
        oska.read(0, list) != OskaArchive::Status::Ok) {
        return true;
    }
    const QString key = kSystemInfoKey.toCaseFolded();
    const QStringList keys = Cp932Codec::decodeFileText(list).split(QStringLiteral("\r\n"));
    return std::any_of(keys.begin(), keys.end(),
                       [&key](const QString& line) { return line.toCaseFolded() == key; });
}
