#include "base/AppState.h"

#include "base/LauncherServices.h"

void AppState::ResetSwitchesAndFolders() {
    ScenarioFileMode = false;
    CGFileMode = false;
    SoundFileMode = false;
    DrawActivity = false;
    NovelMode = false;
    AllCG = false;
    SubClassMode = true;
    INIEncript = true;
    WorkspaceDir = AppDir;
    ArchiveDir = AppDir;
    ResourceDir = AppDir;
    IniDir = AppDir;
    MovieDir = AppDir;
}

void AppState::PutLog(const QString& line) {
    if (Launcher != nullptr) {
        Launcher->PutLog(line);
    }
}

AppState& App() {
    static AppState state;
    return state;
}
