#pragma once

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QString>

// Copies every file below `from` (hidden ones too) to the same place below `to`.
inline bool CopyFolder(const QString& from, const QString& to) {
    const QDir source(from);
    QDirIterator files(from, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString target = to + QLatin1Char('/') + source.relativeFilePath(path);
        if (!QDir().mkpath(QFileInfo(target).path()) || !QFile::copy(path, target)) {
            return false;
        }
    }
    return true;
}
