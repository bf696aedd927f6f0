#include <benchmark/benchmark.h>

#include "data/Scrambler.h"

namespace {

QString textOfBytes(qsizetype bytes) {
    QString text;
    while (text.size() * 2 < bytes) {
        text += QStringLiteral("[Var]\r\nflag01=1\r\n名前=値\r\n");
    }
    text.truncate(bytes / 2);
    return text;
}

void BM_Scramble1MB(benchmark::State& state) {
    const QString text = textOfBytes(1 << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Scrambler::scrambleText(text));
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_Scramble1MB)->Unit(benchmark::kMillisecond);

void BM_Unscramble1MB(benchmark::State& state) {
    const QByteArray scrambled = Scrambler::scrambleText(textOfBytes(1 << 20));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Scrambler::unscrambleText(scrambled));
    }
    state.SetBytesProcessed(state.iterations() * scrambled.size());
}
BENCHMARK(BM_Unscramble1MB)->Unit(benchmark::kMillisecond);

}  // namespace
