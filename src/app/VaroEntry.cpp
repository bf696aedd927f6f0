#include "app/VaroEntry.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "app/AppState.h"
#include "app/ArchiveStartup.h"
#include "app/CommandLine.h"
#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "data/INIFile.h"
#include "data/stdINI.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/MsgBox.h"
#include "platform/os/QtMessageBoxPresenter.h"
#include "platform/os/RealClock.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

namespace {

QString withoutTrailingSeparator(QString path) {
    while (path.size() > 1 &&
           (path.endsWith(QLatin1Char('/')) || path.endsWith(QLatin1Char('\\')))) {
        path.chop(1);
    }
    return path;
}

bool isWritableFolder(const QString& path) {
    return FileIo::makeDirectories(path) && QFileInfo(path).isWritable();
}

std::unique_ptr<Platform> makePlatform(const CommandLine& command) {
    if (!command.headless) {
        return std::make_unique<Platform>(std::make_unique<RealClock>(),
                                          std::make_unique<QtMessageBoxPresenter>());
    }
    auto platform = std::make_unique<Platform>(std::make_unique<VirtualClock>(), nullptr);
    platform->setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform->trace()));
    return platform;
}

}  // namespace

QString VaroEntry::DemoGameDir() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    for (const QString& candidate :
         {exeDir + QStringLiteral("/games/demo"), exeDir + QStringLiteral("/../games/demo"),
          exeDir + QStringLiteral("/../share/varo/games/demo")}) {
        if (QFileInfo(candidate).isDir()) {
            return QDir::cleanPath(candidate);
        }
    }
    return QDir::cleanPath(exeDir + QStringLiteral("/games/demo"));
}

QString VaroEntry::ChooseSaveDir(const QString& appDir, const QString& override) {
    if (!override.isEmpty()) {
        return withoutTrailingSeparator(QDir(override).absolutePath());
    }
    const QString beside = appDir + QStringLiteral("/savedata");
    if (isWritableFolder(beside)) {
        return beside;
    }
    const QString userData = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return userData + QStringLiteral("/varo/") + QFileInfo(appDir).fileName() +
           QStringLiteral("/savedata");
}

int VaroEntry::Play(const CommandLine& command) {
    AppState& app = App();
    const QString gameDir = command.gameDir.isEmpty() ? DemoGameDir() : command.gameDir;
    app.AppDir = withoutTrailingSeparator(QDir(gameDir).absolutePath());
    app.SaveDir = ChooseSaveDir(app.AppDir, command.saveDir);
    FileIo::makeDirectories(app.SaveDir);

    std::unique_ptr<Platform> platform = makePlatform(command);
    if (!command.traceFile.isEmpty() && !platform->trace().openFile(command.traceFile)) {
        return 2;
    }
    app.platform = platform.get();

    int exitCode = 0;
    {
        clsLaunch launcher;
        app.Launcher = &launcher;
        if (!QFileInfo(app.AppDir).isDir()) {
            launcher.Msg(QStringLiteral("ゲームフォルダが見つかりません。\n") + app.AppDir,
                         MsgBox::Critical);
            exitCode = 1;
        } else if (!launcher.Init()) {
            launcher.Msg(QStringLiteral("シナリオランチャの初期化に失敗しました。"), 0);
            exitCode = 1;
        } else {
            app.EngineClosing = false;
            exitCode = ShowGameInfo();
        }
        app.Launcher = nullptr;
    }
    platform->trace().write(QStringLiteral("exit ") + QString::number(exitCode));
    app.platform = nullptr;
    return exitCode;
}

// Until the engine plays games, a start registers the archives and shows which
// game folder was opened.
int VaroEntry::ShowGameInfo() {
    clsLaunch& launcher = *App().Launcher;
    clsVaro varo;
    App().Varo = &varo;
    const int exitCode = ShowTitleOf(launcher, varo);
    App().Varo = nullptr;
    return exitCode;
}

int VaroEntry::ShowTitleOf(clsLaunch& launcher, clsVaro& varo) {
    QString failure;
    if (!ArchiveStartup::RegisterArchives(varo.Oska(), App().ArchiveDir, failure)) {
        launcher.Msg(failure, 0);
        return 1;
    }
    const auto info = stdINI::LoadINIByKey(QStringLiteral("SystemInfo"));
    if (info == nullptr) {
        launcher.Msg(QStringLiteral("システム情報をロードできません。"), 0);
        return 1;
    }
    const QString title =
        info->KeySection(QStringLiteral("Game")).KeyValue(QStringLiteral("Title"));
    launcher.SetTitle(title);
    launcher.Log().PutMsg(QStringLiteral("Varo ") + QStringLiteral(VARO_VERSION) +
                          QStringLiteral(": ") + App().AppDir);
    launcher.Msg(QStringLiteral("Varo ") + QStringLiteral(VARO_VERSION) +
                     QStringLiteral(" ビジュアルノベルプレイヤー\n\nゲーム: ") + title +
                     QStringLiteral("\n\nゲームの再生はまだできません。"),
                 MsgBox::Information);
    return 0;
}
