#include "app/clsLaunch.h"

#include <QDir>

#include "app/AppState.h"
#include "app/stdHelpers.h"
#include "data/INIFile.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/WallClock.h"

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

clsLaunch::~clsLaunch() = default;

bool clsLaunch::Init() {
    AppState& app = App();
    mTitle = QStringLiteral("ゲーム起動中");
    app.ResetSwitchesAndFolders();
    mDebugDoc.reset();

    QString text;
    if (!stdHelpers::ReadTextFile(app.AppDir + QStringLiteral("/debug.ini"), text)) {
        return true;
    }
    mDebugDoc = std::make_unique<INIFile>();
    mDebugDoc->SetText(text);
    ReadSwitches(mDebugDoc->KeySection(QStringLiteral("debug")));
    ReadFolders(mDebugDoc->KeySection(QStringLiteral("Folder")));

    const QString logDir = app.AppDir + QStringLiteral("/log");
    FileIo::makeDirectories(logDir);
    mLog.SetPath(app.AppDir + QLatin1Char('/') + LogFileName(WallClock::localNow()));
    mLog.SetSaveMode(0);
    mLog.SetAutoSave(true);
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

int clsLaunch::Msg(const QString& prompt, int buttons, const QString& title) {
    const QString caption = title.isEmpty() ? mTitle : title;
    Platform* platform = App().platform;
    if (platform == nullptr) {
        return 0;
    }
    return platform->messageBoxes().show(prompt, buttons, caption, nullptr);
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
