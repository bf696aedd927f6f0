#include "modes/clsModeTitle.h"

#include <QStringList>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "data/stdINI.h"
#include "media/clsDovDriver.h"
#include "modes/ModeHost.h"
#include "modes/clsModeGame.h"
#include "platform/os/MsgBox.h"
#include "scenario/ScriptManager.h"
#include "scenario/clsInterpreter.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

// Section names ignore letter case: both spellings reach the same section.
const QString kBase = QStringLiteral("base");
const QString kBaseSounds = QStringLiteral("Base");
const QString kLogo = QStringLiteral("Logo");
const QString kMenu = QStringLiteral("menu");

constexpr std::int32_t kLogoRevealMs = 1000;
constexpr std::int32_t kCentre = BackgroundStage::kCentre;

// Sub-modes of the save/load screen (loading only) and of the extras screen.
constexpr std::int32_t kSubLoadOnly = 12;
constexpr std::int32_t kSubExtras = 0;

}  // namespace

const QString clsModeTitle::kButtonGroup = QStringLiteral("main_menu");

clsModeTitle::clsModeTitle(ModeHost& varo) : clsModeBase(varo.GameView()), mVaro(varo) {}

clsModeTitle::~clsModeTitle() = default;

// ---------------------------------------------------------------------------
// Start and end

bool clsModeTitle::ModeStart(std::int32_t& subMode, const QVariant& /*argument*/) {
    mDocument = stdINI::LoadINIByKey(QStringLiteral("title_mode"));
    if (mDocument == nullptr) {
        ShowMessage(QStringLiteral("モード初期化ファイルがロードできません。"));
        return false;
    }
    mFadeTime = stdHelpers::LeadingInteger(Value(kBase, QStringLiteral("FadeTime")));
    // The document holds red-green-blue; the screen takes blue-green-red.
    mInitColor = static_cast<std::int32_t>(stdHelpers::SwapRB(static_cast<std::uint32_t>(
        Configuration::NumberOf(Value(kBase, QStringLiteral("InitColor"))))));
    mVaro.SetSkipMode(false);
    clsGameView& view = mVaro.GameView();
    view.EvRects().Clear();
    view.SetEventEnabled(true);
    view.MenuEnableByText(Value(kBase, QStringLiteral("ActiveMenu")));
    mVaro.Dov().SetBGMVolumeRate(100);
    ApplyVolumes();
    if (subMode == kSubLogo) {
        ShowLogo();
    } else if (subMode == kSubMenu) {
        ShowMenu();
        UpdateMenuButtons();
    } else {
        ShowMessage(QStringLiteral("不正なモード開始引数です。"));
        return false;
    }
    return true;
}

// A logo still waiting for its timer must not click into the next mode.
bool clsModeTitle::ModeEnd() {
    if (SubStatus() == kLogoShown) {
        mVaro.MakeAutoClickTimer(0, 0, nullptr);
    }
    return true;
}

QString clsModeTitle::Value(const QString& section, const QString& key) const {
    return mDocument->KeySection(section).KeyValue(key);
}

// Silent while the window is in the background, if the player wants that;
// otherwise the stored volumes apply again.
void clsModeTitle::ApplyVolumes() {
    Configuration& cfg = mVaro.Cfg();
    if (cfg.BoolVal(QStringLiteral("DeactivateMute")) && !mVaro.GameView().FormActivity()) {
        clsDovDriver& dov = mVaro.Dov();
        dov.SetBGMVolume(0);
        dov.SetSEVolume(0);
        dov.SetCVVolume(0);
        return;
    }
    cfg.RaiseChangeEvent(QStringLiteral("BGMVolume,SEVolume,CVVolume"));
}

// ---------------------------------------------------------------------------
// Logo and menu

void clsModeTitle::ShowLogo() {
    mVaro.MakeAutoClickTimer(0, 0, nullptr);
    clsGameView& view = mVaro.GameView();
    view.EvRects().Clear();
    view.SetEventEnabled(true);
    view.SetSiteName(QString());
    clsDovDriver& dov = mVaro.Dov();
    dov.StopBGM(false);
    dov.StopSE();
    dov.StopSELoop();
    dov.StopCV();

    clsKestDriver& kest = mVaro.Kest();
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    kest.LoadLogicalPic(kest.FIDBack(), 0, mInitColor);
    kest.Library().CallFilmMethod(kest.FIDRoot(), KestLibrary::FilmMethod::ChildrenChanged);
    kest.DrawActivate(clsKestDriver::kEffectFade, kLogoRevealMs);
    const QString picture = Value(kLogo, QStringLiteral("bg"));
    if (!picture.isEmpty()) {
        kest.BGCenter(picture, kCentre, kCentre, mFadeTime, true);
    }
    const QString sound = Value(kLogo, QStringLiteral("se"));
    if (!sound.isEmpty()) {
        dov.PlaySE(sound, 0);
    }
    SetSubStatus(kLogoShown);
    mVaro.MakeAutoClickTimer(
        stdHelpers::LeadingInteger(Value(kLogo, QStringLiteral("AutoclickTime"))),
        clsGameView::kCmdPrimary, nullptr);
}

void clsModeTitle::ShowMenu() {
    mVaro.MakeAutoClickTimer(0, 0, nullptr);
    clsGameView& view = mVaro.GameView();
    view.EvRects().Clear();
    // A selection left from an earlier menu or mode must not be pressed by Enter.
    view.SelectionClear();
    view.SetEventEnabled(true);
    view.SetSiteName(QString());

    clsKestDriver& kest = mVaro.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectNone, 0);
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    const QString picture = Value(kMenu, QStringLiteral("bg"));
    if (!picture.isEmpty()) {
        kest.BGCenter(picture, kCentre, kCentre, mFadeTime, true);
    }
    mVaro.Intprt().Scripts().DisposeAllScript();

    const QStringList keys =
        Value(kMenu, QStringLiteral("Buttons")).split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (std::int32_t index = 0; index < keys.size(); ++index) {
        MakeMenuButton(index, keys.at(index).trimmed());
    }
    const QString music = Value(kMenu, QStringLiteral("bgm"));
    if (!music.isEmpty()) {
        mVaro.Dov().PlayBGM(music, false, true);
    }
}

// The value is "picture,x,y,unused,cell height".
void clsModeTitle::MakeMenuButton(std::int32_t index, const QString& key) {
    const QStringList fields = Value(kMenu, key).split(QLatin1Char(','));
    const auto number = [&fields](int at) {
        return at < fields.size() ? stdHelpers::LeadingInteger(fields.at(at)) : 0;
    };
    const QString picture = fields.value(0).trimmed();
    const RectPtr button = mVaro.Kest().MakeButtonFilm(index, kButtonGroup, picture, number(1),
                                                       number(2), number(4), true);
    button->Text4 = key;
    button->KB = index;
}

void clsModeTitle::UpdateMenuButtons() {
    clsKestDriver& kest = mVaro.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectNone, 0);
    for (const RectPtr& button : mVaro.GameView().EvRects().NewEnum()) {
        if (button->TagName != kButtonGroup) {
            continue;
        }
        kest.Library().SetFilmProp(button->FilmID, KestLibrary::FilmProp::Opacity, kOpacityShown);
        ShowRow(*button, kRowNormal);
        if (button->Text4 == QLatin1String("quickload") &&
            !mVaro.SD().IsLoadable(QuickSlotName())) {
            Disable(*button, kOpacityNoQuickSave);
        } else if (button->Text4 == QLatin1String("omake") && !ExtrasUnlocked()) {
            Disable(*button, kOpacityExtrasLocked);
        }
    }
    kest.EXEQ();
    kest.DrawActivate(clsKestDriver::kEffectFade, mFadeTime);
    SetSubStatus(kMenuShown);
}

// Slot 0 of the quick-save page holds the newest quick save.
QString clsModeTitle::QuickSlotName() const {
    const std::int32_t page =
        stdHelpers::LeadingInteger(mVaro.SystemInfo()
                                       .KeySection(QStringLiteral("Game"))
                                       .KeyValue(QStringLiteral("QSavePageNum")));
    return clsSaveData::FormatSlotName(page, 0);
}

// Any of the shared variables named by "OmakeEnableFlags" set, or every CG
// unlocked for the developer.
bool clsModeTitle::ExtrasUnlocked() const {
    if (App().AllCG) {
        return true;
    }
    INISection& shared = mVaro.Shared().Var();
    std::int64_t sum = 0;
    const QStringList names = Value(kMenu, QStringLiteral("OmakeEnableFlags"))
                                  .split(QLatin1Char(','), Qt::SkipEmptyParts);
    for (const QString& name : names) {
        sum += stdHelpers::LeadingInteger(shared.KeyValue(name.trimmed()));
    }
    return sum != 0;
}

void clsModeTitle::Disable(clsEventRect& button, std::int32_t opacity) {
    button.Enabled = false;
    mVaro.Kest().Library().SetFilmProp(button.FilmID, KestLibrary::FilmProp::Opacity, opacity);
}

// ---------------------------------------------------------------------------
// Screen commands

void clsModeTitle::mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) {
    if (mode != ModeHost::kModeTitle) {
        return;
    }
    if (SubStatus() == kLogoShown) {
        if (command == clsGameView::kCmdPrimary) {
            mVaro.Dov().StopSE();
            ShowMenu();
            UpdateMenuButtons();
        }
        return;
    }
    if (SubStatus() != kMenuShown) {
        return;
    }
    // The button outlives a mode change made by its own action.
    const RectPtr held = rect;
    if (command == clsGameView::kCmdPointer) {
        PointAt(held);
    } else if (command == clsGameView::kCmdPrimary && IsLiveButton(held)) {
        Press(*held);
    }
}

// A menu button of the menu on show that may act: never a locked one, and never
// one from a menu built before (a stale keyboard selection).
bool clsModeTitle::IsLiveButton(const RectPtr& rect) const {
    return rect != nullptr && rect->TagName == kButtonGroup && rect->Enabled &&
           mVaro.GameView().EvRects().Item(rect->ID()) == rect;
}

// The pointer (or a cursor key) onto a button highlights it alone; onto nothing
// every button shows its normal row.
void clsModeTitle::PointAt(const RectPtr& rect) {
    const bool onButton = IsLiveButton(rect);
    if (rect != nullptr && !onButton) {
        return;
    }
    ShowRowOnEnabled(kRowNormal);
    if (onButton) {
        PlayBaseSE(QStringLiteral("PointSE"));
        ShowRow(*rect, kRowPointed);
    }
    mVaro.Kest().EXEQ();
}

void clsModeTitle::Press(const clsEventRect& button) {
    PlayBaseSE(QStringLiteral("ClickSE"));
    ShowRow(button, kRowPressed);
    mVaro.Kest().EXEQ();
    RunAction(button);
}

void clsModeTitle::RunAction(const clsEventRect& button) {
    const QString& key = button.Text4;
    if (key == QLatin1String("start")) {
        mVaro.ChangeMode(ModeHost::kModeGame, clsModeGame::kSubNewGame);
    } else if (key == QLatin1String("quickload")) {
        QuickLoad(button);
    } else if (key == QLatin1String("load")) {
        mVaro.ChangeMode(ModeHost::kModeSaveLoad, kSubLoadOnly);
    } else if (key == QLatin1String("omake")) {
        mVaro.ChangeMode(ModeHost::kModeOmake, kSubExtras);
    } else if (key == QLatin1String("exit")) {
        mVaro.GameView().MenuCmd(QStringLiteral("file"), QStringLiteral("exit"));
    }
}

// The slot is read before anything changes: a slot that cannot be read leaves
// the title as it is.
void clsModeTitle::QuickLoad(const clsEventRect& button) {
    if (!mVaro.SD().Load(QuickSlotName())) {
        ShowMessage(QStringLiteral("クイックロードに失敗しました。"));
        ShowRow(button, kRowPointed);
        mVaro.Kest().EXEQ();
        return;
    }
    mVaro.ChangeMode(ModeHost::kModeGame, clsModeGame::kSubAfterLoad);
    clsKestDriver& kest = mVaro.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectFade, mFadeTime / 2);
    mVaro.SDRestoreData(true);
    kest.DrawActivate(clsKestDriver::kEffectFade, mFadeTime / 2);
}

void clsModeTitle::ShowRow(const clsEventRect& button, std::int32_t row) {
    if (button.FilmID != clsEventRect::NoFilm) {
        mVaro.Kest().Library().SetFilmProp(button.FilmID, KestLibrary::FilmProp::CellRow, row);
    }
}

void clsModeTitle::ShowRowOnEnabled(std::int32_t row) {
    for (const RectPtr& button : mVaro.GameView().EvRects().NewEnum()) {
        if (button->TagName == kButtonGroup && button->Enabled) {
            ShowRow(*button, row);
        }
    }
}

void clsModeTitle::PlayBaseSE(const QString& key) {
    PlayEffect(Value(kBaseSounds, key));
}
