// The whole varo program, headless: skip mode through ten thousand messages the
// player has already read, from the click that starts it to the program's exit.
#include <benchmark/benchmark.h>

#include "CopyFolder.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "base/AppState.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "platform/os/Cp932Codec.h"

namespace {

constexpr int kMessages = 10000;
constexpr int kRunTimeoutMs = 120000;
const QString kScenario = QStringLiteral("skipbench");

// Text lines take full-width characters only.
QString fullWidthNumber(int number) {
    QString digits = QStringLiteral("%1").arg(number, 5, 10, QLatin1Char('0'));
    for (QChar& digit : digits) {
        digit = QChar(digit.unicode() - u'0' + u'０');
    }
    return digits;
}

bool writeDocument(const QString& path, const QString& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(Cp932Codec::encode(text)) >= 0;
}

INIFile readDocument(const QString& path) {
    INIFile document;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        document.SetText(Cp932Codec::decode(file.readAll()));
    }
    return document;
}

// The test game with a scenario of ten thousand one-line messages that starts
// at once, and shared data in which every one of them has been read.
bool prepareGame(const QString& game, const QString& saveDir) {
    QString scenario = QStringLiteral("start:\r\nda\r\n");
    for (int i = 0; i < kMessages; ++i) {
        scenario += QStringLiteral("既読のメッセージ%1です。\\b\r\n").arg(fullWidthNumber(i));
    }
    if (!CopyFolder(QStringLiteral(VARO_SOURCE_DIR "/tests/games/story"), game) ||
        !writeDocument(game + QStringLiteral("/scenario/") + kScenario + QStringLiteral(".txt"),
                       scenario) ||
        !writeDocument(game + QStringLiteral("/debug.ini"),
                       QStringLiteral("[debug]\r\nTitleSkip=True\r\nScenarioFileMode=True\r\n"
                                      "EntryPoint=") +
                           kScenario + QStringLiteral(".start\r\n"))) {
        return false;
    }
    App().AppDir = game;
    App().SaveDir = saveDir;
    SharedData shared;
    const INIFile info = readDocument(game + QStringLiteral("/SystemInfo.ini"));
    const INIFile omake = readDocument(game + QStringLiteral("/omake_mode.ini"));
    if (!shared.Init(info, omake)) {
        return false;
    }
    // Every instruction of the scenario counts as executed before.
    for (int line = 0; line <= kMessages; ++line) {
        shared.AddCmdHistory(kScenario, line);
    }
    return shared.Save();
}

void BM_HeadlessSkipTenThousandReadMessages(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir dir;
        const QString game = dir.filePath(QStringLiteral("game"));
        const QString saveDir = dir.filePath(QStringLiteral("save"));
        const QString input = dir.filePath(QStringLiteral("input.txt"));
        QFile inputFile(input);
        if (!prepareGame(game, saveDir) || !inputFile.open(QIODevice::WriteOnly) ||
            inputFile.write("wait 1500\nmenu message!skip\nclick 320 240\n") < 0) {
            state.SkipWithError("cannot prepare the game");
            return;
        }
        inputFile.close();
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProgram(QStringLiteral(VARO_BINARY));
        process.setArguments({game, QStringLiteral("--save-dir"), saveDir,
                              QStringLiteral("--headless"), QStringLiteral("--input"), input,
                              QStringLiteral("--trace"),
                              dir.filePath(QStringLiteral("trace.txt"))});
        state.ResumeTiming();
        QElapsedTimer timer;
        timer.start();
        process.start();
        const bool finished = process.waitForFinished(kRunTimeoutMs);
        state.SetIterationTime(static_cast<double>(timer.elapsed()) / 1000.0);
        state.PauseTiming();
        QFile trace(dir.filePath(QStringLiteral("trace.txt")));
        const qsizetype executed =
            trace.open(QIODevice::ReadOnly) ? trace.readAll().count(" exec skipbench ") : 0;
        state.counters["messages_executed"] = static_cast<double>(executed);
        if (!finished || executed < kMessages) {
            process.kill();
            process.waitForFinished();
            // The game, input and trace stay for a look at what went wrong.
            dir.setAutoRemove(false);
            std::fprintf(stderr, "skip run kept in %s\n", qPrintable(dir.path()));
            state.SkipWithError("the run did not skip through every message");
            return;
        }
        state.ResumeTiming();
    }
    App().ResetSwitchesAndFolders();
}
BENCHMARK(BM_HeadlessSkipTenThousandReadMessages)
    ->UseManualTime()
    ->Iterations(3)
    ->Unit(benchmark::kSecond);

}  // namespace
