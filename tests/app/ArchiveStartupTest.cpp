#include "app/ArchiveStartup.h"

#include <gtest/gtest.h>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "media/clsOskaDriver.h"

namespace {

class ArchiveStartupTest : public ::testing::Test {
protected:
    void Write(const QString& name, const oskatest::Files& files) {
        dir.write(name, oskatest::archive(files));
    }
    bool Register() { return ArchiveStartup::RegisterArchives(oska, dir.path(), message); }

    TempFolder dir;
    clsOskaDriver oska;
    QString message = QStringLiteral("stale");
};

}  // namespace

TEST_F(ArchiveStartupTest, NoArchiveIsNormal) {
    dir.write(QStringLiteral("readme.txt"), "no archives here");
    EXPECT_TRUE(Register());
    EXPECT_EQ(message, QString());
    EXPECT_TRUE(oska.Init(1));  // the library was not started
}

TEST_F(ArchiveStartupTest, ArchivesRegisterInNameOrderAndLaterOnesWin) {
    Write(QStringLiteral("b.OSKA"), {{QStringLiteral("bg01.png"), "from b"}});
    Write(QStringLiteral("a.oska"),
          {{QStringLiteral("bg01.png"), "from a"}, {QStringLiteral("SystemInfo.ini"), "[Game]"}});
    Write(QStringLiteral("c.oska.bak"), {{QStringLiteral("bg01.png"), "ignored"}});
    ASSERT_TRUE(Register()) << message.toStdString();
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("systeminfo")), 2);
    const std::int32_t id = oska.FileKeyToID(QStringLiteral("BG01"));
    EXPECT_EQ(id, clsOskaDriver::ArchiveIDSpan + 1);
    QByteArray bytes;
    ASSERT_TRUE(oska.GetMemory(id, bytes, oska.GetSize(id)));
    EXPECT_EQ(bytes, QByteArray("from b"));
}

TEST_F(ArchiveStartupTest, ALoaderThatCannotStartIsReported) {
    Write(QStringLiteral("a.oska"), {{QStringLiteral("a.txt"), "a"}});
    ASSERT_TRUE(oska.Init(1));  // a second start of the library fails
    EXPECT_FALSE(Register());
    EXPECT_EQ(message, QStringLiteral("アーカイブローダの初期化に失敗しました。"));
}

TEST_F(ArchiveStartupTest, AnArchiveThatCannotBeOpenedIsNamedAndLogged) {
    clsLaunch launcher;
    App().Launcher = &launcher;
    Write(QStringLiteral("a.oska"), {{QStringLiteral("a.txt"), "a"}});
    dir.write(QStringLiteral("b.oska"), oskatest::archive({}).left(20));
    EXPECT_FALSE(Register());
    App().Launcher = nullptr;
    EXPECT_EQ(message, QStringLiteral("アーカイブの初期化に失敗しました。\r\n") +
                           dir.file(QStringLiteral("b.oska")));
    const QString log = launcher.Log().Log();
    EXPECT_TRUE(log.contains(QStringLiteral("not an archive"))) << log.toStdString();
    EXPECT_TRUE(log.contains(dir.file(QStringLiteral("b.oska"))));
}

TEST_F(ArchiveStartupTest, AFileListThatCannotBeReadIsNamed) {
    Write(QStringLiteral("a.oska"), {{QStringLiteral("a.txt"), "a"}});
    dir.write(QStringLiteral("b.oska"),
              oskatest::rawArchive({{QStringLiteral("oskalist.txt"), "oskalist\r\na\r\nb\r\n", {}},
                                    {QStringLiteral("a.txt"), "a", {}}}));
    EXPECT_FALSE(Register());
    EXPECT_EQ(message, QStringLiteral("ファイルリストの読み込みに失敗しました。\r\n") +
                           dir.file(QStringLiteral("b.oska")));
    EXPECT_EQ(oska.FileKeyToID(QStringLiteral("a")), 1);  // the first archive's list was read
}

TEST_F(ArchiveStartupTest, ADamagedFileListIsNamed) {
    const QByteArray good = oskatest::archive({{QStringLiteral("a.txt"), "a"}});
    dir.write(QStringLiteral("a.oska"), oskatest::withFlippedData(good, 0));
    EXPECT_FALSE(Register());
    EXPECT_EQ(message, QStringLiteral("ファイルリストの読み込みに失敗しました。\r\n") +
                           dir.file(QStringLiteral("a.oska")));
}
