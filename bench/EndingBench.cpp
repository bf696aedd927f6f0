// The whole varo program, headless: the story game's one-minute ending roll,
// from the click that reaches `playending` to the game mode going on with the
// scenario after it. The wall time includes the program's start and exit; the
// counter start_only_s is a run of the same game that stops before the roll.
#include <benchmark/benchmark.h>

#include "CopyFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int kRunTimeoutMs = 120000;

bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0;
}

// The story game starting at its ending scenario (the title is skipped).
bool prepareGame(const QString& game) {
    return CopyFolder(QStringLiteral(VARO_SOURCE_DIR "/tests/games/story"), game) &&
           writeFile(game + QStringLiteral("/debug.ini"),
                     "[debug]\r\nTitleSkip=True\r\nScenarioFileMode=True\r\nCGFileMode=True\r\n"
                     "SoundFileMode=True\r\nEntryPoint=ending.start\r\n");
}

struct Run {
    bool finished = false;
    double seconds = 0;
    QByteArray trace;
};

Run playHeadless(const QTemporaryDir& dir, const QByteArray& input) {
    Run run;
    const QString inputPath = dir.filePath(QStringLiteral("input.txt"));
    const QString tracePath = dir.filePath(QStringLiteral("trace.txt"));
    QFile::remove(tracePath);
    if (!writeFile(inputPath, input)) {
        return run;
    }
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.setProgram(QStringLiteral(VARO_BINARY));
    process.setArguments({dir.filePath(QStringLiteral("game")), QStringLiteral("--save-dir"),
                          dir.filePath(QStringLiteral("save")), QStringLiteral("--headless"),
                          QStringLiteral("--input"), inputPath, QStringLiteral("--trace"),
                          tracePath});
    QElapsedTimer timer;
    timer.start();
    process.start();
    run.finished = process.waitForFinished(kRunTimeoutMs);
    run.seconds = static_cast<double>(timer.elapsed()) / 1000.0;
    if (!run.finished) {
        process.kill();
        process.waitForFinished();
    }
    QFile trace(tracePath);
    if (trace.open(QIODevice::ReadOnly)) {
        run.trace = trace.readAll();
    }
    return run;
}

void BM_HeadlessOneMinuteEndingRoll(benchmark::State& state) {
    double startOnly = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        if (!prepareGame(dir.filePath(QStringLiteral("game")))) {
            state.SkipWithError("cannot prepare the game");
            return;
        }
        const Run before = playHeadless(dir, "wait 3000\nquit\n");
        startOnly += before.seconds;
        // After the click the roll runs out by itself and the next message waits.
        const Run roll = playHeadless(dir, "wait 3000\nclick 320 240\n");
        state.SetIterationTime(roll.seconds);
        if (!roll.finished || !roll.trace.contains(" mode 4 14\n") ||
            !roll.trace.contains(" mode 2 7\n")) {
            dir.setAutoRemove(false);
            std::fprintf(stderr, "ending run kept in %s\n", qPrintable(dir.path()));
            state.SkipWithError("the roll did not end in the game mode");
            return;
        }
        state.ResumeTiming();
    }
    state.counters["start_only_s"] =
        startOnly / static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
}
BENCHMARK(BM_HeadlessOneMinuteEndingRoll)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace
