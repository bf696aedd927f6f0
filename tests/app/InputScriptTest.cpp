#include "app/InputScript.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace {

using Kind = InputScript::Kind;
using Key = InputScript::Key;

// The commands of a script that must parse.
std::vector<InputScript::Command> commandsOf(const QString& text) {
    InputScript script;
    QString error;
    EXPECT_TRUE(script.parse(text, error)) << error.toStdString();
    return script.commands();
}

// The error of a script that must not parse.
QString errorOf(const QString& text) {
    InputScript script;
    QString error;
    EXPECT_FALSE(script.parse(text, error)) << text.toStdString();
    EXPECT_TRUE(script.commands().empty());
    return error;
}

}  // namespace

TEST(InputScriptTest, EachCommandHappensAfterTheSumOfTheWaitsBeforeIt) {
    InputScript script;
    QString error;
    ASSERT_TRUE(
        script.parse("click 1 1\nwait 500\nmove 2 2\nkey Return\nwait 250\nwait 0\n"
                     "quit\nwait 1000\n",
                     error));
    const auto& commands = script.commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].atMs, 0);
    EXPECT_EQ(commands[1].atMs, 500);
    EXPECT_EQ(commands[2].atMs, 500);  // commands without a wait between share a time
    EXPECT_EQ(commands[3].atMs, 750);
    EXPECT_EQ(commands[3].kind, Kind::Quit);
    EXPECT_EQ(script.endMs(), 1750);  // the trailing wait counts for the end
    EXPECT_EQ(commands[2].line, 4);
}

TEST(InputScriptTest, CommentsBlankLinesAndLineEndingsAreIgnored) {
    const auto commands = commandsOf(
        QString(QChar(0xFEFF)) +
        "# opening comment\r\n\r\n   \t\r\n  wait 100   # a wait\r\nclick 3 4#no space\rquit #");
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0].kind, Kind::Click);
    EXPECT_EQ(commands[0].position, QPoint(3, 4));
    EXPECT_EQ(commands[0].atMs, 100);
    EXPECT_EQ(commands[0].line, 5);
    EXPECT_EQ(commands[1].line, 6);
    EXPECT_TRUE(commandsOf("").empty());
    EXPECT_TRUE(commandsOf("# only\n\n# comments").empty());
}

TEST(InputScriptTest, MouseCommandsCarryTheirPosition) {
    const auto commands = commandsOf("click 10 20\nrclick 0 0\ndclick 639 479\nmove 320 5");
    ASSERT_EQ(commands.size(), 4u);
    const std::pair<Kind, QPoint> expected[] = {{Kind::Click, {10, 20}},
                                                {Kind::RightClick, {0, 0}},
                                                {Kind::DoubleClick, {639, 479}},
                                                {Kind::Move, {320, 5}}};
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].kind, expected[i].first) << i;
        EXPECT_EQ(commands[i].position, expected[i].second) << i;
    }
}

TEST(InputScriptTest, EveryKeyNameIsKnownAndCtrlCanBeHeld) {
    const auto commands = commandsOf(
        "key Return\nkey Space\nkey Escape\nkey Up\nkey Down\nkey Tab\nkey Ctrl\n"
        "key Ctrl down\nkey ctrl UP\nkey Tab down");
    ASSERT_EQ(commands.size(), 10u);
    const Key keys[] = {Key::Return, Key::Space, Key::Escape, Key::Up,   Key::Down,
                        Key::Tab,    Key::Ctrl,  Key::Ctrl,   Key::Ctrl, Key::Tab};
    for (size_t i = 0; i < commands.size(); ++i) {
        EXPECT_EQ(commands[i].key, keys[i]) << i;
    }
    EXPECT_EQ(commands[0].kind, Kind::KeyPress);
    EXPECT_EQ(commands[6].kind, Kind::KeyPress);
    EXPECT_EQ(commands[7].kind, Kind::KeyDown);
    EXPECT_EQ(commands[8].kind, Kind::KeyUp);
    EXPECT_EQ(commands[9].kind, Kind::KeyDown);
}

TEST(InputScriptTest, WheelMenuAnswerShotAndQuitForms) {
    const auto commands = commandsOf(
        "wheel up\nwheel down\nmenu file!qsave\nanswer YES\nanswer no\nanswer Ok\n"
        "answer cancel\nshot title_01.v2\nquit");
    ASSERT_EQ(commands.size(), 9u);
    EXPECT_EQ(commands[0].kind, Kind::WheelUp);
    EXPECT_EQ(commands[1].kind, Kind::WheelDown);
    EXPECT_EQ(commands[2].kind, Kind::Menu);
    EXPECT_EQ(commands[2].text, "file!qsave");
    QStringList answers;
    for (size_t i = 3; i < 7; ++i) {
        EXPECT_EQ(commands[i].kind, Kind::Answer);
        answers << commands[i].text;
    }
    EXPECT_EQ(answers, QStringList({"yes", "no", "ok", "cancel"}));
    EXPECT_EQ(commands[7].kind, Kind::Shot);
    EXPECT_EQ(commands[7].text, "title_01.v2");
    EXPECT_EQ(commands[8].kind, Kind::Quit);
}

TEST(InputScriptTest, ABadLineIsReportedWithItsNumber) {
    EXPECT_EQ(errorOf("wait 10\n# note\n\njump 3 4\nquit"), "input line 4: unknown command 'jump'");
    EXPECT_EQ(errorOf("quit\r\nclick 1"), "input line 2: expected 'click X Y'");
    const QString badLines[] = {
        "wait",        "wait -5",        "wait 1.5",      "wait 10 20", "wait 99999999999",
        "click 1 2 3", "rclick a 2",     "dclick 1 -2",   "move",       "key",
        "key F1",      "key Ctrl hold",  "key Up down x", "wheel",      "wheel left",
        "menu",        "menu fileqsave", "menu !qsave",   "menu file!", "menu a!b c",
        "answer",      "answer maybe",   "shot",          "shot a b",   "quit now",
        "Click 1",
    };
    for (const QString& bad : badLines) {
        const QString error = errorOf("wait 1\n\n" + bad + "\nquit");
        EXPECT_TRUE(error.startsWith("input line 3: "))
            << bad.toStdString() << " -> " << error.toStdString();
    }
}

TEST(InputScriptTest, ShotNamesMustBePlainFileNames) {
    for (const char* bad : {"a/b", "/abs", "a\\b", "..", "../up", "x..y"}) {
        EXPECT_EQ(errorOf(QStringLiteral("shot ") + bad),
                  QStringLiteral("input line 1: bad shot name '") + bad + "'");
    }
    for (const char* good : {"title", "a.b", ".hidden", "ending-01_x"}) {
        EXPECT_TRUE(InputScript::isPlainFileName(good)) << good;
    }
    EXPECT_FALSE(InputScript::isPlainFileName(""));
}

TEST(InputScriptTest, AFailedParseLeavesNoCommandsFromBefore) {
    InputScript script;
    QString error;
    ASSERT_TRUE(script.parse("wait 40\nquit", error));
    EXPECT_FALSE(script.parse("click 1 1\nbogus", error));
    EXPECT_TRUE(script.commands().empty());
    EXPECT_EQ(script.endMs(), 0);
}

TEST(InputScriptTest, LoadReadsAUtf8File) {
    TempFolder dir;
    dir.write("input.txt", Bytes("# 開始\nwait 20\nmenu ファイル!保存\n"));
    InputScript script;
    QString error;
    ASSERT_TRUE(script.load(dir.file("input.txt"), error)) << error.toStdString();
    ASSERT_EQ(script.commands().size(), 1u);
    EXPECT_EQ(script.commands()[0].text, QStringLiteral("ファイル!保存"));
    EXPECT_EQ(script.commands()[0].atMs, 20);
    EXPECT_FALSE(script.load(dir.file("missing.txt"), error));
    EXPECT_TRUE(error.contains("missing.txt"));
}
