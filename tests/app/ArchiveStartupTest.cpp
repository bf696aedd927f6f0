#include "app/ArchiveStartup.h"

#include <gtest/gtest.h>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "data/clsOskaDriver.h"

namespace {

class ArchiveStartupTest : public ::testing::Test {
protected:
    void SetUp() override { App().Launcher = &launcher; }
    void TearDown() override { App().Launcher = nullptr; }
    bool Register() { return ArchiveStartup::RegisterArchives(oska, dir.path(), message); }
    TempFolder dir;
    clsLaunch launcher;
    clsOskaDriver oska;
    QString message = "stale";
};

}  // namespace

TEST_F(ArchiveStartupTest, NoArchiveIsNormal) {
    dir.write("readme.txt", "no archives here");
    EXPECT_TRUE(Register());
    EXPECT_EQ(message, QString());
    EXPECT_TRUE(oska.Init(1));  // the library was not started
}

TEST_F(ArchiveStartupTest, ArchivesRegisterInNameOrderAndLaterOnesWin) {
    dir.write("b.OSKA", oskatest::archive({{"bg01.png", "from b"}}));
    dir.write("a.oska", oskatest::archive({{"bg01.png", "from a"}, {"SystemInfo.ini", "[Game]"}}));
    dir.write("c.oska.bak", oskatest::archive({{"bg01.png", "ignored"}}));
    ASSERT_TRUE(Register()) << message.toStdString();
    EXPECT_EQ(oska.FileKeyToID("systeminfo"), 2);
    const std::int32_t id = oska.FileKeyToID("BG01");
    EXPECT_EQ(id, clsOskaDriver::ArchiveIDSpan + 1);
    QByteArray bytes;
    ASSERT_TRUE(oska.GetMemory(id, bytes, oska.GetSize(id)));
    EXPECT_EQ(bytes, "from b");
}

TEST_F(ArchiveStartupTest, ALoaderThatCannotStartIsReported) {
    dir.write("a.oska", oskatest::archive({{"a.txt", "a"}}));
    ASSERT_TRUE(oska.Init(1));  // a second start of the library fails
    EXPECT_FALSE(Register());
    EXPECT_EQ(message, "アーカイブローダの初期化に失敗しました。");
}

TEST_F(ArchiveStartupTest, ArchivesThatCannotBeOpenedOrReadAreNamed) {
    const QByteArray good = oskatest::archive({{"a.txt", "a"}});
    const QByteArray shortList =
        oskatest::rawArchive({{"oskalist.txt", "oskalist\r\na\r\nb\r\n", {}}, {"a.txt", "a", {}}});
    const std::pair<QByteArray, const char*> rows[] = {
        {good.left(20), "アーカイブの初期化に失敗しました。\r\n"},
        {shortList, "ファイルリストの読み込みに失敗しました。\r\n"},
        {oskatest::withFlippedData(good, 0), "ファイルリストの読み込みに失敗しました。\r\n"}};
    dir.write("a.oska", good);
    for (const auto& [bytes, text] : rows) {
        dir.write("b.oska", bytes);
        oska.Pell().TerminatePell();  // so that the library starts again
        EXPECT_FALSE(Register());
        EXPECT_EQ(message, text + dir.file("b.oska"));
    }
    EXPECT_EQ(oska.FileKeyToID("a"), 1);  // the first archive's list was read
    const QString log = launcher.Log().Log();
    EXPECT_TRUE(log.contains("not an archive")) << log.toStdString();
    EXPECT_TRUE(log.contains(dir.file("b.oska")));
}
