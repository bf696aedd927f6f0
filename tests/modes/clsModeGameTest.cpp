#include "modes/clsModeGame.h"

#include <QFileInfo>
#include <memory>

#include "GameModeFixture.h"
#include "data/SharedData.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "scenario/Script.h"

namespace {

// Two texts, a choice, scenario buttons with and without a pointer label, and
// a last text; r tells how far the scenario went.
const QString kMainScenario = QStringLiteral(
    "start: put \"はじめの文です。\"\r\n"
    "let r, 1\r\n"
    "put \"つぎの文です。\"\r\n"
    "let r, 2\r\n"
    "item \"左へ\", left\r\n"
    "item \"右へ\", right\r\n"
    "select\r\n"
    "left: let r, 3\r\n"
    "put \"左の文です。\"\r\n"
    "right: let r, 4\r\n"
    "er 0, 0, 100, 100, clicked\r\n"
    "er 200, 0, 100, 100, clicked, hovered\r\n"
    "selecter\r\n"
    "hovered: let r, 5\r\n"
    "er 0, 0, 100, 100, clicked\r\n"
    "selecter\r\n"
    "clicked: let r, 6\r\n"
    "put \"おわりの文です。\"\r\n"
    "scene: let r, 9\r\n"
    "put \"再生する場面です。\"\r\n");

const QString kEntryMissing =
    QStringLiteral("システム情報かデバッグセクションにエントリポイントを指定してください。");
const QString kStartFailed = QStringLiteral("シナリオを開始できませんでした。");

}  // namespace

class clsModeGameTest : public GameModeFixture {
protected:
    void SetUp() override {
        GameModeFixture::SetUp();
        scenario(QStringLiteral("main"), kMainScenario);
    }

    std::int32_t subStatus() { return game() != nullptr ? game()->SubStatus() : -1; }
    // Clicks through the two texts to the choice.
    void toChoice() {
        startGame();
        click();
        click();
        ASSERT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    }
    RectPtr choice(int index) { return rectOf(QStringLiteral("selectionitem"), index); }
    RectPtr scenarioButton(bool withPointerLabel) {
        for (const RectPtr& rect : view().EvRects().NewEnum()) {
            if (rect->TagName == QLatin1String("gamemode_button") &&
                rect->Text2.isEmpty() != withPointerLabel) {
                return rect;
            }
        }
        return nullptr;
    }
    static bool quickSaved() { return QFileInfo::exists(clsSaveData::FormatINIPath(99, 0)); }
};

// ---------------------------------------------------------------------------
// Starting

TEST_F(clsModeGameTest, NewGameStartsAtTheEntryPointWithAFreshGameState) {
    view().EvRects().Add(0, QStringLiteral("title_button"));
    varo().SD().Var().SetKeyValue(QStringLiteral("left_over"), QStringLiteral("1"));
    varo().ChangeMode(clsVaro::kModeGame, clsModeGame::kSubNewGame);
    ASSERT_NE(game(), nullptr);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_TRUE(game()->TextFilmsVisible());
    EXPECT_FALSE(game()->IsReplayMode());
    EXPECT_EQ(enabledMenus(), QStringLiteral("file!title"));
    EXPECT_EQ(rectCount(QStringLiteral("title_button")), 0);
    EXPECT_TRUE(var(QStringLiteral("left_over")).isEmpty());
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("0"));
    // The first step waits for the auto-click timer.
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 1);
    EXPECT_FALSE(kest().TextVisible());

    pumpFor(5);
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(varo().Intprt().CurrentScript()->Name(), QStringLiteral("main"));
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("はじめの文です。"));
    EXPECT_TRUE(kest().TextVisible());
    EXPECT_TRUE(kest().CursorVisible());
    EXPECT_EQ(enabledMenus(), kAllGameMenus);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
}

TEST_F(clsModeGameTest, AfterALoadOnlyTheGameMenusAreEnabled) {
    varo().ChangeMode(clsVaro::kModeGame, clsModeGame::kSubAfterLoad);
    ASSERT_NE(game(), nullptr);
    EXPECT_EQ(enabledMenus(), kAllGameMenus);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_TRUE(game()->TextFilmsVisible());
    EXPECT_FALSE(game()->IsReplayMode());
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    pumpFor(100);
    EXPECT_EQ(varo().Intprt().CurrentScript(), nullptr);
}

TEST_F(clsModeGameTest, ReplayStartsAtItsLabelWithTheReplayMenus) {
    view().EvRects().Add(0, QStringLiteral("extras_item"));
    varo().ChangeMode(clsVaro::kModeGame, clsModeGame::kSubReplay, QStringLiteral("main.scene"));
    ASSERT_NE(game(), nullptr);
    EXPECT_TRUE(game()->IsReplayMode());
    EXPECT_EQ(enabledMenus(), kReplayMenus);
    EXPECT_EQ(rectCount(QStringLiteral("extras_item")), 0);
    pumpFor(5);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("9"));
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(enabledMenus(), kReplayMenus);
}

TEST_F(clsModeGameTest, UnknownSubModeIsReportedAndTheModeStillPlays) {
    varo().ChangeMode(clsVaro::kModeGame, 99);
    ASSERT_NE(game(), nullptr);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("不正なモード開始引数です。")});
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_TRUE(game()->TextFilmsVisible());
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
}

namespace {

class clsModeGameDebugEntryTest : public clsModeGameTest {
protected:
    QString DebugKeys() const override { return QStringLiteral("EntryPoint=other.begin\r\n"); }
};

class clsModeGameNoEntryTest : public clsModeGameTest {
protected:
    QString GameKeys() const override { return QStringLiteral("LogBlockPrefix=＊\r\n"); }
};

}  // namespace

TEST_F(clsModeGameDebugEntryTest, DebugSectionEntryPointComesFirst) {
    scenario(QStringLiteral("other"),
             QStringLiteral("begin: let r, 7\r\nput \"別の入口です。\"\r\n"));
    startGame();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("7"));
    EXPECT_EQ(varo().Intprt().CurrentScript()->Name(), QStringLiteral("other"));
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
}

TEST_F(clsModeGameNoEntryTest, WithoutAnEntryPointBothFailuresAreShownInOrder) {
    startGame();
    const QStringList shown = messages();
    const qsizetype missing = shown.indexOf(kEntryMissing);
    const qsizetype failed = shown.indexOf(kStartFailed);
    ASSERT_GE(missing, 0) << shown.join(u'|').toStdString();
    ASSERT_GE(failed, 0) << shown.join(u'|').toStdString();
    EXPECT_LT(missing, failed);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    // The menu stays usable.
    EXPECT_TRUE(view().EventEnabled());
    EXPECT_EQ(enabledMenus(), QStringLiteral("file!title"));
}

// ---------------------------------------------------------------------------
// Clicks, choices and scenario buttons

TEST_F(clsModeGameTest, ClicksStepTheScenarioOnlyAtAClickWait) {
    startGame();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("0"));
    click();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    click();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
    EXPECT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    click();
    EXPECT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    click(choice(1));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("4"));
    EXPECT_EQ(waitMode(), clsInterpreter::kButtonWait);
    click();
    EXPECT_EQ(waitMode(), clsInterpreter::kButtonWait);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("4"));
}

// 15 characters at the test game's text speed take 450 ms; a click 50 ms into
// the reveal shows the rest at once and does not go on to the next line.
TEST_F(clsModeGameTest, AClickDuringTheRevealCutsItShortWithoutStepping) {
    scenario(QStringLiteral("main"),
             QStringLiteral("start: put \"とても長い文を一文字ずつ出します。\"\r\n"
                            "let r, 1\r\nput \"次です。\"\r\n"));
    varo().ChangeMode(clsVaro::kModeGame, clsModeGame::kSubNewGame);
    const qint64 started = clock().now();
    std::int32_t waitAtClick = -1;
    clock().startTimer(50, [this, &waitAtClick] {
        waitAtClick = waitMode();
        view().RaiseScreenCmd(clsGameView::kCmdPrimary, nullptr);
    });
    pumpFor(5);
    EXPECT_EQ(waitAtClick, clsInterpreter::kRevealing);
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_LT(clock().now() - started, 200);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("0"));
}

TEST_F(clsModeGameTest, RightClickHidesTheWindowAndTheNextClickOnlyShowsIt) {
    startGame();
    ASSERT_TRUE(kest().TextVisible());
    ASSERT_TRUE(kest().CursorVisible());
    rightClick();
    EXPECT_FALSE(game()->TextFilmsVisible());
    EXPECT_FALSE(kest().TextVisible());
    EXPECT_FALSE(kest().CursorVisible());
    click();
    EXPECT_TRUE(game()->TextFilmsVisible());
    EXPECT_TRUE(kest().TextVisible());
    EXPECT_TRUE(kest().CursorVisible());
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("0"));
    click();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
}

TEST_F(clsModeGameTest, APickedChoiceJumpsToItsLabelWithItsSounds) {
    toChoice();
    const RectPtr right = choice(1);
    ASSERT_NE(right, nullptr);
    ASSERT_TRUE(right->Enabled);
    EXPECT_EQ(right->Text3, QStringLiteral("right"));
    pointAt(right);
    EXPECT_EQ(effectsPlayed(QStringLiteral("point")), 1);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 0);
    EXPECT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    click(right);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 1);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("4"));
    EXPECT_EQ(kest().ChoiceCount(), 0);
}

TEST_F(clsModeGameTest, ChoicesArePickedOnlyWhileShownAndFromEnabledRectangles) {
    toChoice();
    const RectPtr left = choice(0);
    const RectPtr right = choice(1);
    left->Enabled = false;
    pointAt(left);
    click(left);
    EXPECT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
    EXPECT_EQ(effectsPlayed(QStringLiteral("point")), 0);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 0);

    click(right);
    ASSERT_EQ(var(QStringLiteral("r")), QStringLiteral("4"));
    // The old choice's rectangle, even enabled again, no longer picks anything.
    right->Enabled = true;
    click(right);
    pointAt(right);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("4"));
    EXPECT_EQ(waitMode(), clsInterpreter::kButtonWait);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 1);
}

TEST_F(clsModeGameTest, ScenarioButtonsTakeTheirClickAndPointerLabels) {
    toChoice();
    click(choice(1));
    ASSERT_EQ(waitMode(), clsInterpreter::kButtonWait);
    ASSERT_EQ(rectCount(QStringLiteral("gamemode_button")), 2);
    const RectPtr plain = scenarioButton(false);
    const RectPtr hovered = scenarioButton(true);
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(hovered, nullptr);

    pointAt(plain);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("4"));
    EXPECT_EQ(waitMode(), clsInterpreter::kButtonWait);
    pointAt(hovered);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("5"));
    ASSERT_EQ(rectCount(QStringLiteral("gamemode_button")), 1);
    click(scenarioButton(false));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("6"));
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(rectCount(QStringLiteral("gamemode_button")), 0);
}

TEST_F(clsModeGameTest, HidingTheWindowAlsoHidesChoicesAndCharactersOfScenarioButtons) {
    scenario(QStringLiteral("main"), QStringLiteral("start: cg st_a_1\r\n"
                                                    "ercg st_a_1, clicked\r\n"
                                                    "put \"人物がいます。\"\r\n"
                                                    "item \"はい\", yes\r\n"
                                                    "select\r\n"
                                                    "yes: let r, 1\r\n"
                                                    "clicked: let r, 2\r\n"
                                                    "put \"おわり\"\r\n"));
    startGame();
    ASSERT_EQ(waitMode(), clsInterpreter::kClickWait);
    ASSERT_TRUE(kest().CGTempVisible(QStringLiteral("st_a_1")));
    rightClick();
    EXPECT_FALSE(kest().CGTempVisible(QStringLiteral("st_a_1")));
    EXPECT_FALSE(kest().TextVisible());
    EXPECT_FALSE(kest().CursorVisible());
    click();
    EXPECT_TRUE(kest().CGTempVisible(QStringLiteral("st_a_1")));
    EXPECT_TRUE(kest().TextVisible());
    EXPECT_TRUE(kest().CursorVisible());

    click();
    ASSERT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    ASSERT_TRUE(kest().ChoiceVisible());
    rightClick();
    EXPECT_FALSE(kest().ChoiceVisible());
    EXPECT_FALSE(kest().TextVisible());
    click();
    EXPECT_TRUE(kest().ChoiceVisible());
    EXPECT_TRUE(kest().TextVisible());
    EXPECT_EQ(waitMode(), clsInterpreter::kChoiceWait);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
}

// ---------------------------------------------------------------------------
// Window buttons and the wheel

// A timer firing inside a scenario pause stands for input that arrives while a
// step runs.
TEST_F(clsModeGameTest, WindowButtonsAndTheWheelActOnlyAtAWait) {
    scenario(QStringLiteral("main"), QStringLiteral("start: pause 200\r\nput \"一つ目\"\r\n"
                                                    "let r, 1\r\nput \"二つ目\"\r\n"));
    varo().ChangeMode(clsVaro::kModeGame, clsModeGame::kSubNewGame);
    const RectPtr save = windowButton(QStringLiteral("save"));
    const RectPtr load = windowButton(QStringLiteral("load"));
    const RectPtr log = windowButton(QStringLiteral("log"));
    ASSERT_NE(save, nullptr);
    ASSERT_NE(load, nullptr);
    ASSERT_NE(log, nullptr);
    std::int32_t waitInStep = -1;
    clock().startTimer(100, [&] {
        waitInStep = waitMode();
        for (const RectPtr& button : {save, load, log}) {
            view().RaiseScreenCmd(clsGameView::kCmdPrimary, button);
        }
        view().RaiseScreenCmd(clsGameView::kCmdWheelForward, nullptr);
    });
    pumpFor(300);
    ASSERT_EQ(waitInStep, clsInterpreter::kRunning);
    ASSERT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_FALSE(quickSaved());
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 0);

    pointAt(save);
    EXPECT_EQ(filmInt(save->FilmID, FilmProp::CellRow), 1);
    click(load);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("クイックセーブされたデータがありません。")});
    click(save);
    EXPECT_TRUE(quickSaved());
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 2);
    EXPECT_EQ(filmInt(save->FilmID, FilmProp::CellRow), 0);
    // The wheel backward at a wait clicks; forward opens the log.
    command(clsGameView::kCmdWheelBackward);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
    command(clsGameView::kCmdWheelForward);
    EXPECT_EQ(subStatus(), clsModeGame::kLogOpen);
}

TEST_F(clsModeGameTest, ReplayNeitherActsOnNorHighlightsSaveAndLoad) {
    startGame(clsModeGame::kSubReplay, QStringLiteral("main.scene"));
    ASSERT_EQ(waitMode(), clsInterpreter::kClickWait);
    const RectPtr save = windowButton(QStringLiteral("save"));
    const RectPtr load = windowButton(QStringLiteral("load"));
    const RectPtr log = windowButton(QStringLiteral("log"));
    pointAt(save);
    EXPECT_EQ(filmInt(save->FilmID, FilmProp::CellRow), 0);
    pointAt(load);
    EXPECT_EQ(filmInt(load->FilmID, FilmProp::CellRow), 0);
    click(save);
    click(load);
    EXPECT_FALSE(quickSaved());
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 0);

    pointAt(log);
    EXPECT_EQ(filmInt(log->FilmID, FilmProp::CellRow), 1);
    click(log);
    EXPECT_EQ(subStatus(), clsModeGame::kLogOpen);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 1);
    command(clsGameView::kCmdWheelBackward);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_EQ(enabledMenus(), kReplayMenus);
}

// ---------------------------------------------------------------------------
// The back-log

TEST_F(clsModeGameTest, TheLogCoversTheGameAndClosingRestoresIt) {
    QString text = QStringLiteral("start: ");
    for (int k = 0; k < 6; ++k) {
        text += QStringLiteral("put \"%1\"\r\n").arg(QString(k + 1, QChar(u'あ')));
    }
    scenario(QStringLiteral("main"), text);
    startGame();
    for (int k = 0; k < 5; ++k) {
        click();
    }
    ASSERT_EQ(varo().SD().HistoryCount(), 6);
    ASSERT_TRUE(kest().TextVisible());
    ASSERT_TRUE(kest().CursorVisible());
    varo().MakeAutoClickTimer(1500, clsGameView::kCmdPrimary, nullptr);

    command(clsGameView::kCmdWheelForward);
    ASSERT_EQ(subStatus(), clsModeGame::kLogOpen);
    EXPECT_EQ(game()->LogTextIndex(), 5);
    EXPECT_FALSE(kest().TextVisible());
    EXPECT_FALSE(kest().CursorVisible());
    EXPECT_EQ(enabledMenus(), QStringLiteral("file!title"));
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    // The game does not go on under the log.
    pumpFor(2000);
    click();
    EXPECT_EQ(subStatus(), clsModeGame::kLogOpen);
    EXPECT_EQ(varo().SD().HistoryCount(), 6);

    command(clsGameView::kCmdWheelForward);
    EXPECT_EQ(game()->LogTextIndex(), 4);
    command(clsGameView::kCmdWheelBackward);
    EXPECT_EQ(game()->LogTextIndex(), 5);
    EXPECT_EQ(subStatus(), clsModeGame::kLogOpen);
    command(clsGameView::kCmdWheelBackward);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_TRUE(kest().TextVisible());
    EXPECT_TRUE(kest().CursorVisible());
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 1500);
    EXPECT_EQ(enabledMenus(), kAllGameMenus);
    for (const char* group : {"log_bk", "log_move", "log_cv", "log_cvplay"}) {
        EXPECT_EQ(rectCount(QLatin1String(group)), 0) << group;
    }
}

TEST_F(clsModeGameTest, TheLogOpensFromItsButtonAndTheMenuAndClosesFromItsOwn) {
    startGame();
    click(windowButton(QStringLiteral("log")));
    ASSERT_EQ(subStatus(), clsModeGame::kLogOpen);
    command(clsGameView::kCmdSecondary, rectOf(QStringLiteral("log_bk")));
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);

    view().MenuCmd(QStringLiteral("message"), QStringLiteral("log"));
    ASSERT_EQ(subStatus(), clsModeGame::kLogOpen);
    RectPtr back;
    for (const RectPtr& rect : view().EvRects().NewEnum()) {
        if (rect->TagName == QLatin1String("log_move") && rect->Text4 == QLatin1String("return")) {
            back = rect;
        }
    }
    ASSERT_NE(back, nullptr);
    click(back);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_TRUE(kest().TextVisible());
    // The game goes on as before.
    click();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
}

// Calls that reach the mode by name (menus, the engine) when they do not fit.
TEST_F(clsModeGameTest, LogRequestsOutOfPlaceChangeNothing) {
    startGame();
    varo().MakeAutoClickTimer(1500, clsGameView::kCmdPrimary, nullptr);
    game()->LogModeEnd();
    game()->SetLogTextIndex(2);
    game()->PlayCVAry(0);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 1500);
    EXPECT_TRUE(kest().TextVisible());
    EXPECT_EQ(enabledMenus(), kAllGameMenus);

    game()->LogModeStart();
    game()->LogModeStart();
    EXPECT_EQ(rectCount(QStringLiteral("log_move")), 5);
    EXPECT_EQ(rectCount(QStringLiteral("log_bk")), 1);
    game()->LogModeEnd();
    EXPECT_EQ(rectCount(QStringLiteral("log_move")), 0);
    EXPECT_EQ(rectCount(QStringLiteral("log_bk")), 0);
    EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 1500);
}

// ---------------------------------------------------------------------------
// Movies

namespace {

const QString kMovieScenario = QStringLiteral(
    "m0: playmovie \"op.avi\", 0\r\nlet r, 1\r\nput \"見終わりました。\"\r\n"
    "m1: playmovie \"op.avi\", 1\r\nlet r, 1\r\nput \"見終わりました。\"\r\n"
    "m2: playmovie \"op.avi\", 2\r\nlet r, 1\r\nput \"見終わりました。\"\r\n");

}  // namespace

// A five-second movie played from the scenario in each play mode.
class clsModeGameMovieTest : public clsModeGameTest {
protected:
    void SetUp() override {
        clsModeGameTest::SetUp();
        scenario(QStringLiteral("movie"), kMovieScenario);
        ASSERT_TRUE(dovtest::writeMovie(dir.file(QStringLiteral("op.avi")), 50, 10, 64, 48, 0));
    }
    void playIn(int mode) {
        startGame(clsModeGame::kSubReplay, QStringLiteral("movie.m%1").arg(mode));
        ASSERT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
        ASSERT_EQ(subStatus(), clsModeGame::kMoviePlaying);
        ASSERT_TRUE(varo().Dov().IsPlayingMovie());
        ASSERT_EQ(var(QStringLiteral("r")), QStringLiteral("0"));
    }
    // The movie stopped and the scenario went on after it.
    void expectResumed() {
        EXPECT_EQ(subStatus(), clsModeGame::kPlaying);
        EXPECT_FALSE(varo().Dov().IsPlayingMovie());
        EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
        EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    }
    void expectStillPlaying() {
        EXPECT_EQ(subStatus(), clsModeGame::kMoviePlaying);
        EXPECT_TRUE(varo().Dov().IsPlayingMovie());
        EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("0"));
    }
};

TEST_F(clsModeGameMovieTest, ModeZeroEndsOnlyWithCtrlAndTab) {
    playIn(0);
    click();
    rightClick();
    expectStillPlaying();
    view().KeyDown(Qt::Key_Control, Qt::ControlModifier);
    pumpFor(5);
    expectStillPlaying();
    view().KeyUp(Qt::Key_Control);
    view().KeyDown(Qt::Key_Tab, Qt::NoModifier);
    view().KeyDown(Qt::Key_Control, Qt::ControlModifier);
    // Released before the scenario goes on: a held Ctrl would skip its text.
    view().KeyUp(Qt::Key_Control);
    view().KeyUp(Qt::Key_Tab);
    pumpFor(5);
    expectResumed();
    EXPECT_EQ(events(QStringLiteral("movie stop")),
              QStringList{QStringLiteral("movie stop op.avi")});
}

TEST_F(clsModeGameMovieTest, ModeOneEndsOnARightClick) {
    playIn(1);
    click();
    view().MenuCmd(QStringLiteral("message"), QStringLiteral("log"));
    expectStillPlaying();
    rightClick();
    expectResumed();
}

TEST_F(clsModeGameMovieTest, ModeTwoEndsOnAClick) {
    playIn(2);
    rightClick();
    expectStillPlaying();
    click();
    expectResumed();
}

TEST_F(clsModeGameMovieTest, AMovieThatEndsByItselfResumesTheScenario) {
    playIn(1);
    pumpFor(4000);
    expectStillPlaying();
    pumpFor(2000);
    expectResumed();
}

// ---------------------------------------------------------------------------
// Leaving the mode

TEST_F(clsModeGameTest, ModeEndSavesTheSharedData) {
    startGame();
    varo().Shared().Var().SetKeyValue(QStringLiteral("seen"), QStringLiteral("1"));
    const auto savedSeen = [this] {
        SharedData stored;
        EXPECT_TRUE(stored.Init(varo().SystemInfo(), varo().OmakemodeInfo()));
        return stored.Var().KeyValue(QStringLiteral("seen"));
    };
    ASSERT_TRUE(savedSeen().isEmpty());
    varo().ChangeMode(clsVaro::kModeNone, 0);
    EXPECT_EQ(savedSeen(), QStringLiteral("1"));
}

// The mode is changed by a timer that fires inside a step, that is inside
// the game mode's handling of the click that started the step.
TEST_F(clsModeGameTest, AModeChangedInsideItsOwnHandlerLivesUntilTheHandlerReturns) {
    scenario(QStringLiteral("main"),
             QStringLiteral("start: pause 100\r\nlet r, 1\r\nput \"おわり\"\r\n"));
    varo().ChangeMode(clsVaro::kModeGame, clsModeGame::kSubNewGame);
    const std::weak_ptr<clsModeBase> mode = varo().ModeObject()->weak_from_this();
    bool aliveAfterChange = false;
    clock().startTimer(50, [&] {
        varo().ChangeMode(clsVaro::kModeTitle, 1);
        aliveAfterChange = !mode.expired();
    });
    pumpFor(300);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_TRUE(aliveAfterChange);
    EXPECT_TRUE(mode.expired());
}

TEST_F(clsModeGameTest, TheScenarioLeavesTheGameForTheTitleOrTheEnding) {
    scenario(QStringLiteral("main"), QStringLiteral("start: put \"おわり\"\r\nrestarttitle\r\n"
                                                    "ending: put \"エンディングへ\"\r\n"
                                                    "playending 3, a, b\r\n"));
    startGame();
    std::weak_ptr<clsModeBase> mode = varo().ModeObject()->weak_from_this();
    click();
    pumpFor(10);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(events(QStringLiteral("mode 1 1")).size(), 2);
    EXPECT_TRUE(mode.expired());

    startGame(clsModeGame::kSubReplay, QStringLiteral("main.ending"));
    mode = varo().ModeObject()->weak_from_this();
    view().RaiseScreenCmd(clsGameView::kCmdPrimary, nullptr);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeEnding);
    EXPECT_EQ(events(QStringLiteral("mode 4 14")).size(), 1);
    EXPECT_TRUE(mode.expired());
}

// Leaving the game (the title from the menu) while the log replays a voice.
TEST_F(clsModeGameTest, LeavingTheGameWithTheLogOpenStopsItsReplay) {
    scenario(QStringLiteral("main"),
             QStringLiteral("start: put \"\\v(aki001)こえ\"\r\nput \"つぎ\"\r\n"));
    sound(QStringLiteral("aki001"), tone(300));
    startGame();
    click();
    command(clsGameView::kCmdWheelForward);
    ASSERT_EQ(subStatus(), clsModeGame::kLogOpen);
    RectPtr voice;
    for (const RectPtr& rect : view().EvRects().NewEnum()) {
        if (rect->TagName == QLatin1String("log_cv") && rect->Enabled) {
            voice = rect;
        }
    }
    ASSERT_NE(voice, nullptr);
    click(voice);
    ASSERT_GT(varo().CurrentAutoClickTimer(), 0);

    // Straight to the title's menu, whose start arms no timer of its own.
    varo().ChangeMode(clsVaro::kModeTitle, clsModeTitle::kSubMenu);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    EXPECT_EQ(rectCount(QStringLiteral("log_cvplay")), 0);
    EXPECT_EQ(rectCount(QStringLiteral("log_bk")), 0);
}
