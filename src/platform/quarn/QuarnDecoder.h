#pragma once

#include <QByteArrayView>
#include <QImage>
#include <QSize>

// Decodes pictures stored as PNG (with alpha), BMP or JPEG bytes. Other formats
// are refused, so outside data only ever reaches these three decoders.
class QuarnDecoder {
public:
    // The picture, or a null image when the bytes are not a readable PNG, BMP or JPEG.
    static QImage decode(QByteArrayView bytes);

    // The picture's size read from its header, or an invalid size.
    static QSize imageSize(QByteArrayView bytes);

    // The picture as an 8-bit greyscale mask: white opaque, black transparent.
    // Transparent parts of the picture count as black.
    static QImage toMask(const QImage& picture);

    // The picture's alpha channel as an 8-bit greyscale mask (opaque white), or a
    // null image when the picture has no alpha channel.
    static QImage alphaMask(const QImage& picture);

    // The picture's colours with the alpha channel dropped (RGB32): the colour
    // part of a picture whose transparency goes into a separate mask.
    static QImage colours(const QImage& picture);
};
