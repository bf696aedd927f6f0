#pragma once

#include <QHash>
#include <QString>
#include <memory>

#include "scenario/ScenarioConverter.h"

class INIFile;
class Script;

// The store of scenario scripts: loads a scenario on first request from a loose
// scenario/NAME.txt (assembled on the spot) or from the archives (already
// assembled), and keeps it cached by name, letter case ignored.
class ScriptManager {
public:
    explicit ScriptManager(const INIFile* systemInfo);

    // Initialises the assembler from the system information; only then takes the
    // file mode and loads the comma-separated preload list.
    bool Init(bool fileMode, const QString& preload);
    std::shared_ptr<Script> GetScript(const QString& name, bool reserved);
    // Keeps a script made from instruction-line text, as the archives hold it,
    // under its name (replacing a cached one); the script.
    std::shared_ptr<Script> AddScript(const QString& name, const QString& text, bool reserved);
    void Dispose(const QString& name);
    void DisposeAllScript();
    // In debug mode, lists the cached scripts in the run-time log.
    void DebugShowLoadedScript() const;

    bool FileMode() const { return mFileMode; }
    int CachedCount() const { return static_cast<int>(mScripts.size()); }

private:
    bool ReadFromFile(const QString& name, QString& text);
    bool ReadFromArchive(const QString& name, QString& text) const;
    static void ShowMessage(const QString& text);

    const INIFile* mSystemInfo;
    QHash<QString, std::shared_ptr<Script>> mScripts;  // case-folded name
    bool mFileMode = false;
    QString mScenarioDir;
    ScenarioConverter mConverter;
};
