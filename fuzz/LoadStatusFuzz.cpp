// Save slots from outside: the input is the text of a save slot (an INI
// document) written as the quick-save slot of the story test game, which an
// engine running in this process loads as the player's quick load does. Every
// subsystem then reads its part of the damaged slot (game view and its event
// rectangles, screen and its choices, interpreter, sound), the game goes on a
// few clicks and is quick-saved again.
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "app/clsLaunch.h"
#include "app/clsVaro.h"
#include "base/AppState.h"
#include "data/Scrambler.h"
#include "data/clsSaveData.h"
#include "platform/Platform.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/FileIo.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"
#include "screen/clsGameView.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The story game's quick-save slot (QSavePageNum=99, slot 0).
constexpr std::int32_t kQuickPage = 99;

// Files are written durably; a RAM folder, when there is one, keeps each input
// from waiting for the disk.
QString WorkRoot() {
    return QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                              : QDir::tempPath();
}

bool CopyStoryGame(const QString& to) {
    const QString source = QStringLiteral(VARO_SOURCE_DIR "/tests/games/story");
    QDirIterator files(source, QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext()) {
        const QString path = files.next();
        const QString target = to + QLatin1Char('/') + QDir(source).relativeFilePath(path);
        QDir().mkpath(QFileInfo(target).path());
        QFile::remove(target);
        if (!QFile::copy(path, target)) {
            return false;
        }
    }
    return true;
}

// The engine on a virtual clock with scripted message boxes, in this process.
class Engine {
public:
    Engine() : platform_(std::make_unique<VirtualClock>(), nullptr) {
        platform_.setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform_.trace()));
        App().platform = &platform_;
        Require(folder_.isValid() && CopyStoryGame(folder_.path()));
        static std::string copy;
        copy = folder_.path().toStdString();
        std::atexit([] { std::filesystem::remove_all(copy); });
        folder_.setAutoRemove(false);
    }
    // Never destroyed: at exit Qt's own globals may already be gone, so only the
    // game folder's copy is removed then.
    ~Engine() = delete;
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The running engine, started again when a slot made it close.
    clsVaro& Running() {
        if (launcher_ && (App().EngineClosing || launcher_->Varo() == nullptr)) {
            Stop();
        }
        if (!launcher_) {
            Start();
        }
        return *launcher_->Varo();
    }

    bool Closed() const { return App().EngineClosing || launcher_->Varo() == nullptr; }

    // Lets `ms` of virtual time pass, every timer firing at its time.
    void PumpFor(qint64 ms) {
        VirtualClock& clock = static_cast<VirtualClock&>(platform_.clock());
        const qint64 until = clock.now() + ms;
        clock.pump();
        while (clock.now() < until && !Closed()) {
            const std::optional<qint64> due = clock.nextDue();
            const qint64 next = due && *due > clock.now() ? std::min(*due, until) : clock.now() + 1;
            clock.sleep(static_cast<int>(next - clock.now()));
            clock.pump();
        }
    }

private:
    void Start() {
        App().AppDir = folder_.path();
        App().SaveDir = folder_.filePath(QStringLiteral("savedata"));
        App().EngineClosing = false;
        App().Launcher = nullptr;
        launcher_ = std::make_unique<clsLaunch>();
        App().Launcher = launcher_.get();
        Require(launcher_->Init());
        launcher_->OpenVaro();
        Require(launcher_->Varo() != nullptr);
        PumpFor(50);
    }
    void Stop() {
        launcher_->ExitApp();
        launcher_.reset();
        App().Archives = nullptr;
        App().Launcher = nullptr;
        App().EngineClosing = false;
        App().ResetSwitchesAndFolders();
    }

    QTemporaryDir folder_{WorkRoot() + QStringLiteral("/varo-loadstatus-fuzz-XXXXXX")};
    Platform platform_;
    std::unique_ptr<clsLaunch> launcher_;
};

Engine& TheEngine() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "LoadStatusFuzz";
        static char* argv[] = {name, nullptr};
        // Kept to the end, like the engine whose windows it holds.
        new QApplication(argc, argv);
    }
    static Engine* engine = new Engine;
    return *engine;
}

void WriteSlot(const QString& text) {
    const QString path = clsSaveData::FormatINIPath(kQuickPage, 0);
    Require(FileIo::writeDurable(
        path, App().INIEncript ? Scrambler::scrambleText(text) : Cp932Codec::encode(text)));
    // A slot that cannot be read is set aside; the copies are not kept here.
    QDir saves(App().SaveDir);
    for (const QString& aside : saves.entryList({QStringLiteral("*.damaged*")}, QDir::Files)) {
        saves.remove(aside);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    Engine& engine = TheEngine();
    clsVaro& varo = engine.Running();
    WriteSlot(Cp932Codec::decodeFileText(bytes));
    varo.QuickLoad(false);
    engine.PumpFor(20);
    for (int click = 0; click < 3 && !engine.Closed(); ++click) {
        varo.GameView().RaiseScreenCmd(clsGameView::kCmdPrimary, nullptr);
        engine.PumpFor(20);
    }
    if (!engine.Closed()) {
        varo.QuickSave(false);
    }
    return 0;
}
