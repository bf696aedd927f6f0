#include "platform/quarn/QuarnDecoder.h"

#include <gtest/gtest.h>

#include "OskaTestArchives.h"

using oskatest::encoded;

TEST(QuarnDecoder, DecodesPngWithAlphaBmpAndJpeg) {
    const QImage picture = oskatest::testPicture(8, 6);
    const QImage png = QuarnDecoder::decode(encoded(picture, "PNG"));
    ASSERT_EQ(png.size(), QSize(8, 6));
    EXPECT_TRUE(png.hasAlphaChannel());
    EXPECT_EQ(png.pixel(0, 0), qRgba(255, 255, 255, 255));
    EXPECT_EQ(qAlpha(png.pixel(0, 5)), 0);

    const QImage bmp = QuarnDecoder::decode(encoded(picture, "BMP"));
    ASSERT_EQ(bmp.size(), QSize(8, 6));
    EXPECT_EQ(bmp.pixel(7, 0), qRgb(0, 0, 0));

    const QImage jpeg = QuarnDecoder::decode(encoded(picture, "JPEG"));
    ASSERT_EQ(jpeg.size(), QSize(8, 6));
    EXPECT_GT(qGray(jpeg.pixel(0, 0)), 200);  // lossy, but still white
    EXPECT_EQ(QuarnDecoder::imageSize(encoded(picture, "JPEG")), QSize(8, 6));
    EXPECT_EQ(QuarnDecoder::imageSize(encoded(picture, "BMP")), QSize(8, 6));
}

TEST(QuarnDecoder, RefusesOtherFormatsAndDamagedBytes) {
    const QImage picture = oskatest::testPicture(8, 6);
    EXPECT_TRUE(QuarnDecoder::decode(QByteArray()).isNull());
    EXPECT_TRUE(QuarnDecoder::decode(QByteArray("plain text")).isNull());
    EXPECT_TRUE(QuarnDecoder::decode(encoded(picture, "PNG").left(40)).isNull());
    EXPECT_FALSE(QuarnDecoder::imageSize(QByteArray("plain text")).isValid());
    const QByteArray ppm = encoded(picture, "PPM");
    ASSERT_FALSE(ppm.isEmpty());
    EXPECT_TRUE(QuarnDecoder::decode(ppm).isNull());
    EXPECT_FALSE(QuarnDecoder::imageSize(ppm).isValid());
}

TEST(QuarnDecoder, MasksAreGreyLevelsOverBlack) {
    QImage picture(4, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 255, 255, 255));
    picture.setPixel(1, 0, qRgba(0, 0, 0, 255));
    picture.setPixel(2, 0, qRgba(255, 255, 255, 0));
    picture.setPixel(3, 0, qRgba(255, 255, 255, 128));
    const QImage mask = QuarnDecoder::toMask(picture);
    ASSERT_EQ(mask.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(mask.constScanLine(0)[0], 255);
    EXPECT_EQ(mask.constScanLine(0)[1], 0);
    EXPECT_EQ(mask.constScanLine(0)[2], 0);
    EXPECT_NEAR(mask.constScanLine(0)[3], 128, 1);
    EXPECT_TRUE(QuarnDecoder::toMask(QImage()).isNull());
}

TEST(QuarnDecoder, SplitsAPictureIntoColoursAndAlphaMask) {
    QImage picture(3, 1, QImage::Format_ARGB32);
    picture.setPixel(0, 0, qRgba(255, 0, 0, 255));
    picture.setPixel(1, 0, qRgba(0, 255, 0, 128));
    picture.setPixel(2, 0, qRgba(0, 0, 255, 0));
    const QImage decoded = QuarnDecoder::decode(encoded(picture, "PNG"));
    const QImage mask = QuarnDecoder::alphaMask(decoded);
    ASSERT_EQ(mask.format(), QImage::Format_Grayscale8);
    EXPECT_EQ(mask.constScanLine(0)[0], 255);
    EXPECT_EQ(mask.constScanLine(0)[1], 128);
    EXPECT_EQ(mask.constScanLine(0)[2], 0);

    const QImage colours = QuarnDecoder::colours(decoded);
    ASSERT_EQ(colours.format(), QImage::Format_RGB32);
    EXPECT_EQ(colours.pixel(1, 0), qRgb(0, 255, 0));  // the colour, not darkened
    EXPECT_EQ(colours.pixel(2, 0), qRgb(0, 0, 255));

    QImage opaque(2, 2, QImage::Format_RGB32);
    opaque.fill(Qt::red);
    EXPECT_TRUE(QuarnDecoder::alphaMask(opaque).isNull());
    EXPECT_TRUE(QuarnDecoder::alphaMask(QImage()).isNull());
    EXPECT_TRUE(QuarnDecoder::colours(QImage()).isNull());
}
