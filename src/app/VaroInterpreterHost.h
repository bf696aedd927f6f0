#pragma once

#include "scenario/InterpreterHost.h"

class clsVaro;

// What the interpreter asks of the launcher, the engine, the game view, the
// screen driver and the user settings, answered by the running engine.
class VaroInterpreterHost : public InterpreterHost {
public:
    explicit VaroInterpreterHost(clsVaro& varo) : mVaro(varo) {}

    int Msg(const QString& prompt, int style) override;
    bool IsDebugMode() const override;
    void CloseVaro() override;
    void PutLog(const QString& line) override;
    void SaveLog() override;

    bool IsEngineClosing() const override;
    bool IsSkipMode() const override;
    void SetSkipMode(bool on) override;
    void MakeAutoClickTimer(qint32 interval, qint32 command) override;
    bool IsReplayMode() const override;
    void YieldToMessageLoop() override;

    void SetEventEnabled(bool on) override;
    void MenuEnableByText(const QString& items) override;
    bool FormActivity() const override;
    bool IsCtrlDown() const override;

    bool DrawActivity() const override;
    void SetCursorVisible(bool on) override;
    void SetTextVisible(bool on) override;

    bool BoolSetting(const QString& key) const override;
    qint32 LongSetting(const QString& key) const override;

private:
    clsVaro& mVaro;
};
