#include "app/AsmTool.h"

#include <QDir>
#include <QFileInfo>

#include "app/ArchiveStartup.h"
#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/GameFolderCheck.h"
#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/clsOskaDriver.h"
#include "data/stdINI.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"
#include "scenario/ScenarioConverter.h"

namespace {

// Without --game the folder was guessed from the file's place: errors say how to name it.
QString withHint(const QString& error, bool gameGiven) {
    return gameGiven ? error : error + QStringLiteral("; name the game folder with --game DIR");
}

// The game's system information, read as the player reads it: debug.ini's
// folders, then the loose file or the archives. An archive that cannot be
// registered is only warned about, so that a scenario beside a damaged archive
// still gets its own errors reported.
std::unique_ptr<INIFile> loadSystemInfo(const QString& gameDir, bool gameGiven, QString& error) {
    App().AppDir = QDir(gameDir).absolutePath();
    clsLaunch launcher;
    launcher.ReadDebugSettings();  // a tool run writes nothing into the game
    const QString problem = GameFolderCheck::Problem(App().AppDir, App().IniDir, App().ArchiveDir);
    if (!problem.isEmpty()) {
        error = withHint(App().AppDir + QStringLiteral(": ") + problem, gameGiven);
        return nullptr;
    }
    clsVaro varo;
    App().Archives = &varo.Oska();
    QString archiveFailure;
    if (!ArchiveStartup::RegisterArchives(varo.Oska(), App().ArchiveDir, archiveFailure)) {
        Console::Warn(QStringLiteral("varo asm: warning: ") + archiveFailure);
    }
    std::unique_ptr<INIFile> info = stdINI::LoadINIByKey(QStringLiteral("SystemInfo"));
    if (info == nullptr) {
        error = withHint(App().AppDir + QStringLiteral(": システム情報をロードできません。"),
                         gameGiven);
    }
    App().Archives = nullptr;
    return info;
}

}  // namespace

QString AsmTool::GameDirOf(const QString& file) {
    const QFileInfo folder(QFileInfo(file).absolutePath());
    if (folder.fileName().compare(QLatin1String("scenario"), Qt::CaseInsensitive) == 0) {
        return folder.path();
    }
    return folder.filePath();
}

int AsmTool::Run(const CommandLine& command) {
    QString source;
    if (!stdHelpers::ReadTextFile(command.file, source)) {
        return Console::Fail(QStringLiteral("varo asm: cannot read ") + command.file);
    }
    const QString gameDir = command.gameDir.isEmpty() ? GameDirOf(command.file) : command.gameDir;
    QString error;
    const auto info = loadSystemInfo(gameDir, !command.gameDir.isEmpty(), error);
    if (info == nullptr) {
        return Console::Fail(QStringLiteral("varo asm: ") + error);
    }
    ScenarioConverter converter;
    if (!converter.Init(*info)) {
        return Console::Fail(
            QStringLiteral("varo asm: the game's SystemInfo has no usable TextBlock "
                           "settings (CharCount, LineCount)"));
    }
    if (!converter.Assemble(source)) {
        return Console::Fail(converter.ErrorReport(QFileInfo(command.file).completeBaseName()));
    }
    const QString lines = converter.RegularScript();
    if (command.output.isEmpty()) {
        QString text = lines;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        Console::Out((text + QLatin1Char('\n')).toUtf8());
        return 0;
    }
    if (!FileIo::writeDurable(command.output, Cp932Codec::encode(lines))) {
        return Console::Fail(QStringLiteral("varo asm: cannot write ") + command.output);
    }
    return 0;
}
