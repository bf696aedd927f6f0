#pragma once

#include <QHash>
#include <QMap>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class LintGame;
class LintReport;
class Script;

// The scenario part of `varo lint`: reads every scenario the player can load
// (loose files assembled, or archive entries), reports what cannot be
// assembled, labels defined twice and lines the instruction table cannot
// decode, and checks the operands that name labels, pictures, masks, sounds,
// voices and movies. Operands given as value expressions are checked only
// when they are literal (a quoted text or a number).
class LintScenarios {
public:
    LintScenarios(LintGame& game, LintReport& report);
    ~LintScenarios();
    LintScenarios(const LintScenarios&) = delete;
    LintScenarios& operator=(const LintScenarios&) = delete;

    void Check();

    // "" when the label expression leads to an instruction, else what is wrong.
    // `from` is the scenario the expression appears in ("" outside scenarios,
    // where a label alone names nothing). Labels of a scenario that could not
    // be read count as found: that scenario is reported on its own.
    QString LabelProblem(const QString& expression, const QString& from) const;

    // Whether some scenario has an instruction with that word.
    bool Uses(const QString& word) const { return mWordsUsed.contains(word); }

    // A place in a scenario, for findings made about it elsewhere.
    struct Place {
        QString file;
        qint64 line = 0;
    };
    // The window types set with a literal number by `wnd`, each with its first use.
    const QMap<qint32, Place>& WindowTypes() const { return mWindowTypes; }

private:
    struct Scenario {
        QString name;
        QString file;  // as findings show it
        // Null when the scenario cannot be read or assembled (reported).
        std::shared_ptr<Script> script;
        std::vector<qint64> lines;  // the source line of each address
        QStringList source;         // the source lines of a loose file
    };
    enum class Operand;
    struct OperandRole;
    static const std::vector<OperandRole>& Roles();

    void ReadLooseScenarios();
    void ReadArchivedScenarios();
    void AddScenario(Scenario scenario, const QString& instructionLines);
    void ReportDuplicateLabel(const Scenario& scenario, const QString& error);
    void CheckScenario(const Scenario& scenario);
    void CheckInstruction(const Scenario& scenario, qint32 address, const QStringList& words);
    void CheckOperand(const Scenario& scenario, qint32 address, Operand kind,
                      const QString& operand);
    void CheckMessage(const Scenario& scenario, qint32 address, const QString& message);
    void NoteWindowType(const Scenario& scenario, qint32 address, const QString& operand);
    // The line of the address; for a text block the line among its lines that
    // holds the text.
    qint64 LineOf(const Scenario& scenario, qint32 address, const QString& text = {}) const;
    const Scenario* Find(const QString& name) const;

    LintGame& mGame;
    LintReport& mReport;
    std::vector<Scenario> mScenarios;
    QHash<QString, qsizetype> mByName;  // case-folded name -> index
    QSet<QString> mWordsUsed;
    QMap<qint32, Place> mWindowTypes;
};
