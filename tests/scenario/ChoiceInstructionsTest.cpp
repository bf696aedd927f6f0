#include "InstructionFixture.h"

class ChoiceInstructionsTest : public InstructionFixture {};

TEST_F(ChoiceInstructionsTest, ChoicesAreAddedThenPresented) {
    host.skipMode = true;
    const QStringList made =
        calls(QStringLiteral("item \"左へ\", left\r\nitem \"右へ\", right\r\nselect"));
    EXPECT_EQ(
        made,
        (QStringList{
            QStringLiteral("AddChoiceItem(・左へ,left)"),
            QStringLiteral("AddChoiceItem(・右へ,right)"), QStringLiteral("ChoiceArrange()"),
            QStringLiteral("RemoveRects(gamemode_button)"), QStringLiteral("ChoiceVisible(true)"),
            QStringLiteral("ShowAllRect()"), QStringLiteral("TextPageTurn()")}));
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kChoiceWait);
    EXPECT_FALSE(host.skipMode);
    EXPECT_FALSE(host.cursorVisible);
    EXPECT_TRUE(host.log.contains(QStringLiteral("SelectItem Command")));

    // The picked item's label continues the scenario.
    scenario(QStringLiteral("t"), QStringLiteral("stop\r\nright:\r\nlet r, 5\r\nstop\r\n"));
    intprt->GoSelectedItem(QStringLiteral("t.right"));
    ASSERT_TRUE(intprt->StepNext());
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("5"));
}

TEST_F(ChoiceInstructionsTest, SkipAfterSelectKeepsSkipping) {
    host.skipMode = true;
    host.boolSettings.insert(QStringLiteral("SkipAfterSelect"), true);
    calls(QStringLiteral("item \"a\", a\r\nselect"));
    EXPECT_TRUE(host.skipMode);
}

TEST_F(ChoiceInstructionsTest, ChoiceMistakesAreReported) {
    calls(QStringLiteral("select"));
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("選択肢が登録されていません。")});
    EXPECT_EQ(intprt->CurrentScript()->Element(intprt->Address() - 1), QStringLiteral("stop"));

    host.messages.clear();
    host.failing = {QStringLiteral("AddChoiceItem")};
    calls(QStringLiteral("item \"六\", six"));
    EXPECT_EQ(host.messages, QStringList{QStringLiteral("選択肢・六を追加できません。")});

    host.messages.clear();
    host.filmSet = 3;
    EXPECT_TRUE(calls(QStringLiteral("item \"a\", a\r\nselect")).isEmpty());
    EXPECT_EQ(host.messages,
              QStringList(2, QStringLiteral("ノベルモードにおける選択肢命令は対応できません。")));
}

// A click label makes the button react to the left click, a pointer label to the pointer.
TEST_F(ChoiceInstructionsTest, ScenarioButtonsSenseWhatTheirLabelsNeed) {
    const std::pair<const char*, const char*> cases[] = {
        {"er 10, 20, 30, 40, clicked", "AddButton(20,40,60,80,1,clicked,,)"},
        {"er 10, 20, 30, 40, , hovered", "AddButton(20,40,60,80,4,,hovered,)"},
        {"er 10, 20, 30, 40, clicked, hovered", "AddButton(20,40,60,80,5,clicked,hovered,)"},
        {"er 10, 20, 30, 40", "AddButton(20,40,60,80,0,,,)"},
        {"ercg st_a_1, clicked", "AddButton(0,0,0,0,1,clicked,,st_a_1)"},
    };
    for (const auto& [line, expected] : cases) {
        EXPECT_EQ(calls(QString::fromUtf8(line)), QStringList{QString::fromUtf8(expected)}) << line;
    }
    host.failing = {QStringLiteral("AddButton")};
    calls(QStringLiteral("ercg st_b_1, x"));
    EXPECT_EQ(host.messages.size(), 1);
    EXPECT_TRUE(host.messages.first().contains(QStringLiteral("st_b_1")));
}

TEST_F(ChoiceInstructionsTest, SelecterWaitsForAButton) {
    host.skipMode = true;
    EXPECT_EQ(calls(QStringLiteral("selecter")),
              (QStringList{QStringLiteral("EnableRects(gamemode_button,true)"),
                           QStringLiteral("SelectionClear()")}));
    EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kButtonWait);
    EXPECT_FALSE(host.skipMode);
    EXPECT_TRUE(host.log.contains(QStringLiteral("SelectButton Command")));
}

TEST_F(ChoiceInstructionsTest, AlarmShowsItsMessage) {
    calls(QStringLiteral("alarm\r\nalarm \"注意\""));
    EXPECT_EQ(host.messages, (QStringList{QStringLiteral("アラーム"), QStringLiteral("注意")}));
}

// Leaving the game ends the step: nothing after it runs and the game's menus
// are not switched on over the next mode.
TEST_F(ChoiceInstructionsTest, LeavingTheGameEndsTheStep) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"playending 3, a, b", "ChangeMode(4,14,3,a,b,)", true},
        {"playending 3, a, b, c", "ChangeMode(4,14,3,a,b,c)", true},
        {"restartreplaymode", "ChangeMode(5,0,)", false},
        {"restarttitle", "RestartTitle()", false},
    };
    for (const auto& [line, expected, skipStays] : cases) {
        host.skipMode = true;
        host.menus.clear();
        const QStringList made = calls(QString::fromUtf8(line) + QStringLiteral("\r\nlet r, 1"));
        EXPECT_EQ(made, QStringList{QString::fromUtf8(expected)}) << line;
        EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("0")) << line;
        EXPECT_EQ(host.menus, QStringList{QString()}) << line;
        EXPECT_EQ(host.skipMode, skipStays) << line;
        EXPECT_TRUE(host.eventEnabled) << line;
        EXPECT_EQ(intprt->WaitMode(), clsInterpreter::kClickWait) << line;
    }
    host.drawActive = false;
    EXPECT_EQ(
        calls(QStringLiteral("restarttitle")),
        (QStringList{QStringLiteral("RestartTitle()"), QStringLiteral("DrawActivate(0,1000)")}));
}
