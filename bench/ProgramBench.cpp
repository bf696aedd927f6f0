// The whole varo program in a real X window: time from process start to the
// first presented game picture, memory after start and CPU use while idle.
#include <benchmark/benchmark.h>

#include <unistd.h>
#include "CopyFolder.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include "XWindowWatcher.h"
#include "XvfbServer.h"

namespace {

constexpr int kPollMs = 5;
constexpr int kFirstFrameTimeoutMs = 30000;
// Long enough for the story game's first message to be shown in full.
constexpr int kSettleMs = 4000;
constexpr int kIdleWindowMs = 10000;
constexpr double kKiBPerMiB = 1024.0;

// The display the program's window opens on: the session's own, or else a
// private Xvfb started here.
class BenchDisplay {
public:
    bool open() {
        name_ = qEnvironmentVariable("DISPLAY");
        if (!name_.isEmpty()) {
            return true;
        }
        if (!server_.start()) {
            return false;
        }
        name_ = server_.display();
        return true;
    }
    QString name() const { return name_; }
    std::string errorText() const {
        return "no X display: DISPLAY is not set and Xvfb could not be started (" +
               server_.errorText().toStdString() + ")";
    }

private:
    XvfbServer server_;
    QString name_;
};

std::optional<qint64> firstFrameTime(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray prefix("first-frame ");
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.startsWith(prefix)) {
            bool ok = false;
            const qint64 ms = line.mid(prefix.size()).trimmed().toLongLong(&ok);
            if (ok) {
                return ms;
            }
        }
    }
    return std::nullopt;
}

// A "Vm..." line of /proc/PID/status, in KiB.
std::optional<double> statusKiB(qint64 pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            std::istringstream value(line.substr(field.size() + 1));
            double kib = 0;
            if (value >> kib) {
                return kib;
            }
        }
    }
    return std::nullopt;
}

// User plus system time of a process in clock ticks (fields 14 and 15 of
// /proc/PID/stat, counted after the command name, which may hold spaces).
std::optional<long long> cpuTicks(qint64 pid) {
    std::ifstream statFile("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(statFile)), std::istreambuf_iterator<char>());
    const auto nameEnd = text.rfind(')');
    if (nameEnd == std::string::npos) {
        return std::nullopt;
    }
    std::istringstream fields(text.substr(nameEnd + 1));
    std::string skipped;
    for (int field = 3; field < 14; ++field) {
        fields >> skipped;
    }
    long long utime = 0;
    long long stime = 0;
    if (!(fields >> utime >> stime)) {
        return std::nullopt;
    }
    return utime + stime;
}

// One run of the program on a fresh copy of a test game, with its save folder,
// runtime folder and first-frame file in a private temporary folder.
class PlayerRun {
public:
    // `userAudio`: the sound output a user's start would take, rather than SDL's
    // silent driver.
    PlayerRun(const QString& display, const QString& gameFolder, bool userAudio = false)
        : userAudio_(userAudio) {
        const QString game = dir_.filePath(QStringLiteral("game"));
        if (!dir_.isValid() || !CopyFolder(gameFolder, game) || !makePrivateFolder(runtimeDir()) ||
            !QDir().mkpath(saveDir())) {
            error_ = "cannot prepare the game folder in " + dir_.path().toStdString();
            return;
        }
        process_.setProcessEnvironment(environment(display));
        process_.setStandardOutputFile(dir_.filePath(QStringLiteral("out.txt")));
        process_.setStandardErrorFile(dir_.filePath(QStringLiteral("err.txt")));
        process_.setProgram(QStringLiteral(VARO_BINARY));
        process_.setArguments({game, QStringLiteral("--save-dir"), saveDir()});
    }
    ~PlayerRun() { stop(); }
    PlayerRun(const PlayerRun&) = delete;
    PlayerRun& operator=(const PlayerRun&) = delete;

    bool prepared() const { return error_.empty(); }
    const std::string& errorText() const { return error_; }
    qint64 pid() const { return process_.processId(); }

    // Starts the program; the wall-clock time (ms since the epoch) of the start.
    qint64 start() {
        const qint64 startMs = QDateTime::currentMSecsSinceEpoch();
        process_.start();
        return startMs;
    }

    // The wall-clock time of the first presented game picture, as the program
    // wrote it; nothing when it exits or times out first.
    std::optional<qint64> waitForFirstFrame() {
        if (!process_.waitForStarted()) {
            error_ = "cannot start " VARO_BINARY ": " + process_.errorString().toStdString();
            return std::nullopt;
        }
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < kFirstFrameTimeoutMs) {
            if (const auto frame = firstFrameTime(frameFile())) {
                return frame;
            }
            if (process_.waitForFinished(kPollMs)) {
                error_ = "the program exited (code " + std::to_string(process_.exitCode()) +
                         ") before presenting a game picture: " + standardError();
                return std::nullopt;
            }
        }
        error_ = "no \"first-frame\" line within " + std::to_string(kFirstFrameTimeoutMs) + " ms";
        return std::nullopt;
    }

    bool exited() {
        return process_.state() == QProcess::NotRunning || process_.waitForFinished(0);
    }

    void stop() {
        if (process_.state() != QProcess::NotRunning) {
            process_.kill();
            process_.waitForFinished();
        }
    }

private:
    static bool makePrivateFolder(const QString& path) {
        return QDir().mkpath(path) &&
               QFile::setPermissions(
                   path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    QProcessEnvironment environment(const QString& display) const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        // Other benchmarks in this process switch Qt to the offscreen platform.
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.remove(QStringLiteral("WAYLAND_DISPLAY"));
        env.insert(QStringLiteral("DISPLAY"), display);
        env.insert(QStringLiteral("VARO_FIRST_FRAME_FILE"), frameFile());
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtimeDir());
        if (!userAudio_) {
            env.insert(QStringLiteral("SDL_AUDIODRIVER"), QStringLiteral("dummy"));
        }
        return env;
    }

    QString frameFile() const { return dir_.filePath(QStringLiteral("first-frame.txt")); }
    QString runtimeDir() const { return dir_.filePath(QStringLiteral("runtime")); }
    QString saveDir() const { return dir_.filePath(QStringLiteral("save")); }

    std::string standardError() const {
        QFile file(dir_.filePath(QStringLiteral("err.txt")));
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return file.readAll().trimmed().toStdString();
    }

    bool userAudio_ = false;
    QTemporaryDir dir_;
    QProcess process_;
    std::string error_;
};

// Starts the program and waits for its first picture: the time from the start to
// that picture in ms, or nothing after reporting the error to the benchmark.
std::optional<qint64> startUntilFirstFrame(benchmark::State& state, PlayerRun& run) {
    if (!run.prepared()) {
        state.SkipWithError(run.errorText().c_str());
        return std::nullopt;
    }
    const qint64 startMs = run.start();
    const std::optional<qint64> frameMs = run.waitForFirstFrame();
    if (!frameMs) {
        state.SkipWithError(run.errorText().c_str());
        return std::nullopt;
    }
    return *frameMs - startMs;
}

// For each iteration: a fresh program that has shown its first picture, handed to
// `measure` with the time that took; `measure` returns false to stop.
template <typename Measure>
void forEachStartedRun(benchmark::State& state, const QString& gameName, Measure measure) {
    BenchDisplay display;
    if (!display.open()) {
        state.SkipWithError(display.errorText().c_str());
        return;
    }
    for (auto _ : state) {
        PlayerRun run(display.name(), QStringLiteral(VARO_SOURCE_DIR "/tests/games/") + gameName);
        const std::optional<qint64> elapsedMs = startUntilFirstFrame(state, run);
        if (!elapsedMs || !measure(run, *elapsedMs)) {
            break;
        }
        run.stop();
    }
}

// The minimal game (no scenario) and the story game, which goes straight to
// its first scene and waits for a click after its first message.
const QString kGames[] = {QStringLiteral("minimal"), QStringLiteral("story")};

void BM_ProgramFirstFrame(benchmark::State& state) {
    forEachStartedRun(state, kGames[state.range(0)], [&state](PlayerRun&, qint64 elapsedMs) {
        state.SetIterationTime(static_cast<double>(elapsedMs) / 1000.0);
        return true;
    });
}
BENCHMARK(BM_ProgramFirstFrame)
    ->ArgName("story")
    ->Arg(0)
    ->Arg(1)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);

// Resident memory once the game waits for a click, then the CPU the program
// uses over ten seconds of that wait.
void BM_ProgramIdleAfterStart(benchmark::State& state) {
    forEachStartedRun(state, kGames[state.range(0)], [&state](PlayerRun& run, qint64) {
        QThread::msleep(kSettleMs);
        const auto rssKiB = statusKiB(run.pid(), "VmRSS");
        const auto hwmKiB = statusKiB(run.pid(), "VmHWM");
        const auto ticksBefore = cpuTicks(run.pid());
        QElapsedTimer window;
        window.start();
        QThread::msleep(kIdleWindowMs);
        const auto ticksAfter = cpuTicks(run.pid());
        const double windowSeconds = static_cast<double>(window.elapsed()) / 1000.0;
        if (run.exited() || !rssKiB || !hwmKiB || !ticksBefore || !ticksAfter) {
            state.SkipWithError("the program ended during the idle window");
            return false;
        }
        const double cpuSeconds = static_cast<double>(*ticksAfter - *ticksBefore) /
                                  static_cast<double>(sysconf(_SC_CLK_TCK));
        state.counters["RSS_MiB"] = *rssKiB / kKiBPerMiB;
        state.counters["HWM_MiB"] = *hwmKiB / kKiBPerMiB;
        state.counters["idle_CPU_pct"] = 100.0 * cpuSeconds / windowSeconds;
        return true;
    });
}
BENCHMARK(BM_ProgramIdleAfterStart)
    ->ArgName("story")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

// --- The start seen from outside -------------------------------------------
// What a user sees, measured through the X server alone: the time from the
// process start to the game window being mapped and to its first game picture
// that is not all black, for the bundled game as a user starts it (its own sound
// output). Then memory and CPU at the logo, at the title menu and at the first
// click wait of the story, reached by clicking the title's start button.

const QString kDemoGame = QStringLiteral(VARO_SOURCE_DIR "/games/demo");
constexpr int kDemoHeight = 480;
constexpr int kDemoStartX = 536;  // the title menu's start button
constexpr int kDemoStartY = 254;
// From the start: the logo and its sound, then the title menu from about 7 s.
constexpr int kLogoWindowMs = 1500;
constexpr int kTitleAtMs = 9000;
constexpr int kTitleWindowMs = 4000;
// From the click on start: the first message has been typed out.
constexpr int kFirstWaitAfterMs = 6000;

struct OutsideStart {
    xcb_window_t window = 0;
    double mapMs = 0;
    double pictureMs = 0;
};

std::optional<OutsideStart> watchStart(XWindowWatcher& x, PlayerRun& run, QElapsedTimer& sinceStart,
                                       std::string& error) {
    sinceStart.start();
    run.start();
    OutsideStart seen;
    bool mapped = false;
    while (sinceStart.elapsed() < kFirstFrameTimeoutMs) {
        if (run.exited()) {
            error = "the program exited before showing a picture";
            return std::nullopt;
        }
        if (const auto window = run.pid() > 0 ? x.viewableWindowOf(run.pid()) : std::nullopt) {
            if (!mapped) {
                mapped = true;
                seen.window = *window;
                seen.mapMs = static_cast<double>(sinceStart.nsecsElapsed()) / 1e6;
            }
            // The game picture, not the menu bar above it.
            if (x.showsNonBlack(*window, kDemoHeight)) {
                seen.pictureMs = static_cast<double>(sinceStart.nsecsElapsed()) / 1e6;
                return seen;
            }
        }
        QThread::usleep(500);
    }
    error = "no window with a picture within " + std::to_string(kFirstFrameTimeoutMs) + " ms";
    return std::nullopt;
}

// For each iteration: the bundled game started as a user starts it and watched
// until its first picture, handed to `measure` with what was seen and the time
// since the start; `measure` returns false to stop.
template <typename Measure>
void forEachWatchedDemoStart(benchmark::State& state, Measure measure) {
    BenchDisplay display;
    XWindowWatcher x;
    if (!display.open() || !x.connect(display.name())) {
        state.SkipWithError(display.errorText().c_str());
        return;
    }
    for (auto _ : state) {
        PlayerRun run(display.name(), kDemoGame, true);
        QElapsedTimer sinceStart;
        std::string error = run.errorText();
        const auto seen = run.prepared() ? watchStart(x, run, sinceStart, error) : std::nullopt;
        if (!seen) {
            state.SkipWithError(error.c_str());
            break;
        }
        if (!measure(x, run, *seen, sinceStart)) {
            break;
        }
    }
}

void BM_DemoStartFromOutside(benchmark::State& state) {
    forEachWatchedDemoStart(
        state, [&state](XWindowWatcher&, PlayerRun&, const OutsideStart& seen, QElapsedTimer&) {
            state.SetIterationTime(seen.pictureMs / 1000.0);
            state.counters["map_ms"] = seen.mapMs;
            state.counters["picture_ms"] = seen.pictureMs;
            return true;
        });
}
BENCHMARK(BM_DemoStartFromOutside)
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->Unit(benchmark::kMillisecond);

// Resident memory now and the share of one core used over the next `ms`.
bool recordStage(benchmark::State& state, PlayerRun& run, const std::string& stage, int ms) {
    const auto rssKiB = statusKiB(run.pid(), "VmRSS");
    const auto ticksBefore = cpuTicks(run.pid());
    QElapsedTimer window;
    window.start();
    QThread::msleep(static_cast<unsigned long>(ms));
    const auto ticksAfter = cpuTicks(run.pid());
    if (run.exited() || !rssKiB || !ticksBefore || !ticksAfter) {
        state.SkipWithError(("the program ended at the " + stage).c_str());
        return false;
    }
    const double cpuSeconds =
        static_cast<double>(*ticksAfter - *ticksBefore) / static_cast<double>(sysconf(_SC_CLK_TCK));
    state.counters[stage + "_RSS_MiB"] = *rssKiB / kKiBPerMiB;
    state.counters[stage + "_CPU_pct"] =
        100.0 * cpuSeconds / (static_cast<double>(window.elapsed()) / 1000.0);
    return true;
}

void BM_DemoStages(benchmark::State& state) {
    forEachWatchedDemoStart(state, [&state](XWindowWatcher& x, PlayerRun& run,
                                            const OutsideStart& seen, QElapsedTimer& sinceStart) {
        if (!recordStage(state, run, "logo", kLogoWindowMs)) {
            return false;
        }
        QThread::msleep(
            static_cast<unsigned long>(std::max<qint64>(kTitleAtMs - sinceStart.elapsed(), 0)));
        if (!recordStage(state, run, "title", kTitleWindowMs)) {
            return false;
        }
        if (!x.clickGamePoint(seen.window, kDemoHeight, kDemoStartX, kDemoStartY)) {
            state.SkipWithError("cannot click the title's start button");
            return false;
        }
        QThread::msleep(kFirstWaitAfterMs);
        return recordStage(state, run, "first_wait", kIdleWindowMs);
    });
}
BENCHMARK(BM_DemoStages)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
