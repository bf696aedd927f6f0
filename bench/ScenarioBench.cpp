#include <benchmark/benchmark.h>

#include <QString>

#include "scenario/ScenarioConverter.h"

namespace {

constexpr int kLineCount = 100000;

// A scenario of the given number of lines in the usual mix: comments, blank
// lines, labels, commands with arguments, two-line text blocks with speaker
// names and if / elseif / else blocks.
QString Scenario(int lines) {
    const QString group = QStringLiteral(
        "// scene %1\r\n"
        "Scene%1:\r\n"
        "BG \"Room%1\", 0, 0   // background\r\n"
        "\tchar Taro, 1, 320\r\n"
        "\r\n"
        "太郎「今日はいい天気ですね。散歩に\r\n"
        "行きましょうか」\\b\r\n"
        "if Flag(%1) = 1\r\n"
        "  se door, 1\r\n"
        "elseif Flag(%1) = 2\r\n"
        "  花子「\\c(1)また\\n明日」\\b\r\n"
        "else\r\n"
        "  wait 100\r\n"
        "endif\r\n"
        "go scene%2\r\n");
    constexpr int kGroupLines = 15;
    QString text;
    text.reserve(static_cast<qsizetype>(lines) * 24);
    for (int i = 0; i < lines / kGroupLines; ++i) {
        text += group.arg(i).arg(i + 1);
    }
    for (int i = 0; i < lines % kGroupLines; ++i) {
        text += QStringLiteral("nop\r\n");
    }
    return text;
}

void BM_ScenarioAssemble(benchmark::State& state) {
    const QString text = Scenario(kLineCount);
    ScenarioConverter converter;
    converter.Init(20, 3, {QStringLiteral("私"), QStringLiteral("太郎"), QStringLiteral("花子")});
    for (auto _ : state) {
        if (!converter.Assemble(text)) {
            state.SkipWithError("assembly failed");
            break;
        }
        benchmark::DoNotOptimize(converter.RegularScript());
    }
    state.SetItemsProcessed(state.iterations() * kLineCount);
}
BENCHMARK(BM_ScenarioAssemble)->Unit(benchmark::kMillisecond);

}  // namespace
