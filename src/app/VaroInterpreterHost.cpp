#include "app/VaroInterpreterHost.h"

#include "app/AppState.h"
#include "app/clsLaunch.h"
#include "app/clsModeBase.h"
#include "app/clsVaro.h"
#include "data/Configuration.h"
#include "platform/Platform.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

int VaroInterpreterHost::Msg(const QString& prompt, int style) {
    clsLaunch* launcher = App().Launcher;
    return launcher != nullptr ? launcher->Msg(prompt, style) : 0;
}

bool VaroInterpreterHost::IsDebugMode() const {
    return App().Launcher != nullptr && App().Launcher->IsDebugMode();
}

void VaroInterpreterHost::CloseVaro() {
    if (App().Launcher != nullptr) {
        App().Launcher->CloseVaro();
    }
}

void VaroInterpreterHost::PutLog(const QString& line) {
    App().PutLog(line);
}

void VaroInterpreterHost::SaveLog() {
    if (App().Launcher != nullptr) {
        App().Launcher->Log().Save();
    }
}

bool VaroInterpreterHost::IsEngineClosing() const {
    return App().EngineClosing;
}

bool VaroInterpreterHost::IsSkipMode() const {
    return mVaro.IsSkipMode();
}

void VaroInterpreterHost::SetSkipMode(bool on) {
    mVaro.SetSkipMode(on);
}

void VaroInterpreterHost::MakeAutoClickTimer(qint32 interval, qint32 command) {
    mVaro.MakeAutoClickTimer(interval, command, nullptr);
}

bool VaroInterpreterHost::IsReplayMode() const {
    clsModeBase* mode = mVaro.ModeObject();
    return mode != nullptr && mode->IsReplayMode();
}

void VaroInterpreterHost::YieldToMessageLoop() {
    if (App().platform != nullptr) {
        App().platform->clock().pump();
    }
}

void VaroInterpreterHost::SetEventEnabled(bool on) {
    mVaro.GameView().SetEventEnabled(on);
}

void VaroInterpreterHost::MenuEnableByText(const QString& items) {
    mVaro.GameView().MenuEnableByText(items);
}

bool VaroInterpreterHost::FormActivity() const {
    return mVaro.GameView().FormActivity();
}

bool VaroInterpreterHost::IsCtrlDown() const {
    return mVaro.GameView().IsCtrlDown();
}

bool VaroInterpreterHost::DrawActivity() const {
    return mVaro.Kest().DrawActivity();
}

void VaroInterpreterHost::SetCursorVisible(bool on) {
    mVaro.Kest().SetCursorVisible(on);
}

void VaroInterpreterHost::SetTextVisible(bool on) {
    mVaro.Kest().SetTextVisible(on);
}

bool VaroInterpreterHost::BoolSetting(const QString& key) const {
    return mVaro.Cfg().BoolVal(key);
}

qint32 VaroInterpreterHost::LongSetting(const QString& key) const {
    return mVaro.Cfg().LongVal(key);
}
