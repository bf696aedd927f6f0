#pragma once

#include <QImage>
#include <QPoint>
#include <QSize>
#include <functional>
#include <vector>

class KestFilm;
class QPainter;

// Composes films into frames at the screen's size (ARGB32 premultiplied) and
// applies the root's redraw function against the frozen frame. Keeps its frame
// and layer buffers between frames, so composing allocates nothing.
class KestCompositor {
public:
    using FilmLookup = std::function<KestFilm*(qint32)>;

    // Redraw functions, as the root's RedrawFunction holds them.
    static constexpr qint32 kCrossFade = 0x12000005;
    static constexpr qint32 kLevel = 0x12000006;
    static constexpr qint32 kRule = 0x12000010;
    static constexpr int kMaxDepth = 64;

    explicit KestCompositor(FilmLookup lookup);

    // New black frames of that size.
    void resize(QSize size);
    QSize size() const { return presented_.size(); }

    // Draws `screen` and the films below it into the back frame, then the root's
    // redraw function; `rule` is the film holding the rule mask, or null.
    void compose(KestFilm& screen, const KestFilm& root, const KestFilm* rule);
    // The back frame becomes the presented one.
    void present();
    // The presented frame is kept as the frozen frame.
    void freeze();

    const QImage& presented() const { return presented_; }
    QImage& presentedForWriting() { return presented_; }
    const QImage& frozen() const { return frozen_; }

private:
    void drawFilm(QPainter& painter, KestFilm& film, QPoint origin, qreal opacity, int depth);
    void drawChildren(QPainter& painter, KestFilm& film, QPoint topLeft, qreal opacity, int depth);
    void drawOwn(QPainter& painter, KestFilm& film, QPoint topLeft, qreal opacity);
    void drawGroupLayer(QPainter& painter, KestFilm& film, QPoint topLeft, qreal opacity,
                        int depth);
    void applyRedraw(QPainter& painter, const KestFilm& root, const KestFilm* rule);
    void applyLevel(QPainter& painter, int level, int neutral);
    const QImage& frozenFrame();
    void applyCrossFade(QPainter& painter, int level);
    void applyRule(const KestFilm& rule);
    const QImage* ruleMask(const KestFilm& rule);
    QImage& layer(int depth);

    FilmLookup lookup_;
    QImage back_;
    QImage presented_;
    QImage frozen_;
    std::vector<QImage> layers_;
    QImage scaledRule_;
    qint64 scaledRuleKey_ = 0;
};
