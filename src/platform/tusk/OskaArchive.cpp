#include "platform/tusk/OskaArchive.h"

#include <zip.h>

#include <QDir>
#include <QFile>
#include <algorithm>

#include "platform/os/GameFolder.h"

namespace {

// Reads grow the buffer from this size, so a lying size never allocates much.
constexpr qint64 kFirstChunk = qint64(1) << 20;

struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};
using ZipFile = std::unique_ptr<zip_file_t, ZipFileCloser>;

bool isFolderName(const QString& name) {
    return name.endsWith(QLatin1Char('/')) || name.endsWith(QLatin1Char('\\'));
}

bool isSafeName(const QString& name) {
    return !name.isEmpty() && !isFolderName(name) && GameFolder::isConfined(name);
}

// Reads exactly `wanted` bytes (never more), growing `out` as data arrives.
bool readExactly(zip_file_t* file, QByteArray& out, qint64 wanted, qint64 firstChunk) {
    out.resize(std::min(wanted, std::max(firstChunk, kFirstChunk)));
    qint64 got = 0;
    while (got < wanted) {
        if (got == out.size()) {
            out.resize(std::min(wanted, out.size() * 2));
        }
        const zip_int64_t n = zip_fread(file, out.data() + got, out.size() - got);
        if (n <= 0) {
            return false;
        }
        got += n;
    }
    return true;
}

// After a whole read the stream must end here; reaching the end checks the CRC.
bool endsCleanly(zip_file_t* file) {
    char extra = 0;
    return zip_fread(file, &extra, 1) == 0;
}

}  // namespace

void OskaArchive::ZipCloser::operator()(zip* archive) const {
    zip_discard(archive);
}

OskaArchive::OskaArchive() = default;
OskaArchive::~OskaArchive() = default;

OskaArchive::Status OskaArchive::open(const QString& path) {
    zip_.reset();
    entries_.clear();
    listChecked_ = false;
    if (!QFile::exists(path)) {
        return Status::CannotOpen;
    }
    int error = 0;
    zip_t* archive =
        zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY | ZIP_CHECKCONS, &error);
    if (archive == nullptr) {
        return error == ZIP_ER_OPEN || error == ZIP_ER_READ ? Status::CannotOpen
                                                            : Status::NotAnArchive;
    }
    std::unique_ptr<zip, ZipCloser> opened(archive);
    const zip_int64_t count = zip_get_num_entries(archive, 0);
    if (count < 1) {
        return Status::NoFileList;
    }
    if (count > kMaxEntries) {
        return Status::TooManyEntries;
    }
    std::vector<Entry> entries;
    entries.reserve(static_cast<std::size_t>(count));
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        const zip_uint64_t needed = ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE;
        if (zip_stat_index(archive, static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
            (stat.valid & needed) != needed) {
            return Status::NotAnArchive;
        }
        Entry entry;
        entry.name = QString::fromUtf8(stat.name);
        if (!isSafeName(entry.name)) {
            return Status::BadEntryName;
        }
        entry.size = static_cast<qint64>(std::min<zip_uint64_t>(stat.size, INT64_MAX));
        entry.storedSize = static_cast<qint64>(std::min<zip_uint64_t>(stat.comp_size, INT64_MAX));
        entry.stored = (stat.valid & ZIP_STAT_COMP_METHOD) && stat.comp_method == ZIP_CM_STORE;
        entries.push_back(entry);
    }
    zip_ = std::move(opened);
    entries_ = std::move(entries);
    return Status::Ok;
}

QString OskaArchive::entryName(int index) const {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].name
                                         : QString();
}

qint64 OskaArchive::entrySize(int index) const {
    return index >= 0 && index < count() ? entries_[static_cast<std::size_t>(index)].size : -1;
}

OskaArchive::Status OskaArchive::read(int index, QByteArray& out, qint64 count) {
    if (!isOpen() || index < 0 || index >= this->count()) {
        return Status::NoSuchEntry;
    }
    const qint64 size = entrySize(index);
    if (count < -1 || count > size) {
        return Status::BadCount;
    }
    if (index != 0) {
        return readEntry(index, out, count);
    }
    QByteArray list;
    const Status status = readEntry(0, list, -1);
    if (status != Status::Ok) {
        return status;
    }
    if (!listChecked_) {
        if (const Status fit = checkList(list); fit != Status::Ok) {
            return fit;
        }
        listChecked_ = true;
    }
    out = count == -1 ? list : list.left(count);
    return Status::Ok;
}

OskaArchive::Status OskaArchive::readEntry(int index, QByteArray& out, qint64 count) {
    const Entry& entry = entries_[static_cast<std::size_t>(index)];
    const qint64 limit = index == 0 ? kMaxListBytes : kMaxEntryBytes;
    if (entry.size > limit) {
        return Status::EntryTooLarge;
    }
    if (entry.stored && entry.storedSize != entry.size) {
        return Status::Damaged;
    }
    const bool whole = count == -1 || count == entry.size;
    const qint64 wanted = whole ? entry.size : count;
    ZipFile file(zip_fopen_index(zip_.get(), static_cast<zip_uint64_t>(index), 0));
    if (file == nullptr) {
        return Status::Damaged;
    }
    QByteArray bytes;
    if (!readExactly(file.get(), bytes, wanted, entry.storedSize)) {
        return Status::Damaged;
    }
    if (whole && !endsCleanly(file.get())) {
        return Status::Damaged;
    }
    out = std::move(bytes);
    return Status::Ok;
}

OskaArchive::Status OskaArchive::checkList(const QByteArray& list) const {
    // CR and LF never occur inside a CP932 double-byte character, so counting
    // CR LF pairs in the bytes counts the lines.
    return list.count("\r\n") == count() ? Status::Ok : Status::ListMismatch;
}

QString OskaArchive::describe(Status status) {
    switch (status) {
        case Status::Ok:
            return QStringLiteral("no error");
        case Status::CannotOpen:
            return QStringLiteral("cannot open the file");
        case Status::NotAnArchive:
            return QStringLiteral("not an archive, or damaged (truncated or inconsistent)");
        case Status::NoFileList:
            return QStringLiteral("the archive has no file list");
        case Status::TooManyEntries:
            return QStringLiteral("the archive has more than %1 entries").arg(kMaxEntries);
        case Status::BadEntryName:
            return QStringLiteral(
                "an entry name is empty, a folder, absolute or leaves the folder");
        case Status::NoSuchEntry:
            return QStringLiteral("no such entry");
        case Status::EntryTooLarge:
            return QStringLiteral("an entry declares more bytes than allowed");
        case Status::BadCount:
            return QStringLiteral("a read asked for more bytes than the entry holds");
        case Status::Damaged:
            return QStringLiteral("an entry is damaged (size or checksum does not match)");
        case Status::ListMismatch:
            return QStringLiteral("the file list does not have one line per entry");
    }
    return QString();
}

QStringList OskaArchive::findArchives(const QString& folder) {
    if (folder.isEmpty()) {
        return {};
    }
    const QDir dir(folder);
    QStringList names;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (name.endsWith(QLatin1String(".oska"), Qt::CaseInsensitive)) {
            names.append(name);
        }
    }
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        const int folded = a.compare(b, Qt::CaseInsensitive);
        return folded != 0 ? folded < 0 : a < b;
    });
    QStringList paths;
    for (const QString& name : names) {
        paths.append(folder + QLatin1Char('/') + name);
    }
    return paths;
}
