#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

struct zip;

// One .oska file opened for reading. An .oska file is a ZIP archive; entry 0 is
// its file list (CP932 text, one key per line, each line ended by CR LF; line k
// is the key of entry k). Every read is bounds-checked: a damaged archive gives
// a status, never a crash or a read outside the entry.
class OskaArchive {
public:
    enum class Status {
        Ok,
        CannotOpen,      // missing or unreadable file
        NotAnArchive,    // not a ZIP archive, truncated, or inconsistent headers
        NoFileList,      // no entry at all
        TooManyEntries,  // more entries than an archive has identifiers
        BadEntryName,    // empty, absolute, climbing with "..", or a folder entry
        NoSuchEntry,
        EntryTooLarge,  // declares more bytes than any entry may hold
        BadCount,       // a read asked for more bytes than the entry holds
        Damaged,        // the stored data does not match its declared size or checksum
        ListMismatch,   // the file list does not have one line per entry
    };

    // An archive owns this many identifiers, so it holds at most this many entries.
    static constexpr int kMaxEntries = 5000;
    static constexpr qint64 kMaxEntryBytes = qint64(512) * 1024 * 1024;
    static constexpr qint64 kMaxListBytes = qint64(4) * 1024 * 1024;
    // The file list's entry name and key, as written by the packer.
    static constexpr char kListEntryName[] = "oskalist.txt";
    static constexpr char kListKey[] = "oskalist";

    OskaArchive();
    ~OskaArchive();
    OskaArchive(const OskaArchive&) = delete;
    OskaArchive& operator=(const OskaArchive&) = delete;

    // Opens the file and checks its structure: ZIP headers, entry count, entry
    // names. The file list's contents are checked on its first read.
    Status open(const QString& path);
    bool isOpen() const { return zip_ != nullptr; }

    int count() const { return static_cast<int>(entries_.size()); }
    // The entry's name inside the archive ("" when there is no such entry).
    QString entryName(int index) const;
    // The declared size in bytes, -1 when there is no such entry.
    qint64 entrySize(int index) const;

    // Reads the entry's first `count` bytes (all of them when count is -1) into `out`.
    // Only a whole read verifies the checksum; entry 0 is always read whole and
    // checked against the entry count.
    Status read(int index, QByteArray& out, qint64 count = -1);

    // A one-line English description for command-line tools.
    static QString describe(Status status);

    // The archive files (*.oska, extension in any letter case) directly in the
    // folder, as paths, sorted by file name so every run registers them in the
    // same order.
    static QStringList findArchives(const QString& folder);

private:
    struct Entry {
        QString name;
        qint64 size = 0;
        qint64 storedSize = 0;
        bool stored = false;  // kept without compression
    };
    struct ZipCloser {
        void operator()(zip* archive) const;
    };

    Status readEntry(int index, QByteArray& out, qint64 count);
    Status checkList(const QByteArray& list) const;

    std::unique_ptr<zip, ZipCloser> zip_;
    std::vector<Entry> entries_;
    bool listChecked_ = false;
};
