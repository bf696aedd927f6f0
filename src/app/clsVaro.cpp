#include "app/clsVaro.h"

#include <QAction>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

#include "app/ArchiveStartup.h"
#include "app/DovStartup.h"
#include "app/VaroInterpreterHost.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsOskaDriver.h"
#include "data/clsSaveData.h"
#include "data/stdINI.h"
#include "dialogs/frmAbout.h"
#include "dialogs/frmConfig.h"
#include "media/clsDovDriver.h"
#include "modes/clsModeBase.h"
#include "modes/clsModeEnding.h"
#include "modes/clsModeGame.h"
#include "modes/clsModeOmake.h"
#include "modes/clsModeSaveLoad.h"
#include "modes/clsModeTitle.h"
#include "platform/Platform.h"
#include "platform/dov/DovLibrary.h"
#include "platform/os/FileIo.h"
#include "platform/os/MsgBox.h"
#include "platform/os/WallClock.h"
#include "scenario/clsInterpreter.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

constexpr std::int32_t kDefaultScreenWidth = 640;
constexpr std::int32_t kDefaultScreenHeight = 480;
// A music fade longer than a minute, or more quick slots than a hundred, is damaged data.
constexpr std::int32_t kMaxBGMFadeMs = 60000;
constexpr std::int32_t kMaxQuickSlots = 100;
constexpr std::int32_t kSubModeQuickLoad = 7;
constexpr std::int32_t kQuickFadeMs = 200;
constexpr std::int32_t kFadeEffect = 1;

QString GameValue(INIFile& systemInfo, const QString& key) {
    return systemInfo.KeySection(QStringLiteral("Game")).KeyValue(key);
}

// A number of the game's data held to what the engine can use, logged when held.
std::int32_t HeldGameNumber(INIFile& systemInfo, const QString& key, std::int32_t low,
                            std::int32_t high) {
    const std::int32_t value = stdHelpers::LeadingInteger(GameValue(systemInfo, key));
    const std::int32_t held = std::clamp(value, low, high);
    if (held != value) {
        App().PutLog(key + QStringLiteral(" ") + QString::number(value) +
                     QStringLiteral(" held to ") + QString::number(held));
    }
    return held;
}

void ShowMessage(const QString& message) {
    if (App().Launcher != nullptr) {
        App().Launcher->Msg(message, 0);
    }
}

// Digits, "/" and ":" as their full-width forms.
QString FullWidth(const QString& text) {
    QString wide;
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        wide += code >= 0x21 && code <= 0x7E ? QChar(static_cast<char16_t>(code + 0xFEE0)) : c;
    }
    return wide;
}

Clock* PlatformClock() {
    return App().platform != nullptr ? &App().platform->clock() : nullptr;
}

}  // namespace

clsVaro::clsVaro()
    : mCfg(std::make_unique<Configuration>()),
      mGameView(std::make_unique<clsGameView>()),
      mHost(std::make_unique<VaroInterpreterHost>(*this)),
      mOska(std::make_unique<clsOskaDriver>()),
      mSD(std::make_unique<clsSaveData>()),
      mShared(std::make_unique<SharedData>()),
      mSystemInfo(std::make_unique<INIFile>()),
      mGamemodeInfo(std::make_unique<INIFile>()),
      mOmakemodeInfo(std::make_unique<INIFile>()) {
    mCfg->onChangeSetting = [this](const QString& key) { mCfg_ChangeSetting(key); };
    mGameView->onScreenError = [](const QString& text) { App().PutLog(text); };
    mGameView->onShowSettings = [this](const QString& page) {
        frmConfig::Open(*mCfg, *mSystemInfo, *mGameView, page);
    };
    mGameView->onShowAbout = [this] { frmAbout::Open(*mSystemInfo, *mGameView); };
    mIntprt = std::make_unique<clsInterpreter>(*mHost, *mSystemInfo, *mShared, *mSD);
    mKest = std::make_unique<clsKestDriver>(mGameView->EvRects());
    clsDovDriver::Hooks hooks;
    hooks.bgmFadeTime = [this]() -> std::optional<std::int32_t> {
        const QString value = GameValue(*mSystemInfo, QStringLiteral("BGMFadeTime"));
        if (value.isEmpty()) {
            return std::nullopt;
        }
        return HeldGameNumber(*mSystemInfo, QStringLiteral("BGMFadeTime"), 0, kMaxBGMFadeMs);
    };
    hooks.archive = [this] { return mOska.get(); };
    hooks.deactivateSense = [this] { return mGameView->IsDeactivateSense(); };
    hooks.setDeactivateSense = [this](bool sense) { mGameView->SetDeactivateSense(sense); };
    mDov = std::make_unique<clsDovDriver>(nullptr, std::move(hooks));
}

clsVaro::~clsVaro() {
    Shutdown();
}

// ---------------------------------------------------------------------------
// Start-up

bool clsVaro::Init() {
    if (!StartArchives() || !LoadSystemDocuments()) {
        return false;
    }
    ReadScreenSize();
    ProbeFullScreen();
    if (!mCfg->Init(*mSystemInfo)) {
        ShowMessage(QStringLiteral("設定の初期化に失敗しました。"));
        return false;
    }
    if (!mShared->Init(*mSystemInfo, *mOmakemodeInfo)) {
        ShowMessage(QStringLiteral("共有セーブデータファイルを作成できません。"));
        return false;
    }
    if (!StartScreen() || !StartSound()) {
        return false;
    }
    mGameView->SetAutoClickEnabled(false);
    mCfg->RaiseChangeEvent(QStringLiteral("CustomCursor,TextSpeed,TextAutoClick"));
    mCfg->RaiseChangeEvent(QStringLiteral("BGMVolume,SEVolume,CVVolume,BGMMute,SEMute,CVMute"));
    mIntprt->Init();
    return ReadThumbSize();
}

bool clsVaro::StartArchives() {
    QString failure;
    if (!ArchiveStartup::RegisterArchives(*mOska, App().ArchiveDir, failure)) {
        ShowMessage(failure);
        return false;
    }
    return true;
}

bool clsVaro::LoadSystemDocuments() {
    const struct {
        const char16_t* key;
        INIFile* target;
        const char16_t* failure;
    } documents[] = {
        {u"SystemInfo", mSystemInfo.get(), u"システム情報をロードできません。"},
        {u"game_mode", mGamemodeInfo.get(), u"ゲームモード設定をロードできません。"},
        {u"omake_mode", mOmakemodeInfo.get(), u"おまけモード設定をロードできません。"},
    };
    for (const auto& document : documents) {
        std::unique_ptr<INIFile> loaded = stdINI::LoadINIByKey(QString::fromUtf16(document.key));
        if (loaded == nullptr) {
            ShowMessage(QString::fromUtf16(document.failure));
            return false;
        }
        *document.target = std::move(*loaded);
    }
    return true;
}

void clsVaro::ReadScreenSize() {
    AppState& app = App();
    const auto number = [this](const char* key) {
        return stdHelpers::LeadingInteger(GameValue(*mSystemInfo, QString::fromLatin1(key)));
    };
    app.ScreenSizeX = number("ScreenSizeX");
    app.ScreenSizeY = number("ScreenSizeY");
    app.ScriptScaleX = number("ScriptScaleX");
    app.ScriptScaleY = number("ScriptScaleY");
    if (app.ScreenSizeX == 0) {
        app.ScreenSizeX = kDefaultScreenWidth;
    }
    if (app.ScreenSizeY == 0) {
        app.ScreenSizeY = kDefaultScreenHeight;
    }
    if (app.ScriptScaleX == 0) {
        app.ScriptScaleX = app.ScreenSizeX;
    }
    if (app.ScriptScaleY == 0) {
        app.ScriptScaleY = app.ScreenSizeY;
    }
    mGameView->SetScreenSize(QSize(app.ScreenSizeX, app.ScreenSizeY));
}

// Full screen is a borderless window over a whole screen: it needs a screen, never a
// display mode of the game's size.
void clsVaro::ProbeFullScreen() {
    App().FullScreenAvailable = QGuiApplication::primaryScreen() != nullptr;
    if (!App().FullScreenAvailable) {
        App().PutLog(QStringLiteral("全画面表示用の初期化ができませんでした。"));
    }
}

bool clsVaro::StartScreen() {
    const QSize screen(App().ScreenSizeX, App().ScreenSizeY);
    // A screen the compositor cannot hold is refused here, not shown broken.
    const bool usable =
        screen.width() > 0 && screen.height() > 0 &&
        screen.width() <= KestLibrary::kMaxSurfaceSide &&
        screen.height() <= KestLibrary::kMaxSurfaceSide &&
        static_cast<qint64>(screen.width()) * screen.height() <= KestLibrary::kMaxSurfacePixels;
    if (!usable || !mKest->Init(screen, mGamemodeInfo.get())) {
        ShowMessage(QStringLiteral("スクリーンエンジンの初期化に失敗しました。"));
        return false;
    }
    TextWindow::Hooks hooks;
    hooks.ConfigValue = [this](const QString& key) { return mCfg->StringVal(key); };
    hooks.IsSkipMode = [this] { return mIsSkipMode; };
    hooks.AutoClickEnabled = [this] { return mGameView->AutoClickEnabled(); };
    hooks.ScriptScale = [] { return QSize(App().ScriptScaleX, App().ScriptScaleY); };
    hooks.GetIndexByCID = [this](const QString& cid) { return mCfg->GetIndexByCID(cid); };
    hooks.CharColor = [this](int entry) { return mCfg->CharColor(entry); };
    hooks.SystemInfoValue = [this](const QString& section, const QString& key) {
        return mSystemInfo->KeySection(section).KeyValue(key);
    };
    mKest->SetTextWindowHooks(std::move(hooks));
    mKest->SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    const auto colour = static_cast<std::int32_t>(stdHelpers::SwapRB(static_cast<std::uint32_t>(
        Configuration::NumberOf(GameValue(*mSystemInfo, QStringLiteral("InitialScreenColor"))))));
    mKest->LoadLogicalPic(mKest->FIDBack(), 0, colour);
    mKest->LoadLogicalPic(mKest->FIDBuff(), 0, colour);
    mKest->Library().CallFilmMethod(mKest->FIDRoot(), KestLibrary::FilmMethod::ChildrenChanged);
    mKest->EXEQ();
    mGameView->AttachScreen(mKest.get());
    return true;
}

bool clsVaro::StartSound() {
    QString failure;
    if (!DovStartup::Start(*mDov, failure)) {
        ShowMessage(failure);
        return false;
    }
    DovLibrary::VideoWindow window;
    window.size = QSize(App().ScreenSizeX, App().ScreenSizeY);
    window.present = [this](const QImage& frame) { mGameView->ShowMovieFrame(frame); };
    mVideoWindow = mDov->Library().AddVideoWindow(std::move(window));
    return true;
}

// "Thumb" is a picture definition (picture, x, y, width, height, ...): the preview
// takes its width and height from the fourth and fifth fields.
bool clsVaro::ReadThumbSize() {
    const std::unique_ptr<INIFile> saveload = stdINI::LoadINIByKey(QStringLiteral("saveload_mode"));
    if (saveload == nullptr) {
        ShowMessage(QStringLiteral("セーブ・ロードモード初期化ファイルがロードできません。"));
        return false;
    }
    const QStringList fields = saveload->KeySection(QStringLiteral("SlotBase"))
                                   .KeyValue(QStringLiteral("Thumb"))
                                   .split(QLatin1Char(','));
    const auto field = [&fields](int index) {
        return index < fields.size() ? stdHelpers::LeadingInteger(fields.at(index)) : 0;
    };
    mThumbSize = QSize(field(3), field(4));
    return true;
}

// ---------------------------------------------------------------------------
// Modes

void clsVaro::ChangeMode(std::int32_t mode, std::int32_t subMode, const QVariant& argument) {
    if (mModeObject != nullptr) {
        mModeObject->ModeEnd();
        mModeObject->StopListening();
        mModeObject.reset();
    }
    if (App().platform != nullptr) {
        App().platform->trace().write(QStringLiteral("mode %1 %2").arg(mode).arg(subMode));
    }
    if (mode == kModeNone) {
        mVaroMode = kModeNone;
        return;
    }
    const std::shared_ptr<clsModeBase> created = CreateMode(mode);
    mModeObject = created;
    mVaroMode = mode;
    created->Listen();
    std::int32_t sub = subMode;
    created->ModeStart(sub, argument);
}

// Modes without a class of their own yet run as the fallback mode.
std::shared_ptr<clsModeBase> clsVaro::CreateMode(std::int32_t mode) {
    if (mode == kModeTitle) {
        return std::make_shared<clsModeTitle>(*this);
    }
    if (mode == kModeGame) {
        return std::make_shared<clsModeGame>(*this);
    }
    if (mode == kModeSaveLoad) {
        return std::make_shared<clsModeSaveLoad>(*this);
    }
    if (mode == kModeEnding) {
        return std::make_shared<clsModeEnding>(*this);
    }
    if (mode == kModeOmake) {
        return std::make_shared<clsModeOmake>(*this);
    }
    return std::make_shared<clsModeBase>(*mGameView);
}

void clsVaro::StartLogMode() {
    if (mVaroMode == kModeGame && mModeObject != nullptr) {
        mModeObject->LogModeStart();
    }
}

void clsVaro::Attach() {
    App().Archives = mOska.get();
    mGameView->SetHost(this);
    mAttached = true;
}

void clsVaro::Detach() {
    if (!mAttached) {
        return;
    }
    mAttached = false;
    if (App().Archives == mOska.get()) {
        App().Archives = nullptr;
    }
    mGameView->SetHost(nullptr);
}

void clsVaro::SetSkipMode(bool on) {
    mIsSkipMode = on;
    if (QAction* item = mGameView->MenuItem(QStringLiteral("message!skip"))) {
        item->setChecked(on);
    }
    mKest->UpdateWindowMode();
}

// ---------------------------------------------------------------------------
// Auto-click timer

void clsVaro::AutoClick() {
    const std::int32_t command = mAutoClickCommand;
    const RectPtr rect = mAutoClickRect;
    if (Clock* clock = PlatformClock(); clock != nullptr && mAutoClickTimer != 0) {
        clock->cancelTimer(mAutoClickTimer);
    }
    mAutoClickTimer = 0;
    mGameView->RaiseScreenCmd(command, rect);
}

void clsVaro::MakeAutoClickTimer(std::int32_t interval, std::int32_t command, const RectPtr& rect) {
    Clock* clock = PlatformClock();
    if (clock != nullptr && mAutoClickTimer != 0) {
        clock->cancelTimer(mAutoClickTimer);
    }
    mAutoClickTimer = 0;
    mAutoClickInterval = interval;
    if (interval == 0) {
        mAutoClickCommand = 0;
        mAutoClickRect.reset();
        return;
    }
    mAutoClickCommand = command;
    mAutoClickRect = rect;
    if (clock != nullptr) {
        mAutoClickTimer = clock->startTimer(interval, [this] {
            mAutoClickTimer = 0;
            AutoClick();
        });
    }
}

std::int32_t clsVaro::CurrentAutoClickTimer() const {
    const Clock* clock = PlatformClock();
    const bool armed =
        clock != nullptr && mAutoClickTimer != 0 && clock->isTimerActive(mAutoClickTimer);
    return armed ? mAutoClickInterval : 0;
}

// ---------------------------------------------------------------------------
// Movies, save data, quick slots

bool clsVaro::PlayMovie(const QString& file, std::int32_t modeArgument) {
    mDov->SetVideoWindow(mVideoWindow);
    const bool played = mDov->PlayMovie(file);
    if (played && mModeObject != nullptr) {
        mModeObject->SetMoviePlayMode(modeArgument);
    }
    return played;
}

void clsVaro::SDMakeData() {
    mDov->SaveStatus(*mSD);
    mGameView->SaveStatus(*mSD);
    mKest->SaveStatus(*mSD);
    mIntprt->SaveStatus();
    INISection& status = mSD->VaroStatus();
    const bool textVisible = mModeObject != nullptr && mModeObject->TextFilmsVisible();
    status.SetKeyValue(QStringLiteral("TextTempVisible"),
                       textVisible ? QStringLiteral("True") : QStringLiteral("False"));
    const QDateTime now = WallClock::localNow();
    status.SetKeyValue(QStringLiteral("DateString"),
                       FullWidth(now.toString(QStringLiteral("yy/MM/dd"))));
    status.SetKeyValue(QStringLiteral("TimeString"),
                       FullWidth(now.toString(QStringLiteral("HH:mm"))));
    mPreview = MakePreview();
}

// The whole screen scaled to the thumbnail size with smooth filtering.
QImage clsVaro::MakePreview() const {
    const QSize size = mThumbSize.isValid() && !mThumbSize.isEmpty() ? mThumbSize : QSize(1, 1);
    const QImage& frame = mKest->Library().PresentedFrame();
    if (frame.isNull()) {
        QImage blank(size, QImage::Format_RGB32);
        blank.fill(Qt::black);
        return blank;
    }
    return frame.convertToFormat(QImage::Format_RGB32)
        .scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

void clsVaro::SDRestoreData(bool withSound) {
    if (withSound) {
        mDov->StopBGM(false);
        mDov->StopCV();
        mDov->StopSE();
        mDov->StopSELoop();
        mDov->StopMovie();
    }
    // A click pending for the game left behind must not reach the loaded one.
    MakeAutoClickTimer(0, 0, nullptr);
    mKest->DrawDeactivate(clsKestDriver::kEffectNone, 0);
    mGameView->LoadStatus(*mSD);
    mKest->LoadStatus(*mSD);
    mIntprt->Scripts().DisposeAllScript();
    mIntprt->LoadStatus();
    if (mModeObject != nullptr) {
        mModeObject->SetTextFilmsVisible(
            mSD->VaroStatus().KeyValue(QStringLiteral("TextTempVisible")).toLower() ==
            QLatin1String("true"));
    }
    SetSkipMode(false);
    if (withSound) {
        mDov->LoadStatus(*mSD);
    }
}

void clsVaro::QuickSave(bool interactive) {
    const std::int32_t page =
        stdHelpers::LeadingInteger(GameValue(*mSystemInfo, QStringLiteral("QSavePageNum")));
    const std::int32_t count =
        HeldGameNumber(*mSystemInfo, QStringLiteral("QSaveSlotCount"),
                       std::numeric_limits<std::int32_t>::min(), kMaxQuickSlots);
    if (count <= 0) {
        ShowMessage(QStringLiteral("クイックセーブスロット数が不正です"));
        return;
    }
    RotateQuickSlots(page, count);
    SDMakeData();
    const bool saved = mSD->Save(clsSaveData::FormatSlotName(page, 0), mPreview);
    if (interactive) {
        ShowMessage(saved ? QStringLiteral("クイックセーブしました。")
                          : QStringLiteral("クイックセーブに失敗しました。"));
    }
}

// Slot 0 is the newest: the oldest slot goes, every other moves one place on.
void clsVaro::RotateQuickSlots(std::int32_t page, std::int32_t count) {
    FileIo::remove(clsSaveData::FormatINIPath(page, count - 1));
    FileIo::remove(clsSaveData::FormatBMPPath(page, count - 1));
    for (std::int32_t slot = count - 2; slot >= 0; --slot) {
        if (!mSD->IsLoadable(clsSaveData::FormatSlotName(page, slot))) {
            continue;
        }
        FileIo::rename(clsSaveData::FormatINIPath(page, slot),
                       clsSaveData::FormatINIPath(page, slot + 1));
        FileIo::rename(clsSaveData::FormatBMPPath(page, slot),
                       clsSaveData::FormatBMPPath(page, slot + 1));
    }
}

void clsVaro::QuickLoad(bool interactive) {
    const std::int32_t page =
        stdHelpers::LeadingInteger(GameValue(*mSystemInfo, QStringLiteral("QSavePageNum")));
    const QString slot = clsSaveData::FormatSlotName(page, 0);
    if (!mSD->IsLoadable(slot)) {
        if (interactive) {
            ShowMessage(QStringLiteral("クイックセーブされたデータがありません。"));
        }
        return;
    }
    if (interactive && App().Launcher != nullptr &&
        App().Launcher->Msg(QStringLiteral("クイックロードを行いますか。"), MsgBox::YesNo) !=
            MsgBox::IdYes) {
        return;
    }
    if (!mSD->Load(slot)) {
        if (interactive) {
            ShowMessage(QStringLiteral("クイックロードに失敗しました。"));
        }
        return;
    }
    if (mVaroMode != kModeGame) {
        ChangeMode(kModeGame, kSubModeQuickLoad);
    }
    mKest->DrawDeactivate(kFadeEffect, kQuickFadeMs);
    SDRestoreData(true);
    mKest->DrawActivate(kFadeEffect, kQuickFadeMs);
}

// ---------------------------------------------------------------------------
// Settings

void clsVaro::mCfg_ChangeSetting(const QString& key) {
    const QString lower = key.toLower();
    if (lower == QLatin1String("customcursor")) {
        mGameView->SetMouseIcon(mCfg->BoolVal(QStringLiteral("CustomCursor"))
                                    ? GameValue(*mSystemInfo, QStringLiteral("CustomMouseCursor"))
                                    : QString());
    } else if (lower == QLatin1String("bgmvolume") || lower == QLatin1String("bgmmute")) {
        mDov->SetBGMVolume(ChannelVolume(QStringLiteral("BGMMute"), QStringLiteral("BGMVolume")));
    } else if (lower == QLatin1String("sevolume") || lower == QLatin1String("semute")) {
        mDov->SetSEVolume(ChannelVolume(QStringLiteral("SEMute"), QStringLiteral("SEVolume")));
    } else if (lower == QLatin1String("cvvolume") || lower == QLatin1String("cvmute")) {
        mDov->SetCVVolume(ChannelVolume(QStringLiteral("CVMute"), QStringLiteral("CVVolume")));
    } else if (lower == QLatin1String("wndalpha")) {
        SetWindowBackOpacity(clsKestDriver::kFilmSetWindow, QStringLiteral("WndAlpha"));
    } else if (lower == QLatin1String("novelalpha")) {
        SetWindowBackOpacity(clsKestDriver::kFilmSetNovel, QStringLiteral("NovelAlpha"));
    } else if (lower == QLatin1String("font")) {
        mKest->TextFontSetting(mCfg->StringVal(QStringLiteral("Font")), TextWindow::kFontColour);
    } else if (lower == QLatin1String("textspeed")) {
        mGameView->SetTextSpeed(mCfg->LongVal(QStringLiteral("TextSpeed")));
    } else if (lower == QLatin1String("textautoclick")) {
        mGameView->SetAutoClickEnabled(mCfg->BoolVal(QStringLiteral("TextAutoClick")));
    }
}

std::int32_t clsVaro::ChannelVolume(const QString& muteKey, const QString& volumeKey) const {
    return mCfg->BoolVal(muteKey) ? 0 : mCfg->LongVal(volumeKey);
}

void clsVaro::SetWindowBackOpacity(std::int32_t filmSet, const QString& key) {
    if (mKest->BaseFilmSet() != filmSet || mKest->FIDWndBk() == KestLibrary::kNoFilm) {
        return;
    }
    mKest->Library().SetFilmProp(mKest->FIDWndBk(), KestLibrary::FilmProp::Opacity,
                                 mCfg->LongVal(key));
    mKest->EXEQ();
}

// ---------------------------------------------------------------------------
// Shutdown

void clsVaro::Shutdown() {
    if (mKest != nullptr) {
        mKest->WaitCancel();
    }
    MakeAutoClickTimer(0, 0, nullptr);
    ChangeMode(kModeNone, 0);
    // From here on the subsystems go one by one: nothing may reach them through the engine.
    Detach();
    const auto log = [](const char* line) { App().PutLog(QString::fromLatin1(line)); };
    log("***************************************");
    log("Varo Terminate Process ...");
    log("SaveData...");
    mSD.reset();
    log("Oska...");
    mOska.reset();
    log("Kest...");
    mGameView->AttachScreen(nullptr);
    mKest.reset();
    mDov->StopMovie();
    log("Dov...");
    mDov.reset();
    log("Interpreter...");
    mIntprt.reset();
    log("GameView...");
    mGameView.reset();
    log("Config...");
    mCfg.reset();
    mShared.reset();
    mSystemInfo.reset();
    mGamemodeInfo.reset();
    mOmakemodeInfo.reset();
    log("Varo-Terminate");
    log("***************************************");
}
