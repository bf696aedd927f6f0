#include "app/VaroInterpreterHost.h"

#include <QStringList>
#include <QVariant>

#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "base/EngineWait.h"
#include "data/Configuration.h"
#include "media/clsDovDriver.h"
#include "modes/clsModeBase.h"
#include "platform/Platform.h"
#include "screen/clsEventRect.h"
#include "screen/clsEventRects.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

const QString kScenarioButtonGroup = QStringLiteral("gamemode_button");

}  // namespace

int VaroInterpreterHost::Msg(const QString& prompt, int style) {
    LauncherServices* launcher = App().Launcher;
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
        App().Launcher->SaveLog();
    }
}

void VaroInterpreterHost::RestartTitle() {
    if (App().Launcher != nullptr) {
        App().Launcher->RestartTitle();
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
        const EngineWait wait;
        App().platform->clock().pump();
    }
}

void VaroInterpreterHost::Pause(qint32 ms) {
    if (ms <= 0 || App().platform == nullptr) {
        return;
    }
    const EngineWait wait;
    Clock& clock = App().platform->clock();
    const qint64 end = clock.now() + ms;
    while (clock.now() < end && !App().EngineClosing) {
        clock.sleep(1);
        clock.pump(Clock::Input::Exclude);
    }
}

bool VaroInterpreterHost::PlayMovie(const QString& path, qint32 number) {
    return mVaro.PlayMovie(path, number);
}

void VaroInterpreterHost::ChangeMode(qint32 mode, qint32 subMode, const QString& parameter) {
    mVaro.ChangeMode(mode, subMode, QVariant(parameter));
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

void VaroInterpreterHost::SetSiteName(const QString& name) {
    mVaro.GameView().SetSiteName(name);
}

void VaroInterpreterHost::RaiseScreenCmd(qint32 code) {
    mVaro.GameView().RaiseScreenCmd(code, nullptr);
}

void VaroInterpreterHost::SelectionClear() {
    mVaro.GameView().SelectionClear();
}

void VaroInterpreterHost::RemoveRectsByTag(const QString& tag) {
    mVaro.GameView().EvRects().RemoveByTag(tag);
}

void VaroInterpreterHost::EnableRectsByTag(const QString& tag, bool on) {
    mVaro.GameView().EvRects().EnabledByTag(tag, on);
}

void VaroInterpreterHost::ShowAllRect() {
    mVaro.GameView().EvRects().ShowAllRect();
}

bool VaroInterpreterHost::AddScenarioButton(const ScenarioButton& button) {
    clsKestDriver& kest = mVaro.Kest();
    const clsKestDriver::FilmId film =
        button.character.isEmpty() ? clsKestDriver::kNoFilm : kest.GetCharFilmID(button.character);
    if (!button.character.isEmpty() && film == clsKestDriver::kNoFilm) {
        return false;
    }
    const clsEventRects::RectPtr rect = mVaro.GameView().EvRects().Add(0, kScenarioButtonGroup);
    rect->Text1 = button.character;
    rect->Text2 = button.pointerLabel;
    rect->Text3 = button.clickLabel;
    rect->Type = button.type;
    if (film != clsKestDriver::kNoFilm) {
        rect->FitFilm(film, kest.FilmArea(film));
    } else {
        rect->Move(button.x, button.y, button.width, button.height);
    }
    return true;
}

bool VaroInterpreterHost::DrawActivity() const {
    return mVaro.Kest().DrawActivity();
}

bool VaroInterpreterHost::DrawDeactivate(qint32 effect, qint32 duration) {
    return mVaro.Kest().DrawDeactivate(effect, duration);
}

bool VaroInterpreterHost::DrawActivate(qint32 effect, qint32 duration) {
    return mVaro.Kest().DrawActivate(effect, duration);
}

bool VaroInterpreterHost::LoadBuffMask(const QString& mask) {
    return mVaro.Kest().LoadBuffMask(mask);
}

qint32 VaroInterpreterHost::BaseFilmSet() const {
    return mVaro.Kest().BaseFilmSet();
}

void VaroInterpreterHost::SetBaseFilmSet(qint32 set) {
    mVaro.Kest().SetBaseFilmSet(set);
}

bool VaroInterpreterHost::ChangeWindowType(qint32 type) {
    return mVaro.Kest().ChangeWindowType(type);
}

void VaroInterpreterHost::SetCursorVisible(bool on) {
    mVaro.Kest().SetCursorVisible(on);
}

void VaroInterpreterHost::SetTextVisible(bool on) {
    mVaro.Kest().SetTextVisible(on);
}

void VaroInterpreterHost::SetWaitCancelEnabled(bool on) {
    mVaro.Kest().SetWaitCancelEnabled(on);
}

void VaroInterpreterHost::TextSpeedSetting(qint32 speed) {
    mVaro.Kest().TextSpeedSetting(speed);
}

void VaroInterpreterHost::TextPageTurn() {
    mVaro.Kest().TextPageTurn();
}

void VaroInterpreterHost::TextStart(const QString& page, bool animate) {
    mVaro.Kest().TextStart(page, animate);
}

QString VaroInterpreterHost::CurrentText() const {
    return mVaro.Kest().CurrentText();
}

QString VaroInterpreterHost::ConvertMessageText(const QString& message, QString& rest, bool& wait,
                                                QString& voice, qint32 filmSet) {
    return mVaro.Kest().ConvertMessageText(message, rest, wait, voice, filmSet);
}

const QString& VaroInterpreterHost::BGName() const {
    return mVaro.Kest().BGName();
}

bool VaroInterpreterHost::BGCenter(const QString& name, qint32 x, qint32 y, qint32 duration,
                                   bool absolute) {
    return mVaro.Kest().BGCenter(name, x, y, duration, absolute);
}

bool VaroInterpreterHost::BGFill(qint32 colour, qint32 duration) {
    return mVaro.Kest().BGFill(colour, duration);
}

bool VaroInterpreterHost::BGMove(qint32 x, qint32 y, qint32 duration, bool absolute) {
    return mVaro.Kest().BGMove(x, y, duration, absolute);
}

bool VaroInterpreterHost::CGChange(const QString& picture, qint32 x, qint32 y, qint32 width,
                                   qint32 height, qint32 duration) {
    return mVaro.Kest().CGChange(picture, x, y, width, height, duration);
}

bool VaroInterpreterHost::CGHide(const QString& key, qint32 duration) {
    return mVaro.Kest().CGHide(key, duration);
}

bool VaroInterpreterHost::CGHideAll(qint32 duration) {
    return mVaro.Kest().CGHideAll(duration);
}

bool VaroInterpreterHost::CGMove(const QString& key, qint32 x, qint32 y, bool absolute,
                                 qint32 duration, bool wait) {
    return mVaro.Kest().CGMove(key, x, y, absolute, duration, wait);
}

bool VaroInterpreterHost::CGAlpha(const QString& key, qint32 alpha, qint32 duration, bool wait) {
    return mVaro.Kest().CGAlpha(key, alpha, duration, wait);
}

bool VaroInterpreterHost::CGFlip(const QString& key, qint32 column, qint32 row) {
    return mVaro.Kest().CGFlip(key, column, row);
}

void VaroInterpreterHost::SetCharBlendColor(qint32 colour) {
    mVaro.Kest().CharBlendColor(colour);
}

bool VaroInterpreterHost::CGActClear(const QString& key) {
    return mVaro.Kest().CGActClear(key);
}

bool VaroInterpreterHost::CGActAdd(const QString& key, const QStringList& tokens) {
    return mVaro.Kest().CGActAdd(key, tokens);
}

bool VaroInterpreterHost::CGActStart(const QString& key) {
    return mVaro.Kest().CGActStart(key);
}

bool VaroInterpreterHost::CGActEnd(const QString& key) {
    return mVaro.Kest().CGActEnd(key);
}

bool VaroInterpreterHost::CGActComplete(const QString& key) {
    return mVaro.Kest().CGActComplete(key);
}

bool VaroInterpreterHost::FaceChange(const QString& name) {
    return mVaro.Kest().FaceChange(name);
}

qint32 VaroInterpreterHost::GetCharXPos(const QString& key) const {
    return mVaro.Kest().GetCharXPos(key);
}

bool VaroInterpreterHost::AddChoiceItem(const QString& text, const QString& label) {
    const qint32 before = mVaro.Kest().ChoiceCount();
    mVaro.Kest().AddChoiceItem(text, label);
    return mVaro.Kest().ChoiceCount() > before;
}

qint32 VaroInterpreterHost::ChoiceCount() const {
    return mVaro.Kest().ChoiceCount();
}

void VaroInterpreterHost::ChoiceArrange() {
    mVaro.Kest().ChoiceArrange();
}

void VaroInterpreterHost::SetChoiceVisible(bool on) {
    mVaro.Kest().ChoiceVisible(on);
}

QString VaroInterpreterHost::ChoiceList() const {
    const ChoiceItems& choices = mVaro.Kest().Choices();
    QStringList lines;
    for (int i = 0; i < choices.ChoiceCount(); ++i) {
        lines << QStringLiteral("  %1: %2 -> %3").arg(i).arg(choices.Text(i), choices.Command(i));
    }
    return lines.join(QStringLiteral("\r\n"));
}

bool VaroInterpreterHost::PlayBGM(const QString& name, bool loop) {
    return mVaro.Dov().PlayBGM(name, false, loop);
}

bool VaroInterpreterHost::StopBGM() {
    return mVaro.Dov().StopBGM(false);
}

void VaroInterpreterHost::SetBGMVolumeRate(qint32 rate) {
    mVaro.Dov().SetBGMVolumeRate(rate);
}

bool VaroInterpreterHost::PlaySE(const QString& name) {
    return mVaro.Dov().PlaySE(name, 0);
}

bool VaroInterpreterHost::StopSE() {
    return mVaro.Dov().StopSE();
}

bool VaroInterpreterHost::PlaySELoop(const QString& name, qint32 number) {
    std::int32_t loops = number;
    return mVaro.Dov().PlaySELoop(name, loops, 0);
}

bool VaroInterpreterHost::StopSELoop() {
    return mVaro.Dov().StopSELoop();
}

bool VaroInterpreterHost::PlayCV(const QString& name, qint32 pan) {
    return mVaro.Dov().PlayCV(name, 0, pan);
}

bool VaroInterpreterHost::StopCV() {
    return mVaro.Dov().StopCV();
}

bool VaroInterpreterHost::IsPlayingCV() {
    return mVaro.Dov().IsPlayingCV();
}

qint32 VaroInterpreterHost::SOLength() const {
    return mVaro.Dov().SOLength();
}

void VaroInterpreterHost::ResetSOLength() {
    mVaro.Dov().SetSOLength(0);
}

bool VaroInterpreterHost::BoolSetting(const QString& key) const {
    return mVaro.Cfg().BoolVal(key);
}

qint32 VaroInterpreterHost::LongSetting(const QString& key) const {
    return mVaro.Cfg().LongVal(key);
}

int VaroInterpreterHost::GetIndexByCID(const QString& cid) const {
    return mVaro.Cfg().GetIndexByCID(cid);
}

bool VaroInterpreterHost::CharVoiceEnabled(int index) const {
    return mVaro.Cfg().CharVoiceEnabled(index);
}

bool VaroInterpreterHost::CharIsMale(const QString& cid) const {
    return mVaro.Cfg().CharIsMale(cid);
}
