#include "screen/clsGameView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QScreen>
#include <QWheelEvent>
#include <vector>

#include "KestDriverFixture.h"
#include "TestSupport.h"
#include "app/AppState.h"
#include "app/clsVaro.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "scenario/clsInterpreter.h"
#include "screen/frmScreen.h"
#include "screen/picScreen.h"

namespace {

using RectPtr = clsGameView::RectPtr;

struct Cmd {
    std::int32_t mode;
    std::int32_t code;
    RectPtr rect;
};

void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent event(type, QPointF(at), target->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

void Key(QWidget* target, QEvent::Type type, int key,
         Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
    QKeyEvent event(type, key, modifiers, QString(), autoRepeat);
    QCoreApplication::sendEvent(target, &event);
}

void Wheel(QWidget* target, int delta) {
    QWheelEvent event(QPointF(10, 10), target->mapToGlobal(QPointF(10, 10)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
}

// The message boxes shown, as the trace has them: msgbox "TEXT" -> ANSWER.
QStringList MessageBoxes(ScriptedPlayer& player) {
    QStringList boxes;
    for (const QString& line : player.platform.trace().lines()) {
        const qsizetype at = line.indexOf(QStringLiteral("msgbox "));
        if (at >= 0) {
            boxes.append(line.mid(at));
        }
    }
    return boxes;
}

// The process-wide switches a test changes, restored afterwards.
class AppSwitches {
public:
    AppSwitches()
        : varo_(App().Varo),
          appDir_(App().AppDir),
          subClass_(App().SubClassMode),
          fullScreen_(App().FullScreenAvailable) {}
    ~AppSwitches() {
        App().Varo = varo_;
        App().AppDir = appDir_;
        App().SubClassMode = subClass_;
        App().FullScreenAvailable = fullScreen_;
    }

private:
    clsVaro* varo_;
    QString appDir_;
    bool subClass_;
    bool fullScreen_;
};

}  // namespace

// A 640 x 480 view in window mode with input on, recording every ScreenCmd.
class GameViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().Varo = nullptr;
        App().SubClassMode = true;
        App().FullScreenAvailable = true;
        view = std::make_unique<clsGameView>(QSize(640, 480));
        view->AddScreenCmdListener(
            [this](std::int32_t mode, std::int32_t code, const RectPtr& rect) {
                cmds.push_back({mode, code, rect});
            });
        view->SetScreenMode(clsGameView::kScreenWindow);
        view->SetEventEnabled(true);
    }

    RectPtr AddRect(int left, int top, int width, int height, std::int32_t type,
                    std::int32_t kb = -1) {
        RectPtr rect = view->EvRects().Add(0, QStringLiteral("btn"));
        rect->Move(left, top, width, height);
        rect->Type = type;
        rect->KB = kb;
        return rect;
    }

    QWidget* pic() { return view->pic(); }
    frmScreen* form() { return dynamic_cast<frmScreen*>(view->Form()); }
    void Click(QPoint at, Qt::MouseButton button = Qt::LeftButton) {
        Mouse(pic(), QEvent::MouseButtonPress, at, button, button);
        Mouse(pic(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }
    void Move(QPoint at) { Mouse(pic(), QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton); }
    void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, bool autoRepeat = false) {
        Key(pic(), QEvent::KeyPress, key, modifiers, autoRepeat);
    }
    void Release(int key) { Key(pic(), QEvent::KeyRelease, key); }
    void Tap(int key) {
        Press(key);
        Release(key);
    }
    std::vector<std::int32_t> Codes() const {
        std::vector<std::int32_t> codes;
        for (const Cmd& cmd : cmds) {
            codes.push_back(cmd.code);
        }
        return codes;
    }
    QAction* Item(const char* tag) { return view->MenuItem(QString::fromUtf8(tag)); }

    AppSwitches switches;
    std::unique_ptr<clsGameView> view;
    std::vector<Cmd> cmds;
};

// ---- buttons

TEST_F(GameViewTest, LeftClickPassesTheLastRectangleHitWithTheLeftBit) {
    const RectPtr first = AddRect(10, 10, 100, 100, clsEventRect::LeftClickBit);
    const RectPtr second = AddRect(50, 50, 100, 100, clsEventRect::LeftClickBit);
    AddRect(0, 0, 300, 300, clsEventRect::RightClickBit | clsEventRect::PointBit);

    Click(QPoint(20, 20));
    Click(QPoint(60, 60));
    Click(QPoint(400, 400));

    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].code, clsGameView::kCmdPrimary);
    EXPECT_EQ(cmds[0].rect, first);
    EXPECT_EQ(cmds[1].rect, second);
    EXPECT_EQ(cmds[2].code, clsGameView::kCmdPrimary);
    EXPECT_EQ(cmds[2].rect, nullptr);
    EXPECT_EQ(cmds[0].mode, 0);
}

TEST_F(GameViewTest, RightClickTakesOnlyRectanglesWithTheRightBit) {
    const RectPtr right = AddRect(0, 0, 200, 200, clsEventRect::RightClickBit);
    AddRect(0, 0, 100, 100, clsEventRect::LeftClickBit);

    Click(QPoint(50, 50), Qt::RightButton);
    Click(QPoint(300, 300), Qt::RightButton);
    Click(QPoint(50, 50), Qt::MiddleButton);

    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[0].code, clsGameView::kCmdSecondary);
    EXPECT_EQ(cmds[0].rect, right);
    EXPECT_EQ(cmds[1].code, clsGameView::kCmdSecondary);
    EXPECT_EQ(cmds[1].rect, nullptr);
}

TEST_F(GameViewTest, DoubleClickCountsAsASecondPressWhileTheButtonIsDown) {
    const RectPtr rect = AddRect(0, 0, 100, 100, clsEventRect::LeftClickBit);

    Mouse(pic(), QEvent::MouseButtonPress, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    Mouse(pic(), QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::LeftButton);
    Mouse(pic(), QEvent::MouseButtonDblClick, QPoint(5, 5), Qt::LeftButton, Qt::NoButton);

    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[1].code, clsGameView::kCmdPrimary);
    EXPECT_EQ(cmds[1].rect, rect);
}

TEST_F(GameViewTest, DisabledRectanglesAreNotHit) {
    const RectPtr under = AddRect(0, 0, 100, 100, clsEventRect::LeftClickBit);
    const RectPtr over = AddRect(0, 0, 100, 100, clsEventRect::LeftClickBit);
    over->Enabled = false;

    Click(QPoint(5, 5));

    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].rect, under);
}

// ---- pointer

TEST_F(GameViewTest, HoverRaisesOncePerChangeOfRectangle) {
    const RectPtr a = AddRect(0, 0, 100, 100, clsEventRect::PointBit);
    const RectPtr b = AddRect(50, 0, 100, 100, clsEventRect::PointBit);
    AddRect(300, 300, 50, 50, clsEventRect::LeftClickBit);

    Move(QPoint(10, 10));
    Move(QPoint(20, 20));
    Move(QPoint(60, 10));
    Move(QPoint(70, 10));
    Move(QPoint(310, 310));
    Move(QPoint(400, 400));

    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].code, clsGameView::kCmdPointer);
    EXPECT_EQ(cmds[0].rect, a);
    EXPECT_EQ(cmds[1].rect, b);
    EXPECT_EQ(cmds[2].code, clsGameView::kCmdPointer);
    EXPECT_EQ(cmds[2].rect, nullptr);
    EXPECT_EQ(view->SelectedRect(), nullptr);
}

TEST_F(GameViewTest, ForceMouseMoveTestsTheLastPointAgainstChangedRectangles) {
    Move(QPoint(30, 30));
    EXPECT_TRUE(cmds.empty());

    const RectPtr rect = AddRect(0, 0, 100, 100, clsEventRect::PointBit);
    view->ForceMouseMove();
    view->ForceMouseMove();

    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].rect, rect);
    EXPECT_EQ(view->SelectedRect(), rect);
}

TEST_F(GameViewTest, SelectionClearMakesTheSameRectangleCountAsNew) {
    const RectPtr rect = AddRect(0, 0, 100, 100, clsEventRect::PointBit);
    Move(QPoint(10, 10));
    view->SelectionClear();
    EXPECT_EQ(view->SelectedRect(), nullptr);
    Move(QPoint(11, 11));
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[1].rect, rect);
}

// ---- keys

TEST_F(GameViewTest, AHeldKeyRaisesOnceUntilReleased) {
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    Press(Qt::Key_Return, Qt::NoModifier, true);
    Release(Qt::Key_Return);
    Press(Qt::Key_Return);

    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{1, 1}));
}

TEST_F(GameViewTest, AutoRepeatedReleasesDoNotEndTheHold) {
    Press(Qt::Key_Escape);
    Key(pic(), QEvent::KeyRelease, Qt::Key_Escape, Qt::NoModifier, true);
    Press(Qt::Key_Escape, Qt::NoModifier, true);
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{2}));
}

TEST_F(GameViewTest, CtrlRaisesOnEveryKeyDownIncludingRepeats) {
    Press(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(view->IsCtrlDown());
    Press(Qt::Key_Control, Qt::ControlModifier, true);
    Press(Qt::Key_Control, Qt::ControlModifier, true);
    Release(Qt::Key_Control);

    EXPECT_FALSE(view->IsCtrlDown());
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{1, 1, 1}));
    for (const Cmd& cmd : cmds) {
        EXPECT_EQ(cmd.rect, nullptr);
    }
}

TEST_F(GameViewTest, EnterAndSpaceClickTheSelectionOrNothingInParticular) {
    Tap(Qt::Key_Space);
    const RectPtr keyed = AddRect(0, 0, 10, 10, clsEventRect::PointBit, 0);
    Tap(Qt::Key_Down);
    Tap(Qt::Key_Enter);

    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].code, clsGameView::kCmdPrimary);
    EXPECT_EQ(cmds[0].rect, nullptr);
    EXPECT_EQ(cmds[1].code, clsGameView::kCmdPointer);
    EXPECT_EQ(cmds[2].code, clsGameView::kCmdPrimary);
    EXPECT_EQ(cmds[2].rect, keyed);
}

TEST_F(GameViewTest, EnterOnASelectionWithoutKeyboardPlaceRaisesNothing) {
    AddRect(0, 0, 100, 100, clsEventRect::PointBit, -1);
    Move(QPoint(10, 10));
    cmds.clear();

    Tap(Qt::Key_Return);
    Tap(Qt::Key_Space);

    EXPECT_TRUE(cmds.empty());
}

TEST_F(GameViewTest, EscapeRaisesSecondaryWithoutRectangle) {
    AddRect(0, 0, 100, 100, clsEventRect::PointBit, 0);
    Tap(Qt::Key_Down);
    Tap(Qt::Key_Escape);
    ASSERT_EQ(cmds.size(), 2u);
    EXPECT_EQ(cmds[1].code, clsGameView::kCmdSecondary);
    EXPECT_EQ(cmds[1].rect, nullptr);
}

TEST_F(GameViewTest, UpAndDownFollowKeyboardOrderSkippingUnkeyedRectangles) {
    const RectPtr third = AddRect(0, 0, 10, 10, clsEventRect::PointBit, 7);
    AddRect(0, 20, 10, 10, clsEventRect::PointBit, -1);
    const RectPtr first = AddRect(0, 40, 10, 10, clsEventRect::PointBit, 2);
    const RectPtr second = AddRect(0, 60, 10, 10, clsEventRect::PointBit, 5);

    Tap(Qt::Key_Down);
    Tap(Qt::Key_Down);
    Tap(Qt::Key_Down);
    Tap(Qt::Key_Down);
    Tap(Qt::Key_Up);

    ASSERT_EQ(cmds.size(), 4u);
    EXPECT_EQ(cmds[0].rect, first);
    EXPECT_EQ(cmds[1].rect, second);
    EXPECT_EQ(cmds[2].rect, third);
    EXPECT_EQ(cmds[3].rect, second);
    for (const Cmd& cmd : cmds) {
        EXPECT_EQ(cmd.code, clsGameView::kCmdPointer);
    }
}

TEST_F(GameViewTest, UpWithoutSelectionStartsFromTheGreatestKey) {
    AddRect(0, 0, 10, 10, clsEventRect::PointBit, 1);
    const RectPtr last = AddRect(0, 20, 10, 10, clsEventRect::PointBit, 9);
    Tap(Qt::Key_Up);
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].rect, last);
}

TEST_F(GameViewTest, KeysSentToTheFormAreHandledToo) {
    Key(view->Form(), QEvent::KeyPress, Qt::Key_Escape);
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{2}));
}

// ---- input switched off

TEST_F(GameViewTest, NothingIsRaisedWhileEventsAreOff) {
    AddRect(0, 0, 100, 100, clsEventRect::LeftClickBit | clsEventRect::PointBit, 0);
    view->SetWaitModeSource([] { return 3; });
    view->SetEventEnabled(false);

    Click(QPoint(10, 10));
    Move(QPoint(20, 20));
    Tap(Qt::Key_Return);
    Tap(Qt::Key_Down);
    Press(Qt::Key_Control);
    Wheel(pic(), 120);

    EXPECT_TRUE(cmds.empty());
    EXPECT_EQ(view->SelectedRect(), nullptr);
}

TEST_F(GameViewTest, TurningEventsOnForgetsTheHeldKey) {
    Press(Qt::Key_Return);
    view->SetEventEnabled(false);
    view->SetEventEnabled(true);
    Press(Qt::Key_Return);
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{1, 1}));
}

TEST_F(GameViewTest, RepeatsOfAKeyHeldAcrossAnInputPauseStayIgnored) {
    Press(Qt::Key_Space);
    view->SetEventEnabled(false);
    view->SetEventEnabled(true);
    Press(Qt::Key_Space, Qt::NoModifier, true);
    Press(Qt::Key_Space, Qt::NoModifier, true);
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{1}));
}

TEST_F(GameViewTest, TurningEventsOnDropsInputWaitingInTheQueue) {
    view->SetEventEnabled(false);
    QCoreApplication::postEvent(pic(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    view->SetEventEnabled(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(cmds.empty());

    QCoreApplication::postEvent(pic(),
                                new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    QCoreApplication::processEvents();
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{2}));
}

// ---- wheel

TEST_F(GameViewTest, WheelRaisesOnlyInWaitModesThreeToFive) {
    std::int32_t waitMode = 0;
    view->SetWaitModeSource([&waitMode] { return waitMode; });
    for (waitMode = 0; waitMode <= 6; ++waitMode) {
        Wheel(pic(), 120);
        Wheel(pic(), -120);
    }
    EXPECT_EQ(Codes(), (std::vector<std::int32_t>{16, 32, 16, 32, 16, 32}));
}

TEST_F(GameViewTest, WheelNeedsSubClassMode) {
    view->SetWaitModeSource([] { return 4; });
    App().SubClassMode = false;
    Wheel(pic(), 120);
    EXPECT_TRUE(cmds.empty());
}

// ---- listeners

TEST_F(GameViewTest, AListenerRemovedWhileHandlingIsNotCalledAgain) {
    int calls = 0;
    int id = 0;
    id = view->AddScreenCmdListener([&](std::int32_t, std::int32_t, const RectPtr&) {
        ++calls;
        view->RemoveScreenCmdListener(id);
    });
    EXPECT_GT(id, 0);
    view->RaiseScreenCmd(1, nullptr);
    view->RaiseScreenCmd(2, nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(cmds.size(), 2u);
}

// ---- menu

TEST_F(GameViewTest, MenuIsBuiltFromTheWordLists) {
    const QList<QAction*> groups = form()->menuBar()->actions();
    ASSERT_EQ(groups.size(), 5);
    EXPECT_EQ(groups[0]->text(), QStringLiteral("ファイル"));
    EXPECT_EQ(groups[4]->text(), QStringLiteral("ヘルプ"));
    QStringList fileItems;
    for (QAction* action : groups[0]->menu()->actions()) {
        fileItems.append(action->isSeparator() ? QString() : action->data().toString());
    }
    EXPECT_EQ(fileItems, (QStringList{"file!saveload", "file!qsave", "file!qload", "", "file!title",
                                      "file!exit"}));
    EXPECT_EQ(Item("message!semislow")->text(), QStringLiteral("やや遅い"));
    EXPECT_EQ(Item("property!screen")->text(), QStringLiteral("表示"));
    EXPECT_EQ(Item("screen!full")->text(), QStringLiteral("全画面表示"));
    EXPECT_EQ(view->MenuItem(QStringLiteral("file!nothing")), nullptr);
    EXPECT_EQ(view->MenuItem(QStringLiteral("file")), nullptr);
}

TEST_F(GameViewTest, MenuEnableByTextEnablesOnlyTheListedGameItems) {
    view->MenuEnableByText(QString());
    EXPECT_EQ(view->SaveMenuStatus(), QStringLiteral("False,False,False,False,False,False,False"));
    EXPECT_TRUE(Item("file!exit")->isEnabled());

    view->MenuEnableByText(QStringLiteral(" file!qsave , message!log,unknown!item"));
    EXPECT_EQ(view->SaveMenuStatus(), QStringLiteral("False,True,False,False,False,False,True"));
}

TEST_F(GameViewTest, MenuStatusRoundTripsThroughAnotherView) {
    view->MenuEnableByText(QStringLiteral("file!saveload,file!title,message!auto"));
    const QString status = view->SaveMenuStatus();
    EXPECT_EQ(status, QStringLiteral("True,False,False,True,False,True,False"));

    clsGameView other;
    other.MenuEnableByText(QStringLiteral("file!qload,message!skip"));
    other.LoadMenuStatus(status);
    EXPECT_EQ(other.SaveMenuStatus(), status);
    EXPECT_FALSE(other.MenuItem(QStringLiteral("file!qload"))->isEnabled());
    EXPECT_TRUE(other.MenuItem(QStringLiteral("message!auto"))->isEnabled());
}

TEST_F(GameViewTest, TextSpeedOutsideTheRangeBecomesNormalWithOneCheckMark) {
    const char* items[] = {"message!fast", "message!semifast", "message!normal", "message!semislow",
                           "message!slow"};
    for (std::int32_t speed : {-1, 0, 4, 5, 3}) {
        view->SetTextSpeed(speed);
        const std::int32_t expected = speed < 0 || speed > 4 ? 2 : speed;
        EXPECT_EQ(view->TextSpeed(), expected);
        for (int index = 0; index < 5; ++index) {
            EXPECT_EQ(Item(items[index])->isChecked(), index == expected)
                << "speed " << speed << " item " << items[index];
        }
    }
}

TEST_F(GameViewTest, ChoosingASpeedFromTheMenuSetsItAndItsCheckMark) {
    Item("message!semifast")->trigger();
    EXPECT_EQ(view->TextSpeed(), 1);
    Item("message!semifast")->trigger();
    EXPECT_TRUE(Item("message!semifast")->isChecked());
    EXPECT_FALSE(Item("message!normal")->isChecked());
}

TEST_F(GameViewTest, AutoClickFollowsItsCheckMark) {
    view->SetAutoClickEnabled(true);
    EXPECT_TRUE(Item("message!auto")->isChecked());
    Item("message!auto")->trigger();
    EXPECT_FALSE(view->AutoClickEnabled());
    EXPECT_FALSE(Item("message!auto")->isChecked());
}

// ---- screen modes

TEST_F(GameViewTest, AnInvalidScreenModeIsReportedAndChangesNothing) {
    QStringList errors;
    int changes = 0;
    view->onScreenError = [&errors](const QString& text) { errors.append(text); };
    view->onScreenModeChanged = [&changes] { ++changes; };

    view->SetScreenMode(5);
    view->SetScreenMode(-1);

    EXPECT_EQ(errors, (QStringList{"不正なスクリーンモード指定", "不正なスクリーンモード指定"}));
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);
}

TEST_F(GameViewTest, ScreenModeChangesAreAnnouncedOnceAndChecked) {
    int changes = 0;
    view->onScreenModeChanged = [&changes] { ++changes; };

    view->SetScreenMode(clsGameView::kScreenWindow);
    EXPECT_EQ(changes, 0);
    EXPECT_TRUE(Item("screen!window")->isChecked());
    EXPECT_FALSE(Item("screen!full")->isChecked());

    view->SetScreenMode(clsGameView::kScreenFull);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(view->Form()->isFullScreen());
    EXPECT_FALSE(Item("screen!window")->isChecked());
    EXPECT_TRUE(Item("screen!full")->isChecked());

    view->SetScreenMode(clsGameView::kScreenClosed);
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(view->Visible());
}

TEST_F(GameViewTest, FullScreenFromTheMenuNeedsAFullScreenMode) {
    App().FullScreenAvailable = false;
    Item("screen!full")->trigger();
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);
    EXPECT_FALSE(Item("screen!full")->isChecked());
    EXPECT_TRUE(Item("screen!window")->isChecked());

    App().FullScreenAvailable = true;
    Item("screen!full")->trigger();
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenFull);
    Item("screen!window")->trigger();
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);
}

TEST_F(GameViewTest, AltEnterSwitchesBetweenWindowAndFullScreen) {
    Press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenFull);
    Release(Qt::Key_Return);
    Press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);
    EXPECT_TRUE(cmds.empty());

    App().FullScreenAvailable = false;
    Release(Qt::Key_Return);
    Press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);
}

TEST_F(GameViewTest, WindowModeShowsThePictureAtExactlyTheGameSize) {
    QCoreApplication::processEvents();
    EXPECT_EQ(pic()->size(), QSize(640, 480));
    EXPECT_EQ(view->Form()->minimumSize(), view->Form()->maximumSize());
    EXPECT_TRUE(form()->menuBar()->isVisible());
    EXPECT_EQ(view->Form()->height(), 480 + form()->menuBar()->height());

    view->SetScreenSize(QSize(320, 200));
    QCoreApplication::processEvents();
    EXPECT_EQ(pic()->size(), QSize(320, 200));
}

TEST_F(GameViewTest, LetterboxMappingTakesWidgetPointsBackToGamePixels) {
    const QSize widget(1280, 720);
    const QSize game(640, 480);
    EXPECT_EQ(picScreen::PictureArea(widget, game), QRect(160, 0, 960, 720));
    for (QPoint at : {QPoint(0, 0), QPoint(100, 200), QPoint(638, 478), QPoint(639, 479)}) {
        const QPointF widgetPos(160 + at.x() * 1.5, at.y() * 1.5);
        EXPECT_EQ(picScreen::ToGame(widgetPos, widget, game), at);
    }
    EXPECT_LT(picScreen::ToGame(QPointF(100, 300), widget, game).x(), 0);
    EXPECT_GE(picScreen::ToGame(QPointF(1200, 300), widget, game).x(), 640);

    EXPECT_EQ(picScreen::PictureArea(QSize(640, 480), game), QRect(0, 0, 640, 480));
    EXPECT_EQ(picScreen::ToGame(QPointF(17, 33), QSize(640, 480), game), QPoint(17, 33));
    EXPECT_EQ(picScreen::PictureArea(QSize(800, 800), game), QRect(0, 100, 800, 600));
}

TEST_F(GameViewTest, FullScreenClicksAreMappedThroughTheLetterbox) {
    // A wide game on the 4:3 offscreen screen gets bars above and below.
    view->SetScreenSize(QSize(640, 240));
    view->SetScreenMode(clsGameView::kScreenFull);
    QCoreApplication::processEvents();
    const QSize widget = pic()->size();
    ASSERT_GT(widget.height(), widget.width() * 240 / 640 + 4);
    const RectPtr whole = AddRect(0, 0, 639, 239, clsEventRect::LeftClickBit);
    const RectPtr centre = AddRect(310, 110, 20, 20, clsEventRect::LeftClickBit);

    Click(QPoint(widget.width() / 2, widget.height() / 2));
    Click(QPoint(widget.width() / 2, 1));
    Click(QPoint(1, widget.height() / 2));

    ASSERT_EQ(cmds.size(), 3u);
    EXPECT_EQ(cmds[0].rect, centre);
    EXPECT_EQ(cmds[1].rect, nullptr);
    EXPECT_EQ(cmds[2].rect, whole);
}

TEST_F(GameViewTest, FullScreenMenuBarAppearsNearTheTopAndHidesFurtherDown) {
    view->SetScreenMode(clsGameView::kScreenFull);
    QMenuBar* overlay = form()->FullScreenMenuBar();
    EXPECT_TRUE(overlay->isHidden());
    EXPECT_TRUE(form()->menuBar()->isHidden());

    Move(QPoint(300, 100));
    EXPECT_TRUE(overlay->isHidden());
    Move(QPoint(300, 10));
    EXPECT_FALSE(overlay->isHidden());
    Move(QPoint(300, 30));
    EXPECT_FALSE(overlay->isHidden());
    Move(QPoint(300, 45));
    EXPECT_TRUE(overlay->isHidden());
    Move(QPoint(300, 30));
    EXPECT_TRUE(overlay->isHidden());

    view->SetScreenMode(clsGameView::kScreenWindow);
    Move(QPoint(300, 5));
    EXPECT_TRUE(overlay->isHidden());
    EXPECT_FALSE(form()->menuBar()->isHidden());
}

TEST_F(GameViewTest, WndPosMovesTheWindowAndKeepsItOnTheDesktop) {
    const QRect desktop = QGuiApplication::primaryScreen()->availableGeometry();
    view->SetWndPos(QStringLiteral("100,50"));
    EXPECT_EQ(view->WndPos(), QStringLiteral("100,50"));

    view->SetWndPos(QStringLiteral("99999,-500"));
    const QRect frame = view->Form()->frameGeometry();
    EXPECT_TRUE(desktop.contains(frame)) << frame.x() << "," << frame.y();

    view->SetWndPos(QString());
    const QRect centred = view->Form()->frameGeometry();
    EXPECT_LE(std::abs(centred.center().x() - desktop.center().x()), 1);
    EXPECT_LE(std::abs(centred.center().y() - desktop.center().y()), 1);
}

TEST_F(GameViewTest, WndPosIsRememberedOutsideWindowMode) {
    view->SetWndPos(QStringLiteral("40,30"));
    view->SetScreenMode(clsGameView::kScreenFull);
    EXPECT_EQ(view->WndPos(), QStringLiteral("40,30"));
    view->SetWndPos(QStringLiteral("60,20"));
    view->SetScreenMode(clsGameView::kScreenWindow);
    EXPECT_EQ(view->Form()->pos(), QPoint(60, 20));
}

TEST_F(GameViewTest, ClosingIsRefusedWhileEventsAreOff) {
    view->SetEventEnabled(false);
    EXPECT_FALSE(view->Form()->close());
    EXPECT_TRUE(view->Visible());
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);

    view->SetEventEnabled(true);
    view->Form()->close();
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenClosed);
    EXPECT_FALSE(view->Visible());
}

TEST_F(GameViewTest, PictureShowsThePictureColourBeforeAnyFrame) {
    view->SetPictureColor(0x336699);
    const QImage screen = view->CurrentScreen();
    EXPECT_EQ(screen.size(), QSize(640, 480));
    EXPECT_EQ(screen.format(), QImage::Format_ARGB32);
    EXPECT_EQ(screen.pixel(5, 5), qRgb(0x33, 0x66, 0x99));
    EXPECT_EQ(pic()->grab().toImage().pixel(600, 400), qRgb(0x33, 0x66, 0x99));
}

// ---- status

TEST_F(GameViewTest, StatusKeepsSiteNameAndStoredRectangles) {
    view->SetSiteName(QStringLiteral("教室"));
    const RectPtr kept = AddRect(1, 2, 3, 4, clsEventRect::LeftClickBit, 6);
    kept->Text1 = QStringLiteral("go");
    view->EvRects().Add(0, QStringLiteral("wndbutton"))->Move(0, 0, 5, 5);
    clsSaveData saveData;
    view->SaveStatus(saveData);
    EXPECT_EQ(saveData.GameViewStatus().KeyValue(QStringLiteral("SiteName")),
              QStringLiteral("教室"));

    clsGameView other;
    other.EvRects().Add(0, QStringLiteral("old"));
    other.LoadStatus(saveData);
    EXPECT_EQ(other.SiteName(), QStringLiteral("教室"));
    ASSERT_EQ(other.EvRects().Count(), 1);
    const RectPtr loaded = *other.EvRects().begin();
    EXPECT_EQ(loaded->Text1, QStringLiteral("go"));
    EXPECT_EQ(loaded->KB, 6);
    EXPECT_EQ(QRect(QPoint(loaded->Left, loaded->Top), QPoint(loaded->Right, loaded->Bottom)),
              QRect(QPoint(1, 2), QPoint(4, 6)));
}

TEST_F(GameViewTest, LoadingStatusDropsTheOldSelection) {
    AddRect(0, 0, 100, 100, clsEventRect::PointBit);
    Move(QPoint(5, 5));
    ASSERT_NE(view->SelectedRect(), nullptr);
    clsSaveData saveData;
    view->LoadStatus(saveData);
    EXPECT_EQ(view->SelectedRect(), nullptr);
    EXPECT_EQ(view->EvRects().Count(), 0);
}

// ---- with a launcher

class GameViewLauncherTest : public GameViewTest {
protected:
    void SetUp() override {
        player = std::make_unique<ScriptedPlayer>();
        player->launcher.SetTitle(QStringLiteral("ゲーム"));
        GameViewTest::SetUp();
    }
    void TearDown() override {
        view.reset();
        player->launcher.SetSysTimerFunc(clsLaunch::kTimerNone);
        App().EngineClosing = false;
        player.reset();
    }
    QStringList Boxes() { return MessageBoxes(*player); }

    std::unique_ptr<ScriptedPlayer> player;
};

TEST_F(GameViewLauncherTest, SiteNameShowsInTheCaption) {
    view->SetSiteName(QStringLiteral("屋上"));
    EXPECT_EQ(view->Form()->windowTitle(), QStringLiteral("ゲーム　「屋上」"));
    view->SetSiteName(QString());
    EXPECT_EQ(view->Form()->windowTitle(), QStringLiteral("ゲーム"));
}

TEST_F(GameViewLauncherTest, SettingsAndAboutAreNotAvailableYet) {
    view->MenuCmd(QStringLiteral("property"), QStringLiteral("sound"));
    Item("help!version")->trigger();
    const QString box = QStringLiteral("msgbox \"この機能はまだ利用できません。\" -> ok");
    EXPECT_EQ(Boxes(), (QStringList{box, box}));
}

TEST_F(GameViewLauncherTest, ExitAndCloseBoxCloseTheEngineWithoutAsking) {
    view->MenuCmd(QStringLiteral("file"), QStringLiteral("exit"));
    EXPECT_EQ(player->launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    player->launcher.SetSysTimerFunc(clsLaunch::kTimerNone);

    EXPECT_FALSE(view->Form()->close());
    EXPECT_EQ(player->launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    EXPECT_TRUE(Boxes().isEmpty());
}

TEST_F(GameViewLauncherTest, ReturnToTitleTurnsInputOffAndRestartsTheTitle) {
    view->MenuCmd(QStringLiteral("file"), QStringLiteral("title"));
    EXPECT_FALSE(view->EventEnabled());
    EXPECT_EQ(player->launcher.SysTimerFunc(), clsLaunch::kTimerFirstMode);
}

TEST_F(GameViewLauncherTest, MouseIconIsAPictureOfTheGameFolder) {
    TempFolder game;
    App().AppDir = game.path();
    QImage arrow(16, 16, QImage::Format_ARGB32);
    arrow.fill(Qt::red);
    QByteArray png;
    QBuffer pngBuffer(&png);
    pngBuffer.open(QIODevice::WriteOnly);
    arrow.save(&pngBuffer, "PNG");
    game.write(QStringLiteral("system/Arrow.png"), png);

    view->SetMouseIcon(QStringLiteral("SYSTEM\\arrow.PNG"));
    EXPECT_EQ(view->MouseIcon(), QStringLiteral("SYSTEM\\arrow.PNG"));
    EXPECT_EQ(pic()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(pic()->cursor().pixmap().size(), QSize(16, 16));
    EXPECT_EQ(pic()->cursor().hotSpot(), QPoint(0, 0));

    view->SetMouseIcon(QString());
    EXPECT_FALSE(pic()->testAttribute(Qt::WA_SetCursor));

    view->SetMouseIcon(QStringLiteral("system/missing.png"));
    view->SetMouseIcon(QStringLiteral("../outside.png"));
    EXPECT_FALSE(pic()->testAttribute(Qt::WA_SetCursor));
    const QString log = player->launcher.Log().Log();
    EXPECT_TRUE(log.contains(QStringLiteral("system/missing.png")));
    EXPECT_TRUE(log.contains(QStringLiteral("../outside.png")));
}

TEST_F(GameViewLauncherTest, CursorFilesKeepTheirHotSpot) {
    TempFolder game;
    App().AppDir = game.path();
    QImage arrow(32, 32, QImage::Format_ARGB32);
    arrow.fill(Qt::white);
    QByteArray cursor;
    QBuffer buffer(&cursor);
    buffer.open(QIODevice::WriteOnly);
    ASSERT_TRUE(arrow.save(&buffer, "ICO"));
    // An icon file becomes a cursor file by its type and the hot spot in its entry.
    cursor[2] = 2;
    cursor[10] = 3;
    cursor[12] = 5;
    game.write(QStringLiteral("pointer.cur"), cursor);

    view->SetMouseIcon(QStringLiteral("pointer.cur"));
    ASSERT_EQ(pic()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(pic()->cursor().hotSpot(), QPoint(3, 5));
}

TEST_F(GameViewLauncherTest, DestructionIsLogged) {
    view.reset();
    EXPECT_TRUE(player->launcher.Log().Log().contains(QStringLiteral("GameView-Terminate")));
}

// ---- with an engine

// An engine that is created but not started, with settings from a small
// system information; its view is the one under test.
class GameViewEngineTest : public ::testing::Test {
protected:
    void SetUp() override {
        App().SaveDir = saveDir.path();
        App().SubClassMode = true;
        App().FullScreenAvailable = true;
        INIFile systemInfo;
        systemInfo.SetText(QStringLiteral(
            "[Config]\r\nDeactivateMute=True\r\nDeactivateWnd=True\r\nQueryExit=True\r\n"
            "QueryRestartTitle=True\r\nQueryQuickSave=False\r\nQueryQuickLoad=True\r\n"
            "TextSpeed=2\r\nTextAutoClick=False\r\nBGMVolume=200\r\nSEVolume=150\r\n"
            "CVVolume=100\r\nBGMMute=False\r\nSEMute=False\r\nCVMute=False"));
        varo = std::make_unique<clsVaro>();
        ASSERT_TRUE(varo->Cfg().Init(systemInfo));
        App().Varo = varo.get();
        view().AddScreenCmdListener(
            [this](std::int32_t mode, std::int32_t code, const RectPtr& rect) {
                cmds.push_back({mode, code, rect});
            });
        view().SetScreenMode(clsGameView::kScreenWindow);
        view().SetEventEnabled(true);
    }
    void TearDown() override {
        App().Varo = nullptr;
        varo.reset();
        player.launcher.SetSysTimerFunc(clsLaunch::kTimerNone);
        App().EngineClosing = false;
    }

    clsGameView& view() { return varo->GameView(); }
    QAction* Item(const char* tag) { return view().MenuItem(QString::fromUtf8(tag)); }
    void Answer(const char* word) {
        static_cast<ScriptedMessageBoxPresenter&>(player.platform.messageBoxes())
            .queueAnswer(QString::fromUtf8(word));
    }
    QStringList Boxes() { return MessageBoxes(player); }
    void Click(QPoint at) {
        Mouse(view().pic(), QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    }

    AppSwitches switches;
    ScriptedPlayer player;
    TempFolder saveDir;
    std::unique_ptr<clsVaro> varo;
    std::vector<Cmd> cmds;
};

TEST_F(GameViewEngineTest, ScreenCmdCarriesTheEngineMode) {
    varo->ChangeMode(9, 0);
    cmds.clear();
    Click(QPoint(3, 3));
    ASSERT_EQ(cmds.size(), 1u);
    EXPECT_EQ(cmds[0].mode, 9);
}

TEST_F(GameViewEngineTest, InputEndsSkipModeOnlyInWaitModesZeroAndOne) {
    std::int32_t waitMode = 3;
    view().SetWaitModeSource([&waitMode] { return waitMode; });
    varo->SetSkipMode(true);
    Click(QPoint(3, 3));
    Key(view().pic(), QEvent::KeyPress, Qt::Key_Space);
    EXPECT_TRUE(varo->IsSkipMode());

    waitMode = 1;
    view().SetEventEnabled(false);
    Key(view().pic(), QEvent::KeyPress, Qt::Key_A);
    EXPECT_FALSE(varo->IsSkipMode());
    EXPECT_FALSE(Item("message!skip")->isChecked());

    varo->SetSkipMode(true);
    waitMode = 0;
    Click(QPoint(3, 3));
    EXPECT_FALSE(varo->IsSkipMode());
}

TEST_F(GameViewEngineTest, SkipMenuItemTurnsSkipModeOver) {
    Item("message!skip")->trigger();
    EXPECT_TRUE(varo->IsSkipMode());
    EXPECT_TRUE(Item("message!skip")->isChecked());
    Item("message!skip")->trigger();
    EXPECT_FALSE(varo->IsSkipMode());
    EXPECT_FALSE(Item("message!skip")->isChecked());
}

TEST_F(GameViewEngineTest, SpeedAndAutoClickFromTheMenuAreStoredInTheSettings) {
    Item("message!slow")->trigger();
    EXPECT_EQ(varo->Cfg().LongVal(QStringLiteral("TextSpeed")), 4);
    EXPECT_TRUE(Item("message!slow")->isChecked());
    EXPECT_EQ(varo->CurrentAutoClickTimer(), 0);

    varo->Intprt().SetLastAutoClickTimer(700);
    Item("message!auto")->trigger();
    EXPECT_TRUE(varo->Cfg().BoolVal(QStringLiteral("TextAutoClick")));
    EXPECT_TRUE(view().AutoClickEnabled());
    EXPECT_TRUE(Item("message!auto")->isChecked());
    EXPECT_EQ(varo->CurrentAutoClickTimer(), 700);

    Item("message!auto")->trigger();
    EXPECT_FALSE(varo->Cfg().BoolVal(QStringLiteral("TextAutoClick")));
    EXPECT_FALSE(Item("message!auto")->isChecked());
}

TEST_F(GameViewEngineTest, DeactivationMutesAndLeavesFullScreenActivationRestores) {
    view().SetScreenMode(clsGameView::kScreenFull);
    view().SetDeactivateSense(true);
    varo->Cfg().RaiseChangeEvent(QStringLiteral("BGMVolume,SEVolume,CVVolume"));
    ASSERT_EQ(varo->Dov().BGMVolume(), 200);

    QApplication::setActiveWindow(nullptr);
    view().FormActivityChanged();
    EXPECT_FALSE(view().FormActivity());
    EXPECT_EQ(varo->Dov().BGMVolume(), 0);
    EXPECT_EQ(varo->Dov().SEVolume(), 0);
    EXPECT_EQ(varo->Dov().CVVolume(), 0);
    EXPECT_EQ(varo->Cfg().LongVal(QStringLiteral("BGMVolume")), 200);
    EXPECT_EQ(view().ScreenMode(), clsGameView::kScreenWindow);

    QApplication::setActiveWindow(view().Form());
    EXPECT_TRUE(view().FormActivity());
    EXPECT_EQ(varo->Dov().BGMVolume(), 200);
    EXPECT_EQ(varo->Dov().SEVolume(), 150);
    EXPECT_EQ(varo->Dov().CVVolume(), 100);
}

TEST_F(GameViewEngineTest, ActivityIsNotSensedWhileSensingIsOff) {
    varo->Cfg().RaiseChangeEvent(QStringLiteral("BGMVolume"));
    QApplication::setActiveWindow(nullptr);
    view().FormActivityChanged();
    EXPECT_EQ(varo->Dov().BGMVolume(), 200);
    EXPECT_EQ(view().ScreenMode(), clsGameView::kScreenWindow);
}

TEST_F(GameViewEngineTest, ActivationEventsAreSensedOnlyInSubClassMode) {
    view().SetDeactivateSense(true);
    App().SubClassMode = false;
    QApplication::setActiveWindow(view().Form());
    EXPECT_FALSE(view().FormActivity());
    App().SubClassMode = true;
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(view().Form());
    EXPECT_TRUE(view().FormActivity());
}

TEST_F(GameViewEngineTest, ClosingAsksFirstWhenTheSettingSaysSo) {
    Answer("no");
    EXPECT_FALSE(view().Form()->close());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerNone);
    EXPECT_EQ(view().ScreenMode(), clsGameView::kScreenWindow);

    Answer("yes");
    view().MenuCmd(QStringLiteral("file"), QStringLiteral("exit"));
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    const QString box = QStringLiteral("msgbox \"ゲームを終了しますか。\" -> ");
    EXPECT_EQ(Boxes(), (QStringList{box + "no", box + "yes"}));
}

TEST_F(GameViewEngineTest, ReturnToTitleAsksAndStopsUnlessYes) {
    Answer("no");
    view().MenuCmd(QStringLiteral("file"), QStringLiteral("title"));
    EXPECT_TRUE(view().EventEnabled());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerNone);

    Answer("yes");
    view().MenuCmd(QStringLiteral("file"), QStringLiteral("title"));
    EXPECT_FALSE(view().EventEnabled());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerFirstMode);
    EXPECT_EQ(Boxes().size(), 2);
    EXPECT_TRUE(Boxes().first().contains(QStringLiteral("タイトルにもどりますか。")));
}

TEST_F(GameViewEngineTest, SaveLoadMenuNeedsTheGameModeSwitch) {
    INISection& base = varo->GamemodeInfo().KeySection(QStringLiteral("Base"));
    base.SetKeyValue(QStringLiteral("SaveMenuEnabled"), QStringLiteral("False"));
    base.SetKeyValue(QStringLiteral("SaveMenuAlarmMessage"), QStringLiteral("ここでは無理"));
    view().SetSiteName(QStringLiteral("廊下"));

    view().MenuCmd(QStringLiteral("file"), QStringLiteral("saveload"));
    EXPECT_EQ(Boxes(), (QStringList{QStringLiteral("msgbox \"ここでは無理\" -> ok")}));
    EXPECT_EQ(varo->VaroMode(), clsVaro::kModeNone);

    base.SetKeyValue(QStringLiteral("SaveMenuEnabled"), QStringLiteral("TRUE"));
    view().MenuCmd(QStringLiteral("file"), QStringLiteral("saveload"));
    EXPECT_EQ(varo->VaroMode(), clsVaro::kModeSaveLoad);
    EXPECT_EQ(varo->SD().GameViewStatus().KeyValue(QStringLiteral("SiteName")),
              QStringLiteral("廊下"));
}

// ---- frames of the screen driver

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            ++paints;
        }
        return false;
    }
};

}  // namespace

class GameViewFrameTest : public KestDriverFixture {
protected:
    void SetUp() override {
        KestDriverFixture::SetUp();
        view = std::make_unique<clsGameView>(QSize(kWidth, kHeight));
        view->AttachScreen(driver.get());
        view->SetScreenMode(clsGameView::kScreenWindow);
        QCoreApplication::processEvents();
    }
    void TearDown() override {
        view.reset();
        KestDriverFixture::TearDown();
    }
    QImage Shown() { return view->pic()->grab().toImage(); }

    AppSwitches switches;
    std::unique_ptr<clsGameView> view;
};

TEST_F(GameViewFrameTest, CurrentScreenAndPictureShowThePresentedFrame) {
    view->SetPictureColor(0x00FF00);
    EXPECT_EQ(view->CurrentScreen().pixel(1, 1), qRgb(0, 255, 0));

    basicScene(kRed);
    driver->DrawActivate(0, 0);
    kest().WaitBlt();

    const QImage screen = view->CurrentScreen();
    EXPECT_EQ(screen.size(), QSize(kWidth, kHeight));
    EXPECT_EQ(screen.format(), QImage::Format_ARGB32);
    EXPECT_EQ(screen.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(Shown().size(), QSize(kWidth, kHeight));
    EXPECT_EQ(Shown().pixel(kWidth - 1, kHeight - 1), qRgb(255, 0, 0));
}

TEST_F(GameViewFrameTest, ThePictureRepaintsOnlyForNewFrames) {
    basicScene(kRed);
    driver->DrawActivate(0, 0);
    kest().WaitBlt();
    QCoreApplication::processEvents();
    PaintCounter counter;
    view->pic()->installEventFilter(&counter);

    QCoreApplication::processEvents();
    kest().WaitBlt();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 0);

    fillBack(kBlue);
    kest().WaitBlt();
    QCoreApplication::processEvents();
    EXPECT_EQ(counter.paints, 1);
}

// Pixels of one colour along a row or a column of an image.
int CountAlong(const QImage& image, bool row, int at, QRgb colour) {
    int count = 0;
    const int length = row ? image.width() : image.height();
    for (int i = 0; i < length; ++i) {
        count += (row ? image.pixel(i, at) : image.pixel(at, i)) == colour ? 1 : 0;
    }
    return count;
}

TEST_F(GameViewFrameTest, FullScreenScalesTheFrameBetweenBlackBars) {
    // The game is 4:3; the offscreen screen is not, so one pair of bars shows.
    basicScene(kBlue);
    driver->DrawActivate(0, 0);
    kest().WaitBlt();
    view->SetScreenMode(clsGameView::kScreenFull);
    QCoreApplication::processEvents();
    const QImage shown = Shown();
    ASSERT_EQ(shown.size(), QGuiApplication::primaryScreen()->geometry().size());
    const QRgb blue = qRgb(0, 0, 255);
    const QRgb black = qRgb(0, 0, 0);
    const int width = shown.width();
    const int height = shown.height();

    const int blueAcross = CountAlong(shown, true, height / 2, blue);
    const int blueDown = CountAlong(shown, false, width / 2, blue);
    EXPECT_LE(std::abs(blueAcross * 3 - blueDown * 4), 4);
    EXPECT_TRUE(blueAcross == width || blueDown == height);
    EXPECT_EQ(CountAlong(shown, true, height / 2, black), width - blueAcross);
    EXPECT_EQ(CountAlong(shown, false, width / 2, black), height - blueDown);
    ASSERT_NE(blueAcross * blueDown, width * height);
    EXPECT_EQ(shown.pixel(0, 0), black);
    EXPECT_EQ(shown.pixel(width - 1, height - 1), black);
}

TEST_F(GameViewFrameTest, DetachedViewShowsThePictureColourAgain) {
    basicScene(kRed);
    driver->DrawActivate(0, 0);
    kest().WaitBlt();
    view->AttachScreen(nullptr);
    view->SetPictureColor(0xFFFFFF);
    EXPECT_EQ(view->CurrentScreen().pixel(2, 2), qRgb(255, 255, 255));
    fillBack(kBlue);
    kest().WaitBlt();
    EXPECT_EQ(Shown().pixel(2, 2), qRgb(255, 255, 255));
}
