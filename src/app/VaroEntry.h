#pragma once

#include <QString>

class InputScript;
class clsGameView;
class clsLaunch;
struct CommandLine;

// The process entry for playing a game: fixes the game and save folders, sets up
// the platform services, starts the launcher and runs the game.
class VaroEntry {
public:
    // Returns the process exit code.
    static int Play(const CommandLine& command);

    // The bundled demo game's folder: beside the executable, at `installedDir`
    // (relative to the executable's folder) when installed, or above it in a build
    // tree; "" when there is none.
    static QString DemoGameDir(const QString& installedDir);

    // The save folder: the override when given, else GAME/savedata when that can be
    // written, else the per-user data folder named after the game folder.
    static QString ChooseSaveDir(const QString& appDir, const QString& override);

private:
    // Checks the game folder, then starts the launcher and the engine and plays.
    static int StartAndRun(clsLaunch& launcher, const InputScript& input,
                           const CommandLine& command);
    // Why the game folder cannot be played, after "FOLDER: "; "" when it may be.
    static QString FolderProblem(clsLaunch& launcher);
    // A failed start: one line on standard error and, as every message, a box.
    static void ReportStartFailure(clsLaunch& launcher, const QString& message);
    // Plays until the launcher has exited: the Qt event loop, or the headless runner.
    static int RunUntilExit(clsLaunch& launcher, const InputScript& input,
                            const CommandLine& command);
    static clsGameView* GameViewOf(clsLaunch& launcher);
};
