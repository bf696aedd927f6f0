// Pictures from outside: the bytes decoded as PNG, BMP or JPEG as the screen
// reads them, with their masks. A claimed size beyond any picture a game shows
// must be refused before anything that size is allocated.
#include <QImage>
#include <cstdint>

#include "platform/quarn/QuarnDecoder.h"

namespace {

void Require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const QSize claimed = QuarnDecoder::imageSize(bytes);
    const QImage picture = QuarnDecoder::decode(bytes);
    if (picture.isNull()) {
        return 0;
    }
    Require(claimed.isValid());
    Require(picture.size() == claimed);
    // Qt's image reader refuses what would take more than its allocation limit.
    Require(picture.sizeInBytes() <= qsizetype{256} * 1024 * 1024);
    const QImage mask = QuarnDecoder::toMask(picture);
    Require(mask.size() == picture.size() && mask.format() == QImage::Format_Grayscale8);
    const QImage alpha = QuarnDecoder::alphaMask(picture);
    Require(alpha.isNull() == !picture.hasAlphaChannel());
    const QImage colours = QuarnDecoder::colours(picture);
    Require(colours.size() == picture.size() && !colours.hasAlphaChannel());
    return 0;
}
