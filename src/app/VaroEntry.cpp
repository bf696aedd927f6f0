#include "app/VaroEntry.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <QAction>

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/GameFolderCheck.h"
#include "app/HeadlessRunner.h"
#include "app/InputScript.h"
#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "platform/Platform.h"
#include "platform/os/FileIo.h"
#include "platform/os/InstanceLock.h"
#include "platform/os/MsgBox.h"
#include "platform/os/QtMessageBoxPresenter.h"
#include "platform/os/RealClock.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"
#include "screen/clsGameView.h"

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

QString VaroEntry::DemoGameDir(const QString& installedDir) {
    const QString exeDir = QCoreApplication::applicationDirPath();
    // An installed program never takes a games/demo that merely lies above it.
    for (const QString& candidate :
         {exeDir + QStringLiteral("/games/demo"), exeDir + QLatin1Char('/') + installedDir,
          exeDir + QStringLiteral("/../games/demo")}) {
        if (QFileInfo(candidate).isDir()) {
            return QDir::cleanPath(candidate);
        }
    }
    return QString();
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
    if (command.gameDir.isEmpty()) {
        return Console::Fail(
            QStringLiteral("varo: no game folder given, and the bundled demo game is not "
                           "installed; usage: varo GAME_DIR"));
    }
    app.AppDir = withoutTrailingSeparator(QDir(command.gameDir).absolutePath());

    std::unique_ptr<Platform> platform = makePlatform(command);
    if (!command.traceFile.isEmpty() && !platform->trace().openFile(command.traceFile)) {
        return 2;
    }
    app.platform = platform.get();

    InputScript input;
    QString inputError;
    if (!command.inputFile.isEmpty() && !input.load(command.inputFile, inputError)) {
        app.platform = nullptr;
        return Console::Fail(QStringLiteral("varo: ") + inputError);
    }

    int exitCode = 0;
    InstanceLock lock(app.AppDir);
    if (!lock.tryLock()) {
        // Another instance plays this game already: end without a word.
        app.platform = nullptr;
        return 0;
    }
    {
        clsLaunch launcher;
        app.Launcher = &launcher;
        exitCode = StartAndRun(launcher, input, command);
        app.Launcher = nullptr;
    }
    platform->trace().write(QStringLiteral("exit ") + QString::number(exitCode));
    app.platform = nullptr;
    return exitCode;
}

int VaroEntry::StartAndRun(clsLaunch& launcher, const InputScript& input,
                           const CommandLine& command) {
    AppState& app = App();
    const QString problem = FolderProblem(launcher);
    if (!problem.isEmpty()) {
        // Nothing is written into a folder that holds no game.
        ReportStartFailure(launcher, app.AppDir + QStringLiteral(": ") + problem);
        return 1;
    }
    app.SaveDir = ChooseSaveDir(app.AppDir, command.saveDir);
    FileIo::makeDirectories(app.SaveDir);
    if (!launcher.Init()) {
        launcher.Msg(QStringLiteral("シナリオランチャの初期化に失敗しました。"), 0);
        launcher.ExitApp();
        return 1;
    }
    app.EngineClosing = false;
    launcher.OpenVaro();
    const int exitCode = RunUntilExit(launcher, input, command);
    if (launcher.EngineStartFailed()) {
        // The engine showed its reason in a box; the terminal gets it too.
        Console::Fail(QStringLiteral("varo: ") + app.AppDir + QStringLiteral(": ") +
                      launcher.LastMessage());
        return 1;
    }
    return exitCode;
}

QString VaroEntry::FolderProblem(clsLaunch& launcher) {
    AppState& app = App();
    // debug.ini may move the INI and archive folders; reading it writes nothing.
    launcher.ReadDebugSettings();
    return GameFolderCheck::Problem(app.AppDir, app.IniDir, app.ArchiveDir);
}

void VaroEntry::ReportStartFailure(clsLaunch& launcher, const QString& message) {
    Console::Fail(QStringLiteral("varo: ") + message);
    launcher.Msg(message, MsgBox::Critical);
}

int VaroEntry::RunUntilExit(clsLaunch& launcher, const InputScript& input,
                            const CommandLine& command) {
    if (launcher.Exited()) {
        return 0;
    }
    if (!command.headless) {
        return QApplication::exec();
    }
    Platform& platform = *App().platform;
    HeadlessRunner::Target target;
    target.picture = [&launcher] {
        return GameViewOf(launcher) ? GameViewOf(launcher)->pic() : nullptr;
    };
    target.form = [&launcher] {
        return GameViewOf(launcher) ? GameViewOf(launcher)->Form() : nullptr;
    };
    target.triggerMenu = [&launcher](const QString& tag) {
        clsGameView* view = GameViewOf(launcher);
        QAction* item = view != nullptr ? view->MenuItem(tag) : nullptr;
        if (item == nullptr || !item->isEnabled()) {
            return false;
        }
        item->trigger();
        return true;
    };
    target.screen = [&launcher] {
        clsGameView* view = GameViewOf(launcher);
        return view != nullptr ? view->CurrentScreen() : QImage();
    };
    target.requestClose = [&launcher] { launcher.CloseVaro(); };
    target.finished = [&launcher] { return launcher.Exited(); };
    HeadlessRunner runner(static_cast<VirtualClock&>(platform.clock()), platform.trace(),
                          static_cast<ScriptedMessageBoxPresenter&>(platform.messageBoxes()),
                          std::move(target));
    runner.setShotsDir(command.shotsDir);
    runner.schedule(input);
    return runner.run();
}

clsGameView* VaroEntry::GameViewOf(clsLaunch& launcher) {
    return launcher.Varo() != nullptr ? &launcher.Varo()->GameView() : nullptr;
}
