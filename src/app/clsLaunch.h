#pragma once

#include <QString>
#include <cstdint>
#include <memory>

#include "base/LauncherServices.h"
#include "data/INISection.h"
#include "data/PageLog.h"

class INIFile;
class QWidget;
class clsVaro;

// Sits between the process and the engine: reads the developer settings
// (debug.ini), keeps the run-time log and shows every message box.
class clsLaunch : public LauncherServices {
public:
    clsLaunch();
    ~clsLaunch() override;
    clsLaunch(const clsLaunch&) = delete;
    clsLaunch& operator=(const clsLaunch&) = delete;

    // Reads debug.ini beside the game data, sets the switches and folders of the
    // process and gives the log its file. True when done.
    bool Init();
    // Reads debug.ini beside the game data into the switches and folders of the
    // process and DebugSec; false (defaults kept) when there is none. Writes nothing.
    bool ReadDebugSettings();

    PageLog& Log() { return mLog; }
    const INISection& DebugSec() const;
    const QString& Title() const override { return mTitle; }
    void SetTitle(const QString& title) { mTitle = title; }
    bool IsDebugMode() const override { return mDebugDoc != nullptr; }
    QString DebugValue(const QString& key) const override;
    void PutLog(const QString& line) override;
    void SaveLog() override;

    // System-timer actions.
    static constexpr std::int32_t kTimerNone = 0;
    static constexpr std::int32_t kTimerFirstMode = 1;
    static constexpr std::int32_t kTimerClose = 2;

    // The pending system-timer action; writing 1 or 2 arms the one-shot timer,
    // 0 disarms it, other values are ignored.
    std::int32_t SysTimerFunc() const { return mSysTimerFunc; }
    void SetSysTimerFunc(std::int32_t action);

    // Creates and starts the engine, places and shows the game window and arms
    // the first mode. A failed start closes the engine again.
    void OpenVaro();
    // Stores the window settings and arms the shutdown.
    void CloseVaro() override;
    // Arms the first mode (normally the title) for the next tick.
    void RestartTitle() override { SetSysTimerFunc(kTimerFirstMode); }
    // Closes the engine if open, waits until it is gone and ends the run; once.
    void ExitApp();
    // The engine's start-up failed (its message was shown).
    bool EngineStartFailed() const { return mStartFailed; }
    // ExitApp has run: the process may end.
    bool Exited() const { return mExited; }
    // The open engine, or null.
    clsVaro* Varo() { return mVaro.get(); }

    // Shows a message box (MsgBox style bits); "" as title means Title().
    // Returns the MsgBox::Id of the button pressed.
    int Msg(const QString& prompt, int buttons = 0, const QString& title = QString()) override;
    // The text of the last message box shown ("" before the first), such as the
    // reason a failed start gave.
    const QString& LastMessage() const { return mLastMessage; }

    // The log file's name for a start at the given local time: log/yymmddhhnnss.txt.
    static QString LogFileName(const QDateTime& start);

private:
    void SysTimerTick();
    void PlaceGameWindow();
    void ReleaseEngine();
    void ReadSwitches(const INISection& debug);
    void ReadFolders(INISection& folder);
    void TraceLogLine(const QString& text);

    PageLog mLog;
    QString mTitle;
    QString mLastMessage;
    std::unique_ptr<INIFile> mDebugDoc;
    INISection mEmptyDebugSec;
    std::unique_ptr<clsVaro> mVaro;
    std::int32_t mSysTimerFunc = kTimerNone;
    int mSysTimer = 0;
    bool mExitGuard = false;
    bool mExited = false;
    bool mStartFailed = false;
};
