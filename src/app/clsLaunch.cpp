#include "app/clsLaunch.h"

#include <QDir>

#include <QCoreApplication>
#include <QWidget>

#include "app/clsVaro.h"
#include "base/AppState.h"
#include "base/EngineWait.h"
#include "base/stdHelpers.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/WallClock.h"
#include "screen/clsGameView.h"

namespace {

bool isTrue(const INISection& section, const QString& key) {
    return section.KeyValue(key).toLower() == QLatin1String("true");
}

bool isNotFalse(const INISection& section, const QString& key) {
    return section.KeyValue(key).toLower() != QLatin1String("false");
}

QString joinFolder(const QString& base, const QString& name) {
    QString unified = name;
    unified.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return base + QLatin1Char('/') + unified;
}

}  // namespace

clsLaunch::clsLaunch() {
    mLog.onLineWrote = [this](const QString& text, const QString&) { TraceLogLine(text); };
}

clsLaunch::~clsLaunch() {
    ReleaseEngine();
}

bool clsLaunch::Init() {
    AppState& app = App();
    mTitle = QStringLiteral("ゲーム起動中");
    if (!ReadDebugSettings()) {
        return true;
    }
    const QString logDir = app.AppDir + QStringLiteral("/log");
    FileIo::makeDirectories(logDir);
    mLog.SetPath(app.AppDir + QLatin1Char('/') + LogFileName(WallClock::localNow()));
    mLog.SetSaveMode(0);
    mLog.SetAutoSave(true);
    return true;
}

bool clsLaunch::ReadDebugSettings() {
    AppState& app = App();
    app.ResetSwitchesAndFolders();
    mDebugDoc.reset();
    QString text;
    if (!stdHelpers::ReadTextFile(app.AppDir + QStringLiteral("/debug.ini"), text)) {
        return false;
    }
    mDebugDoc = std::make_unique<INIFile>();
    mDebugDoc->SetText(text);
    ReadSwitches(mDebugDoc->KeySection(QStringLiteral("debug")));
    ReadFolders(mDebugDoc->KeySection(QStringLiteral("Folder")));
    return true;
}

void clsLaunch::ReadSwitches(const INISection& debug) {
    AppState& app = App();
    app.ScenarioFileMode = isTrue(debug, QStringLiteral("ScenarioFileMode"));
    app.CGFileMode = isTrue(debug, QStringLiteral("CGFileMode"));
    app.SoundFileMode = isTrue(debug, QStringLiteral("SoundFileMode"));
    app.DrawActivity = isTrue(debug, QStringLiteral("DrawActivity"));
    app.NovelMode = isTrue(debug, QStringLiteral("NovelMode"));
    app.AllCG = isTrue(debug, QStringLiteral("AllCG"));
    app.SubClassMode = isNotFalse(debug, QStringLiteral("SubClassMode"));
    app.INIEncript = isNotFalse(debug, QStringLiteral("INIEncript"));
}

void clsLaunch::ReadFolders(INISection& folder) {
    AppState& app = App();
    const QString workspace = folder.KeyValue(QStringLiteral("Workspace"));
    if (!workspace.isEmpty()) {
        app.WorkspaceDir = workspace;
        app.WorkspaceDir.replace(QLatin1Char('\\'), QLatin1Char('/'));
        // A relative workspace is taken from the game folder, not the working directory.
        if (QDir::isRelativePath(app.WorkspaceDir)) {
            app.WorkspaceDir = joinFolder(app.AppDir, app.WorkspaceDir);
        }
    }
    app.ArchiveDir = joinFolder(app.WorkspaceDir, folder.KeyValue(QStringLiteral("Archive")));
    app.ResourceDir = joinFolder(app.WorkspaceDir, folder.KeyValue(QStringLiteral("Resource")));
    app.IniDir = joinFolder(app.WorkspaceDir, folder.KeyValue(QStringLiteral("ini")));
    app.MovieDir = joinFolder(app.WorkspaceDir, folder.KeyValue(QStringLiteral("movie")));
}

const INISection& clsLaunch::DebugSec() const {
    if (mDebugDoc == nullptr) {
        return mEmptyDebugSec;
    }
    return mDebugDoc->KeySection(QStringLiteral("debug"));
}

QString clsLaunch::DebugValue(const QString& key) const {
    return DebugSec().KeyValue(key);
}

void clsLaunch::PutLog(const QString& line) {
    mLog.PutMsg(line, QString(), true);
}

void clsLaunch::SaveLog() {
    mLog.Save();
}

// A box shown while the game window is up is centred on it.
int clsLaunch::Msg(const QString& prompt, int buttons, const QString& title) {
    const QString caption = title.isEmpty() ? mTitle : title;
    mLastMessage = prompt;
    Platform* platform = App().platform;
    if (platform == nullptr) {
        return 0;
    }
    if (mVaro == nullptr) {
        return platform->messageBoxes().show(prompt, buttons, caption, nullptr);
    }
    const EngineWait wait;
    clsGameView& view = mVaro->GameView();
    const bool sense = view.IsDeactivateSense();
    view.SetDeactivateSense(false);
    QWidget* form = view.Form();
    const bool onWindow = view.ScreenMode() != clsGameView::kScreenClosed && form != nullptr &&
                          form->isVisible() && !form->isMinimized();
    const int answer =
        platform->messageBoxes().show(prompt, buttons, caption, onWindow ? form : nullptr);
    view.SetDeactivateSense(sense);
    return answer;
}

// ---------------------------------------------------------------------------
// Engine and system timer

void clsLaunch::SetSysTimerFunc(std::int32_t action) {
    if (action != kTimerNone && action != kTimerFirstMode && action != kTimerClose) {
        return;
    }
    Clock* clock = App().platform != nullptr ? &App().platform->clock() : nullptr;
    if (clock != nullptr && mSysTimer != 0) {
        clock->cancelTimer(mSysTimer);
        mSysTimer = 0;
    }
    mSysTimerFunc = action;
    if (action != kTimerNone && clock != nullptr) {
        mSysTimer = clock->startTimer(1, [this] {
            mSysTimer = 0;
            SysTimerTick();
        });
    }
}

// Mode changes and the shutdown run here, never inside the code that asked for them.
void clsLaunch::SysTimerTick() {
    const std::int32_t action = mSysTimerFunc;
    if (App().WaitDepth > 0 && action != kTimerNone) {
        // Inside a wait: the code that waits must return first.
        SetSysTimerFunc(action);
        return;
    }
    if (action == kTimerFirstMode && mVaro != nullptr) {
        if (IsDebugMode() &&
            DebugSec().KeyValue(QStringLiteral("TitleSkip")).toLower() == QLatin1String("true")) {
            mVaro->ChangeMode(clsVaro::kModeGame, 6, true);
        } else {
            mVaro->ChangeMode(clsVaro::kModeTitle, 1);
        }
    } else if (action == kTimerClose) {
        App().EngineClosing = true;
        ReleaseEngine();
        ExitApp();
    }
    if (App().Launcher == this) {
        SetSysTimerFunc(kTimerNone);
    }
}

void clsLaunch::ReleaseEngine() {
    if (mVaro == nullptr) {
        return;
    }
    // The engine lets go of the process-wide reference itself, once its mode has ended.
    std::unique_ptr<clsVaro> engine = std::move(mVaro);
    engine.reset();
}

void clsLaunch::OpenVaro() {
    mVaro = std::make_unique<clsVaro>();
    mVaro->Attach();
    if (!mVaro->Init()) {
        mStartFailed = true;
        CloseVaro();
        return;
    }
    mTitle =
        mVaro->SystemInfo().KeySection(QStringLiteral("Game")).KeyValue(QStringLiteral("Title"));
    PlaceGameWindow();
    clsGameView& view = mVaro->GameView();
    view.SetPictureColor(0xFFFFFF);
    view.SetVisible(true);
    view.SetDeactivateSense(true);
    view.FormActivityChanged();
    RestartTitle();
}

void clsLaunch::PlaceGameWindow() {
    Configuration& cfg = mVaro->Cfg();
    clsGameView& view = mVaro->GameView();
    const bool fullAvailable = App().FullScreenAvailable;
    const QString position = cfg.StringVal(QStringLiteral("Pos"));
    switch (cfg.LongVal(QStringLiteral("StartScreenMode"))) {
        case 0: {
            const bool full = cfg.BoolVal(QStringLiteral("FullMode")) && fullAvailable;
            view.SetScreenMode(full ? clsGameView::kScreenFull : clsGameView::kScreenWindow);
            view.SetWndPos(position);
            break;
        }
        case 1:
            view.SetScreenMode(clsGameView::kScreenWindow);
            view.SetWndPos(cfg.BoolVal(QStringLiteral("StartCenter")) ? QString() : position);
            break;
        case 2:
            view.SetScreenMode(fullAvailable ? clsGameView::kScreenFull
                                             : clsGameView::kScreenWindow);
            view.SetWndPos(position);
            break;
        default:
            break;
    }
}

void clsLaunch::CloseVaro() {
    if (mVaro != nullptr) {
        clsGameView& view = mVaro->GameView();
        if (view.ScreenMode() != clsGameView::kScreenClosed) {
            Configuration& cfg = mVaro->Cfg();
            cfg.SetBoolVal(QStringLiteral("FullMode"),
                           view.ScreenMode() == clsGameView::kScreenFull);
            cfg.SetStringVal(QStringLiteral("Pos"), view.WndPos());
            view.SetScreenMode(clsGameView::kScreenClosed);
        }
    }
    SetSysTimerFunc(kTimerClose);
    App().EngineClosing = true;
}

void clsLaunch::ExitApp() {
    if (mExitGuard) {
        return;
    }
    mExitGuard = true;
    CloseVaro();
    Platform* platform = App().platform;
    while (mVaro != nullptr && platform != nullptr) {
        platform->clock().pump();
        platform->clock().sleep(1);
    }
    SetSysTimerFunc(kTimerNone);
    mExited = true;
    if (App().Launcher == this) {
        App().Launcher = nullptr;
    }
    QCoreApplication::quit();
}

QString clsLaunch::LogFileName(const QDateTime& start) {
    return QStringLiteral("log/") + start.toString(QStringLiteral("yyMMddHHmmss")) +
           QStringLiteral(".txt");
}

void clsLaunch::TraceLogLine(const QString& text) {
    Platform* platform = App().platform;
    if (platform == nullptr) {
        return;
    }
    QString line = text;
    if (line.endsWith(QStringLiteral("\r\n"))) {
        line.chop(2);
    }
    platform->trace().write(QStringLiteral("log ") + line);
}
