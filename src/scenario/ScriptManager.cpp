#include "scenario/ScriptManager.h"

#include "base/AppState.h"
#include "base/ArchiveReader.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "platform/os/GameFolder.h"
#include "scenario/Script.h"

ScriptManager::ScriptManager(const INIFile* systemInfo) : mSystemInfo(systemInfo) {}

bool ScriptManager::Init(bool fileMode, const QString& preload) {
    if (mSystemInfo == nullptr || !mConverter.Init(*mSystemInfo)) {
        return false;
    }
    mFileMode = fileMode;
    if (fileMode) {
        mScenarioDir = App().WorkspaceDir + QStringLiteral("/scenario");
    }
    bool all = true;
    for (const QString& name : preload.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        all = GetScript(name.trimmed(), true) != nullptr && all;
    }
    return all;
}

std::shared_ptr<Script> ScriptManager::GetScript(const QString& name, bool reserved) {
    const QString key = name.toCaseFolded();
    if (const auto cached = mScripts.constFind(key); cached != mScripts.constEnd()) {
        return *cached;
    }
    QString text;
    if (mFileMode ? !ReadFromFile(name, text) : !ReadFromArchive(name, text)) {
        return nullptr;
    }
    return AddScript(name, text, reserved);
}

std::shared_ptr<Script> ScriptManager::AddScript(const QString& name, const QString& text,
                                                 bool reserved) {
    auto script = std::make_shared<Script>();
    script->Init(name, reserved);
    QString error;
    if (!script->Parse(text, error)) {
        ShowMessage(QStringLiteral("パースエラー：") + error);
    }
    mScripts.insert(name.toCaseFolded(), script);
    DebugShowLoadedScript();
    return script;
}

bool ScriptManager::ReadFromFile(const QString& name, QString& text) {
    QString why;
    const auto path = GameFolder(mScenarioDir).find(name + QStringLiteral(".txt"), &why);
    if (!path) {
        if (!GameFolder::isConfined(name)) {
            App().PutLog(why);
        }
        return false;
    }
    QString source;
    if (!stdHelpers::ReadTextFile(*path, source)) {
        return false;
    }
    if (!mConverter.Assemble(source)) {
        ShowMessage(mConverter.ErrorReport(name));
        return false;
    }
    text = mConverter.RegularScript();
    return true;
}

bool ScriptManager::ReadFromArchive(const QString& name, QString& text) const {
    ArchiveReader* archives = App().Archives;
    if (archives == nullptr) {
        return false;
    }
    const std::int32_t id = archives->FileKeyToID(name);
    return id != -1 && archives->LoadTextFile(id, text);
}

void ScriptManager::Dispose(const QString& name) {
    const QString key = name.toCaseFolded();
    const auto found = mScripts.constFind(key);
    if (found != mScripts.constEnd() && !(*found)->Reserved()) {
        mScripts.remove(key);
    }
}

void ScriptManager::DisposeAllScript() {
    mScripts.clear();
}

void ScriptManager::DebugShowLoadedScript() const {
    if (App().Launcher == nullptr || !App().Launcher->IsDebugMode()) {
        return;
    }
    for (const auto& script : mScripts) {
        App().PutLog(script->Name() +
                     (script->Reserved() ? QStringLiteral(" (reserved)") : QString()));
    }
}

void ScriptManager::ShowMessage(const QString& text) {
    if (App().Launcher != nullptr) {
        App().Launcher->Msg(text, 0);
    }
}
