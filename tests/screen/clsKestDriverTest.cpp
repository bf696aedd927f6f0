#include <set>

#include "KestDriverFixture.h"
#include "data/clsSaveData.h"

namespace {

using ActProp = KestLibrary::ActProp;
using ActMethod = KestLibrary::ActMethod;

class clsKestDriverTest : public KestDriverFixture {
protected:
    void start(Fixed which) {
        kest().CallActMethod(driver->Action(which), ActMethod::Start);
        kest().ExeQueue();
    }
    // Starts the action on `film` from level `from`; the level after 500 ms and at the end.
    std::pair<qint32, qint32> levels(Fixed which, FilmId film, qint32 from) {
        kest().SetFilmProp(film, FilmProp::Level, from);
        start(which);
        clock().sleep(500);
        const qint32 halfway = intProp(film, FilmProp::Level);
        driver->WaitEnd(driver->Action(which));
        return {halfway, intProp(film, FilmProp::Level)};
    }
    QRect area(const clsKestDriver::RectPtr& rect) {
        return QRect(QPoint(rect->Left, rect->Top), QPoint(rect->Right, rect->Bottom));
    }
};

}  // namespace

// ---- Start, actions and shutdown

TEST_F(clsKestDriverTest, InitBuildsTheFilmTreeAndAimsTheScreenActions) {
    EXPECT_EQ(sizeProp(driver->FIDRoot(), FilmProp::Size), QSize(kWidth, kHeight));
    EXPECT_EQ(intProp(driver->FIDBuff(), FilmProp::Parent), driver->FIDRoot());
    EXPECT_EQ(intProp(driver->FIDBack(), FilmProp::Parent), driver->FIDBuff());
    std::set<qint32> ids;
    for (int i = 0; i < clsKestDriver::kFixedActions; ++i) {
        ids.insert(driver->Action(static_cast<Fixed>(i)));
    }
    EXPECT_EQ(ids.size(), 7u);
    EXPECT_GT(*ids.begin(), 0);
    EXPECT_EQ(driver->AddActByParam({}), 0);
    EXPECT_EQ(actionTarget(Fixed::RootLevelDown), driver->FIDRoot());
    EXPECT_EQ(actionTarget(Fixed::RootLevelUp), driver->FIDRoot());
    EXPECT_EQ(actionTarget(Fixed::CrossFade), driver->FIDRoot());
    EXPECT_EQ(actionTarget(Fixed::RuleTransition), driver->FIDBuff());
    EXPECT_FALSE(driver->DrawActivity());
    EXPECT_FALSE(driver->WaitCancelEnabled());
    EXPECT_TRUE(driver->WaitCanceled());
}

TEST_F(clsKestDriverTest, FixedActionsRunTheirTokenLists) {
    const FilmId root = driver->FIDRoot();
    EXPECT_EQ(levels(Fixed::RootLevelDown, root, 256), std::pair(128, 0));
    EXPECT_EQ(levels(Fixed::RootLevelUp, root, 0), std::pair(128, 256));
    EXPECT_EQ(levels(Fixed::CrossFade, root, 256), std::pair(128, 0));
    EXPECT_EQ(levels(Fixed::RuleTransition, driver->FIDBuff(), 286), std::pair(143, 0));

    const FilmId cursor = driver->MakeFilm(FilmKind::Picture, 0, 0, 30, 10);
    kest().SetFilmProp(cursor, FilmProp::Size, QSize(10, 10));  // three cell columns
    kest().SetActProp(driver->Action(Fixed::CursorAnimation), ActProp::Target, cursor);
    start(Fixed::CursorAnimation);
    std::vector<qint32> columns;
    for (int second = 0; second < 4; ++second, clock().sleep(1000)) {
        columns.push_back(intProp(cursor, FilmProp::CellColumn));
    }
    EXPECT_EQ(columns, (std::vector<qint32>{1, 2, 0, 1}));

    for (const Fixed which : {Fixed::TextReveal, Fixed::ShadowReveal}) {
        const FilmId text = driver->MakeFilm(FilmKind::Text, 0, 0, kWidth, kHeight);
        kest().SetFilmProp(text, FilmProp::TextAppend, QStringLiteral("ABCD"));
        kest().SetFilmProp(text, FilmProp::TextSpeed, 10);
        kest().SetActProp(driver->Action(which), ActProp::Target, text);
        start(which);
        const qint64 before = clock().now();
        EXPECT_TRUE(driver->WaitEnd(driver->Action(which)));
        EXPECT_GE(clock().now() - before, 30);
        EXPECT_EQ(intProp(text, FilmProp::TextShown), 4);
    }
}

TEST_F(clsKestDriverTest, ShutdownLogsAroundTerminateKest) {
    driver.reset();
    const QString log = launcher.Log().Log();
    const qsizetype call = log.indexOf(QStringLiteral("  Procedure TerminateKest Call..."));
    const qsizetype returned = log.indexOf(QStringLiteral("  Procedure TerminateKest Returned"));
    ASSERT_GE(call, 0);
    EXPECT_GT(returned, call);
    EXPECT_GT(log.indexOf(QStringLiteral("Kest-Terminate")), returned);
}

// ---- Waiting

TEST_F(clsKestDriverTest, WaitCancelOrClosingFinishesACancellableWait) {
    const qint32 action = driver->Action(Fixed::RootLevelDown);
    const qint64 before = clock().now();
    EXPECT_TRUE(driver->WaitEnd(action));  // never started: ended
    EXPECT_TRUE(driver->WaitEnd(9999));
    EXPECT_EQ(clock().now(), before);
    EXPECT_FALSE(driver->WaitCanceled());

    kest().SetFilmProp(driver->FIDRoot(), FilmProp::Level, 256);
    kest().CallActMethod(action, ActMethod::Start);
    driver->SetWaitCancelEnabled(true);
    clock().startTimer(100, [this] { driver->WaitCancel(); });
    EXPECT_FALSE(driver->WaitEnd(action));
    EXPECT_NEAR(clock().now() - before, 100, 2);
    EXPECT_EQ(intProp(driver->FIDRoot(), FilmProp::Level), 0);
    EXPECT_TRUE(driver->WaitCanceled());
    EXPECT_FALSE(driver->WaitCancelEnabled());

    App().EngineClosing = true;
    kest().CallActMethod(action, ActMethod::Start);
    driver->SetWaitCancelEnabled(true);
    EXPECT_FALSE(driver->WaitEnd(action));
    kest().CallActMethod(action, ActMethod::Start);
    EXPECT_TRUE(driver->WaitEnd(action));  // not cancellable: runs to its end
    EXPECT_NEAR(clock().now() - before, 1100, 3);
}

TEST_F(clsKestDriverTest, UserInputReachesOnlyACancellableWait) {
    const qint32 action = driver->Action(Fixed::CrossFade);
    start(Fixed::CrossFade);
    qint64 begin = clock().now();
    qint64 clickedAt = -1;
    bool clickExcluded = false;
    clock().scheduleInput(begin + 100, [&] {
        clickedAt = clock().now();
        clickExcluded = clock().excludingInput();
    });
    EXPECT_TRUE(driver->WaitEnd(action));
    EXPECT_NEAR(clock().now() - begin, 1000, 2);
    // The click came at its time, during a wait that excludes input.
    EXPECT_EQ(clickedAt, begin + 100);
    EXPECT_TRUE(clickExcluded);

    start(Fixed::CrossFade);
    driver->SetWaitCancelEnabled(true);
    begin = clock().now();
    clock().scheduleInput(begin + 100, [this] { driver->WaitCancel(); });
    EXPECT_FALSE(driver->WaitEnd(action));
    EXPECT_NEAR(clock().now() - begin, 100, 2);
}

// ---- Freezing and releasing the screen

// The effect numbers pick the compositor's transitions (whose colours the
// compositor's own tests check) and freeze or release the screen.
TEST_F(clsKestDriverTest, EffectNumbersPickTheTransitionAndFreezeOrReleaseTheScreen) {
    basicScene(kRed);
    // 1 fades to black and leaves the screen frozen; 0 releases it at once.
    EXPECT_TRUE(driver->DrawDeactivate(1, 1000));
    EXPECT_FALSE(driver->DrawActivity());
    EXPECT_EQ(pixel(5, 5), qRgb(0, 0, 0));
    fillBack(kBlue);  // behind the frozen screen
    EXPECT_EQ(pixel(5, 5), qRgb(0, 0, 0));
    EXPECT_TRUE(driver->DrawActivate(0, 0));
    EXPECT_TRUE(driver->DrawActivity());
    EXPECT_EQ(pixel(5, 5), qRgb(0, 0, 255));
    // 2 fades to white.
    EXPECT_TRUE(driver->DrawDeactivate(2, 1000));
    EXPECT_EQ(pixel(5, 5), qRgb(255, 255, 255));

    // 0 freezes the picture as it is; 1 cross-fades to what changed behind it.
    fillBack(kRed);
    driver->DrawActivate(0, 0);
    driver->DrawDeactivate(0, 1000);
    fillBack(kBlue);
    EXPECT_EQ(pixel(1, 1), qRgb(255, 0, 0));
    QRgb middle = 0;
    sampleAt(500, QPoint(1, 1), middle);
    EXPECT_TRUE(driver->DrawActivate(1, 1000));
    EXPECT_TRUE(qRed(middle) > 0 && qBlue(middle) > 0) << std::hex << middle;
    EXPECT_EQ(pixel(1, 1), qRgb(0, 0, 255));
    EXPECT_TRUE(driver->DrawActivity());

    // 2 runs the rule loaded into the buffer: dark rule pixels (the left half) first.
    picture(QStringLiteral("Rule.png"), halves(kWidth, kHeight), "PNG");
    EXPECT_FALSE(driver->LoadBuffMask(QString()));
    EXPECT_FALSE(driver->LoadBuffMask(QStringLiteral("missing")));
    ASSERT_TRUE(driver->LoadBuffMask(QStringLiteral("rule")));
    driver->DrawDeactivate(0, 1000);
    fillBack(kRed);
    QRgb left = 0;
    QRgb right = 0;
    sampleAt(500, QPoint(2, 2), left);
    sampleAt(500, QPoint(kWidth - 3, 2), right);
    EXPECT_TRUE(driver->DrawActivate(2, 1000));
    EXPECT_EQ(left, qRgb(255, 0, 0));
    EXPECT_EQ(right, qRgb(0, 0, 255));
    EXPECT_EQ(pixel(kWidth - 3, 2), qRgb(255, 0, 0));
    EXPECT_TRUE(driver->DrawActivity());
}

TEST_F(clsKestDriverTest, SecondDrawActivateFreezesTheCurrentPictureFirst) {
    basicScene(kRed);
    driver->DrawActivate(0, 0);
    fillBack(kBlue);  // shows at once: the screen is released
    EXPECT_EQ(pixel(1, 1), qRgb(0, 0, 255));
    QRgb middle = 0;
    sampleAt(500, QPoint(1, 1), middle);
    EXPECT_TRUE(driver->DrawActivate(1, 1000));
    EXPECT_EQ(middle, qRgb(0, 0, 255));
    EXPECT_TRUE(driver->DrawActivity());
}

// ---- Film sets, window types and save data

TEST_F(clsKestDriverTest, FilmSetsRebuildTheSceneAndItsCharacterSlots) {
    driver->SetBaseFilmSet(3);
    std::set<FilmId> slotFilms;
    for (int i = 0; i < clsKestDriver::kCharSlots; ++i) {
        slotFilms.insert(driver->FIDChar(i));
        EXPECT_EQ(intProp(driver->FIDChar(i), FilmProp::Parent), driver->FIDBuff());
        EXPECT_EQ(intProp(driver->FIDChar(i), FilmProp::Opacity), 0);
    }
    EXPECT_EQ(slotFilms.size(), 20u);
    EXPECT_EQ(driver->FIDChar(20), clsKestDriver::kNoFilm);
    EXPECT_EQ(intProp(actionTarget(Fixed::TextReveal), FilmProp::TextShown), 0);  // a text film
    const FilmId oldBuff = driver->FIDBuff();
    rects.Add(0, QStringLiteral("wndbutton"));
    rects.Add(0, QStringLiteral("title"));
    driver->DrawActivate(0, 0);

    driver->SetBaseFilmSet(1);
    EXPECT_EQ(driver->BaseFilmSet(), 1);
    qint32 gone = 0;
    EXPECT_FALSE(kest().GetFilmProp(oldBuff, FilmProp::Parent, gone));
    EXPECT_FALSE(kest().GetFilmProp(*slotFilms.begin(), FilmProp::Parent, gone));
    EXPECT_EQ(intProp(driver->FIDBuff(), FilmProp::Parent), driver->FIDRoot());
    EXPECT_EQ(intProp(driver->FIDBack(), FilmProp::Parent), driver->FIDBuff());
    EXPECT_EQ(sizeProp(driver->FIDBack(), FilmProp::SurfaceSize), QSize(kWidth, kHeight));
    EXPECT_EQ(actionTarget(Fixed::RuleTransition), driver->FIDBuff());
    EXPECT_EQ(driver->FIDChar(0), clsKestDriver::kNoFilm);
    EXPECT_EQ(rects.CountByTag(QStringLiteral("wndbutton")), 0);
    EXPECT_EQ(rects.CountByTag(QStringLiteral("title")), 1);
    EXPECT_FALSE(driver->DrawActivity());
    const QRgb frozen = pixel(1, 1);
    fillBack(kRed);
    EXPECT_EQ(pixel(1, 1), frozen);
}

TEST_F(clsKestDriverTest, WindowTypeNeedsThreePicturesAndIsSavedWithTheFilmSet) {
    gamemode.SetText(
        QStringLiteral("[wndtype:1]\r\nFrame=f\r\nNamePlate=n\r\n"
                       "[wndtype:4]\r\nFrame=f\r\nNamePlate=n\r\nState=s\r\n"));
    driver->SetBaseFilmSet(2);
    EXPECT_FALSE(driver->ChangeWindowType(1));
    EXPECT_FALSE(driver->ChangeWindowType(7));
    EXPECT_EQ(driver->WindowType(), 0);
    EXPECT_TRUE(driver->ChangeWindowType(4));
    EXPECT_EQ(driver->WindowType(), 4);

    clsSaveData save;
    driver->SaveStatus(save);
    INISection& status = save.KestStatus();
    EXPECT_EQ(status.KeyValue(QStringLiteral("BaseFilmSet")), QStringLiteral("2"));
    EXPECT_EQ(status.KeyValue(QStringLiteral("WindowType")), QStringLiteral("4"));
    EXPECT_LT(status.KeyIndex(QStringLiteral("BaseFilmSet")),
              status.KeyIndex(QStringLiteral("WindowType")));
    driver->SetBaseFilmSet(1);
    driver->DrawActivate(0, 0);
    driver->LoadStatus(save);
    EXPECT_EQ(driver->BaseFilmSet(), 2);
    EXPECT_EQ(driver->WindowType(), 4);
    EXPECT_FALSE(driver->DrawActivity());
}

// ---- Picture definitions and buttons

TEST_F(clsKestDriverTest, PictureDefinitionTakesThePictureSizeOrMakesAnInvisibleRegion) {
    picture(QStringLiteral("btn.png"), filled(24, 16, Qt::green), "PNG");
    basicScene(kRed);
    const auto button =
        driver->MakeSpecFilmFromText(3, QStringLiteral("title"), QStringLiteral("btn.png,10,20"));
    EXPECT_EQ(button->Tag, 3);
    EXPECT_EQ(button->TagName, QStringLiteral("title"));
    EXPECT_EQ(area(button), QRect(QPoint(10, 20), QPoint(34, 36)));
    EXPECT_EQ(intProp(button->FilmID, FilmProp::Parent), driver->FIDBuff());
    const auto region =
        driver->MakeSpecFilmFromText(0, QStringLiteral("hit"), QStringLiteral(",10,20,64,32"));
    EXPECT_EQ(area(region), QRect(QPoint(10, 20), QPoint(74, 52)));
    EXPECT_EQ(sizeProp(region->FilmID, FilmProp::SurfaceSize), QSize(64, 32));
    driver->DrawActivate(0, 0);
    EXPECT_EQ(pixel(12, 22), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(40, 40), qRgb(255, 0, 0));

    ItemSpec def = ParseItemSpec(u"btn,1,2,12");
    driver->ApplyItemSpec(kest().AddFilm(FilmKind::Picture), def);
    EXPECT_EQ(QSize(def.width, def.height), QSize(12, 16));
}

TEST_F(clsKestDriverTest, ButtonFilmCoversOneCellRowOfItsPicture) {
    picture(QStringLiteral("menu.png"), filled(40, 80, Qt::white), "PNG");
    driver->SetBaseFilmSet(1);
    const auto button =
        driver->MakeButtonFilm(1, QStringLiteral("menu"), QStringLiteral("menu"), 5, 6, 20, true);
    EXPECT_EQ(area(button), QRect(QPoint(5, 6), QPoint(45, 26)));
    EXPECT_EQ(sizeProp(button->FilmID, FilmProp::SurfaceSize), QSize(40, 80));
    EXPECT_TRUE(logged(QStringLiteral("kest loadmask 'menu' from png file")));
    const auto empty =
        driver->MakeButtonFilm(3, QStringLiteral("menu"), QString(), 7, 8, 10, false);
    EXPECT_EQ(area(empty), QRect(QPoint(7, 8), QPoint(7, 18)));
    EXPECT_EQ(intProp(empty->FilmID, FilmProp::Parent), driver->FIDBuff());
}
