#pragma once

#include "scenario/InstructionGroup.h"
#include "scenario/InterpreterHost.h"

// Choices, scenario buttons, the alarm box and leaving the game: item,
// select, er, ercg, selecter, alarm, restarttitle, restartreplaymode and
// playending.
class ChoiceInstructions : public InstructionGroup {
public:
    explicit ChoiceInstructions(clsInterpreter& interpreter);

    static constexpr qint32 kModeEnding = 4;
    static constexpr qint32 kModeOmake = 5;
    static constexpr qint32 kEndingSubMode = 14;

private:
    void Item(const QStringList& words);
    void Select(const QStringList& words);
    void Button(const QStringList& words);
    void CharacterButton(const QStringList& words);
    void SelectButton(const QStringList& words);
    void Alarm(const QStringList& words);
    void RestartTitle(const QStringList& words);
    void RestartReplayMode(const QStringList& words);
    void PlayEnding(const QStringList& words);

    // False (with the message) in novel mode, where choices cannot be shown.
    bool InWindowMode();
    void StopSkipAfterSelect();
    // Sense bits: a click label reacts to the left click, a pointer label to the pointer.
    static void SetLabels(InterpreterHost::ScenarioButton& button, const QString& clickLabel,
                          const QString& pointerLabel);
};
