#include <QStringList>

#include "KestDriverFixture.h"
#include "screen/CharacterStage.h"

namespace {

class CharacterStageTest : public KestDriverFixture {
protected:
    // Film set 2 over a red background, released.
    void windowScene() {
        driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
        fillBack(kRed);
        driver->DrawActivate(0, 0);
    }
    void character(const QString& name, int width, int height, QColor colour) {
        picture(name + QStringLiteral(".png"), filled(width, height, colour), "PNG");
    }
    const CharacterStage::Slot& slot(int index) { return driver->Characters().At(index); }
};

TEST(CharacterStageCid, TakesTheSecondPartOfStNamesInLowerCase) {
    EXPECT_EQ(CharacterStage::FileToCID(QStringLiteral("st_Ann_smile")), QStringLiteral("ann"));
    EXPECT_EQ(CharacterStage::FileToCID(QStringLiteral("ST_BOB_1_b")), QStringLiteral("bob"));
    EXPECT_EQ(CharacterStage::FileToCID(QStringLiteral("st_ann")), QString());
    EXPECT_EQ(CharacterStage::FileToCID(QStringLiteral("ev_ann_1")), QString());
    EXPECT_EQ(CharacterStage::FileToCID(QString()), QString());
}

TEST_F(CharacterStageTest, ShownPictureAppearsCentredOnTheScreen) {
    windowScene();
    character(QStringLiteral("st_ann_1"), 10, 8, Qt::blue);
    driver->CGChange(QStringLiteral("st_ann_1"), 20, 30, -1, -1, 0);
    EXPECT_TRUE(driver->DrawActivity());
    EXPECT_EQ(pixel(20, 30), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(15, 26), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(14, 26), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(25, 30), qRgb(255, 0, 0));
    EXPECT_EQ(driver->GetCharLocation(QStringLiteral("ann")), QStringLiteral("20,30,10,8"));
    EXPECT_EQ(driver->GetCharFilmID(QStringLiteral("st_ann_1")), driver->FIDChar(0));
    EXPECT_TRUE(slot(0).naturalSize);
    EXPECT_TRUE(logged(QStringLiteral("CG Command ")));
}

TEST_F(CharacterStageTest, GivenSizeAndBlendColourApply) {
    windowScene();
    character(QStringLiteral("tall"), 4, 4, Qt::white);
    driver->CharBlendColor(0x00FF00);  // green in the screen's order
    driver->CGChange(QStringLiteral("tall"), 32, 24, 4, 2, 0);
    EXPECT_EQ(sizeProp(driver->FIDChar(0), FilmProp::Size), QSize(4, 2));
    EXPECT_EQ(slot(0).BlendColor, 0x00FF00);
    EXPECT_FALSE(slot(0).naturalSize);
    EXPECT_EQ(pixel(32, 24), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(32, 26), qRgb(255, 0, 0));
}

TEST_F(CharacterStageTest, SecondPictureOfTheSameCharacterReplacesTheFirst) {
    windowScene();
    character(QStringLiteral("st_ann_1"), 6, 6, Qt::blue);
    character(QStringLiteral("st_ann_2"), 6, 6, Qt::green);
    driver->CGChange(QStringLiteral("st_ann_1"), 10, 10, -1, -1, 0);
    EXPECT_FALSE(logged(QStringLiteral("(CID Conflict)")));
    driver->CGChange(QStringLiteral("st_ann_2"), 40, 30, -1, -1, 0);
    EXPECT_TRUE(logged(QStringLiteral("(CID Conflict)")));
    EXPECT_EQ(driver->FindChar(QStringLiteral("ann"), false), 0);
    EXPECT_EQ(slot(0).File, QStringLiteral("st_ann_2"));
    EXPECT_EQ(driver->FindChar(QStringLiteral("st_ann_1"), false), -1);
    EXPECT_EQ(driver->FindChar(QStringLiteral("st_ann_1"), true), 1);
    EXPECT_EQ(pixel(10, 10), qRgb(255, 0, 0));
    EXPECT_EQ(pixel(40, 30), qRgb(0, 255, 0));
}

TEST_F(CharacterStageTest, SamePictureAtTheSamePlaceIsNoOperation) {
    windowScene();
    character(QStringLiteral("st_ann_1"), 6, 6, Qt::blue);
    driver->CGChange(QStringLiteral("st_ann_1"), 10, 10, -1, -1, 0);
    driver->CGChange(QStringLiteral("st_ann_1"), 12, 10, -1, -1, 0);
    EXPECT_FALSE(logged(QStringLiteral("CGH Command:No Operation")));
    EXPECT_FALSE(logged(QStringLiteral("(CID Conflict)")));
    EXPECT_EQ(driver->GetCharXPos(QStringLiteral("ann")), 12);
    driver->CGChange(QStringLiteral("st_ann_1"), 12, 10, -1, -1, 0);
    EXPECT_TRUE(logged(QStringLiteral("CGH Command:No Operation")));
    EXPECT_TRUE(driver->DrawActivity());
    EXPECT_EQ(pixel(12, 10), qRgb(0, 0, 255));
}

TEST_F(CharacterStageTest, TwentyFirstCharacterDropsTheBackMostOne) {
    windowScene();
    character(QStringLiteral("dot"), 2, 2, Qt::blue);
    for (int i = 0; i <= CharacterStage::kSlots; ++i) {
        picture(QStringLiteral("p%1.png").arg(i), filled(2, 2, Qt::blue), "PNG");
    }
    for (int i = 0; i < CharacterStage::kSlots; ++i) {
        driver->CGChange(QStringLiteral("p%1").arg(i), i, 0, -1, -1, 0);
    }
    EXPECT_FALSE(logged(QStringLiteral("CG Command Alarm:Buff is Filled")));
    EXPECT_EQ(slot(19).File, QStringLiteral("p0"));
    EXPECT_TRUE(slot(19).Visible);
    driver->CGChange(QStringLiteral("p20"), 40, 40, -1, -1, 0);
    EXPECT_TRUE(logged(QStringLiteral("CG Command Alarm:Buff is Filled")));
    EXPECT_EQ(driver->FindChar(QStringLiteral("p0"), false), -1);
    EXPECT_EQ(slot(0).File, QStringLiteral("p20"));
    EXPECT_EQ(slot(19).File, QStringLiteral("p1"));
    for (int i = 0; i < CharacterStage::kSlots; ++i) {
        EXPECT_TRUE(slot(i).Visible) << i;
    }
}

TEST_F(CharacterStageTest, UnknownKeysGiveDefaultsAndChangeNothing) {
    windowScene();
    EXPECT_EQ(driver->GetCharXPos(QStringLiteral("nobody")), 320);
    EXPECT_EQ(driver->GetCharLocation(QStringLiteral("nobody")), QString());
    EXPECT_EQ(driver->GetCharFilmID(QStringLiteral("nobody")), clsKestDriver::kNoFilm);
    EXPECT_EQ(driver->FindChar(QStringLiteral("?"), true), -1);
    driver->CGHide(QStringLiteral("nobody"), 0);
    EXPECT_FALSE(logged(QStringLiteral("CGH Command ")));
}

TEST_F(CharacterStageTest, HiddenCharacterGoesBehindTheVisibleOnes) {
    windowScene();
    for (const char* name : {"a", "b", "c"}) {
        character(QString::fromLatin1(name), 4, 4, Qt::blue);
        driver->CGChange(QString::fromLatin1(name), 10, 10, -1, -1, 0);
    }
    const FilmId filmOfB = driver->GetCharFilmID(QStringLiteral("b"));
    driver->CGHide(QStringLiteral("b"), 0);
    EXPECT_EQ(slot(0).File, QStringLiteral("c"));
    EXPECT_EQ(slot(1).File, QStringLiteral("a"));
    EXPECT_EQ(slot(2).File, QStringLiteral("b"));
    EXPECT_EQ(driver->FIDChar(2), filmOfB);
    EXPECT_FALSE(slot(2).Visible);
    EXPECT_EQ(intProp(filmOfB, FilmProp::X), -5000);
    EXPECT_TRUE(logged(QStringLiteral("CGH Command ")));
    driver->CGHideAll(0);
    EXPECT_FALSE(slot(0).Visible);
    EXPECT_EQ(driver->FindChar(QStringLiteral("a"), false), -1);
    EXPECT_EQ(pixel(10, 10), qRgb(255, 0, 0));
}

TEST_F(CharacterStageTest, FadeAndMoveWhileFrozenActAtOnce) {
    windowScene();
    character(QStringLiteral("a"), 4, 4, Qt::blue);
    driver->CGChange(QStringLiteral("a"), 10, 10, -1, -1, 0);
    driver->DrawDeactivate(0, 0);
    const FilmId film = driver->FIDChar(0);
    driver->CGAlpha(QStringLiteral("a"), 100, 5000, false);
    EXPECT_EQ(intProp(film, FilmProp::Opacity), 100);
    driver->CGMove(QStringLiteral("a"), 5, -2, false, 5000, false);
    EXPECT_EQ(driver->GetCharLocation(QStringLiteral("a")), QStringLiteral("15,8,4,4"));
    QPoint position;
    kest().GetFilmProp(film, FilmProp::Position, position);
    EXPECT_EQ(position, QPoint(13, 6));
}

TEST_F(CharacterStageTest, WaitedMoveEndsAtTheTarget) {
    windowScene();
    character(QStringLiteral("a"), 4, 4, Qt::blue);
    driver->CGChange(QStringLiteral("a"), 10, 10, -1, -1, 0);
    driver->CGMove(QStringLiteral("a"), 40, 30, true, 200, true);
    EXPECT_EQ(pixel(40, 30), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(10, 10), qRgb(255, 0, 0));
}

TEST_F(CharacterStageTest, FlipAndActionsWork) {
    windowScene();
    character(QStringLiteral("a"), 4, 4, Qt::blue);
    driver->CGChange(QStringLiteral("a"), 10, 10, -1, -1, 0);
    driver->CGFlip(QStringLiteral("a"), 2, -1);
    EXPECT_EQ(slot(0).column, 2);
    EXPECT_EQ(slot(0).row, 0);
    driver->CGActClear(QStringLiteral("a"));
    using Tok = KestLibrary::Tok;
    const auto word = [](qint32 value) { return QString::number(value); };
    // A fade to nothing; the list ends at -1, so the 7 after it is not appended.
    driver->CGActAdd(QStringLiteral("a"),
                     {word(Tok::MoveValue), word(static_cast<qint32>(FilmProp::Opacity)), word(0),
                      word(100), word(Tok::End), word(-1), word(7)});
    EXPECT_EQ(slot(0).tokens.size(), 5u);
    driver->CGActStart(QStringLiteral("a"));
    driver->CGActComplete(QStringLiteral("a"));
    EXPECT_EQ(intProp(driver->FIDChar(0), FilmProp::Opacity), 0);
    driver->CGActClear(QStringLiteral("a"));
    EXPECT_TRUE(slot(0).tokens.empty());
}

TEST_F(CharacterStageTest, BasicFilmSetHasNoCharacters) {
    basicScene(kRed);
    character(QStringLiteral("a"), 4, 4, Qt::blue);
    driver->CGChange(QStringLiteral("a"), 10, 10, -1, -1, 0);
    EXPECT_EQ(driver->FindChar(QStringLiteral("a"), true), -1);
    EXPECT_FALSE(logged(QStringLiteral("CG Command ")));
}

TEST_F(CharacterStageTest, BackgroundFillCentreAndMoveLogTheirSteps) {
    windowScene();
    driver->BGFill(0x00FF00, 0);
    EXPECT_TRUE(logged(QStringLiteral("BG Fill to color'0000FF00'")));
    EXPECT_EQ(pixel(1, 1), qRgb(0, 255, 0));
    EXPECT_TRUE(driver->BGName().isEmpty());

    picture(QStringLiteral("bg.png"), filled(20, 10, Qt::blue), "PNG");
    driver->BGCenter(QStringLiteral("bg"), BackgroundStage::kCentre, BackgroundStage::kCentre, 0,
                     true);
    EXPECT_TRUE(logged(QStringLiteral("BGCenter Command Change to 'bg'")));
    EXPECT_TRUE(logged(QStringLiteral("BGCenter Command Move to (32,24)")));
    EXPECT_EQ(driver->BGName(), QStringLiteral("bg"));
    EXPECT_EQ(pixel(32, 24), qRgb(0, 0, 255));
    EXPECT_FALSE(logged(QStringLiteral("BGCenter Command Same File And Pos")));
    driver->BGCenter(QStringLiteral("bg"), 0, 0, 0, false);
    EXPECT_TRUE(logged(QStringLiteral("BGCenter Command Same File And Pos")));

    driver->BGMove(-10, 0, 0, false);
    EXPECT_EQ(driver->Background().BGX(), 22);
    QPoint position;
    kest().GetFilmProp(driver->FIDBack(), FilmProp::Position, position);
    EXPECT_EQ(position, QPoint(12, 19));

    driver->BGCenter(QStringLiteral("missing"), 5, 5, 0, true);
    EXPECT_TRUE(logged(QStringLiteral("BGCenter Command Load Error 'missing'")));
    EXPECT_EQ(driver->BGName(), QStringLiteral("bg"));
}

TEST_F(CharacterStageTest, TimedBackgroundMoveEndsAtTheTarget) {
    windowScene();
    picture(QStringLiteral("bg.png"), filled(20, 10, Qt::blue), "PNG");
    driver->BGCenter(QStringLiteral("bg"), 10, 5, 0, true);
    driver->BGMove(50, 40, 300, true);
    QPoint position;
    kest().GetFilmProp(driver->FIDBack(), FilmProp::Position, position);
    EXPECT_EQ(position, QPoint(40, 35));
}

}  // namespace
