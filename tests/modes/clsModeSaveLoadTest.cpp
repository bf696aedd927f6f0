#include "modes/clsModeSaveLoad.h"

#include <QDir>
#include <QFileInfo>

#include "GameModeFixture.h"
#include "GoldenImage.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/INISection.h"
#include "platform/os/ScriptedMessageBoxPresenter.h"

namespace {

// Three texts; the place changes before the second one, and r tells how far
// the scenario went.
const QString kScenario = QStringLiteral(
    "start: site \"はじまりの場所から少し歩いた先の道\"\r\n"
    "let r, 1\r\n"
    "put \"一つめの文です。\"\r\n"
    "site \"公園\"\r\n"
    "let r, 2\r\n"
    "put \"二つめの文です。\"\r\n"
    "let r, 3\r\n"
    "put \"三つめの文です。\"\r\n");
const QString kLongSite = QStringLiteral("はじまりの場所から少し歩いた先の道");

// Two columns of three slots; the title's background is a quarter of the screen.
const QString kLayout = QStringLiteral(
    "[Base]\r\nPointSE=sl_point\r\nClickSE=sl_click\r\n"
    "BGFromGame=sl_over\r\nTransparentBGFromGame=True\r\nBGAlphaBlend=128\r\n"
    "BGFromTitle=sl_title\r\nTransparentBGFromTitle=False\r\n"
    "PageButtonFlipNumOnClick=1\r\nPageButtonFlipNumOnLock=2\r\n"
    "QuerySaveMessage=セーブしますか\r\nQueryLoadMessage=ロードしますか\r\n"
    "[Button]\r\nReturn=sl_ret.png,560,440,60,20\r\nPageNoCount=3\r\n"
    "PageNo00=sl_page.png,20,440,40,20\r\nPageNo01=sl_page.png,70,440,40,20\r\n"
    "PageNo02=sl_page.png,120,440,40,20\r\n"
    "[Slots]\r\nSlotXCount=2\r\nSlotYCount=3\r\nSlotXBase=10\r\nSlotYBase=20\r\n"
    "SlotXDiff=300\r\nSlotYDiff=130\r\n"
    "[SlotBase]\r\nBase=sl_base.png,0,0,280,120\r\nThumb=,10,10,80,60\r\n"
    "Save=sl_btn.png,100,80,50,20\r\nLoad=sl_btn.png,160,80,50,20\r\n"
    "Text=,100,10,170,60\r\nTextFont=ＭＳ 明朝\r\nTextColor=&HFFCC00\r\n"
    "TextSize=14\r\nTextWidth=14\r\nTextHeight=18\r\n");

const QString kSaveFailed = QStringLiteral("セーブに失敗しました。");
const QString kLoadFailed = QStringLiteral("ロードに失敗しました。");
const QString kSaveQuestion = QStringLiteral("セーブしますか");
const QString kLoadQuestion = QStringLiteral("ロードしますか");
const QColor kOverlayColour(255, 0, 0);
const QColor kTitleColour(0, 160, 0);

}  // namespace

// The game mode's engine with a slot screen layout, opened from the game or the title.
class SaveLoadModeTest : public GameModeFixture {
protected:
    using Mode = clsModeSaveLoad;

    void SetUp() override {
        GameModeFixture::SetUp();
        scenario(QStringLiteral("main"), kScenario);
    }
    void writeModeDocuments() override {
        dir.write(QStringLiteral("saveload_mode.ini"), Cp932Codec::encode(kLayout));
        picture(QStringLiteral("sl_over.png"), QSize(640, 480), {kOverlayColour});
        picture(QStringLiteral("sl_title.png"), QSize(320, 240), {kTitleColour});
        picture(QStringLiteral("sl_base.png"), QSize(280, 120), {Qt::darkGray, Qt::gray});
        picture(QStringLiteral("sl_btn.png"), QSize(50, 20),
                {Qt::darkBlue, Qt::blue, Qt::cyan, Qt::black});
        picture(QStringLiteral("sl_page.png"), QSize(40, 20), {Qt::darkRed, Qt::red, Qt::white});
        picture(QStringLiteral("sl_ret.png"), QSize(60, 20), {Qt::darkRed, Qt::red, Qt::white});
        sound(QStringLiteral("sl_point"), tone(40));
        sound(QStringLiteral("sl_click"), tone(40));
    }

    // Changes one key of the layout; the screen reads it when it opens.
    void setLayoutKey(const QString& section, const QString& key, const QString& value) {
        INIFile layout;
        layout.SetText(Cp932Codec::decode(dir.read(QStringLiteral("saveload_mode.ini"))));
        layout.KeySection(section).SetKeyValue(key, value);
        dir.write(QStringLiteral("saveload_mode.ini"), Cp932Codec::encode(layout.Text()));
    }

    Mode* slotScreen() { return dynamic_cast<Mode*>(varo().ModeObject()); }
    void openFromGame() {
        view().MenuCmd(QStringLiteral("file"), QStringLiteral("saveload"));
        pumpFor(100);
    }
    void openFromTitle() {
        varo().ChangeMode(clsVaro::kModeSaveLoad, Mode::kSubFromTitle);
        pumpFor(100);
    }
    void answer(const char* word) {
        static_cast<ScriptedMessageBoxPresenter&>(player.platform.messageBoxes())
            .queueAnswer(QLatin1String(word));
    }

    qint32 row(const RectPtr& rect) { return filmInt(rect->FilmID, FilmProp::CellRow); }
    QPoint filmPosition(KestLibrary::FilmId film) {
        QPoint position(-1, -1);
        kest().Library().GetFilmProp(film, FilmProp::Position, position);
        return position;
    }
    QImage filmPicture(KestLibrary::FilmId film) {
        KestDc dc;
        kest().Library().GetFilmProp(film, FilmProp::PictureSurface, dc);
        const QImage* surface = kest().Library().Surface(dc);
        return surface != nullptr ? *surface : QImage();
    }
    QRgb screenPixel(int x, int y) { return kest().Library().PresentedFrame().pixel(x, y); }
    QString slotText(int slot) {
        return slotScreen() != nullptr ? slotScreen()->SlotText(slot) : QStringLiteral("?");
    }
    static QString slotFile(int page, int slot) { return clsSaveData::FormatINIPath(page, slot); }

    // The game at its first text, saved into slot `slot` of page 1 and back in the game.
    void saveFirstTextInto(int slot) {
        startGame();
        openFromGame();
        click(rectOf(QStringLiteral("save"), slot));
        ASSERT_TRUE(QFileInfo::exists(slotFile(1, slot)));
        rightClick();
        ASSERT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    }
    bool logged(const QString& part) const {
        return !events(QStringLiteral("log saveload_mode: ")).filter(part).isEmpty();
    }
};

// ---------------------------------------------------------------------------
// Layout

TEST_F(SaveLoadModeTest, GridSlotsAreNumberedDownEachColumn) {
    startGame();
    openFromGame();
    ASSERT_NE(slotScreen(), nullptr);
    ASSERT_EQ(slotScreen()->SlotCount(), 6);
    EXPECT_EQ(rectCount(QStringLiteral("slot")), 6);
    // Slot 4 is in column 1, row 1; slot 2 ends column 0, slot 3 starts column 1.
    const std::map<int, QPoint> expected{
        {4, QPoint(310, 150)}, {2, QPoint(10, 280)}, {3, QPoint(310, 20)}};
    for (const auto& [slot, at] : expected) {
        const RectPtr base = rectOf(QStringLiteral("slot"), slot);
        ASSERT_NE(base, nullptr) << slot;
        EXPECT_EQ(QPoint(base->Left, base->Top), at) << slot;
        EXPECT_EQ(base->Right - base->Left, 280);
        EXPECT_FALSE(base->IsLClickSense());
        EXPECT_TRUE(base->IsPointSense());
        const RectPtr save = rectOf(QStringLiteral("save"), slot);
        EXPECT_EQ(QPoint(save->Left, save->Top), at + QPoint(100, 80)) << slot;
        const RectPtr load = rectOf(QStringLiteral("load"), slot);
        EXPECT_EQ(QPoint(load->Left, load->Top), at + QPoint(160, 80)) << slot;
        EXPECT_EQ(filmPosition(slotScreen()->ThumbnailFilm(slot)), at + QPoint(10, 10)) << slot;
        EXPECT_EQ(filmPosition(slotScreen()->TextFilm(slot)), at + QPoint(100, 10)) << slot;
    }
}

TEST_F(SaveLoadModeTest, FreePlacementTakesEachSlotsOwnPosition) {
    setLayoutKey(QStringLiteral("Slots"), QStringLiteral("FreePlaceMode"), QStringLiteral("TRUE"));
    setLayoutKey(QStringLiteral("Slots"), QStringLiteral("SlotCount"), QStringLiteral("3"));
    setLayoutKey(QStringLiteral("Slots"), QStringLiteral("Slot00"), QStringLiteral("5, 6"));
    setLayoutKey(QStringLiteral("Slots"), QStringLiteral("Slot01"), QStringLiteral("200,7"));
    setLayoutKey(QStringLiteral("Slots"), QStringLiteral("Slot02"), QStringLiteral("330,300"));
    startGame();
    openFromGame();
    ASSERT_EQ(slotScreen()->SlotCount(), 3);
    EXPECT_EQ(rectCount(QStringLiteral("save")), 3);
    const QPoint expected[] = {QPoint(5, 6), QPoint(200, 7), QPoint(330, 300)};
    for (int slot = 0; slot < 3; ++slot) {
        const RectPtr base = rectOf(QStringLiteral("slot"), slot);
        EXPECT_EQ(QPoint(base->Left, base->Top), expected[slot]) << slot;
        EXPECT_EQ(filmPosition(slotScreen()->TextFilm(slot)), expected[slot] + QPoint(100, 10));
    }
}

TEST_F(SaveLoadModeTest, OpenedFromTheGameTheOverlayIsBlendedOverTheGameScreen) {
    startGame();
    pumpFor(100);
    const QImage before = kest().Library().PresentedFrame().copy();
    openFromGame();
    EXPECT_TRUE(enabledMenus().isEmpty()) << enabledMenus().toStdString();
    EXPECT_TRUE(slotScreen()->SaveAllowed());
    EXPECT_TRUE(kest().BGName().isEmpty());
    // The background film holds the game screen as it stood, up to the 8 x 8 wait
    // cursor, which freezing the screen hides.
    const int differing =
        DifferingPixels(filmPicture(kest().FIDBack()).convertToFormat(QImage::Format_RGB32),
                        before.convertToFormat(QImage::Format_RGB32));
    EXPECT_GE(differing, 0);
    EXPECT_LE(differing, 8 * 8);
    // Below the slots, the overlay is laid over it at 128 of 256.
    const QRgb under = before.pixel(300, 470);
    const QRgb blended =
        qRgb((qRed(under) + kOverlayColour.red()) / 2, (qGreen(under) + kOverlayColour.green()) / 2,
             (qBlue(under) + kOverlayColour.blue()) / 2);
    EXPECT_TRUE(NearColor(screenPixel(300, 470), blended, 3));
}

TEST_F(SaveLoadModeTest, OpenedFromTheTitleTheBackgroundIsCentred) {
    openFromTitle();
    ASSERT_NE(slotScreen(), nullptr);
    EXPECT_FALSE(slotScreen()->SaveAllowed());
    EXPECT_EQ(kest().BGName(), QStringLiteral("sl_title"));
    EXPECT_EQ(filmPosition(kest().FIDBack()), QPoint(160, 120));
    // Between the two slot columns.
    EXPECT_TRUE(NearColor(screenPixel(300, 200), kTitleColour.rgb(), 2));
}

TEST_F(SaveLoadModeTest, SlotTextTakesTheDocumentsFontColourAndSizes) {
    openFromTitle();
    const KestLibrary::FilmId text = slotScreen()->TextFilm(0);
    QString font;
    kest().Library().GetFilmProp(text, FilmProp::TextFont, font);
    EXPECT_EQ(font, QStringLiteral("ＭＳ 明朝"));
    EXPECT_EQ(filmInt(text, FilmProp::TextColor), 0xFFCC00);
    EXPECT_EQ(filmInt(text, FilmProp::TextSize), 14);
    EXPECT_EQ(filmInt(text, FilmProp::TextWidth), 14);
    EXPECT_EQ(filmInt(text, FilmProp::TextLineHeight), 18);
    EXPECT_EQ(filmInt(text, FilmProp::TextLength), 0);
}

// Script coordinates twice as fine as the screen across and half as fine down.
class SaveLoadScaledTextTest : public SaveLoadModeTest {
protected:
    QString GameKeys() const override {
        return SaveLoadModeTest::GameKeys() +
               QStringLiteral("ScriptScaleX=1280\r\nScriptScaleY=240\r\n");
    }
};

TEST_F(SaveLoadScaledTextTest, TextSizesAreScaledFromScriptCoordinates) {
    setLayoutKey(QStringLiteral("SlotBase"), QStringLiteral("TextSize"), QStringLiteral("29"));
    openFromTitle();
    const KestLibrary::FilmId text = slotScreen()->TextFilm(0);
    EXPECT_EQ(filmInt(text, FilmProp::TextSize), 14);  // 29 * 640 / 1280, truncated
    EXPECT_EQ(filmInt(text, FilmProp::TextWidth), 7);
    EXPECT_EQ(filmInt(text, FilmProp::TextLineHeight), 36);
}

// ---------------------------------------------------------------------------
// Pages

TEST_F(SaveLoadModeTest, TheStoredPageIsShownAndAPageOutsideTheRangeShowsPageOne) {
    const std::pair<int, int> cases[] = {{0, 1}, {4, 1}, {-2, 1}, {2, 2}, {3, 3}};
    for (const auto& [stored, shown] : cases) {
        varo().Cfg().SetLongVal(QStringLiteral("LastSaveLoadPage"), stored);
        openFromTitle();
        ASSERT_NE(slotScreen(), nullptr);
        EXPECT_EQ(slotScreen()->CurrentPage(), shown) << stored;
        for (int page = 1; page <= 3; ++page) {
            const RectPtr button = rectOf(QStringLiteral("page"), page);
            EXPECT_EQ(button->Enabled, page != shown) << stored << " " << page;
            EXPECT_EQ(row(button), page == shown ? 2 : 0) << stored << " " << page;
        }
        rightClick();
        EXPECT_EQ(varo().Cfg().LongVal(QStringLiteral("LastSaveLoadPage")), shown);
    }
}

TEST_F(SaveLoadModeTest, APageButtonShowsItsPageAndThePageIsKeptForTheNextVisit) {
    saveFirstTextInto(0);
    openFromGame();
    EXPECT_FALSE(slotText(0).isEmpty());
    const int clicks = effectsPlayed(QStringLiteral("sl_click"));
    click(rectOf(QStringLiteral("page"), 2));
    EXPECT_EQ(slotScreen()->CurrentPage(), 2);
    EXPECT_EQ(effectsPlayed(QStringLiteral("sl_click")), clicks + 1);
    EXPECT_TRUE(slotText(0).isEmpty());
    EXPECT_FALSE(rectOf(QStringLiteral("load"), 0)->Enabled);
    EXPECT_FALSE(rectOf(QStringLiteral("page"), 2)->Enabled);
    EXPECT_TRUE(rectOf(QStringLiteral("page"), 1)->Enabled);
    EXPECT_EQ(row(rectOf(QStringLiteral("page"), 1)), 0);

    click(rectOf(QStringLiteral("save"), 5));
    EXPECT_TRUE(QFileInfo::exists(slotFile(2, 5)));
    click(rectOf(QStringLiteral("ret")));
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
    openFromGame();
    EXPECT_EQ(slotScreen()->CurrentPage(), 2);
    EXPECT_FALSE(slotText(5).isEmpty());
}

// ---------------------------------------------------------------------------
// Slots from the game

TEST_F(SaveLoadModeTest, SavingFillsTheSlotWithItsTextAndThumbnail) {
    startGame();
    openFromGame();
    EXPECT_TRUE(slotText(1).isEmpty());
    EXPECT_EQ(filmInt(slotScreen()->ThumbnailFilm(1), FilmProp::Opacity), 0);
    EXPECT_EQ(row(rectOf(QStringLiteral("load"), 1)), 3);

    click(rectOf(QStringLiteral("save"), 1));
    EXPECT_EQ(messages(), QStringList{kSaveQuestion});
    EXPECT_TRUE(QFileInfo::exists(clsSaveData::FormatBMPPath(1, 1)));
    const INISection& status = varo().SD().VaroStatus();
    EXPECT_EQ(slotText(1), status.KeyValue(QStringLiteral("DateString")) + "\n" +
                               status.KeyValue(QStringLiteral("TimeString")) + "\n" +
                               kLongSite.left(14));
    // Shown at once: every character but the two line feeds.
    EXPECT_EQ(filmInt(slotScreen()->TextFilm(1), FilmProp::TextShown), slotText(1).size() - 2);
    EXPECT_EQ(filmInt(slotScreen()->ThumbnailFilm(1), FilmProp::Opacity), 256);
    EXPECT_EQ(DifferingPixels(filmPicture(slotScreen()->ThumbnailFilm(1))
                                  .copy(0, 0, 80, 60)
                                  .convertToFormat(QImage::Format_RGB32),
                              varo().Preview().convertToFormat(QImage::Format_RGB32)),
              0);
    const RectPtr load = rectOf(QStringLiteral("load"), 1);
    EXPECT_TRUE(load->Enabled);
    EXPECT_EQ(row(load), 0);
    EXPECT_EQ(row(rectOf(QStringLiteral("save"), 1)), 0);
    EXPECT_TRUE(slotText(0).isEmpty());
}

TEST_F(SaveLoadModeTest, ASiteNameLongerThanFourteenCharactersIsCut) {
    ASSERT_GT(kLongSite.size(), 14);
    saveFirstTextInto(0);
    click();  // the second text names a short place
    openFromGame();
    click(rectOf(QStringLiteral("save"), 1));
    EXPECT_EQ(slotText(0).split(u'\n').value(2), kLongSite.left(14));
    EXPECT_EQ(slotText(1).split(u'\n').value(2), QStringLiteral("公園"));
}

TEST_F(SaveLoadModeTest, AnsweringNoToTheQuestionDoesNotSave) {
    startGame();
    openFromGame();
    answer("no");
    const RectPtr save = rectOf(QStringLiteral("save"), 2);
    click(save);
    EXPECT_EQ(messages(), QStringList{kSaveQuestion});
    EXPECT_FALSE(QFileInfo::exists(slotFile(1, 2)));
    EXPECT_TRUE(slotText(2).isEmpty());
    EXPECT_EQ(row(save), 0);
}

TEST_F(SaveLoadModeTest, WithoutTheQuestionSettingSavingAsksNothing) {
    varo().Cfg().SetBoolVal(QStringLiteral("QuerySave"), false);
    startGame();
    openFromGame();
    click(rectOf(QStringLiteral("save"), 0));
    EXPECT_TRUE(messages().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(slotFile(1, 0)));
}

TEST_F(SaveLoadModeTest, PointingAtASlotPartLightsItUpAndTheOthersGoBack) {
    startGame();
    openFromGame();
    const RectPtr save = rectOf(QStringLiteral("save"), 2);
    const RectPtr base = rectOf(QStringLiteral("slot"), 3);
    pointAt(save);
    EXPECT_EQ(row(save), 1);
    EXPECT_EQ(effectsPlayed(QStringLiteral("sl_point")), 1);
    pointAt(base);
    EXPECT_EQ(row(base), 1);
    EXPECT_EQ(row(save), 0);
    pointAt(nullptr);
    EXPECT_EQ(row(base), 0);
    EXPECT_EQ(effectsPlayed(QStringLiteral("sl_point")), 2);
    // An empty slot's load button keeps its disabled row.
    EXPECT_EQ(row(rectOf(QStringLiteral("load"), 3)), 3);
}

TEST_F(SaveLoadModeTest, ReturningRebuildsTheGameAsItWas) {
    startGame();
    click();
    const QString text = kest().CurrentText();
    openFromGame();
    EXPECT_NE(kest().BaseFilmSet(), clsKestDriver::kFilmSetWindow);
    click(rectOf(QStringLiteral("ret")));
    ASSERT_NE(game(), nullptr);
    EXPECT_EQ(kest().BaseFilmSet(), clsKestDriver::kFilmSetWindow);
    EXPECT_EQ(kest().CurrentText(), text);
    EXPECT_EQ(enabledMenus(), kAllGameMenus);
    EXPECT_EQ(rectCount(QStringLiteral("save")), 0);
    EXPECT_EQ(events(QStringLiteral("mode ")).last(), QStringLiteral("mode 2 7"));
    EXPECT_EQ(effectsPlayed(QStringLiteral("sl_click")), 1);
    click();
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("三つめの文です。"));
}

TEST_F(SaveLoadModeTest, LoadingReturnsToTheGameAtTheSavedPlace) {
    saveFirstTextInto(0);
    click();
    ASSERT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
    openFromGame();
    click(rectOf(QStringLiteral("load"), 0));
    EXPECT_EQ(messages(), (QStringList{kSaveQuestion, kLoadQuestion}));
    ASSERT_NE(game(), nullptr);
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("一つめの文です。"));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("1"));
    EXPECT_EQ(view().SiteName(), kLongSite);
    EXPECT_EQ(enabledMenus(), kAllGameMenus);
    click();
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("二つめの文です。"));
}

// ---------------------------------------------------------------------------
// Slots from the title

TEST_F(SaveLoadModeTest, FromTheTitleNothingCanBeSavedAndARightClickReturnsToTheTitle) {
    saveFirstTextInto(0);
    varo().ChangeMode(clsVaro::kModeTitle, 1);
    openFromTitle();
    for (int slot = 0; slot < 6; ++slot) {
        const RectPtr save = rectOf(QStringLiteral("save"), slot);
        EXPECT_FALSE(save->Enabled) << slot;
        EXPECT_EQ(row(save), 3) << slot;
    }
    EXPECT_FALSE(slotText(0).isEmpty());
    EXPECT_TRUE(rectOf(QStringLiteral("load"), 0)->Enabled);
    pointAt(rectOf(QStringLiteral("slot"), 0));
    EXPECT_EQ(row(rectOf(QStringLiteral("save"), 0)), 3);

    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeTitle);
    EXPECT_EQ(events(QStringLiteral("mode ")).last(), QStringLiteral("mode 1 3"));
    EXPECT_EQ(rectCount(QStringLiteral("slot")), 0);
}

TEST_F(SaveLoadModeTest, FromTheTitleALoadStartsTheGameAtTheSavedPlace) {
    saveFirstTextInto(0);
    varo().ChangeMode(clsVaro::kModeTitle, 1);
    openFromTitle();
    click(rectOf(QStringLiteral("load"), 0));
    ASSERT_NE(game(), nullptr);
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("一つめの文です。"));
    click();
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
}

// ---------------------------------------------------------------------------
// Failures

TEST_F(SaveLoadModeTest, AFailedSaveSaysSoAndShowsTheSlotAsItIsOnDisk) {
    // A folder where the slot's file would go: the preview is written, the slot is not.
    ASSERT_TRUE(QDir().mkpath(slotFile(1, 4)));
    startGame();
    openFromGame();
    click(rectOf(QStringLiteral("save"), 4));
    EXPECT_EQ(messages(), (QStringList{kSaveQuestion, kSaveFailed}));
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeSaveLoad);
    EXPECT_TRUE(slotText(4).isEmpty());
    EXPECT_FALSE(rectOf(QStringLiteral("load"), 4)->Enabled);
    EXPECT_EQ(filmInt(slotScreen()->ThumbnailFilm(4), FilmProp::Opacity), 0);
    rightClick();
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("一つめの文です。"));
}

TEST_F(SaveLoadModeTest, AFailedLoadLeavesTheGameInProgressAsItWas) {
    saveFirstTextInto(0);
    click();
    openFromGame();
    const QString savedState = varo().SD().Document().Text();
    ASSERT_TRUE(rectOf(QStringLiteral("load"), 0)->Enabled);
    // The slot goes while the screen shows it.
    ASSERT_TRUE(QFile::remove(slotFile(1, 0)));
    const int modeChanges = static_cast<int>(events(QStringLiteral("mode ")).size());
    click(rectOf(QStringLiteral("load"), 0));
    EXPECT_EQ(messages().mid(1), (QStringList{kLoadQuestion, kLoadFailed}));
    ASSERT_EQ(varo().VaroMode(), clsVaro::kModeSaveLoad);
    EXPECT_EQ(events(QStringLiteral("mode ")).size(), modeChanges);
    EXPECT_EQ(varo().SD().Document().Text(), savedState);
    EXPECT_TRUE(slotText(0).isEmpty());
    EXPECT_FALSE(rectOf(QStringLiteral("load"), 0)->Enabled);
    rightClick();
    EXPECT_EQ(kest().CurrentText(), QStringLiteral("二つめの文です。"));
    EXPECT_EQ(var(QStringLiteral("r")), QStringLiteral("2"));
}

TEST_F(SaveLoadModeTest, WithoutPagesPageOneIsShownAndWorks) {
    saveFirstTextInto(0);
    setLayoutKey(QStringLiteral("Button"), QStringLiteral("PageNoCount"), QStringLiteral("0"));
    varo().Cfg().SetLongVal(QStringLiteral("LastSaveLoadPage"), 2);
    openFromGame();
    ASSERT_NE(slotScreen(), nullptr);
    EXPECT_EQ(slotScreen()->CurrentPage(), 1);
    EXPECT_EQ(rectCount(QStringLiteral("page")), 0);
    EXPECT_FALSE(slotText(0).isEmpty());
    click(rectOf(QStringLiteral("save"), 1));
    EXPECT_TRUE(QFileInfo::exists(slotFile(1, 1)));
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
}

TEST_F(SaveLoadModeTest, MissingButtonsAreLeftOutAndTheRestWorks) {
    setLayoutKey(QStringLiteral("Button"), QStringLiteral("PageNo01"), QString());
    setLayoutKey(QStringLiteral("Button"), QStringLiteral("Return"), QString());
    setLayoutKey(QStringLiteral("SlotBase"), QStringLiteral("Load"), QString());
    saveFirstTextInto(0);
    setLayoutKey(QStringLiteral("SlotBase"), QStringLiteral("Save"), QString());
    openFromGame();
    ASSERT_NE(slotScreen(), nullptr);
    EXPECT_EQ(rectCount(QStringLiteral("page")), 2);
    EXPECT_EQ(rectOf(QStringLiteral("page"), 2), nullptr);
    EXPECT_EQ(rectCount(QStringLiteral("ret")), 0);
    EXPECT_EQ(rectCount(QStringLiteral("save")) + rectCount(QStringLiteral("load")), 0);
    EXPECT_FALSE(slotText(0).isEmpty());
    EXPECT_TRUE(logged(QStringLiteral("[Button] PageNo01 is missing")));
    EXPECT_EQ(events(QStringLiteral("log saveload_mode: [SlotBase] Save is missing")).size(), 1);

    click(rectOf(QStringLiteral("page"), 3));
    EXPECT_EQ(slotScreen()->CurrentPage(), 3);
    pointAt(rectOf(QStringLiteral("slot"), 1));
    EXPECT_EQ(row(rectOf(QStringLiteral("slot"), 1)), 1);
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);
}

TEST_F(SaveLoadModeTest, AMissingDocumentOrAnUnknownSubModeIsReported) {
    startGame();
    ASSERT_TRUE(QFile::remove(dir.file(QStringLiteral("saveload_mode.ini"))));
    openFromGame();
    EXPECT_EQ(
        messages(),
        QStringList{QStringLiteral("セーブ・ロードモード初期化ファイルがロードできません。")});
    EXPECT_EQ(rectCount(QStringLiteral("slot")), 0);
    rightClick();
    EXPECT_EQ(varo().VaroMode(), clsVaro::kModeGame);

    dir.write(QStringLiteral("saveload_mode.ini"), Cp932Codec::encode(kLayout));
    varo().ChangeMode(clsVaro::kModeSaveLoad, 5);
    EXPECT_EQ(messages().last(), QStringLiteral("不正なモード開始引数です。"));
    ASSERT_NE(slotScreen(), nullptr);
    EXPECT_FALSE(slotScreen()->SaveAllowed());
}

TEST_F(SaveLoadModeTest, APictureLeftByAnotherSaveIsNotShownAsTheSlotsThumbnail) {
    startGame();
    openFromGame();
    click(rectOf(QStringLiteral("save"), 1));
    ASSERT_EQ(filmInt(slotScreen()->ThumbnailFilm(1), FilmProp::Opacity), 256);
    // A later save wrote its picture and was cut short before its document.
    QImage other(80, 60, QImage::Format_RGB32);
    other.fill(Qt::magenta);
    ASSERT_TRUE(other.save(clsSaveData::FormatBMPPath(1, 1), "BMP"));
    click(rectOf(QStringLiteral("ret")));
    openFromGame();
    EXPECT_FALSE(slotText(1).isEmpty());
    EXPECT_EQ(filmInt(slotScreen()->ThumbnailFilm(1), FilmProp::Opacity), 0);
}
