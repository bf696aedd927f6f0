#include <benchmark/benchmark.h>

#include <QStringList>

#include "data/INIFile.h"
#include "data/INISection.h"

namespace {

constexpr int kKeyCount = 10000;

QString KeyLines(int count) {
    QString text;
    for (int i = 0; i < count; ++i) {
        text += QStringLiteral("key") + QString::number(i) + QStringLiteral("=value") +
                QString::number(i) + QStringLiteral("\r\n");
    }
    return text;
}

// About the given number of characters: sections of indented, commented key lines.
QString Document(qsizetype characters) {
    QString text;
    text.reserve(characters + 256);
    for (int s = 0; text.size() < characters; ++s) {
        text += QStringLiteral("[Section") + QString::number(s) + QStringLiteral("] ; comment\r\n");
        for (int k = 0; k < 40; ++k) {
            text += QStringLiteral("  key") + QString::number(k) + QStringLiteral(" = value ") +
                    QString::number(s * 40 + k) + QStringLiteral(" ; note\r\n");
        }
        text += QStringLiteral("\r\n");
    }
    return text;
}

void BM_IniReadKeys(benchmark::State& state) {
    const QString text = KeyLines(kKeyCount);
    QStringList keys;
    for (int i = 0; i < kKeyCount; ++i) {
        keys << QStringLiteral("KEY") + QString::number(i);
    }
    INISection section;
    for (auto _ : state) {
        section.SetText(text);
        for (const QString& key : keys) {
            benchmark::DoNotOptimize(section.KeyValue(key));
        }
    }
    state.SetItemsProcessed(state.iterations() * kKeyCount);
}
BENCHMARK(BM_IniReadKeys)->Unit(benchmark::kMillisecond);

void BM_IniParseDocument(benchmark::State& state) {
    const QString text = Document(5 * 1024 * 1024);
    INIFile document;
    for (auto _ : state) {
        document.SetText(text);
        benchmark::DoNotOptimize(document.Text());
    }
    state.SetBytesProcessed(state.iterations() * text.size() * qsizetype(sizeof(QChar)));
}
BENCHMARK(BM_IniParseDocument)->Unit(benchmark::kMillisecond);

}  // namespace
