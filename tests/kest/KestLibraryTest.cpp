#include "platform/kest/KestLibrary.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QPainter>

#include "KestScene.h"
#include "platform/quarn/QuarnDecoder.h"

namespace {

using FilmKind = KestLibrary::FilmKind;
using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

KestDc dcOf(KestLibrary& kest, KestLibrary::FilmId film, FilmProp prop) {
    KestDc dc;
    kest.GetFilmProp(film, prop, dc);
    return dc;
}

// Loads a decoded picture as the driver does: colours into the surface, the
// alpha channel into the mask.
void loadWithAlpha(KestScene& scene, KestLibrary::FilmId film, const QImage& picture) {
    scene.drawInto(film, QuarnDecoder::colours(picture));
    const QImage alpha = QuarnDecoder::alphaMask(picture);
    ASSERT_FALSE(alpha.isNull());
    ASSERT_TRUE(scene.kest.BitBltMask(dcOf(scene.kest, film, FilmProp::MaskSurface), 0, 0,
                                      alpha.width(), alpha.height(), alpha, 0, 0));
    scene.kest.CallFilmMethod(film, FilmMethod::PictureWritten);
    scene.kest.ExeQueue();
}

}  // namespace

TEST(KestLibrary, RootFrameIsBlackPremultipliedAtTheRootSize) {
    KestScene scene;
    const QImage& frame = scene.kest.PresentedFrame();
    EXPECT_EQ(frame.size(), QSize(64, 48));
    EXPECT_EQ(frame.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(scene.pixel(10, 10), kBlack);
    KestDc dc;
    ASSERT_TRUE(scene.kest.GetFilmProp(scene.root, FilmProp::PictureSurface, dc));
    EXPECT_EQ(scene.kest.Surface(dc)->size(), QSize(64, 48));
}

TEST(KestLibrary, CommandsWaitInTheQueueUntilApplied) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    EXPECT_EQ(scene.pixel(4, 4), kRed);
    const quint64 shown = scene.kest.PresentedCount();

    scene.kest.SetFilmProp(film, FilmProp::X, 32);
    EXPECT_EQ(scene.kest.PendingCommands(), 1);
    EXPECT_EQ(scene.kest.PresentedCount(), shown);
    EXPECT_EQ(scene.kest.PresentedFrame().pixel(4, 4), kRed);

    scene.kest.ExeQueue();
    EXPECT_EQ(scene.kest.PendingCommands(), 0);
    EXPECT_EQ(scene.pixel(4, 4), kBlack);
    EXPECT_EQ(scene.pixel(36, 4), kRed);
}

TEST(KestLibrary, ReadsSeeTheQueuedValues) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    scene.kest.SetFilmProp(film, FilmProp::Position, QPoint(7, 9));
    scene.kest.SetFilmProp(film, FilmProp::X, 11);
    QPoint position;
    ASSERT_TRUE(scene.kest.GetFilmProp(film, FilmProp::Position, position));
    EXPECT_EQ(position, QPoint(11, 9));
    qint32 parent = 0;
    ASSERT_TRUE(scene.kest.GetFilmProp(film, FilmProp::Parent, parent));
    EXPECT_EQ(parent, scene.root);
}

TEST(KestLibrary, AStillScreenComposesNothing) {
    KestScene scene;
    const auto cursor = scene.addPicture(scene.root, QRect(0, 0, 8, 8), Qt::red);
    scene.kest.WaitBlt();
    const quint64 shown = scene.kest.PresentedCount();
    scene.kest.WaitBlt();
    EXPECT_FALSE(scene.kest.Redraw());
    EXPECT_EQ(scene.kest.PresentedCount(), shown);
    EXPECT_FALSE(scene.kest.NextWake().has_value());

    // A film moved out of the screen (as a hidden cursor is) changes nothing visible.
    scene.kest.SetFilmProp(cursor, FilmProp::X, 5000);
    scene.kest.WaitBlt();
    const quint64 hidden = scene.kest.PresentedCount();
    EXPECT_EQ(hidden, shown + 1);
    scene.kest.CallFilmMethod(cursor, FilmMethod::NextCellColumn);
    scene.kest.WaitBlt();
    EXPECT_EQ(scene.kest.PresentedCount(), hidden);
}

TEST(KestLibrary, FramesFollowChangesOnTheClockAlone) {
    KestScene scene;
    int presented = 0;
    scene.kest.SetFramePresented([&] { ++presented; });
    scene.addPicture(scene.root, QRect(0, 0, 8, 8), Qt::red);
    ASSERT_TRUE(scene.kest.NextWake().has_value());
    ASSERT_TRUE(scene.clock.advanceToNext());
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(scene.kest.PresentedFrame().pixel(2, 2), kRed);
    EXPECT_FALSE(scene.clock.nextDue().has_value());

    scene.kest.SetAutoFrames(false);
    scene.kest.SetFilmProp(scene.root, FilmProp::Opacity, 256);
    scene.kest.ExeQueue();
    EXPECT_FALSE(scene.clock.nextDue().has_value());
}

TEST(KestLibrary, StacksDirectlyAboveAndBeneath) {
    KestScene scene;
    const auto red = scene.addPicture(scene.root, QRect(0, 0, 36, 36), Qt::red);
    const auto green = scene.addPicture(scene.root, QRect(14, 6, 36, 36), Qt::green);
    const auto blue = scene.addPicture(scene.root, QRect(28, 12, 36, 36), Qt::blue);
    // Points covered by all three, by red and green, by green and blue.
    const QPoint all(30, 20), redGreen(20, 10), greenBlue(40, 38);
    EXPECT_EQ(scene.pixel(all.x(), all.y()), kBlue);
    EXPECT_EQ(scene.pixel(redGreen.x(), redGreen.y()), kGreen);

    scene.kest.SetFilmProp(green, FilmProp::Above, blue);  // red, blue, green
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(all.x(), all.y()), kGreen);
    EXPECT_EQ(scene.pixel(greenBlue.x(), greenBlue.y()), kGreen);

    scene.kest.SetFilmProp(red, FilmProp::Above, green);     // blue, green, red
    scene.kest.SetFilmProp(green, FilmProp::Beneath, blue);  // green, blue, red
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(all.x(), all.y()), kRed);
    EXPECT_EQ(scene.pixel(redGreen.x(), redGreen.y()), kRed);
    EXPECT_EQ(scene.pixel(greenBlue.x(), greenBlue.y()), kBlue);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "stacking"));
}

TEST(KestLibrary, OpacityBlendsOverWhatLiesBelow) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::white);
    const auto red = scene.addPicture(scene.root, QRect(0, 0, 32, 48), Qt::red);
    const auto blue = scene.addPicture(scene.root, QRect(32, 0, 32, 48), Qt::blue);
    scene.kest.SetFilmProp(red, FilmProp::Opacity, 64);
    scene.kest.SetFilmProp(blue, FilmProp::Opacity, 192);
    scene.kest.ExeQueue();
    // A quarter of red over white, three quarters of blue over white.
    EXPECT_TRUE(NearColor(scene.pixel(10, 10), qRgb(255, 191, 191)));
    EXPECT_TRUE(NearColor(scene.pixel(50, 10), qRgb(64, 64, 255)));
    EXPECT_TRUE(MatchesGolden(scene.frame(), "opacity"));

    scene.kest.SetFilmProp(blue, FilmProp::Opacity, 0);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(50, 10), kWhite);
}

TEST(KestLibrary, MaskFromThePngAlphaChannelMultipliesWithOpacity) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::white);
    QImage picture(16, 16, QImage::Format_ARGB32);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            picture.setPixel(x, y, qRgba(255, 0, 0, x < 8 ? 255 : 128));
        }
    }
    const QImage decoded = QuarnDecoder::decode(encode(picture, "PNG"));
    ASSERT_FALSE(decoded.isNull());
    const auto full = scene.addFilm(FilmKind::Picture, scene.root, QRect(8, 8, 16, 16));
    loadWithAlpha(scene, full, decoded);
    const auto half = scene.addFilm(FilmKind::Picture, scene.root, QRect(32, 8, 16, 16));
    loadWithAlpha(scene, half, decoded);
    scene.kest.SetFilmProp(half, FilmProp::Opacity, 128);
    scene.kest.ExeQueue();

    EXPECT_EQ(scene.pixel(10, 10), kRed);
    EXPECT_TRUE(NearColor(scene.pixel(20, 10), qRgb(255, 127, 127)));
    EXPECT_TRUE(NearColor(scene.pixel(34, 10), qRgb(255, 127, 127)));
    EXPECT_TRUE(NearColor(scene.pixel(44, 10), qRgb(255, 191, 191)));
    EXPECT_EQ(scene.pixel(4, 4), kWhite);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "mask_png_alpha", 1));
}

TEST(KestLibrary, MaskFromASeparateGreyPicture) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::white);
    const auto film = scene.addPicture(scene.root, QRect(8, 8, 16, 16), Qt::green);
    QImage maskPicture(16, 16, QImage::Format_RGB32);
    maskPicture.fill(Qt::white);
    QPainter painter(&maskPicture);
    painter.fillRect(0, 8, 16, 4, QColor(128, 128, 128));
    painter.fillRect(0, 12, 16, 4, Qt::black);
    painter.end();
    const QImage decoded = QuarnDecoder::decode(encode(maskPicture, "BMP"));
    ASSERT_TRUE(scene.kest.BitBltMask(dcOf(scene.kest, film, FilmProp::MaskSurface), 0, 0, 16, 16,
                                      decoded, 0, 0));
    scene.kest.CallFilmMethod(film, FilmMethod::PictureWritten);
    scene.kest.ExeQueue();

    EXPECT_EQ(scene.pixel(12, 10), kGreen);
    EXPECT_TRUE(NearColor(scene.pixel(12, 17), qRgb(127, 255, 127)));
    EXPECT_EQ(scene.pixel(12, 22), kWhite);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "mask_separate", 1));
}

TEST(KestLibrary, MaskOfAnotherSizeIsClippedAndTheRestStaysOpaque) {
    KestScene scene;
    const auto small = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    QImage black(8, 8, QImage::Format_Grayscale8);
    black.fill(0);
    ASSERT_TRUE(scene.kest.BitBltMask(dcOf(scene.kest, small, FilmProp::MaskSurface), 0, 0, 8, 8,
                                      black, 0, 0));
    const auto large = scene.addPicture(scene.root, QRect(32, 0, 16, 16), Qt::red);
    QImage huge(40, 40, QImage::Format_Grayscale8);
    huge.fill(0);
    ASSERT_TRUE(scene.kest.BitBltMask(dcOf(scene.kest, large, FilmProp::MaskSurface), 0, 0, 40, 40,
                                      huge, 0, 0));
    scene.kest.CallFilmMethod(small, FilmMethod::PictureWritten);
    scene.kest.CallFilmMethod(large, FilmMethod::PictureWritten);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(2, 2), kBlack);
    EXPECT_EQ(scene.pixel(12, 12), kRed);
    EXPECT_EQ(scene.pixel(40, 8), kBlack);
    QImage* mask = scene.kest.Surface(dcOf(scene.kest, large, FilmProp::MaskSurface));
    EXPECT_EQ(mask->size(), QSize(16, 16));
}

TEST(KestLibrary, FillMaskSetsAConstantOpacity) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::white);
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::blue);
    scene.kest.CallFilmMethod(film, FilmMethod::FillMask, 0);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kWhite);
    scene.kest.CallFilmMethod(film, FilmMethod::FillMask, 255);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kBlue);
}

TEST(KestLibrary, CellsFlipAndWrapAndNaturalSizeShowsTheWholePicture) {
    KestScene scene;
    QImage sheet(32, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, 16, 16, Qt::red);
    painter.fillRect(16, 0, 16, 16, Qt::green);
    painter.fillRect(0, 16, 16, 16, Qt::blue);
    painter.fillRect(16, 16, 16, 16, Qt::yellow);
    painter.end();
    const auto film = scene.addFilm(FilmKind::Picture, scene.root, QRect(0, 0, 32, 32));
    scene.drawInto(film, sheet);
    scene.kest.SetFilmProp(film, FilmProp::CellWidth, 16);
    scene.kest.SetFilmProp(film, FilmProp::CellHeight, 16);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kRed);
    EXPECT_EQ(scene.pixel(20, 4), kBlack);  // only one cell shows

    scene.kest.SetFilmProp(film, FilmProp::CellColumn, 1);
    scene.kest.SetFilmProp(film, FilmProp::CellRow, 1);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), qRgb(255, 255, 0));
    scene.kest.CallFilmMethod(film, FilmMethod::NextCellColumn);  // wraps to column 0
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kBlue);
    scene.kest.CallFilmMethod(film, FilmMethod::NextCellRow);  // wraps to row 0
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kRed);

    const auto whole = scene.addFilm(FilmKind::Picture, scene.root, QRect(32, 0, 32, 32));
    scene.drawInto(whole, sheet);
    scene.kest.SetFilmProp(whole, FilmProp::Size, QSize(8, 8));
    scene.kest.SetFilmProp(whole, FilmProp::CellColumn, 2);
    scene.kest.CallFilmMethod(whole, FilmMethod::NaturalSize);
    scene.kest.SetFilmProp(film, FilmProp::CellColumn, 1);
    scene.kest.SetFilmProp(film, FilmProp::CellRow, 1);
    scene.kest.ExeQueue();
    QSize size;
    scene.kest.GetFilmProp(whole, FilmProp::Size, size);
    EXPECT_EQ(size, QSize(32, 32));
    EXPECT_EQ(scene.pixel(36, 4), kRed);
    EXPECT_EQ(scene.pixel(60, 28), qRgb(255, 255, 0));
    EXPECT_TRUE(MatchesGolden(scene.frame(), "cells"));
}

TEST(KestLibrary, GroupFilmComposesItsChildrenBeforeItsOpacity) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::white);
    const auto group = scene.addFilm(FilmKind::Group, scene.root, QRect(8, 8, 32, 24));
    scene.addPicture(group, QRect(0, 0, 24, 24), Qt::red);
    scene.addPicture(group, QRect(12, 4, 24, 16), Qt::green);
    scene.kest.SetFilmProp(group, FilmProp::Opacity, 128);
    scene.kest.ExeQueue();
    EXPECT_TRUE(NearColor(scene.pixel(10, 10), qRgb(255, 127, 127)));
    // Where the children overlap only the top one shows, at half opacity.
    EXPECT_TRUE(NearColor(scene.pixel(24, 16), qRgb(127, 255, 127)));
    // The green child reaches past the group's right edge: clipped.
    EXPECT_EQ(scene.pixel(42, 16), kWhite);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "group", 1));

    scene.kest.SetFilmProp(group, FilmProp::Opacity, 256);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(24, 16), kGreen);
    EXPECT_EQ(scene.pixel(42, 16), kWhite);
}

TEST(KestLibrary, TintMultipliesThePictureByTheBlendColour) {
    KestScene scene;
    const auto white = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::white);
    const auto grey = scene.addPicture(scene.root, QRect(16, 0, 16, 16), QColor(128, 128, 128));
    const auto dim = scene.addPicture(scene.root, QRect(32, 0, 16, 16), Qt::white);
    scene.kest.CallFilmMethod(white, FilmMethod::Tint, 0x0000FF);  // screen order: red
    scene.kest.CallFilmMethod(grey, FilmMethod::Tint, 0xFF0000);   // blue
    scene.kest.CallFilmMethod(dim, FilmMethod::Tint, 0x808080);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kRed);
    EXPECT_TRUE(NearColor(scene.pixel(20, 4), qRgb(0, 0, 128), 1));
    EXPECT_TRUE(NearColor(scene.pixel(36, 4), qRgb(128, 128, 128), 1));
    EXPECT_TRUE(MatchesGolden(scene.frame(), "tint", 1));

    // Loading a new picture brings back its own colours.
    scene.drawInto(white, [] {
        QImage fresh(16, 16, QImage::Format_ARGB32_Premultiplied);
        fresh.fill(Qt::white);
        return fresh;
    }());
    EXPECT_EQ(scene.pixel(4, 4), kWhite);
}

TEST(KestLibrary, FillPictureTakesTheScreenColourOrder) {
    KestScene scene;
    const auto film = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
    scene.kest.CallFilmMethod(film, FilmMethod::FillPicture, 0x00FF8000);  // blue 255, green 128
    scene.kest.CallFilmMethod(film, FilmMethod::PictureWritten);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(30, 30), qRgb(0, 128, 255));
}

TEST(KestLibrary, SuspendedUpdatesKeepTheFrozenFrame) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::red);
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    ASSERT_TRUE(scene.kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 0));
    scene.kest.CallFilmMethod(film, FilmMethod::FillPicture, 0x00FF0000);
    scene.kest.ExeQueue();
    const quint64 shown = scene.kest.PresentedCount();
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    EXPECT_EQ(scene.kest.PresentedCount(), shown);
    EXPECT_FALSE(scene.kest.Redraw());

    scene.kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 1);
    EXPECT_EQ(scene.pixel(5, 5), kBlue);
    EXPECT_EQ(scene.kest.PresentedCount(), shown + 1);
}

TEST(KestLibrary, CopyScreenOverlaysTheScreenAsItStood) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 32, 48), Qt::red);
    scene.addPicture(scene.root, QRect(32, 0, 32, 48), Qt::blue);
    scene.kest.WaitBlt();
    scene.kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 0);
    scene.kest.RemoveFilmChildren(scene.root);
    const auto back = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
    scene.kest.CallFilmMethod(scene.root, FilmMethod::CopyScreen, back);
    const auto overlay = scene.addPicture(scene.root, QRect(0, 0, 64, 24), Qt::white);
    scene.kest.SetFilmProp(overlay, FilmProp::Opacity, 128);
    scene.kest.ExeQueue();
    scene.kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, 1);
    EXPECT_TRUE(NearColor(scene.pixel(5, 5), qRgb(255, 128, 128)));
    EXPECT_EQ(scene.pixel(5, 40), kRed);
    EXPECT_EQ(scene.pixel(50, 40), kBlue);
}

TEST(KestLibrary, TakeScreenDrawsTheDetachedBufferAsTheScreen) {
    KestScene scene;
    const auto buff = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
    scene.addPicture(buff, QRect(0, 0, 64, 48), Qt::green);
    scene.addPicture(scene.root, QRect(0, 0, 8, 8), Qt::red);  // on the root, above the buffer
    EXPECT_EQ(scene.pixel(2, 2), kRed);

    // Release: the buffer leaves the tree and takes the root's place.
    scene.kest.SetFilmProp(buff, FilmProp::Parent, KestLibrary::kNoFilm);
    scene.kest.CallFilmMethod(buff, FilmMethod::TakeScreen, scene.root);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(2, 2), kGreen);
    EXPECT_EQ(scene.pixel(40, 40), kGreen);

    // Freeze: the root takes the screen back, the buffer goes below it again.
    scene.kest.CallFilmMethod(scene.root, FilmMethod::TakeScreen, buff);
    scene.kest.SetFilmProp(buff, FilmProp::Parent, scene.root);
    scene.kest.ExeQueue();
    EXPECT_EQ(scene.pixel(2, 2), kGreen);  // the buffer now lies above the red film
    EXPECT_EQ(scene.pixel(40, 40), kGreen);
}

TEST(KestLibrary, BltDrawsTheRootOntoItsDeviceContext) {
    KestScene scene;
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::blue);
    QImage view;
    ASSERT_TRUE(scene.kest.SetFilmProp(scene.root, FilmProp::DeviceContext, KestDc::ofImage(view)));
    ASSERT_TRUE(scene.kest.Blt(scene.root));
    ASSERT_EQ(view.size(), QSize(64, 48));
    EXPECT_EQ(view.pixel(10, 10), kBlue);
    KestDc dc;
    ASSERT_TRUE(scene.kest.GetFilmProp(scene.root, FilmProp::DeviceContext, dc));
    EXPECT_EQ(dc.image(), &view);
    EXPECT_FALSE(scene.kest.Blt(scene.root + 100));
}

TEST(KestLibrary, RemovingAFilmRemovesEverythingBelowIt) {
    KestScene scene;
    const auto group = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
    const auto child = scene.addPicture(group, QRect(0, 0, 16, 16), Qt::red);
    const auto other = scene.addPicture(scene.root, QRect(32, 0, 16, 16), Qt::blue);
    scene.kest.RemoveFilmChildren(group);
    scene.kest.ExeQueue();
    qint32 value = 0;
    EXPECT_FALSE(scene.kest.GetFilmProp(child, FilmProp::Opacity, value));
    EXPECT_EQ(scene.pixel(4, 4), kBlack);
    EXPECT_TRUE(scene.kest.GetFilmProp(group, FilmProp::Opacity, value));

    const auto grandChild = scene.addPicture(group, QRect(0, 0, 16, 16), Qt::red);
    scene.kest.RemoveFilm(group);
    scene.kest.ExeQueue();
    EXPECT_FALSE(scene.kest.GetFilmProp(grandChild, FilmProp::Opacity, value));
    EXPECT_EQ(scene.pixel(36, 4), kBlue);
    EXPECT_TRUE(scene.kest.GetFilmProp(other, FilmProp::Opacity, value));
}

TEST(KestLibrary, TinyPicturesWorkAndHugeSurfacesAreRefused) {
    KestScene scene;
    const auto dot = scene.addPicture(scene.root, QRect(5, 5, 1, 1), Qt::red);
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    EXPECT_EQ(scene.pixel(6, 5), kBlack);

    scene.kest.SetFilmProp(dot, FilmProp::SurfaceSize, QSize(16384, 16384));
    scene.kest.ExeQueue();
    QSize size;
    scene.kest.GetFilmProp(dot, FilmProp::SurfaceSize, size);
    EXPECT_EQ(size, QSize(1, 1));
    EXPECT_TRUE(scene.logged("16384x16384"));
    EXPECT_EQ(scene.pixel(5, 5), kRed);
}

TEST(KestLibrary, DamagedPicturesNeverReachAFilm) {
    KestScene scene;
    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    QImage sample(16, 16, QImage::Format_ARGB32);
    sample.fill(Qt::white);
    const QByteArray truncated = encode(sample, "PNG").left(40);
    const QImage broken = QuarnDecoder::decode(truncated);
    EXPECT_TRUE(broken.isNull());
    EXPECT_FALSE(scene.kest.BitBltMask(dcOf(scene.kest, film, FilmProp::MaskSurface), 0, 0, 16, 16,
                                       broken, 0, 0));
    EXPECT_TRUE(scene.logged("BitBltMask"));

    // A bitmap whose header claims a huge width.
    QByteArray lying = encode(sample, "BMP");
    lying[18] = '\xff';
    lying[19] = '\xff';
    lying[20] = '\xff';
    lying[21] = '\x0f';
    const QImage odd = QuarnDecoder::decode(lying);
    if (!odd.isNull()) {
        scene.drawInto(film, odd);
    }
    EXPECT_EQ(scene.kest.PresentedFrame().size(), QSize(64, 48));
}

TEST(KestLibrary, RefusesWrongValueTypesAndBrokenTrees) {
    KestScene scene;
    const auto parent = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    const auto child = scene.addPicture(parent, QRect(0, 0, 8, 8), Qt::blue);
    EXPECT_FALSE(scene.kest.SetFilmProp(parent, FilmProp::Position, 5));
    EXPECT_FALSE(scene.kest.SetFilmProp(parent, FilmProp::TextAppend, QStringLiteral("x")));
    EXPECT_FALSE(scene.kest.SetFilmProp(parent, FilmProp::TextLength, 3));
    EXPECT_FALSE(scene.kest.SetFilmProp(parent + 1000, FilmProp::X, 3));
    EXPECT_FALSE(scene.kest.CallFilmMethod(parent, static_cast<FilmMethod>(0x11000099)));
    EXPECT_EQ(scene.kest.AddFilm(static_cast<FilmKind>(0x10070099)), KestLibrary::kNoFilm);
    EXPECT_TRUE(scene.logged("refused"));

    scene.log.clear();
    scene.kest.SetFilmProp(parent, FilmProp::Parent, child);  // would make a loop
    scene.kest.SetFilmProp(child, FilmProp::Above, child);
    scene.kest.ExeQueue();
    qint32 value = 0;
    scene.kest.GetFilmProp(parent, FilmProp::Parent, value);
    EXPECT_EQ(value, scene.root);
    scene.kest.GetFilmProp(child, FilmProp::Parent, value);
    EXPECT_EQ(value, parent);
    EXPECT_EQ(scene.log.size(), 2);
    EXPECT_EQ(scene.pixel(2, 2), kBlue);
}

TEST(KestLibrary, NothingWorksBeforeInitialisation) {
    VirtualClock clock;
    QStringList lines;
    KestLibrary kest(clock, [&](const QString& line) { lines.append(line); });
    EXPECT_EQ(kest.AddFilm(FilmKind::Root), KestLibrary::kNoFilm);
    EXPECT_EQ(kest.AddAction(), KestLibrary::kNoAction);
    EXPECT_FALSE(kest.SetKestSetting(KestLibrary::KestSetting::FrameRate, 0));
    EXPECT_FALSE(kest.Redraw());
    EXPECT_EQ(lines.size(), 3);

    kest.InitializeKest();
    const auto root = kest.AddFilm(FilmKind::Root);
    EXPECT_NE(root, KestLibrary::kNoFilm);
    kest.TerminateKest();
    qint32 value = 0;
    EXPECT_FALSE(kest.GetFilmProp(root, FilmProp::Opacity, value));
}
