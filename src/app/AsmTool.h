#pragma once

#include <QString>

struct CommandLine;

// `varo asm FILE [--game DIR] [-o OUT]`: assembles one scenario with the game's
// text-block settings, as the player would when reading it as a loose file.
class AsmTool {
public:
    static int Run(const CommandLine& command);

    // The game folder for a scenario file: the folder above a "scenario" folder
    // holding it, else the file's own folder.
    static QString GameDirOf(const QString& file);
};
