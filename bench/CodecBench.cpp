#include <benchmark/benchmark.h>

#include "platform/os/Cp932Codec.h"

namespace {

QByteArray japaneseBytes(qsizetype size) {
    const QByteArray line =
        Cp932Codec::encode(QStringLiteral("「おはよう」と彼女は言った。ｱｲｳ①～ text 123\r\n"));
    QByteArray bytes;
    while (bytes.size() < size) {
        bytes += line;
    }
    bytes.truncate(size);
    return bytes;
}

void BM_Cp932Decode1MB(benchmark::State& state) {
    const QByteArray bytes = japaneseBytes(1 << 20);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Cp932Codec::decode(bytes));
    }
    state.SetBytesProcessed(state.iterations() * bytes.size());
}
BENCHMARK(BM_Cp932Decode1MB)->Unit(benchmark::kMillisecond);

void BM_Cp932Encode1MB(benchmark::State& state) {
    const QString text = Cp932Codec::decode(japaneseBytes(1 << 20));
    for (auto _ : state) {
        benchmark::DoNotOptimize(Cp932Codec::encode(text));
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_Cp932Encode1MB)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
