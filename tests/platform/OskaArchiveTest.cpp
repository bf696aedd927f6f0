#include "platform/tusk/OskaArchive.h"

#include <gtest/gtest.h>

#include <QDir>

#include "OskaTestArchives.h"
#include "TestSupport.h"

using Status = OskaArchive::Status;

namespace {

const oskatest::Files kFiles = {{"bg/bg01.png", QByteArray("\x89PNG not really", 15)},
                                {"story.txt", QByteArray("line\r\n").repeated(100)}};

Status openBytes(OskaArchive& archive, const TempFolder& dir, const QByteArray& bytes) {
    dir.write("test.oska", bytes);
    return archive.open(dir.file("test.oska"));
}

// Opens the bytes and reads the entry whole; the first failing status.
Status openAndRead(const QByteArray& bytes, int index) {
    TempFolder dir;
    OskaArchive archive;
    const Status opened = openBytes(archive, dir, bytes);
    QByteArray out;
    return opened != Status::Ok ? opened : archive.read(index, out);
}

// An archive of a list and one file "a.txt".
QByteArray withList(const QByteArray& list) {
    return oskatest::rawArchive({{"oskalist.txt", list, {}}, {"a.txt", "a", {}}});
}

}  // namespace

TEST(OskaArchive, ReadsWhatTheWriterWroteAndStaysInsideTheEntries) {
    TempFolder dir;
    OskaArchive archive;
    ASSERT_EQ(openBytes(archive, dir, oskatest::archive(kFiles)), Status::Ok);
    ASSERT_EQ(archive.count(), 3);
    EXPECT_EQ(archive.entryName(0), "oskalist.txt");
    EXPECT_EQ(archive.entryName(1), "bg/bg01.png");
    EXPECT_EQ(archive.entryName(-1), QString());
    EXPECT_EQ(archive.entrySize(2), 600);
    EXPECT_EQ(archive.entrySize(3), -1);
    QByteArray out;
    ASSERT_EQ(archive.read(0, out), Status::Ok);
    EXPECT_EQ(out, "oskalist\r\nbg01\r\nstory\r\n");
    ASSERT_EQ(archive.read(2, out), Status::Ok);
    EXPECT_EQ(out, kFiles[1].second);
    ASSERT_EQ(archive.read(0, out, 8), Status::Ok);
    EXPECT_EQ(out, "oskalist");
    ASSERT_EQ(archive.read(1, out, 4), Status::Ok);
    EXPECT_EQ(out, "\x89PNG");
    ASSERT_EQ(archive.read(2, out, 0), Status::Ok);
    EXPECT_TRUE(out.isEmpty());
    out = "untouched";
    EXPECT_EQ(archive.read(2, out, 601), Status::BadCount);
    EXPECT_EQ(archive.read(2, out, -2), Status::BadCount);
    EXPECT_EQ(archive.read(3, out), Status::NoSuchEntry);
    EXPECT_EQ(archive.read(-1, out), Status::NoSuchEntry);
    EXPECT_EQ(out, "untouched");
    EXPECT_EQ(OskaArchive().read(0, out), Status::NoSuchEntry);  // none open
}

TEST(OskaArchive, FilesThatAreNoArchivesOrWhoseHeadersDisagree) {
    const QByteArray good = oskatest::archive(kFiles);
    QByteArray disagreeing = good;
    // Only the central directory changes the declared size.
    oskatest::put32(disagreeing, oskatest::headersOf(good, 2).first + 24, 999);
    const std::pair<QByteArray, Status> rows[] = {
        {QByteArray(), Status::NotAnArchive},
        {QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'), Status::NoFileList},  // no entries
        {good.left(good.size() - 10), Status::NotAnArchive},
        {good.left(good.size() / 2), Status::NotAnArchive},
        {"just some text, not a zip file", Status::NotAnArchive},
        {disagreeing, Status::NotAnArchive}};
    for (const auto& [bytes, status] : rows) {
        EXPECT_EQ(openAndRead(bytes, 2), status) << bytes.left(30).toStdString();
    }
    OskaArchive archive;
    EXPECT_EQ(archive.open("/nonexistent/folder/a.oska"), Status::CannotOpen);
    EXPECT_FALSE(archive.isOpen());
    EXPECT_EQ(archive.count(), 0);
}

TEST(OskaArchive, EntryNamesThatCouldLeaveAFolderAreRefused) {
    for (const char* name :
         {"../x.txt", "a/../../x.txt", "/etc/x", "C:\\x.txt", "..\\x.txt", "bg/"}) {
        const QByteArray zip =
            oskatest::rawArchive({{"oskalist.txt", "oskalist\r\nx\r\n", {}}, {name, "data", {}}});
        ASSERT_FALSE(zip.isEmpty()) << name;
        EXPECT_EQ(openAndRead(zip, 1), Status::BadEntryName) << name;
    }
}

TEST(OskaArchive, AFileListMustHaveOneLinePerEntry) {
    EXPECT_EQ(openAndRead(withList("oskalist\r\na\r\n"), 1), Status::Ok);
    EXPECT_EQ(openAndRead(withList("oskalist\r\na\r\n"), 0), Status::Ok);
    for (const QByteArray& list :
         {QByteArray("oskalist\r\na"), QByteArray("oskalist\r\na\r\nb\r\n"),
          QByteArray("oskalist\na\n"), QByteArray("k\r\n").repeated(200000)}) {
        EXPECT_EQ(openAndRead(withList(list), 0), Status::ListMismatch)
            << list.left(20).toStdString();
    }
    EXPECT_EQ(openAndRead(withList(QByteArray(5 * 1024 * 1024, 'k') + "\r\na\r\n"), 0),
              Status::EntryTooLarge);
    TempFolder dir;
    OskaArchive archive;
    ASSERT_EQ(openBytes(archive, dir, withList("oskalist\r\n")), Status::Ok);
    QByteArray out;
    EXPECT_EQ(archive.read(0, out, 3), Status::ListMismatch);  // a partial read checks too
}

TEST(OskaArchive, AnArchiveHoldsAtMostItsIdentifierSpan) {
    std::vector<OskaWriter::Entry> entries{{"oskalist.txt", {}, {}}};
    QStringList keys{"oskalist"};
    for (int i = 1; i <= OskaArchive::kMaxEntries; ++i) {
        keys.append(QString::number(i));
        entries.push_back({QString::number(i) + ".txt", "x", {}});
    }
    entries.front().bytes = OskaWriter::fileList(keys);
    EXPECT_EQ(openAndRead(oskatest::rawArchive(entries), 0), Status::TooManyEntries);
    entries.pop_back();
    keys.removeLast();
    entries.front().bytes = OskaWriter::fileList(keys);
    EXPECT_EQ(openAndRead(oskatest::rawArchive(entries), OskaArchive::kMaxEntries - 1), Status::Ok);
}

TEST(OskaArchive, EntriesWhoseSizesLieOrDataIsDamagedFailAlone) {
    for (const char* name : {"stored.png", "deflated.txt"}) {
        SCOPED_TRACE(name);
        const QByteArray zip =
            oskatest::archive({{name, QByteArray("0123456789abcdef").repeated(64)}});
        EXPECT_EQ(openAndRead(zip, 1), Status::Ok);
        for (quint32 size : {2000u, 1000u, 400u << 20}) {
            EXPECT_EQ(openAndRead(oskatest::withDeclaredSize(zip, 1, size), 1), Status::Damaged);
        }
        EXPECT_EQ(openAndRead(oskatest::withDeclaredSize(zip, 1, 600u << 20), 1),
                  Status::EntryTooLarge);
        EXPECT_EQ(openAndRead(oskatest::withFlippedData(zip, 1), 1), Status::Damaged);
    }
    TempFolder dir;
    OskaArchive archive;
    ASSERT_EQ(openBytes(archive, dir, oskatest::withFlippedData(oskatest::archive(kFiles), 1)),
              Status::Ok);
    QByteArray out;
    EXPECT_EQ(archive.read(1, out), Status::Damaged);
    EXPECT_EQ(archive.read(2, out), Status::Ok);
    EXPECT_EQ(out, kFiles[1].second);
}

TEST(OskaArchive, FindsArchivesByExtensionInAnyLetterCaseSortedByName) {
    TempFolder dir;
    for (const char* name : {"b.OSKA", "a.oska", "C.Oska", "d.oska.txt", "e.zip", "sub/f.oska"}) {
        dir.write(name, "x");
    }
    QDir().mkpath(dir.file("g.oska"));  // a folder is no archive
    EXPECT_EQ(OskaArchive::findArchives(dir.path()),
              QStringList({dir.file("a.oska"), dir.file("b.OSKA"), dir.file("C.Oska")}));
    EXPECT_TRUE(OskaArchive::findArchives(dir.file("none")).isEmpty());
    EXPECT_TRUE(OskaArchive::findArchives(QString()).isEmpty());
}
