#include "modes/clsModeOmake.h"

#include "DovTestMedia.h"
#include "GameModeFixture.h"
#include "data/SharedData.h"
#include "media/clsDovDriver.h"

namespace {

const QString kNoDocument = QStringLiteral("おまけモード初期化ファイルがロードできません。");
const QString kCommandError = QStringLiteral("CGMode Command error");

// Gallery: two pages of six panels; page 1 has four panels with steps (the
// fourth with an unknown word), page 2 one. Replay: seven scenes on two pages
// of four. Music room: three tracks, two on page 1 and one on page 2.
const QString kLayout = QStringLiteral(
    "[base]\r\nPointSE=point\r\nClickSE=click\r\nFadeTime=0\r\n"
    "Percent=,560,10\r\nPercentImagePrefix=pct_\r\n"
    "[cgmode]\r\nbg=omk_bg.png\r\nPageCount=2\r\nPanelCount=6\r\n"
    "CGModeBtn01=btn.png,10,10,30,10\r\nCGModeBtn02=btn.png,10,30,30,10\r\n"
    "CGModeBtn03=btn.png,10,50,30,10\r\nCGReturn=btn.png,600,460,30,10\r\n"
    "CGPageBtn01=btn.png,10,100,30,10\r\nCGPageBtn02=btn.png,10,120,30,10\r\n"
    "CGPanel01=,100,100,80,60\r\nCGPanel02=,200,100,80,60\r\nCGPanel03=,300,100,80,60\r\n"
    "CGPanel04=,100,200,80,60\r\nCGPanel05=,200,200,80,60\r\nCGPanel06=,300,200,80,60\r\n"
    "NullPanel=null_panel.png\r\n"
    "[cgmode_panel]\r\npanel01_01=thumb.png\r\npanel01_02=thumb.png\r\n"
    "panel01_03=thumb.png\r\npanel01_04=thumb.png\r\npanel02_01=thumb.png\r\n"
    "[cgmode_cmd]\r\ncmd01_01_01=cg_a,bg,cg_a\r\n"
    "cmd01_01_02=cg_b,Scroll,cg_b,320,240,320,100,1000\r\n"
    "cmd01_01_03=cg_c,BG,cg_c,300,\r\n"
    "cmd01_02_01=cg_d,bg,cg_d\r\ncmd01_03_01=cg_e,bg,cg_e\r\ncmd01_04_01=cg_f,zoom,cg_f\r\n"
    "cmd02_01_01=cg_g,bg,cg_g\r\n"
    "[repmode]\r\nbg=omk_bg.png\r\nPageCount=2\r\nPanelCount=4\r\n"
    "RepModeBtn01=btn.png,10,10,30,10\r\nRepModeBtn02=btn.png,10,30,30,10\r\n"
    "RepModeBtn03=btn.png,10,50,30,10\r\nRepReturn=btn.png,600,460,30,10\r\n"
    "RepPageBtn01=btn.png,10,100,30,10\r\nRepPageBtn02=btn.png,10,120,30,10\r\n"
    "RepPanel01=,100,100,80,60\r\nRepPanel02=,200,100,80,60\r\n"
    "RepPanel03=,300,100,80,60\r\nRepPanel04=,400,100,80,60\r\n"
    "NullPanel=null_panel.png\r\n"
    "[repmode_panel]\r\npanel01_01=rep_a,thumb.png,scene.a\r\n"
    "panel01_02=rep_b,thumb.png,scene.b\r\npanel01_03=rep_c,thumb.png,scene.c\r\n"
    "panel01_04=rep_d,thumb.png,scene.d\r\npanel02_01=rep_e,thumb.png,scene.e\r\n"
    "panel02_02=rep_f,thumb.png,scene.f\r\npanel02_03=rep_g,thumb.png,\r\n"
    "[SndMode]\r\nbg=omk_bg.png\r\nPageCount=2\r\nPanelCount=2\r\n"
    "SndModeBtn01=btn.png,10,10,30,10\r\nSndModeBtn02=btn.png,10,30,30,10\r\n"
    "SndModeBtn03=btn.png,10,50,30,10\r\nSndReturn=btn.png,600,460,30,10\r\n"
    "SndBack=btn.png,100,400,30,10\r\nSndPlay=btn.png,140,400,30,10\r\n"
    "SndStop=btn.png,180,400,30,10\r\nSndNext=btn.png,220,400,30,10\r\n"
    "SndSingle=btn.png,300,400,30,10\r\nSndAll=btn.png,340,400,30,10\r\n"
    "SndRandom=btn.png,380,400,30,10\r\n"
    "SndPageBtn01=btn.png,10,100,30,10\r\nSndPageBtn02=btn.png,10,120,30,10\r\n"
    "SndPanel01=,100,100,80,60\r\nSndPanel02=,200,100,80,60\r\n"
    "[sndmode_panel]\r\npanel01_01=trk_a,thumb.png\r\npanel01_02=trk_b,thumb.png\r\n"
    "panel02_01=trk_c,thumb.png\r\n");

const QString kScenes = QStringLiteral(
    "a: put \"場面Ａです。\"\r\nrestartreplaymode\r\n"
    "e: put \"場面Ｅです。\"\r\nrestartreplaymode\r\n");

}  // namespace

// The minimal game with a whole extras layout; the extras screen is opened
// from the title.
class clsModeOmakeTest : public GameModeFixture {
protected:
    void writeModeDocuments() override {
        dir.write(QStringLiteral("omake_mode.ini"), Cp932Codec::encode(Layout()));
        picture(QStringLiteral("omk_bg.png"), QSize(640, 480), {QColor(40, 40, 40)});
        picture(QStringLiteral("thumb.png"), QSize(80, 60), {Qt::cyan, Qt::yellow});
        picture(QStringLiteral("null_panel.png"), QSize(80, 60), {Qt::darkGray, Qt::gray});
        for (const char* cg : {"cg_a", "cg_b", "cg_c", "cg_d", "cg_e", "cg_f", "cg_g"}) {
            picture(QLatin1String(cg) + QStringLiteral(".png"), QSize(640, 480), {Qt::blue});
        }
        // Counter pictures as wide as their number, so the one shown can be told.
        for (int percent : {0, 14, 42, 100}) {
            picture(QStringLiteral("pct_%1.png").arg(percent, 3, 10, QLatin1Char('0')),
                    QSize(percent + 10, 20), {Qt::white});
        }
        sound(QStringLiteral("trk_a"), tone(600));
        sound(QStringLiteral("trk_b"), tone(700));
        sound(QStringLiteral("trk_c"), tone(800));
    }
    virtual QString Layout() const { return kLayout; }

    clsModeOmake* omake() { return dynamic_cast<clsModeOmake*>(varo().ModeObject()); }
    SharedData& shared() { return varo().Shared(); }
    void seeCG(const QString& name) { shared().CGHistory().SetKeyValue(name, QStringLiteral("1")); }
    void setShared(const QString& name) { shared().Var().SetKeyValue(name, QStringLiteral("1")); }

    void openExtras() {
        varo().ChangeMode(clsVaro::kModeOmake, clsModeOmake::kSubCG);
        pumpFor(5);
        ASSERT_NE(omake(), nullptr);
    }
    void openSub(std::int32_t sub) {
        click(rectOf(QStringLiteral("mode"), sub));
        ASSERT_EQ(omake()->CurrentSubMode(), sub);
    }
    RectPtr panel(std::int32_t slot) { return rectOf(QStringLiteral("panel"), slot); }
    qint32 row(const RectPtr& rect) { return filmInt(rect->FilmID, FilmProp::CellRow); }
    int percentWidth() {
        const RectPtr counter = rectOf(QStringLiteral("percent"));
        return counter == nullptr ? -1 : counter->Right - counter->Left - 10;
    }
    // Music started, by track name, in order.
    QStringList tracksPlayed() const {
        QStringList names;
        for (const QString& event : events(QStringLiteral("sound play bgm"))) {
            names << event.section(u' ', 3);
        }
        return names;
    }
};

// ---------------------------------------------------------------------------
// Start

TEST_F(clsModeOmakeTest, StartsInTheGalleryWithTheGameMenusOff) {
    openExtras();
    EXPECT_EQ(omake()->SubStatus(), clsModeOmake::kStarted);
    EXPECT_EQ(omake()->CurrentSubMode(), clsModeOmake::kSubCG);
    EXPECT_EQ(omake()->CurrentPage(), 0);
    EXPECT_EQ(enabledMenus(), QString());
    EXPECT_EQ(rectCount(QStringLiteral("mode")), 3);
    EXPECT_EQ(rectCount(QStringLiteral("ret")), 1);
    EXPECT_EQ(rectCount(QStringLiteral("page")), 2);
    EXPECT_EQ(rectCount(QStringLiteral("panel")), 6);
    EXPECT_EQ(rectCount(QStringLiteral("percent")), 1);
    EXPECT_EQ(row(rectOf(QStringLiteral("mode"), 0)), clsModeOmake::kRowMarked);
    EXPECT_EQ(row(rectOf(QStringLiteral("mode"), 1)), clsModeOmake::kRowNormal);
    EXPECT_EQ(row(rectOf(QStringLiteral("page"), 0)), clsModeOmake::kRowMarked);
    EXPECT_EQ(kest().BGName(), QStringLiteral("omk_bg.png"));
}

TEST_F(clsModeOmakeTest, MissingDocumentShowsItsMessageAndLeavesTheModeEmpty) {
    QFile::remove(dir.file(QStringLiteral("omake_mode.ini")));
    openExtras();
    EXPECT_EQ(messages(), QStringList{kNoDocument});
    EXPECT_EQ(view().EvRects().Count(), 0);
    rightClick();  // an empty mode ignores commands
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeOmake);
}

TEST_F(clsModeOmakeTest, ReturnButtonAndRightClickGoBackToTheTitleMenu) {
    openExtras();
    click(rectOf(QStringLiteral("ret")));
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(varo().ModeObject()->SubStatus(), clsModeTitle::kMenuShown);
    openExtras();
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(effectsPlayed(QStringLiteral("click")), 2);
}

// ---------------------------------------------------------------------------
// Gallery panels and the counter

TEST_F(clsModeOmakeTest, PanelsUnlockByAnyStepSeenAndSlotsWithoutStepsAreHidden) {
    seeCG(QStringLiteral("cg_c"));  // only the third step of panel 1
    openExtras();
    EXPECT_TRUE(panel(0)->Enabled);
    EXPECT_EQ(filmInt(panel(0)->FilmID, FilmProp::Opacity), 256);
    for (int slot : {1, 2, 3}) {
        EXPECT_FALSE(panel(slot)->Enabled) << slot;  // locked: NullPanel, disabled
        EXPECT_EQ(filmInt(panel(slot)->FilmID, FilmProp::Opacity), 256) << slot;
    }
    for (int slot : {4, 5}) {
        EXPECT_FALSE(panel(slot)->Enabled) << slot;
        EXPECT_EQ(filmInt(panel(slot)->FilmID, FilmProp::Opacity), 0) << slot;
    }
    // The panel keeps one cell of its two-cell picture and its rectangle.
    EXPECT_EQ(filmInt(panel(0)->FilmID, FilmProp::CellHeight), 60);
    EXPECT_EQ(panel(0)->Bottom - panel(0)->Top, 60);
}

TEST_F(clsModeOmakeTest, AllCGSwitchUnlocksEveryPanelAndCountsAHundredPercent) {
    App().AllCG = true;
    openExtras();
    for (int slot : {0, 1, 2, 3}) {
        EXPECT_TRUE(panel(slot)->Enabled) << slot;
    }
    EXPECT_FALSE(panel(4)->Enabled);
    EXPECT_EQ(omake()->Percentage(clsModeOmake::kSubCG), 100);
    EXPECT_EQ(percentWidth(), 100);
}

TEST_F(clsModeOmakeTest, CounterShowsTheIntegerPercentageAsThreeDigits) {
    seeCG(QStringLiteral("cg_c"));
    for (const char* name : {"rep_a", "rep_c", "rep_e"}) {
        setShared(QLatin1String(name));
    }
    openExtras();
    EXPECT_EQ(omake()->Percentage(clsModeOmake::kSubCG), 14);  // 1 of 7 steps
    EXPECT_EQ(percentWidth(), 14);
    openSub(clsModeOmake::kSubReplay);
    EXPECT_EQ(omake()->Percentage(clsModeOmake::kSubReplay), 42);  // 3 of 7 scenes
    EXPECT_EQ(percentWidth(), 42);
}

TEST_F(clsModeOmakeTest, PageButtonShowsThatPage) {
    seeCG(QStringLiteral("cg_g"));
    openExtras();
    EXPECT_FALSE(panel(0)->Enabled);
    click(rectOf(QStringLiteral("page"), 1));
    EXPECT_EQ(omake()->CurrentPage(), 1);
    EXPECT_TRUE(panel(0)->Enabled);
    EXPECT_FALSE(panel(1)->Enabled);
    EXPECT_EQ(row(rectOf(QStringLiteral("page"), 1)), clsModeOmake::kRowMarked);
    EXPECT_EQ(row(rectOf(QStringLiteral("page"), 0)), clsModeOmake::kRowNormal);
}

// A layout without steps or scenes counts 0, not a division by zero.
class clsModeOmakeEmptyTest : public clsModeOmakeTest {
protected:
    QString Layout() const override {
        QString layout = kLayout;
        layout.replace(QStringLiteral("cmd0"), QStringLiteral("x_cmd0"));
        layout.replace(QStringLiteral("\r\npanel0"), QStringLiteral("\r\nx_panel0"));
        return layout;
    }
};

TEST_F(clsModeOmakeEmptyTest, NoStepsOrScenesCountZeroAndMusicButtonsDoNothing) {
    openExtras();
    EXPECT_EQ(omake()->Percentage(clsModeOmake::kSubCG), 0);
    EXPECT_EQ(percentWidth(), 0);
    openSub(clsModeOmake::kSubReplay);
    EXPECT_EQ(omake()->Percentage(clsModeOmake::kSubReplay), 0);
    openSub(clsModeOmake::kSubSound);
    EXPECT_TRUE(omake()->MusicList().empty());
    for (int tag : {0, 1, 3}) {
        click(rectOf(QStringLiteral("command"), tag));
    }
    EXPECT_TRUE(tracksPlayed().isEmpty());
    EXPECT_EQ(omake()->PlayingRecord(), -1);
}

// ---------------------------------------------------------------------------
// Viewing a CG

TEST_F(clsModeOmakeTest, ViewingShowsEachStepAndReopensTheGalleryAtItsPage) {
    seeCG(QStringLiteral("cg_a"));
    seeCG(QStringLiteral("cg_g"));
    openExtras();
    click(panel(0));
    EXPECT_EQ(omake()->ViewingStep(), 1);
    EXPECT_EQ(kest().BGName(), QStringLiteral("cg_a"));
    EXPECT_EQ(rectCount(QStringLiteral("panel")), 0);
    EXPECT_EQ(rectCount(QStringLiteral("mode")), 0);
    click();
    EXPECT_EQ(kest().BGName(), QStringLiteral("cg_b"));  // "Scroll" in any letter case
    click();
    EXPECT_EQ(kest().BGName(), QStringLiteral("cg_c"));
    click();  // no fourth step
    EXPECT_EQ(omake()->ViewingPanel(), -1);
    EXPECT_EQ(rectCount(QStringLiteral("mode")), 3);
    EXPECT_EQ(rectCount(QStringLiteral("panel")), 6);
    EXPECT_TRUE(panel(0)->Enabled);

    // From the second page the gallery comes back at the second page, alive.
    click(rectOf(QStringLiteral("page"), 1));
    click(panel(0));
    EXPECT_EQ(kest().BGName(), QStringLiteral("cg_g"));
    click();
    EXPECT_EQ(omake()->CurrentPage(), 1);
    EXPECT_EQ(row(rectOf(QStringLiteral("page"), 1)), clsModeOmake::kRowMarked);
    click(rectOf(QStringLiteral("mode"), clsModeOmake::kSubReplay));
    EXPECT_EQ(omake()->CurrentSubMode(), clsModeOmake::kSubReplay);
}

TEST_F(clsModeOmakeTest, UnknownStepWordShowsItsMessage) {
    seeCG(QStringLiteral("cg_f"));
    openExtras();
    click(panel(3));
    EXPECT_EQ(messages(), QStringList{kCommandError});
    EXPECT_EQ(omake()->ViewingPanel(), 3);
    click();
    EXPECT_EQ(omake()->ViewingPanel(), -1);
}

TEST_F(clsModeOmakeTest, RightClickEndsTheViewingAndAnotherLeavesForTheTitle) {
    seeCG(QStringLiteral("cg_a"));
    openExtras();
    click(panel(0));
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeOmake);
    EXPECT_EQ(omake()->ViewingPanel(), -1);
    EXPECT_EQ(rectCount(QStringLiteral("panel")), 6);
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
}

// ---------------------------------------------------------------------------
// Scene replay

TEST_F(clsModeOmakeTest, LockedScenesAndEmptySlotsCannotBeReplayed) {
    setShared(QStringLiteral("rep_a"));
    setShared(QStringLiteral("rep_g"));  // unlocked, but without a label
    openExtras();
    openSub(clsModeOmake::kSubReplay);
    EXPECT_TRUE(panel(0)->Enabled);
    EXPECT_EQ(panel(0)->Text3, QStringLiteral("scene.a"));
    EXPECT_FALSE(panel(1)->Enabled);
    EXPECT_TRUE(panel(1)->Text3.isEmpty());
    click(panel(1));
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeOmake);
    click(rectOf(QStringLiteral("page"), 1));
    EXPECT_FALSE(panel(2)->Enabled);  // rep_g: no label
    EXPECT_FALSE(panel(3)->Enabled);  // no scene in this slot
    EXPECT_EQ(filmInt(panel(3)->FilmID, FilmProp::Opacity), 0);
    click(panel(3));
    click(panel(2));
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeOmake);
}

TEST_F(clsModeOmakeTest, ReplayedSceneComesBackToItsPage) {
    scenario(QStringLiteral("scene"), kScenes);
    setShared(QStringLiteral("rep_e"));
    openExtras();
    openSub(clsModeOmake::kSubReplay);
    click(rectOf(QStringLiteral("page"), 1));
    click(panel(0));
    ASSERT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    EXPECT_TRUE(game()->IsReplayMode());
    EXPECT_EQ(events(QStringLiteral("mode ")).last(), QStringLiteral("mode 2 8"));
    EXPECT_TRUE(shared().ReplayReturn());
    pumpFor(500);
    click();
    pumpFor(100);
    ASSERT_EQ(varo().VaroMode(), clsVaro::kModeOmake);
    EXPECT_EQ(omake()->CurrentSubMode(), clsModeOmake::kSubReplay);
    EXPECT_EQ(omake()->CurrentPage(), 1);
    EXPECT_FALSE(shared().ReplayReturn());
    // Opened again from the title, it starts in the gallery.
    varo().ChangeMode(clsVaro::kModeTitle, clsModeTitle::kSubMenu);
    openExtras();
    EXPECT_EQ(omake()->CurrentSubMode(), clsModeOmake::kSubCG);
}

// ---------------------------------------------------------------------------
// Music room

TEST_F(clsModeOmakeTest, MusicListKeepsEveryTrackInPageOrder) {
    openExtras();
    const auto& list = omake()->MusicList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].key, QStringLiteral("panel01_01"));
    EXPECT_EQ(list[1].music, QStringLiteral("trk_b"));
    EXPECT_EQ(list[2].page, 1);
    EXPECT_EQ(list[2].panel, 0);
    EXPECT_EQ(list[2].number, 2);
    EXPECT_EQ(list[2].picture, QStringLiteral("thumb.png"));
}

TEST_F(clsModeOmakeTest, BackPlayAndNextBeforeAnyChoiceStartAtTheFirstTrack) {
    for (int tag : {0, 1, 3}) {
        openExtras();
        openSub(clsModeOmake::kSubSound);
        click(rectOf(QStringLiteral("command"), tag));
        EXPECT_EQ(omake()->PlayingRecord(), 0) << tag;
        EXPECT_EQ(tracksPlayed().last(), QStringLiteral("trk_a")) << tag;
        click(rectOf(QStringLiteral("command"), 2));
        varo().ChangeMode(clsVaro::kModeTitle, clsModeTitle::kSubMenu);
    }
}

TEST_F(clsModeOmakeTest, CommandsStepFromTheLastChosenTrackAndWrap) {
    openExtras();
    openSub(clsModeOmake::kSubSound);
    click(panel(1));  // trk_b
    EXPECT_EQ(row(panel(1)), clsModeOmake::kRowMarked);
    EXPECT_EQ(row(panel(0)), clsModeOmake::kRowNormal);
    click(rectOf(QStringLiteral("command"), 3));  // next: trk_c, on page 2
    EXPECT_EQ(omake()->CurrentPage(), 1);
    EXPECT_EQ(row(panel(0)), clsModeOmake::kRowMarked);
    click(rectOf(QStringLiteral("command"), 3));  // wraps to trk_a
    click(rectOf(QStringLiteral("command"), 2));  // stop
    EXPECT_EQ(omake()->PlayingRecord(), -1);
    EXPECT_FALSE(omake()->IsPolling());
    EXPECT_EQ(row(panel(0)), clsModeOmake::kRowNormal);
    click(rectOf(QStringLiteral("command"), 0));  // back from the last chosen: wraps to trk_c
    click(rectOf(QStringLiteral("command"), 1));  // play the same again
    EXPECT_EQ(tracksPlayed(), (QStringList{QStringLiteral("trk_b"), QStringLiteral("trk_c"),
                                           QStringLiteral("trk_a"), QStringLiteral("trk_c"),
                                           QStringLiteral("trk_c")}));
}

TEST_F(clsModeOmakeTest, SinglePlayRepeatsAndAllPlayGoesOnAcrossPages) {
    openExtras();
    openSub(clsModeOmake::kSubSound);
    click(panel(0));
    pumpFor(1500);  // trk_a (600 ms) ends, found by the 500 ms check
    EXPECT_EQ(tracksPlayed(), (QStringList{QStringLiteral("trk_a"), QStringLiteral("trk_a")}));
    click(rectOf(QStringLiteral("playmode"), clsModeOmake::kPlayAll));
    EXPECT_EQ(omake()->PlayMode(), clsModeOmake::kPlayAll);
    EXPECT_EQ(row(rectOf(QStringLiteral("playmode"), clsModeOmake::kPlayAll)),
              clsModeOmake::kRowMarked);
    EXPECT_EQ(row(rectOf(QStringLiteral("playmode"), clsModeOmake::kPlaySingle)),
              clsModeOmake::kRowNormal);
    pumpFor(3000);
    const QStringList played = tracksPlayed();
    ASSERT_GE(played.size(), 5);
    EXPECT_EQ(played.mid(2, 3), (QStringList{QStringLiteral("trk_b"), QStringLiteral("trk_c"),
                                             QStringLiteral("trk_a")}));
}

TEST_F(clsModeOmakeTest, RandomPlayPicksTracksOfTheListTheSameWayEveryRun) {
    openExtras();
    openSub(clsModeOmake::kSubSound);
    click(rectOf(QStringLiteral("playmode"), clsModeOmake::kPlayRandom));
    click(panel(0));
    pumpFor(8000);
    const QStringList played = tracksPlayed();
    ASSERT_GE(played.size(), 8);
    for (const QString& name : played) {
        EXPECT_TRUE(name.startsWith(QStringLiteral("trk_"))) << name.toStdString();
    }
    // A second mode object on the virtual clock chooses the same order.
    varo().ChangeMode(clsVaro::kModeTitle, clsModeTitle::kSubMenu);
    openExtras();
    openSub(clsModeOmake::kSubSound);
    click(rectOf(QStringLiteral("playmode"), clsModeOmake::kPlayRandom));
    const int before = static_cast<int>(tracksPlayed().size());
    click(panel(0));
    pumpFor(8000);
    EXPECT_EQ(tracksPlayed().mid(before, 8), played.mid(0, 8));
}

TEST_F(clsModeOmakeTest, PollingStopsWithTheSubModeAndNeverDrivesTheViewing) {
    seeCG(QStringLiteral("cg_a"));
    openExtras();
    openSub(clsModeOmake::kSubSound);
    click(rectOf(QStringLiteral("playmode"), clsModeOmake::kPlayAll));
    click(panel(0));
    EXPECT_TRUE(omake()->IsPolling());
    openSub(clsModeOmake::kSubCG);
    EXPECT_FALSE(omake()->IsPolling());
    click(panel(0));
    pumpFor(2000);  // the track ends meanwhile
    EXPECT_EQ(omake()->ViewingStep(), 1);
    EXPECT_EQ(kest().BGName(), QStringLiteral("cg_a"));
    EXPECT_EQ(tracksPlayed(), QStringList{QStringLiteral("trk_a")});
}

// A gallery whose first picture is shown as a five-second movie.
class clsModeOmakeMovieTest : public clsModeOmakeTest {
protected:
    void SetUp() override {
        clsModeOmakeTest::SetUp();
        ASSERT_TRUE(dovtest::writeMovie(dir.file(QStringLiteral("clip.avi")), 50, 10, 64, 48, 0));
    }
    QString Layout() const override {
        QString layout = kLayout;
        layout.replace(QStringLiteral("cmd01_01_01=cg_a,bg,cg_a"),
                       QStringLiteral("cmd01_01_01=cg_a,movie,clip.avi"));
        return layout;
    }
};

TEST_F(clsModeOmakeMovieTest, AMovieStepPlaysClicksWaitForItAndTheViewingGoesOnAfterIt) {
    seeCG(QStringLiteral("cg_a"));
    openExtras();
    click(panel(0));
    ASSERT_TRUE(varo().Dov().IsPlayingMovie());
    EXPECT_EQ(omake()->ViewingStep(), 1);
    // A click while the movie plays does not cut it short.
    click();
    pumpFor(1000);
    EXPECT_TRUE(varo().Dov().IsPlayingMovie());
    EXPECT_EQ(omake()->ViewingStep(), 1);
    // When it has ended the viewing goes on by itself to the next step.
    pumpFor(6000);
    EXPECT_FALSE(varo().Dov().IsPlayingMovie());
    EXPECT_EQ(omake()->ViewingStep(), 2);
    EXPECT_EQ(kest().BGName(), QStringLiteral("cg_b"));
}
