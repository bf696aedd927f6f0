#include "screen/ChoiceItems.h"

#include "GoldenImage.h"
#include "KestDriverFixture.h"
#include "data/clsSaveData.h"

namespace {

constexpr int kShift = TextWindow::kAvoidShift;

}  // namespace

// A 320 x 480 screen in window mode with two window buttons and choice frames
// of two cell rows (red over green) 40 pixels apart around y = 240.
class ChoiceItemsTest : public KestDriverFixture {
protected:
    void SetUp() override {
        KestDriverFixture::SetUp();
        driver = std::make_unique<clsKestDriver>(rects);
        ASSERT_TRUE(driver->Init(QSize(320, 480), &gamemode));
        picture(QStringLiteral("frame.png"), filled(40, 12, Qt::red), "PNG");
        picture(QStringLiteral("btn.png"), filled(4, 8, Qt::white), "PNG");
        picture(QStringLiteral("char.png"), filled(20, 30, Qt::yellow), "PNG");
        picture(QStringLiteral("st_a_1.png"), filled(8, 8, Qt::cyan), "PNG");
        QImage rows = filled(100, 20, Qt::green);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 100; ++x) {
                rows.setPixelColor(x, y, Qt::red);
            }
        }
        picture(QStringLiteral("choice.png"), rows, "PNG");
        gamemode.SetText(QStringLiteral(
            "[WindowMode]\r\nText=,4,400,300,60\r\nTextShadow=,5,401,300,60\r\n"
            "Frame=frame.png,2,390\r\nButtons=save,load\r\nsave=btn.png,24,440,4,4\r\n"
            "load=btn.png,32,440,4,4\r\nChoiceFrame=choice.png,100,0,100,10\r\n"
            "ChoiceText=,104,0,90,10\r\nChoiceSpace=40\r\nChoiceCenter=240\r\n"
            "ChoiceTextTopOffset=3\r\n"));
    }

    QPoint position(FilmId film) {
        QPoint value(-1, -1);
        kest().GetFilmProp(film, FilmProp::Position, value);
        return value;
    }
    ChoiceItems& choices() { return driver->Choices(); }
    clsEventRects::RectPtr choiceRect(int index) {
        return rects.GetRectByTag(QStringLiteral("selectionitem"), index);
    }
};

TEST_F(ChoiceItemsTest, SixthItemIsIgnored) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    for (int i = 0; i < 6; ++i) {
        driver->AddChoiceItem(QStringLiteral("item %1").arg(i), QStringLiteral("*go%1").arg(i));
    }
    EXPECT_EQ(5, driver->ChoiceCount());
    EXPECT_EQ(QStringLiteral("item 4"), choices().Text(4));
    EXPECT_EQ(QStringLiteral("*go4"), choiceRect(4)->Text3);
    EXPECT_EQ(4, choiceRect(4)->KB);
    EXPECT_EQ(5, rects.CountByTag(QStringLiteral("selectionitem")));
}

TEST_F(ChoiceItemsTest, TwoItemsAreCentredAndShownWithEnabledRects) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    driver->AddChoiceItem(QStringLiteral("yes"), QStringLiteral("*yes"));
    driver->AddChoiceItem(QStringLiteral("no"), QStringLiteral("*no"));
    driver->ChoiceArrange();
    EXPECT_EQ(220, position(choices().FrameFilm(0)).y());
    EXPECT_EQ(260, position(choices().FrameFilm(1)).y());
    EXPECT_EQ(263, position(choices().TextFilm(1)).y());
    EXPECT_FALSE(choiceRect(0)->Enabled);
    EXPECT_EQ(100 + kShift, position(choices().FrameFilm(0)).x());

    driver->ChoiceVisible(true);
    EXPECT_EQ(100, position(choices().FrameFilm(0)).x());
    EXPECT_TRUE(choiceRect(1)->Enabled);
    EXPECT_EQ(260, choiceRect(1)->Top);
    EXPECT_EQ(100, choiceRect(1)->Left);
    // The unused third item stays away.
    EXPECT_EQ(100 + kShift, position(choices().FrameFilm(2)).x());
    EXPECT_FALSE(choiceRect(2)->Enabled);

    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    fillBack(0);
    driver->AddChoiceItem(QStringLiteral("yes"), QStringLiteral("*yes"));
    driver->ChoiceArrange();
    driver->ChoiceVisible(true);
    driver->DrawActivate(0, 0);
    EXPECT_EQ(qRgb(255, 0, 0), pixel(150, 245));
    driver->ChoiceFlip(0, 1);
    EXPECT_EQ(qRgb(0, 255, 0), pixel(150, 245));
    driver->ChoiceClear();
    EXPECT_EQ(0, driver->ChoiceCount());
    EXPECT_EQ(qRgb(0, 0, 0), pixel(150, 245));
    EXPECT_FALSE(choiceRect(0)->Enabled);
}

TEST_F(ChoiceItemsTest, ButtonFlipHighlightsOneButton) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    const auto& buttons = driver->Window().ButtonFilms();
    ASSERT_EQ(2u, buttons.size());
    driver->ButtonFlip(1);
    EXPECT_EQ(0, intProp(buttons[0], FilmProp::CellRow));
    EXPECT_EQ(1, intProp(buttons[1], FilmProp::CellRow));
    driver->ButtonFlip(0);
    EXPECT_EQ(1, intProp(buttons[0], FilmProp::CellRow));
    EXPECT_EQ(0, intProp(buttons[1], FilmProp::CellRow));
}

TEST_F(ChoiceItemsTest, ChoiceTextsFollowTheTextFont) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    QString font;
    kest().GetFilmProp(choices().TextFilm(4), FilmProp::TextFont, font);
    EXPECT_EQ(QStringLiteral("ＭＳ ゴシック"), font);

    driver->TextFontSetting(QStringLiteral("ＭＳ 明朝"), 0x00FF00);
    for (int i = 0; i < ChoiceItems::kItems; ++i) {
        kest().GetFilmProp(choices().TextFilm(i), FilmProp::TextFont, font);
        EXPECT_EQ(QStringLiteral("ＭＳ 明朝"), font);
        EXPECT_EQ(0x00FF00, intProp(choices().TextFilm(i), FilmProp::TextColor));
    }
}

TEST_F(ChoiceItemsTest, OutsideWindowModeNothingHappens) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetNovel);
    driver->AddChoiceItem(QStringLiteral("yes"), QStringLiteral("*yes"));
    EXPECT_EQ(0, driver->ChoiceCount());
    EXPECT_EQ(KestLibrary::kNoFilm, choices().FrameFilm(0));

    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    const FilmId button = driver->Window().ButtonFilms().at(0);
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    driver->ButtonFlip(0);
    driver->AddChoiceItem(QStringLiteral("yes"), QStringLiteral("*yes"));
    EXPECT_EQ(0, driver->ChoiceCount());
    EXPECT_NE(1, intProp(button, FilmProp::CellRow));
}

TEST_F(ChoiceItemsTest, SavedStatusRebuildsTheSameScreen) {
    driver->SetBaseFilmSet(clsKestDriver::kFilmSetWindow);
    driver->BGFill(kBlue, 0);
    driver->CGChange(QStringLiteral("char.png"), 60, 100, -1, -1, 0);
    driver->CGChange(QStringLiteral("st_a_1.png"), 160, 100, 10, 10, 0);
    driver->CGChange(QStringLiteral("char.png"), 70, 110, -1, -1, 0);
    driver->SetTextVisible(true);
    driver->TextStart(QStringLiteral("line one\nline, two"), false);
    driver->AddChoiceItem(QStringLiteral("left"), QStringLiteral("*l"));
    driver->AddChoiceItem(QStringLiteral("right, or not"), QStringLiteral("*r"));
    driver->ChoiceArrange();
    driver->ChoiceVisible(true);
    driver->DrawActivate(0, 0);

    clsSaveData saved;
    driver->SaveStatus(saved);
    const INISection& status = saved.KestStatus();
    EXPECT_EQ(QStringLiteral("\"line one\\nline, two\""), status.KeyValue(QStringLiteral("Text")));
    EXPECT_EQ(QStringLiteral("right, or not,*r"), status.KeyValue(QStringLiteral("choice1")));
    EXPECT_EQ(QStringLiteral("True"), status.KeyValue(QStringLiteral("ChoiceVisible")));
    EXPECT_EQ(QStringLiteral("char.png,70,110,-1,-1,0,0,256,0"),
              status.KeyValue(QStringLiteral("CH0")));
    EXPECT_EQ(QString(), status.KeyValue(QStringLiteral("CH2")));
    const QImage frame = (kest().WaitBlt(), kest().PresentedFrame());

    driver.reset();
    rects.Clear();
    driver = std::make_unique<clsKestDriver>(rects);
    ASSERT_TRUE(driver->Init(QSize(320, 480), &gamemode));
    driver->LoadStatus(saved);
    EXPECT_FALSE(driver->DrawActivity());
    // Showing the window belongs to the game mode, not to the saved screen.
    driver->SetTextVisible(true);
    driver->DrawActivate(0, 0);
    clsSaveData again;
    driver->SaveStatus(again);
    EXPECT_EQ(saved.KestStatus().Text(), again.KestStatus().Text());
    kest().WaitBlt();
    const QImage loaded = kest().PresentedFrame();
    EXPECT_EQ(0, DifferingPixels(frame, loaded));
    EXPECT_EQ(qRgb(255, 255, 0), loaded.pixel(70, 110));
    EXPECT_EQ(QStringLiteral("*r"), choiceRect(1)->Text3);
}
