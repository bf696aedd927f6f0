#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

// Writes .oska archives: ZIP files whose entry i is the i-th entry given.
// Pictures, sounds and movies are stored as they are (already compressed);
// everything else is deflated.
class OskaWriter {
public:
    struct Entry {
        QString name;        // the name inside the archive, "/" separating folders
        QByteArray bytes;    // the contents, unless sourcePath is set
        QString sourcePath;  // a file read when the archive is built
    };

    // The archive bytes. Names are stored as given: checking them is the caller's
    // business (tests build damaged archives with it). Nothing and an error text
    // on failure.
    static std::optional<QByteArray> build(const std::vector<Entry>& entries, QString& error);

    // Builds the archive and replaces the file durably.
    static bool write(const QString& path, const std::vector<Entry>& entries, QString& error);

    // The file list for the keys: CP932 text, every line ended by CR LF.
    static QByteArray fileList(const QStringList& keys);

    // The regular, non-hidden files in the folder and its subfolders, as paths
    // relative to it with "/" separators, sorted.
    static QStringList packableFiles(const QString& folder);
};
