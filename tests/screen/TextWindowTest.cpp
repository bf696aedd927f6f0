#include "screen/TextWindow.h"

#include <map>

#include "KestDriverFixture.h"

namespace {

constexpr int kShift = TextWindow::kAvoidShift;

}  // namespace

// A 64 x 48 screen with a window-mode layout: back along the bottom, frame on
// it, state, name plate and two buttons on the frame, a face place and the
// text; the novel-mode layout has a back, the text and a wait cursor.
class TextWindowTest : public KestDriverFixture {
protected:
    void SetUp() override {
        KestDriverFixture::SetUp();
        picture(QStringLiteral("back.png"), filled(64, 16, Qt::blue), "PNG");
        picture(QStringLiteral("frame.png"), filled(40, 12, Qt::red), "PNG");
        picture(QStringLiteral("btn.png"), filled(4, 4, Qt::white), "PNG");
        picture(QStringLiteral("cur.png"), filled(4, 4, Qt::green), "PNG");
        QImage rows = filled(6, 12, Qt::green);
        rows.fill(Qt::yellow);
        for (int y = 0; y < 6; ++y) {
            for (int x = 0; x < 6; ++x) {
                rows.setPixelColor(x, y, Qt::green);
            }
        }
        picture(QStringLiteral("state.png"), rows, "PNG");
        picture(QStringLiteral("plate.png"), rows, "PNG");
        gamemode.SetText(QStringLiteral(
            "[WindowMode]\r\nWaitCursor=cur.png,56,40,4,4,100\r\nText=,4,34,56,12\r\n"
            "TextShadow=,5,35,56,12\r\nFrame=frame.png,2,33\r\nBack=back.png,0,32\r\n"
            "State=state.png,4,34,6,6\r\nNameplate=plate.png,12,34,6,6\r\n"
            "Face=face.png,30,20\r\nButtons=save, load ,missing\r\nsave=btn.png,24,36\r\n"
            "load=btn.png,32,36\r\nStateSkipIndex=1\r\nStateAutoIndex=1\r\n"
            "[NovelMode]\r\nWaitCursor=cur.png,50,0,4,4,100\r\nText=,2,2,60,44\r\n"
            "TextShadow=,3,3,60,44\r\nBack=back.png,0,0\r\nWaitCursorOffset=5\r\n"));
        config[QStringLiteral("WndAlpha")] = QStringLiteral("256");
        config[QStringLiteral("NovelAlpha")] = QStringLiteral("128");
        TextWindow::Hooks hooks;
        hooks.ConfigValue = [this](const QString& key) { return config[key]; };
        hooks.IsSkipMode = [this] { return skipMode; };
        hooks.AutoClickEnabled = [this] { return autoClick; };
        driver->SetTextWindowHooks(std::move(hooks));
    }

    TextWindow& window() { return driver->Window(); }
    QPoint position(FilmId film) {
        QPoint value(-1, -1);
        kest().GetFilmProp(film, FilmProp::Position, value);
        return value;
    }
    QString textProp(FilmId film, FilmProp prop) {
        QString value;
        kest().GetFilmProp(film, prop, value);
        return value;
    }
    // The window on a released black screen.
    void shownWindow(std::int32_t set) {
        driver->SetBaseFilmSet(set);
        fillBack(0);
        driver->SetTextVisible(true);
        driver->DrawActivate(0, 0);
    }

    std::map<QString, QString> config;
    bool skipMode = false;
    bool autoClick = false;
};

// ---- Showing and hiding

TEST_F(TextWindowTest, FilmAvoidMovesByFiveThousandOnlyAcrossTheLimit) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    const FilmId near = driver->MakeFilm(FilmKind::Picture, 100, 0, 4, 4);
    const FilmId negative = driver->MakeFilm(FilmKind::Picture, -30, 0, 4, 4);
    const FilmId far = driver->MakeFilm(FilmKind::Picture, 6000, 0, 4, 4);
    const auto x = [this](FilmId film) { return intProp(film, FilmProp::X); };

    driver->FilmAvoid(near, false);
    EXPECT_EQ(x(near), 100 + kShift);
    driver->FilmAvoid(near, false);
    EXPECT_EQ(x(near), 100 + kShift);
    driver->FilmAvoid(near, true);
    EXPECT_EQ(x(near), 100);
    driver->FilmAvoid(near, true);
    EXPECT_EQ(x(near), 100);

    // Below the limit showing changes nothing, at or above it hiding does not.
    driver->FilmAvoid(negative, false);
    EXPECT_EQ(x(negative), 4970);
    driver->FilmAvoid(negative, true);
    EXPECT_EQ(x(negative), 4970);
    driver->FilmAvoid(far, false);
    EXPECT_EQ(x(far), 6000);
    driver->FilmAvoid(far, true);
    EXPECT_EQ(x(far), 1000);
    driver->FilmAvoid(clsKestDriver::kNoFilm, false);
}

TEST_F(TextWindowTest, BasicFilmSetLeavesTheScreenUnchanged) {
    basicScene(kRed);
    driver->DrawActivate(0, 0);
    kest().WaitBlt();
    const QImage before = kest().PresentedFrame().copy();
    ASSERT_EQ(before.pixel(1, 1), qRgb(255, 0, 0));
    driver->SetTextVisible(true);
    driver->TextStart(QStringLiteral("あいう"), false);
    driver->TextStart(QStringLiteral("えお"), true);
    driver->SetCursorVisible(true);
    driver->WindowNameFlip(2);
    driver->WindowModeFlip(1);
    driver->TextFontSetting(QString(), 0xFFFFFF);
    driver->TextPageTurn();
    EXPECT_FALSE(driver->TextVisible());
    EXPECT_FALSE(driver->CursorVisible());
    EXPECT_TRUE(driver->CurrentText().isEmpty());
    EXPECT_EQ(driver->WindowNameCell(), 0);
    kest().WaitBlt();
    EXPECT_EQ(kest().PresentedFrame(), before);

    // The speed is kept even so and given to the next window's text films.
    driver->TextSpeedSetting(25);
    EXPECT_EQ(driver->TextSpeed(), 25);
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(intProp(window().TextFilm(), FilmProp::TextSpeed), 25);
    EXPECT_EQ(intProp(window().ShadowFilm(), FilmProp::TextSpeed), 25);
}

TEST_F(TextWindowTest, NewWindowStartsOutOfViewAndShowsItsPartsAtTheirPlaces) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    EXPECT_FALSE(driver->TextVisible());
    EXPECT_EQ(position(window().TextFilm()), QPoint(4 + kShift, 34));
    EXPECT_EQ(position(window().FrameFilm()), QPoint(2 + kShift, 33));
    EXPECT_EQ(position(driver->FIDWndBk()), QPoint(kShift, 32));
    EXPECT_EQ(position(window().FaceFilm()), QPoint(30 + kShift, 20));
    ASSERT_EQ(window().ButtonFilms().size(), 2u);
    EXPECT_EQ(position(window().ButtonFilms()[1]), QPoint(32 + kShift, 36));
    EXPECT_EQ(rects.CountByTag(QStringLiteral("wndbutton")), 2);
    for (const auto& rect : rects) {
        EXPECT_FALSE(rect->Enabled);
    }

    driver->SetTextVisible(true);
    EXPECT_TRUE(driver->TextVisible());
    EXPECT_EQ(position(window().TextFilm()), QPoint(4, 34));
    EXPECT_EQ(position(window().ShadowFilm()), QPoint(5, 35));
    EXPECT_EQ(position(window().FrameFilm()), QPoint(2, 33));
    EXPECT_EQ(position(window().StateFilm()), QPoint(4, 34));
    EXPECT_EQ(position(window().NamePlateFilm()), QPoint(12, 34));
    EXPECT_EQ(position(window().FaceFilm()), QPoint(30, 20));
    EXPECT_EQ(position(window().ButtonFilms()[0]), QPoint(24, 36));
    const auto save = rects.GetRectByTag(QStringLiteral("wndbutton"), 0);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->Text4, QStringLiteral("save"));
    EXPECT_TRUE(save->Enabled);
    EXPECT_EQ(rects.GetRectByTag(QStringLiteral("wndbutton"), 1)->Text4, QStringLiteral("load"));
}

TEST_F(TextWindowTest, WindowPartsAreStackedBackFrameThenStateAndButtons) {
    shownWindow(clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(pixel(1, 40), qRgb(0, 0, 255));       // back alone
    EXPECT_EQ(pixel(3, 44), qRgb(255, 0, 0));       // frame over the back
    EXPECT_EQ(pixel(5, 35), qRgb(0, 255, 0));       // state over the frame, row 0
    EXPECT_EQ(pixel(25, 37), qRgb(255, 255, 255));  // button over the frame
    EXPECT_EQ(pixel(58, 41), qRgb(0, 0, 255));      // cursor hidden
    EXPECT_EQ(pixel(1, 1), qRgb(0, 0, 0));          // nothing above the window

    skipMode = true;
    driver->UpdateWindowMode();
    EXPECT_EQ(pixel(5, 35), qRgb(255, 255, 0));
    skipMode = false;
    driver->UpdateWindowMode();
    EXPECT_EQ(pixel(5, 35), qRgb(0, 255, 0));
    autoClick = true;
    driver->UpdateWindowMode();
    EXPECT_EQ(pixel(5, 35), qRgb(255, 255, 0));

    driver->WindowNameFlip(1);
    EXPECT_EQ(driver->WindowNameCell(), 1);
    EXPECT_EQ(pixel(13, 35), qRgb(255, 255, 0));

    driver->SetTextVisible(false);
    EXPECT_EQ(pixel(3, 44), qRgb(0, 0, 0));
}

TEST_F(TextWindowTest, BackOpacityComesFromTheConfiguration) {
    config[QStringLiteral("WndAlpha")] = QStringLiteral("128");
    shownWindow(clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(intProp(driver->FIDWndBk(), FilmProp::Opacity), 128);
    EXPECT_TRUE(NearColour(pixel(1, 40), qRgb(0, 0, 128), 2));

    shownWindow(clsKestDriver::kFilmSetNovel);
    EXPECT_EQ(window().FrameFilm(), clsKestDriver::kNoFilm);
    EXPECT_EQ(window().StateFilm(), clsKestDriver::kNoFilm);
    EXPECT_TRUE(window().ButtonFilms().empty());
    EXPECT_EQ(rects.CountByTag(QStringLiteral("wndbutton")), 0);
    EXPECT_EQ(intProp(driver->FIDWndBk(), FilmProp::Opacity), 128);
    EXPECT_EQ(position(driver->FIDWndBk()), QPoint(0, 0));
}

// ---- Font and text

TEST_F(TextWindowTest, FontDefaultsToTheJapaneseGothic) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(textProp(window().TextFilm(), FilmProp::TextFont), QStringLiteral("ＭＳ ゴシック"));
    EXPECT_EQ(intProp(window().TextFilm(), FilmProp::TextColor), 0xFFFFFF);
    // The shadow is black from the page start, not only after a colour code.
    EXPECT_EQ(intProp(window().ShadowFilm(), FilmProp::TextColor), 0);

    config[QStringLiteral("Font")] = QStringLiteral("ＭＳ 明朝");
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetNovel);
    EXPECT_EQ(textProp(window().ShadowFilm(), FilmProp::TextFont), QStringLiteral("ＭＳ 明朝"));
}

TEST(TextWindowShadow, EveryColourCodeTurnsBlackAndNothingElse) {
    EXPECT_EQ(TextWindow::ShadowCodes(QStringLiteral("D00FF00あいD123ABC\nう")),
              QStringLiteral("D000000あいD000000\nう"));
    // Digits of other codes are never read as a colour.
    EXPECT_EQ(TextWindow::ShadowCodes(QStringLiteral("B0000D123あF0D0")),
              QStringLiteral("B0000D123あF0D0"));
    EXPECT_EQ(TextWindow::ShadowCodes(QStringLiteral("I-01AD0000FFK+D00")),
              QStringLiteral("I-01AD000000K+D00"));
    // An incomplete or lower-case code is left as it is.
    EXPECT_EQ(TextWindow::ShadowCodes(QStringLiteral("あD12")), QStringLiteral("あD12"));
    EXPECT_EQ(TextWindow::ShadowCodes(QStringLiteral("D00ff00")), QStringLiteral("D00ff00"));
    EXPECT_EQ(TextWindow::ShadowCodes(QString()), QString());
}

TEST_F(TextWindowTest, TextStartFillsBothFilmsAndStoresThePage) {
    config[QStringLiteral("TextShadow")] = QStringLiteral("True");
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    driver->TextStart(QStringLiteral("D00FF00あい\nう"), false);
    const FilmId text = window().TextFilm();
    const FilmId shadow = window().ShadowFilm();
    const qint32 length = intProp(text, FilmProp::TextLength);
    EXPECT_GT(length, 0);
    EXPECT_EQ(intProp(shadow, FilmProp::TextLength), length);
    EXPECT_EQ(intProp(text, FilmProp::TextShown), length);
    EXPECT_EQ(intProp(shadow, FilmProp::TextShown), length);
    EXPECT_EQ(intProp(shadow, FilmProp::Opacity), 256);
    EXPECT_EQ(driver->CurrentText(), QStringLiteral("D00FF00あい\\nう"));

    config[QStringLiteral("TextShadow")] = QStringLiteral("False");
    driver->TextStart(QStringLiteral("えお"), false);
    EXPECT_EQ(intProp(shadow, FilmProp::Opacity), 0);
    EXPECT_GT(intProp(text, FilmProp::TextLength), length);
    EXPECT_EQ(driver->CurrentText(), QStringLiteral("D00FF00あい\\nうえお"));
}

TEST_F(TextWindowTest, TextStartWithWaitRevealsTheWholePageOverTime) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    driver->TextSpeedSetting(50);
    const qint64 start = clock().now();
    driver->TextStart(QStringLiteral("あいうえ"), true);
    EXPECT_GE(clock().now() - start, 150);
    const FilmId shadow = window().ShadowFilm();
    EXPECT_EQ(intProp(window().TextFilm(), FilmProp::TextShown), 4);
    EXPECT_EQ(intProp(shadow, FilmProp::TextShown), intProp(shadow, FilmProp::TextLength));
}

TEST_F(TextWindowTest, TextPageTurnClearsThePageAndTheNamePlate) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    driver->TextStart(QStringLiteral("あいう"), false);
    driver->WindowNameFlip(1);
    driver->TextPageTurn();
    EXPECT_TRUE(driver->CurrentText().isEmpty());
    EXPECT_EQ(intProp(window().TextFilm(), FilmProp::TextLength), 0);
    EXPECT_EQ(intProp(window().ShadowFilm(), FilmProp::TextLength), 0);
    EXPECT_EQ(driver->WindowNameCell(), 0);
    EXPECT_EQ(intProp(window().NamePlateFilm(), FilmProp::CellRow), 0);
}

// ---- Wait cursor

TEST_F(TextWindowTest, NovelCursorFollowsTheCurrentLine) {
    shownWindow(clsKestDriver::kFilmSetNovel);
    const FilmId cursor = driver->FIDCur();
    ASSERT_NE(cursor, clsKestDriver::kNoFilm);
    EXPECT_EQ(intProp(cursor, FilmProp::X), 50 - kWidth);
    driver->TextStart(QStringLiteral("あ\nい"), false);
    driver->SetCursorVisible(true);
    EXPECT_TRUE(driver->CursorVisible());
    EXPECT_EQ(intProp(cursor, FilmProp::X), 50);
    const qint32 lineTop = intProp(window().TextFilm(), FilmProp::TextLineTop);
    EXPECT_GT(lineTop, 2);
    EXPECT_EQ(intProp(cursor, FilmProp::Y), lineTop + 5);

    // Freezing and releasing keep it shown.
    driver->DrawDeactivate(0, 0);
    driver->DrawActivate(0, 0);
    EXPECT_TRUE(driver->CursorVisible());
    EXPECT_EQ(intProp(cursor, FilmProp::X), 50);
    driver->SetCursorVisible(false);
    driver->SetCursorVisible(false);
    EXPECT_EQ(intProp(cursor, FilmProp::X), 50 - kWidth);
}

TEST_F(TextWindowTest, WindowCursorKeepsItsPlaceAndIsHiddenByANewFilmSet) {
    shownWindow(clsKestDriver::kFilmSetWindow);
    driver->SetCursorVisible(true);
    EXPECT_EQ(position(driver->FIDCur()), QPoint(56, 40));
    EXPECT_EQ(pixel(57, 41), qRgb(0, 255, 0));
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    EXPECT_FALSE(driver->CursorVisible());
    EXPECT_EQ(driver->FIDCur(), clsKestDriver::kNoFilm);
}

// ---- Messages

TEST_F(TextWindowTest, MessageCodesReachTheWindow) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    QString continuation;
    QString voice;
    bool wait = false;
    const QString codes =
        driver->ConvertMessageText(QStringLiteral("\\speed(25)\\np(1)あ\\color(&HFF)い\\wう"),
                                   continuation, wait, voice, clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(codes, QStringLiteral("あD0000FFい"));
    EXPECT_EQ(continuation, QStringLiteral("う"));
    EXPECT_TRUE(wait);
    EXPECT_EQ(driver->TextSpeed(), 25);
    EXPECT_EQ(intProp(window().TextFilm(), FilmProp::TextSpeed), 25);
    EXPECT_EQ(driver->WindowNameCell(), 1);
}
