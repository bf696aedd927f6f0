#pragma once

#include <QString>

// What the interpreter needs from the launcher, the engine core, the game view,
// the screen driver and the user settings. The engine implements it; tests use
// fakes that record the calls.
class InterpreterHost {
public:
    virtual ~InterpreterHost() = default;

    // Launcher.
    virtual int Msg(const QString& prompt, int style) = 0;
    virtual bool IsDebugMode() const = 0;
    virtual void CloseVaro() = 0;
    virtual void PutLog(const QString& line) = 0;
    virtual void SaveLog() = 0;

    // Engine core.
    virtual bool IsEngineClosing() const = 0;
    virtual bool IsSkipMode() const = 0;
    virtual void SetSkipMode(bool on) = 0;
    virtual void MakeAutoClickTimer(qint32 interval, qint32 command) = 0;
    virtual bool IsReplayMode() const = 0;
    // Processes pending window messages once.
    virtual void YieldToMessageLoop() = 0;

    // Game view.
    virtual void SetEventEnabled(bool on) = 0;
    virtual void MenuEnableByText(const QString& items) = 0;
    virtual bool FormActivity() const = 0;
    virtual bool IsCtrlDown() const = 0;

    // Screen driver.
    virtual bool DrawActivity() const = 0;
    virtual void SetCursorVisible(bool on) = 0;
    virtual void SetTextVisible(bool on) = 0;

    // User settings.
    virtual bool BoolSetting(const QString& key) const = 0;
    virtual qint32 LongSetting(const QString& key) const = 0;
};
