#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "base/AppState.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"

bool CopyTestGame(const TempFolder& dir, const QString& name) {
    const QString source = QStringLiteral(VARO_SOURCE_DIR "/tests/games/") + name;
    for (const QString& file : QDir(source).entryList(QDir::Files)) {
        QFile in(source + QLatin1Char('/') + file);
        if (!in.open(QIODevice::ReadOnly)) {
            return false;
        }
        dir.write(file, in.readAll());
    }
    return true;
}

ScriptedPlayer::ScriptedPlayer()
    : platform(std::make_unique<VirtualClock>(), nullptr),
      savedPlatform_(App().platform),
      savedLauncher_(App().Launcher),
      savedSaveDir_(App().SaveDir) {
    platform.setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform.trace()));
    platform.trace().keepInMemory(true);
    App().platform = &platform;
    App().Launcher = &launcher;
}

ScriptedPlayer::~ScriptedPlayer() {
    App().platform = savedPlatform_;
    App().Launcher = savedLauncher_;
    App().SaveDir = savedSaveDir_;
}

namespace {

// A sanitizer build runs the program about three times slower, more on a busy
// machine; the limits are for hangs, not for speed.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kTimeScale = 4;
#else
constexpr int kTimeScale = 1;
#endif

}  // namespace

ProgramRun RunProgram(const QString& program, const QStringList& args, int timeoutMs) {
    timeoutMs *= kTimeScale;
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(env);
    process.start(program, args);
    // Starting takes no time worth limiting; a program that cannot start fails at once.
    if (!process.waitForStarted(-1)) {
        return {-1, {}, "did not start: " + process.errorString().toUtf8()};
    }
    if (!process.waitForFinished(timeoutMs) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(-1);
        ProgramRun run{-1, process.readAllStandardOutput(), process.readAllStandardError()};
        if (!run.err.isEmpty() && !run.err.endsWith('\n')) {
            run.err += '\n';
        }
        run.err += "timed out after " + QByteArray::number(timeoutMs) + " ms";
        return run;
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

ProgramRun RunVaro(const QStringList& args, int timeoutMs) {
    return RunProgram(QStringLiteral(VARO_BINARY), args, timeoutMs);
}

TempFolder::TempFolder() : dir_(QDir::tempPath() + QStringLiteral("/varo-test-XXXXXX")) {}

void TempFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString path = file(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) {
        f.write(bytes);
    }
}

QByteArray TempFolder::read(const QString& name) const {
    QFile f(file(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TempFolder::exists(const QString& name) const {
    return QFileInfo::exists(file(name));
}

QStringList TempFolder::entries() const {
    return QDir(path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}
