#include "platform/kest/KestCompositor.h"

#include <QPainter>
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/kest/KestFilm.h"

namespace {

QImage blackFrame(QSize size) {
    if (size.isEmpty()) {
        return QImage();
    }
    QImage frame(size, QImage::Format_ARGB32_Premultiplied);
    frame.fill(Qt::black);
    return frame;
}

// Weight (0..256) of the new scene for each rule value: pixels whose value lies
// below the moving threshold show the new scene, with a soft edge `vague` wide.
std::array<quint32, 256> ruleWeights(int level, int vague) {
    std::array<quint32, 256> weights{};
    const int threshold = 256 + std::max(vague, 0) - level;
    for (int m = 0; m < 256; ++m) {
        int weight = 0;
        if (vague > 0) {
            weight = std::clamp((threshold - m) * 256 / vague, 0, 256);
        } else {
            weight = m < threshold ? 256 : 0;
        }
        weights[static_cast<size_t>(m)] = static_cast<quint32>(weight);
    }
    return weights;
}

// a * weight + b * (256 - weight), both premultiplied, two channels at a time.
inline quint32 mix(quint32 a, quint32 b, quint32 weight) {
    const quint32 rest = 256 - weight;
    const quint32 rb = (((a & 0x00FF00FFu) * weight + (b & 0x00FF00FFu) * rest) >> 8) & 0x00FF00FFu;
    const quint32 ag =
        (((a >> 8) & 0x00FF00FFu) * weight + ((b >> 8) & 0x00FF00FFu) * rest) & 0xFF00FF00u;
    return rb | ag;
}

}  // namespace

KestCompositor::KestCompositor(FilmLookup lookup) : lookup_(std::move(lookup)) {}

void KestCompositor::resize(QSize size) {
    back_ = blackFrame(size);
    presented_ = blackFrame(size);
    // Made by the first freeze or transition: most screens never need it, and a
    // fresh frame costs time at start-up.
    frozen_ = QImage();
    layers_.clear();
    scaledRule_ = QImage();
    scaledRuleKey_ = 0;
}

void KestCompositor::compose(KestFilm& screen, const KestFilm& root, const KestFilm* rule) {
    if (back_.isNull()) {
        return;
    }
    back_.fill(Qt::black);
    QPainter painter(&back_);
    // The root stands for the whole screen; any other screen film keeps its place.
    const QPoint origin = &screen == &root ? -screen.position : QPoint();
    drawFilm(painter, screen, origin, 1.0, 0);
    applyRedraw(painter, root, rule);
}

void KestCompositor::present() {
    std::swap(back_, presented_);
}

void KestCompositor::freeze() {
    if (presented_.isNull()) {
        return;
    }
    if (frozen_.size() != presented_.size()) {
        frozen_ = QImage(presented_.size(), QImage::Format_ARGB32_Premultiplied);
    }
    std::memcpy(frozen_.bits(), presented_.constBits(),
                static_cast<size_t>(presented_.sizeInBytes()));
}

void KestCompositor::drawFilm(QPainter& painter, KestFilm& film, QPoint origin, qreal opacity,
                              int depth) {
    const qreal own = opacity * std::clamp(film.opacity, 0, 256) / 256.0;
    if (own <= 0.0 || depth >= kMaxDepth) {
        return;
    }
    const QPoint topLeft = origin + film.position;
    if (film.composesChildren() && own < 1.0 && !film.children.empty()) {
        drawGroupLayer(painter, film, topLeft, own, depth);
        return;
    }
    drawOwn(painter, film, topLeft, own);
    drawChildren(painter, film, topLeft, own, depth);
}

void KestCompositor::drawChildren(QPainter& painter, KestFilm& film, QPoint topLeft, qreal opacity,
                                  int depth) {
    if (film.children.empty()) {
        return;
    }
    const QRect bounds(topLeft, film.size);
    const bool clip = film.composesChildren() && !film.size.isEmpty() &&
                      !bounds.contains(QRect(QPoint(), back_.size()));
    if (clip) {
        painter.save();
        painter.setClipRect(bounds, Qt::IntersectClip);
    }
    for (const qint32 id : film.children) {
        if (KestFilm* child = lookup_(id)) {
            drawFilm(painter, *child, topLeft, opacity, depth + 1);
        }
    }
    if (clip) {
        painter.restore();
    }
}

void KestCompositor::drawOwn(QPainter& painter, KestFilm& film, QPoint topLeft, qreal opacity) {
    const QImage& picture = film.drawable();
    if (!picture.isNull() && !film.size.isEmpty()) {
        const QRect source = film.cellSource();
        const QRect shown = source & picture.rect();
        if (!shown.isEmpty()) {
            painter.setOpacity(opacity);
            painter.drawImage(topLeft + (shown.topLeft() - source.topLeft()), picture, shown);
        }
    }
    if (film.page) {
        const QImage& text = film.page->picture();
        if (!text.isNull()) {
            painter.setOpacity(opacity);
            painter.drawImage(topLeft, text);
        }
    }
}

// A group with partial opacity is composed on its own layer, which is then laid
// over the frame at the group's opacity.
void KestCompositor::drawGroupLayer(QPainter& painter, KestFilm& film, QPoint topLeft,
                                    qreal opacity, int depth) {
    const QRect screen(QPoint(), back_.size());
    const QRect area = film.size.isEmpty() ? screen : (QRect(topLeft, film.size) & screen);
    if (area.isEmpty()) {
        return;
    }
    QImage& target = layer(depth);
    {
        QPainter layerPainter(&target);
        layerPainter.setCompositionMode(QPainter::CompositionMode_Source);
        layerPainter.fillRect(area, Qt::transparent);
        layerPainter.setCompositionMode(QPainter::CompositionMode_SourceOver);
        layerPainter.setClipRect(area);
        drawOwn(layerPainter, film, topLeft, 1.0);
        drawChildren(layerPainter, film, topLeft, 1.0, depth);
    }
    painter.setOpacity(opacity);
    painter.drawImage(area.topLeft(), target, area);
}

QImage& KestCompositor::layer(int depth) {
    if (static_cast<int>(layers_.size()) <= depth) {
        layers_.resize(static_cast<size_t>(depth) + 1);
    }
    QImage& found = layers_[static_cast<size_t>(depth)];
    if (found.size() != back_.size()) {
        found = QImage(back_.size(), QImage::Format_ARGB32_Premultiplied);
    }
    return found;
}

void KestCompositor::applyRedraw(QPainter& painter, const KestFilm& root, const KestFilm* rule) {
    switch (root.redraw) {
        case kLevel:
            applyLevel(painter, root.level, root.neutralLevel);
            break;
        case kCrossFade:
            applyCrossFade(painter, root.level);
            break;
        case kRule:
            painter.end();
            applyRule(rule != nullptr ? *rule : root);
            break;
        default:
            break;
    }
}

// Below the neutral level the picture darkens to black at 0, above it it
// brightens to white at 256.
void KestCompositor::applyLevel(QPainter& painter, int level, int neutral) {
    const int middle = std::clamp(neutral, 1, 255);
    const int clamped = std::clamp(level, 0, 256);
    painter.setOpacity(1.0);
    if (clamped < middle) {
        const int alpha = (middle - clamped) * 255 / middle;
        painter.fillRect(QRect(QPoint(), back_.size()), QColor(0, 0, 0, alpha));
    } else if (clamped > middle) {
        const int alpha = (clamped - middle) * 255 / (256 - middle);
        painter.fillRect(QRect(QPoint(), back_.size()), QColor(255, 255, 255, alpha));
    }
}

// The frame a transition starts from: black until something was frozen.
const QImage& KestCompositor::frozenFrame() {
    if (frozen_.size() != back_.size()) {
        frozen_ = blackFrame(back_.size());
    }
    return frozen_;
}

// Level 256 shows the frozen frame, 0 the live scene.
void KestCompositor::applyCrossFade(QPainter& painter, int level) {
    const qreal share = std::clamp(level, 0, 256) / 256.0;
    if (share <= 0.0) {
        return;
    }
    painter.setOpacity(share);
    painter.drawImage(QPoint(), frozenFrame());
}

// Level 256 + vague width shows the frozen frame; as it falls to 0 the live scene
// replaces it, darkest rule pixels first.
void KestCompositor::applyRule(const KestFilm& rule) {
    const std::array<quint32, 256> weights = ruleWeights(rule.level, rule.vagueWidth);
    const QImage* mask = ruleMask(rule);
    const QImage& frozen = frozenFrame();
    const int width = back_.width();
    for (int y = 0; y < back_.height(); ++y) {
        auto* live = reinterpret_cast<quint32*>(back_.scanLine(y));
        const auto* old = reinterpret_cast<const quint32*>(frozen.constScanLine(y));
        const uchar* values = mask != nullptr ? mask->constScanLine(y) : nullptr;
        for (int x = 0; x < width; ++x) {
            const quint32 weight = weights[values != nullptr ? values[x] : 0];
            if (weight == 256) {
                continue;
            }
            live[x] = weight == 0 ? old[x] : mix(live[x], old[x], weight);
        }
    }
}

// The rule stretched to the frame; null when the film has none.
const QImage* KestCompositor::ruleMask(const KestFilm& rule) {
    if (rule.groupMask.isNull()) {
        return nullptr;
    }
    if (rule.groupMask.size() == back_.size()) {
        return &rule.groupMask;
    }
    if (scaledRule_.isNull() || scaledRuleKey_ != rule.groupMask.cacheKey() ||
        scaledRule_.size() != back_.size()) {
        scaledRule_ =
            rule.groupMask.scaled(back_.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_Grayscale8);
        scaledRuleKey_ = rule.groupMask.cacheKey();
    }
    return &scaledRule_;
}
