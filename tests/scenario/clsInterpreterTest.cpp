#include "InterpreterFixture.h"

namespace {

const char* kInstructionTable =
    "[Instruction]\r\n"
    "// word and argument pattern\r\n"
    "go\t*\r\ncall\t*\r\nreturn\r\nif\t*\t%\t%\r\nlet\t*\t*\r\nadd\t*\t*\t*\r\nsub\t*\t*\t*\r\n"
    "up\t*\t1\r\ndown\t*\t1\r\nnop\r\nuse\t%\r\nsiting\t%\r\nwait\r\nunimplemented\t%\r\n"
    "  Mixed\t*  \r\n";

}  // namespace

class clsInterpreterTest : public InterpreterFixture {
protected:
    void SetUp() override {
        InterpreterFixture::SetUp();
        // A click wait, standing in for the real instruction of the waits.
        intprt->RegisterInstruction(QStringLiteral("wait"), [this](const QStringList&) {
            intprt->SetWaitMode(clsInterpreter::kClickWait);
            intprt->SetLastAutoClickTimer(1500);
        });
    }
    QString Table() const override { return QString::fromLatin1(kInstructionTable); }
};

TEST_F(clsInterpreterTest, LoopsCallsAndVariablesRunToTheWait) {
    scenario(QStringLiteral("main"),
             QStringLiteral("let count, 0\r\ntop:\r\nup count\r\nif count<MAX, top\r\n"
                            "call sub.entry\r\nwait\r\nnop\r\n"));
    scenario(QStringLiteral("sub"),
             QStringLiteral("nop\r\nentry:\r\nadd total, count, 10\r\nreturn\r\n"));
    ASSERT_TRUE(run(QStringLiteral("main.")));
    EXPECT_EQ(var(QStringLiteral("count")), QStringLiteral("3"));
    EXPECT_EQ(var(QStringLiteral("total")), QStringLiteral("13"));
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(intprt->CurrentScript()->Name(), QStringLiteral("main"));
    EXPECT_EQ(intprt->CurrentScript()->Element(intprt->Address()), QStringLiteral("nop"));
    EXPECT_TRUE(intprt->Stack().isEmpty());
    EXPECT_TRUE(host.messages.isEmpty()) << host.messages.join(u'|').toStdString();
    EXPECT_TRUE(host.eventEnabled);
    EXPECT_TRUE(shared.CmdExists(QStringLiteral("sub"), 2));
    EXPECT_FALSE(shared.CmdExists(QStringLiteral("sub"), 0));
}

TEST_F(clsInterpreterTest, IfBlocksTakeTheirBranch) {
    scenario(QStringLiteral("branch"),
             QStringLiteral("if flag==1\r\nlet r, 1\r\nelseif flag==2\r\nlet r, 2\r\nelse\r\n"
                            "let r, 3\r\nendif\r\nwait\r\n"));
    for (const auto& [flag, expected] : {std::pair{"1", "1"}, {"2", "2"}, {"5", "3"}}) {
        save.Var().SetKeyValue(QStringLiteral("flag"), QLatin1String(flag));
        ASSERT_TRUE(run(QStringLiteral("branch.")));
        EXPECT_EQ(var(QStringLiteral("r")), QLatin1String(expected)) << "flag " << flag;
    }
}

TEST_F(clsInterpreterTest, DecodingFillsDefaultsAndChecksArguments) {
    QStringList words;
    QString error;
    ASSERT_TRUE(intprt->DecodeInstruction(QStringLiteral("UP\tx\tnull"), words, error));
    EXPECT_EQ(words, (QStringList{QStringLiteral("UP"), QStringLiteral("x"), QStringLiteral("1")}));
    ASSERT_TRUE(intprt->DecodeInstruction(QStringLiteral("if\ta"), words, error));
    EXPECT_EQ(words.size(), 4);
    EXPECT_EQ(words.at(2), QStringLiteral("%"));
    ASSERT_TRUE(intprt->DecodeInstruction(QStringLiteral("mixed\tv"), words, error));

    EXPECT_FALSE(intprt->DecodeInstruction(QStringLiteral("if"), words, error));
    EXPECT_EQ(error, QStringLiteral("if命令の第1引数は省略できません。"));
    EXPECT_FALSE(intprt->DecodeInstruction(QStringLiteral("if\ta\tb\tc\td"), words, error));
    EXPECT_EQ(error, QStringLiteral("if命令の引数は3個までです。"));
    EXPECT_FALSE(intprt->DecodeInstruction(QStringLiteral("Bogus\t1"), words, error));
    EXPECT_EQ(error, QStringLiteral("未定義命令'bogus'を実行しようとしました。"));
}

TEST_F(clsInterpreterTest, UndefinedInstructionAsksWhetherToQuit) {
    scenario(QStringLiteral("bad"), QStringLiteral("bogus 1\r\nlet r, 7\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("bad.")));
    EXPECT_EQ(host.messages,
              (QStringList{QStringLiteral("未定義命令'bogus'を実行しようとしました。"),
                           QStringLiteral("終了しますか")}));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("7"));

    host.messages.clear();
    host.answerYes = true;
    ASSERT_TRUE(intprt->GoLabel(QStringLiteral("bad.")));
    EXPECT_FALSE(intprt->StepNext());
    EXPECT_EQ(host.closeRequests, 1);
}

TEST_F(clsInterpreterTest, UnimplementedInstructionIsReported) {
    scenario(QStringLiteral("u"), QStringLiteral("unimplemented\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("u.")));
    ASSERT_EQ(host.messages.size(), 2);
    EXPECT_EQ(host.messages.first(),
              QStringLiteral("未実装命令'unimplemented'を実行しようとしました。"));
}

TEST_F(clsInterpreterTest, RuntimeErrorsAreSilentOutsideDebugMode) {
    host.debugMode = false;
    scenario(QStringLiteral("e"), QStringLiteral("return\r\nup undeclared\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("e.")));
    EXPECT_TRUE(host.messages.isEmpty());
    EXPECT_TRUE(host.log.isEmpty());

    host.debugMode = true;
    ASSERT_TRUE(run(QStringLiteral("e.")));
    ASSERT_EQ(host.messages.size(), 3);
    EXPECT_EQ(host.messages.at(0), QStringLiteral("スタックが空の状態でreturnしようとしました。"));
    // up reads the variable first, then stores it.
    EXPECT_EQ(host.messages.at(1), QStringLiteral("value get error 'undeclared' 値表現が不正です"));
    EXPECT_EQ(
        host.messages.at(2),
        QStringLiteral(
            "value set error 'undeclared' 値表現が設定対象として不正です。 : up\tundeclared"));
    EXPECT_EQ(host.log.mid(0, 4),
              (QStringList{QStringLiteral("#############################"),
                           QStringLiteral("実行時エラー : 第1要素"),
                           QStringLiteral("スタックが空の状態でreturnしようとしました。"),
                           QStringLiteral("#############################")}));
    EXPECT_EQ(host.logSaves, 3);
}

TEST_F(clsInterpreterTest, AJumpFarBeyondTheIntegerRangeIsReportedAtItsOwnElement) {
    scenario(QStringLiteral("g"), QStringLiteral("go\t97777777777777777777\r\nwait\r\n"));
    run(QStringLiteral("g."));
    // The element number is one past the largest address, not an overflowed one.
    EXPECT_TRUE(host.log.contains(QStringLiteral("実行時エラー : 第2147483648要素")))
        << host.log.join(u'\n').toStdString();
}

TEST_F(clsInterpreterTest, LabelExpressions) {
    scenario(QStringLiteral("a"), QStringLiteral("nop\r\nhere:\r\nnop\r\nnop\r\n"));
    scenario(QStringLiteral("b"), QStringLiteral("nop\r\n"));
    ASSERT_TRUE(intprt->GoLabel(QStringLiteral("A.HERE")));
    EXPECT_EQ(intprt->Address(), 1);
    EXPECT_TRUE(intprt->GoLabel(QStringLiteral("2")));
    EXPECT_EQ(intprt->Address(), 2);
    EXPECT_EQ(intprt->CurrentScript()->Name(), QStringLiteral("a"));
    EXPECT_TRUE(intprt->GoLabel(QStringLiteral("b.")));
    EXPECT_EQ(intprt->Address(), 0);
    EXPECT_EQ(intprt->CurrentScript()->Name(), QStringLiteral("b"));

    EXPECT_FALSE(intprt->GoLabel(QString()));
    EXPECT_FALSE(intprt->GoLabel(QStringLiteral("a.b.c")));
    EXPECT_FALSE(intprt->GoLabel(QStringLiteral("missing.x")));
    EXPECT_FALSE(intprt->GoLabel(QStringLiteral("nolabel")));
    EXPECT_FALSE(intprt->GoLabel(QStringLiteral("../secret.x")));
    EXPECT_EQ(host.messages, (QStringList{QStringLiteral("ラベル表現が空欄です。"),
                                          QStringLiteral("ラベル表現'a.b.c'が不正です。"),
                                          QStringLiteral("シナリオ'missing'がロードできません。"),
                                          QStringLiteral("ラベル表現'nolabel'が不正です。"),
                                          QStringLiteral("ラベル表現'../secret.x'が不正です。")}));
    EXPECT_EQ(intprt->CurrentScript()->Name(), QStringLiteral("b"));  // failed jumps stay put
}

TEST_F(clsInterpreterTest, FailedGoAsksAndContinues) {
    scenario(QStringLiteral("g"), QStringLiteral("go nowhere\r\nlet r, 9\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("g.")));
    EXPECT_EQ(host.messages.last(), QStringLiteral("終了しますか"));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("9"));
}

TEST_F(clsInterpreterTest, RunningOffTheEndClosesTheEngine) {
    scenario(QStringLiteral("end"), QStringLiteral("nop\r\n"));
    EXPECT_FALSE(run(QStringLiteral("end.")));
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("実行がスクリプトの終端に至りました。")});
    EXPECT_EQ(host.closeRequests, 1);
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kRunning);
    EXPECT_FALSE(intprt->StepNext());  // closing: returns at once
}

TEST_F(clsInterpreterTest, EndlessCallStopsAtTheStackLimit) {
    scenario(QStringLiteral("loop"), QStringLiteral("top:\r\ncall top\r\nlet r, 9\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("loop.")));
    EXPECT_EQ(intprt->Stack().size(), clsInterpreter::kMaxCallDepth);
    EXPECT_EQ(intprt->Stack().first(), QStringLiteral("loop.1"));
    ASSERT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages.first().startsWith(QStringLiteral("callの入れ子が深すぎます")));
    // The refused call does not jump: execution goes on after it.
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("9"));
}

TEST_F(clsInterpreterTest, FailedCallLeavesNoReturnAddress) {
    scenario(QStringLiteral("c"),
             QStringLiteral("call nowhere\r\nlet r, 1\r\nreturn\r\nlet r, 2\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("c.")));
    EXPECT_TRUE(intprt->Stack().isEmpty());
    // The later return finds the stack empty instead of jumping back.
    EXPECT_EQ(host.messages.last(), QStringLiteral("スタックが空の状態でreturnしようとしました。"));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
}

TEST_F(clsInterpreterTest, WaitStartsAutoClickAndEnablesMenus) {
    scenario(QStringLiteral("w"), QStringLiteral("wait\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("w.")));
    EXPECT_TRUE(host.autoClicks.isEmpty());
    EXPECT_EQ(host.menus.last(), QStringLiteral("file!saveload,file!qsave,file!qload,file!title,"
                                                "message!skip,message!auto,message!log"));
    host.boolSettings.insert(QStringLiteral("TextAutoClick"), true);
    host.replayMode = true;
    ASSERT_TRUE(intprt->StepNext());
    ASSERT_EQ(host.autoClicks.size(), 1);
    EXPECT_EQ(host.autoClicks.first().first, 1500);
    EXPECT_EQ(host.menus.last(),
              QStringLiteral("file!title,message!skip,message!auto,message!log"));
}

TEST_F(clsInterpreterTest, SkipDecisionAndEffectTime) {
    scenario(QStringLiteral("s"), QStringLiteral("nop\r\nwait\r\n"));
    QList<qint32> effects;
    QList<bool> skipping;
    intprt->RegisterInstruction(QStringLiteral("nop"), [&](const QStringList&) {
        effects.append(intprt->EffectTime());
        skipping.append(intprt->IsSkipping());
    });
    run(QStringLiteral("s."));
    host.ctrlDown = true;
    run(QStringLiteral("s."));
    host.ctrlDown = false;
    host.skipMode = true;
    run(QStringLiteral("s."));  // read already: stays in skip mode
    host.boolSettings.insert(QStringLiteral("SkipGrpEffect"), true);
    run(QStringLiteral("s."));
    EXPECT_EQ(effects, (QList<qint32>{500, 0, 500, 0}));
    EXPECT_EQ(skipping, (QList<bool>{false, true, true, true}));

    host.boolSettings.insert(QStringLiteral("SkipStopUnread"), true);
    scenario(QStringLiteral("fresh"), QStringLiteral("nop\r\nwait\r\n"));
    run(QStringLiteral("fresh."));
    EXPECT_FALSE(host.skipMode);
    EXPECT_FALSE(skipping.last());
}

TEST_F(clsInterpreterTest, StatusRoundTrip) {
    scenario(QStringLiteral("main"), QStringLiteral("nop\r\nnop\r\nnop\r\n"));
    ASSERT_TRUE(intprt->GoLabel(QStringLiteral("main.2")));
    intprt->PushReturn(QStringLiteral("main.1"));
    intprt->PushReturn(QStringLiteral("other.7"));
    intprt->SetRestText(QStringLiteral("続きの文"));
    intprt->SetTextEnabled(true);
    intprt->SetWaitMode(clsInterpreter::kRevealing);
    intprt->SaveStatus();
    EXPECT_EQ(save.IntprtStatus().KeyValue(QStringLiteral("Address")), QStringLiteral("main.2"));
    EXPECT_EQ(save.IntprtStatus().KeyValue(QStringLiteral("RestText")),
              QStringLiteral("\"続きの文\""));
    EXPECT_EQ(save.IntprtStatus().KeyValue(QStringLiteral("TextEnabled")), QStringLiteral("True"));
    EXPECT_EQ(save.IntprtStatus().KeyValue(QStringLiteral("Stack")),
              QStringLiteral("main.1,other.7"));

    clsInterpreter other(host, info, shared, save);
    other.Init();
    other.LoadStatus();
    EXPECT_EQ(other.CurrentScript()->Name(), QStringLiteral("main"));
    EXPECT_EQ(other.Address(), 2);
    EXPECT_EQ(other.WaitMode(), clsInterpreter::kClickWait);  // 3 restores as 4
    EXPECT_EQ(other.RestText(), QStringLiteral("続きの文"));
    EXPECT_TRUE(other.TextEnabled());
    EXPECT_TRUE(host.cursorVisible);
    EXPECT_EQ(other.Stack(), intprt->Stack());

    save.IntprtStatus().SetKeyValue(QStringLiteral("Stack"), QString());
    save.IntprtStatus().SetKeyValue(QStringLiteral("WaitMode"), QStringLiteral("5"));
    save.IntprtStatus().SetKeyValue(QStringLiteral("TextEnabled"), QStringLiteral("FALSE"));
    other.LoadStatus();
    EXPECT_TRUE(other.Stack().isEmpty());
    EXPECT_EQ(other.WaitMode(), clsInterpreter::kChoiceWait);
    EXPECT_FALSE(other.TextEnabled());
    EXPECT_FALSE(host.cursorVisible);
}

TEST_F(clsInterpreterTest, DamagedWaitModeRestoresAsClickWait) {
    scenario(QStringLiteral("main"), QStringLiteral("nop\r\nnop\r\n"));
    save.IntprtStatus().SetKeyValue(QStringLiteral("Address"), QStringLiteral("main.1"));
    // Huge, infinite (1e999 overflows a double) and non-numeric values: none is a wait
    // mode, and none may reach an integer conversion that cannot hold it.
    for (const char* damaged :
         {"1e300", "-1e300", "1e999", "-1e999", "nan", "inf", "-inf", "2147483648"}) {
        intprt->SetWaitMode(clsInterpreter::kChoiceWait);
        save.IntprtStatus().SetKeyValue(QStringLiteral("WaitMode"), QLatin1String(damaged));
        intprt->LoadStatus();
        EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kClickWait) << damaged;
        EXPECT_EQ(intprt->Address(), 1) << damaged;
    }
}

TEST_F(clsInterpreterTest, LetReportsSourceAndTargetErrors) {
    scenario(QStringLiteral("l"),
             QStringLiteral(
                 "let r, \"text\"\r\nlet plays, r\r\nlet r, nothing\r\nlet MAX, 1\r\nwait\r\n"));
    ASSERT_TRUE(run(QStringLiteral("l.")));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("text"));
    EXPECT_EQ(shared.Var().KeyValue(QStringLiteral("plays")), QStringLiteral("text"));
    EXPECT_EQ(
        host.messages,
        (QStringList{QStringLiteral("ValueExp(src) 'nothing' 値表現が不正です"),
                     QStringLiteral("ValueExp(dst) 'max' 値表現が設定対象として不正です。")}));
}
