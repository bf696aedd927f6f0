#include "platform/kest/KestTextPage.h"

#include <QFontMetrics>
#include <QPainter>
#include <algorithm>

#include "platform/os/FontCatalog.h"

namespace {

// Digits after each code letter, and whether a sign comes first.
struct CodeShape {
    int digits = 0;
    bool signed_ = false;
};

CodeShape shapeOf(QChar letter) {
    switch (letter.unicode()) {
        case 'B':
            return {8, false};
        case 'D':
            return {6, false};
        case 'F':
        case 'G':
        case 'H':
            return {3, false};
        case 'I':
        case 'J':
        case 'K':
        case 'L':
            return {3, true};
        default:
            return {};
    }
}

bool isUpperHex(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F'));
}

// Latin-1 and half-width katakana take half a character cell.
bool isHalfWidth(QChar c) {
    return c.unicode() < 0x100 || (c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F);
}

qint64 scaledMs(qint64 ms, qint32 scale) {
    return std::max<qint64>(ms, 0) * std::max<qint32>(scale, 0) / 1000;
}

}  // namespace

struct KestTextPage::Pen {
    int x = 0;
    int top = 0;
    int size = 0;
    int width = 0;
    int lineHeight = 0;
    QRgb color = 0;
    qint64 pause = 0;
};

KestTextPage::KestTextPage() : family_(FontCatalog::substituteFor(QString())) {}

void KestTextPage::append(const QString& codes) {
    page_ += codes;
    trailingWaited_ = false;
    invalidate();
}

void KestTextPage::clear() {
    page_.clear();
    shown_ = 0;
    trailingWaited_ = false;
    invalidate();
}

int KestTextPage::length() {
    layout();
    return static_cast<int>(glyphs_.size());
}

void KestTextPage::setShown(int count) {
    const int clamped = std::clamp(count, 0, length());
    if (clamped < drawn_) {
        pictureStale_ = true;
    }
    shown_ = clamped;
    trailingWaited_ = clamped == length();
}

void KestTextPage::setFace(const QString& face) {
    face_ = face;
    family_ = FontCatalog::substituteFor(face);
    fonts_.clear();
    invalidate();
}

void KestTextPage::setSize(int size) {
    size_ = size;
    invalidate();
}

void KestTextPage::setWidth(int width) {
    width_ = width;
    invalidate();
}

void KestTextPage::setLineHeight(int height) {
    lineHeight_ = height;
    invalidate();
}

void KestTextPage::setColor(qint32 rgb) {
    color_ = rgb & 0xFFFFFF;
    invalidate();
}

void KestTextPage::setArea(QSize area) {
    if (area != area_) {
        area_ = area;
        invalidate();
    }
}

void KestTextPage::invalidate() {
    laidOut_ = false;
    pictureStale_ = true;
}

QPoint KestTextPage::glyphPosition(int index) {
    layout();
    if (index < 0 || index >= static_cast<int>(glyphs_.size())) {
        return QPoint(-1, -1);
    }
    return glyphs_[static_cast<size_t>(index)].pen;
}

int KestTextPage::lineTop() {
    layout();
    if (glyphs_.empty()) {
        return 0;
    }
    return glyphs_[static_cast<size_t>(std::max(shown_ - 1, 0))].pen.y();
}

KestActionTarget::TextProgress KestTextPage::reveal(qint64 budgetMs, qint32 scale) {
    layout();
    KestActionTarget::TextProgress progress;
    const int count = static_cast<int>(glyphs_.size());
    for (;;) {
        qint64 cost = 0;
        if (shown_ < count) {
            cost = scaledMs(glyphs_[static_cast<size_t>(shown_)].pauseBefore, scale) +
                   scaledMs(speed_, scale);
        } else if (!trailingWaited_ && trailingPause_ > 0) {
            cost = scaledMs(trailingPause_, scale);
        } else {
            progress.done = true;
            return progress;
        }
        if (progress.usedMs + cost > budgetMs) {
            progress.done = false;
            progress.nextInMs = progress.usedMs + cost - budgetMs;
            return progress;
        }
        progress.usedMs += cost;
        if (shown_ < count) {
            ++shown_;
        } else {
            trailingWaited_ = true;
        }
    }
}

void KestTextPage::layout() {
    if (laidOut_) {
        return;
    }
    laidOut_ = true;
    glyphs_.clear();
    Pen pen;
    pen.size = size_;
    pen.width = width_;
    pen.lineHeight = lineHeight_;
    pen.color = 0xFF000000u | static_cast<QRgb>(color_);
    for (int i = 0; i < page_.size(); ++i) {
        const QChar c = page_[i];
        if (c == QLatin1Char('\n')) {
            pen.x = 0;
            pen.top += pen.lineHeight;
        } else if (c == QLatin1Char('\r') || readCode(i, pen)) {
            continue;
        } else if (c.isHighSurrogate() && i + 1 < page_.size() && page_[i + 1].isLowSurrogate()) {
            placeGlyph(page_.mid(i, 2), pen);
            ++i;
        } else {
            placeGlyph(QString(c), pen);
        }
    }
    trailingPause_ = pen.pause;
    shown_ = std::min(shown_, static_cast<int>(glyphs_.size()));
}

// Reads the code starting at `index`; on success `index` is its last character.
bool KestTextPage::readCode(int& index, Pen& pen) {
    const QChar letter = page_[index];
    const CodeShape shape = shapeOf(letter);
    if (shape.digits == 0) {
        return false;
    }
    int at = index + 1;
    int sign = 1;
    if (shape.signed_) {
        if (at >= page_.size() ||
            (page_[at] != QLatin1Char('+') && page_[at] != QLatin1Char('-'))) {
            return false;
        }
        sign = page_[at] == QLatin1Char('-') ? -1 : 1;
        ++at;
    }
    if (at + shape.digits > page_.size()) {
        return false;
    }
    for (int d = 0; d < shape.digits; ++d) {
        if (!isUpperHex(page_[at + d])) {
            return false;
        }
    }
    const qint64 value = sign * page_.mid(at, shape.digits).toLongLong(nullptr, 16);
    switch (letter.unicode()) {
        case 'B':
            pen.pause += value;
            break;
        case 'D':
            pen.color = 0xFF000000u | static_cast<QRgb>(value);
            break;
        case 'F':
            pen.size = static_cast<int>(value);
            break;
        case 'G':
            pen.width = static_cast<int>(value);
            break;
        case 'H':
            pen.lineHeight = static_cast<int>(value);
            break;
        case 'I':
            pen.x = static_cast<int>(value);
            break;
        case 'J':
            pen.top = static_cast<int>(value);
            break;
        case 'K':
            pen.x += static_cast<int>(value);
            break;
        default:  // 'L'
            pen.top += static_cast<int>(value);
            break;
    }
    index = at + shape.digits - 1;
    return true;
}

void KestTextPage::placeGlyph(const QString& text, Pen& pen) {
    const int advance = isHalfWidth(text[0]) ? pen.width / 2 : pen.width;
    if (area_.width() > 0 && pen.x > 0 && pen.x + advance > area_.width()) {
        pen.x = 0;
        pen.top += pen.lineHeight;
    }
    glyphs_.push_back(Glyph{text, QPoint(pen.x, pen.top), pen.size, pen.color, pen.pause});
    pen.pause = 0;
    pen.x += advance;
}

const QFont& KestTextPage::font(int size) {
    auto found = fonts_.find(size);
    if (found == fonts_.end()) {
        QFont font(family_);
        font.setPixelSize(std::max(size, 1));
        font.setKerning(false);
        found = fonts_.emplace(size, font).first;
    }
    return found->second;
}

const QImage& KestTextPage::picture() {
    layout();
    if (area_.isEmpty() || shown_ == 0) {
        picture_ = QImage();
        drawn_ = 0;
        pictureStale_ = true;
        return picture_;
    }
    if (pictureStale_ || picture_.size() != area_ || shown_ < drawn_) {
        if (picture_.size() != area_) {
            picture_ = QImage(area_, QImage::Format_ARGB32_Premultiplied);
        }
        picture_.fill(Qt::transparent);
        drawn_ = 0;
        pictureStale_ = false;
    }
    if (drawn_ < shown_) {
        draw(drawn_, shown_);
        drawn_ = shown_;
    }
    return picture_;
}

void KestTextPage::draw(int from, int to) {
    QPainter painter(&picture_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    int currentSize = -1;
    int ascent = 0;
    for (int i = from; i < to; ++i) {
        const Glyph& glyph = glyphs_[static_cast<size_t>(i)];
        if (glyph.size <= 0) {
            continue;
        }
        if (glyph.size != currentSize) {
            currentSize = glyph.size;
            painter.setFont(font(currentSize));
            ascent = QFontMetrics(painter.font()).ascent();
        }
        painter.setPen(QColor::fromRgb(glyph.color));
        painter.drawText(QPoint(glyph.pen.x(), glyph.pen.y() + ascent), glyph.text);
    }
}
