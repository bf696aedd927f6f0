#include "platform/tusk/OskaArchive.h"

#include <gtest/gtest.h>

#include <QDir>

#include "OskaTestArchives.h"
#include "TestSupport.h"

using Status = OskaArchive::Status;
using oskatest::Files;

namespace {

const Files kFiles = {{QStringLiteral("bg/bg01.png"), QByteArray("\x89PNG not really", 15)},
                      {QStringLiteral("story.txt"), QByteArray("line\r\n").repeated(100)}};

Status openBytes(OskaArchive& archive, const TempFolder& dir, const QByteArray& bytes) {
    dir.write(QStringLiteral("test.oska"), bytes);
    return archive.open(dir.file(QStringLiteral("test.oska")));
}

// Opens the bytes and reads the entry whole; the first failing status.
Status openAndRead(const QByteArray& bytes, int index) {
    TempFolder dir;
    OskaArchive archive;
    const Status opened = openBytes(archive, dir, bytes);
    if (opened != Status::Ok) {
        return opened;
    }
    QByteArray out;
    return archive.read(index, out);
}

OskaWriter::Entry entry(const QString& name, const QByteArray& bytes) {
    return OskaWriter::Entry{name, bytes, {}};
}

}  // namespace

TEST(OskaArchive, ReadsWhatTheWriterWrote) {
    TempFolder dir;
    OskaArchive archive;
    ASSERT_EQ(openBytes(archive, dir, oskatest::archive(kFiles)), Status::Ok);
    ASSERT_EQ(archive.count(), 3);
    EXPECT_EQ(archive.entryName(0), QString::fromLatin1(OskaArchive::kListEntryName));
    EXPECT_EQ(archive.entryName(1), QStringLiteral("bg/bg01.png"));
    EXPECT_EQ(archive.entrySize(2), 600);
    EXPECT_EQ(archive.entrySize(3), -1);
    EXPECT_EQ(archive.entryName(-1), QString());

    QByteArray out;
    ASSERT_EQ(archive.read(0, out), Status::Ok);
    EXPECT_EQ(out, QByteArray("oskalist\r\nbg01\r\nstory\r\n"));
    ASSERT_EQ(archive.read(2, out), Status::Ok);
    EXPECT_EQ(out, kFiles[1].second);
    ASSERT_EQ(archive.read(1, out, 4), Status::Ok);
    EXPECT_EQ(out, QByteArray("\x89PNG", 4));
    ASSERT_EQ(archive.read(0, out, 8), Status::Ok);
    EXPECT_EQ(out, QByteArray("oskalist"));
}

TEST(OskaArchive, ReadsStayInsideTheEntries) {
    TempFolder dir;
    OskaArchive archive;
    ASSERT_EQ(openBytes(archive, dir, oskatest::archive(kFiles)), Status::Ok);
    QByteArray out("untouched");
    EXPECT_EQ(archive.read(2, out, 601), Status::BadCount);
    EXPECT_EQ(archive.read(2, out, -2), Status::BadCount);
    EXPECT_EQ(archive.read(3, out), Status::NoSuchEntry);
    EXPECT_EQ(archive.read(-1, out), Status::NoSuchEntry);
    EXPECT_EQ(out, QByteArray("untouched"));
    ASSERT_EQ(archive.read(2, out, 0), Status::Ok);
    EXPECT_TRUE(out.isEmpty());

    OskaArchive closed;
    EXPECT_EQ(closed.read(0, out), Status::NoSuchEntry);
}

TEST(OskaArchive, FilesThatAreNoArchives) {
    const QByteArray good = oskatest::archive(kFiles);
    EXPECT_EQ(openAndRead(QByteArray(), 0), Status::NotAnArchive);  // zero length
    EXPECT_EQ(openAndRead(QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'), 0),
              Status::NoFileList);  // a ZIP without entries
    EXPECT_EQ(openAndRead(good.left(good.size() - 10), 0), Status::NotAnArchive);
    EXPECT_EQ(openAndRead(good.left(good.size() / 2), 0), Status::NotAnArchive);
    EXPECT_EQ(openAndRead(QByteArray("just some text, not a zip file"), 0), Status::NotAnArchive);

    OskaArchive archive;
    EXPECT_EQ(archive.open(QStringLiteral("/nonexistent/folder/a.oska")), Status::CannotOpen);
    EXPECT_FALSE(archive.isOpen());
    EXPECT_EQ(archive.count(), 0);
}

TEST(OskaArchive, HeadersThatDisagreeAreRefused) {
    QByteArray zip = oskatest::archive(kFiles);
    const auto [central, local] = oskatest::headersOf(zip, 2);
    Q_UNUSED(local);
    oskatest::put32(zip, central + 24, 999);  // only the central directory changes
    EXPECT_EQ(openAndRead(zip, 2), Status::NotAnArchive);
}

TEST(OskaArchive, EntryNamesThatCouldLeaveAFolderAreRefused) {
    const QByteArray list("oskalist\r\nx\r\n");
    for (const QString& name :
         {QStringLiteral("../x.txt"), QStringLiteral("a/../../x.txt"), QStringLiteral("/etc/x"),
          QStringLiteral("C:\\x.txt"), QStringLiteral("..\\x.txt"), QStringLiteral("bg/")}) {
        const QByteArray zip = oskatest::rawArchive(
            {entry(QStringLiteral("oskalist.txt"), list), entry(name, QByteArray("data"))});
        ASSERT_FALSE(zip.isEmpty()) << name.toStdString();
        EXPECT_EQ(openAndRead(zip, 1), Status::BadEntryName) << name.toStdString();
    }
}

TEST(OskaArchive, AFileListMustHaveOneLinePerEntry) {
    const auto withList = [](const QByteArray& list) {
        return oskatest::rawArchive({entry(QStringLiteral("oskalist.txt"), list),
                                     entry(QStringLiteral("a.txt"), QByteArray("a"))});
    };
    EXPECT_EQ(openAndRead(withList("oskalist\r\na\r\n"), 1), Status::Ok);
    EXPECT_EQ(openAndRead(withList("oskalist\r\na\r\n"), 0), Status::Ok);
    EXPECT_EQ(openAndRead(withList("oskalist\r\na"), 0), Status::ListMismatch);
    EXPECT_EQ(openAndRead(withList("oskalist\r\na\r\nb\r\n"), 0), Status::ListMismatch);
    EXPECT_EQ(openAndRead(withList("oskalist\na\n"), 0), Status::ListMismatch);
    EXPECT_EQ(openAndRead(withList(QByteArray("k\r\n").repeated(200000)), 0), Status::ListMismatch);
    EXPECT_EQ(openAndRead(withList(QByteArray(5 * 1024 * 1024, 'k') + "\r\na\r\n"), 0),
              Status::EntryTooLarge);

    TempFolder dir;
    OskaArchive archive;
    ASSERT_EQ(openBytes(archive, dir, withList("oskalist\r\n")), Status::Ok);
    QByteArray out;
    EXPECT_EQ(archive.read(0, out, 3), Status::ListMismatch);  // a partial read checks too
}

TEST(OskaArchive, AnArchiveHoldsAtMostItsIdentifierSpan) {
    std::vector<OskaWriter::Entry> entries{entry(QStringLiteral("oskalist.txt"), QByteArray())};
    QStringList keys{QStringLiteral("oskalist")};
    for (int i = 1; i <= OskaArchive::kMaxEntries; ++i) {
        keys.append(QString::number(i));
        entries.push_back(entry(QString::number(i) + QStringLiteral(".txt"), QByteArray("x")));
    }
    entries.front().bytes = OskaWriter::fileList(keys);
    EXPECT_EQ(openAndRead(oskatest::rawArchive(entries), 0), Status::TooManyEntries);
    entries.pop_back();
    keys.removeLast();
    entries.front().bytes = OskaWriter::fileList(keys);
    EXPECT_EQ(openAndRead(oskatest::rawArchive(entries), OskaArchive::kMaxEntries - 1), Status::Ok);
}

TEST(OskaArchive, EntriesWhoseSizesLieAreDamaged) {
    for (const QString& name : {QStringLiteral("stored.png"), QStringLiteral("deflated.txt")}) {
        const QByteArray zip =
            oskatest::archive({{name, QByteArray("0123456789abcdef").repeated(64)}});
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(openAndRead(zip, 1), Status::Ok);
        EXPECT_EQ(openAndRead(oskatest::withDeclaredSize(zip, 1, 2000), 1), Status::Damaged);
        EXPECT_EQ(openAndRead(oskatest::withDeclaredSize(zip, 1, 1000), 1), Status::Damaged);
        EXPECT_EQ(openAndRead(oskatest::withDeclaredSize(zip, 1, 400u << 20), 1), Status::Damaged);
        EXPECT_EQ(openAndRead(oskatest::withDeclaredSize(zip, 1, 600u << 20), 1),
                  Status::EntryTooLarge);
        EXPECT_EQ(openAndRead(oskatest::withFlippedData(zip, 1), 1), Status::Damaged);
    }
}

TEST(OskaArchive, ADamagedEntryLeavesTheOthersReadable) {
    TempFolder dir;
    OskaArchive archive;
    const QByteArray zip = oskatest::withFlippedData(oskatest::archive(kFiles), 1);
    ASSERT_EQ(openBytes(archive, dir, zip), Status::Ok);
    QByteArray out;
    EXPECT_EQ(archive.read(1, out), Status::Damaged);
    EXPECT_EQ(archive.read(2, out), Status::Ok);
    EXPECT_EQ(out, kFiles[1].second);
}

TEST(OskaArchive, FindsArchivesByExtensionInAnyLetterCaseSortedByName) {
    TempFolder dir;
    for (const char* name : {"b.OSKA", "a.oska", "C.Oska", "d.oska.txt", "e.zip", "sub/f.oska"}) {
        dir.write(QString::fromLatin1(name), QByteArray("x"));
    }
    QDir().mkpath(dir.file(QStringLiteral("g.oska")));  // a folder is no archive
    EXPECT_EQ(OskaArchive::findArchives(dir.path()),
              QStringList({dir.file(QStringLiteral("a.oska")), dir.file(QStringLiteral("b.OSKA")),
                           dir.file(QStringLiteral("C.Oska"))}));
    EXPECT_TRUE(OskaArchive::findArchives(dir.file(QStringLiteral("none"))).isEmpty());
    EXPECT_TRUE(OskaArchive::findArchives(QString()).isEmpty());
}
