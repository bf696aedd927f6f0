#pragma once

#include <QHash>
#include <QStringList>

#include "platform/os/MsgBox.h"
#include "scenario/InterpreterHost.h"

// Records what the interpreter asks of the engine; answers from its fields.
class FakeInterpreterHost : public InterpreterHost {
public:
    int Msg(const QString& prompt, int style) override {
        messages.append(prompt);
        if ((style & MsgBox::ButtonMask) == MsgBox::YesNo) {
            return answerYes ? MsgBox::IdYes : MsgBox::IdNo;
        }
        return MsgBox::IdOk;
    }
    bool IsDebugMode() const override { return debugMode; }
    void CloseVaro() override {
        ++closeRequests;
        closing = true;
    }
    void PutLog(const QString& line) override { log.append(line); }
    void SaveLog() override { ++logSaves; }
    bool IsEngineClosing() const override { return closing; }
    bool IsSkipMode() const override { return skipMode; }
    void SetSkipMode(bool on) override { skipMode = on; }
    void MakeAutoClickTimer(qint32 interval, qint32 command) override {
        autoClicks.append({interval, command});
    }
    bool IsReplayMode() const override { return replayMode; }
    void YieldToMessageLoop() override {
        ++yields;
        if (closeAfterYields > 0 && yields >= closeAfterYields) {
            closing = true;
        }
    }
    void SetEventEnabled(bool on) override { eventEnabled = on; }
    void MenuEnableByText(const QString& items) override { menus.append(items); }
    bool FormActivity() const override { return formActive; }
    bool IsCtrlDown() const override { return ctrlDown; }
    bool DrawActivity() const override { return drawActive; }
    void SetCursorVisible(bool on) override { cursorVisible = on; }
    void SetTextVisible(bool on) override { textVisible = on; }
    bool BoolSetting(const QString& key) const override { return boolSettings.value(key); }
    qint32 LongSetting(const QString& key) const override { return longSettings.value(key); }

    bool debugMode = true;
    bool answerYes = false;
    bool closing = false;
    bool skipMode = false;
    bool replayMode = false;
    bool formActive = true;
    bool ctrlDown = false;
    bool drawActive = true;
    bool eventEnabled = true;
    bool cursorVisible = true;
    bool textVisible = false;
    int closeRequests = 0;
    int logSaves = 0;
    int yields = 0;
    int closeAfterYields = 0;
    QStringList messages;
    QStringList log;
    QStringList menus;
    QList<QPair<qint32, qint32>> autoClicks;
    QHash<QString, bool> boolSettings;
    QHash<QString, qint32> longSettings;
};
