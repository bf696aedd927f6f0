#pragma once

#include <QString>
#include <memory>

#include "data/INISection.h"
#include "data/PageLog.h"

class INIFile;
class QWidget;

// Sits between the process and the engine: reads the developer settings
// (debug.ini), keeps the run-time log and shows every message box.
class clsLaunch {
public:
    clsLaunch();
    ~clsLaunch();
    clsLaunch(const clsLaunch&) = delete;
    clsLaunch& operator=(const clsLaunch&) = delete;

    // Reads debug.ini beside the game data, sets the switches and folders of the
    // process and gives the log its file. True when done.
    bool Init();

    PageLog& Log() { return mLog; }
    const INISection& DebugSec() const;
    const QString& Title() const { return mTitle; }
    void SetTitle(const QString& title) { mTitle = title; }
    bool IsDebugMode() const { return mDebugDoc != nullptr; }

    // Shows a message box (MsgBox style bits); "" as title means Title().
    // Returns the MsgBox::Id of the button pressed.
    int Msg(const QString& prompt, int buttons = 0, const QString& title = QString());

    // The log file's name for a start at the given local time: log/yymmddhhnnss.txt.
    static QString LogFileName(const QDateTime& start);

private:
    void ReadSwitches(const INISection& debug);
    void ReadFolders(INISection& folder);
    void TraceLogLine(const QString& text);

    PageLog mLog;
    QString mTitle;
    std::unique_ptr<INIFile> mDebugDoc;
    INISection mEmptyDebugSec;
};
