#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class InterpreterHost;
class clsInterpreter;

// What every group of instructions shares: registration of its handlers and
// the conventions of reading words (numbers, script coordinates, the "%"
// default, durations under the step's effect time).
class InstructionGroup {
public:
    InstructionGroup(const InstructionGroup&) = delete;
    InstructionGroup& operator=(const InstructionGroup&) = delete;

    // Film sets of the message: the window, or text over the whole screen.
    static constexpr qint32 kWindowMode = 2;
    static constexpr qint32 kNovelMode = 3;
    // Freezing: at once, through black, through white. Releasing: a cut, a
    // cross-fade, the rule transition through the loaded mask.
    static constexpr qint32 kAtOnce = 0;
    static constexpr qint32 kFade = 1;
    static constexpr qint32 kSecond = 2;
    static constexpr qint32 kInstantDuration = 1000;
    // The event-rectangle group of the scenario buttons.
    static inline const QString kButtonTag = QStringLiteral("gamemode_button");

    // The word that asks for the instruction's own default.
    static bool IsDefaultMark(const QString& word) { return word == QLatin1String("%"); }
    // Script x and y in screen pixels: scaled to the screen, halves to even.
    static qint32 ToScreenX(double x);
    static qint32 ToScreenY(double y);

protected:
    explicit InstructionGroup(clsInterpreter& interpreter);
    ~InstructionGroup() = default;

    template <class Group>
    void Register(const char* word, void (Group::*method)(const QStringList&)) {
        Add(QLatin1String(word), [group = static_cast<Group*>(this),
                                  method](const QStringList& words) { (group->*method)(words); });
    }

    // The word as a number; "%" gives the fallback, "-" (a table default of -1) -1.
    qint32 Number(const QString& word, qint32 fallback = 0);
    // A position in script coordinates, converted; "%" is the middle of the script space.
    qint32 PositionX(const QString& word);
    qint32 PositionY(const QString& word);
    // An offset or size in script coordinates, converted; "%" is 0.
    qint32 DistanceX(const QString& word);
    qint32 DistanceY(const QString& word);
    // An explicit duration: 0 whenever the step's effect time is 0; "%" is 0.
    qint32 Duration(const QString& word);
    // The word evaluated as a value expression; errors are reported.
    QString Text(const QString& word);
    // Reports the message unless the operation succeeded; gives `ok`.
    bool Check(bool ok, const QString& message);

    clsInterpreter& mIntprt;
    InterpreterHost& mHost;

private:
    void Add(const QString& word, std::function<void(const QStringList&)> handler);
};
