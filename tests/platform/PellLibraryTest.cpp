#include "platform/tusk/PellLibrary.h"

#include <gtest/gtest.h>

#include <limits>

#include "OskaTestArchives.h"
#include "TestSupport.h"

namespace {

using P = PellLibrary;

class PellLibraryTest : public ::testing::Test {
protected:
    QString archive(const QString& name, const oskatest::Files& files) {
        dir.write(name, oskatest::archive(files));
        return dir.file(name);
    }

    TempFolder dir;
    PellLibrary pell;
};

const oskatest::Files kText = {{QStringLiteral("a.txt"), QByteArray("alpha")},
                               {QStringLiteral("b.txt"), QByteArray("beta!")}};

}  // namespace

TEST_F(PellLibraryTest, NothingWorksBeforeInitialisation) {
    const QString path = archive(QStringLiteral("a.oska"), kText);
    EXPECT_EQ(pell.Pell_SetArchiveName(path, 0), P::kPellNotInitialized);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUnusable);
    EXPECT_EQ(pell.Pell_GetDataSize(1), P::kPellNoSize);
    QByteArray bytes;
    EXPECT_EQ(pell.Pell_GetMemory(1, bytes, 1), P::kPellNotInitialized);

    EXPECT_EQ(pell.InitializePell(-1), P::kPellBadArgument);
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUsable);
    EXPECT_EQ(pell.InitializePell(1), P::kPellAlreadyInitialized);
}

TEST_F(PellLibraryTest, IdentifiersAreBasePlusEntryIndex) {
    ASSERT_EQ(pell.InitializePell(2), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive(QStringLiteral("a.oska"), kText), 0),
              P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(
                  archive(QStringLiteral("b.oska"), {{QStringLiteral("c.txt"), "gamma"}}), 5000),
              P::kPellSuccess);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUsable);

    QByteArray bytes;
    ASSERT_EQ(pell.Pell_GetMemory(2, bytes, 5), P::kPellSuccess);
    EXPECT_EQ(bytes, QByteArray("beta!"));
    ASSERT_EQ(pell.Pell_GetMemory(5001, bytes, 5), P::kPellSuccess);
    EXPECT_EQ(bytes, QByteArray("gamma"));
    ASSERT_EQ(pell.Pell_GetMemory(5000, bytes, pell.Pell_GetDataSize(5000)), P::kPellSuccess);
    EXPECT_EQ(bytes, QByteArray("oskalist\r\nc\r\n"));
    EXPECT_EQ(pell.Pell_GetDataSize(1), 5);
    EXPECT_EQ(pell.Pell_GetDataSize(3), P::kPellNoSize);
    EXPECT_EQ(pell.Pell_GetDataSize(5002), P::kPellNoSize);
    EXPECT_EQ(pell.Pell_GetDataSize(-1), P::kPellNoSize);
    EXPECT_EQ(pell.Pell_GetMemory(3, bytes, 0), P::kPellUnknownIdentifier);
}

TEST_F(PellLibraryTest, ReadsAreBoundedByTheEntry) {
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive(QStringLiteral("a.oska"), kText), 0),
              P::kPellSuccess);
    QByteArray bytes("kept");
    EXPECT_EQ(pell.Pell_GetMemory(1, bytes, 6), P::kPellBadCount);
    EXPECT_EQ(pell.Pell_GetMemory(1, bytes, -1), P::kPellBadArgument);
    EXPECT_EQ(bytes, QByteArray("kept"));
    ASSERT_EQ(pell.Pell_GetMemory(1, bytes, 3), P::kPellSuccess);
    EXPECT_EQ(bytes, QByteArray("alp"));
    ASSERT_EQ(pell.Pell_GetMemory(1, bytes, 5), P::kPellSuccess);
    EXPECT_EQ(bytes, QByteArray("alpha"));
}

TEST_F(PellLibraryTest, RegistrationsReportDamageAndClashes) {
    ASSERT_EQ(pell.InitializePell(2), P::kPellSuccess);
    dir.write(QStringLiteral("bad.oska"), QByteArray("not an archive"));
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file(QStringLiteral("bad.oska")), 0),
              P::kPellNotAnArchive);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUnusable);
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file(QStringLiteral("none.oska")), 0),
              P::kPellCannotOpen);
    dir.write(QStringLiteral("empty.oska"), QByteArray());
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file(QStringLiteral("empty.oska")), 0),
              P::kPellNotAnArchive);
    dir.write(QStringLiteral("no-entry.oska"), QByteArray("PK\x05\x06", 4) + QByteArray(18, '\0'));
    EXPECT_EQ(pell.Pell_SetArchiveName(dir.file(QStringLiteral("no-entry.oska")), 0),
              P::kPellNoFileList);

    const QString a = archive(QStringLiteral("a.oska"), kText);  // identifiers base .. base + 2
    EXPECT_EQ(pell.Pell_SetArchiveName(a, -5), P::kPellBadArgument);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, std::numeric_limits<std::int32_t>::max() - 1),
              P::kPellBadArgument);
    ASSERT_EQ(pell.Pell_SetArchiveName(a, 10), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_OK(), P::kPellUsable);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, 12), P::kPellIdentifierClash);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, 8), P::kPellIdentifierClash);
    ASSERT_EQ(pell.Pell_SetArchiveName(a, 13), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_SetArchiveName(a, 100), P::kPellTooManyArchives);
}

TEST_F(PellLibraryTest, RegisteringUnderAUsedBaseReplacesThatArchive) {
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive(QStringLiteral("a.oska"), kText), 0),
              P::kPellSuccess);
    QByteArray bytes;
    ASSERT_EQ(pell.Pell_GetMemory(1, bytes, 5), P::kPellSuccess);  // now cached
    ASSERT_EQ(pell.Pell_SetArchiveName(
                  archive(QStringLiteral("b.oska"), {{QStringLiteral("c.txt"), "gamma"}}), 0),
              P::kPellSuccess);
    ASSERT_EQ(pell.Pell_GetMemory(1, bytes, 5), P::kPellSuccess);
    EXPECT_EQ(bytes, QByteArray("gamma"));
    EXPECT_EQ(pell.Pell_GetDataSize(2), P::kPellNoSize);
}

TEST_F(PellLibraryTest, AListThatDoesNotFitItsArchiveCannotBeRead) {
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    dir.write(QStringLiteral("a.oska"),
              oskatest::rawArchive({{QStringLiteral("oskalist.txt"), "oskalist\r\n", {}},
                                    {QStringLiteral("a.txt"), "a", {}}}));
    ASSERT_EQ(pell.Pell_SetArchiveName(dir.file(QStringLiteral("a.oska")), 0), P::kPellSuccess);
    QByteArray bytes;
    EXPECT_EQ(pell.Pell_GetMemory(0, bytes, pell.Pell_GetDataSize(0)), P::kPellListMismatch);
}

TEST_F(PellLibraryTest, TerminateClosesEverything) {
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(archive(QStringLiteral("a.oska"), kText), 0),
              P::kPellSuccess);
    pell.TerminatePell();
    EXPECT_EQ(pell.Pell_OK(), P::kPellUnusable);
    EXPECT_EQ(pell.Pell_GetDataSize(1), P::kPellNoSize);
    EXPECT_EQ(pell.InitializePell(1), P::kPellSuccess);
    EXPECT_EQ(pell.Pell_GetDataSize(1), P::kPellNoSize);
}

TEST_F(PellLibraryTest, PicturesAreDecodedIntoTheTarget) {
    const QImage picture = oskatest::testPicture(4, 3);
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(pell.Pell_SetArchiveName(
                  archive(QStringLiteral("a.oska"),
                          {{QStringLiteral("pic.png"), oskatest::encoded(picture, "PNG")},
                           {QStringLiteral("pic2.bmp"), oskatest::encoded(picture, "BMP")},
                           {QStringLiteral("text.txt"), "not a picture"}}),
                  0),
              P::kPellSuccess);
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
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(
        pell.Pell_SetArchiveName(archive(QStringLiteral("a.oska"),
                                         {{QStringLiteral("pic.png"),
                                           oskatest::encoded(oskatest::testPicture(4, 3), "PNG")}}),
                                 0),
        P::kPellSuccess);
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
    ASSERT_EQ(pell.InitializePell(1), P::kPellSuccess);
    ASSERT_EQ(
        pell.Pell_SetArchiveName(archive(QStringLiteral("a.oska"),
                                         {{QStringLiteral("pic-m.png"),
                                           oskatest::encoded(oskatest::testPicture(4, 3), "PNG")}}),
                                 0),
        P::kPellSuccess);
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
        EXPECT_FALSE(text.startsWith(QStringLiteral("unknown"))) << code;
        EXPECT_FALSE(seen.contains(text)) << text.toStdString();
        seen.append(text);
    }
    EXPECT_EQ(P::describe(7), QStringLiteral("unknown error 7"));
}
