#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

struct CommandLine;

// `varo save decode` and `varo save encode`: scrambled settings, shared-data and
// save files as editable UTF-8 text, and back.
class SaveFileTool {
public:
    // Runs the command; returns the process exit code.
    static int Run(const CommandLine& command);

    // Scrambled bytes to UTF-8 text; nothing for a damaged (odd-length) file.
    static std::optional<QByteArray> Decode(const QByteArray& scrambled);

    // UTF-8 text to scrambled bytes. A leading byte-order mark is dropped, and a
    // text without any CR gets CR LF line ends (it was edited into LF lines).
    static QByteArray Encode(const QByteArray& utf8);

private:
    static int DecodeFile(const QString& file);
    static int EncodeFile(const QString& file, const QString& output);
};
