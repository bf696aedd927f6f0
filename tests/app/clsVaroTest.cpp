#include "app/clsVaro.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QWidget>

#include "TestSupport.h"
#include "base/AppState.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "media/clsDovDriver.h"
#include "modes/clsModeBase.h"
#include "platform/os/VirtualClock.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

// The minimal game opened in this process on a virtual clock, with its first
// mode started.
class clsVaroTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyTestGame(dir, QStringLiteral("minimal")));
        App().AppDir = dir.path();
        App().SaveDir = dir.file("savedata");
        App().EngineClosing = false;
        prepareGame();
        ASSERT_TRUE(player.launcher.Init());
        player.launcher.OpenVaro();
        ASSERT_NE(player.launcher.Varo(), nullptr);
        pumpFor(10);
        commands.clear();
        listener = varo().GameView().AddScreenCmdListener(
            [this](std::int32_t mode, std::int32_t command, const clsGameView::RectPtr& rect) {
                commands.push_back({mode, command, rect != nullptr});
            });
    }
    void TearDown() override {
        if (player.launcher.Varo() != nullptr) {
            varo().GameView().RemoveScreenCmdListener(listener);
        }
        player.launcher.ExitApp();
        App().Archives = nullptr;
        App().EngineClosing = false;
        App().ResetSwitchesAndFolders();
    }

    // Changes the game folder before the engine starts.
    virtual void prepareGame() {}
    // Replaces one line of the system information.
    void replaceInSystemInfo(const QByteArray& from, const QByteArray& to) {
        dir.write("SystemInfo.ini", dir.read("SystemInfo.ini").replace(from, to));
    }

    clsVaro& varo() { return *player.launcher.Varo(); }
    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }
    void pumpFor(int ms) {
        const qint64 until = clock().now() + ms;
        while (clock().now() < until) {
            clock().pump();
            clock().sleep(1);
        }
        clock().pump();
    }
    int traced(const QString& event) const {
        int n = 0;
        for (const QString& line : player.platform.trace().lines()) {
            n += line.section(u' ', 1) == event ? 1 : 0;
        }
        return n;
    }

    struct Command {
        std::int32_t mode;
        std::int32_t command;
        bool withRect;
    };

    TempFolder dir;
    mutable ScriptedPlayer player;
    std::vector<Command> commands;
    int listener = 0;
};

}  // namespace

TEST_F(clsVaroTest, StartsTheTitleFromTheSystemTimer) {
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(traced("mode 1 1"), 1);
    EXPECT_EQ(varo().GameView().ScreenMode(), clsGameView::kScreenWindow);
    EXPECT_TRUE(varo().GameView().Visible());
    EXPECT_EQ(player.launcher.Title(), QStringLiteral("最小のゲーム"));
    EXPECT_EQ(varo().ThumbSize(), QSize(160, 120));
}

TEST_F(clsVaroTest, AutoClickTimerFiresOnceWithItsCommand) {
    const auto rect = std::make_shared<clsEventRect>();
    varo().MakeAutoClickTimer(300, 4, rect);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 300);
    pumpFor(299);
    EXPECT_TRUE(commands.empty());
    pumpFor(1000);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].mode, clsVaro::kModeTitle);
    EXPECT_EQ(commands[0].command, 4);
    EXPECT_TRUE(commands[0].withRect);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
}

TEST_F(clsVaroTest, AutoClickTimerWithIntervalZeroIsDisarmed) {
    varo().MakeAutoClickTimer(100, 1, nullptr);
    varo().MakeAutoClickTimer(0, 1, nullptr);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    pumpFor(500);
    EXPECT_TRUE(commands.empty());
    // Re-arming replaces the earlier request.
    varo().MakeAutoClickTimer(100, 1, nullptr);
    varo().MakeAutoClickTimer(50, 2, nullptr);
    pumpFor(500);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].command, 2);
    EXPECT_FALSE(commands[0].withRect);
}

TEST_F(clsVaroTest, ChangeModeEndsTheActiveModeAndFallsBackForUnknownNumbers) {
    varo().ChangeMode(9, 3);
    EXPECT_EQ(varo().VaroMode(), 9);
    ASSERT_NE(varo().ModeObject(), nullptr);
    varo().ChangeMode(clsVaro::kModeNone, 0);
    EXPECT_EQ(varo().VaroMode(), 0);
    EXPECT_EQ(varo().ModeObject(), nullptr);
    EXPECT_EQ(traced("mode 9 3"), 1);
}

TEST_F(clsVaroTest, WindowOpacityOnlyAppliesToItsOwnFilmSet) {
    App().CGFileMode = true;
    QImage back(8, 8, QImage::Format_ARGB32);
    back.fill(Qt::blue);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    back.save(&buffer, "PNG");
    dir.write("image/back.png", png);
    varo().GamemodeInfo().SetText(
        "[WindowMode]\r\nBack=back.png,0,0\r\n[NovelMode]\r\nBack=back.png,0,0\r\n");
    clsKestDriver& kest = varo().Kest();
    const auto opacity = [&kest] {
        qint32 value = -1;
        kest.Library().GetFilmProp(kest.FIDWndBk(), KestLibrary::FilmProp::Opacity, value);
        return value;
    };
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetNovel);
    ASSERT_NE(kest.FIDWndBk(), KestLibrary::kNoFilm);
    EXPECT_EQ(opacity(), varo().Cfg().LongVal("NovelAlpha"));
    varo().Cfg().SetLongVal(QStringLiteral("WndAlpha"), 17);
    EXPECT_EQ(opacity(), varo().Cfg().LongVal("NovelAlpha"));
    varo().Cfg().SetLongVal(QStringLiteral("NovelAlpha"), 33);
    EXPECT_EQ(opacity(), 33);
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(opacity(), 17);
    varo().Cfg().SetLongVal(QStringLiteral("WndAlpha"), 99);
    EXPECT_EQ(opacity(), 99);
}

TEST_F(clsVaroTest, MutedChannelsPlayAtVolumeZero) {
    varo().Cfg().SetLongVal(QStringLiteral("SEVolume"), 120);
    EXPECT_EQ(varo().Dov().SEVolume(), 120);
    varo().Cfg().SetBoolVal(QStringLiteral("SEMute"), true);
    EXPECT_EQ(varo().Dov().SEVolume(), 0);
    varo().Cfg().SetBoolVal(QStringLiteral("SEMute"), false);
    EXPECT_EQ(varo().Dov().SEVolume(), 120);
}

TEST_F(clsVaroTest, SkipModeChecksTheMenuItem) {
    varo().SetSkipMode(true);
    EXPECT_TRUE(varo().IsSkipMode());
    ASSERT_NE(varo().GameView().MenuItem(QStringLiteral("message!skip")), nullptr);
    EXPECT_TRUE(varo().GameView().MenuItem(QStringLiteral("message!skip"))->isChecked());
    varo().SetSkipMode(false);
    EXPECT_FALSE(varo().GameView().MenuItem(QStringLiteral("message!skip"))->isChecked());
}

TEST_F(clsVaroTest, TwoCloseRequestsShutDownOnce) {
    player.launcher.CloseVaro();
    player.launcher.CloseVaro();
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    pumpFor(10);
    EXPECT_EQ(player.launcher.Varo(), nullptr);
    EXPECT_TRUE(player.launcher.Exited());
    EXPECT_EQ(traced("log Varo-Terminate"), 1);
    // ExitApp after the shutdown returns at once.
    player.launcher.ExitApp();
    EXPECT_EQ(traced("log Varo-Terminate"), 1);
}

TEST_F(clsVaroTest, UnknownSystemTimerActionsAreIgnored) {
    player.launcher.SetSysTimerFunc(3);
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerNone);
    player.launcher.RestartTitle();
    player.launcher.SetSysTimerFunc(3);
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerFirstMode);
    pumpFor(5);
    EXPECT_EQ(traced("mode 1 1"), 2);
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerNone);
}

TEST_F(clsVaroTest, ClosingTheWindowShutsTheEngineDownAndStoresThePlacement) {
    QWidget* form = varo().GameView().Form();
    ASSERT_NE(form, nullptr);
    form->move(40, 30);
    const QString position = varo().GameView().WndPos();
    form->close();
    pumpFor(10);
    EXPECT_TRUE(player.launcher.Exited());
    EXPECT_EQ(traced("log Varo-Terminate"), 1);
    // The stored settings hold the window's place for the next start.
    Configuration settings;
    INIFile info;
    info.SetText(QStringLiteral("[Config]\r\nPos=\r\nFullMode=True\r\n"));
    ASSERT_TRUE(settings.Init(info));
    EXPECT_EQ(settings.StringVal(QStringLiteral("Pos")), position);
    EXPECT_FALSE(settings.BoolVal(QStringLiteral("FullMode")));
}

namespace {

class clsVaroFullScreenStart : public clsVaroTest {
protected:
    void prepareGame() override { replaceInSystemInfo("StartScreenMode=1", "StartScreenMode=2"); }
};

}  // namespace

TEST_F(clsVaroFullScreenStart, StartsInFullScreenWhenAScreenExists) {
    ASSERT_TRUE(App().FullScreenAvailable);
    EXPECT_EQ(varo().GameView().ScreenMode(), clsGameView::kScreenFull);
    // Closing stores that the run ended in full screen.
    player.launcher.CloseVaro();
    pumpFor(10);
    Configuration settings;
    INIFile info;
    info.SetText(QStringLiteral("[Config]\r\nFullMode=False\r\n"));
    ASSERT_TRUE(settings.Init(info));
    EXPECT_TRUE(settings.BoolVal(QStringLiteral("FullMode")));
}
