#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// The engine's only access to files. Paths use "/" separators.
class FileIo {
public:
    // The whole file, or nothing when it is missing, not a regular file, or unreadable.
    static std::optional<QByteArray> readAll(const QString& path);

    // Replaces the file durably: the bytes go to a temporary file in the same folder,
    // which is flushed and renamed over the old one. On any failure the old file is
    // untouched and no temporary file remains; one left by a process killed while
    // writing the file is removed by the next write.
    static bool writeDurable(const QString& path, QByteArrayView bytes);

    // Appends to the file, creating it when missing.
    static bool append(const QString& path, QByteArrayView bytes);

    static bool isFile(const QString& path);
    static bool isDirectory(const QString& path);
    static bool makeDirectories(const QString& path);
    static bool remove(const QString& path);
    // Renames a file over `to` in one step (an existing `to` is replaced).
    static bool rename(const QString& from, const QString& to);
    static qint64 size(const QString& path);
};
