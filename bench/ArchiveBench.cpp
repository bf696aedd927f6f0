#include <benchmark/benchmark.h>

#include <QTemporaryDir>
#include <random>
#include <vector>

#include "platform/tusk/OskaArchive.h"
#include "platform/tusk/OskaWriter.h"
#include "platform/tusk/PellLibrary.h"

namespace {

constexpr int kEntries = 5000;
constexpr int kReads = 1000;

// A 5,000-entry archive (the file list and 4,999 files of 1 to 16 KiB, text
// deflated and pictures stored) registered under base 0.
struct ArchiveFixture {
    QTemporaryDir dir;
    PellLibrary pell;
    std::vector<std::int32_t> ids;

    ArchiveFixture() {
        std::mt19937 rng(7);
        std::vector<OskaWriter::Entry> entries{
            {QString::fromLatin1(OskaArchive::kListEntryName), {}, {}}};
        QStringList keys{QString::fromLatin1(OskaArchive::kListKey)};
        for (int i = 1; i < kEntries; ++i) {
            const QString key = QStringLiteral("file%1").arg(i);
            QByteArray bytes(static_cast<qsizetype>(1024 + rng() % (15 * 1024)), '\0');
            for (char& c : bytes) {
                c = static_cast<char>('a' + rng() % 8);
            }
            entries.push_back(
                {key + (i % 2 ? QStringLiteral(".txt") : QStringLiteral(".png")), bytes, {}});
            keys.append(key);
        }
        entries.front().bytes = OskaWriter::fileList(keys);
        const QString path = dir.filePath(QStringLiteral("bench.oska"));
        QString error;
        if (!OskaWriter::write(path, entries, error) || pell.InitializePell(1) != 0 ||
            pell.Pell_SetArchiveName(path, 0) != 0) {
            return;
        }
        for (int i = 0; i < kReads; ++i) {
            ids.push_back(static_cast<std::int32_t>(1 + rng() % (kEntries - 1)));
        }
    }
};

void BM_ArchiveRandomReads(benchmark::State& state) {
    ArchiveFixture fixture;
    if (fixture.ids.empty()) {
        state.SkipWithError("could not build the archive");
        return;
    }
    QByteArray bytes;
    std::int64_t total = 0;
    for (auto _ : state) {
        for (const std::int32_t id : fixture.ids) {
            const std::int32_t size = fixture.pell.Pell_GetDataSize(id);
            fixture.pell.Pell_GetMemory(id, bytes, size);
            total += bytes.size();
        }
    }
    state.SetItemsProcessed(state.iterations() * kReads);
    state.SetBytesProcessed(total);
}
BENCHMARK(BM_ArchiveRandomReads)->Unit(benchmark::kMillisecond);

void BM_ArchiveRegister(benchmark::State& state) {
    ArchiveFixture fixture;
    const QString path = fixture.dir.filePath(QStringLiteral("bench.oska"));
    for (auto _ : state) {
        PellLibrary pell;
        pell.InitializePell(1);
        benchmark::DoNotOptimize(pell.Pell_SetArchiveName(path, 0));
        QByteArray list;
        pell.Pell_GetMemory(0, list, pell.Pell_GetDataSize(0));
    }
}
BENCHMARK(BM_ArchiveRegister)->Unit(benchmark::kMillisecond);

}  // namespace
