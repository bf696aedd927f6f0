#pragma once

#include "scenario/InterpreterHost.h"

class clsVaro;

// What the interpreter asks of the launcher, the engine, the game view, the
// screen driver, the sound driver and the user settings, answered by the
// running engine.
class VaroInterpreterHost : public InterpreterHost {
public:
    explicit VaroInterpreterHost(clsVaro& varo) : mVaro(varo) {}

    int Msg(const QString& prompt, int style) override;
    bool IsDebugMode() const override;
    void CloseVaro() override;
    void PutLog(const QString& line) override;
    void SaveLog() override;
    void RestartTitle() override;

    bool IsEngineClosing() const override;
    bool IsSkipMode() const override;
    void SetSkipMode(bool on) override;
    void MakeAutoClickTimer(qint32 interval, qint32 command) override;
    bool IsReplayMode() const override;
    void YieldToMessageLoop() override;
    // Sleeps 1 ms at a time on the platform clock and pumps with user input
    // held back, so frames and animations go on; the virtual clock of a
    // headless run advances without real waiting.
    void Pause(qint32 ms) override;
    bool PlayMovie(const QString& path, qint32 number) override;
    void ChangeMode(qint32 mode, qint32 subMode, const QString& parameter) override;

    void SetEventEnabled(bool on) override;
    void MenuEnableByText(const QString& items) override;
    bool FormActivity() const override;
    bool IsCtrlDown() const override;
    void SetSiteName(const QString& name) override;
    void RaiseScreenCmd(qint32 code) override;
    void SelectionClear() override;
    void RemoveRectsByTag(const QString& tag) override;
    void EnableRectsByTag(const QString& tag, bool on) override;
    void ShowAllRect() override;
    // A rectangle of the group "gamemode_button"; one on a character covers
    // the character's film and is refused (false) while no film shows it.
    bool AddScenarioButton(const ScenarioButton& button) override;

    bool DrawActivity() const override;
    bool DrawDeactivate(qint32 effect, qint32 duration) override;
    bool DrawActivate(qint32 effect, qint32 duration) override;
    bool LoadBuffMask(const QString& mask) override;
    qint32 BaseFilmSet() const override;
    void SetBaseFilmSet(qint32 set) override;
    bool ChangeWindowType(qint32 type) override;
    void SetCursorVisible(bool on) override;
    void SetTextVisible(bool on) override;
    void SetWaitCancelEnabled(bool on) override;
    void TextSpeedSetting(qint32 speed) override;
    void TextPageTurn() override;
    void TextStart(const QString& page, bool animate) override;
    QString CurrentText() const override;
    QString ConvertMessageText(const QString& message, QString& rest, bool& wait, QString& voice,
                               qint32 filmSet) override;

    const QString& BGName() const override;
    bool BGCenter(const QString& name, qint32 x, qint32 y, qint32 duration, bool absolute) override;
    bool BGFill(qint32 colour, qint32 duration) override;
    bool BGMove(qint32 x, qint32 y, qint32 duration, bool absolute) override;
    bool CGChange(const QString& picture, qint32 x, qint32 y, qint32 width, qint32 height,
                  qint32 duration) override;
    bool CGHide(const QString& key, qint32 duration) override;
    bool CGHideAll(qint32 duration) override;
    bool CGMove(const QString& key, qint32 x, qint32 y, bool absolute, qint32 duration,
                bool wait) override;
    bool CGAlpha(const QString& key, qint32 alpha, qint32 duration, bool wait) override;
    bool CGFlip(const QString& key, qint32 column, qint32 row) override;
    void SetCharBlendColor(qint32 colour) override;
    bool CGActClear(const QString& key) override;
    bool CGActAdd(const QString& key, const QStringList& tokens) override;
    bool CGActStart(const QString& key) override;
    bool CGActEnd(const QString& key) override;
    bool CGActComplete(const QString& key) override;
    bool FaceChange(const QString& name) override;
    qint32 GetCharXPos(const QString& key) const override;

    // False when the item was not taken (outside window mode, or five in use).
    bool AddChoiceItem(const QString& text, const QString& label) override;
    qint32 ChoiceCount() const override;
    void ChoiceArrange() override;
    void SetChoiceVisible(bool on) override;
    QString ChoiceList() const override;

    bool PlayBGM(const QString& name, bool loop) override;
    bool StopBGM() override;
    void SetBGMVolumeRate(qint32 rate) override;
    bool PlaySE(const QString& name) override;
    bool StopSE() override;
    bool PlaySELoop(const QString& name, qint32 number) override;
    bool StopSELoop() override;
    bool PlayCV(const QString& name, qint32 pan) override;
    bool StopCV() override;
    bool IsPlayingCV() override;
    qint32 SOLength() const override;
    void ResetSOLength() override;

    bool BoolSetting(const QString& key) const override;
    qint32 LongSetting(const QString& key) const override;
    int GetIndexByCID(const QString& cid) const override;
    bool CharVoiceEnabled(int index) const override;
    bool CharIsMale(const QString& cid) const override;

private:
    clsVaro& mVaro;
};
