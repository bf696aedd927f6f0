#include "platform/quarn/QuarnDecoder.h"

#include <QBuffer>
#include <QImageReader>

namespace {

bool isAllowedFormat(const QByteArray& format) {
    return format == "png" || format == "bmp" || format == "jpeg";
}

// Runs `use` on a reader of the bytes when they hold an allowed format.
template <typename Result, typename Use>
Result withReader(QByteArrayView bytes, Result none, Use use) {
    QByteArray data = QByteArray::fromRawData(bytes.data(), bytes.size());
    QBuffer buffer(&data);
    if (!buffer.open(QIODevice::ReadOnly)) {
        return none;
    }
    QImageReader reader(&buffer);
    reader.setDecideFormatFromContent(true);
    if (!isAllowedFormat(reader.format())) {
        return none;
    }
    return use(reader);
}

}  // namespace

QImage QuarnDecoder::decode(QByteArrayView bytes) {
    return withReader(bytes, QImage(), [](QImageReader& reader) { return reader.read(); });
}

QSize QuarnDecoder::imageSize(QByteArrayView bytes) {
    return withReader(bytes, QSize(), [](QImageReader& reader) {
        const QSize size = reader.size();
        return size.isValid() ? size : reader.read().size();
    });
}

QImage QuarnDecoder::toMask(const QImage& picture) {
    if (picture.isNull()) {
        return QImage();
    }
    // Premultiplied colours are the picture laid over black.
    const QImage flat = picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QImage mask(flat.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < flat.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(flat.constScanLine(y));
        uchar* out = mask.scanLine(y);
        for (int x = 0; x < flat.width(); ++x) {
            out[x] = static_cast<uchar>(qGray(in[x]));
        }
    }
    return mask;
}

QImage QuarnDecoder::alphaMask(const QImage& picture) {
    if (picture.isNull() || !picture.hasAlphaChannel()) {
        return QImage();
    }
    QImage alpha = picture.convertToFormat(QImage::Format_Alpha8);
    // Same bytes, read as grey levels.
    alpha.reinterpretAsFormat(QImage::Format_Grayscale8);
    return alpha;
}

QImage QuarnDecoder::colours(const QImage& picture) {
    if (picture.isNull()) {
        return QImage();
    }
    // Straight (not premultiplied) colours keep their value where alpha is low.
    return picture.convertToFormat(QImage::Format_ARGB32).convertToFormat(QImage::Format_RGB32);
}
