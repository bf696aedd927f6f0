#include "platform/tusk/OskaWriter.h"

#include <zip.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <algorithm>

#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"

namespace {

bool isAlreadyCompressed(const QString& name) {
    static const QStringList kinds = {
        QStringLiteral(".png"),  QStringLiteral(".jpg"),  QStringLiteral(".jpeg"),
        QStringLiteral(".ogg"),  QStringLiteral(".mp3"),  QStringLiteral(".m4a"),
        QStringLiteral(".mp4"),  QStringLiteral(".webm"), QStringLiteral(".mpg"),
        QStringLiteral(".mpeg"), QStringLiteral(".wmv"),  QStringLiteral(".avi")};
    return std::any_of(kinds.begin(), kinds.end(), [&name](const QString& suffix) {
        return name.endsWith(suffix, Qt::CaseInsensitive);
    });
}

zip_source_t* sourceOf(zip_t* archive, const OskaWriter::Entry& entry) {
    if (!entry.sourcePath.isEmpty()) {
        return zip_source_file(archive, QFile::encodeName(entry.sourcePath).constData(), 0, 0);
    }
    return zip_source_buffer(archive, entry.bytes.constData(),
                             static_cast<zip_uint64_t>(entry.bytes.size()), 0);
}

bool addEntry(zip_t* archive, const OskaWriter::Entry& entry, QString& error) {
    zip_source_t* source = sourceOf(archive, entry);
    if (source == nullptr) {
        error = entry.name + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(archive));
        return false;
    }
    const zip_int64_t index =
        zip_file_add(archive, entry.name.toUtf8().constData(), source, ZIP_FL_ENC_UTF_8);
    if (index < 0) {
        zip_source_free(source);
        error = entry.name + QStringLiteral(": ") + QString::fromUtf8(zip_strerror(archive));
        return false;
    }
    const zip_int32_t method = isAlreadyCompressed(entry.name) ? ZIP_CM_STORE : ZIP_CM_DEFLATE;
    zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), method, 0);
    return true;
}

std::optional<QByteArray> contentsOf(zip_source_t* buffer) {
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE) ||
        zip_source_open(buffer) != 0) {
        return std::nullopt;
    }
    QByteArray bytes(static_cast<qsizetype>(stat.size), '\0');
    const zip_int64_t read = zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    if (read != static_cast<zip_int64_t>(stat.size)) {
        return std::nullopt;
    }
    return bytes;
}

}  // namespace

std::optional<QByteArray> OskaWriter::build(const std::vector<Entry>& entries, QString& error) {
    if (entries.empty()) {
        error = QStringLiteral("an archive needs at least its file list");
        return std::nullopt;
    }
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    if (buffer == nullptr) {
        error = QString::fromUtf8(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        return std::nullopt;
    }
    zip_source_keep(buffer);  // the archive's close writes into it; it is read afterwards
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &zipError);
    if (archive == nullptr) {
        error = QString::fromUtf8(zip_error_strerror(&zipError));
        zip_error_fini(&zipError);
        zip_source_free(buffer);
        return std::nullopt;
    }
    zip_error_fini(&zipError);
    for (const Entry& entry : entries) {
        if (!addEntry(archive, entry, error)) {
            zip_discard(archive);
            zip_source_free(buffer);
            return std::nullopt;
        }
    }
    if (zip_close(archive) != 0) {
        error = QString::fromUtf8(zip_strerror(archive));
        zip_discard(archive);
        zip_source_free(buffer);
        return std::nullopt;
    }
    std::optional<QByteArray> bytes = contentsOf(buffer);
    zip_source_free(buffer);
    if (!bytes) {
        error = QStringLiteral("cannot read the archive back from memory");
    }
    return bytes;
}

bool OskaWriter::write(const QString& path, const std::vector<Entry>& entries, QString& error) {
    const std::optional<QByteArray> bytes = build(entries, error);
    if (!bytes) {
        return false;
    }
    if (!FileIo::writeDurable(path, *bytes)) {
        error = QStringLiteral("cannot write ") + path;
        return false;
    }
    return true;
}

QByteArray OskaWriter::fileList(const QStringList& keys) {
    QString text;
    for (const QString& key : keys) {
        text += key + QStringLiteral("\r\n");
    }
    return Cp932Codec::encode(text);
}

QStringList OskaWriter::packableFiles(const QString& folder) {
    // An absolute root: QDir::relativeFilePath returns a relative path unchanged,
    // so a relative folder would give entry names that still begin with it.
    const QDir root(QDir(folder).absolutePath());
    QStringList files;
    QDirIterator it(root.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        files.append(root.relativeFilePath(it.next()));
    }
    std::sort(files.begin(), files.end());
    return files;
}
