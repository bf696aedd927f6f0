// The ending roll in-process on the virtual clock: its films and actions, the
// ticks of the auto-click timer, clicks, the right click and the way back into
// the scenario.
#include <cstdint>

#include "GameModeFixture.h"
#include "modes/clsModeEnding.h"

namespace {

constexpr int kScreenHeight = 480;
constexpr int kCreditsWidth = 200;
constexpr int kCreditsHeight = 600;
constexpr int kEffectWidth = 40;
constexpr int kEffectCell = kScreenHeight / 2;
constexpr qint64 kRollMs = 60000;
const QString kFullRoll = QStringLiteral("60000,eb.png,cr.png,ef.png");

class EndingModeTest : public GameModeFixture {
protected:
    using Mode = clsModeEnding;

    void writeModeDocuments() override {
        picture(QStringLiteral("eb.png"), QSize(640, 480), {Qt::darkBlue});
        picture(QStringLiteral("cr.png"), QSize(kCreditsWidth, kCreditsHeight), {Qt::white});
        picture(QStringLiteral("ef.png"), QSize(kEffectWidth, kEffectCell),
                {Qt::red, Qt::green, Qt::blue, Qt::yellow});
    }

    Mode* ending() { return dynamic_cast<Mode*>(varo().ModeObject()); }
    // Starts a scenario whose first instruction plays the roll and whose
    // message after it waits for a click; gives the time the roll started.
    qint64 startRoll(qint64 duration = kRollMs, const QString& effect = QStringLiteral("ef.png")) {
        scenario(QStringLiteral("main"),
                 QStringLiteral("start:\r\nplayending %1, eb.png, cr.png, %2\r\n"
                                "textwindow\r\nda\r\nlet s, 5\r\n後の文。\\b\r\n")
                     .arg(duration)
                     .arg(effect.isEmpty() ? QStringLiteral("%") : effect));
        startGame();
        return lastTimeOf(QStringLiteral("mode 4 14"));
    }
    bool rolling() {
        return player.launcher.Varo() != nullptr && varo().VaroMode() == clsVaro::kModeEnding &&
               ending() != nullptr && ending()->SubStatus() == Mode::kRolling;
    }
    void pumpUntil(qint64 time) { pumpFor(time - clock().now()); }
    // Virtual time of the way back to the game mode; -1 while none came.
    qint64 backInGameAt() const { return lastTimeOf(QStringLiteral("mode 2 7")); }
};

// ---------------------------------------------------------------------------
// Start

TEST_F(EndingModeTest, TheRollStartsWithItsFilmsBelowTheScreenAndAllMenusOff) {
    startRoll();
    ASSERT_TRUE(rolling());
    EXPECT_EQ(ending()->Duration(), kRollMs);
    EXPECT_EQ(enabledMenus(), QString());
    EXPECT_EQ(kest().BaseFilmSet(), clsKestDriver::kFilmSetBasic);
    EXPECT_EQ(kest().BGName(), QStringLiteral("eb.png"));
    // Credits centred across; the effect at 40 % of the width, one cell shown.
    EXPECT_EQ(filmInt(ending()->RollFilm(), FilmProp::X), 320 - kCreditsWidth / 2);
    EXPECT_EQ(filmInt(ending()->EffectFilm(), FilmProp::X), 256);
    EXPECT_EQ(filmInt(ending()->EffectFilm(), FilmProp::CellHeight), kEffectCell);
    EXPECT_EQ(filmInt(ending()->EffectFilm(), FilmProp::CellRow), 0);
    EXPECT_GT(filmInt(ending()->RollFilm(), FilmProp::Y), kScreenHeight - 5);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), Mode::kTickMs);
}

TEST_F(EndingModeTest, CreditsScrollOnceAndTheEffectShowsTheNextCellOnEachOfFourPasses) {
    const qint64 started = startRoll();
    const KestLibrary::FilmId roll = ending()->RollFilm();
    const KestLibrary::FilmId effect = ending()->EffectFilm();
    // The credits go from the bottom edge (480) until they have left the top
    // (-600); each pass of the effect takes a quarter of the roll, from the
    // bottom edge to half a screen above the top (-240).
    const int effectHalfWay = (kScreenHeight - kEffectCell) / 2;
    for (int pass = 0; pass < Mode::kEffectPasses; ++pass) {
        pumpUntil(started + kRollMs * (2 * pass + 1) / 8);
        EXPECT_EQ(filmInt(effect, FilmProp::CellRow), pass) << pass;
        EXPECT_NEAR(filmInt(effect, FilmProp::Y), effectHalfWay, 2) << pass;
        if (pass == 1) {
            pumpUntil(started + kRollMs / 2);
            EXPECT_NEAR(filmInt(roll, FilmProp::Y), (kScreenHeight - kCreditsHeight) / 2, 2);
        }
    }
    EXPECT_TRUE(rolling());
    pumpUntil(started + kRollMs + 10);
    EXPECT_FALSE(rolling());
}

TEST_F(EndingModeTest, WithoutAnEffectPictureOnlyTheCreditsRoll) {
    startRoll(5000, QString());
    ASSERT_TRUE(rolling());
    EXPECT_EQ(ending()->EffectFilm(), KestLibrary::kNoFilm);
    EXPECT_EQ(ending()->EffectAction(), KestLibrary::kNoAction);
    EXPECT_NE(ending()->RollAction(), KestLibrary::kNoAction);
    pumpFor(5100);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(EndingModeTest, StartCodeFifteenLeavesTheScreenAloneAndClicksDoNothing) {
    const QString background = kest().BGName();
    varo().ChangeMode(clsVaro::kModeEnding, Mode::kSubIdle, kFullRoll);
    pumpFor(5);
    ASSERT_NE(ending(), nullptr);
    EXPECT_EQ(ending()->SubStatus(), 0);
    EXPECT_EQ(kest().BGName(), background);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    click();
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeEnding);
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(EndingModeTest, AnyOtherStartCodeSaysSo) {
    varo().ChangeMode(clsVaro::kModeEnding, 3, kFullRoll);
    pumpFor(5);
    EXPECT_EQ(messages(), QStringList{QStringLiteral("不正なモード開始引数です。")});
    EXPECT_EQ(ending()->SubStatus(), 0);
}

// ---------------------------------------------------------------------------
// Ticks, clicks and the right click

TEST_F(EndingModeTest, AClickReArmsTheTimerWithoutShorteningTheRoll) {
    const qint64 started = startRoll();
    pumpFor(5000);
    click();
    EXPECT_EQ(varo().CurrentAutoClickTimer(), Mode::kTickMs);
    // Clicks in the last seconds re-arm for what is left, not for ten seconds.
    pumpFor(52000 - (clock().now() - started));
    click();
    EXPECT_NEAR(varo().CurrentAutoClickTimer(), 8000, 10);
    pumpFor(kRollMs - 100 - (clock().now() - started));
    EXPECT_TRUE(rolling());
    pumpFor(200);
    EXPECT_EQ(backInGameAt(), started + kRollMs);
}

TEST_F(EndingModeTest, TheRollEndsWhenTheTimeLeftIsExactlyZero) {
    const qint64 started = startRoll(20000);
    // Ticks at 10 s and 20 s; at the second nothing is left.
    pumpFor(20010);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    EXPECT_EQ(backInGameAt(), started + 20000);
}

TEST_F(EndingModeTest, TheFirstTickOfAShortRollComesAtItsEnd) {
    const qint64 started = startRoll(3000);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 3000);
    pumpFor(3010);
    EXPECT_EQ(backInGameAt(), started + 3000);
}

TEST_F(EndingModeTest, ARollAcrossTheWrapOfTheMillisecondCounterLastsItsTime) {
    // 32-bit milliseconds wrap after about 49.7 days: start five seconds before.
    constexpr qint64 kWrap = qint64{1} << 32;
    while (clock().now() < kWrap - 5000) {
        clock().sleep(static_cast<int>(std::min<qint64>(kWrap - 5000 - clock().now(), 1 << 30)));
    }
    clock().pump();
    const qint64 started = startRoll();
    pumpFor(kRollMs / 2);
    EXPECT_TRUE(rolling());
    pumpFor(kRollMs / 2 + 10);
    EXPECT_EQ(backInGameAt(), started + kRollMs);
}

TEST_F(EndingModeTest, ARightClickEndsTheRollAtOnceAndRemovesItsFilms) {
    startRoll();
    const KestLibrary::FilmId roll = ending()->RollFilm();
    const KestLibrary::FilmId effect = ending()->EffectFilm();
    pumpFor(5000);
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    QSize size;
    EXPECT_FALSE(kest().Library().GetFilmProp(roll, FilmProp::Size, size));
    EXPECT_FALSE(kest().Library().GetFilmProp(effect, FilmProp::Size, size));
    EXPECT_TRUE(messages().isEmpty());
}

TEST_F(EndingModeTest, CommandsFromATaggedRectangleAreIgnored) {
    startRoll();
    const RectPtr tagged = view().EvRects().Add(0, QStringLiteral("somebutton"));
    command(clsGameView::kCmdSecondary, tagged);
    EXPECT_TRUE(rolling());
    const RectPtr untagged = view().EvRects().Add(0, QString());
    command(clsGameView::kCmdSecondary, untagged);
    EXPECT_FALSE(rolling());
}

// ---------------------------------------------------------------------------
// Back into the scenario

TEST_F(EndingModeTest, TheScenarioGoesOnAfterPlayendingWithTheGameMenus) {
    startRoll(4000);
    ASSERT_TRUE(rolling());
    EXPECT_EQ(var(QStringLiteral("s")), QStringLiteral("0"));
    pumpFor(4100);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    EXPECT_EQ(var(QStringLiteral("s")), QStringLiteral("5"));
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_EQ(enabledMenus(), kAllGameMenus);
}

}  // namespace
