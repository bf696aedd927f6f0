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
using FilmId = KestLibrary::FilmId;

constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kGreen = 0xFF00FF00;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kYellow = 0xFFFFFF00;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

QByteArray encode(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

class KestLibraryTest : public ::testing::Test {
protected:
    KestDc Dc(FilmId film, FilmProp prop) {
        KestDc dc;
        kest.GetFilmProp(film, prop, dc);
        return dc;
    }
    // Copies the whole picture into the film's mask.
    bool SetMask(FilmId film, const QImage& mask) {
        return kest.BitBltMask(Dc(film, FilmProp::MaskSurface), 0, 0, mask.width(), mask.height(),
                               mask, 0, 0);
    }
    void Written(FilmId film) {
        kest.CallFilmMethod(film, FilmMethod::PictureWritten);
        kest.ExeQueue();
    }
    // Loads a decoded picture as the driver does: colours into the surface, the
    // alpha channel into the mask.
    void LoadWithAlpha(FilmId film, const QImage& picture) {
        scene.drawInto(film, QuarnDecoder::colours(picture));
        ASSERT_TRUE(SetMask(film, QuarnDecoder::alphaMask(picture)));
        Written(film);
    }
    FilmId WhiteBackground() {
        return scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::white);
    }
    qint32 IntProp(FilmId film, FilmProp prop) {
        qint32 value = -1;
        kest.GetFilmProp(film, prop, value);
        return value;
    }
    bool Exists(FilmId film) {
        qint32 value = 0;
        return kest.GetFilmProp(film, FilmProp::Opacity, value);
    }
    void SetScreenUpdates(bool on) { kest.SetKestProp(KestLibrary::KestProp::ScreenUpdates, on); }

    KestScene scene;
    KestLibrary& kest = scene.kest;
};

}  // namespace

TEST_F(KestLibraryTest, TheRootIsBlackAndCommandsWaitInTheQueueButReadsSeeThem) {
    const QImage& frame = kest.PresentedFrame();
    EXPECT_EQ(frame.size(), QSize(64, 48));
    EXPECT_EQ(frame.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(scene.pixel(10, 10), kBlack);
    EXPECT_EQ(kest.Surface(Dc(scene.root, FilmProp::PictureSurface))->size(), QSize(64, 48));

    const auto film = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    EXPECT_EQ(scene.pixel(4, 4), kRed);
    const quint64 shown = kest.PresentedCount();
    kest.SetFilmProp(film, FilmProp::Position, QPoint(7, 9));
    kest.SetFilmProp(film, FilmProp::X, 32);
    EXPECT_EQ(kest.PendingCommands(), 2);
    EXPECT_EQ(kest.PresentedCount(), shown);
    EXPECT_EQ(kest.PresentedFrame().pixel(4, 4), kRed);
    QPoint position;
    ASSERT_TRUE(kest.GetFilmProp(film, FilmProp::Position, position));
    EXPECT_EQ(position, QPoint(32, 9));
    EXPECT_EQ(IntProp(film, FilmProp::Parent), scene.root);

    kest.ExeQueue();
    EXPECT_EQ(kest.PendingCommands(), 0);
    EXPECT_EQ(scene.pixel(4, 4), kBlack);
    EXPECT_EQ(scene.pixel(36, 12), kRed);
}

TEST_F(KestLibraryTest, FramesFollowTheClockAndOnlyVisibleChanges) {
    int presented = 0;
    kest.SetFramePresented([&] { ++presented; });
    const auto cursor = scene.addPicture(scene.root, QRect(0, 0, 8, 8), Qt::red);
    ASSERT_TRUE(kest.NextWake().has_value());
    ASSERT_TRUE(scene.clock.advanceToNext());
    EXPECT_EQ(presented, 1);
    EXPECT_EQ(kest.PresentedFrame().pixel(2, 2), kRed);
    EXPECT_FALSE(scene.clock.nextDue().has_value());

    // A still screen composes nothing.
    const quint64 shown = kest.PresentedCount();
    kest.WaitBlt();
    EXPECT_FALSE(kest.Redraw());
    EXPECT_EQ(kest.PresentedCount(), shown);
    EXPECT_FALSE(kest.NextWake().has_value());
    // A film moved out of the screen (as a hidden cursor is) changes nothing visible.
    kest.SetFilmProp(cursor, FilmProp::X, 5000);
    kest.WaitBlt();
    EXPECT_EQ(kest.PresentedCount(), shown + 1);
    kest.CallFilmMethod(cursor, FilmMethod::NextCellColumn);
    kest.WaitBlt();
    EXPECT_EQ(kest.PresentedCount(), shown + 1);

    kest.SetAutoFrames(false);
    kest.SetFilmProp(scene.root, FilmProp::Opacity, 256);
    kest.ExeQueue();
    EXPECT_FALSE(scene.clock.nextDue().has_value());
}

TEST_F(KestLibraryTest, StacksDirectlyAboveAndBeneath) {
    const auto red = scene.addPicture(scene.root, QRect(0, 0, 36, 36), Qt::red);
    const auto green = scene.addPicture(scene.root, QRect(14, 6, 36, 36), Qt::green);
    const auto blue = scene.addPicture(scene.root, QRect(28, 12, 36, 36), Qt::blue);
    // Points covered by all three, by red and green, by green and blue.
    const QPoint all(30, 20), redGreen(20, 10), greenBlue(40, 38);
    EXPECT_EQ(scene.pixel(all.x(), all.y()), kBlue);
    EXPECT_EQ(scene.pixel(redGreen.x(), redGreen.y()), kGreen);

    kest.SetFilmProp(green, FilmProp::Above, blue);  // red, blue, green
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(all.x(), all.y()), kGreen);
    EXPECT_EQ(scene.pixel(greenBlue.x(), greenBlue.y()), kGreen);

    kest.SetFilmProp(red, FilmProp::Above, green);     // blue, green, red
    kest.SetFilmProp(green, FilmProp::Beneath, blue);  // green, blue, red
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(all.x(), all.y()), kRed);
    EXPECT_EQ(scene.pixel(redGreen.x(), redGreen.y()), kRed);
    EXPECT_EQ(scene.pixel(greenBlue.x(), greenBlue.y()), kBlue);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "stacking"));
}

TEST_F(KestLibraryTest, OpacityAndAFilledMaskBlendOverWhatLiesBelow) {
    WhiteBackground();
    const auto red = scene.addPicture(scene.root, QRect(0, 0, 32, 48), Qt::red);
    const auto blue = scene.addPicture(scene.root, QRect(32, 0, 32, 48), Qt::blue);
    kest.SetFilmProp(red, FilmProp::Opacity, 64);
    kest.SetFilmProp(blue, FilmProp::Opacity, 192);
    kest.ExeQueue();
    // A quarter of red over white, three quarters of blue over white.
    EXPECT_TRUE(NearColor(scene.pixel(10, 10), qRgb(255, 191, 191)));
    EXPECT_TRUE(NearColor(scene.pixel(50, 10), qRgb(64, 64, 255)));
    EXPECT_TRUE(MatchesGolden(scene.frame(), "opacity"));

    kest.SetFilmProp(blue, FilmProp::Opacity, 0);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(50, 10), kWhite);
    kest.SetFilmProp(blue, FilmProp::Opacity, 256);
    kest.CallFilmMethod(blue, FilmMethod::FillMask, 0);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(50, 10), kWhite);
    kest.CallFilmMethod(blue, FilmMethod::FillMask, 255);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(50, 10), kBlue);
}

TEST_F(KestLibraryTest, MaskFromThePngAlphaChannelMultipliesWithOpacity) {
    WhiteBackground();
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(QColor(255, 0, 0, 128));
    QPainter(&picture).fillRect(0, 0, 8, 16, Qt::red);  // the left half opaque
    const QImage decoded = QuarnDecoder::decode(encode(picture, "PNG"));
    ASSERT_FALSE(decoded.isNull());
    const auto full = scene.addFilm(FilmKind::Picture, scene.root, QRect(8, 8, 16, 16));
    LoadWithAlpha(full, decoded);
    const auto half = scene.addFilm(FilmKind::Picture, scene.root, QRect(32, 8, 16, 16));
    LoadWithAlpha(half, decoded);
    kest.SetFilmProp(half, FilmProp::Opacity, 128);
    kest.ExeQueue();

    EXPECT_EQ(scene.pixel(10, 10), kRed);
    EXPECT_TRUE(NearColor(scene.pixel(20, 10), qRgb(255, 127, 127)));
    EXPECT_TRUE(NearColor(scene.pixel(34, 10), qRgb(255, 127, 127)));
    EXPECT_TRUE(NearColor(scene.pixel(44, 10), qRgb(255, 191, 191)));
    EXPECT_EQ(scene.pixel(4, 4), kWhite);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "mask_png_alpha", 1));
}

TEST_F(KestLibraryTest, MaskFromASeparateGreyPicture) {
    WhiteBackground();
    const auto film = scene.addPicture(scene.root, QRect(8, 8, 16, 16), Qt::green);
    QImage maskPicture(16, 16, QImage::Format_RGB32);
    maskPicture.fill(Qt::white);
    QPainter painter(&maskPicture);
    painter.fillRect(0, 8, 16, 4, QColor(128, 128, 128));
    painter.fillRect(0, 12, 16, 4, Qt::black);
    painter.end();
    ASSERT_TRUE(SetMask(film, QuarnDecoder::decode(encode(maskPicture, "BMP"))));
    Written(film);

    EXPECT_EQ(scene.pixel(12, 10), kGreen);
    EXPECT_TRUE(NearColor(scene.pixel(12, 17), qRgb(127, 255, 127)));
    EXPECT_EQ(scene.pixel(12, 22), kWhite);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "mask_separate", 1));
}

TEST_F(KestLibraryTest, MaskOfAnotherSizeIsClippedAndTheRestStaysOpaque) {
    QImage black(8, 8, QImage::Format_Grayscale8);
    black.fill(0);
    const auto small = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    ASSERT_TRUE(SetMask(small, black));
    const auto large = scene.addPicture(scene.root, QRect(32, 0, 16, 16), Qt::red);
    ASSERT_TRUE(SetMask(large, black.scaled(40, 40)));
    Written(small);
    Written(large);
    EXPECT_EQ(scene.pixel(2, 2), kBlack);
    EXPECT_EQ(scene.pixel(12, 12), kRed);
    EXPECT_EQ(scene.pixel(40, 8), kBlack);
    EXPECT_EQ(kest.Surface(Dc(large, FilmProp::MaskSurface))->size(), QSize(16, 16));
}

TEST_F(KestLibraryTest, CellsFlipAndWrapAndNaturalSizeShowsTheWholePicture) {
    QImage sheet(32, 32, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&sheet);
    painter.fillRect(0, 0, 16, 16, Qt::red);
    painter.fillRect(16, 0, 16, 16, Qt::green);
    painter.fillRect(0, 16, 16, 16, Qt::blue);
    painter.fillRect(16, 16, 16, 16, Qt::yellow);
    painter.end();
    const auto film = scene.addFilm(FilmKind::Picture, scene.root, QRect(0, 0, 32, 32));
    scene.drawInto(film, sheet);
    kest.SetFilmProp(film, FilmProp::CellWidth, 16);
    kest.SetFilmProp(film, FilmProp::CellHeight, 16);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kRed);
    EXPECT_EQ(scene.pixel(20, 4), kBlack);  // only one cell shows

    kest.SetFilmProp(film, FilmProp::CellColumn, 1);
    kest.SetFilmProp(film, FilmProp::CellRow, 1);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kYellow);
    kest.CallFilmMethod(film, FilmMethod::NextCellColumn);  // wraps to column 0
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kBlue);
    kest.CallFilmMethod(film, FilmMethod::NextCellRow);  // wraps to row 0
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kRed);

    const auto whole = scene.addFilm(FilmKind::Picture, scene.root, QRect(32, 0, 32, 32));
    scene.drawInto(whole, sheet);
    kest.SetFilmProp(whole, FilmProp::Size, QSize(8, 8));
    kest.SetFilmProp(whole, FilmProp::CellColumn, 2);
    kest.CallFilmMethod(whole, FilmMethod::NaturalSize);
    kest.SetFilmProp(film, FilmProp::CellColumn, 1);
    kest.SetFilmProp(film, FilmProp::CellRow, 1);
    kest.ExeQueue();
    QSize size;
    kest.GetFilmProp(whole, FilmProp::Size, size);
    EXPECT_EQ(size, QSize(32, 32));
    EXPECT_EQ(scene.pixel(36, 4), kRed);
    EXPECT_EQ(scene.pixel(60, 28), kYellow);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "cells"));
}

TEST_F(KestLibraryTest, GroupFilmComposesItsChildrenBeforeItsOpacity) {
    WhiteBackground();
    const auto group = scene.addFilm(FilmKind::Group, scene.root, QRect(8, 8, 32, 24));
    scene.addPicture(group, QRect(0, 0, 24, 24), Qt::red);
    scene.addPicture(group, QRect(12, 4, 24, 16), Qt::green);
    kest.SetFilmProp(group, FilmProp::Opacity, 128);
    kest.ExeQueue();
    EXPECT_TRUE(NearColor(scene.pixel(10, 10), qRgb(255, 127, 127)));
    // Where the children overlap only the top one shows, at half opacity.
    EXPECT_TRUE(NearColor(scene.pixel(24, 16), qRgb(127, 255, 127)));
    // The green child reaches past the group's right edge: clipped.
    EXPECT_EQ(scene.pixel(42, 16), kWhite);
    EXPECT_TRUE(MatchesGolden(scene.frame(), "group", 1));

    kest.SetFilmProp(group, FilmProp::Opacity, 256);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(24, 16), kGreen);
    EXPECT_EQ(scene.pixel(42, 16), kWhite);
}

TEST_F(KestLibraryTest, TintMultipliesThePictureByTheBlendColour) {
    const auto white = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::white);
    const auto grey = scene.addPicture(scene.root, QRect(16, 0, 16, 16), QColor(128, 128, 128));
    const auto dim = scene.addPicture(scene.root, QRect(32, 0, 16, 16), Qt::white);
    kest.CallFilmMethod(white, FilmMethod::Tint, 0x0000FF);  // screen order: red
    kest.CallFilmMethod(grey, FilmMethod::Tint, 0xFF0000);   // blue
    kest.CallFilmMethod(dim, FilmMethod::Tint, 0x808080);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(4, 4), kRed);
    EXPECT_TRUE(NearColor(scene.pixel(20, 4), qRgb(0, 0, 128), 1));
    EXPECT_TRUE(NearColor(scene.pixel(36, 4), qRgb(128, 128, 128), 1));
    EXPECT_TRUE(MatchesGolden(scene.frame(), "tint", 1));

    // Loading a new picture brings back its own colours.
    QImage fresh(16, 16, QImage::Format_ARGB32_Premultiplied);
    fresh.fill(Qt::white);
    scene.drawInto(white, fresh);
    EXPECT_EQ(scene.pixel(4, 4), kWhite);
}

TEST_F(KestLibraryTest, SuspendedUpdatesKeepTheFrozenFrameWhileCopyScreenKeepsItForLater) {
    scene.addPicture(scene.root, QRect(0, 0, 32, 48), Qt::red);
    scene.addPicture(scene.root, QRect(32, 0, 32, 48), Qt::blue);
    kest.WaitBlt();
    const quint64 shown = kest.PresentedCount();
    SetScreenUpdates(false);
    kest.RemoveFilmChildren(scene.root);
    const auto back = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
    kest.CallFilmMethod(scene.root, FilmMethod::CopyScreen, back);
    const auto overlay = scene.addPicture(scene.root, QRect(0, 0, 64, 24), Qt::white);
    kest.SetFilmProp(overlay, FilmProp::Opacity, 128);
    kest.ExeQueue();
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    EXPECT_EQ(kest.PresentedCount(), shown);
    EXPECT_FALSE(kest.Redraw());

    SetScreenUpdates(true);
    EXPECT_TRUE(NearColor(scene.pixel(5, 5), qRgb(255, 128, 128)));
    EXPECT_EQ(kest.PresentedCount(), shown + 1);
    EXPECT_EQ(scene.pixel(5, 40), kRed);
    EXPECT_EQ(scene.pixel(50, 40), kBlue);
}

TEST_F(KestLibraryTest, BltDrawsTheRootOntoItsDeviceContext) {
    scene.addPicture(scene.root, QRect(0, 0, 64, 48), Qt::blue);
    QImage view;
    ASSERT_TRUE(kest.SetFilmProp(scene.root, FilmProp::DeviceContext, KestDc::ofImage(view)));
    ASSERT_TRUE(kest.Blt(scene.root));
    ASSERT_EQ(view.size(), QSize(64, 48));
    EXPECT_EQ(view.pixel(10, 10), kBlue);
    EXPECT_FALSE(kest.Blt(scene.root + 100));
}

TEST_F(KestLibraryTest, RemovingAFilmRemovesEverythingBelowIt) {
    const auto group = scene.addFilm(FilmKind::Group, scene.root, QRect(0, 0, 64, 48));
    const auto child = scene.addPicture(group, QRect(0, 0, 16, 16), Qt::red);
    const auto other = scene.addPicture(scene.root, QRect(32, 0, 16, 16), Qt::blue);
    kest.RemoveFilmChildren(group);
    kest.ExeQueue();
    EXPECT_FALSE(Exists(child));
    EXPECT_EQ(scene.pixel(4, 4), kBlack);
    EXPECT_TRUE(Exists(group));

    const auto grandChild = scene.addPicture(group, QRect(0, 0, 16, 16), Qt::red);
    kest.RemoveFilm(group);
    kest.ExeQueue();
    EXPECT_FALSE(Exists(grandChild));
    EXPECT_EQ(scene.pixel(36, 4), kBlue);
    EXPECT_TRUE(Exists(other));
}

TEST_F(KestLibraryTest, TinyPicturesWorkWhileHugeSurfacesAndDamagedPicturesAreRefused) {
    const auto dot = scene.addPicture(scene.root, QRect(5, 5, 1, 1), Qt::red);
    EXPECT_EQ(scene.pixel(5, 5), kRed);
    EXPECT_EQ(scene.pixel(6, 5), kBlack);

    kest.SetFilmProp(dot, FilmProp::SurfaceSize, QSize(16384, 16384));
    kest.ExeQueue();
    QSize size;
    kest.GetFilmProp(dot, FilmProp::SurfaceSize, size);
    EXPECT_EQ(size, QSize(1, 1));
    EXPECT_TRUE(scene.logged("16384x16384"));
    EXPECT_EQ(scene.pixel(5, 5), kRed);

    QImage sample(16, 16, QImage::Format_ARGB32);
    sample.fill(Qt::white);
    const QImage broken = QuarnDecoder::decode(encode(sample, "PNG").left(40));
    EXPECT_TRUE(broken.isNull());
    EXPECT_FALSE(kest.BitBltMask(Dc(dot, FilmProp::MaskSurface), 0, 0, 16, 16, broken, 0, 0));
    EXPECT_TRUE(scene.logged("BitBltMask"));
    EXPECT_EQ(kest.PresentedFrame().size(), QSize(64, 48));
}

TEST_F(KestLibraryTest, RefusesWrongValueTypesAndBrokenTrees) {
    const auto parent = scene.addPicture(scene.root, QRect(0, 0, 16, 16), Qt::red);
    const auto child = scene.addPicture(parent, QRect(0, 0, 8, 8), Qt::blue);
    EXPECT_FALSE(kest.SetFilmProp(parent, FilmProp::Position, 5));
    EXPECT_FALSE(kest.SetFilmProp(parent, FilmProp::TextAppend, QStringLiteral("x")));
    EXPECT_FALSE(kest.SetFilmProp(parent, FilmProp::TextLength, 3));
    EXPECT_FALSE(kest.SetFilmProp(parent + 1000, FilmProp::X, 3));
    EXPECT_FALSE(kest.CallFilmMethod(parent, static_cast<FilmMethod>(0x11000099)));
    EXPECT_EQ(kest.AddFilm(static_cast<FilmKind>(0x10070099)), KestLibrary::kNoFilm);
    EXPECT_TRUE(scene.logged("refused"));

    scene.log.clear();
    kest.SetFilmProp(parent, FilmProp::Parent, child);  // would make a loop
    kest.SetFilmProp(child, FilmProp::Above, child);
    kest.ExeQueue();
    EXPECT_EQ(IntProp(parent, FilmProp::Parent), scene.root);
    EXPECT_EQ(IntProp(child, FilmProp::Parent), parent);
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
