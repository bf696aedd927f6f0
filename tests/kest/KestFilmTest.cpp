#include "platform/kest/KestFilm.h"

#include <gtest/gtest.h>

namespace {

KestFilm pictureOf(QSize size, QColor color) {
    KestFilm film(1, KestFilm::Role::Picture);
    film.resizeSurface(size);
    film.surface.fill(color);
    film.size = size;
    film.markPictureChanged();
    return film;
}

}  // namespace

TEST(KestFilm, OpaquePicturesAreDrawnAsOpaqueCopies) {
    KestFilm film = pictureOf(QSize(4, 4), Qt::red);
    const QImage& drawn = film.drawable();
    EXPECT_EQ(drawn.format(), QImage::Format_RGB32);
    EXPECT_EQ(drawn.pixel(1, 1), qRgb(255, 0, 0));
    // The surface itself stays premultiplied for whoever draws into it.
    EXPECT_EQ(film.surface.format(), QImage::Format_ARGB32_Premultiplied);
}

TEST(KestFilm, BlankPicturesDrawNothing) {
    KestFilm blank(1, KestFilm::Role::Group);
    EXPECT_TRUE(blank.drawable().isNull());
    blank.resizeSurface(QSize(8, 8));
    EXPECT_TRUE(blank.drawable().isNull());

    KestFilm translucent = pictureOf(QSize(2, 1), QColor(0, 0, 0, 0));
    translucent.surface.setPixel(1, 0, qPremultiply(qRgba(0, 0, 255, 128)));
    translucent.markPictureChanged();
    EXPECT_EQ(translucent.drawable().format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(qAlpha(translucent.drawable().pixel(1, 0)), 128);
}

TEST(KestFilm, TheMaskReplacesThePicturesOwnAlpha) {
    KestFilm film = pictureOf(QSize(2, 1), QColor(200, 100, 50));
    // A picture drawn with its alpha: the colour counts, not the coverage.
    film.surface.setPixel(1, 0, qPremultiply(qRgba(200, 100, 50, 64)));
    film.fillMask(128);
    const QImage drawn = film.drawable().convertToFormat(QImage::Format_ARGB32);
    for (int x = 0; x < 2; ++x) {
        EXPECT_EQ(qAlpha(drawn.pixel(x, 0)), 128);
        EXPECT_NEAR(qRed(drawn.pixel(x, 0)), 200, 4);
        EXPECT_NEAR(qGreen(drawn.pixel(x, 0)), 100, 4);
        EXPECT_NEAR(qBlue(drawn.pixel(x, 0)), 50, 4);
    }
    film.fillMask(255);
    EXPECT_EQ(film.drawable().format(), QImage::Format_RGB32);
}

TEST(KestFilm, ResizingKeepsAPresentMaskAtTheSurfaceSize) {
    KestFilm film = pictureOf(QSize(4, 4), Qt::green);
    film.fillMask(0);
    film.resizeSurface(QSize(6, 3));
    EXPECT_EQ(film.mask.size(), QSize(6, 3));
    EXPECT_EQ(film.mask.constScanLine(2)[5], 255);
    EXPECT_EQ(qAlpha(film.surface.pixel(0, 0)), 0);
}

TEST(KestFilm, CellsWrapAroundThePicture) {
    KestFilm film = pictureOf(QSize(30, 40), Qt::blue);
    film.size = QSize(10, 10);
    film.nextCellColumn();
    film.nextCellColumn();
    EXPECT_EQ(film.cellColumn, 2);
    film.nextCellColumn();
    EXPECT_EQ(film.cellColumn, 0);
    film.advanceCellRows(-1);
    EXPECT_EQ(film.cellRow, 3);
    film.advanceCellRows(6);
    EXPECT_EQ(film.cellRow, 1);
    EXPECT_EQ(film.cellSource(), QRect(0, 10, 10, 10));
    film.origin = QPoint(1, 2);
    EXPECT_EQ(film.cellSource(), QRect(1, 12, 10, 10));
    film.naturalSize();
    EXPECT_EQ(film.size, QSize(30, 40));
    EXPECT_EQ(film.cellRow, 0);
}

TEST(KestFilm, TintKeepsCoverage) {
    KestFilm film = pictureOf(QSize(1, 1), QColor(255, 255, 255, 255));
    film.surface.setPixel(0, 0, qPremultiply(qRgba(255, 255, 255, 128)));
    film.tint(qRgb(255, 0, 128));
    const QRgb tinted = qUnpremultiply(film.surface.pixel(0, 0));
    EXPECT_EQ(qAlpha(tinted), 128);
    EXPECT_EQ(qGreen(tinted), 0);
    EXPECT_NEAR(qRed(tinted), 255, 2);
    EXPECT_NEAR(qBlue(tinted), 128, 2);
}
