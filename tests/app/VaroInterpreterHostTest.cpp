#include "app/VaroInterpreterHost.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <memory>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "platform/os/VirtualClock.h"
#include "screen/clsEventRect.h"
#include "screen/clsEventRects.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

const QString kButtons = QStringLiteral("gamemode_button");

// The minimal game, with pictures read from its image folder, running on a
// virtual clock; the host answers for its engine.
class VaroInterpreterHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyTestGame(dir, QStringLiteral("minimal")));
        dir.write("debug.ini", "[debug]\r\nCGFileMode=True\r\n");
        QImage ann(10, 8, QImage::Format_ARGB32);
        ann.fill(Qt::blue);
        dir.write("image/st_ann_1.png", oskatest::encoded(ann, "PNG"));
        App().AppDir = dir.path();
        App().SaveDir = dir.file("savedata");
        App().EngineClosing = false;
        ASSERT_TRUE(player.launcher.Init());
        player.launcher.OpenVaro();
        ASSERT_NE(player.launcher.Varo(), nullptr);
        clock().sleep(10);
        clock().pump();
        host = std::make_unique<VaroInterpreterHost>(varo());
    }
    void TearDown() override {
        host.reset();
        App().EngineClosing = false;
        player.launcher.ExitApp();
        App().Archives = nullptr;
        App().ResetSwitchesAndFolders();
    }

    clsVaro& varo() { return *player.launcher.Varo(); }
    VirtualClock& clock() { return static_cast<VirtualClock&>(player.platform.clock()); }
    clsEventRects& rects() { return varo().GameView().EvRects(); }
    // Window mode with st_ann_1 (10 x 8) centred at (100, 50).
    void showAnn() {
        varo().Kest().SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
        ASSERT_TRUE(varo().Kest().CGChange(QStringLiteral("st_ann_1"), 100, 50, -1, -1, 0));
    }

    TempFolder dir;
    ScriptedPlayer player;
    std::unique_ptr<VaroInterpreterHost> host;
};

}  // namespace

TEST_F(VaroInterpreterHostTest, PauseTakesItsTimeWithTimersRunningAndInputExcluded) {
    const qint64 start = clock().now();
    qint64 inputAt = -1;
    bool inputExcluded = false;
    bool timerFired = false;
    clock().scheduleInput(start + 10, [&] {
        inputAt = clock().now();
        inputExcluded = clock().excludingInput();
    });
    clock().startTimer(50, [&] { timerFired = true; });

    host->Pause(300);
    EXPECT_EQ(clock().now(), start + 300);
    EXPECT_TRUE(timerFired);
    // Scripted input comes at its time and finds input excluded.
    EXPECT_EQ(inputAt, start + 10);
    EXPECT_TRUE(inputExcluded);
    EXPECT_FALSE(clock().excludingInput());

    host->Pause(0);
    host->Pause(-20);
    EXPECT_EQ(clock().now(), start + 300);
}

TEST_F(VaroInterpreterHostTest, LongPauseTakesNoRealTimeOnTheVirtualClock) {
    const qint64 start = clock().now();
    QElapsedTimer real;
    real.start();
    host->Pause(60000);
    EXPECT_EQ(clock().now(), start + 60000);
    // A minute of virtual time; far below it in real time even on a busy machine.
    EXPECT_LT(real.elapsed(), 10000);
}

TEST_F(VaroInterpreterHostTest, PauseEndsWhenTheEngineStartsClosing) {
    const qint64 start = clock().now();
    clock().startTimer(100, [] { App().EngineClosing = true; });
    host->Pause(5000);
    EXPECT_GE(clock().now(), start + 100);
    EXPECT_LE(clock().now(), start + 101);
    // Closing already: no pause at all.
    host->Pause(5000);
    EXPECT_LE(clock().now(), start + 101);
}

TEST_F(VaroInterpreterHostTest, ScenarioButtonOnACharacterCoversItsFilm) {
    showAnn();
    InterpreterHost::ScenarioButton button;
    button.character = QStringLiteral("st_ann_1");
    button.type = clsEventRect::LeftClickBit | clsEventRect::PointBit;
    button.clickLabel = QStringLiteral("*clicked");
    button.pointerLabel = QStringLiteral("*over");
    button.x = 1;  // a button on a character ignores the given place
    ASSERT_TRUE(host->AddScenarioButton(button));

    ASSERT_EQ(rects().CountByTag(kButtons), 1);
    const clsEventRects::RectPtr rect = rects().GetRectByTag(kButtons);
    EXPECT_EQ(rect->Left, 95);
    EXPECT_EQ(rect->Top, 46);
    EXPECT_EQ(rect->Right, 105);
    EXPECT_EQ(rect->Bottom, 54);
    EXPECT_EQ(rect->FilmID, varo().Kest().GetCharFilmID(QStringLiteral("st_ann_1")));
    EXPECT_EQ(rect->Type, button.type);
    EXPECT_EQ(rect->Text1, QStringLiteral("st_ann_1"));
    EXPECT_EQ(rect->Text2, QStringLiteral("*over"));
    EXPECT_EQ(rect->Text3, QStringLiteral("*clicked"));
}

TEST_F(VaroInterpreterHostTest, ScenarioButtonWithoutAShownCharacterIsRefused) {
    showAnn();
    InterpreterHost::ScenarioButton button;
    button.character = QStringLiteral("st_bob_1");
    EXPECT_FALSE(host->AddScenarioButton(button));
    ASSERT_TRUE(varo().Kest().CGHide(QStringLiteral("st_ann_1"), 0));
    button.character = QStringLiteral("st_ann_1");
    EXPECT_FALSE(host->AddScenarioButton(button));
    EXPECT_EQ(rects().CountByTag(kButtons), 0);
}

TEST_F(VaroInterpreterHostTest, PlainScenarioButtonTakesItsRectangle) {
    InterpreterHost::ScenarioButton button;
    button.x = 10;
    button.y = 20;
    button.width = 30;
    button.height = 40;
    button.type = clsEventRect::LeftClickBit;
    ASSERT_TRUE(host->AddScenarioButton(button));
    const clsEventRects::RectPtr rect = rects().GetRectByTag(kButtons);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(QRect(QPoint(rect->Left, rect->Top), QPoint(rect->Right, rect->Bottom)),
              QRect(QPoint(10, 20), QPoint(40, 60)));
    EXPECT_EQ(rect->FilmID, clsEventRect::NoFilm);
    EXPECT_EQ(rect->Type, clsEventRect::LeftClickBit);
    EXPECT_TRUE(rect->Text1.isEmpty());
}

TEST_F(VaroInterpreterHostTest, ChoicesAreCountedAndListedForTheLog) {
    EXPECT_FALSE(host->AddChoiceItem(QStringLiteral("Outside"), QStringLiteral("*no")));
    varo().Kest().SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    EXPECT_TRUE(host->AddChoiceItem(QStringLiteral("Yes"), QStringLiteral("*yes")));
    EXPECT_TRUE(host->AddChoiceItem(QStringLiteral("No"), QStringLiteral("*no")));
    EXPECT_EQ(host->ChoiceList(), QStringLiteral("  0: Yes -> *yes\r\n  1: No -> *no"));
    for (int i = 2; i < 5; ++i) {
        EXPECT_TRUE(host->AddChoiceItem(QStringLiteral("more"), QString()));
    }
    EXPECT_FALSE(host->AddChoiceItem(QStringLiteral("sixth"), QStringLiteral("*six")));
    EXPECT_EQ(host->ChoiceCount(), 5);
}
