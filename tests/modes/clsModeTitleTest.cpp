#include "modes/clsModeTitle.h"

#include <QFile>

#include "GameModeFixture.h"
#include "app/clsLaunch.h"
#include "data/Configuration.h"
#include "data/SharedData.h"
#include "media/clsDovDriver.h"

namespace {

const QString kNoDocument = QStringLiteral("モード初期化ファイルがロードできません。");
const QString kBadSub = QStringLiteral("不正なモード開始引数です。");
const QString kQuickLoadFailed = QStringLiteral("クイックロードに失敗しました。");

// Five buttons 100 x 20 in a column with gaps; three cell rows each.
const QString kTitleLayout = QStringLiteral(
    "[base]\r\nFadeTime=200\r\nInitColor=&H102030\r\nActiveMenu=file!qload,message!log\r\n"
    "PointSE=point\r\nClickSE=click\r\n"
    "[Logo]\r\nbg=logo.png\r\nse=logo_se\r\nAutoclickTime=3000\r\n"
    "[menu]\r\nbg=title.png\r\nbgm=title_bgm\r\n"
    "Buttons=start,quickload,load,omake,exit\r\n"
    "start=menu_btn.png,270,200,0,20\r\nquickload=menu_btn.png,270,230,0,20\r\n"
    "load=menu_btn.png,270,260,0,20\r\nomake=menu_btn.png,270,290,0,20\r\n"
    "exit=menu_btn.png,270,320,0,20\r\n"
    "OmakeEnableFlags=omake_a, omake_b\r\n");

const QString kScenario = QStringLiteral(
    "start: let r, 1\r\n"
    "put \"はじめの文です。\"\r\n"
    "let r, 2\r\n"
    "put \"つぎの文です。\"\r\n");

constexpr const char* kButtons[] = {"start", "quickload", "load", "omake", "exit"};

}  // namespace

// The minimal game with a whole title layout: logo, title picture, music and
// five menu buttons.
class clsModeTitleTest : public GameModeFixture {
protected:
    using FilmProp = KestLibrary::FilmProp;

    void SetUp() override {
        GameModeFixture::SetUp();
        scenario(QStringLiteral("main"), kScenario);
        writeTitle(kTitleLayout);
        picture(QStringLiteral("logo.png"), QSize(640, 480), {QColor(200, 30, 30)});
        picture(QStringLiteral("title.png"), QSize(640, 480), {QColor(30, 30, 200)});
        picture(QStringLiteral("menu_btn.png"), QSize(100, 20),
                {Qt::darkGray, Qt::yellow, Qt::white});
        sound(QStringLiteral("logo_se"), tone(500));
        sound(QStringLiteral("title_bgm"), tone(2000));
    }

    void writeTitle(const QString& layout) {
        dir.write(QStringLiteral("title_mode.ini"), Cp932Codec::encode(layout));
    }
    clsModeTitle* title() { return dynamic_cast<clsModeTitle*>(varo().ModeObject()); }
    std::int32_t subStatus() { return title() != nullptr ? title()->SubStatus() : -1; }
    void startTitle(std::int32_t sub = clsModeTitle::kSubMenu) {
        varo().ChangeMode(clsVaro::kModeTitle, sub);
        pumpFor(5);
    }

    RectPtr button(const QString& key) {
        for (const RectPtr& rect : view().EvRects().NewEnum()) {
            if (rect->TagName == clsModeTitle::kButtonGroup && rect->Text4 == key) {
                return rect;
            }
        }
        return nullptr;
    }
    qint32 row(const QString& key) { return filmInt(button(key)->FilmID, FilmProp::CellRow); }
    qint32 opacity(const QString& key) { return filmInt(button(key)->FilmID, FilmProp::Opacity); }
    QPoint centreOf(const QString& key) {
        const RectPtr rect = button(key);
        return QPoint((rect->Left + rect->Right) / 2, (rect->Top + rect->Bottom) / 2);
    }
    void key(int code) {
        view().KeyDown(code, Qt::NoModifier);
        view().KeyUp(code);
        pumpFor(5);
    }

    // A quick save of the game after its first message (r = 1).
    void makeQuickSave() {
        startGame();
        ASSERT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
        varo().QuickSave(false);
        ASSERT_TRUE(QFile::exists(clsSaveData::FormatINIPath(99, 0)));
    }
    void unlockExtras() {
        varo().Shared().Var().SetKeyValue(QStringLiteral("omake_b"), QStringLiteral("2"));
    }
    int modeChanges(const QString& to) { return static_cast<int>(events(to).size()); }
};

// ---------------------------------------------------------------------------
// Starting

TEST_F(clsModeTitleTest, MissingDocumentIsReportedAndNothingIsShown) {
    QFile::remove(dir.file(QStringLiteral("title_mode.ini")));
    view().EvRects().Add(0, QStringLiteral("left_over"));
    startTitle();
    EXPECT_EQ(messages(), QStringList{kNoDocument});
    EXPECT_EQ(subStatus(), 0);
    EXPECT_EQ(rectCount(clsModeTitle::kButtonGroup), 0);
    EXPECT_EQ(rectCount(QStringLiteral("left_over")), 1);
    EXPECT_EQ(effectsPlayed(QStringLiteral("logo_se")), 0);
}

TEST_F(clsModeTitleTest, UnknownSubModeIsReportedAndNothingIsShown) {
    startTitle(2);
    EXPECT_EQ(messages(), QStringList{kBadSub});
    EXPECT_EQ(subStatus(), 0);
    EXPECT_EQ(rectCount(clsModeTitle::kButtonGroup), 0);
}

TEST_F(clsModeTitleTest, MenuButtonsFollowTheLayoutInKeyboardOrder) {
    makeQuickSave();
    unlockExtras();
    varo().SetSkipMode(true);
    varo().Dov().SetBGMVolumeRate(40);
    view().EvRects().Add(0, QStringLiteral("gamemode_button"));
    startTitle();
    EXPECT_EQ(subStatus(), clsModeTitle::kMenuShown);
    EXPECT_FALSE(varo().IsSkipMode());
    EXPECT_EQ(varo().Dov().BGMVolumeRate(), 100);
    EXPECT_EQ(enabledMenus(), QStringLiteral("file!qload,message!log"));
    EXPECT_EQ(rectCount(QStringLiteral("gamemode_button")), 0);
    ASSERT_EQ(rectCount(clsModeTitle::kButtonGroup), 5);
    int index = 0;
    for (const char* key : kButtons) {
        SCOPED_TRACE(key);
        const RectPtr rect = view().EvRects().GetRectByTag(clsModeTitle::kButtonGroup, index);
        ASSERT_NE(rect, nullptr);
        EXPECT_EQ(rect->Text4, QLatin1String(key));
        EXPECT_EQ(rect->KB, index);
        EXPECT_TRUE(rect->Enabled);
        // One cell of the three-row picture, at its place.
        EXPECT_EQ(QRect(rect->Left, rect->Top, rect->Right - rect->Left, rect->Bottom - rect->Top),
                  QRect(270, 200 + 30 * index, 100, 20));
        EXPECT_EQ(row(QLatin1String(key)), clsModeTitle::kRowNormal);
        EXPECT_EQ(opacity(QLatin1String(key)), clsModeTitle::kOpacityShown);
        ++index;
    }
    EXPECT_EQ(events(QStringLiteral("sound play bgm")).size(), 1);
    EXPECT_TRUE(events(QStringLiteral("sound play bgm")).first().endsWith(u" title_bgm"));
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
}

TEST_F(clsModeTitleTest, DeactivateMuteSilencesTheTitleOnlyWhileTheWindowIsInactive) {
    Configuration& cfg = varo().Cfg();
    cfg.SetLongVal(QStringLiteral("BGMVolume"), 200);
    cfg.SetLongVal(QStringLiteral("SEVolume"), 150);
    cfg.SetLongVal(QStringLiteral("CVVolume"), 100);
    clsDovDriver& dov = varo().Dov();
    const auto volumes = [&dov] {
        return QList<std::int32_t>{dov.BGMVolume(), dov.SEVolume(), dov.CVVolume()};
    };
    view().SetVisible(false);
    view().FormActivityChanged();
    ASSERT_FALSE(view().FormActivity());

    // Inactive without DeactivateMute: the stored volumes apply again.
    cfg.SetBoolVal(QStringLiteral("DeactivateMute"), false);
    dov.SetBGMVolume(1);
    dov.SetSEVolume(1);
    dov.SetCVVolume(1);
    startTitle();
    EXPECT_EQ(volumes(), (QList<std::int32_t>{200, 150, 100}));

    cfg.SetBoolVal(QStringLiteral("DeactivateMute"), true);
    startTitle();
    EXPECT_EQ(volumes(), (QList<std::int32_t>{0, 0, 0}));
}

// ---------------------------------------------------------------------------
// The logo

TEST_F(clsModeTitleTest, LogoPlaysItsSoundAndGivesWayToTheMenuAfterItsTime) {
    startTitle(clsModeTitle::kSubLogo);
    EXPECT_EQ(subStatus(), clsModeTitle::kLogoShown);
    EXPECT_EQ(effectsPlayed(QStringLiteral("logo_se")), 1);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 3000);
    EXPECT_EQ(rectCount(clsModeTitle::kButtonGroup), 0);
    EXPECT_EQ(kest().BGName(), QStringLiteral("logo.png"));

    pumpFor(2900);
    EXPECT_EQ(subStatus(), clsModeTitle::kLogoShown);
    pumpFor(200);
    EXPECT_EQ(subStatus(), clsModeTitle::kMenuShown);
    EXPECT_EQ(rectCount(clsModeTitle::kButtonGroup), 5);
    EXPECT_EQ(kest().BGName(), QStringLiteral("title.png"));
}

TEST_F(clsModeTitleTest, AClickDuringTheLogoSkipsItsWait) {
    startTitle(clsModeTitle::kSubLogo);
    const qint64 clicked = clock().now();
    click();
    EXPECT_EQ(subStatus(), clsModeTitle::kMenuShown);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
    EXPECT_LT(lastTimeOf(QStringLiteral("sound play bgm")), clicked + 1000);
    EXPECT_GE(lastTimeOf(QStringLiteral("sound stop se")), clicked);
    // The timer of the logo is gone: nothing builds the menu a second time.
    const int built = static_cast<int>(events(QStringLiteral("sound play bgm")).size());
    pumpFor(4000);
    EXPECT_EQ(static_cast<int>(events(QStringLiteral("sound play bgm")).size()), built);
}

TEST_F(clsModeTitleTest, LogoFillsTheScreenWithInitColorBeforeItsPicture) {
    writeTitle(QString(kTitleLayout).replace(QStringLiteral("bg=logo.png\r\n"), QString()));
    startTitle(clsModeTitle::kSubLogo);
    // InitColor holds red, green and blue in that order.
    EXPECT_EQ(view().CurrentScreen().pixelColor(320, 240), QColor(0x10, 0x20, 0x30));
}

TEST_F(clsModeTitleTest, LeavingDuringTheLogoTakesItsTimerAlong) {
    startTitle(clsModeTitle::kSubLogo);
    ASSERT_EQ(varo().CurrentAutoClickTimer(), 3000);
    varo().ChangeMode(9, 0);
    EXPECT_EQ(varo().CurrentAutoClickTimer(), 0);
}

// ---------------------------------------------------------------------------
// Locked buttons

TEST_F(clsModeTitleTest, WithoutAQuickSaveTheQuickLoadButtonIsDimAndInert) {
    unlockExtras();
    startTitle();
    const RectPtr quick = button(QStringLiteral("quickload"));
    EXPECT_FALSE(quick->Enabled);
    EXPECT_EQ(opacity(QStringLiteral("quickload")), clsModeTitle::kOpacityNoQuickSave);
    EXPECT_TRUE(button(QStringLiteral("load"))->Enabled);

    view().MouseMove(centreOf(QStringLiteral("quickload")));
    view().MouseDown(Qt::LeftButton, centreOf(QStringLiteral("quickload")));
    // As Enter on a selection that was made before the button was locked.
    command(clsGameView::kCmdPointer, quick);
    click(quick);
    pumpFor(100);
    EXPECT_EQ(row(QStringLiteral("quickload")), clsModeTitle::kRowNormal);
    EXPECT_EQ(effectsPlayed(QStringLiteral("point")), 0);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 0);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
}

TEST_F(clsModeTitleTest, ExtrasAreDimAndInertWhileEveryFlagIsZero) {
    varo().Shared().Var().SetKeyValue(QStringLiteral("omake_a"), QStringLiteral("0"));
    startTitle();
    EXPECT_FALSE(button(QStringLiteral("omake"))->Enabled);
    EXPECT_EQ(opacity(QStringLiteral("omake")), clsModeTitle::kOpacityExtrasLocked);
    view().MouseMove(centreOf(QStringLiteral("omake")));
    view().MouseDown(Qt::LeftButton, centreOf(QStringLiteral("omake")));
    click(button(QStringLiteral("omake")));
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 0);

    unlockExtras();
    startTitle();
    EXPECT_TRUE(button(QStringLiteral("omake"))->Enabled);
    EXPECT_EQ(opacity(QStringLiteral("omake")), clsModeTitle::kOpacityShown);
}

TEST_F(clsModeTitleTest, TheFlagsAreAddedUp) {
    varo().Shared().Var().SetKeyValue(QStringLiteral("omake_a"), QStringLiteral("1"));
    varo().Shared().Var().SetKeyValue(QStringLiteral("omake_b"), QStringLiteral("-1"));
    startTitle();
    EXPECT_FALSE(button(QStringLiteral("omake"))->Enabled);
}

TEST_F(clsModeTitleTest, AllCGUnlocksTheExtrasButNotTheQuickLoad) {
    App().AllCG = true;
    startTitle();
    EXPECT_TRUE(button(QStringLiteral("omake"))->Enabled);
    EXPECT_EQ(opacity(QStringLiteral("omake")), clsModeTitle::kOpacityShown);
    EXPECT_FALSE(button(QStringLiteral("quickload"))->Enabled);
}

TEST_F(clsModeTitleTest, CursorKeysPassOverLockedButtons) {
    startTitle();
    key(Qt::Key_Down);
    EXPECT_EQ(view().SelectedRect(), button(QStringLiteral("start")));
    key(Qt::Key_Down);
    EXPECT_EQ(view().SelectedRect(), button(QStringLiteral("load")));
    key(Qt::Key_Down);
    EXPECT_EQ(view().SelectedRect(), button(QStringLiteral("exit")));
    key(Qt::Key_Up);
    EXPECT_EQ(view().SelectedRect(), button(QStringLiteral("load")));
    key(Qt::Key_Return);
    EXPECT_EQ(events(QStringLiteral("mode 3 ")), QStringList{QStringLiteral("mode 3 12")});
}

TEST_F(clsModeTitleTest, EnterOnASelectionFromAnEarlierMenuDoesNothing) {
    makeQuickSave();
    startTitle();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    ASSERT_EQ(view().SelectedRect(), button(QStringLiteral("quickload")));
    QFile::remove(clsSaveData::FormatINIPath(99, 0));
    startTitle();
    ASSERT_FALSE(button(QStringLiteral("quickload"))->Enabled);
    key(Qt::Key_Return);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
}

// ---------------------------------------------------------------------------
// Pointer and clicks

TEST_F(clsModeTitleTest, ThePointerHighlightsOneButtonAndNothingRestoresThemAll) {
    unlockExtras();
    startTitle();
    pointAt(button(QStringLiteral("start")));
    EXPECT_EQ(row(QStringLiteral("start")), clsModeTitle::kRowPointed);
    EXPECT_EQ(effectsPlayed(QStringLiteral("point")), 1);
    // Straight onto the next one, as the cursor keys go.
    pointAt(button(QStringLiteral("load")));
    EXPECT_EQ(row(QStringLiteral("start")), clsModeTitle::kRowNormal);
    EXPECT_EQ(row(QStringLiteral("load")), clsModeTitle::kRowPointed);
    pointAt(nullptr);
    for (const char* key : kButtons) {
        EXPECT_EQ(row(QLatin1String(key)), clsModeTitle::kRowNormal) << key;
    }
    EXPECT_EQ(effectsPlayed(QStringLiteral("point")), 2);
}

TEST_F(clsModeTitleTest, StartPlaysANewGame) {
    startTitle();
    view().MouseDown(Qt::LeftButton, centreOf(QStringLiteral("start")));
    pumpFor(5);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 1);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    EXPECT_EQ(modeChanges(QStringLiteral("mode 2 6")), 1);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
    EXPECT_EQ(rectCount(clsModeTitle::kButtonGroup), 0);
}

TEST_F(clsModeTitleTest, LoadAndExtrasOpenTheirScreens) {
    unlockExtras();
    startTitle();
    click(button(QStringLiteral("load")));
    EXPECT_EQ(events(QStringLiteral("mode 3")), QStringList{QStringLiteral("mode 3 12")});
    startTitle();
    click(button(QStringLiteral("omake")));
    EXPECT_EQ(events(QStringLiteral("mode 5")), QStringList{QStringLiteral("mode 5 0")});
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 2);
}

TEST_F(clsModeTitleTest, ExitClosesTheApplication) {
    startTitle();
    view().RaiseScreenCmd(clsGameView::kCmdPrimary, button(QStringLiteral("exit")));
    EXPECT_EQ(row(QStringLiteral("exit")), clsModeTitle::kRowPressed);
    EXPECT_EQ(player.launcher.SysTimerFunc(), clsLaunch::kTimerClose);
    pumpFor(5);
    EXPECT_EQ(player.launcher.Varo(), nullptr);
    EXPECT_TRUE(player.launcher.Exited());
}

TEST_F(clsModeTitleTest, QuickLoadContinuesTheSavedGame) {
    makeQuickSave();
    click();
    ASSERT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
    startTitle();
    ASSERT_TRUE(button(QStringLiteral("quickload"))->Enabled);
    EXPECT_EQ(opacity(QStringLiteral("quickload")), clsModeTitle::kOpacityShown);
    click(button(QStringLiteral("quickload")));
    pumpFor(300);
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    EXPECT_EQ(modeChanges(QStringLiteral("mode 2 7")), 1);
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("はじめの文です。"));
    EXPECT_EQ(waitMode(), clsInterpreter::kClickWait);
    EXPECT_TRUE(messages().isEmpty()) << messages().join(u'|').toStdString();
}

TEST_F(clsModeTitleTest, AQuickSaveThatCannotBeReadLeavesTheTitleAsItWas) {
    // An odd number of bytes is never a scrambled document.
    dir.write(QStringLiteral("savedata/sd99-00.ini"), QByteArray("x"));
    startTitle();
    const RectPtr quick = button(QStringLiteral("quickload"));
    ASSERT_TRUE(quick->Enabled);
    click(quick);
    EXPECT_EQ(messages(), QStringList{kQuickLoadFailed});
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(modeChanges(QStringLiteral("mode 2")), 0);
    EXPECT_EQ(subStatus(), clsModeTitle::kMenuShown);
    EXPECT_EQ(rectCount(clsModeTitle::kButtonGroup), 5);
    EXPECT_EQ(row(QStringLiteral("quickload")), clsModeTitle::kRowPointed);
}
