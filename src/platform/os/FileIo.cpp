#include "platform/os/FileIo.h"

#include <algorithm>
#include <cstdio>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

std::optional<QByteArray> FileIo::readAll(const QString& path) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return std::nullopt;
    }
    return bytes;
}

namespace {

// The temporary file of a durable write is NAME plus "." and six random letters and
// digits. A process killed in the middle of a write leaves it behind; the next
// write of the same file removes it. All-lowercase endings ("NAME.backup") are
// left alone: they may be the player's own.
void removeTemporariesOf(const QString& path) {
    const QFileInfo target(path);
    QDir folder = target.absoluteDir();
    const QStringList names = folder.entryList({target.fileName() + QStringLiteral(".??????")},
                                               QDir::Files | QDir::Hidden);
    for (const QString& name : names) {
        const QString ending = name.right(6);
        const bool random = std::all_of(ending.begin(), ending.end(), [](QChar ch) {
            return ch.isLetterOrNumber() && ch.unicode() < 0x80;
        });
        if (random && ending != ending.toLower()) {
            folder.remove(name);
        }
    }
}

}  // namespace

bool FileIo::writeDurable(const QString& path, QByteArrayView bytes) {
    removeTemporariesOf(path);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        file.commit();
        return false;
    }
    return file.commit();
}

bool FileIo::append(const QString& path, QByteArrayView bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Append)) {
        return false;
    }
    const bool written = file.write(bytes.data(), bytes.size()) == bytes.size();
    return file.flush() && written;
}

bool FileIo::isFile(const QString& path) {
    return QFileInfo(path).isFile();
}

bool FileIo::isDirectory(const QString& path) {
    return QFileInfo(path).isDir();
}

bool FileIo::makeDirectories(const QString& path) {
    return QDir().mkpath(path);
}

bool FileIo::remove(const QString& path) {
    return QFile::remove(path);
}

bool FileIo::rename(const QString& from, const QString& to) {
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
}

qint64 FileIo::size(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() ? info.size() : -1;
}
