#include "app/LintScenarios.h"

#include <QDir>
#include <optional>

#include "app/LintGame.h"
#include "app/LintReport.h"
#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/clsOskaDriver.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "scenario/ScenarioConverter.h"
#include "scenario/Script.h"
#include "scenario/TextLines.h"
#include "scenario/ValueResolver.h"
#include "scenario/clsInterpreter.h"
#include "screen/MessageTextConverter.h"

enum class LintScenarios::Operand { Picture, Mask, Sound, Movie, Message, Label };

// Which word of an instruction names what (word 0 is the instruction).
struct LintScenarios::OperandRole {
    QString instruction;
    qsizetype word = 0;
    Operand kind = Operand::Picture;
};

namespace {

// The index of the line's only ":", -1 when it has none or several: the
// script store takes such a line as label ":" instruction.
qsizetype soleColon(const QString& line) {
    const qsizetype colon = line.indexOf(QLatin1Char(':'));
    return colon >= 0 && line.indexOf(QLatin1Char(':'), colon + 1) < 0 ? colon : -1;
}

// The value of an expression that needs no constant or variable: a quoted
// text, a number, or a comparison of those. Nothing for any other expression.
std::optional<QString> literalValue(const QString& expression) {
    ValueResolver resolver;
    const QString value = resolver.SetSymbol(expression).Value();
    if (resolver.IsError()) {
        return std::nullopt;
    }
    return value;
}

bool isOmitted(const QString& operand) {
    return operand.isEmpty() || operand == QLatin1String("%");
}

}  // namespace

LintScenarios::LintScenarios(LintGame& game, LintReport& report) : mGame(game), mReport(report) {}

LintScenarios::~LintScenarios() = default;

const std::vector<LintScenarios::OperandRole>& LintScenarios::Roles() {
    static const std::vector<OperandRole> roles = {
        {QStringLiteral("bg"), 1, Operand::Picture},
        {QStringLiteral("cg"), 1, Operand::Picture},
        {QStringLiteral("fc"), 1, Operand::Picture},
        {QStringLiteral("wto"), 1, Operand::Picture},
        {QStringLiteral("bto"), 1, Operand::Picture},
        {QStringLiteral("mto"), 1, Operand::Picture},
        {QStringLiteral("mto"), 2, Operand::Mask},
        {QStringLiteral("dam"), 1, Operand::Mask},
        {QStringLiteral("playending"), 2, Operand::Picture},
        {QStringLiteral("playending"), 3, Operand::Picture},
        {QStringLiteral("playending"), 4, Operand::Picture},
        {QStringLiteral("bgm"), 1, Operand::Sound},
        {QStringLiteral("se"), 1, Operand::Sound},
        {QStringLiteral("sel"), 1, Operand::Sound},
        {QStringLiteral("playmovie"), 1, Operand::Movie},
        {QStringLiteral("put"), 1, Operand::Message},
        {QStringLiteral("go"), 1, Operand::Label},
        {QStringLiteral("call"), 1, Operand::Label},
        {QStringLiteral("if"), 2, Operand::Label},
        {QStringLiteral("if"), 3, Operand::Label},
        {QStringLiteral("item"), 2, Operand::Label},
        {QStringLiteral("er"), 5, Operand::Label},
        {QStringLiteral("er"), 6, Operand::Label},
        {QStringLiteral("ercg"), 2, Operand::Label},
        {QStringLiteral("ercg"), 3, Operand::Label},
    };
    return roles;
}

void LintScenarios::Check() {
    if (App().ScenarioFileMode) {
        ReadLooseScenarios();
    } else {
        ReadArchivedScenarios();
    }
    for (const Scenario& scenario : mScenarios) {
        CheckScenario(scenario);
    }
}

// ---------------------------------------------------------------------------
// Reading

void LintScenarios::ReadLooseScenarios() {
    INIFile& info = mGame.SystemInfo();
    ScenarioConverter converter;
    if (!converter.Init(info)) {
        const qint64 line = info.KeyExists(QStringLiteral("TextBlock"))
                                ? info.KeySection(QStringLiteral("TextBlock")).FirstLine() - 1
                                : 0;
        mReport.Add(mGame.ShownDocument(info, QStringLiteral("SystemInfo")), line,
                    QStringLiteral("[TextBlock] needs CharCount and LineCount above 0: no "
                                   "scenario can be assembled"));
        return;
    }
    const auto folder = GameFolder(App().WorkspaceDir).find(QStringLiteral("scenario"));
    if (!folder || !FileIo::isDirectory(*folder)) {
        return;
    }
    const QStringList files = QDir(*folder).entryList(QDir::Files, QDir::Name);
    for (const QString& fileName : files) {
        if (!fileName.endsWith(QLatin1String(".txt"), Qt::CaseInsensitive)) {
            continue;
        }
        const QString path = *folder + QLatin1Char('/') + fileName;
        Scenario scenario;
        scenario.name = fileName.chopped(4);
        scenario.file = mGame.Shown(path);
        QString text;
        if (!stdHelpers::ReadTextFile(path, text)) {
            mReport.Add(scenario.file, 0, QStringLiteral("cannot be read"));
            AddScenario(std::move(scenario), QString());
            continue;
        }
        for (const QStringView line : TextLines::Split(text)) {
            scenario.source.append(line.toString());
        }
        if (!converter.Assemble(text)) {
            mReport.Add(scenario.file, converter.ErrLine(),
                        QStringLiteral("cannot be assembled: ") + converter.ErrMsg());
            AddScenario(std::move(scenario), QString());
            continue;
        }
        scenario.lines = converter.SourceLineNumbers();
        AddScenario(std::move(scenario), converter.RegularScript());
    }
}

void LintScenarios::ReadArchivedScenarios() {
    clsOskaDriver& archives = mGame.Archives();
    for (const QString& key : mGame.ArchivedScenarioKeys()) {
        Scenario scenario;
        scenario.name = key;
        scenario.file = mGame.ShownEntry(key);
        QString text;
        if (!archives.LoadTextFile(archives.FileKeyToID(key), text)) {
            mReport.Add(scenario.file, 0, QStringLiteral("cannot be read from the archive"));
            text.clear();
        }
        AddScenario(std::move(scenario), text);
    }
}

// An empty text stands for a scenario that cannot be read or assembled.
void LintScenarios::AddScenario(Scenario scenario, const QString& instructionLines) {
    const QString key = scenario.name.toCaseFolded();
    if (mByName.contains(key)) {
        return;
    }
    if (!instructionLines.isEmpty()) {
        scenario.script = std::make_shared<Script>();
        scenario.script->Init(scenario.name, false);
        QString error;
        if (!scenario.script->Parse(instructionLines, error)) {
            ReportDuplicateLabel(scenario, error);
        }
    }
    mByName.insert(key, static_cast<qsizetype>(mScenarios.size()));
    mScenarios.push_back(std::move(scenario));
}

// Parsing stops at the line that defines a label again: that line still holds
// its label, every line before it has lost its own.
void LintScenarios::ReportDuplicateLabel(const Scenario& scenario, const QString& error) {
    const Script& script = *scenario.script;
    for (qint32 address = 0; address < script.Count(); ++address) {
        const QString line = script.Element(address);
        const qsizetype colon = soleColon(line);
        if (colon < 0) {
            continue;
        }
        const QString label = line.left(colon);
        const qint64 first = LineOf(scenario, script.LabelAddress(label));
        mReport.Add(scenario.file, LineOf(scenario, address),
                    QStringLiteral("label '") + label +
                        QStringLiteral("' is defined again (first at line ") +
                        QString::number(first) +
                        QStringLiteral("); the player drops the labels from here on and cannot run "
                                       "the labelled lines"));
        return;
    }
    mReport.Add(scenario.file, 0, error);
}

const LintScenarios::Scenario* LintScenarios::Find(const QString& name) const {
    const auto found = mByName.constFind(name.toCaseFolded());
    return found == mByName.constEnd() ? nullptr : &mScenarios.at(*found);
}

qint64 LintScenarios::LineOf(const Scenario& scenario, qint32 address, const QString& text) const {
    if (address < 0 || static_cast<std::size_t>(address) >= scenario.lines.size()) {
        return address + 1;
    }
    const qint64 last = scenario.lines.at(static_cast<std::size_t>(address));
    if (text.isEmpty()) {
        return last;
    }
    const qint64 first =
        address > 0 ? scenario.lines.at(static_cast<std::size_t>(address) - 1) + 1 : 1;
    for (qint64 line = first; line <= last && line <= scenario.source.size(); ++line) {
        const QString& source = scenario.source.at(line - 1);
        if (source.left(source.indexOf(QStringLiteral("//"))).contains(text, Qt::CaseInsensitive)) {
            return line;
        }
    }
    return last;
}

// ---------------------------------------------------------------------------
// Checking

void LintScenarios::CheckScenario(const Scenario& scenario) {
    if (scenario.script == nullptr) {
        return;
    }
    const clsInterpreter& interpreter = mGame.Interpreter();
    for (qint32 address = 0; address < scenario.script->Count(); ++address) {
        QString line = scenario.script->Element(address);
        // Lines after a label defined twice keep their labels; they are checked as meant.
        if (const qsizetype colon = soleColon(line); colon >= 0) {
            line = line.mid(colon + 1);
        }
        if (line.isEmpty()) {
            continue;
        }
        QStringList words;
        QString error;
        if (!interpreter.DecodeInstruction(line, words, error)) {
            mReport.Add(scenario.file, LineOf(scenario, address),
                        QStringLiteral("cannot be decoded: ") + error);
            continue;
        }
        CheckInstruction(scenario, address, words);
    }
}

void LintScenarios::CheckInstruction(const Scenario& scenario, qint32 address,
                                     const QStringList& words) {
    const QString word = words.first().toLower();
    mWordsUsed.insert(word);
    for (const OperandRole& role : Roles()) {
        if (role.instruction == word && role.word < words.size()) {
            CheckOperand(scenario, address, role.kind, words.at(role.word));
        }
    }
    if (word == QLatin1String("wnd") && words.size() > 1) {
        NoteWindowType(scenario, address, words.at(1));
    }
}

void LintScenarios::CheckOperand(const Scenario& scenario, qint32 address, Operand kind,
                                 const QString& operand) {
    if (isOmitted(operand)) {
        return;
    }
    QString problem;
    switch (kind) {
        case Operand::Picture:
            problem = mGame.PictureProblem(operand, QStringLiteral("picture"));
            break;
        case Operand::Mask:
            problem = mGame.PictureProblem(operand, QStringLiteral("mask"));
            break;
        case Operand::Sound:
            problem = mGame.SoundProblem(operand, QStringLiteral("sound"));
            break;
        case Operand::Movie:
            if (const auto file = literalValue(operand)) {
                problem = mGame.MovieProblem(*file);
            }
            break;
        case Operand::Message:
            CheckMessage(scenario, address, operand);
            break;
        case Operand::Label:
            problem = LabelProblem(operand, scenario.name);
            break;
    }
    if (!problem.isEmpty()) {
        mReport.Add(scenario.file, LineOf(scenario, address), problem);
    }
}

// Every voice code of the whole message, over all its pages.
void LintScenarios::CheckMessage(const Scenario& scenario, qint32 address, const QString& message) {
    const auto text = literalValue(message);
    if (!text) {
        return;
    }
    const MessageTextConverter converter({});
    QString continuation;
    bool wait = true;
    QString voices;
    converter.Convert(*text, continuation, wait, voices, 0);
    for (const QString& voice : voices.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString problem = mGame.SoundProblem(voice, QStringLiteral("voice"));
        if (!problem.isEmpty()) {
            mReport.Add(scenario.file, LineOf(scenario, address, voice), problem);
        }
    }
}

void LintScenarios::NoteWindowType(const Scenario& scenario, qint32 address,
                                   const QString& operand) {
    const QString type = operand == QLatin1String("%") ? QStringLiteral("0") : operand;
    ValueResolver resolver;
    const qint32 number = resolver.SetSymbol(type).NumVal();
    if (!resolver.IsError() && !mWindowTypes.contains(number)) {
        mWindowTypes.insert(number, Place{scenario.file, LineOf(scenario, address)});
    }
}

QString LintScenarios::LabelProblem(const QString& expression, const QString& from) const {
    const QStringList parts = expression.split(QLatin1Char('.'));
    const QString shown = QStringLiteral("label expression '") + expression + QLatin1Char('\'');
    if (parts.size() > 2) {
        return shown + QStringLiteral(" is invalid: it has more than one '.'");
    }
    if (parts.size() == 1 && from.isEmpty()) {
        return shown + QStringLiteral(" names no scenario (write SCENARIO.LABEL)");
    }
    const QString name = parts.size() == 2 ? parts.first() : from;
    const Scenario* target = Find(name);
    if (target == nullptr) {
        return QStringLiteral("scenario '") + name + QStringLiteral("' not found in ") +
               mGame.ScenarioPlace();
    }
    if (target->script == nullptr) {
        return QString();
    }
    const QString& label = parts.last();
    if (const auto number = ValueResolver::WholeNumber(label)) {
        const qint32 address = ValueResolver::RoundHalfEven(*number);
        if (address < 0) {
            return shown + QStringLiteral(" is invalid: a negative address");
        }
        if (address >= target->script->Count()) {
            return QStringLiteral("address ") + QString::number(address) +
                   QStringLiteral(" is past the end of scenario '") + target->name +
                   QStringLiteral("' (") + QString::number(target->script->Count()) +
                   QStringLiteral(" instructions)");
        }
        return QString();
    }
    if (target->script->LabelAddress(label) < 0) {
        return QStringLiteral("label '") + label + QStringLiteral("' not found in scenario '") +
               target->name + QLatin1Char('\'');
    }
    return QString();
}
