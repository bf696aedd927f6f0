#include "app/LintTool.h"

#include "app/CommandLine.h"
#include "app/Console.h"
#include "app/LintDocuments.h"
#include "app/LintGame.h"
#include "app/LintReport.h"
#include "app/LintScenarios.h"

int LintTool::Run(const CommandLine& command) {
    LintGame game;
    QString error;
    if (!game.Open(command.gameDir, error)) {
        Console::Fail(QStringLiteral("varo lint: ") + error);
        return 2;
    }
    LintReport report;
    LintScenarios scenarios(game, report);
    scenarios.Check();
    LintDocuments(game, scenarios, report).Check();
    const QStringList lines = report.Lines();
    if (lines.isEmpty()) {
        return 0;
    }
    Console::Out((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
    Console::Err(QStringLiteral("varo lint: %1 problem(s) found\n").arg(lines.size()).toUtf8());
    return 1;
}
