// The writer the kill test of durable writes kills: `varo_kill_writer SAVE_DIR`.
//
// Each line "FIRST_VERSION DELAY_US AFTER_ROUND" on standard input starts one
// writer, a fork of this process (so the libraries load only once), which
// opens the settings and the shared data in the save folder with the engine's
// own classes and then writes the settings, the shared data and one save slot
// (document and picture) again and again, each round with the next version.
// Once the writer is ready (with AFTER_ROUND 1: once it has written a whole
// round), DELAY_US microseconds later it is killed with SIGKILL, and the
// answer is "killed" (or "failed" when the writer ended by itself).
#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <chrono>
#include <thread>

#include "base/AppState.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "killwriter/KillWriterFormat.h"

namespace {

constexpr char kReady = 'r';
constexpr char kWrote = 'w';

void Tell(int fd, char what) {
    [[maybe_unused]] const ssize_t written = write(fd, &what, 1);
}

void WriteSettings(Configuration& config, int version) {
    for (const QString& key : killwriter::SettingKeys()) {
        config.SetLongVal(key, version);
    }
    config.Save();
}

void WriteShared(SharedData& shared, int version) {
    for (const QString& key : killwriter::SharedKeys()) {
        shared.Var().SetKeyValue(key, QString::number(version));
    }
    shared.Save();
}

void WriteSlot(clsSaveData& save, int version) {
    for (const QString& key : killwriter::SlotKeys()) {
        save.Var().SetKeyValue(key, QString::number(version));
    }
    save.Save(killwriter::SlotName(), killwriter::Picture(version));
}

// The writer: never returns.
[[noreturn]] void Write(const QString& saveDir, int firstVersion, int toldFd) {
    App().AppDir = saveDir;
    App().ResetSwitchesAndFolders();
    App().SaveDir = saveDir;
    INIFile systemInfo;
    systemInfo.SetText(killwriter::SystemInfo());
    Configuration config([] { return QStringList(); });
    SharedData shared;
    clsSaveData save;
    if (!config.Init(systemInfo) || !shared.Init(systemInfo, INIFile())) {
        _exit(1);
    }
    Tell(toldFd, kReady);
    for (int version = firstVersion;; ++version) {
        WriteSettings(config, version);
        WriteShared(shared, version);
        WriteSlot(save, version);
        Tell(toldFd, kWrote);
    }
}

// Reads what the writer tells until `awaited`; false when it ended first.
bool AwaitWriter(int fd, char awaited) {
    char told = 0;
    while (told != awaited) {
        if (read(fd, &told, 1) != 1) {
            return false;
        }
    }
    return true;
}

// One writer, killed as the line asks. True when the kill ended it.
bool RunAndKill(const QString& saveDir, int firstVersion, int delayUs, bool afterRound) {
    int told[2];
    if (pipe(told) != 0) {
        return false;
    }
    const pid_t writer = fork();
    if (writer == 0) {
        close(told[0]);
        Write(saveDir, firstVersion, told[1]);
    }
    close(told[1]);
    if (writer < 0) {
        close(told[0]);
        return false;
    }
    const bool awaited = AwaitWriter(told[0], afterRound ? kWrote : kReady);
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
    kill(writer, SIGKILL);
    int status = 0;
    waitpid(writer, &status, 0);
    close(told[0]);
    return awaited && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: varo_kill_writer SAVE_DIR\n", stderr);
        return 2;
    }
    const QString saveDir = QString::fromLocal8Bit(argv[1]);
    int firstVersion = 0;
    int delayUs = 0;
    int afterRound = 0;
    while (std::scanf("%d %d %d", &firstVersion, &delayUs, &afterRound) == 3) {
        const bool killed = RunAndKill(saveDir, firstVersion, delayUs, afterRound != 0);
        std::fputs(killed ? "killed\n" : "failed\n", stdout);
        std::fflush(stdout);
    }
    return 0;
}
