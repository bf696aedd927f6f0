#include <benchmark/benchmark.h>

#include <QString>

#include "data/SharedData.h"

namespace {

constexpr int kLineCount = 100000;

const QString& ScenarioName() {
    static const QString name = QStringLiteral("chapter01");
    return name;
}

// Reading one scenario forward line by line, as the interpreter records it.
void BM_SharedDataForwardReading(benchmark::State& state) {
    for (auto _ : state) {
        SharedData data;
        for (int line = 0; line < kLineCount; ++line) {
            data.AddCmdHistory(ScenarioName(), line);
        }
        benchmark::DoNotOptimize(data);
    }
    state.SetItemsProcessed(state.iterations() * kLineCount);
}
BENCHMARK(BM_SharedDataForwardReading)->Unit(benchmark::kMillisecond);

// Skip mode checking each of those lines in reading order.
void BM_SharedDataCmdExistsInOrder(benchmark::State& state) {
    SharedData data;
    for (int line = 0; line < kLineCount; ++line) {
        data.AddCmdHistory(ScenarioName(), line);
    }
    for (auto _ : state) {
        int found = 0;
        for (int line = 0; line < kLineCount; ++line) {
            found += data.CmdExists(ScenarioName(), line) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kLineCount);
}
BENCHMARK(BM_SharedDataCmdExistsInOrder)->Unit(benchmark::kMillisecond);

// A scenario read with gaps (every other line): many ranges, checked in order.
void BM_SharedDataCmdExistsManyRanges(benchmark::State& state) {
    SharedData data;
    for (int line = 0; line < 2 * kLineCount; line += 2) {
        data.AddCmdHistory(ScenarioName(), line);
    }
    for (auto _ : state) {
        int found = 0;
        for (int line = 0; line < 2 * kLineCount; line += 2) {
            found += data.CmdExists(ScenarioName(), line) ? 1 : 0;
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetItemsProcessed(state.iterations() * kLineCount);
}
BENCHMARK(BM_SharedDataCmdExistsManyRanges)->Unit(benchmark::kMillisecond);

}  // namespace
