#include <QStringList>

#include "KestDriverFixture.h"
#include "data/clsSaveData.h"
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

// Every way a picture can fail to load; CGChange must then leave the scene and
// the slot table exactly as they were.
struct BrokenPicture {
    const char* name;
    const char* file;  // written into the image folder; null: none
    QByteArray (*bytes)();
};

const BrokenPicture kBrokenPictures[] = {
    {"st_ann_missing", nullptr, nullptr},
    {"st_ann_garbled", "st_ann_garbled.png", [] { return QByteArray("\x89PNG not a picture"); }},
    {"st_ann_huge", "st_ann_huge.png",
     [] {
         QImage wide(KestLibrary::kMaxSurfaceSide + 1, 1, QImage::Format_ARGB32);
         wide.fill(Qt::blue);
         return oskatest::encoded(wide, "PNG");
     }},
};

void PrintTo(const BrokenPicture& broken, std::ostream* out) {
    *out << broken.name;
}

// The fields that say what a slot shows and where.
QStringList SlotTable(CharacterStage& stage) {
    QStringList table;
    for (int i = 0; i < CharacterStage::kSlots; ++i) {
        const CharacterStage::Slot& slot = stage.At(i);
        table << QStringLiteral("%1 %2 %3 %4,%5 %6")
                     .arg(slot.film)
                     .arg(slot.File)
                     .arg(slot.Visible)
                     .arg(slot.X)
                     .arg(slot.Y)
                     .arg(slot.Alpha);
    }
    return table;
}

class CharacterStageBrokenPicture : public CharacterStageTest,
                                    public ::testing::WithParamInterface<BrokenPicture> {};

TEST_P(CharacterStageBrokenPicture, ChangesNeitherTheSceneNorTheSlots) {
    const BrokenPicture& broken = GetParam();
    windowScene();
    character(QStringLiteral("st_ann_1"), 6, 6, Qt::blue);
    character(QStringLiteral("bob"), 6, 6, Qt::green);
    ASSERT_TRUE(driver->CGChange(QStringLiteral("st_ann_1"), 10, 10, -1, -1, 0));
    ASSERT_TRUE(driver->CGChange(QStringLiteral("bob"), 40, 30, -1, -1, 0));
    if (broken.file != nullptr) {
        dir.write(QStringLiteral("image/") + QString::fromLatin1(broken.file), broken.bytes());
    }
    const QStringList before = SlotTable(driver->Characters());
    const QString name = QString::fromLatin1(broken.name);

    // Same character ID as the shown st_ann_1, at a free place.
    EXPECT_FALSE(driver->CGChange(name, 30, 10, -1, -1, 500));
    EXPECT_EQ(SlotTable(driver->Characters()), before);
    EXPECT_FALSE(logged(QStringLiteral("(CID Conflict)")));
    EXPECT_TRUE(logged(QStringLiteral("CG Command Load Error '") + name + "'"));
    EXPECT_TRUE(driver->DrawActivity());
    EXPECT_EQ(pixel(10, 10), qRgb(0, 0, 255));
    EXPECT_EQ(pixel(40, 30), qRgb(0, 255, 0));
    EXPECT_EQ(pixel(30, 10), qRgb(255, 0, 0));

    // A frozen screen stays frozen.
    driver->DrawDeactivate(0, 0);
    EXPECT_FALSE(driver->CGChange(name, 30, 10, -1, -1, 500));
    EXPECT_FALSE(driver->DrawActivity());
    EXPECT_EQ(SlotTable(driver->Characters()), before);
}

INSTANTIATE_TEST_SUITE_P(MissingGarbledOrHuge, CharacterStageBrokenPicture,
                         ::testing::ValuesIn(kBrokenPictures),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CharacterStageTest, PictureThatCannotLoadKeepsAFullBuffer) {
    windowScene();
    for (int i = 0; i < CharacterStage::kSlots; ++i) {
        picture(QStringLiteral("p%1.png").arg(i), filled(2, 2, Qt::blue), "PNG");
        ASSERT_TRUE(driver->CGChange(QStringLiteral("p%1").arg(i), i, 0, -1, -1, 0));
    }
    const QStringList before = SlotTable(driver->Characters());
    EXPECT_FALSE(driver->CGChange(QStringLiteral("missing"), 40, 40, -1, -1, 0));
    EXPECT_FALSE(logged(QStringLiteral("CG Command Alarm:Buff is Filled")));
    EXPECT_EQ(SlotTable(driver->Characters()), before);
    // The back-most character's picture must not turn up at the new place.
    EXPECT_EQ(pixel(40, 40), qRgb(255, 0, 0));
}

TEST_F(CharacterStageTest, FaceThatCannotLoadLeavesTheFaceAsItWas) {
    gamemode.SetText(QStringLiteral("[WindowMode]\r\nFace=,20,10\r\n"));
    windowScene();
    picture(QStringLiteral("face_a.png"), filled(4, 4, Qt::blue), "PNG");
    const FilmId face = driver->Window().FaceFilm();
    ASSERT_NE(face, clsKestDriver::kNoFilm);

    ASSERT_TRUE(driver->FaceChange(QStringLiteral("face_a")));
    EXPECT_FALSE(driver->FaceChange(QStringLiteral("face_missing")));
    EXPECT_EQ(driver->Characters().Face(), QStringLiteral("face_a"));
    EXPECT_EQ(intProp(face, FilmProp::Opacity), 256);
    EXPECT_TRUE(logged(QStringLiteral("Face Load Error 'face_missing'")));

    // A hidden face must not come back with the old picture.
    ASSERT_TRUE(driver->FaceChange(QString()));
    EXPECT_FALSE(driver->FaceChange(QStringLiteral("face_missing")));
    EXPECT_EQ(driver->Characters().Face(), QString());
    EXPECT_EQ(intProp(face, FilmProp::Opacity), 0);
    EXPECT_TRUE(driver->DrawActivity());
}

TEST_F(CharacterStageTest, OperationsAnswerByFilmSetAndKey) {
    character(QStringLiteral("a"), 4, 4, Qt::blue);
    // Every slot operation but CGChange, on one key.
    const auto keyOperations = [this](const QString& key) {
        return QList<bool>{driver->CGFlip(key, 1, 0),
                           driver->CGAlpha(key, 100, 0, false),
                           driver->CGMove(key, 1, 1, false, 0, false),
                           driver->CGActClear(key),
                           driver->CGActAdd(key, {QStringLiteral("-1")}),
                           driver->CGActStart(key),
                           driver->CGActEnd(key),
                           driver->CGActComplete(key),
                           driver->CGHide(key, 0),
                           driver->CGHideAll(0)};
    };
    const QString a = QStringLiteral("a");
    // No film set yet: there are no character films to show anything with.
    EXPECT_FALSE(driver->CGChange(a, 10, 10, -1, -1, 0));
    EXPECT_EQ(keyOperations(a), QList<bool>(10, false));
    // Film set 1 has no characters by design: nothing happens, successfully.
    basicScene(kRed);
    EXPECT_TRUE(driver->CGChange(a, 10, 10, -1, -1, 0));
    EXPECT_EQ(keyOperations(a), QList<bool>(10, true));
    EXPECT_FALSE(logged(QStringLiteral("CG Command ")));
    // Window mode: a shown character, then an unknown key that changes nothing.
    windowScene();
    EXPECT_TRUE(driver->CGChange(a, 10, 10, -1, -1, 0));
    EXPECT_EQ(keyOperations(a), QList<bool>(10, true));
    EXPECT_EQ(driver->FindChar(a, false), -1);
    const QStringList before = SlotTable(driver->Characters());
    EXPECT_EQ(keyOperations(QStringLiteral("nobody")), QList<bool>(10, true));
    EXPECT_EQ(SlotTable(driver->Characters()), before);
}

TEST_F(CharacterStageTest, BackgroundOperationsReportFailedLoads) {
    windowScene();
    picture(QStringLiteral("bg.png"), filled(20, 10, Qt::blue), "PNG");
    EXPECT_TRUE(driver->BGFill(0x00FF00, 0));
    EXPECT_TRUE(driver->BGCenter(QStringLiteral("bg"), 32, 24, 0, true));
    EXPECT_TRUE(driver->BGCenter(QStringLiteral("bg"), 32, 24, 0, true));
    EXPECT_TRUE(driver->BGMove(2, 2, 0, false));
    EXPECT_FALSE(driver->BGCenter(QStringLiteral("missing"), 32, 24, 0, true));
    EXPECT_TRUE(logged(QStringLiteral("BGCenter Command Load Error 'missing'")));
    EXPECT_TRUE(driver->DrawActivity());
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

TEST_F(CharacterStageTest, AMoveUnderWayResumesAfterASaveFromWhereItWas) {
    windowScene();
    character(QStringLiteral("a"), 4, 4, Qt::blue);
    driver->CGChange(QStringLiteral("a"), 10, 10, -1, -1, 0);
    driver->CGMove(QStringLiteral("a"), 110, 10, true, 1000, false);
    clock().sleep(500);
    kest().WaitBlt();
    QPoint halfway;
    kest().GetFilmProp(driver->FIDChar(0), FilmProp::Position, halfway);
    ASSERT_GT(halfway.x(), 8);
    ASSERT_LT(halfway.x(), 108);
    clsSaveData saved;
    driver->SaveStatus(saved);

    driver.reset();
    rects.Clear();
    driver = std::make_unique<clsKestDriver>(rects);
    ASSERT_TRUE(driver->Init(QSize(kWidth, kHeight), &gamemode));
    driver->LoadStatus(saved);
    driver->DrawActivate(0, 0);
    QPoint resumed;
    kest().GetFilmProp(driver->FIDChar(0), FilmProp::Position, resumed);
    EXPECT_EQ(resumed, halfway);
    // The rest of the way takes the rest of the time, and the character's place is its target.
    EXPECT_EQ(driver->GetCharLocation(QStringLiteral("a")), QStringLiteral("110,10,4,4"));
    clock().sleep(250);
    kest().WaitBlt();
    QPoint later;
    kest().GetFilmProp(driver->FIDChar(0), FilmProp::Position, later);
    EXPECT_GT(later.x(), halfway.x());
    EXPECT_LT(later.x(), 108);
    // Saved and loaded again on the way, it keeps its pace.
    clsSaveData again;
    driver->SaveStatus(again);
    driver.reset();
    rects.Clear();
    driver = std::make_unique<clsKestDriver>(rects);
    ASSERT_TRUE(driver->Init(QSize(kWidth, kHeight), &gamemode));
    driver->LoadStatus(again);
    driver->DrawActivate(0, 0);
    clock().sleep(100);
    kest().WaitBlt();
    QPoint paced;
    kest().GetFilmProp(driver->FIDChar(0), FilmProp::Position, paced);
    const int expected = later.x() + (108 - later.x()) * 100 / 250;
    EXPECT_NEAR(paced.x(), expected, 3);
    clock().sleep(200);
    kest().WaitBlt();
    QPoint end;
    kest().GetFilmProp(driver->FIDChar(0), FilmProp::Position, end);
    EXPECT_EQ(end, QPoint(108, 8));
}
