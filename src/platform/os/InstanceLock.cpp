#include "platform/os/InstanceLock.h"

#include <unistd.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

namespace {

constexpr qsizetype kHashDigits = 16;

QString absoluteFolder(const QString& gameDir) {
    return QDir::cleanPath(QDir(gameDir).absolutePath());
}

}  // namespace

InstanceLock::InstanceLock(const QString& gameDir)
    : file_(std::make_unique<QLockFile>(LockFolder() + QLatin1Char('/') + LockFileName(gameDir))) {
    // Any lock whose owner is gone is stale; a living owner always keeps it.
    file_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    return file_->isLocked() || file_->tryLock(0);
}

bool InstanceLock::isLocked() const {
    return file_->isLocked();
}

void InstanceLock::unlock() {
    file_->unlock();
}

QString InstanceLock::LockFileName(const QString& gameDir) {
    const QByteArray hash =
        QCryptographicHash::hash(absoluteFolder(gameDir).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(kHashDigits);
    return QStringLiteral("varo-") + QString::fromLatin1(hash) + QStringLiteral(".lock");
}

// One folder per user, whatever the session's runtime folder is, so that a
// windowed and a headless start of the same game see each other's lock. A
// folder of that name that someone else made (or a link planted there) is
// refused: the user's private runtime folder takes its place.
QString InstanceLock::LockFolder() {
    const QString shared =
        QDir::tempPath() + QStringLiteral("/varo-locks-") + QString::number(getuid());
    if (QDir().mkpath(shared) && IsPrivateFolder(shared)) {
        QFile::setPermissions(
            shared, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        return shared;
    }
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) +
                            QStringLiteral("/varo-locks");
    if (QDir().mkpath(runtime) && IsPrivateFolder(runtime)) {
        return runtime;
    }
    return QDir::homePath();
}

bool InstanceLock::IsPrivateFolder(const QString& folder) {
    const QFileInfo info(folder);
    return info.isDir() && !info.isSymLink() && info.ownerId() == getuid();
}
