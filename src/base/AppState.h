#pragma once

#include <QString>
#include <cstdint>

class ArchiveReader;
class LauncherServices;
class Platform;

// The process-wide state: one value per process, written during start-up and
// read by every part of the engine.
class AppState {
public:
    QString AppDir;   // the game folder, without a trailing separator
    QString SaveDir;  // user settings, shared data and save slots
    // The launcher, and the open engine's archives; null when there is none.
    LauncherServices* Launcher = nullptr;
    ArchiveReader* Archives = nullptr;
    bool EngineClosing = false;
    // Engine waits in progress (transitions, pauses, fades, message boxes, the
    // interpreter's yields). Mode changes and the shutdown wait until none runs.
    int WaitDepth = 0;

    // Developer switches from debug.ini.
    bool ScenarioFileMode = false;
    bool CGFileMode = false;
    bool SoundFileMode = false;
    bool DrawActivity = false;
    bool NovelMode = false;
    bool AllCG = false;
    bool SubClassMode = true;
    bool INIEncript = true;

    // Data folders; all are AppDir unless debug.ini's "Folder" section says otherwise.
    QString WorkspaceDir;
    QString ArchiveDir;
    QString ResourceDir;
    QString IniDir;
    QString MovieDir;

    // The game screen and the scenario's coordinate space, set by the engine's start-up.
    std::int32_t ScreenSizeX = 640;
    std::int32_t ScreenSizeY = 480;
    std::int32_t ScriptScaleX = 640;
    std::int32_t ScriptScaleY = 480;
    // Full screen can be shown (a screen exists).
    bool FullScreenAvailable = false;

    // An installed program's media plugin folder, relative to the program's
    // folder; "" where the plugin is beside the program or in the build.
    QString MediaPluginDir;

    // Operating-system services (clock, message boxes, trace); never null while running.
    Platform* platform = nullptr;

    // Switches back to their defaults and every folder to AppDir.
    void ResetSwitchesAndFolders();

    // Writes one line to the run-time log (nothing before the launcher exists).
    void PutLog(const QString& line);
};

// The one AppState of the process.
AppState& App();
