#include "platform/kest/KestFilm.h"

#include <algorithm>

namespace {

// What the alpha channel of a premultiplied picture holds.
enum class Coverage { Transparent, Opaque, Mixed };

Coverage coverageOf(const QImage& image) {
    bool anyVisible = false;
    bool anyTranslucent = false;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const uint alpha = qAlpha(line[x]);
            anyVisible |= alpha != 0;
            anyTranslucent |= alpha != 255;
        }
        if (anyVisible && anyTranslucent) {
            return Coverage::Mixed;
        }
    }
    if (!anyVisible) {
        return Coverage::Transparent;
    }
    return anyTranslucent ? Coverage::Mixed : Coverage::Opaque;
}

// The picture's colours with the mask as their alpha, premultiplied.
QImage applyMask(const QImage& surface, const QImage& mask) {
    QImage out(surface.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < surface.height(); ++y) {
        const auto* in = reinterpret_cast<const QRgb*>(surface.constScanLine(y));
        const uchar* coverage = mask.constScanLine(y);
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < surface.width(); ++x) {
            const QRgb colour = qUnpremultiply(in[x]);
            line[x] = qPremultiply(qRgba(qRed(colour), qGreen(colour), qBlue(colour), coverage[x]));
        }
    }
    return out;
}

int wrapped(int value, int count) {
    return count > 0 ? ((value % count) + count) % count : 0;
}

}  // namespace

KestFilm::KestFilm(qint32 id, Role role) : id_(id), role_(role) {
    if (role == Role::Text) {
        page = std::make_unique<KestTextPage>();
    }
}

void KestFilm::resizeSurface(QSize newSize) {
    if (newSize == surface.size() && !surface.isNull()) {
        return;
    }
    if (newSize.isEmpty()) {
        surface = QImage();
        mask = QImage();
    } else {
        surface = QImage(newSize, QImage::Format_ARGB32_Premultiplied);
        surface.fill(Qt::transparent);
        if (hasMask) {
            mask = QImage(newSize, QImage::Format_Grayscale8);
            mask.fill(255);
        }
    }
    stale_ = true;
}

void KestFilm::fillPicture(QRgb color) {
    surface.fill(QColor::fromRgb(color | 0xFF000000u));
    stale_ = true;
}

void KestFilm::fillMask(int value) {
    if (surface.isNull()) {
        return;
    }
    if (mask.size() != surface.size()) {
        mask = QImage(surface.size(), QImage::Format_Grayscale8);
    }
    mask.fill(static_cast<uint>(std::clamp(value, 0, 255)));
    hasMask = true;
    stale_ = true;
}

void KestFilm::tint(QRgb color) {
    const uint red = qRed(color);
    const uint green = qGreen(color);
    const uint blue = qBlue(color);
    for (int y = 0; y < surface.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(surface.scanLine(y));
        for (int x = 0; x < surface.width(); ++x) {
            const QRgb p = line[x];
            line[x] = qRgba(qRed(p) * red / 255, qGreen(p) * green / 255, qBlue(p) * blue / 255,
                            qAlpha(p));
        }
    }
    stale_ = true;
}

void KestFilm::naturalSize() {
    size = surface.size();
    cellColumn = 0;
    cellRow = 0;
}

void KestFilm::nextCellColumn() {
    const int columns = size.width() > 0 ? std::max(surface.width() / size.width(), 1) : 1;
    cellColumn = wrapped(cellColumn + 1, columns);
}

void KestFilm::advanceCellRows(int rows) {
    const int count = size.height() > 0 ? std::max(surface.height() / size.height(), 1) : 1;
    cellRow = wrapped(static_cast<int>((static_cast<qint64>(cellRow) + rows) % count), count);
}

void KestFilm::resizeGroupMask(QSize newSize) {
    if (newSize == groupMask.size()) {
        return;
    }
    groupMask = QImage();
    if (!newSize.isEmpty()) {
        groupMask = QImage(newSize, QImage::Format_Grayscale8);
        groupMask.fill(0);
    }
}

const QImage& KestFilm::drawable() {
    if (stale_) {
        prepare();
        stale_ = false;
    }
    return prepared_;
}

void KestFilm::prepare() {
    prepared_ = QImage();
    if (surface.isNull()) {
        return;
    }
    const bool masked = hasMask && mask.size() == surface.size();
    QImage picture = masked ? applyMask(surface, mask) : surface;
    switch (coverageOf(picture)) {
        case Coverage::Transparent:
            return;
        case Coverage::Opaque:
            // Opaque pictures are copied, not blended.
            prepared_ = masked ? std::move(picture) : picture.copy();
            prepared_.reinterpretAsFormat(QImage::Format_RGB32);
            return;
        case Coverage::Mixed:
            prepared_ = std::move(picture);
            return;
    }
}
