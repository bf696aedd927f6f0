#pragma once

#include <QString>

// What the engine's subsystems need from the launcher, which sits above them:
// message boxes, the run-time log, the developer settings and closing the
// engine. The launcher implements it and hands itself down through AppState.
class LauncherServices {
public:
    virtual ~LauncherServices() = default;

    // Shows a message box (MsgBox style bits); "" as title means the game's title.
    // Returns the MsgBox::Id of the button pressed.
    virtual int Msg(const QString& prompt, int buttons = 0, const QString& title = QString()) = 0;
    // debug.ini was read: developer diagnostics are on.
    virtual bool IsDebugMode() const = 0;
    // A value of section "debug" of debug.ini, "" when absent.
    virtual QString DebugValue(const QString& key) const = 0;
    // The game's title, as the window shows it.
    virtual const QString& Title() const = 0;
    // Stores the window settings and arms the shutdown.
    virtual void CloseVaro() = 0;
    // Arms the first mode (normally the title) for the next tick.
    virtual void RestartTitle() = 0;
    // One line of the run-time log; writing the log file out.
    virtual void PutLog(const QString& line) = 0;
    virtual void SaveLog() = 0;
};
