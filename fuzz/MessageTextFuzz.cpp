// Scenario messages from outside: the text taken as a message with backslash
// codes, converted by the text window of a small screen for the window page,
// the novel page and the message log, and the window's code string shown.
#include <QGuiApplication>
#include <cstdint>
#include <memory>

#include "base/AppState.h"
#include "data/INIFile.h"
#include "platform/Platform.h"
#include "platform/os/Cp932Codec.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"
#include "platform/os/VirtualClock.h"
#include "screen/TextWindow.h"
#include "screen/clsEventRects.h"
#include "screen/clsKestDriver.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// A 64 x 48 screen on a virtual clock whose window page has a text and a
// shadow film and no pictures; made once, as the engine makes it once.
struct Screen {
    Screen() : platform(std::make_unique<VirtualClock>(), nullptr) {
        platform.setMessageBoxes(std::make_unique<ScriptedMessageBoxPresenter>(platform.trace()));
        App().platform = &platform;
        gamemode.SetText(
            QStringLiteral("[WindowMode]\r\nText=,4,34,56,12\r\nTextShadow=,5,35,56,12\r\n"
                           "[NovelMode]\r\nText=,2,2,60,44\r\nTextShadow=,3,3,60,44\r\n"));
        systemInfo.SetText(QStringLiteral("[Nameplate]\r\nCount=2\r\nItem:1=太郎\r\n"));
        driver = std::make_unique<clsKestDriver>(rects);
        Require(driver->Init(QSize(64, 48), &gamemode));
        TextWindow::Hooks hooks;
        hooks.ConfigValue = [](const QString& key) {
            return key == QLatin1String("TextShadow") ? QStringLiteral("True") : QString();
        };
        hooks.ScriptScale = [] { return QSize(640, 480); };
        hooks.GetIndexByCID = [](const QString& cid) {
            return static_cast<int>(cid.size() % 3) - 1;
        };
        hooks.CharColor = [](int entry) { return static_cast<std::uint32_t>(entry) * 0x10101U; };
        hooks.SystemInfoValue = [this](const QString& section, const QString& key) {
            return systemInfo.KeySection(section).KeyValue(key);
        };
        driver->SetTextWindowHooks(std::move(hooks));
        driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    }

    Platform platform;
    clsEventRects rects;
    INIFile gamemode;
    INIFile systemInfo;
    std::unique_ptr<clsKestDriver> driver;
};

Screen& TheScreen() {
    if (QCoreApplication::instance() == nullptr) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "MessageTextFuzz";
        static char* argv[] = {name, nullptr};
        static QGuiApplication application(argc, argv);
    }
    static Screen screen;
    return screen;
}

QString Convert(const QString& message, int mode) {
    QString continuation;
    QString voice;
    bool wait = true;
    const QString codes =
        TheScreen().driver->ConvertMessageText(message, continuation, wait, voice, mode);
    // A page break leaves the rest of the message; the log takes it all.
    Require(message.endsWith(continuation));
    Require(mode != 0 || continuation.isEmpty());
    QString again;
    QString voiceAgain;
    bool waitAgain = true;
    Require(TheScreen().driver->ConvertMessageText(message, again, waitAgain, voiceAgain, mode) ==
            codes);
    Require(again == continuation && voiceAgain == voice && waitAgain == wait);
    TextWindow::ShadowCodes(codes);
    return codes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QString message = Cp932Codec::decodeFileText(bytes);
    Screen& screen = TheScreen();
    Convert(message, 0);
    Convert(message, clsKestDriver::kFilmSetNovel);
    const QString codes = Convert(message, clsKestDriver::kFilmSetWindow);
    screen.driver->TextStart(codes, false);
    screen.driver->TextPageTurn();
    return 0;
}
