#include <limits>

#include "InstructionFixture.h"

class TextInstructionsTest : public InstructionFixture {
protected:
    // Shows one message and gives the voice calls it made.
    QStringList voiceCalls(const QString& message) {
        calls(QStringLiteral("put \"[v=") + message + QStringLiteral("]hello\""));
        return host.CallsOf(QStringLiteral("PlayCV"));
    }
};

// "|" is the page break of the fake's markup.
TEST_F(TextInstructionsTest, PutShowsALongMessagePageByPage) {
    scenario(QStringLiteral("t"), QStringLiteral("put \"first|second\"\r\nstop\r\n"));
    ASSERT_TRUE(run(QStringLiteral("t.")));
    EXPECT_EQ(host.CallsOf(QStringLiteral("TextStart")),
              QStringList{QStringLiteral("TextStart(<w>first,true)")});
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(intprt->RestText(), QStringLiteral("second"));
    EXPECT_EQ(intprt->Address(), 0);  // the same put runs again
    EXPECT_EQ(save.HistoryCount(), 0);
    EXPECT_TRUE(host.textVisible);
    EXPECT_TRUE(host.cursorVisible);
    EXPECT_TRUE(host.waitCancelEnabled);
    EXPECT_EQ(host.CallsOf(QStringLiteral("RaiseScreenCmd")),
              QStringList{QStringLiteral("RaiseScreenCmd(4)")});

    host.calls.clear();
    ASSERT_TRUE(intprt->StepNext());
    EXPECT_EQ(host.CallsOf(QStringLiteral("TextStart")),
              QStringList{QStringLiteral("TextStart(second,true)")});
    EXPECT_TRUE(host.CallsOf(QStringLiteral("StopCV")).isEmpty());  // the same message goes on
    EXPECT_TRUE(intprt->RestText().isEmpty());
    EXPECT_EQ(intprt->Address(), 1);  // done with the put, waiting after it
    EXPECT_EQ(save.HistoryCount(), 1);
    QString script;
    qint32 index = -1;
    ASSERT_TRUE(save.GetHistory(0, script, index));
    EXPECT_EQ(script, QStringLiteral("t"));
    EXPECT_EQ(index, 0);
}

TEST_F(TextInstructionsTest, NovelModeAddsToThePageWindowModeStartsAFreshOne) {
    scenario(QStringLiteral("t"), QStringLiteral("put \"a\"\r\nput \"b\"\r\nstop\r\n"));
    host.filmSet = 3;
    run(QStringLiteral("t."));
    intprt->StepNext();
    EXPECT_EQ(host.CallsOf(QStringLiteral("TextStart")),
              (QStringList{QStringLiteral("TextStart(<n>a,true)"),
                           QStringLiteral("TextStart(\n<n>b,true)")}));
    EXPECT_TRUE(host.CallsOf(QStringLiteral("TextPageTurn")).isEmpty());

    host.calls.clear();
    host.filmSet = 2;
    run(QStringLiteral("t."));
    intprt->StepNext();
    EXPECT_EQ(
        host.calls.filter(QStringLiteral("Text")),
        (QStringList{QStringLiteral("TextSpeedSetting(30)"), QStringLiteral("TextPageTurn()"),
                     QStringLiteral("TextStart(<w>a,true)"), QStringLiteral("TextSpeedSetting(30)"),
                     QStringLiteral("TextPageTurn()"), QStringLiteral("TextStart(<w>b,true)")}));
}

TEST_F(TextInstructionsTest, VoicePlaysByTheCharacterSettings) {
    EXPECT_EQ(voiceCalls(QStringLiteral("abc001")),
              QStringList{QStringLiteral("PlayCV(abc001,0)")});

    host.charIndex.insert(QStringLiteral("abc"), 4);
    host.voiceOff.insert(4);
    EXPECT_TRUE(voiceCalls(QStringLiteral("abc001")).isEmpty());

    host.voiceOff.clear();
    host.male.insert(QStringLiteral("abc"));
    EXPECT_TRUE(voiceCalls(QStringLiteral("abc001")).isEmpty());
    host.boolSettings.insert(QStringLiteral("MaleVoice"), true);
    EXPECT_EQ(voiceCalls(QStringLiteral("abc001")).size(), 1);
}

// The screen is 1280 wide: the pan runs from -30 at the left edge to 30 at the right.
TEST_F(TextInstructionsTest, VoicePanFollowsTheCharacterAcrossTheScreen) {
    host.boolSettings.insert(QStringLiteral("CVPan"), true);
    const std::pair<qint32, const char*> cases[] = {{0, "-30"},   {320, "-15"},  {640, "0"},
                                                    {1280, "30"}, {-400, "-30"}, {5000, "30"}};
    for (const auto& [x, pan] : cases) {
        host.charX.insert(QStringLiteral("abc"), x);
        EXPECT_EQ(voiceCalls(QStringLiteral("abc001")),
                  QStringList{QStringLiteral("PlayCV(abc001,%1)").arg(QLatin1String(pan))})
            << "x " << x;
    }
}

TEST_F(TextInstructionsTest, AutoAdvanceDelayFromVoiceOrTextLength) {
    host.voiceLength = 2500;
    voiceCalls(QStringLiteral("abc001"));
    EXPECT_EQ(intprt->PendingDelay(), 2500 + 1000);

    // No voice: (TextSpeed 2 + 3) x 5 per character of "<w>hello", plus AutoModeWait.
    calls(QStringLiteral("put \"hello\""));
    EXPECT_EQ(intprt->PendingDelay(), 25 * 8 + 1000);

    // A voice that claims an absurd length cannot overflow the delay.
    host.voiceLength = std::numeric_limits<qint32>::max();
    voiceCalls(QStringLiteral("abc001"));
    EXPECT_EQ(intprt->PendingDelay(), std::numeric_limits<qint32>::max());
}

TEST_F(TextInstructionsTest, SkippingShowsEveryPageAtOnceAndGoesOn) {
    host.ctrlDown = true;
    calls(QStringLiteral("put \"[v=abc001]one|two\""));
    EXPECT_EQ(host.CallsOf(QStringLiteral("TextStart")),
              (QStringList{QStringLiteral("TextStart(<w>one,false)"),
                           QStringLiteral("TextStart(two,false)")}));
    EXPECT_TRUE(host.CallsOf(QStringLiteral("PlayCV")).isEmpty());
    EXPECT_EQ(host.CallsOf(QStringLiteral("RemoveRects")).size(), 2);
    EXPECT_EQ(save.HistoryCount(), 1);
    EXPECT_EQ(intprt->CurrentScript()->Element(intprt->Address() - 1), QStringLiteral("stop"));
    // Input stays off from the start of the step to the wait at its end.
    EXPECT_EQ(host.eventSwitches, (std::vector<bool>{false, true}));
}

TEST_F(TextInstructionsTest, TheNamePlateOfAMessageOutlivesItsPageTurn) {
    calls(QStringLiteral("put \"[np]aki\""));
    EXPECT_EQ(host.namePlate, 1);
}

TEST_F(TextInstructionsTest, NoWaitMessageRunsOn) {
    calls(QStringLiteral("put \"go on[nw]\""));
    EXPECT_EQ(intprt->CurrentScript()->Element(intprt->Address() - 1), QStringLiteral("stop"));
    EXPECT_EQ(host.CallsOf(QStringLiteral("RemoveRects")),
              QStringList{QStringLiteral("RemoveRects(gamemode_button)")});
    EXPECT_TRUE(host.CallsOf(QStringLiteral("RaiseScreenCmd")).isEmpty());
}

TEST_F(TextInstructionsTest, WindowInstructions) {
    host.filmSet = 3;
    host.textVisible = true;
    EXPECT_EQ(calls(QStringLiteral("textwindow")), QStringList{QStringLiteral("BaseFilmSet(2)")});
    EXPECT_FALSE(host.textVisible);
    EXPECT_TRUE(calls(QStringLiteral("textwindow")).isEmpty());
    EXPECT_EQ(calls(QStringLiteral("textnovel")), QStringList{QStringLiteral("BaseFilmSet(3)")});
    calls(QStringLiteral("ts"));
    EXPECT_TRUE(host.textVisible);
    EXPECT_FALSE(host.cursorVisible);
    calls(QStringLiteral("th"));
    EXPECT_FALSE(host.textVisible);
    EXPECT_EQ(calls(QStringLiteral("pt")), QStringList{QStringLiteral("TextPageTurn()")});
    EXPECT_EQ(calls(QStringLiteral("wnd")), QStringList{QStringLiteral("ChangeWindowType(0)")});
    EXPECT_EQ(calls(QStringLiteral("wnd 2")), QStringList{QStringLiteral("ChangeWindowType(2)")});
    EXPECT_EQ(calls(QStringLiteral("site \"港\"")), QStringList{QStringLiteral("SiteName(港)")});
    EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join(u'|').toStdString();
}
