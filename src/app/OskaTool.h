#pragma once

#include <QString>
#include <QStringList>

struct CommandLine;

// `varo oska pack`, `varo oska list` and `varo oska extract`: builds .oska
// archives from a folder, shows what an archive holds, and unpacks one.
class OskaTool {
public:
    // Runs the command; returns the process exit code.
    static int Run(const CommandLine& command);

    // Packs the files of the folder and its subfolders into the archive: entry 0
    // is the file list, then one entry per file in path order, named by its path
    // inside the folder. A file's key is its name without extension; two files
    // with the same key (letter case ignored) are an error naming both.
    static bool Pack(const QString& dir, const QString& archive, QString& error);

    // One line per entry: identifier offset, key, entry name and size, separated by tabs.
    static bool List(const QString& path, QStringList& lines, QString& error);

    // Writes every entry under its entry name inside the folder (created when missing).
    static bool Extract(const QString& path, const QString& dir, QString& error);
};
