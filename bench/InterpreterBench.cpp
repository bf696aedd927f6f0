#include <benchmark/benchmark.h>

#include <QTemporaryDir>

#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "scenario/FakeInterpreterHost.h"
#include "scenario/clsInterpreter.h"

namespace {

// 3 instructions per round: 333,334 rounds make a million steps.
constexpr int kRounds = 333334;

// Records nothing: the engine's real calls are cheap, the fake's lists are not.
class QuietHost : public FakeInterpreterHost {
public:
    void MenuEnableByText(const QString&) override {}
};

void runMillionSteps(benchmark::State& state, bool skipping) {
    QTemporaryDir dir;
    App().AppDir = dir.path();
    App().ResetSwitchesAndFolders();
    App().ScenarioFileMode = true;
    QDir().mkpath(dir.filePath(QStringLiteral("scenario")));
    stdHelpers::WriteTextFile(
        dir.filePath(QStringLiteral("scenario/bench.txt")),
        QStringLiteral("let count, 0\r\ntop:\r\nadd count, count, 1\r\nlet flag, count\r\n"
                       "if count<%1, top\r\nwait\r\n")
            .arg(kRounds));
    INIFile info;
    info.SetText(
        QStringLiteral("[TextBlock]\r\nCharCount=20\r\nLineCount=3\r\n[Instruction]\r\n"
                       "let\t*\t*\r\nadd\t*\t*\t*\r\nif\t*\t%\t%\r\nwait\r\n"));
    SharedData shared;
    clsSaveData save;
    save.Var().SetKeyValue(QStringLiteral("count"), QStringLiteral("0"));
    save.Var().SetKeyValue(QStringLiteral("flag"), QStringLiteral("0"));
    QuietHost host;
    host.skipMode = skipping;
    host.boolSettings.insert(QStringLiteral("SkipStopUnread"), skipping);
    clsInterpreter intprt(host, info, shared, save);
    intprt.Init();
    intprt.RegisterInstruction(QStringLiteral("wait"), [&](const QStringList&) {
        intprt.SetWaitMode(clsInterpreter::kClickWait);
    });
    for (auto _ : state) {
        intprt.StepStart();
        intprt.GoLabel(QStringLiteral("bench."));
        benchmark::DoNotOptimize(intprt.StepNext());
    }
    state.SetItemsProcessed(state.iterations() * (3 * kRounds + 2));
    App().ResetSwitchesAndFolders();
}

void BM_StepNextMillionInstructions(benchmark::State& state) {
    runMillionSteps(state, false);
}
BENCHMARK(BM_StepNextMillionInstructions)->Unit(benchmark::kMillisecond);

void BM_StepNextMillionSkippingUnreadCheck(benchmark::State& state) {
    runMillionSteps(state, true);
}
BENCHMARK(BM_StepNextMillionSkippingUnreadCheck)->Unit(benchmark::kMillisecond);

}  // namespace
