#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QFile>

#include "app/AsmTool.h"
#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/LintTool.h"
#include "app/OskaTool.h"
#include "app/SaveFileTool.h"
#include "app/VaroEntry.h"
#include "base/AppState.h"

namespace {

QStringList arguments(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args.append(QString::fromLocal8Bit(argv[i]));
    }
    return args;
}

// A windowed run without any display falls back to the headless platform.
bool hasDisplay() {
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           qEnvironmentVariable("QT_QPA_PLATFORM") == QLatin1String("offscreen");
}

// Headless runs often have no session: give Qt a private runtime folder instead of
// letting it warn on every start.
void ensureRuntimeDir() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        return;
    }
    const QString dir = QDir::tempPath() + QStringLiteral("/varo-runtime-") +
                        QString::number(static_cast<qulonglong>(getuid()));
    QDir().mkpath(dir);
    QFile::setPermissions(dir,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(dir));
}

}  // namespace

int main(int argc, char** argv) {
    // Where an installed program's media plugin lies, seen from the program's folder
    // (cmake/Install.cmake).
    App().MediaPluginDir = QStringLiteral(VARO_INSTALLED_PLUGIN_DIR);
    CommandLine command = CommandLine::Parse(arguments(argc, argv));
    switch (command.command) {
        case CommandLine::Command::Help:
        case CommandLine::Command::Version:
            Console::Out(command.text.toUtf8());
            return 0;
        case CommandLine::Command::Error:
            Console::Fail(QStringLiteral("varo: ") + command.text);
            return 2;
        case CommandLine::Command::SaveDecode:
        case CommandLine::Command::SaveEncode:
            return SaveFileTool::Run(command);
        case CommandLine::Command::Asm: {
            // The assembler reads archives through an engine object, whose game view
            // needs an application even though nothing is shown.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            ensureRuntimeDir();
            QApplication app(argc, argv);
            return AsmTool::Run(command);
        }
        case CommandLine::Command::Lint: {
            // The checks read pictures and archives through engine objects, whose
            // game view needs an application even though nothing is shown.
            qputenv("QT_QPA_PLATFORM", "offscreen");
            ensureRuntimeDir();
            QApplication app(argc, argv);
            return LintTool::Run(command);
        }
        case CommandLine::Command::OskaPack:
        case CommandLine::Command::OskaList:
        case CommandLine::Command::OskaExtract:
            return OskaTool::Run(command);
        case CommandLine::Command::Play:
            break;
    }
    if (!command.headless && !hasDisplay()) {
        Console::Err("varo: no display found; running headless\n");
        command.headless = true;
    }
    if (command.headless) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        ensureRuntimeDir();
    }
    // The game's menu stays in its window, as on every desktop; a desktop's global
    // menu bar would also cost a session-bus round trip before the window shows.
    QCoreApplication::setAttribute(Qt::AA_DontUseNativeMenuBar);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("varo"));
    // The desktop entry the window belongs to, for its icon and name in the desktop.
    QGuiApplication::setDesktopFileName(QStringLiteral("varo"));
    // No game given: the bundled demo game, of the build tree or installed.
    if (command.gameDir.isEmpty()) {
        command.gameDir = VaroEntry::DemoGameDir(QStringLiteral(VARO_INSTALLED_DEMO_DIR));
    }
    return VaroEntry::Play(command);
}
