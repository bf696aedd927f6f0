#include "data/clsOskaDriver.h"

#include <gtest/gtest.h>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/OskaTool.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "platform/os/Cp932Codec.h"

namespace {

class clsOskaDriverTest : public ::testing::Test {
protected:
    void SetUp() override { App().Launcher = &launcher; }
    void TearDown() override { App().Launcher = nullptr; }

    // Registers the archive files in order under bases 0, 5000, ... and loads their lists.
    void Register(clsOskaDriver& oska, const QStringList& paths) {
        ASSERT_TRUE(oska.Init(static_cast<std::int32_t>(paths.size())));
        for (int i = 0; i < paths.size(); ++i) {
            const std::int32_t base = i * clsOskaDriver::ArchiveIDSpan;
            ASSERT_EQ(oska.Pell().Pell_SetArchiveName(paths.at(i), base), 0);
            QString list;
            ASSERT_TRUE(oska.LoadTextFile(base, list));
            ASSERT_TRUE(oska.LoadArchiveList(list, base));
        }
    }

    QString Archive(const QString& name, const oskatest::Files& files) {
        dir.write(name, oskatest::archive(files));
        return dir.file(name);
    }

    TempFolder dir;
    clsLaunch launcher;
};

}  // namespace

TEST_F(clsOskaDriverTest, APackedFolderReadsBackByKey) {
    const QByteArray story = Cp932Codec::encode(QStringLiteral("「こんにちは」①～\r\n"));
    const QByteArray sound(70000, '\x7F');
    dir.write(QStringLiteral("data/text/start.txt"), story);  // outside scenario/: stored as is
    dir.write(QStringLiteral("data/se/Click.ogg"), sound);
    dir.write(QStringLiteral("data/SystemInfo.ini"), "[Game]\r\nTitle=x");
    QString error;
    ASSERT_TRUE(
        OskaTool::Pack(dir.file(QStringLiteral("data")), dir.file(QStringLiteral("a.oska")), error))
        << error.toStdString();

    clsOskaDriver oska;
    Register(oska, {dir.file(QStringLiteral("a.oska"))});
    const std::int32_t id = oska.FileKeyToID(QStringLiteral("start"));
    ASSERT_GT(id, 0);
    QString text;
    ASSERT_TRUE(oska.LoadTextFile(id, text));
    EXPECT_EQ(text, QStringLiteral("「こんにちは」①～\r\n"));

    const std::int32_t click = oska.FileKeyToID(QStringLiteral("click"));
    ASSERT_EQ(oska.GetSize(click), sound.size());
    QByteArray bytes;
    ASSERT_TRUE(oska.GetMemory(click, bytes, oska.GetSize(click)));
    EXPECT_EQ(bytes, sound);
    EXPECT_FALSE(oska.GetMemory(click, bytes, sound.size() + 1));

    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("oskalist")), 0);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("missing")), -1);
    EXPECT_EQ(oska.FileKeyToID(QString()), -1);
    EXPECT_FALSE(oska.LoadTextFile(4, text));
    EXPECT_EQ(text, QString());
}

TEST_F(clsOskaDriverTest, ListLinesEndWithCrLfAndTheLastUnendedLineIsDropped) {
    clsOskaDriver oska;
    EXPECT_TRUE(oska.LoadArchiveList(QStringLiteral("a\r\nb\r\n"), 100));
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("a")), 100);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("b")), 101);

    clsOskaDriver unended;
    EXPECT_TRUE(unended.LoadArchiveList(QStringLiteral("a\r\nb"), 100));
    EXPECT_EQ(unended.FileKeyToID(QStringLiteral("a")), 100);
    EXPECT_EQ(unended.FileKeyToID(QStringLiteral("b")), -1);

    clsOskaDriver odd;
    EXPECT_TRUE(odd.LoadArchiveList(QStringLiteral("x\ny\r\n\r\nz\r\n"), 0));
    EXPECT_EQ(odd.FileKeyToID(QStringLiteral("x\ny")), 0);  // a lone LF is no line end
    EXPECT_EQ(odd.FileKeyToID(QStringLiteral("z")), 2);     // a blank line still takes its place
    EXPECT_TRUE(odd.LoadArchiveList(QString(), 0));
}

TEST_F(clsOskaDriverTest, KeysIgnoreLetterCaseAndLaterRegistrationsWin) {
    clsOskaDriver oska;
    oska.LoadArchiveList(QStringLiteral("list\r\nBG01\r\nbg01\r\nＡｂ\r\n"), 0);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("bg01")), 2);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("Bg01")), 2);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("ａＢ")), 3);
    oska.LoadArchiveList(QStringLiteral("list\r\nother\r\nBg01\r\n"), 5000);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("BG01")), 5002);
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("list")), 5000);
}

TEST_F(clsOskaDriverTest, TwoArchivesWithTheSameKeyGiveTheSecondOne) {
    const QString first = Archive(QStringLiteral("1.oska"), {{QStringLiteral("bg01.png"), "one"},
                                                             {QStringLiteral("only1.txt"), "1"}});
    const QString second = Archive(QStringLiteral("2.oska"), {{QStringLiteral("BG01.png"), "two"}});
    clsOskaDriver oska;
    Register(oska, {first, second});
    const std::int32_t id = oska.FileKeyToID(QStringLiteral("bg01"));
    EXPECT_EQ(id, 5001);
    QByteArray bytes;
    ASSERT_TRUE(oska.GetMemory(id, bytes, oska.GetSize(id)));
    EXPECT_EQ(bytes, QByteArray("two"));
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("only1")), 2);
}

TEST_F(clsOskaDriverTest, TextFilesLoseNulsAtBothEndsOnly) {
    const QString path = Archive(
        QStringLiteral("a.oska"),
        {{QStringLiteral("padded.txt"), QByteArray("\0\0a\0b\r\n\0\0\0", 10)},
         {QStringLiteral("bom.txt"), QByteArray("\xEF\xBB\xBF") + QStringLiteral("é").toUtf8()},
         {QStringLiteral("nuls.txt"), QByteArray(4, '\0')},
         {QStringLiteral("empty.txt"), QByteArray()}});
    clsOskaDriver oska;
    Register(oska, {path});
    QString text;
    ASSERT_TRUE(oska.LoadTextFile(oska.FileKeyToID(QStringLiteral("padded")), text));
    EXPECT_EQ(text, QString::fromUtf16(u"a\0b\r\n", 5));
    ASSERT_TRUE(oska.LoadTextFile(oska.FileKeyToID(QStringLiteral("bom")), text));
    EXPECT_EQ(text, QStringLiteral("é"));
    ASSERT_TRUE(oska.LoadTextFile(oska.FileKeyToID(QStringLiteral("nuls")), text));
    EXPECT_EQ(text, QString());
    ASSERT_TRUE(oska.LoadTextFile(oska.FileKeyToID(QStringLiteral("empty")), text));
    EXPECT_EQ(text, QString());
}

TEST_F(clsOskaDriverTest, PicturesAndMasksComeFromTheArchive) {
    const QString path = Archive(
        QStringLiteral("a.oska"),
        {{QStringLiteral("ev01.png"), oskatest::encoded(oskatest::testPicture(6, 4), "PNG")},
         {QStringLiteral("ev01-m.bmp"), oskatest::encoded(oskatest::testPicture(6, 4), "BMP")}});
    clsOskaDriver oska;
    Register(oska, {path});
    const std::int32_t picture = oska.FileKeyToID(QStringLiteral("ev01"));
    int w = 0;
    int h = 0;
    ASSERT_TRUE(oska.GetGraphicSize(picture, w, h));
    EXPECT_EQ(QSize(w, h), QSize(6, 4));

    QImage surface(6, 4, QImage::Format_ARGB32_Premultiplied);
    surface.fill(Qt::red);
    ASSERT_TRUE(oska.LoadGraphic_Direct(picture, surface));
    EXPECT_EQ(surface.pixel(0, 0), qRgba(255, 255, 255, 255));
    QImage bigger(8, 8, QImage::Format_ARGB32_Premultiplied);
    bigger.fill(Qt::red);
    EXPECT_FALSE(oska.LoadGraphic_Direct(picture, bigger));
    ASSERT_TRUE(oska.LoadGraphic(picture, bigger, 0, 0));
    EXPECT_EQ(bigger.pixel(5, 0), qRgba(0, 0, 0, 255));
    EXPECT_EQ(bigger.pixel(6, 0), qRgba(255, 0, 0, 255));

    const std::int32_t mask = oska.FileKeyToID(QStringLiteral("ev01-m"));
    QImage alpha(6, 4, QImage::Format_Grayscale8);
    ASSERT_TRUE(oska.LoadMask_Direct(mask, alpha));
    EXPECT_EQ(alpha.constScanLine(1)[0], 255);
    EXPECT_EQ(alpha.constScanLine(1)[5], 0);
    ASSERT_TRUE(oska.LoadMask(mask, alpha, 3, 0));
    EXPECT_EQ(alpha.constScanLine(1)[3], 255);

    EXPECT_FALSE(oska.GetGraphicSize(0, w, h));  // the file list is no picture
    EXPECT_FALSE(oska.LoadMask(-1, alpha, 0, 0));
}

TEST_F(clsOskaDriverTest, LoadArchiveRegistersUnderBaseZero) {
    const QString path = Archive(QStringLiteral("a.oska"), {{QStringLiteral("a.txt"), "alpha"}});
    dir.write(QStringLiteral("bad.oska"), "PK no zip");
    clsOskaDriver oska;
    EXPECT_FALSE(oska.LoadArchive(path));  // the library is not started yet
    ASSERT_TRUE(oska.Init(1));
    EXPECT_FALSE(oska.Init(1));
    EXPECT_FALSE(oska.LoadArchive(dir.file(QStringLiteral("bad.oska"))));
    ASSERT_TRUE(oska.LoadArchive(path));
    EXPECT_EQ(oska.GetSize(1), 5);
}

TEST_F(clsOskaDriverTest, ReleaseLogsAndClosesTheLibrary) {
    {
        clsOskaDriver oska;
        Register(oska, {Archive(QStringLiteral("a.oska"), {{QStringLiteral("a.txt"), "alpha"}})});
        EXPECT_FALSE(launcher.Log().Log().contains(QStringLiteral("Oska-Terminate")));
    }
    EXPECT_TRUE(launcher.Log().Log().contains(QStringLiteral("Oska-Terminate")));
}
