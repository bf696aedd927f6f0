#include "InstructionFixture.h"

class WaitSoundInstructionsTest : public InstructionFixture {};

TEST_F(WaitSoundInstructionsTest, WaitsSetTheirAutoAdvanceDelay) {
    intprt->SetTextEnabled(true);
    calls(QStringLiteral("wait"));
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(intprt->LastAutoClickTimer(), 1000 * 3 / 2 + 1000);
    EXPECT_TRUE(host.cursorVisible);
    EXPECT_EQ(host.calls, QStringList{QStringLiteral("EnableRects(gamemode_button,true)")});

    intprt->SetPendingDelay(4321);
    calls(QStringLiteral("waitcv"));
    EXPECT_EQ(intprt->LastAutoClickTimer(), 4321);

    calls(QStringLiteral("waitauto 700"));
    EXPECT_EQ(host.autoClicks.last(), qMakePair(700, 1));
}

TEST_F(WaitSoundInstructionsTest, SkippingPassesEveryWait) {
    host.ctrlDown = true;
    calls(QStringLiteral("wait\r\nwaitcv\r\nwaitauto 700\r\npause 300\r\npauseabs 200"));
    EXPECT_EQ(intprt->CurrentScript()->Element(intprt->Address() - 1), QStringLiteral("stop"));
    EXPECT_TRUE(host.autoClicks.isEmpty());  // waitauto arms no timer
    EXPECT_EQ(host.CallsOf(QStringLiteral("RemoveRects")).size(), 3);
    // Only the absolute pause still pauses.
    EXPECT_EQ(host.CallsOf(QStringLiteral("Pause")), QStringList{QStringLiteral("Pause(200)")});
}

TEST_F(WaitSoundInstructionsTest, PausesNeverRunBackwards) {
    EXPECT_EQ(calls(QStringLiteral("pause 300\r\npause -5")),
              (QStringList{QStringLiteral("Pause(300)"), QStringLiteral("Pause(0)")}));
}

TEST_F(WaitSoundInstructionsTest, SoundInstructions) {
    host.cvPlaying = true;
    const std::pair<const char*, QStringList> cases[] = {
        {"bgm theme", {"PlayBGM(theme,true)"}},
        {"bgm theme, false", {"PlayBGM(theme,false)"}},
        {"bgm %", {"StopBGM()"}},
        {"bgmvolumerate 40", {"BGMVolumeRate(40)"}},
        {"bgmvolumerate", {"BGMVolumeRate(100)"}},
        {"se click", {"PlaySE(click)"}},
        {"se %", {"StopSE()"}},
        {"sel rain, 3", {"PlaySELoop(rain,3)"}},
        {"sel rain", {"PlaySELoop(rain,0)"}},
        {"sel %", {"StopSELoop()"}},
        {"stopcv", {"StopCV()"}},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(calls(QString::fromUtf8(line)), expected) << line;
    }
    host.cvPlaying = false;
    EXPECT_TRUE(calls(QStringLiteral("stopcv")).isEmpty());
    EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join(u'|').toStdString();
}

TEST_F(WaitSoundInstructionsTest, SoundFailuresAndBadArguments) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"bgm theme", "PlayBGM", "BGM 'theme' 再生失敗"},
        {"bgm %", "StopBGM", "ＢＧＭ停止に失敗"},
        {"se click", "PlaySE", "SE 'click' 再生失敗"},
        {"sel rain", "PlaySELoop", "SEL 'rain' 再生失敗"},
        {"bgmvolumerate 150", "", "BGM音量比は０から１００"},
        {"bgm theme, maybe", "", "ループフラグにはtrueかfalseしか指定できません。"},
    };
    for (const auto& [line, failing, message] : cases) {
        host.failing = {QLatin1String(failing)};
        host.messages.clear();
        const QStringList made = calls(QString::fromUtf8(line));
        EXPECT_EQ(host.messages, QStringList{QString::fromUtf8(message)}) << line;
        EXPECT_TRUE(made.filter(QStringLiteral("BGMVolumeRate")).isEmpty()) << line;
    }
}

TEST_F(WaitSoundInstructionsTest, MoviePlaysFromTheMovieFolderAndWaits) {
    App().MovieDir = QStringLiteral("/game/movie");
    EXPECT_EQ(calls(QStringLiteral("playmovie \"op\", 2")),
              QStringList{QStringLiteral("PlayMovie(/game/movie\\op,2)")});
    EXPECT_TRUE(seenCG(QStringLiteral("op")));
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kClickWait);
    EXPECT_TRUE(intprt->CurrentScript()->Element(intprt->Address() - 1).startsWith(u"playmovie"));
    // The wait after a movie leaves the game's menus off.
    EXPECT_EQ(host.menus.last(), QString());

    host.failing = {QStringLiteral("PlayMovie")};
    calls(QStringLiteral("playmovie \"op\""));
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("ムービーを再生できません。")});
}

TEST_F(WaitSoundInstructionsTest, MovieNamesOutsideTheMovieFolderAreRefused) {
    for (const char* name : {"../secret", "/etc/passwd", "c:\\x", "C:movie", "sub\\..\\..\\x"}) {
        host.messages.clear();
        save.Var().SetKeyValue(QStringLiteral("movie"), QString::fromUtf8(name));
        const QStringList made = calls(QStringLiteral("playmovie movie"));
        EXPECT_TRUE(made.isEmpty()) << name;
        EXPECT_EQ(host.messages, QStringList{QStringLiteral("ムービーを再生できません。")}) << name;
    }
}
