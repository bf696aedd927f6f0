#include "modes/clsModeGame.h"

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "modes/ModeHost.h"
#include "platform/Platform.h"
#include "platform/os/MsgBox.h"
#include "scenario/clsInterpreter.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

const QString kButtonGroup = QStringLiteral("gamemode_button");
const QString kWindowButtonGroup = QStringLiteral("wndbutton");
const QString kChoiceGroup = QStringLiteral("selectionitem");
constexpr std::int32_t kFirstStepMs = 1;
constexpr std::int32_t kRedrawMs = 1000;
constexpr std::int32_t kTitleFadeMs = 100;
constexpr int kMovieWatchMs = 100;

Clock* PlatformClock() {
    return App().platform != nullptr ? &App().platform->clock() : nullptr;
}

}  // namespace

const QString clsModeGame::kGameMenus = QStringLiteral(
    "file!saveload,file!qsave,file!qload,file!title,message!skip,message!auto,message!log");
const QString clsModeGame::kReplayMenus =
    QStringLiteral("file!title,message!skip,message!auto,message!log");

clsModeGame::clsModeGame(ModeHost& varo)
    : clsModeBase(varo.GameView()), mVaro(varo), mLog(varo, [this] { LogModeEnd(); }) {}

clsModeGame::~clsModeGame() {
    if (Clock* clock = PlatformClock(); clock != nullptr && mMovieWatch != 0) {
        clock->cancelTimer(mMovieWatch);
    }
}

// ---------------------------------------------------------------------------
// Start and end

bool clsModeGame::ModeStart(std::int32_t& subMode, const QVariant& argument) {
    clsGameView& view = mVaro.GameView();
    switch (subMode) {
        case kSubNewGame: {
            view.MenuEnableByText(QStringLiteral("file!title"));
            const QString label = EntryPoint();
            if (label.isEmpty()) {
                ShowMessage(QStringLiteral(
                    "システム情報かデバッグセクションにエントリポイントを指定してください。"));
            }
            mReplay = false;
            StartScenario(label);
            break;
        }
        case kSubAfterLoad:
            view.MenuEnableByText(kGameMenus);
            break;
        case kSubReplay:
            view.MenuEnableByText(kReplayMenus);
            mReplay = true;
            StartScenario(argument.toString());
            break;
        default:
            ShowMessage(QStringLiteral("不正なモード開始引数です。"));
            break;
    }
    SetSubStatus(kPlaying);
    mTextFilmsVisible = true;
    return true;
}

bool clsModeGame::ModeEnd() {
    if (mLog.IsOpen()) {
        // Left with the log open (the title from the menu): its replay must not
        // click into the next mode.
        mLog.Close(QString());
        mVaro.MakeAutoClickTimer(0, 0, nullptr);
    }
    if (GameView().Host() != nullptr) {
        mVaro.Shared().Save();
    }
    return true;
}

QString clsModeGame::EntryPoint() const {
    LauncherServices* launcher = App().Launcher;
    if (launcher != nullptr && launcher->IsDebugMode()) {
        const QString debugEntry = launcher->DebugValue(QStringLiteral("EntryPoint"));
        if (!debugEntry.isEmpty()) {
            return debugEntry;
        }
    }
    return mVaro.SystemInfo()
        .KeySection(QStringLiteral("Game"))
        .KeyValue(QStringLiteral("EntryPoint"));
}

void clsModeGame::StartScenario(const QString& label) {
    clsDovDriver& dov = mVaro.Dov();
    dov.StopBGM(false);
    dov.StopCV();
    dov.StopSE();
    dov.StopSELoop();
    dov.StopMovie();
    clsSaveData& save = mVaro.SD();
    save.Clear();
    save.Var().SetText(mVaro.SystemInfo().KeySection(QStringLiteral("var")).Text());
    // Rectangles of the mode before (title buttons, extras panels) must not act here.
    clsGameView& view = mVaro.GameView();
    view.EvRects().Clear();
    view.SelectionClear();
    clsKestDriver& kest = mVaro.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectNone, 0);
    kest.SetBaseFilmSet(App().NovelMode ? clsKestDriver::kFilmSetNovel
                                        : clsKestDriver::kFilmSetWindow);
    kest.SetTextVisible(false);
    kest.SetCursorVisible(false);
    if (App().DrawActivity) {
        kest.DrawActivate(clsKestDriver::kEffectNone, 0);
    }
    clsInterpreter& intprt = mVaro.Intprt();
    intprt.StepStart();
    if (intprt.GoLabel(label)) {
        mVaro.MakeAutoClickTimer(kFirstStepMs, clsGameView::kCmdPrimary, nullptr);
        return;
    }
    ShowMessage(QStringLiteral("シナリオを開始できませんでした。"));
    view.SetEventEnabled(true);
}

// ---------------------------------------------------------------------------
// Screen commands

void clsModeGame::mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) {
    if (mode != ModeHost::kModeGame) {
        return;
    }
    if (rect == nullptr || rect->TagName.isEmpty()) {
        PlainCommand(command);
    } else if (rect->TagName == kWindowButtonGroup) {
        WindowButton(command, *rect);
    } else if (rect->TagName == kChoiceGroup) {
        SelectionItem(command, *rect);
    } else if (rect->TagName == kButtonGroup) {
        ScenarioButton(command, *rect);
    } else if (SubStatus() == kLogOpen) {
        mLog.Command(command, rect);
    }
}

void clsModeGame::PlainCommand(std::int32_t command) {
    const std::int32_t status = SubStatus();
    switch (command) {
        case clsGameView::kCmdPrimary:
            if (status == kPlaying) {
                PrimaryClick();
            } else if (status == kMoviePlaying) {
                MovieClick(false);
            }
            break;
        case clsGameView::kCmdSecondary:
            if (status == kPlaying) {
                SetTextFilmsVisible(!mTextFilmsVisible);
            } else if (status == kMoviePlaying) {
                MovieClick(true);
            }
            break;
        case clsGameView::kCmdPointer:
            ClearHover();
            break;
        case clsGameView::kCmdWheelForward:
            if (status == kPlaying && AtWait()) {
                LogModeStart();
            } else if (status == kLogOpen) {
                mLog.SetIndex(mLog.Index() - 1);
            }
            break;
        case clsGameView::kCmdWheelBackward:
            if (status == kLogOpen) {
                mLog.ForwardOrClose(1);
            } else if (status == kPlaying && AtWait()) {
                mVaro.GameView().RaiseScreenCmd(clsGameView::kCmdPrimary, nullptr);
            }
            break;
        default:
            break;
    }
}

void clsModeGame::PrimaryClick() {
    if (!mTextFilmsVisible) {
        SetTextFilmsVisible(true);
        return;
    }
    clsInterpreter& intprt = mVaro.Intprt();
    switch (intprt.WaitMode()) {
        case clsInterpreter::kRevealing:
            mVaro.Kest().WaitCancel();
            break;
        case clsInterpreter::kClickWait:
            mVaro.GameView().EvRects().RemoveByTag(kButtonGroup);
            mVaro.MakeAutoClickTimer(0, 0, nullptr);
            if (!intprt.StepNext() && !App().EngineClosing) {
                mVaro.Kest().DrawDeactivate(clsKestDriver::kEffectSecond, kTitleFadeMs);
                if (App().Launcher != nullptr) {
                    App().Launcher->RestartTitle();
                }
            }
            break;
        default:
            break;
    }
}

void clsModeGame::ClearHover() {
    clsKestDriver& kest = mVaro.Kest();
    kest.ButtonFlip(-1);
    kest.ChoiceFlip(-1, 0);
    for (const RectPtr& button : mVaro.GameView().EvRects().NewEnum()) {
        if (button->TagName == kButtonGroup && button->FilmID != clsEventRect::NoFilm) {
            kest.Library().SetFilmProp(button->FilmID, KestLibrary::FilmProp::CellRow, 0);
        }
    }
    kest.EXEQ();
}

// The interpreter waits for the player: a click, a choice or a scenario button.
bool clsModeGame::AtWait() const {
    const std::int32_t wait = mVaro.Intprt().WaitMode();
    return wait == clsInterpreter::kClickWait || wait == clsInterpreter::kChoiceWait ||
           wait == clsInterpreter::kButtonWait;
}

// ---------------------------------------------------------------------------
// Movies

void clsModeGame::SetMoviePlayMode(std::int32_t mode) {
    SetSubStatus(kMoviePlaying);
    mMoviePlayMode = mode;
    WatchMovieEnd();
}

// A movie that ends by itself goes on with the scenario like a skipped one.
void clsModeGame::WatchMovieEnd() {
    Clock* clock = PlatformClock();
    if (clock == nullptr) {
        return;
    }
    std::weak_ptr<clsModeBase> weak = weak_from_this();
    mMovieWatch = clock->startTimer(kMovieWatchMs, [this, weak] {
        const std::shared_ptr<clsModeBase> alive = weak.lock();
        if (!alive) {
            return;
        }
        mMovieWatch = 0;
        if (SubStatus() != kMoviePlaying) {
            return;
        }
        if (mVaro.Dov().IsPlayingMovie()) {
            WatchMovieEnd();
        } else {
            EndMovie();
        }
    });
}

void clsModeGame::MovieClick(bool secondary) {
    clsGameView& view = mVaro.GameView();
    bool ends = false;
    if (secondary) {
        ends = mMoviePlayMode == 1;
    } else {
        ends = !mVaro.Dov().IsPlayingMovie() || mMoviePlayMode == 2 ||
               (mMoviePlayMode == 0 && view.IsCtrlDown() && view.IsTabDown());
    }
    if (ends) {
        EndMovie();
    }
}

void clsModeGame::EndMovie() {
    if (Clock* clock = PlatformClock(); clock != nullptr && mMovieWatch != 0) {
        clock->cancelTimer(mMovieWatch);
        mMovieWatch = 0;
    }
    mVaro.Dov().StopMovie();
    SetSubStatus(kPlaying);
    mVaro.MakeAutoClickTimer(kFirstStepMs, clsGameView::kCmdPrimary, nullptr);
}

// ---------------------------------------------------------------------------
// Window buttons, choices and scenario buttons

void clsModeGame::WindowButton(std::int32_t command, const clsEventRect& rect) {
    if (SubStatus() != kPlaying) {
        return;
    }
    const bool inertInReplay =
        mReplay && (rect.Text4 == QLatin1String("save") || rect.Text4 == QLatin1String("load"));
    if (command == clsGameView::kCmdPointer) {
        if (!inertInReplay) {
            mVaro.Kest().ButtonFlip(rect.Tag);
        }
        return;
    }
    if (command != clsGameView::kCmdPrimary) {
        return;
    }
    mVaro.Kest().ChoiceFlip(-1, 0);
    if (inertInReplay) {
        return;
    }
    // Saving, loading and the log act only at a wait: never inside a running step.
    const bool needsWait = rect.Text4 == QLatin1String("save") ||
                           rect.Text4 == QLatin1String("load") ||
                           rect.Text4 == QLatin1String("log");
    if (needsWait && !AtWait()) {
        return;
    }
    PlayBaseSE(QStringLiteral("ClickSE"));
    WindowButtonAction(rect.Text4);
    mVaro.GameView().SelectionClear();
    mVaro.Kest().ButtonFlip(-1);
}

void clsModeGame::WindowButtonAction(const QString& key) {
    Configuration& cfg = mVaro.Cfg();
    if (key == QLatin1String("log")) {
        LogModeStart();
    } else if (key == QLatin1String("save")) {
        mVaro.QuickSave(cfg.BoolVal(QStringLiteral("QueryQuickSave")));
    } else if (key == QLatin1String("load")) {
        mVaro.QuickLoad(cfg.BoolVal(QStringLiteral("QueryQuickLoad")));
    } else if (key == QLatin1String("auto")) {
        mVaro.GameView().MenuCmd(QStringLiteral("message"), QStringLiteral("auto"));
    } else if (key == QLatin1String("skip")) {
        mVaro.SetSkipMode(true);
        mVaro.MakeAutoClickTimer(kFirstStepMs, clsGameView::kCmdPrimary, nullptr);
    }
}

void clsModeGame::SelectionItem(std::int32_t command, const clsEventRect& rect) {
    // Only the choices on show are live, never a rectangle left from an old choice.
    if (SubStatus() != kPlaying || !rect.Enabled ||
        mVaro.Intprt().WaitMode() != clsInterpreter::kChoiceWait) {
        return;
    }
    clsKestDriver& kest = mVaro.Kest();
    if (command == clsGameView::kCmdPointer) {
        PlayBaseSE(QStringLiteral("PointSE"));
        kest.ChoiceFlip(rect.Tag, 1);
        return;
    }
    if (command != clsGameView::kCmdPrimary) {
        return;
    }
    PlayBaseSE(QStringLiteral("ClickSE"));
    kest.ChoiceFlip(rect.Tag, 2);
    mVaro.GameView().SelectionClear();
    mVaro.Intprt().GoSelectedItem(rect.Text3);
    mVaro.MakeAutoClickTimer(kFirstStepMs, clsGameView::kCmdPrimary, nullptr);
    kest.ChoiceFlip(-1, 0);
    kest.ChoiceClear();
}

void clsModeGame::ScenarioButton(std::int32_t command, const clsEventRect& rect) {
    if (SubStatus() != kPlaying || !rect.Enabled) {
        return;
    }
    if (command == clsGameView::kCmdPrimary) {
        JumpTo(rect.Text3);
    } else if (command == clsGameView::kCmdPointer && !rect.Text2.isEmpty()) {
        JumpTo(rect.Text2);
    }
}

void clsModeGame::JumpTo(const QString& label) {
    mVaro.GameView().EvRects().RemoveByTag(kButtonGroup);
    mVaro.GameView().SelectionClear();
    mVaro.Intprt().GoSelectedItem(label);
    mVaro.MakeAutoClickTimer(kFirstStepMs, clsGameView::kCmdPrimary, nullptr);
}

void clsModeGame::PlayBaseSE(const QString& key) {
    PlayEffect(mVaro.GamemodeInfo().KeySection(QStringLiteral("Base")).KeyValue(key));
}

// ---------------------------------------------------------------------------
// Message window and back-log

void clsModeGame::SetTextFilmsVisible(bool visible) {
    clsKestDriver& kest = mVaro.Kest();
    clsInterpreter& intprt = mVaro.Intprt();
    bool changed = false;
    auto change = [&](auto&& apply) {
        if (!changed && kest.DrawActivity()) {
            kest.DrawDeactivate(clsKestDriver::kEffectNone, kRedrawMs);
        }
        changed = true;
        apply();
    };
    if (intprt.TextEnabled() && kest.TextVisible() != visible) {
        change([&] { kest.SetTextVisible(visible); });
    }
    if (intprt.WaitMode() == clsInterpreter::kClickWait && kest.CursorVisible() != visible) {
        change([&] { kest.SetCursorVisible(visible); });
    }
    if (intprt.WaitMode() == clsInterpreter::kChoiceWait && kest.ChoiceVisible() != visible) {
        change([&] { kest.ChoiceVisible(visible); });
    }
    for (const RectPtr& button : mVaro.GameView().EvRects().NewEnum()) {
        if (button->TagName != kButtonGroup || button->Text1.isEmpty() ||
            kest.FindChar(button->Text1, true) < 0 ||
            kest.CGTempVisible(button->Text1) == visible) {
            continue;
        }
        change([&] { kest.CGTempVisible(button->Text1, visible); });
    }
    if (changed) {
        kest.DrawActivate(clsKestDriver::kEffectNone, kRedrawMs);
        mTextFilmsVisible = visible;
    }
}

// The log covers a playing game only: never a movie, nor a log already open.
void clsModeGame::LogModeStart() {
    if (SubStatus() != kPlaying) {
        return;
    }
    mLog.Open();
    SetSubStatus(kLogOpen);
}

void clsModeGame::LogModeEnd() {
    if (!mLog.IsOpen()) {
        return;
    }
    mLog.Close(mReplay ? kReplayMenus : kGameMenus);
    SetSubStatus(kPlaying);
}
