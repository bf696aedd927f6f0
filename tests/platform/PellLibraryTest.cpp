#include "platform/tusk/PellLibrary.h"

#include <gtest/gtest.h>

#include <limits>

#include "OskaTestArchives.h"
#include "TestSupport.h"

namespace {

using P = PellLibrary;
using Read = std::pair<std::int32_t, QByteArray>;

const oskatest::Files kText = {{"a.txt", "alpha"}, {"b.txt", "beta!"}};

class PellLibraryTest : public ::testing::Test {
protected:
    QString archive(const QString& name, const oskatest::Files& files) {
        dir.write(name, oskatest::archive(files));
        return dir.file(name);
    }
    // Starts the library with one archive holding the test picture (4 x 3) as
    // PNG (1), BMP (2) and a text entry (3).
    void startWithPictures() {
        const QImage picture = oskatest::testPicture(4, 3);
        ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
        ASSERT_EQ(pell.Pell_SetArchiveName(
                      archive("a.oska", {{"pic.png", oskatest::encoded(picture, "PNG")},
                                         {"pic2.bmp", oskatest::encoded(picture, "BMP")},
                                         {"text.txt", "not a picture"}}),
                      0),
                  P::kPellSuccess);
    }
    // The result code of a read, and the bytes read ("kept" when none were).
    Read read(std::int32_t id, std::int32_t count) {
        QByteArray bytes("kept");
        const std::int32_t code = pell.Pell_GetMemory(id, bytes, count);
        return {code, bytes};
    }
    TempFolder dir;
    PellLibrary pell;
};

}  // namespace

TEST_F(PellLibraryTest, NothingWorksBeforeInitialisationAndItHappensOnce) {
    EXPECT_EQ(pell.Pell_SetArchiveName(archive("a.oska", kText), 0), P::kPellNotInitialized);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUnusable);
    EXPECT_EQ(pell.Pell_GetDataSize(1), P::kPellNoSize);
    EXPECT_EQ(read(1, 1), Read(P::kPellNotInitialized, "kept"));
    EXPECT_EQ(pell.InitializePell(-1), P::kPellBadArgument);
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUsable);
    EXPECT_EQ(pell.InitializePell(1), P::kPellAlreadyInitialized);
}

TEST_F(PellLibraryTest, IdentifiersAreBasePlusEntryIndexAndReadsAreBounded) {
    ASSERT_EQ(pell.InitializePell(2), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive("a.oska", kText), 0), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive("b.oska", {{"c.txt", "gamma"}}), 5000),
              P::kPellSuccess);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUsable);
    EXPECT_EQ(read(2, 5), Read(P::kPellSuccess, "beta!"));
    EXPECT_EQ(read(5001, 5), Read(P::kPellSuccess, "gamma"));
    EXPECT_EQ(read(5000, pell.Pell_GetDataSize(5000)), Read(P::kPellSuccess, "oskalist\r\nc\r\n"));
    EXPECT_EQ(read(1, 3), Read(P::kPellSuccess, "alp"));
    for (const std::int32_t id : {3, 5002, -1}) {
        EXPECT_EQ(pell.Pell_GetDataSize(id), P::kPellNoSize) << id;
    }
    EXPECT_EQ(pell.Pell_GetDataSize(1), 5);
    EXPECT_EQ(read(3, 0), Read(P::kPellUnknownIdentifier, "kept"));
    EXPECT_EQ(read(1, 6), Read(P::kPellBadCount, "kept"));
    EXPECT_EQ(read(1, -1), Read(P::kPellBadArgument, "kept"));
}

TEST_F(PellLibraryTest, RegistrationsReportDamageAndClashes) {
    ASSERT_EQ(pell.InitializePell(2), P::kPellSuccess);
    dir.write("bad.oska", "not an archive");
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file("bad.oska"), 0), P::kPellNotAnArchive);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUnusable);
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file("none.oska"), 0), P::kPellCannotOpen);
    dir.write("empty.oska", QByteArray());
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file("empty.oska"), 0), P::kPellNotAnArchive);
    dir.write("no-entry.oska", QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file("no-entry.oska"), 0), P::kPellNoFileList);
    const QString a = archive("a.oska", kText);  // identifiers base .. base + 2
    EXPECT_EQ(pell.Pell_SetArchiveName(a, -5), P::kPellBadArgument);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, std::numeric_limits<std::int32_t>::max() - 1),
              P::kPellBadArgument);
    ASSERT_EQ(pell.Pell_SetArchiveName(a, 10), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUsable);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, 12), P::kPellIdentifierClash);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, 8), P::kPellIdentifierClash);
    ASSERT_EQ(pell.Pell_SetArchiveName(a, 13), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, 100), P::kPellTooManyArchives);
    // A list that does not fit its archive registers but cannot be read.
    dir.write("short.oska",
              oskatest::rawArchive({{"oskalist.txt", "oskalist\r\n", {}}, {"a.txt", "a", {}}}));
    ASSERT_EQ(pell.Pell_SetArchiveName(dir.file("short.oska"), 10), P::kPellSuccess);
    EXPECT_EQ(read(10, pell.Pell_GetDataSize(10)), Read(P::kPellListMismatch, "kept"));
}

TEST_F(PellLibraryTest, RegisteringUnderAUsedBaseReplacesThatArchiveAndTerminateClosesAll) {
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive("a.oska", kText), 0), P::kPellSuccess);
    EXPECT_EQ(read(1, 5), Read(P::kPellSuccess, "alpha"));  // now cached
    ASSERT_EQ(pell.Pell_SetArchiveName(archive("b.oska", {{"c.txt", "gamma"}}), 0),
              P::kPellSuccess);
    EXPECT_EQ(read(1, 5), Read(P::kPellSuccess, "gamma"));
    EXPECT_EQ(pell.Pell_GetDataSize(2), P::kPellNoSize);
    pell.TerminatePell();
    EXPECT_EQ(pell.Pell_OK(), P::kPellUnusable);
    EXPECT_EQ(pell.Pell_GetDataSize(1), P::kPellNoSize);
    EXPECT_EQ(pell.InitializePell(1), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_GetDataSize(1), P::kPellNoSize);
}

TEST_F(PellLibraryTest, PicturesAreDecodedIntoTheTarget) {
    startWithPictures();
    int w = -1;
    int h = -1;
    ASSERT_EQ(pell.Pell_GetGraphicSize(1, w, h), P::kPellSuccess);
    EXPECT_EQ(QSize(w, h), QSize(4, 3));
    EXPECT_EQ(pell.Pell_GetGraphicSize(3, w, h), P::kPellNotAPicture);
    EXPECT_EQ(QSize(w, h), QSize(0, 0));
    QImage target;
    ASSERT_EQ(pell.Pell_LoadGraphic_Direct(1, target), P::kPellSuccess);
    EXPECT_EQ(target.size(), QSize(4, 3));
    EXPECT_EQ(target.pixel(0, 0), qRgba(255, 255, 255, 255));
    EXPECT_EQ(target.pixel(3, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(qAlpha(target.pixel(0, 2)), 0);
    QImage bmp(4, 3, QImage::Format_RGB32);
    ASSERT_EQ(pell.Pell_LoadGraphic_Direct(2, bmp), P::kPellSuccess);
    EXPECT_EQ(bmp.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(bmp.pixel(2, 1), qRgb(0, 0, 0));
    QImage wrongSize(5, 3, QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(pell.Pell_LoadGraphic_Direct(1, wrongSize), P::kPellBadTarget);
    QImage text;
    EXPECT_EQ(pell.Pell_LoadGraphic(3, text, 0, 0), P::kPellNotAPicture);
    EXPECT_TRUE(text.isNull());
}

TEST_F(PellLibraryTest, PicturesAreDrawnAtAnOffsetAndClipped) {
    startWithPictures();
    QImage target(6, 6, QImage::Format_RGB32);
    target.fill(qRgb(0, 0, 255));
    ASSERT_EQ(pell.Pell_LoadGraphic(1, target, 3, 4), P::kPellSuccess);
    EXPECT_EQ(target.pixel(2, 4), qRgb(0, 0, 255));  // left of the picture
    EXPECT_EQ(target.pixel(3, 3), qRgb(0, 0, 255));  // above it
    EXPECT_EQ(target.pixel(3, 4), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(4, 5), qRgb(255, 255, 255));
    EXPECT_EQ(target.pixel(5, 4), qRgb(0, 0, 0));  // column 2 of the picture; 3 is clipped
    QImage far = target;
    ASSERT_EQ(pell.Pell_LoadGraphic(1, far, 1 << 30, -(1 << 30)), P::kPellSuccess);
    EXPECT_EQ(far, target);
    ASSERT_EQ(pell.Pell_LoadGraphic(1, target, -2, -1), P::kPellSuccess);
    EXPECT_EQ(target.pixel(0, 0), qRgb(0, 0, 0));  // picture pixel (2, 1)
    EXPECT_EQ(target.pixel(2, 0), qRgb(0, 0, 255));
    QImage mono(4, 3, QImage::Format_Mono);
    EXPECT_EQ(pell.Pell_LoadGraphic(1, mono, 0, 0), P::kPellBadTarget);
}

TEST_F(PellLibraryTest, MasksAreGreyWhiteOpaqueBlackTransparent) {
    startWithPictures();
    QImage grey;
    ASSERT_EQ(pell.Pell_LoadMask_Direct(1, grey), P::kPellSuccess);
    ASSERT_EQ(grey.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(grey.constScanLine(0)[0], 255);
    EXPECT_EQ(grey.constScanLine(0)[3], 0);
    EXPECT_EQ(grey.constScanLine(2)[0], 0);  // transparent counts as black
    QImage alpha(4, 3, QImage::Format_Alpha8);
    alpha.fill(0);
    ASSERT_EQ(pell.Pell_LoadMask(1, alpha, 0, 0), P::kPellSuccess);
    EXPECT_EQ(qAlpha(alpha.pixel(1, 1)), 255);
    EXPECT_EQ(qAlpha(alpha.pixel(2, 1)), 0);
    QImage colour(4, 3, QImage::Format_RGB32);
    ASSERT_EQ(pell.Pell_LoadMask(1, colour, 0, 0), P::kPellSuccess);
    EXPECT_EQ(colour.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(colour.pixel(3, 0), qRgb(0, 0, 0));
    QImage small(2, 2, QImage::Format_Grayscale8);
    EXPECT_EQ(pell.Pell_LoadMask_Direct(1, small), P::kPellBadTarget);
    ASSERT_EQ(pell.Pell_LoadMask(1, small, -1, 0), P::kPellSuccess);
    EXPECT_EQ(small.constScanLine(0)[0], 255);
    EXPECT_EQ(small.constScanLine(0)[1], 0);
}

TEST(PellLibraryCodes, EveryCodeHasItsOwnDescription) {
    QStringList seen;
    for (const std::int32_t code :
         {P::kPellSuccess, P::kPellNotInitialized, P::kPellAlreadyInitialized, P::kPellBadArgument,
          P::kPellTooManyArchives, P::kPellIdentifierClash, P::kPellCannotOpen,
          P::kPellNotAnArchive, P::kPellNoFileList, P::kPellTooManyEntries, P::kPellBadEntryName,
          P::kPellUnknownIdentifier, P::kPellEntryTooLarge, P::kPellBadCount, P::kPellDamagedEntry,
          P::kPellListMismatch, P::kPellNotAPicture, P::kPellBadTarget}) {
        const QString text = P::describe(code);
        EXPECT_FALSE(text.startsWith("unknown") || seen.contains(text)) << text.toStdString();
        seen.append(text);
    }
    EXPECT_EQ(P::describe(7), "unknown error 7");
}
