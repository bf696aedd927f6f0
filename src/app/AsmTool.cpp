#include "app/AsmTool.h"

#include <QDir>
#include <QFileInfo>

#include "app/ArchiveStartup.h"
#include "app/CommandLine.h"
#include "app/Console.h"
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

// The game's system information, read as the player reads it: debug.ini's
// folders, then the loose file or the archives.
std::unique_ptr<INIFile> loadSystemInfo(const QString& gameDir, QString& error) {
    App().AppDir = QDir(gameDir).absolutePath();
    clsLaunch launcher;
    launcher.Init();
    launcher.Log().SetAutoSave(false);  // a tool run leaves no log file in the game
    clsVaro varo;
    App().Archives = &varo.Oska();
    std::unique_ptr<INIFile> info;
    if (ArchiveStartup::RegisterArchives(varo.Oska(), App().ArchiveDir, error)) {
        info = stdINI::LoadINIByKey(QStringLiteral("SystemInfo"));
        if (info == nullptr) {
            error = QStringLiteral("システム情報をロードできません。");
        }
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
    const auto info = loadSystemInfo(gameDir, error);
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
