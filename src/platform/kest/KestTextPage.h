#pragma once

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QSize>
#include <QString>
#include <unordered_map>
#include <vector>

#include "platform/kest/KestActionTarget.h"

// The page of a text film: a code string laid out in character cells and drawn
// up to the shown count. Codes (a capital letter and upper-case hex digits):
// "B"+8 pause in ms before the next character, "D"+6 colour RRGGBB, "F"+3 size,
// "G"+3 character width, "H"+3 line height, "I"/"J" sign+3 pen x / line top,
// "K"/"L" sign+3 added to them. A letter without its digits is a character.
class KestTextPage {
public:
    static constexpr int kDefaultSize = 24;
    static constexpr int kDefaultWidth = 24;
    static constexpr int kDefaultLineHeight = 30;
    static constexpr qint32 kDefaultColor = 0xFFFFFF;
    static constexpr int kDefaultSpeed = 40;

    KestTextPage();

    void append(const QString& codes);
    void clear();
    int length();
    int shown() const { return shown_; }
    void setShown(int count);

    const QString& face() const { return face_; }
    void setFace(const QString& face);
    int size() const { return size_; }
    void setSize(int size);
    int width() const { return width_; }
    void setWidth(int width);
    int lineHeight() const { return lineHeight_; }
    void setLineHeight(int height);
    qint32 color() const { return color_; }
    void setColor(qint32 rgb);
    int speed() const { return speed_; }
    void setSpeed(int msPerCharacter) { speed_ = msPerCharacter; }
    // The film's size: text wraps at its width and is drawn within it.
    void setArea(QSize area);

    // Left and line top of character `index` in the film, or (-1, -1).
    QPoint glyphPosition(int index);
    // Top of the line of the last shown character (of the first one when none
    // shows), relative to the film.
    int lineTop();
    // Shows the characters that fit into the budget; see KestActionTarget.
    KestActionTarget::TextProgress reveal(qint64 budgetMs, qint32 scale);
    // The shown text over transparency, the area's size; null when nothing shows.
    const QImage& picture();

private:
    struct Glyph {
        QString text;
        QPoint pen;  // left and line top
        int size = 0;
        QRgb color = 0;
        qint64 pauseBefore = 0;
    };
    struct Pen;

    void layout();
    bool readCode(int& index, Pen& pen);
    void placeGlyph(const QString& text, Pen& pen);
    void invalidate();
    const QFont& font(int size);
    void draw(int from, int to);

    QString page_;
    QString face_;
    QString family_;
    int size_ = kDefaultSize;
    int width_ = kDefaultWidth;
    int lineHeight_ = kDefaultLineHeight;
    qint32 color_ = kDefaultColor;
    int speed_ = kDefaultSpeed;
    QSize area_;

    std::vector<Glyph> glyphs_;
    qint64 trailingPause_ = 0;
    bool laidOut_ = false;
    int shown_ = 0;
    bool trailingWaited_ = false;

    QImage picture_;
    int drawn_ = 0;
    bool pictureStale_ = true;
    std::unordered_map<int, QFont> fonts_;
};
