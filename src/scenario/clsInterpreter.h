#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

#include "scenario/ScriptManager.h"
#include "scenario/ValueResolver.h"
#include "scenario/VariableScope.h"

class ChoiceInstructions;
class CharacterInstructions;
class FlowInstructions;
class SceneInstructions;
class TextInstructions;
class WaitSoundInstructions;
class INIFile;
class INISection;
class InterpreterHost;
class SharedData;
class clsSaveData;
class Script;

// Executes scenario scripts: the program position, the call stack, the wait
// state and the step loop that runs instructions until one waits for the player.
class clsInterpreter : private VariableScope {
public:
    // Runs one decoded instruction; words[0] is the instruction word.
    using Handler = std::function<void(const QStringList& words)>;

    static constexpr qint32 kRunning = 0;
    static constexpr qint32 kSkippedWait = 1;
    static constexpr qint32 kRevealing = 3;
    static constexpr qint32 kClickWait = 4;
    static constexpr qint32 kChoiceWait = 5;
    static constexpr qint32 kButtonWait = 6;
    // Return addresses a call stack holds at most: a scenario that calls
    // without returning reports an error instead of growing without end.
    static constexpr qsizetype kMaxCallDepth = 4096;

    clsInterpreter(InterpreterHost& host, INIFile& systemInfo, SharedData& shared,
                   clsSaveData& saveData);
    ~clsInterpreter() override;

    // Builds the instruction table and starts the script store.
    bool Init();
    bool StepStart();
    // Runs until a wait (true) or the end of execution (false).
    bool StepNext();
    bool GoLabel(const QString& expression);
    void GoSelectedItem(const QString& expression);
    qint32 Sbl(const QString& expression);
    void SaveStatus();
    void LoadStatus();

    qint32 WaitMode() const { return mWaitMode; }
    void SetWaitMode(qint32 mode) { mWaitMode = mode; }
    const std::shared_ptr<Script>& CurrentScript() const { return mCurrentScript; }
    qint32 Address() const { return mAddress; }
    ScriptManager& Scripts() { return mScripts; }
    qint32 LastAutoClickTimer() const { return mLastAutoClickTimer; }
    void SetLastAutoClickTimer(qint32 ms) { mLastAutoClickTimer = ms; }
    qint32 PendingDelay() const { return mPendingDelay; }
    void SetPendingDelay(qint32 ms) { mPendingDelay = ms; }
    const QString& RestText() const { return mRestText; }
    void SetRestText(const QString& text) { mRestText = text; }
    bool TextEnabled() const { return mTextEnabled; }
    void SetTextEnabled(bool on);
    const QStringList& Stack() const { return mStack; }

    // For the instructions: the state of the running step.
    void RegisterInstruction(const QString& word, Handler handler);
    bool IsSkipping() const { return mSkipping; }
    qint32 EffectTime() const { return mEffectTime; }
    void JumpDone() { mAdvance = false; }
    void MarkMoviePlayed() { mMoviePlayed = true; }
    const QString& CurrentLine() const { return mCurrentLine; }
    ValueResolver& Resolver() { return mResolver; }
    ValueResolver& TargetResolver() { return mTargetResolver; }
    INIFile& SystemInfo() { return mSystemInfo; }
    // A value of the system information document.
    QString SystemInfoValue(const QString& section, const QString& key) const;
    SharedData& Shared() { return mShared; }
    clsSaveData& SaveData() { return mSaveData; }
    InterpreterHost& Host() { return mHost; }
    // False (nothing pushed) when the stack is full.
    bool PushReturn(const QString& entry);
    std::optional<QString> PopReturn();
    void ReportRuntimeError(const QString& message);
    // Asks "終了しますか"; on yes closes the engine and ends the running step.
    void AskQuit();
    // The running step ends at once: StepNext returns false (the engine closes).
    void AbortStep() { mStepAborted = true; }
    // The game mode was left: the step ends at once and StepNext returns true
    // without touching the game's menus.
    void LeaveStep() { mStepLeft = true; }

    // Decodes one instruction line against the instruction table.
    bool DecodeInstruction(const QString& line, QStringList& words, QString& error) const;

private:
    // An instruction line decoded once: its words, or the decoding error.
    struct DecodedLine {
        bool ok = false;
        QStringList words;
        QString error;
        QString word;     // words[0] lower-cased
        Handler handler;  // empty when the word has no implementation
    };
    // The decoded lines of one script, filled in as they are first executed.
    struct DecodedScript {
        std::shared_ptr<Script> script;
        std::vector<std::optional<DecodedLine>> lines;
    };

    const INISection* Constants() const override;
    INISection* GameVariables() override;
    INISection* SharedVariables() override;

    void BuildInstructionTable();
    // The line at the current address, decoded; null past the script's end.
    const DecodedLine* CurrentDecodedLine();
    void DetermineSkipping();
    // Executes a decoded line; false when the step must end at once.
    bool Execute(const DecodedLine& line);
    bool StopAtWait();
    bool EndAtScriptEnd();
    void TraceExec(const QStringList& words) const;

    InterpreterHost& mHost;
    INIFile& mSystemInfo;
    SharedData& mShared;
    clsSaveData& mSaveData;
    ScriptManager mScripts;
    ValueResolver mResolver;
    ValueResolver mTargetResolver;
    QHash<QString, QStringList> mInstructionTable;  // lower-cased word -> argument pattern
    QHash<QString, Handler> mHandlers;
    std::unordered_map<const Script*, DecodedScript> mDecoded;
    std::unique_ptr<FlowInstructions> mFlow;
    std::unique_ptr<TextInstructions> mText;
    std::unique_ptr<SceneInstructions> mScene;
    std::unique_ptr<CharacterInstructions> mCharacters;
    std::unique_ptr<WaitSoundInstructions> mWaitSound;
    std::unique_ptr<ChoiceInstructions> mChoices;

    std::shared_ptr<Script> mCurrentScript;
    qint32 mAddress = 0;
    qint32 mWaitMode = kClickWait;
    QString mRestText;
    bool mTextEnabled = false;
    qint32 mLastAutoClickTimer = 0;
    qint32 mPendingDelay = 0;
    QStringList mStack;

    // The running step.
    bool mSkipping = false;
    qint32 mEffectTime = 500;
    bool mAdvance = true;
    bool mStepAborted = false;
    bool mStepLeft = false;
    bool mMoviePlayed = false;
    QString mCurrentLine;
};
