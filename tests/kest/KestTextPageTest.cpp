#include "platform/kest/KestTextPage.h"

#include <gtest/gtest.h>

#include "KestScene.h"

namespace {

KestTextPage pageOf(const QString& codes, QSize area = QSize(640, 480)) {
    KestTextPage page;
    page.setArea(area);
    page.append(codes);
    return page;
}

// Share of the visible pixels in `rect` whose colour is closest to `color`.
double shareOf(const QImage& image, QRect rect, QRgb color) {
    int visible = 0;
    int matching = 0;
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) + qGreen(pixel) + qBlue(pixel) < 200) {
                continue;
            }
            ++visible;
            const bool redish = qRed(pixel) > 2 * std::max(qGreen(pixel), qBlue(pixel));
            const bool greenish = qGreen(pixel) > 2 * std::max(qRed(pixel), qBlue(pixel));
            const bool whitish = std::min({qRed(pixel), qGreen(pixel), qBlue(pixel)}) > 150;
            matching += (color == 0xFFFF0000 && redish) || (color == 0xFF00FF00 && greenish) ||
                        (color == 0xFFFFFFFF && whitish);
        }
    }
    return visible == 0 ? 0.0 : static_cast<double>(matching) / visible;
}

}  // namespace

TEST(KestTextPage, CountsCharactersButNotCodesOrLineFeeds) {
    EXPECT_EQ(pageOf(QStringLiteral("あいう\nえお")).length(), 5);
    EXPECT_EQ(pageOf(QStringLiteral("D0000FFあF020いB00000010")).length(), 2);
    EXPECT_EQ(pageOf(QStringLiteral("I+064J-00Aあ")).length(), 1);
    // Letters without their digits are characters.
    EXPECT_EQ(pageOf(QStringLiteral("Dxyzあ")).length(), 5);
    EXPECT_EQ(pageOf(QStringLiteral("I01Fあ")).length(), 5);
    EXPECT_EQ(pageOf(QStringLiteral("Dff0000")).length(), 7);  // lower-case digits
    EXPECT_EQ(pageOf(QStringLiteral("F02")).length(), 3);      // cut short at the end
    EXPECT_EQ(pageOf(QString()).length(), 0);
}

TEST(KestTextPage, LaysCharactersOutInCells) {
    KestTextPage page = pageOf(QStringLiteral("あいab\nう"));
    EXPECT_EQ(page.glyphPosition(0), QPoint(0, 0));
    EXPECT_EQ(page.glyphPosition(1), QPoint(24, 0));
    EXPECT_EQ(page.glyphPosition(2), QPoint(48, 0));
    EXPECT_EQ(page.glyphPosition(3), QPoint(60, 0));  // half-width advance
    EXPECT_EQ(page.glyphPosition(4), QPoint(0, 30));
    EXPECT_EQ(page.glyphPosition(5), QPoint(-1, -1));

    KestTextPage sized = pageOf(QStringLiteral("G010H014あい\nう"));
    EXPECT_EQ(sized.glyphPosition(1), QPoint(16, 0));
    EXPECT_EQ(sized.glyphPosition(2), QPoint(0, 20));
}

TEST(KestTextPage, PositionAndOffsetCodesMoveThePen) {
    KestTextPage page = pageOf(QStringLiteral("I+064J+00AあK-005いL+002う\nえ"));
    EXPECT_EQ(page.glyphPosition(0), QPoint(100, 10));
    EXPECT_EQ(page.glyphPosition(1), QPoint(119, 10));
    EXPECT_EQ(page.glyphPosition(2), QPoint(143, 12));
    EXPECT_EQ(page.glyphPosition(3), QPoint(0, 42));
}

TEST(KestTextPage, WrapsAtTheFilmWidth) {
    KestTextPage page = pageOf(QStringLiteral("あいう"), QSize(60, 100));
    EXPECT_EQ(page.glyphPosition(1), QPoint(24, 0));
    EXPECT_EQ(page.glyphPosition(2), QPoint(0, 30));
    page.setArea(QSize(100, 100));
    EXPECT_EQ(page.glyphPosition(2), QPoint(48, 0));
}

TEST(KestTextPage, RevealTakesTheSpeedPerCharacterAndThePauses) {
    KestTextPage page = pageOf(QStringLiteral("あB00000064いう"));
    page.setSpeed(40);
    KestActionTarget::TextProgress progress = page.reveal(39, 1000);
    EXPECT_EQ(page.shown(), 0);
    EXPECT_FALSE(progress.done);
    EXPECT_EQ(progress.nextInMs, 1);
    progress = page.reveal(40 + 139, 1000);
    EXPECT_EQ(page.shown(), 1);  // the second one costs the 100 ms pause and 40 ms
    EXPECT_EQ(progress.usedMs, 40);
    progress = page.reveal(140 + 40, 1000);
    EXPECT_EQ(page.shown(), 3);
    EXPECT_TRUE(progress.done);
    EXPECT_EQ(progress.usedMs, 180);

    // Half the time scale, half the time.
    KestTextPage fast = pageOf(QStringLiteral("あいう"));
    fast.reveal(60, 500);
    EXPECT_EQ(fast.shown(), 3);
}

TEST(KestTextPage, APauseAtTheEndIsWaitedToo) {
    KestTextPage page = pageOf(QStringLiteral("あB00000032"));
    KestActionTarget::TextProgress progress = page.reveal(40, 1000);
    EXPECT_EQ(page.shown(), 1);
    EXPECT_FALSE(progress.done);
    progress = page.reveal(50, 1000);
    EXPECT_TRUE(progress.done);
    EXPECT_TRUE(page.reveal(0, 1000).done);
}

TEST(KestTextPage, ShownCountIsClampedAndClearingEmptiesThePage) {
    KestTextPage page = pageOf(QStringLiteral("あ\nい\nう"));
    page.setShown(99);
    EXPECT_EQ(page.shown(), 3);
    EXPECT_EQ(page.lineTop(), 60);
    page.setShown(2);
    EXPECT_EQ(page.lineTop(), 30);
    page.setShown(-4);
    EXPECT_EQ(page.shown(), 0);
    EXPECT_EQ(page.lineTop(), 0);
    EXPECT_TRUE(page.picture().isNull());
    page.clear();
    EXPECT_EQ(page.length(), 0);
    EXPECT_EQ(page.lineTop(), 0);
}

TEST(KestTextPage, DrawsEachCharacterInItsColour) {
    KestTextPage page = pageOf(QStringLiteral("F018G018DFF0000■■\nD00FF00■"), QSize(64, 48));
    page.setShown(page.length());
    const QImage picture = page.picture().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(picture.size(), QSize(64, 48));
    EXPECT_GT(shareOf(picture, QRect(0, 0, 36, 24), 0xFFFF0000), 0.9);
    EXPECT_GT(shareOf(picture, QRect(0, 30, 18, 18), 0xFF00FF00), 0.9);
    EXPECT_EQ(qAlpha(picture.pixel(50, 40)), 0);  // nothing beyond the text

    // Fewer shown characters draw less.
    page.setShown(1);
    const QImage one = page.picture().convertToFormat(QImage::Format_ARGB32);
    EXPECT_GT(shareOf(one, QRect(0, 0, 18, 24), 0xFFFF0000), 0.9);
    EXPECT_EQ(shareOf(one, QRect(25, 0, 11, 24), 0xFFFF0000), 0.0);
}

// Text films through the compositor.

TEST(KestTextFilm, ShowsColouredLinesOfKanaAndKanjiOverTheScene) {
    KestScene scene(QSize(96, 64));
    const auto text = scene.kest.AddFilm(KestLibrary::FilmKind::Text);
    using FilmProp = KestLibrary::FilmProp;
    scene.kest.SetFilmProp(text, FilmProp::Parent, scene.root);
    scene.kest.SetFilmProp(text, FilmProp::Position, QPoint(4, 2));
    scene.kest.SetFilmProp(text, FilmProp::Size, QSize(88, 62));
    scene.kest.SetFilmProp(text, FilmProp::TextFont, QStringLiteral("ＭＳ ゴシック"));
    scene.kest.SetFilmProp(text, FilmProp::TextSize, 16);
    scene.kest.SetFilmProp(text, FilmProp::TextWidth, 16);
    scene.kest.SetFilmProp(text, FilmProp::TextLineHeight, 20);
    scene.kest.SetFilmProp(text, FilmProp::TextColor, 0xFFFFFF);
    scene.kest.SetFilmProp(text, FilmProp::TextAppend, QStringLiteral("■DFF0000■\n"));
    scene.kest.SetFilmProp(text, FilmProp::TextAppend, QStringLiteral("D00FF00■■\n"));
    scene.kest.SetFilmProp(text, FilmProp::TextAppend, QStringLiteral("DFFFFFFあア漢字■"));
    qint32 length = 0;
    ASSERT_TRUE(scene.kest.GetFilmProp(text, FilmProp::TextLength, length));
    EXPECT_EQ(length, 9);
    EXPECT_EQ(scene.pixel(10, 10), 0xFF000000);  // nothing shown yet
    scene.kest.SetFilmProp(text, FilmProp::TextShown, length);
    scene.kest.ExeQueue();
    const QImage frame = scene.frame();
    EXPECT_GT(shareOf(frame, QRect(4, 2, 16, 18), 0xFFFFFFFF), 0.9);
    EXPECT_GT(shareOf(frame, QRect(20, 2, 16, 18), 0xFFFF0000), 0.9);
    EXPECT_GT(shareOf(frame, QRect(4, 22, 32, 18), 0xFF00FF00), 0.9);
    EXPECT_GT(shareOf(frame, QRect(68, 42, 16, 18), 0xFFFFFFFF), 0.9);
    EXPECT_TRUE(MatchesGolden(frame, "text", 64));
    qint32 top = 0;
    ASSERT_TRUE(scene.kest.GetFilmProp(text, FilmProp::TextLineTop, top));
    EXPECT_EQ(top, 42);
    QString face;
    ASSERT_TRUE(scene.kest.GetFilmProp(text, FilmProp::TextFont, face));
    EXPECT_EQ(face, QStringLiteral("ＭＳ ゴシック"));

    scene.kest.CallFilmMethod(text, KestLibrary::FilmMethod::ClearText);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(10, 10), 0xFF000000);
}

TEST(KestTextFilm, RevealActionShowsTheTextAtItsSpeed) {
    KestScene scene;
    using FilmProp = KestLibrary::FilmProp;
    const auto text = scene.addFilm(KestLibrary::FilmKind::Text, scene.root, QRect(0, 0, 64, 48));
    scene.kest.SetFilmProp(text, FilmProp::TextSpeed, 40);
    scene.kest.SetFilmProp(text, FilmProp::TextAppend, QStringLiteral("あいうえ"));
    const auto reveal =
        scene.addAction(text, {KestLibrary::Tok::RevealText, KestLibrary::Tok::End});
    scene.kest.CallActMethod(reveal, KestLibrary::ActMethod::Start);
    scene.kest.ExeQueue();
    scene.clock.sleep(80);
    qint32 shown = 0;
    scene.kest.GetFilmProp(text, FilmProp::TextShown, shown);
    EXPECT_EQ(shown, 2);
    qint32 state = 0;
    scene.kest.GetActProp(reveal, KestLibrary::ActProp::State, state);
    EXPECT_EQ(state, static_cast<qint32>(KestLibrary::ActState::Running));

    // Finishing at once shows the whole page.
    scene.kest.CallActMethod(reveal, KestLibrary::ActMethod::Finish);
    scene.kest.GetActProp(reveal, KestLibrary::ActProp::State, state);
    EXPECT_EQ(state, static_cast<qint32>(KestLibrary::ActState::Ended));
    scene.kest.GetFilmProp(text, FilmProp::TextShown, shown);
    EXPECT_EQ(shown, 4);
}
