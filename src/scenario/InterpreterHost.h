#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

// What the interpreter and its instructions need from the launcher, the engine
// core, the game view, the screen driver, the sound driver and the user
// settings. The engine implements it; tests use fakes that record the calls.
// Operations that can fail answer false; the instruction reports the failure.
class InterpreterHost {
public:
    // A scenario button: an event rectangle of the group "gamemode_button".
    struct ScenarioButton {
        std::int32_t x = 0;
        std::int32_t y = 0;
        std::int32_t width = 0;
        std::int32_t height = 0;
        // Sense bits of the rectangle (clsEventRect::Type).
        std::int32_t type = 0;
        QString clickLabel;    // Text3
        QString pointerLabel;  // Text2
        // The character picture whose film the rectangle covers (Text1); when
        // empty the rectangle is placed at x, y, width, height.
        QString character;
    };

    virtual ~InterpreterHost() = default;

    // Launcher.
    virtual int Msg(const QString& prompt, int style) = 0;
    virtual bool IsDebugMode() const = 0;
    virtual void CloseVaro() = 0;
    virtual void PutLog(const QString& line) = 0;
    virtual void SaveLog() = 0;
    virtual void RestartTitle() = 0;

    // Engine core.
    virtual bool IsEngineClosing() const = 0;
    virtual bool IsSkipMode() const = 0;
    virtual void SetSkipMode(bool on) = 0;
    virtual void MakeAutoClickTimer(qint32 interval, qint32 command) = 0;
    virtual bool IsReplayMode() const = 0;
    // Processes pending window messages once.
    virtual void YieldToMessageLoop() = 0;
    // Blocks for the time while the screen keeps painting; no player input is
    // delivered. Ends early when the engine starts closing.
    virtual void Pause(qint32 ms) = 0;
    // Plays the movie file (a path inside the game folder) in the game picture.
    virtual bool PlayMovie(const QString& path, qint32 number) = 0;
    virtual void ChangeMode(qint32 mode, qint32 subMode, const QString& parameter) = 0;

    // Game view.
    virtual void SetEventEnabled(bool on) = 0;
    virtual void MenuEnableByText(const QString& items) = 0;
    virtual bool FormActivity() const = 0;
    virtual bool IsCtrlDown() const = 0;
    virtual void SetSiteName(const QString& name) = 0;
    virtual void RaiseScreenCmd(qint32 code) = 0;
    virtual void SelectionClear() = 0;
    virtual void RemoveRectsByTag(const QString& tag) = 0;
    virtual void EnableRectsByTag(const QString& tag, bool on) = 0;
    virtual void ShowAllRect() = 0;
    virtual bool AddScenarioButton(const ScenarioButton& button) = 0;

    // Screen driver: drawing, film sets and the text window.
    virtual bool DrawActivity() const = 0;
    virtual bool DrawDeactivate(qint32 effect, qint32 duration) = 0;
    virtual bool DrawActivate(qint32 effect, qint32 duration) = 0;
    virtual bool LoadBuffMask(const QString& mask) = 0;
    virtual qint32 BaseFilmSet() const = 0;
    virtual void SetBaseFilmSet(qint32 set) = 0;
    virtual bool ChangeWindowType(qint32 type) = 0;
    virtual void SetCursorVisible(bool on) = 0;
    virtual void SetTextVisible(bool on) = 0;
    virtual void SetWaitCancelEnabled(bool on) = 0;
    virtual void TextSpeedSetting(qint32 speed) = 0;
    virtual void TextPageTurn() = 0;
    // Reveals the page; with the animation it returns when the text is fully
    // shown or the player cut it short.
    virtual void TextStart(const QString& page, bool animate) = 0;
    virtual QString CurrentText() const = 0;
    virtual QString ConvertMessageText(const QString& message, QString& rest, bool& wait,
                                       QString& voice, qint32 filmSet) = 0;

    // Screen driver: background and characters.
    virtual const QString& BGName() const = 0;
    virtual bool BGCenter(const QString& name, qint32 x, qint32 y, qint32 duration,
                          bool absolute) = 0;
    virtual bool BGFill(qint32 colour, qint32 duration) = 0;
    virtual bool BGMove(qint32 x, qint32 y, qint32 duration, bool absolute) = 0;
    virtual bool CGChange(const QString& picture, qint32 x, qint32 y, qint32 width, qint32 height,
                          qint32 duration) = 0;
    virtual bool CGHide(const QString& key, qint32 duration) = 0;
    virtual bool CGHideAll(qint32 duration) = 0;
    virtual bool CGMove(const QString& key, qint32 x, qint32 y, bool absolute, qint32 duration,
                        bool wait) = 0;
    virtual bool CGAlpha(const QString& key, qint32 alpha, qint32 duration, bool wait) = 0;
    virtual bool CGFlip(const QString& key, qint32 column, qint32 row) = 0;
    virtual void SetCharBlendColor(qint32 colour) = 0;
    virtual bool CGActClear(const QString& key) = 0;
    virtual bool CGActAdd(const QString& key, const QStringList& tokens) = 0;
    virtual bool CGActStart(const QString& key) = 0;
    virtual bool CGActEnd(const QString& key) = 0;
    virtual bool CGActComplete(const QString& key) = 0;
    virtual bool FaceChange(const QString& name) = 0;
    virtual qint32 GetCharXPos(const QString& key) const = 0;

    // Screen driver: choices.
    virtual bool AddChoiceItem(const QString& text, const QString& label) = 0;
    virtual qint32 ChoiceCount() const = 0;
    virtual void ChoiceArrange() = 0;
    virtual void SetChoiceVisible(bool on) = 0;
    // The choices' texts and labels for the log, one line each.
    virtual QString ChoiceList() const = 0;

    // Sound driver.
    virtual bool PlayBGM(const QString& name, bool loop) = 0;
    virtual bool StopBGM() = 0;
    virtual void SetBGMVolumeRate(qint32 rate) = 0;
    virtual bool PlaySE(const QString& name) = 0;
    virtual bool StopSE() = 0;
    virtual bool PlaySELoop(const QString& name, qint32 number) = 0;
    virtual bool StopSELoop() = 0;
    virtual bool PlayCV(const QString& name, qint32 pan) = 0;
    virtual bool StopCV() = 0;
    virtual bool IsPlayingCV() = 0;
    // Length in ms of the sound started last; reset to 0 before a message.
    virtual qint32 SOLength() const = 0;
    virtual void ResetSOLength() = 0;

    // User settings.
    virtual bool BoolSetting(const QString& key) const = 0;
    virtual qint32 LongSetting(const QString& key) const = 0;
    // Characters of the settings: index by character ID (-1 unknown).
    virtual int GetIndexByCID(const QString& cid) const = 0;
    virtual bool CharVoiceEnabled(int index) const = 0;
    virtual bool CharIsMale(const QString& cid) const = 0;
};
