#include "app/SaveFileTool.h"

#include "app/CommandLine.h"
#include "app/Console.h"
#include "data/Scrambler.h"
#include "platform/os/FileIo.h"

namespace {

int fail(const QString& message) {
    return Console::Fail(QStringLiteral("varo save: ") + message);
}

}  // namespace

int SaveFileTool::Run(const CommandLine& command) {
    if (command.command == CommandLine::Command::SaveDecode) {
        return DecodeFile(command.file);
    }
    return EncodeFile(command.file, command.output);
}

std::optional<QByteArray> SaveFileTool::Decode(const QByteArray& scrambled) {
    const auto text = Scrambler::unscrambleText(scrambled);
    if (!text) {
        return std::nullopt;
    }
    return text->toUtf8();
}

QByteArray SaveFileTool::Encode(const QByteArray& utf8) {
    QString text = QString::fromUtf8(utf8.startsWith("\xEF\xBB\xBF") ? utf8.mid(3) : utf8);
    if (!text.contains(QLatin1Char('\r'))) {
        text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    }
    return Scrambler::scrambleText(text);
}

int SaveFileTool::DecodeFile(const QString& file) {
    const auto bytes = FileIo::readAll(file);
    if (!bytes) {
        return fail(QStringLiteral("cannot read ") + file);
    }
    const auto text = Decode(*bytes);
    if (!text) {
        return fail(file + QStringLiteral(
                               " is damaged: its size is odd, so it cannot hold scrambled text"));
    }
    Console::Out(*text);
    return 0;
}

int SaveFileTool::EncodeFile(const QString& file, const QString& output) {
    const auto bytes = FileIo::readAll(file);
    if (!bytes) {
        return fail(QStringLiteral("cannot read ") + file);
    }
    const QByteArray scrambled = Encode(*bytes);
    if (output.isEmpty()) {
        Console::Out(scrambled);
        return 0;
    }
    if (!FileIo::writeDurable(output, scrambled)) {
        return fail(QStringLiteral("cannot write ") + output);
    }
    return 0;
}
