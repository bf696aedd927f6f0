#include "screen/clsGameView.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QWheelEvent>
#include <array>
#include <string>
#include <tuple>

#include "KestDriverFixture.h"
#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "data/clsOskaDriver.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "scenario/clsInterpreter.h"
#include "screen/frmScreen.h"
#include "screen/picScreen.h"

using namespace Qt::StringLiterals;

namespace {

using RectPtr = clsGameView::RectPtr;

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

// The process-wide switches a test changes, restored afterwards.
struct AppSwitches {
    ~AppSwitches() {
        std::tie(App().AppDir, App().SubClassMode, App().FullScreenAvailable) = saved;
    }
    std::tuple<QString, bool, bool> saved{App().AppDir, App().SubClassMode,
                                          App().FullScreenAvailable};
};

}  // namespace

// A 640 x 480 view in window mode with input on, under a launcher titled "ゲーム",
// recording every ScreenCmd. Without an engine the view is a view of its own.
class GameViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        player.launcher.SetTitle(u"ゲーム"_s);
        App().SubClassMode = true;
        App().FullScreenAvailable = true;
        if (varo != nullptr) {
            varo->GameView().SetHost(varo.get());
            App().Archives = &varo->Oska();
        } else {
            ownView = std::make_unique<clsGameView>(QSize(640, 480));
        }
        view = varo != nullptr ? &varo->GameView() : ownView.get();
        view->AddScreenCmdListener(
            [this](std::int32_t mode, std::int32_t code, const RectPtr& rect) {
                lastMode = mode;
                cmds += (cmds.empty() ? "" : " ") + std::to_string(code) + ":" +
                        (rect != nullptr ? rect->TagName.toStdString() : "-");
            });
        view->SetScreenMode(clsGameView::kScreenWindow);
        view->SetEventEnabled(true);
    }
    void TearDown() override {
        ownView.reset();
        if (varo != nullptr) {
            varo->GameView().SetHost(nullptr);
        }
        App().Archives = nullptr;
        varo.reset();
        player.launcher.SetSysTimerFunc(clsLaunch::kTimerNone);
        App().EngineClosing = false;
    }

    RectPtr AddRect(const char* name, int left, int top, int width, int height, std::int32_t type,
                    std::int32_t kb = -1) {
        RectPtr rect = view->EvRects().Add(0, QString::fromUtf8(name));
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
    void Tap(std::initializer_list<int> keys) {
        for (int key : keys) {
            Press(key);
            Release(key);
        }
    }
    QAction* Item(const char* tag) { return view->MenuItem(QString::fromUtf8(tag)); }
    void Answer(const char* word) {
        static_cast<ScriptedMessageBoxPresenter&>(player.platform.messageBoxes())
            .queueAnswer(QString::fromUtf8(word));
    }
    // The message boxes shown: msgbox "TEXT" -> ANSWER.
    QStringList Boxes() {
        return player.platform.trace()
            .lines()
            .filter(u"msgbox "_s)
            .replaceInStrings(QRegularExpression(u"^t=\\d+ "_s), QString());
    }

    static constexpr std::int32_t kLeft = clsEventRect::LeftClickBit;
    static constexpr std::int32_t kRight = clsEventRect::RightClickBit;
    static constexpr std::int32_t kPoint = clsEventRect::PointBit;

    AppSwitches switches;
    ScriptedPlayer player;
    std::unique_ptr<clsVaro> varo;
    std::unique_ptr<clsGameView> ownView;
    clsGameView* view = nullptr;
    // The ScreenCmds raised, as "CODE:RECT" words; a rectangle is named by its group, "-" is none.
    std::string cmds;
    std::int32_t lastMode = -1;
};

// ---- input

TEST_F(GameViewTest, ClicksHitTheLastEnabledRectangleSensingTheButton) {
    AddRect("a", 10, 10, 100, 100, kLeft);
    AddRect("b", 50, 50, 100, 100, kLeft);
    AddRect("r", 0, 0, 300, 300, kRight | kPoint);
    AddRect("off", 0, 0, 40, 40, kLeft | kRight)->Enabled = false;

    Click(QPoint(20, 20));
    Click(QPoint(60, 60));
    Click(QPoint(400, 400));
    Click(QPoint(20, 20), Qt::RightButton);
    Click(QPoint(400, 400), Qt::RightButton);
    Click(QPoint(20, 20), Qt::MiddleButton);
    // A double click stands for the second press only while the button is down.
    Mouse(pic(), QEvent::MouseButtonPress, QPoint(60, 60), Qt::LeftButton, Qt::LeftButton);
    Mouse(pic(), QEvent::MouseButtonDblClick, QPoint(60, 60), Qt::LeftButton, Qt::LeftButton);
    Mouse(pic(), QEvent::MouseButtonDblClick, QPoint(60, 60), Qt::LeftButton, Qt::NoButton);

    EXPECT_EQ(cmds, "1:a 1:b 1:- 2:r 2:- 1:b 1:b");
}

TEST_F(GameViewTest, HoverRaisesPointerOncePerChangeOfRectangle) {
    AddRect("a", 0, 0, 100, 100, kPoint);
    AddRect("b", 50, 0, 100, 100, kPoint);
    AddRect("click", 300, 300, 50, 50, kLeft);
    for (QPoint at : {QPoint(10, 10), QPoint(20, 20), QPoint(60, 10), QPoint(70, 10),
                      QPoint(310, 310), QPoint(400, 400)}) {
        Move(at);
    }
    EXPECT_EQ(cmds, "4:a 4:b 4:-");
    EXPECT_EQ(view->SelectedRect(), nullptr);

    // ForceMouseMove tests the last point again against the changed rectangles.
    const RectPtr late = AddRect("late", 390, 390, 20, 20, kPoint);
    view->ForceMouseMove();
    view->ForceMouseMove();
    EXPECT_EQ(view->SelectedRect(), late);
    // After SelectionClear the same rectangle counts as new.
    view->SelectionClear();
    EXPECT_EQ(view->SelectedRect(), nullptr);
    Move(QPoint(401, 401));
    EXPECT_EQ(cmds, "4:a 4:b 4:- 4:late 4:late");
}

TEST_F(GameViewTest, AHeldKeyRaisesOnceUntilReleasedButCtrlOnEveryKeyDown) {
    Press(Qt::Key_Return);
    Press(Qt::Key_Return);
    Press(Qt::Key_Return, Qt::NoModifier, true);
    Key(pic(), QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, true);
    Press(Qt::Key_Return, Qt::NoModifier, true);
    EXPECT_EQ(cmds, "1:-");
    Release(Qt::Key_Return);
    Tap({Qt::Key_Return});

    Press(Qt::Key_Control, Qt::ControlModifier);
    EXPECT_TRUE(view->IsCtrlDown());
    Press(Qt::Key_Control, Qt::ControlModifier, true);
    Press(Qt::Key_Control, Qt::ControlModifier, true);
    Release(Qt::Key_Control);
    EXPECT_FALSE(view->IsCtrlDown());
    // Keys that reach the form instead of the picture count the same.
    Key(view->Form(), QEvent::KeyPress, Qt::Key_Escape);

    EXPECT_EQ(cmds, "1:- 1:- 1:- 1:- 1:- 2:-");
}

TEST_F(GameViewTest, EnterAndSpaceClickTheSelectionUnlessItHasNoKeyboardPlace) {
    Tap({Qt::Key_Space});
    AddRect("keyed", 0, 0, 10, 10, kPoint, 0);
    Tap({Qt::Key_Down, Qt::Key_Enter, Qt::Key_Escape});
    AddRect("unkeyed", 50, 50, 100, 100, kPoint, -1);
    Move(QPoint(60, 60));
    Tap({Qt::Key_Return, Qt::Key_Space});

    EXPECT_EQ(cmds, "1:- 4:keyed 1:keyed 2:- 4:unkeyed");
}

TEST_F(GameViewTest, UpAndDownFollowKeyboardOrderSkippingUnkeyedRectangles) {
    AddRect("third", 0, 0, 10, 10, kPoint, 7);
    AddRect("unkeyed", 0, 20, 10, 10, kPoint, -1);
    AddRect("first", 0, 40, 10, 10, kPoint, 2);
    AddRect("second", 0, 60, 10, 10, kPoint, 5);
    Tap({Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Up});
    EXPECT_EQ(cmds, "4:first 4:second 4:third 4:second");

    // Up without a selection starts from the greatest key.
    view->SelectionClear();
    Tap({Qt::Key_Up});
    EXPECT_EQ(cmds, "4:first 4:second 4:third 4:second 4:third");
}

TEST_F(GameViewTest, InputIsIgnoredWhileOffAndTurningItOnDropsWhatWaited) {
    AddRect("a", 0, 0, 100, 100, kLeft | kPoint, 0);
    view->SetWaitModeSource([] { return 3; });
    view->SetEventEnabled(false);
    Click(QPoint(10, 10));
    Move(QPoint(20, 20));
    Tap({Qt::Key_Return, Qt::Key_Down});
    Press(Qt::Key_Control);
    Wheel(pic(), 120);
    const auto postEscape = [this] {
        QCoreApplication::postEvent(
            pic(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier));
    };
    postEscape();
    view->SetEventEnabled(true);
    QCoreApplication::processEvents();
    EXPECT_EQ(cmds, "");
    EXPECT_EQ(view->SelectedRect(), nullptr);
    postEscape();
    QCoreApplication::processEvents();
    EXPECT_EQ(cmds, "2:-");

    // A key held across the pause counts anew once, its repeats stay ignored.
    Press(Qt::Key_Space);
    view->SetEventEnabled(false);
    view->SetEventEnabled(true);
    Press(Qt::Key_Space);
    Press(Qt::Key_Space, Qt::NoModifier, true);
    EXPECT_EQ(cmds, "2:- 1:- 1:-");
}

TEST_F(GameViewTest, WheelRaisesOnlyAtClickChoiceAndButtonWaitsInSubClassMode) {
    std::int32_t waitMode = 0;
    std::string raised;
    view->SetWaitModeSource([&waitMode] { return waitMode; });
    for (waitMode = 0; waitMode <= 7; ++waitMode) {
        const std::string before = cmds;
        Wheel(pic(), 120);
        Wheel(pic(), -120);
        raised += cmds != before ? std::to_string(waitMode) : "";
    }
    EXPECT_EQ(raised, "456");
    EXPECT_EQ(cmds, "16:- 32:- 16:- 32:- 16:- 32:-");
    waitMode = 4;
    App().SubClassMode = false;
    Wheel(pic(), 120);
    EXPECT_EQ(cmds, "16:- 32:- 16:- 32:- 16:- 32:-");
}

TEST_F(GameViewTest, LosingTheActivationForgetsHeldKeysInAnyMode) {
    App().SubClassMode = false;
    QApplication::setActiveWindow(view->Form());
    Press(Qt::Key_Control, Qt::ControlModifier);
    Press(Qt::Key_Tab);
    Press(Qt::Key_Return);
    ASSERT_TRUE(view->IsCtrlDown());
    ASSERT_TRUE(view->IsTabDown());
    // Their releases happen while another window has the keyboard.
    QApplication::setActiveWindow(nullptr);
    EXPECT_FALSE(view->IsCtrlDown());
    EXPECT_FALSE(view->IsTabDown());
    QApplication::setActiveWindow(view->Form());
    Press(Qt::Key_Return);
    EXPECT_EQ(cmds, "1:- 1:- 1:-");
}

TEST_F(GameViewTest, AListenerRemovedWhileHandlingIsNotCalledAgain) {
    int calls = 0;
    int id = 0;
    id = view->AddScreenCmdListener([&](std::int32_t, std::int32_t, const RectPtr&) {
        ++calls;
        view->RemoveScreenCmdListener(id);
    });
    view->RaiseScreenCmd(1, nullptr);
    view->RaiseScreenCmd(2, nullptr);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(cmds, "1:- 2:-");
}

// ---- menu and window without an engine

TEST_F(GameViewTest, MenuStatusListsTheGameItemsAndRoundTrips) {
    view->MenuEnableByText(QString());
    EXPECT_EQ(view->SaveMenuStatus(), u"False,False,False,False,False,False,False"_s);
    EXPECT_TRUE(Item("file!exit")->isEnabled());

    view->MenuEnableByText(u" file!qsave , message!log,unknown!item,file!title"_s);
    const QString status = view->SaveMenuStatus();
    EXPECT_EQ(status, u"False,True,False,True,False,False,True"_s);

    clsGameView other;
    other.MenuEnableByText(u"file!qload,message!skip"_s);
    other.LoadMenuStatus(status);
    EXPECT_EQ(other.SaveMenuStatus(), status);
    EXPECT_FALSE(other.MenuItem(u"file!qload"_s)->isEnabled());
    EXPECT_TRUE(other.MenuItem(u"message!log"_s)->isEnabled());
}

TEST_F(GameViewTest, TextSpeedOutOfRangeBecomesNormalWithOneCheckMark) {
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
    // Choosing the checked speed again leaves it checked.
    Item("message!semifast")->trigger();
    Item("message!semifast")->trigger();
    EXPECT_EQ(view->TextSpeed(), 1);
    EXPECT_TRUE(Item("message!semifast")->isChecked());
    EXPECT_FALSE(Item("message!semislow")->isChecked());
}

TEST_F(GameViewTest, MenuDialogsAreLeftToTheEngineAskNothingAndClosingWaitsForInput) {
    view->SetSiteName(u"屋上"_s);
    EXPECT_EQ(view->Form()->windowTitle(), u"ゲーム　「屋上」"_s);
    view->SetSiteName(QString());
    EXPECT_EQ(view->Form()->windowTitle(), u"ゲーム"_s);

    // The dialogs are the engine's: without it the menu opens none.
    Item("property!sound")->trigger();
    Item("help!version")->trigger();
    EXPECT_TRUE(Boxes().isEmpty());
    QStringList opened;
    view->onShowSettings = [&opened](const QString& page) { opened << page; };
    view->onShowAbout = [&opened] { opened << u"about"_s; };
    Item("property!sound")->trigger();
    Item("property!char")->trigger();
    Item("help!version")->trigger();
    EXPECT_EQ(opened, (QStringList{"sound", "char", "about"}));

    Item("file!title")->trigger();
    EXPECT_FALSE(view->EventEnabled());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerFirstMode);
    player.launcher.SetSysTimerFunc(clsLaunch::kTimerNone);
    EXPECT_FALSE(view->Form()->close());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerNone);
    EXPECT_TRUE(view->Visible());
    view->SetEventEnabled(true);
    EXPECT_FALSE(view->Form()->close());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    player.launcher.SetSysTimerFunc(clsLaunch::kTimerNone);
    Item("file!exit")->trigger();
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    EXPECT_TRUE(Boxes().isEmpty());
}

TEST_F(GameViewTest, ScreenModeChangesAreCheckedAnnouncedOnceAndInvalidOnesReported) {
    QStringList errors;
    int changes = 0;
    view->onScreenError = [&errors](const QString& text) { errors.append(text); };
    view->onScreenModeChanged = [&changes] { ++changes; };
    view->SetScreenMode(5);
    view->SetScreenMode(-1);
    view->SetScreenMode(clsGameView::kScreenWindow);
    EXPECT_EQ(errors, (QStringList{"不正なスクリーンモード指定", "不正なスクリーンモード指定"}));
    // Window mode shows the picture at exactly the game size.
    QCoreApplication::processEvents();
    EXPECT_EQ(pic()->size(), QSize(640, 480));
    EXPECT_EQ(view->Form()->height(), 480 + form()->menuBar()->height());

    // Full screen, from the menu or by Alt+Enter, needs a full-screen mode.
    App().FullScreenAvailable = false;
    Item("screen!full")->trigger();
    Press(Qt::Key_Return, Qt::AltModifier);
    Release(Qt::Key_Return);
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(Item("screen!full")->isChecked());
    EXPECT_TRUE(Item("screen!window")->isChecked());
    App().FullScreenAvailable = true;
    Press(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(view->Form()->isFullScreen());
    EXPECT_FALSE(Item("screen!window")->isChecked());
    EXPECT_TRUE(Item("screen!full")->isChecked());
    Release(Qt::Key_Return);
    Press(Qt::Key_Return, Qt::AltModifier);
    Item("screen!full")->trigger();
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenFull);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(cmds, "");

    view->SetScreenMode(clsGameView::kScreenClosed);
    EXPECT_EQ(changes, 4);
    EXPECT_FALSE(view->Visible());
}

TEST_F(GameViewTest, LetterboxMappingTakesWidgetPointsBackToGamePixels) {
    const QSize widget(1280, 720);
    const QSize game(640, 480);
    EXPECT_EQ(picScreen::PictureArea(widget, game), QRect(160, 0, 960, 720));
    for (QPoint at : {QPoint(0, 0), QPoint(100, 200), QPoint(638, 478), QPoint(639, 479)}) {
        EXPECT_EQ(picScreen::ToGame(QPointF(160 + at.x() * 1.5, at.y() * 1.5), widget, game), at);
    }
    EXPECT_LT(picScreen::ToGame(QPointF(100, 300), widget, game).x(), 0);
    EXPECT_GE(picScreen::ToGame(QPointF(1200, 300), widget, game).x(), 640);
    EXPECT_EQ(picScreen::PictureArea(QSize(800, 800), game), QRect(0, 100, 800, 600));

    // A wide game on the 4:3 offscreen screen gets bars above and below.
    view->SetScreenSize(QSize(640, 240));
    view->SetScreenMode(clsGameView::kScreenFull);
    QCoreApplication::processEvents();
    const QSize shown = pic()->size();
    ASSERT_GT(shown.height(), shown.width() * 240 / 640 + 4);
    AddRect("whole", 0, 0, 639, 239, kLeft);
    AddRect("centre", 310, 110, 20, 20, kLeft);
    Click(QPoint(shown.width() / 2, shown.height() / 2));
    Click(QPoint(shown.width() / 2, 1));
    Click(QPoint(1, shown.height() / 2));
    EXPECT_EQ(cmds, "1:centre 1:- 1:whole");
}

TEST_F(GameViewTest, MouseIconIsAPictureOrCursorFileOfTheGameFolder) {
    TempFolder game;
    App().AppDir = game.path();
    QImage arrow(32, 32, QImage::Format_ARGB32);
    arrow.fill(Qt::red);
    game.write(u"system/Arrow.png"_s, oskatest::encoded(arrow, "PNG"));
    QByteArray cursor = oskatest::encoded(arrow, "ICO");
    // An icon file becomes a cursor file by its type and the hot spot in its entry.
    ASSERT_GT(cursor.size(), 12);
    cursor[2] = 2;
    cursor[10] = 3;
    cursor[12] = 5;
    game.write(u"pointer.cur"_s, cursor);

    view->SetMouseIcon(u"SYSTEM\\arrow.PNG"_s);
    EXPECT_EQ(pic()->cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(pic()->cursor().hotSpot(), QPoint(0, 0));
    view->SetMouseIcon(u"pointer.cur"_s);
    EXPECT_EQ(pic()->cursor().hotSpot(), QPoint(3, 5));

    view->SetMouseIcon(QString());
    EXPECT_FALSE(pic()->testAttribute(Qt::WA_SetCursor));
    view->SetMouseIcon(u"system/missing.png"_s);
    EXPECT_FALSE(pic()->testAttribute(Qt::WA_SetCursor));
    EXPECT_TRUE(player.launcher.Log().Log().contains(u"system/missing.png"_s));
}

TEST_F(GameViewTest, StatusKeepsSiteNameAndStoredRectanglesAndDropsTheSelection) {
    view->SetSiteName(u"教室"_s);
    AddRect("gamemode_button", 1, 2, 3, 4, kLeft, 6)->Text1 = u"go"_s;
    AddRect("wndbutton", 0, 0, 5, 5, kLeft);
    clsSaveData saveData;
    view->SaveStatus(saveData);
    EXPECT_EQ(saveData.GameViewStatus().KeyValue(u"SiteName"_s), u"教室"_s);

    clsGameView other;
    other.EvRects().Add(0, u"old"_s)->Move(0, 0, 9, 9).SetType(false, true, false, false);
    other.SetEventEnabled(true);
    other.MouseMove(QPoint(1, 1));
    ASSERT_NE(other.SelectedRect(), nullptr);
    other.LoadStatus(saveData);
    EXPECT_EQ(other.SiteName(), u"教室"_s);
    EXPECT_EQ(other.SelectedRect(), nullptr);
    ASSERT_EQ(other.EvRects().Count(), 1);
    EXPECT_EQ((*other.EvRects().begin())->Text1, u"go"_s);
}

// ---- with an engine

// The view of an engine that is created but not started, with settings from a
// small system information.
class GameViewEngineTest : public GameViewTest {
protected:
    void SetUp() override {
        App().SaveDir = saveDir.path();
        INIFile systemInfo;
        systemInfo.SetText(
            u"[Config]\r\nDeactivateMute=True\r\nDeactivateWnd=True\r\nQueryExit=True\r\n"
            "QueryRestartTitle=True\r\nQueryQuickSave=False\r\nQueryQuickLoad=True\r\n"
            "TextSpeed=2\r\nTextAutoClick=False\r\nBGMVolume=200\r\nSEVolume=150\r\n"
            "CVVolume=100\r\nBGMMute=False\r\nSEMute=False\r\nCVMute=False"_s);
        varo = std::make_unique<clsVaro>();
        ASSERT_TRUE(varo->Cfg().Init(systemInfo));
        GameViewTest::SetUp();
    }
    std::array<std::int32_t, 3> Volumes() {
        return {varo->Dov().BGMVolume(), varo->Dov().SEVolume(), varo->Dov().CVVolume()};
    }

    TempFolder saveDir;
};

TEST_F(GameViewEngineTest, SkipTurnsOverFromTheMenuAndEndsOnInputInWaitModesZeroAndOne) {
    varo->ChangeMode(9, 0);
    Click(QPoint(3, 3));
    EXPECT_EQ(lastMode, 9);

    Item("message!skip")->trigger();
    EXPECT_TRUE(varo->IsSkipMode());
    EXPECT_TRUE(Item("message!skip")->isChecked());
    Item("message!skip")->trigger();
    EXPECT_FALSE(varo->IsSkipMode());
    EXPECT_FALSE(Item("message!skip")->isChecked());

    std::int32_t waitMode = 3;
    view->SetWaitModeSource([&waitMode] { return waitMode; });
    varo->SetSkipMode(true);
    Click(QPoint(3, 3));
    Press(Qt::Key_Space);
    EXPECT_TRUE(varo->IsSkipMode());
    waitMode = 1;
    view->SetEventEnabled(false);
    Press(Qt::Key_A);
    EXPECT_FALSE(varo->IsSkipMode());
    EXPECT_FALSE(Item("message!skip")->isChecked());
    varo->SetSkipMode(true);
    waitMode = 0;
    Click(QPoint(3, 3));
    EXPECT_FALSE(varo->IsSkipMode());
}

TEST_F(GameViewEngineTest, SpeedAndAutoClickFromTheMenuAreStoredInTheSettings) {
    Item("message!slow")->trigger();
    EXPECT_EQ(varo->Cfg().LongVal(u"TextSpeed"_s), 4);
    EXPECT_TRUE(Item("message!slow")->isChecked());
    EXPECT_EQ(varo->CurrentAutoClickTimer(), 0);

    varo->Intprt().SetLastAutoClickTimer(700);
    Item("message!auto")->trigger();
    EXPECT_TRUE(varo->Cfg().BoolVal(u"TextAutoClick"_s));
    EXPECT_TRUE(view->AutoClickEnabled());
    EXPECT_TRUE(Item("message!auto")->isChecked());
    EXPECT_EQ(varo->CurrentAutoClickTimer(), 700);

    Item("message!auto")->trigger();
    EXPECT_FALSE(varo->Cfg().BoolVal(u"TextAutoClick"_s));
    EXPECT_FALSE(Item("message!auto")->isChecked());
}

TEST_F(GameViewEngineTest, DeactivationMutesAndLeavesFullScreenWhileSensedActivationRestores) {
    using Levels = std::array<std::int32_t, 3>;
    view->SetScreenMode(clsGameView::kScreenFull);
    varo->Cfg().RaiseChangeEvent(u"BGMVolume,SEVolume,CVVolume"_s);
    ASSERT_EQ(Volumes(), (Levels{200, 150, 100}));
    QApplication::setActiveWindow(nullptr);
    view->FormActivityChanged();
    EXPECT_EQ(Volumes(), (Levels{200, 150, 100}));  // not sensing yet
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenFull);

    view->SetDeactivateSense(true);
    view->FormActivityChanged();
    EXPECT_FALSE(view->FormActivity());
    EXPECT_EQ(Volumes(), (Levels{0, 0, 0}));
    EXPECT_EQ(varo->Cfg().LongVal(u"BGMVolume"_s), 200);
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);

    // Activation events are sensed only in sub-class mode.
    App().SubClassMode = false;
    QApplication::setActiveWindow(view->Form());
    EXPECT_FALSE(view->FormActivity());
    App().SubClassMode = true;
    QApplication::setActiveWindow(nullptr);
    QApplication::setActiveWindow(view->Form());
    EXPECT_TRUE(view->FormActivity());
    EXPECT_EQ(Volumes(), (Levels{200, 150, 100}));
}

TEST_F(GameViewEngineTest, ExitAndReturnToTitleAskFirstAndStopUnlessYes) {
    Answer("no");
    EXPECT_FALSE(view->Form()->close());
    Answer("no");
    Item("file!title")->trigger();
    EXPECT_TRUE(view->EventEnabled());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerNone);
    EXPECT_EQ(view->ScreenMode(), clsGameView::kScreenWindow);

    Answer("yes");
    Item("file!exit")->trigger();
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    Answer("yes");
    Item("file!title")->trigger();
    EXPECT_FALSE(view->EventEnabled());
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerFirstMode);

    const QString exit = u"msgbox \"ゲームを終了しますか。\" -> "_s;
    const QString title = u"msgbox \"タイトルにもどりますか。\" -> "_s;
    EXPECT_EQ(Boxes(), (QStringList{exit + "no", title + "no", exit + "yes", title + "yes"}));
}

TEST_F(GameViewEngineTest, SaveLoadMenuNeedsTheGameModeSwitch) {
    INISection& base = varo->GamemodeInfo().KeySection(u"Base"_s);
    base.SetKeyValue(u"SaveMenuEnabled"_s, u"False"_s);
    base.SetKeyValue(u"SaveMenuAlarmMessage"_s, u"ここでは無理"_s);
    view->SetSiteName(u"廊下"_s);

    Item("file!saveload")->trigger();
    EXPECT_EQ(Boxes(), (QStringList{u"msgbox \"ここでは無理\" -> ok"_s}));
    EXPECT_EQ(varo->VaroMode(), clsVaro::kModeNone);

    base.SetKeyValue(u"SaveMenuEnabled"_s, u"TRUE"_s);
    Item("file!saveload")->trigger();
    EXPECT_EQ(varo->VaroMode(), clsVaro::kModeSaveLoad);
    EXPECT_EQ(varo->SD().GameViewStatus().KeyValue(u"SiteName"_s), u"廊下"_s);
}

// ---- frames of the screen driver

using GameViewFrameTest = KestDriverFixture;

TEST_F(GameViewFrameTest, ThePictureShowsFramesScaledBetweenBlackBarsInFullScreenUntilDetached) {
    clsGameView view(QSize(kWidth, kHeight));
    const auto Shown = [&view] { return view.pic()->grab().toImage(); };
    view.AttachScreen(driver.get());
    view.SetScreenMode(clsGameView::kScreenWindow);
    basicScene(kRed);
    driver->DrawActivate(0, 0);
    kest().WaitBlt();
    const QRgb red = qRgb(255, 0, 0);
    EXPECT_EQ(view.CurrentScreen().size(), QSize(kWidth, kHeight));
    EXPECT_EQ(view.CurrentScreen().pixel(3, 3), red);
    EXPECT_EQ(Shown().pixel(kWidth - 1, kHeight - 1), red);

    // The game is 4:3; the offscreen screen is not, so one pair of bars shows.
    view.SetScreenMode(clsGameView::kScreenFull);
    QCoreApplication::processEvents();
    const QImage shown = Shown();
    const QRect area = picScreen::PictureArea(shown.size(), QSize(kWidth, kHeight));
    ASSERT_EQ(shown.size(), QGuiApplication::primaryScreen()->geometry().size());
    ASSERT_NE(area.size(), shown.size());
    for (QPoint at : {area.topLeft(), area.center(), area.bottomRight()}) {
        EXPECT_EQ(shown.pixel(at), red) << at.x() << "," << at.y();
    }
    EXPECT_EQ(shown.pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(shown.pixel(shown.width() - 1, shown.height() - 1), qRgb(0, 0, 0));

    view.AttachScreen(nullptr);
    view.SetPictureColor(0xFFFFFF);
    fillBack(kBlue);
    kest().WaitBlt();
    EXPECT_EQ(view.CurrentScreen().pixel(2, 2), qRgb(255, 255, 255));
    EXPECT_EQ(Shown().pixel(shown.width() / 2, shown.height() / 2), qRgb(255, 255, 255));
}
