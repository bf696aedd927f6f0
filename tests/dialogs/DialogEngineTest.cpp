// The dialogs opened from the game window's menu with the whole engine in this
// process: what the player does in a dialog is input scheduled on the virtual
// clock, which keeps running while the dialog is open.
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QSlider>
#include <cmath>

#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/stdINI.h"
#include "media/clsDovDriver.h"
#include "modes/GameModeFixture.h"
#include "platform/dov/DovLibrary.h"

namespace {

// A pixel of the message window's background that no text, cursor or button covers.
constexpr QPoint kWindowBack(5, 475);

class DialogEngineTest : public GameModeFixture {
protected:
    void SetUp() override {
        GameModeFixture::SetUp();
        scenario(QStringLiteral("main"),
                 QStringLiteral("start: put \"設定の試験です。\"\r\nlet r, 1\r\n"
                                "put \"次の文です。\"\r\n"));
    }

    // Runs `action` in the open dialog `ms` from now.
    void inDialog(qint64 ms, std::function<void(QWidget& dialog)> action) {
        clock().scheduleInput(clock().now() + ms, [action = std::move(action)] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            action(*dialog);
        });
    }
    void keyInDialog(qint64 ms, int code) {
        inDialog(ms, [code](QWidget& dialog) {
            QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier);
            QCoreApplication::sendEvent(&dialog, &press);
        });
    }
    static QSlider* slider(QWidget& dialog, const char* name) {
        return dialog.findChild<QSlider*>(QLatin1String(name));
    }
    void menu(const char* tag) { view().MenuItem(QLatin1String(tag))->trigger(); }

    QRgb windowBack() { return view().CurrentScreen().pixel(kWindowBack) & 0xFFFFFFu; }
    // The value config.ini holds for the key.
    QString stored(const QString& key) {
        INIFile file;
        EXPECT_TRUE(stdINI::LoadINIFile(file, App().SaveDir + QStringLiteral("/config.ini")));
        return file.KeySection(QStringLiteral("Config")).KeyValue(key);
    }
    QByteArray configBytes() { return dir.read(QStringLiteral("savedata/config.ini")); }
};

// Root mean square of the left channel over frames [from, to).
double Level(const std::vector<float>& mix, std::size_t from, std::size_t to) {
    double sum = 0;
    for (std::size_t frame = from; frame < to; ++frame) {
        sum += static_cast<double>(mix[frame * 2]) * mix[frame * 2];
    }
    return std::sqrt(sum / static_cast<double>(to - from));
}

}  // namespace

TEST_F(DialogEngineTest, AMovedOpacitySliderShowsOnTheMessageWindowUntilCancelled) {
    startGame();
    ASSERT_EQ(waitMode(), clsInterpreter::kClickWait);
    const QRgb atStart = windowBack();
    QRgb clear = 0;
    QRgb opaque = 0;
    inDialog(10, [](QWidget& dialog) { slider(dialog, "sldGrpAlpha_0")->setValue(0); });
    inDialog(100, [&](QWidget&) { clear = windowBack(); });
    inDialog(110, [](QWidget& dialog) { slider(dialog, "sldGrpAlpha_0")->setValue(256); });
    inDialog(200, [&](QWidget&) { opaque = windowBack(); });
    keyInDialog(210, Qt::Key_Escape);
    menu("property!screen");

    EXPECT_EQ(opaque, qRgb(20, 20, 80) & 0xFFFFFFu);
    EXPECT_NE(clear, opaque);
    EXPECT_NE(atStart, clear);
    EXPECT_NE(atStart, opaque);
    pumpFor(100);
    EXPECT_EQ(windowBack(), atStart);
    EXPECT_EQ(varo().Cfg().LongVal(QStringLiteral("WndAlpha")), 192);
}

TEST_F(DialogEngineTest, AMovedMusicSliderChangesTheMixersVolumeAndTheVoiceSliderDoesNot) {
    sound(QStringLiteral("bgm"), tone(3000, 44100));
    std::vector<float> mix;
    DovLibrary& library = varo().Dov().Library();
    library.SetMixSink([&mix](const float* frames, int count) {
        mix.insert(mix.end(), frames, frames + static_cast<std::ptrdiff_t>(count) * 2);
    });
    ASSERT_TRUE(varo().Dov().PlayBGM(QStringLiteral("bgm"), false, true));
    pumpFor(1500);
    library.AdvanceMix();
    const std::size_t fullTo = mix.size() / 2;
    std::size_t quietFrom = 0;
    std::size_t quietTo = 0;
    std::int32_t voiceVolume = -1;
    inDialog(10, [&](QWidget& dialog) {
        library.AdvanceMix();
        quietFrom = mix.size() / 2 + DovLibrary::kMixRate / 10;  // past the glide
        slider(dialog, "sldSndVolume_0")->setValue(51);
        slider(dialog, "sldSndVolume_2")->setValue(0);
        voiceVolume = varo().Dov().CVVolume();
    });
    inDialog(1010, [&](QWidget&) {
        library.AdvanceMix();
        quietTo = mix.size() / 2;
    });
    keyInDialog(1020, Qt::Key_Escape);
    menu("property!sound");
    library.SetMixSink({});

    ASSERT_GT(quietTo, quietFrom);
    const double full = Level(mix, fullTo - DovLibrary::kMixRate / 2, fullTo);
    EXPECT_GT(full, 0.1);
    EXPECT_NEAR(Level(mix, quietFrom, quietTo) / full, 51.0 / 255.0, 0.01);
    EXPECT_EQ(voiceVolume, 255);
    EXPECT_EQ(varo().Dov().BGMVolume(), 255);
}

TEST_F(DialogEngineTest, OKWritesTheSettingsFileAndCancelLeavesItAsItWas) {
    const QByteArray before = configBytes();
    ASSERT_FALSE(before.isEmpty());
    ASSERT_EQ(stored(QStringLiteral("AutoModeWait")), QStringLiteral("2000"));
    inDialog(10, [](QWidget& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("chkSys_0"))->click();
        slider(dialog, "sldSndVolume_1")->setValue(3);
    });
    keyInDialog(20, Qt::Key_Escape);
    menu("property!system");
    EXPECT_EQ(configBytes(), before);

    inDialog(10, [](QWidget& dialog) {
        dialog.findChild<QCheckBox*>(QStringLiteral("chkSys_0"))->click();
    });
    keyInDialog(20, Qt::Key_Return);
    menu("property!system");
    EXPECT_EQ(stored(QStringLiteral("QueryExit")), QStringLiteral("True"));
    // No speed waits 2000: the dialog stores the normal speed's wait.
    EXPECT_EQ(stored(QStringLiteral("AutoModeWait")), QStringLiteral("1800"));
    EXPECT_EQ(events(QStringLiteral("dialog ")),
              (QStringList{"dialog open config", "dialog close config cancel", "dialog open config",
                           "dialog close config ok"}));
}

TEST_F(DialogEngineTest, TheGameTakesNoInputWhileADialogIsOpenAndModeChangesWaitForIt) {
    startGame();
    ASSERT_TRUE(view().EventEnabled());
    bool inputDuringDialog = true;
    std::int32_t modeDuringDialog = -1;
    QString title;
    inDialog(10, [&](QWidget& dialog) {
        inputDuringDialog = view().EventEnabled();
        title = dialog.findChild<QLabel*>(QStringLiteral("lblTitle"))->text();
        view().MouseDown(Qt::LeftButton, QPoint(320, 240));
        view().KeyDown(Qt::Key_Return, Qt::NoModifier);
        player.launcher.RestartTitle();
    });
    QString stepped;
    inDialog(100, [&](QWidget&) {
        modeDuringDialog = varo().VaroMode();
        stepped = var(QStringLiteral("r"));
    });
    keyInDialog(110, Qt::Key_Return);
    menu("help!version");

    EXPECT_FALSE(inputDuringDialog);
    EXPECT_EQ(stepped, QStringLiteral("0"));
    EXPECT_EQ(title, QStringLiteral("最小のゲーム"));
    EXPECT_EQ(modeDuringDialog, clsVaro::kModeGame);
    EXPECT_TRUE(view().EventEnabled());
    EXPECT_EQ(events(QStringLiteral("dialog ")),
              (QStringList{"dialog open about", "dialog close about ok"}));
    pumpFor(10);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
}

// Nothing left to answer it: the dialog is cancelled at once, as its close box would.
TEST_F(DialogEngineTest, ADialogWithoutInputToComeIsCancelledAtOnce) {
    startGame();
    menu("property!char");
    EXPECT_EQ(events(QStringLiteral("dialog ")),
              (QStringList{"dialog open config", "dialog close config cancel"}));
    EXPECT_TRUE(view().EventEnabled());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}
