#include "app/DovStartup.h"

#include <gtest/gtest.h>

#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "media/clsDovDriver.h"
#include "platform/os/VirtualClock.h"

namespace {

class DovStartupTest : public ::testing::Test {
protected:
    void SetUp() override { App().Launcher = &launcher; }
    void TearDown() override { App().Launcher = nullptr; }

    clsLaunch launcher;
    VirtualClock clock;
};

}  // namespace

TEST_F(DovStartupTest, AStartThatWorksGivesNoMessage) {
    clsDovDriver dov(&clock);
    QString message = QStringLiteral("stale");
    EXPECT_TRUE(DovStartup::Start(dov, message));
    EXPECT_EQ(message, QString());
}

TEST_F(DovStartupTest, AFailedStartComposesTheMessageFromTheErrorValues) {
    clsDovDriver dov(&clock);
    ASSERT_TRUE(dov.Init());
    QString message;
    ASSERT_FALSE(DovStartup::Start(dov, message));  // the library is already running
    const QStringList lines = message.split(QStringLiteral("\r\n"));
    ASSERT_EQ(lines.size(), 4) << message.toStdString();
    EXPECT_EQ(lines[0], QStringLiteral("メディアエンジンの初期化に失敗しました。"));
    EXPECT_EQ(lines[1],
              QStringLiteral("エラー番号: 80DF0002 (The library is already initialised.)"));
    EXPECT_EQ(lines[2], QStringLiteral("拡張エラー番号: 0, 00000000"));
    EXPECT_TRUE(lines[3].startsWith(QStringLiteral("DirectX バージョン: 02.")));
    EXPECT_TRUE(lines[3].endsWith(QStringLiteral(" (もしくはそれ以上)")));
    EXPECT_EQ(lines[3].size(),
              QStringLiteral("DirectX バージョン: 02.26 (もしくはそれ以上)").size());
}

TEST_F(DovStartupTest, VersionsShowAPointAfterTheFirstTwoDigits) {
    EXPECT_EQ(DovStartup::FormatVersion(0x0800), QStringLiteral("08.00"));
    EXPECT_EQ(DovStartup::FormatVersion(0x0226), QStringLiteral("02.26"));
    EXPECT_EQ(DovStartup::FormatVersion(0x5), QStringLiteral("00.05"));
    EXPECT_EQ(DovStartup::FormatVersion(0x12345), QStringLiteral("123.45"));
}
