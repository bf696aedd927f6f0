#include "app/AppState.h"

#include "app/clsLaunch.h"
#include "data/PageLog.h"

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
        Launcher->Log().PutMsg(line, QString(), true);
    }
}

AppState& App() {
    static AppState state;
    return state;
}
