// Draws every picture of the bundled demo game games/demo and the frames of its
// movie. tools/make-demo-game builds and runs it (with the sounds, voices and
// the movie's encoding); run that script, not this program, after a change.
//   make-demo-game-pictures IMAGE_DIR FRAME_DIR
// Text is drawn with the IPA fonts of the fonts-ipafont packages. The output is
// the same on every run.
#include <QDir>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
constexpr double kPi = 3.14159265358979;

// ---------------------------------------------------------------------------
// Small helpers

// A fixed pseudo-random sequence, so that every run draws the same stars.
class Dice {
public:
    explicit Dice(quint32 seed) : seed_(seed) {}
    int next(int range) {
        seed_ = seed_ * 1103515245U + 12345U;
        return static_cast<int>((seed_ >> 16) % static_cast<quint32>(range));
    }
    double unit() { return next(10000) / 10000.0; }

private:
    quint32 seed_;
};

QImage transparent(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    return image;
}

QImage opaque(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

void smooth(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
}

QFont font(int pixels, bool bold = false, const char* family = "IPAPGothic") {
    QFont f{QString::fromLatin1(family)};
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

// Text centred in a box, with a soft dark outline so that it reads on any picture.
void label(QPainter& painter, const QString& text, const QRectF& box, const QFont& f, QColor colour,
           QColor outline = QColor(0, 0, 0, 140), int align = Qt::AlignCenter) {
    painter.setFont(f);
    if (outline.alpha() > 0) {
        painter.setPen(outline);
        for (const QPointF offset :
             {QPointF(1, 1), QPointF(-1, 1), QPointF(1, -1), QPointF(-1, -1), QPointF(0, 2)}) {
            painter.drawText(box.translated(offset), align, text);
        }
    }
    painter.setPen(colour);
    painter.drawText(box, align, text);
}

void verticalGradient(QPainter& painter, const QRectF& box,
                      const std::vector<std::pair<double, QColor>>& stops) {
    QLinearGradient gradient(box.topLeft(), box.bottomLeft());
    for (const auto& [at, colour] : stops) {
        gradient.setColorAt(at, colour);
    }
    painter.fillRect(box, gradient);
}

void glow(QPainter& painter, QPointF centre, double radius, QColor colour) {
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0.0, colour);
    QColor edge = colour;
    edge.setAlpha(0);
    gradient.setColorAt(1.0, edge);
    painter.setPen(Qt::NoPen);
    painter.setBrush(gradient);
    painter.drawEllipse(centre, radius, radius);
}

void stars(QPainter& painter, int count, int width, int height, quint32 seed) {
    Dice dice(seed);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < count; ++i) {
        const QPointF at(dice.next(width), dice.next(height));
        const double size = 0.6 + dice.unit() * 1.4;
        painter.setBrush(QColor(255, 255, 230, 120 + dice.next(135)));
        painter.drawEllipse(at, size, size);
    }
}

void cloud(QPainter& painter, QPointF at, double scale, QColor colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    const std::array<std::array<double, 3>, 5> puffs{
        {{0, 0, 34}, {34, -14, 40}, {74, -2, 32}, {-30, 8, 24}, {102, 10, 22}}};
    for (const auto& puff : puffs) {
        painter.drawEllipse(at + QPointF(puff[0], puff[1]) * scale, puff[2] * scale,
                            puff[2] * 0.75 * scale);
    }
}

// A hill whose top follows a gentle curve; `top` is its highest point.
QPainterPath hillPath(double left, double right, double top, double base, double width) {
    QPainterPath path;
    path.moveTo(left, base);
    path.cubicTo(left + width * 0.25, top - 30, right - width * 0.35, top - 40, right, top + 60);
    path.lineTo(right, base);
    path.closeSubpath();
    return path;
}

// The big tree on the hill: trunk and a crown of round leaves.
void tree(QPainter& painter, QPointF foot, double scale, QColor trunk, QColor leaves,
          QColor light) {
    painter.setPen(Qt::NoPen);
    QPainterPath stem;
    stem.moveTo(foot + QPointF(-12, 0) * scale);
    stem.cubicTo(foot + QPointF(-8, -60) * scale, foot + QPointF(-16, -100) * scale,
                 foot + QPointF(-30, -130) * scale);
    stem.lineTo(foot + QPointF(26, -132) * scale);
    stem.cubicTo(foot + QPointF(12, -100) * scale, foot + QPointF(10, -60) * scale,
                 foot + QPointF(14, 0) * scale);
    stem.closeSubpath();
    painter.setBrush(trunk);
    painter.drawPath(stem);
    const std::array<std::array<double, 3>, 7> crowns{{{-60, -150, 52},
                                                       {0, -190, 62},
                                                       {60, -150, 50},
                                                       {-30, -120, 44},
                                                       {34, -118, 44},
                                                       {-90, -118, 34},
                                                       {92, -120, 32}}};
    painter.setBrush(leaves);
    for (const auto& c : crowns) {
        painter.drawEllipse(foot + QPointF(c[0], c[1]) * scale, c[2] * scale, c[2] * 0.85 * scale);
    }
    painter.setBrush(light);
    for (const auto& c : crowns) {
        painter.drawEllipse(foot + QPointF(c[0] - c[2] * 0.25, c[1] - c[2] * 0.3) * scale,
                            c[2] * 0.45 * scale, c[2] * 0.35 * scale);
    }
}

// ---------------------------------------------------------------------------
// Backgrounds and CG pictures

QImage hillMorning() {
    QImage image = opaque(kWidth, kHeight, Qt::white);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(
        painter, image.rect(),
        {{0.0, QColor(90, 160, 235)}, {0.6, QColor(180, 220, 250)}, {1.0, QColor(230, 245, 255)}});
    glow(painter, QPointF(110, 80), 120, QColor(255, 250, 220, 200));
    cloud(painter, QPointF(380, 80), 1.0, QColor(255, 255, 255, 230));
    cloud(painter, QPointF(120, 150), 0.7, QColor(255, 255, 255, 200));
    cloud(painter, QPointF(560, 170), 0.55, QColor(255, 255, 255, 190));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(140, 175, 210));
    painter.drawPath(hillPath(-40, 700, 250, 480, 740));
    painter.setBrush(QColor(120, 190, 110));
    painter.drawPath(hillPath(-80, 520, 300, 480, 600));
    QLinearGradient grass(0, 300, 0, 480);
    grass.setColorAt(0.0, QColor(120, 200, 100));
    grass.setColorAt(1.0, QColor(60, 140, 70));
    painter.setBrush(grass);
    painter.drawPath(hillPath(200, 760, 330, 480, 560));
    tree(painter, QPointF(520, 345), 1.0, QColor(110, 75, 50), QColor(60, 150, 80),
         QColor(110, 190, 100));
    Dice dice(7);
    for (int i = 0; i < 70; ++i) {
        const QPointF at(dice.next(kWidth), 380 + dice.next(100));
        const std::array<QColor, 3> petals{QColor(255, 255, 255), QColor(255, 220, 90),
                                           QColor(255, 170, 200)};
        painter.setBrush(petals[static_cast<size_t>(dice.next(3))]);
        painter.drawEllipse(at, 2.5, 2.5);
    }
    return image;
}

QImage seaSunset() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(
        painter, QRectF(0, 0, kWidth, 260),
        {{0.0, QColor(70, 60, 140)}, {0.45, QColor(230, 120, 130)}, {1.0, QColor(255, 190, 110)}});
    glow(painter, QPointF(420, 255), 160, QColor(255, 220, 140, 180));
    painter.setBrush(QColor(255, 230, 150));
    painter.drawEllipse(QPointF(420, 255), 46, 46);
    cloud(painter, QPointF(120, 110), 0.9, QColor(250, 160, 170, 150));
    cloud(painter, QPointF(520, 70), 0.7, QColor(240, 140, 170, 140));
    verticalGradient(
        painter, QRectF(0, 255, kWidth, 225),
        {{0.0, QColor(240, 150, 120)}, {0.3, QColor(120, 90, 150)}, {1.0, QColor(40, 50, 110)}});
    painter.setPen(Qt::NoPen);
    for (int row = 0; row < 14; ++row) {
        const double y = 262 + row * row * 1.2;
        const double half = 60 - row * 3.5 + (row % 2) * 8;
        painter.setBrush(QColor(255, 220, 150, 200 - row * 12));
        painter.drawRoundedRect(QRectF(420 - half, y, half * 2, 3 + row * 0.3), 2, 2);
    }
    QPainterPath sand;
    sand.moveTo(0, 400);
    sand.cubicTo(200, 370, 420, 430, 640, 395);
    sand.lineTo(640, 480);
    sand.lineTo(0, 480);
    sand.closeSubpath();
    QLinearGradient sandColour(0, 380, 0, 480);
    sandColour.setColorAt(0.0, QColor(230, 170, 130));
    sandColour.setColorAt(1.0, QColor(170, 110, 100));
    painter.setBrush(sandColour);
    painter.drawPath(sand);
    painter.setPen(QPen(QColor(255, 240, 230, 170), 3));
    painter.setBrush(Qt::NoBrush);
    QPainterPath foam;
    foam.moveTo(0, 398);
    foam.cubicTo(200, 368, 420, 428, 640, 393);
    painter.drawPath(foam);
    return image;
}

void forestTrees(QPainter& painter, quint32 seed, QColor colour, double top, double spread,
                 double width) {
    Dice dice(seed);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (int i = 0; i < 9; ++i) {
        const double x = i * spread + dice.next(40);
        const double crown = top + dice.next(60);
        QPolygonF fir;
        fir << QPointF(x, crown) << QPointF(x + width * 0.6, crown + 140)
            << QPointF(x + width * 0.35, crown + 140) << QPointF(x + width * 0.8, crown + 260)
            << QPointF(x - width * 0.8, crown + 260) << QPointF(x - width * 0.35, crown + 140)
            << QPointF(x - width * 0.6, crown + 140);
        painter.drawPolygon(fir);
        painter.drawRect(QRectF(x - 8, crown + 250, 16, 300));
    }
}

QImage forestNight() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(
        painter, image.rect(),
        {{0.0, QColor(10, 20, 50)}, {0.6, QColor(20, 50, 70)}, {1.0, QColor(15, 40, 40)}});
    stars(painter, 80, kWidth, 200, 11);
    glow(painter, QPointF(500, 80), 90, QColor(220, 230, 255, 120));
    painter.setBrush(QColor(240, 245, 255));
    painter.drawEllipse(QPointF(500, 80), 26, 26);
    forestTrees(painter, 3, QColor(25, 55, 65), 90, 80, 70);
    forestTrees(painter, 5, QColor(15, 35, 40), 150, 90, 90);
    QPainterPath path;
    path.moveTo(250, 480);
    path.cubicTo(300, 420, 330, 400, 320, 360);
    path.lineTo(345, 360);
    path.cubicTo(360, 400, 420, 430, 470, 480);
    path.closeSubpath();
    painter.setBrush(QColor(40, 70, 60));
    painter.drawPath(path);
    verticalGradient(painter, QRectF(0, 400, kWidth, 80),
                     {{0.0, QColor(10, 30, 30, 0)}, {1.0, QColor(5, 20, 20, 220)}});
    return image;
}

QImage nightHill() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(
        painter, image.rect(),
        {{0.0, QColor(5, 10, 35)}, {0.7, QColor(30, 40, 90)}, {1.0, QColor(60, 60, 110)}});
    // The milky way: a faint band of many small stars.
    painter.save();
    painter.translate(320, 200);
    painter.rotate(-25);
    glow(painter, QPointF(0, 0), 260, QColor(120, 130, 200, 60));
    Dice dice(21);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 260; ++i) {
        const QPointF at(dice.next(700) - 350, (dice.unit() + dice.unit() - 1.0) * 50);
        painter.setBrush(QColor(230, 230, 255, 80 + dice.next(140)));
        painter.drawEllipse(at, 0.8, 0.8);
    }
    painter.restore();
    stars(painter, 140, kWidth, 330, 17);
    painter.setBrush(QColor(15, 20, 40));
    painter.drawPath(hillPath(-80, 760, 330, 480, 840));
    tree(painter, QPointF(470, 360), 0.9, QColor(10, 12, 25), QColor(12, 18, 36),
         QColor(18, 26, 50));
    return image;
}

// Two figures seen from behind, sitting side by side: the girl with long hair.
void sittingPair(QPainter& painter, QPointF at, QColor girl, QColor boy, QColor hairGirl,
                 QColor hairBoy) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(boy);
    painter.drawRoundedRect(QRectF(at.x() + 40, at.y() - 40, 52, 70), 18, 18);
    painter.setBrush(hairBoy);
    painter.drawEllipse(QPointF(at.x() + 66, at.y() - 62), 24, 26);
    painter.setBrush(girl);
    painter.drawRoundedRect(QRectF(at.x() - 40, at.y() - 32, 48, 62), 18, 18);
    painter.setBrush(hairGirl);
    painter.drawEllipse(QPointF(at.x() - 16, at.y() - 54), 22, 24);
    painter.drawRoundedRect(QRectF(at.x() - 38, at.y() - 56, 44, 60), 16, 16);
}

QImage seaEvent() {
    QImage image = seaSunset();
    QPainter painter(&image);
    smooth(painter);
    glow(painter, QPointF(420, 255), 260, QColor(255, 200, 120, 90));
    sittingPair(painter, QPointF(250, 430), QColor(90, 50, 70), QColor(50, 50, 90),
                QColor(110, 40, 60), QColor(30, 30, 60));
    Dice dice(31);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 30; ++i) {
        painter.setBrush(QColor(255, 240, 200, 90 + dice.next(120)));
        painter.drawEllipse(QPointF(dice.next(kWidth), 270 + dice.next(110)), 1.6, 1.6);
    }
    return image;
}

void firefly(QPainter& painter, QPointF at, double brightness) {
    glow(painter, at, 14 + brightness * 10,
         QColor(220, 255, 120, static_cast<int>(170 * brightness)));
    painter.setBrush(QColor(250, 255, 200, static_cast<int>(100 + 155 * brightness)));
    painter.drawEllipse(at, 2.2, 2.2);
}

QImage forestEvent() {
    QImage image = forestNight();
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(),
                     {{0.0, QColor(0, 0, 20, 60)}, {1.0, QColor(0, 0, 0, 60)}});
    sittingPair(painter, QPointF(330, 440), QColor(30, 40, 50), QColor(20, 30, 45),
                QColor(40, 30, 45), QColor(15, 20, 35));
    Dice dice(41);
    for (int i = 0; i < 60; ++i) {
        const double angle = dice.unit() * 2 * kPi;
        const double radius = 40 + dice.next(260);
        const QPointF at(330 + std::cos(angle) * radius * 1.2,
                         300 + std::sin(angle) * radius * 0.6);
        firefly(painter, at, 0.3 + dice.unit() * 0.7);
    }
    return image;
}

void house(QPainter& painter, double x, double base, double width, double height, QColor wall,
           QColor roof) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(wall);
    painter.drawRect(QRectF(x, base - height, width, height));
    painter.setBrush(roof);
    QPolygonF top;
    top << QPointF(x - 6, base - height) << QPointF(x + width / 2, base - height - width * 0.45)
        << QPointF(x + width + 6, base - height);
    painter.drawPolygon(top);
    painter.setBrush(QColor(255, 230, 150));
    for (double wx = x + 8; wx + 10 < x + width; wx += 18) {
        painter.drawRect(QRectF(wx, base - height + 12, 9, 11));
    }
}

// The town at dawn, twice the screen wide, for a scrolling background.
QImage panorama() {
    constexpr int kPanoramaWidth = kWidth * 2;
    QImage image = opaque(kPanoramaWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(),
                     {{0.0, QColor(80, 110, 190)},
                      {0.45, QColor(250, 190, 170)},
                      {0.62, QColor(255, 225, 170)},
                      {1.0, QColor(120, 150, 120)}});
    glow(painter, QPointF(980, 290), 200, QColor(255, 240, 190, 200));
    cloud(painter, QPointF(200, 90), 1.1, QColor(255, 220, 220, 160));
    cloud(painter, QPointF(760, 60), 0.9, QColor(255, 230, 230, 150));
    cloud(painter, QPointF(1120, 120), 0.7, QColor(255, 230, 230, 140));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(120, 130, 170));
    painter.drawPath(hillPath(-100, 700, 270, 480, 800));
    painter.drawPath(hillPath(560, 1400, 260, 480, 840));
    Dice dice(51);
    const std::array<QColor, 5> walls{QColor(240, 230, 210), QColor(230, 200, 180),
                                      QColor(210, 220, 235), QColor(245, 225, 190),
                                      QColor(220, 210, 200)};
    const std::array<QColor, 4> roofs{QColor(170, 70, 60), QColor(70, 90, 140), QColor(120, 80, 60),
                                      QColor(80, 120, 90)};
    for (double x = 10; x < kPanoramaWidth - 40; x += 46 + dice.next(20)) {
        house(painter, x, 372 + dice.next(14), 36 + dice.next(16), 40 + dice.next(50),
              walls[static_cast<size_t>(dice.next(5))], roofs[static_cast<size_t>(dice.next(4))]);
    }
    // A clock tower in the middle of the town.
    painter.setBrush(QColor(235, 225, 205));
    painter.drawRect(QRectF(620, 200, 44, 180));
    painter.setBrush(QColor(90, 110, 160));
    painter.drawPolygon(QPolygonF{QPointF(612, 200), QPointF(642, 150), QPointF(672, 200)});
    painter.setBrush(Qt::white);
    painter.drawEllipse(QPointF(642, 230), 13, 13);
    painter.setPen(QPen(QColor(60, 60, 80), 2));
    painter.drawLine(QPointF(642, 230), QPointF(642, 221));
    painter.drawLine(QPointF(642, 230), QPointF(649, 233));
    painter.setPen(Qt::NoPen);
    verticalGradient(painter, QRectF(0, 380, kPanoramaWidth, 100),
                     {{0.0, QColor(110, 160, 110)}, {1.0, QColor(70, 120, 80)}});
    QPainterPath river;
    river.moveTo(0, 420);
    river.cubicTo(400, 395, 800, 450, kPanoramaWidth, 410);
    river.lineTo(kPanoramaWidth, 440);
    river.cubicTo(800, 480, 400, 425, 0, 450);
    river.closeSubpath();
    painter.setBrush(QColor(150, 190, 230));
    painter.drawPath(river);
    return image;
}

// ---------------------------------------------------------------------------
// Characters: cells of 200 x 400, the figure's centre in the middle.

enum class Face { Normal, Smile, Surprised, Shy };

struct Person {
    QColor hair;
    QColor hairLight;
    QColor eyes;
    QColor clothes;
    QColor clothesDark;
    QColor accent;
    bool longHair;
};

void eye(QPainter& painter, QPointF centre, const Person& who, Face face) {
    painter.setPen(Qt::NoPen);
    if (face == Face::Smile) {
        painter.setPen(QPen(QColor(60, 40, 40), 3.2, Qt::SolidLine, Qt::RoundCap));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(centre.x() - 9, centre.y() - 4, 18, 14), 20 * 16, 140 * 16);
        return;
    }
    if (face == Face::Shy) {
        painter.setPen(QPen(QColor(60, 40, 40), 3.0, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre + QPointF(-8, 2), centre + QPointF(8, 2));
        return;
    }
    const double height = face == Face::Surprised ? 15 : 13;
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, 8.5, height);
    painter.setBrush(who.eyes);
    const double iris = face == Face::Surprised ? 5.0 : 7.0;
    painter.drawEllipse(centre + QPointF(0, 2), iris, iris + 3);
    painter.setBrush(QColor(30, 20, 30));
    painter.drawEllipse(centre + QPointF(0, 3), iris * 0.45, iris * 0.6);
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre + QPointF(-2.5, -3), 2.6, 2.6);
    painter.setPen(QPen(QColor(50, 30, 30), 2.4, Qt::SolidLine, Qt::RoundCap));
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(centre.x() - 10, centre.y() - height - 1, 20, 12), 30 * 16, 120 * 16);
}

void mouth(QPainter& painter, QPointF centre, Face face) {
    painter.setPen(QPen(QColor(140, 60, 60), 2.2, Qt::SolidLine, Qt::RoundCap));
    switch (face) {
        case Face::Normal:
            painter.setBrush(Qt::NoBrush);
            painter.drawArc(QRectF(centre.x() - 7, centre.y() - 5, 14, 8), 200 * 16, 140 * 16);
            break;
        case Face::Smile: {
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(200, 80, 90));
            painter.drawChord(QRectF(centre.x() - 9, centre.y() - 8, 18, 16), 180 * 16, 180 * 16);
            break;
        }
        case Face::Surprised:
            painter.setBrush(QColor(170, 70, 80));
            painter.drawEllipse(centre + QPointF(0, 1), 5, 6);
            break;
        case Face::Shy:
            painter.setBrush(Qt::NoBrush);
            painter.drawLine(centre + QPointF(-5, 0), centre + QPointF(5, 0));
            break;
    }
}

// One standing figure cut at the waist, with the given expression, in the cell at `left`.
void drawPerson(QPainter& painter, double left, const Person& who, Face face) {
    smooth(painter);
    const QPointF head(left + 100, 110);
    painter.setPen(Qt::NoPen);
    if (who.longHair) {
        QPainterPath back;
        back.moveTo(head + QPointF(-58, -10));
        back.cubicTo(head + QPointF(-80, 120), head + QPointF(-70, 200), head + QPointF(-50, 240));
        back.lineTo(head + QPointF(50, 240));
        back.cubicTo(head + QPointF(70, 200), head + QPointF(80, 120), head + QPointF(58, -10));
        back.closeSubpath();
        painter.setBrush(who.hair.darker(115));
        painter.drawPath(back);
    }
    // Body: shoulders, arms and clothes down to the cell's bottom.
    QPainterPath body;
    body.moveTo(left + 100, 160);
    body.cubicTo(left + 40, 168, left + 24, 190, left + 22, 240);
    body.lineTo(left + 14, 400);
    body.lineTo(left + 186, 400);
    body.lineTo(left + 178, 240);
    body.cubicTo(left + 176, 190, left + 160, 168, left + 100, 160);
    QLinearGradient cloth(left, 160, left, 400);
    cloth.setColorAt(0.0, who.clothes);
    cloth.setColorAt(1.0, who.clothesDark);
    painter.setBrush(cloth);
    painter.drawPath(body);
    painter.setPen(QPen(who.clothesDark.darker(130), 2));
    painter.drawLine(QPointF(left + 50, 250), QPointF(left + 46, 400));
    painter.drawLine(QPointF(left + 150, 250), QPointF(left + 154, 400));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(252, 226, 205));
    painter.drawRoundedRect(QRectF(left + 88, 140, 24, 28), 8, 8);
    // Collar and ribbon.
    painter.setBrush(who.accent);
    QPolygonF collar;
    collar << QPointF(left + 76, 166) << QPointF(left + 100, 196) << QPointF(left + 124, 166)
           << QPointF(left + 112, 162) << QPointF(left + 100, 180) << QPointF(left + 88, 162);
    painter.drawPolygon(collar);
    painter.drawEllipse(QPointF(left + 100, 196), 8, 7);
    // Head.
    painter.setBrush(QColor(252, 226, 205));
    painter.drawEllipse(head, 50, 56);
    painter.setBrush(QColor(255, 160, 160, face == Face::Shy ? 170 : 90));
    painter.drawEllipse(head + QPointF(-30, 22), 10, 6);
    painter.drawEllipse(head + QPointF(30, 22), 10, 6);
    eye(painter, head + QPointF(-20, 6), who, face);
    eye(painter, head + QPointF(20, 6), who, face);
    mouth(painter, head + QPointF(0, 34), face);
    // Fringe over the forehead.
    QPainterPath fringe;
    fringe.moveTo(head + QPointF(-56, 10));
    fringe.cubicTo(head + QPointF(-64, -90), head + QPointF(64, -90), head + QPointF(56, 10));
    fringe.lineTo(head + QPointF(44, -6));
    fringe.lineTo(head + QPointF(30, -14));
    fringe.lineTo(head + QPointF(16, -6));
    fringe.lineTo(head + QPointF(2, -18));
    fringe.lineTo(head + QPointF(-14, -6));
    fringe.lineTo(head + QPointF(-30, -16));
    fringe.lineTo(head + QPointF(-44, -4));
    fringe.closeSubpath();
    QLinearGradient hair(head + QPointF(0, -56), head + QPointF(0, 10));
    hair.setColorAt(0.0, who.hairLight);
    hair.setColorAt(1.0, who.hair);
    painter.setBrush(hair);
    painter.drawPath(fringe);
    if (who.longHair) {
        painter.setBrush(who.hair);
        painter.drawRoundedRect(QRectF(head.x() - 60, head.y() - 8, 16, 110), 8, 8);
        painter.drawRoundedRect(QRectF(head.x() + 44, head.y() - 8, 16, 110), 8, 8);
        painter.setBrush(who.accent);
        painter.drawEllipse(head + QPointF(40, -42), 9, 9);
        painter.drawEllipse(head + QPointF(52, -34), 7, 7);
    }
    painter.setBrush(QColor(255, 255, 255, 90));
    painter.drawEllipse(head + QPointF(-22, -36), 14, 5);
}

const Person kYui{QColor(200, 90, 110),
                  QColor(240, 150, 160),
                  QColor(160, 60, 110),
                  QColor(250, 250, 255),
                  QColor(200, 200, 230),
                  QColor(230, 80, 110),
                  true};
const Person kRen{QColor(50, 60, 110),
                  QColor(90, 110, 170),
                  QColor(40, 110, 160),
                  QColor(90, 150, 210),
                  QColor(40, 80, 140),
                  QColor(250, 200, 90),
                  false};

QImage yui() {
    QImage image = transparent(200 * 4, 400);
    QPainter painter(&image);
    const std::array<Face, 4> faces{Face::Normal, Face::Smile, Face::Surprised, Face::Shy};
    for (int cell = 0; cell < 4; ++cell) {
        drawPerson(painter, cell * 200, kYui, faces[static_cast<size_t>(cell)]);
    }
    return image;
}

QImage ren() {
    QImage image = transparent(200 * 2, 400);
    QPainter painter(&image);
    drawPerson(painter, 0, kRen, Face::Normal);
    drawPerson(painter, 200, kRen, Face::Smile);
    return image;
}

// The face shown in the message window: the girl's head on a soft round back.
QImage yuiFace() {
    QImage image = transparent(96, 96);
    QPainter painter(&image);
    smooth(painter);
    QRadialGradient back(48, 48, 48);
    back.setColorAt(0.0, QColor(255, 230, 240, 230));
    back.setColorAt(1.0, QColor(230, 170, 200, 200));
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2));
    painter.setBrush(back);
    painter.drawRoundedRect(QRectF(1, 1, 94, 94), 14, 14);
    painter.setClipRect(QRect(2, 2, 92, 92));
    painter.translate(-52, -44);
    painter.scale(1.0, 1.0);
    QImage whole = transparent(200, 400);
    {
        QPainter figure(&whole);
        drawPerson(figure, 0, kYui, Face::Smile);
    }
    painter.drawImage(QRectF(52 - 26, 44 - 22, 150, 300), whole);
    return image;
}

// The cat: four columns of the tail swinging, row 0 with open eyes, row 1 happy.
QImage cat() {
    constexpr int kCellW = 160;
    constexpr int kCellH = 140;
    QImage image = transparent(kCellW * 4, kCellH * 2);
    QPainter painter(&image);
    smooth(painter);
    const QColor fur(250, 240, 225);
    const QColor patch(230, 150, 70);
    const std::array<double, 4> swing{-30, -10, 10, -10};
    for (int row = 0; row < 2; ++row) {
        for (int column = 0; column < 4; ++column) {
            const QPointF base(column * kCellW + 80, row * kCellH + 0);
            painter.setPen(Qt::NoPen);
            // Tail, behind the body, swinging by the column.
            painter.save();
            painter.translate(base + QPointF(30, 118));
            painter.rotate(swing[static_cast<size_t>(column)]);
            QPainterPath tail;
            tail.moveTo(0, 0);
            tail.cubicTo(40, -10, 44, -50, 30, -80);
            painter.setPen(QPen(patch, 11, Qt::SolidLine, Qt::RoundCap));
            painter.setBrush(Qt::NoBrush);
            painter.drawPath(tail);
            painter.restore();
            painter.setPen(Qt::NoPen);
            painter.setBrush(fur);
            painter.drawEllipse(base + QPointF(0, 100), 40, 34);
            painter.setBrush(patch);
            painter.drawEllipse(base + QPointF(18, 94), 16, 18);
            painter.setBrush(fur);
            painter.drawEllipse(base + QPointF(-18, 128), 12, 8);
            painter.drawEllipse(base + QPointF(16, 128), 12, 8);
            // Head and ears.
            const QPointF head = base + QPointF(0, 54);
            painter.setBrush(fur);
            painter.drawPolygon(QPolygonF{head + QPointF(-34, -10), head + QPointF(-30, -44),
                                          head + QPointF(-8, -26)});
            painter.setBrush(patch);
            painter.drawPolygon(QPolygonF{head + QPointF(34, -10), head + QPointF(30, -44),
                                          head + QPointF(8, -26)});
            painter.setBrush(fur);
            painter.drawEllipse(head, 36, 30);
            painter.setBrush(patch);
            painter.drawChord(QRectF(head.x() - 4, head.y() - 30, 40, 40), 0, 90 * 16);
            if (row == 0) {
                painter.setBrush(QColor(60, 140, 90));
                painter.drawEllipse(head + QPointF(-13, -2), 5.5, 7);
                painter.drawEllipse(head + QPointF(13, -2), 5.5, 7);
                painter.setBrush(QColor(20, 20, 20));
                painter.drawEllipse(head + QPointF(-13, -1), 2, 5);
                painter.drawEllipse(head + QPointF(13, -1), 2, 5);
            } else {
                painter.setPen(QPen(QColor(60, 40, 40), 2.5, Qt::SolidLine, Qt::RoundCap));
                painter.setBrush(Qt::NoBrush);
                painter.drawArc(QRectF(head.x() - 19, head.y() - 6, 12, 10), 20 * 16, 140 * 16);
                painter.drawArc(QRectF(head.x() + 7, head.y() - 6, 12, 10), 20 * 16, 140 * 16);
                painter.setPen(Qt::NoPen);
                painter.setBrush(QColor(255, 150, 160, 150));
                painter.drawEllipse(head + QPointF(-22, 8), 6, 4);
                painter.drawEllipse(head + QPointF(22, 8), 6, 4);
            }
            painter.setPen(Qt::NoPen);
            painter.setBrush(QColor(240, 130, 140));
            painter.drawPolygon(
                QPolygonF{head + QPointF(-3, 6), head + QPointF(3, 6), head + QPointF(0, 10)});
            painter.setPen(QPen(QColor(90, 70, 70), 1.2));
            for (const int side : {-1, 1}) {
                painter.drawLine(head + QPointF(side * 10, 10), head + QPointF(side * 34, 6));
                painter.drawLine(head + QPointF(side * 10, 13), head + QPointF(side * 34, 15));
            }
            painter.drawArc(QRectF(head.x() - 7, head.y() + 6, 7, 6), 180 * 16, 180 * 16);
            painter.drawArc(QRectF(head.x(), head.y() + 6, 7, 6), 180 * 16, 180 * 16);
        }
    }
    return image;
}

// Fireflies over the whole screen; four rows, each a later moment of their blinking.
QImage fireflies() {
    constexpr int kRows = 4;
    QImage image = transparent(kWidth, kHeight * kRows);
    QPainter painter(&image);
    smooth(painter);
    Dice dice(61);
    struct Fly {
        QPointF at;
        double phase;
    };
    std::vector<Fly> flies;
    for (int i = 0; i < 28; ++i) {
        flies.push_back({QPointF(20 + dice.next(600), 40 + dice.next(300)), dice.unit()});
    }
    for (int row = 0; row < kRows; ++row) {
        for (const Fly& fly : flies) {
            const double brightness =
                0.15 + 0.85 * (0.5 + 0.5 * std::cos(2 * kPi * (fly.phase + row / double(kRows))));
            firefly(painter, fly.at + QPointF(0, row * kHeight + row * 3), brightness);
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Message window, back-log and choices

const QColor kNavy(24, 30, 70);
const QColor kGold(250, 210, 110);
const QColor kPale(225, 232, 255);

QImage windowBack() {
    QImage image = transparent(kWidth, 150);
    QPainter painter(&image);
    verticalGradient(painter, image.rect(),
                     {{0.0, QColor(30, 35, 80, 235)}, {1.0, QColor(10, 12, 35, 250)}});
    return image;
}

QImage windowFrame() {
    QImage image = transparent(624, 140);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(QColor(255, 255, 255, 200), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(2, 2, 620, 136), 12, 12);
    painter.setPen(QPen(QColor(250, 210, 110, 160), 1));
    painter.drawRoundedRect(QRectF(6, 6, 612, 128), 9, 9);
    return image;
}

// Cell rows of labelled plates; row 0 stays empty.
QImage plates(int width, int height, const std::vector<std::pair<QString, QColor>>& rows,
              int pixels) {
    QImage image = transparent(width, height * static_cast<int>(rows.size()));
    QPainter painter(&image);
    smooth(painter);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const auto& [text, colour] = rows[static_cast<size_t>(row)];
        if (text.isEmpty()) {
            continue;
        }
        const QRectF box(1, row * height + 1, width - 2, height - 2);
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0.0, colour.lighter(125));
        fill.setColorAt(1.0, colour);
        painter.setPen(QPen(QColor(255, 255, 255, 220), 1.5));
        painter.setBrush(fill);
        painter.drawRoundedRect(box, height / 2.5, height / 2.5);
        label(painter, text, box, font(pixels, true), Qt::white);
    }
    return image;
}

QImage namePlate() {
    return plates(140, 32,
                  {{QString(), Qt::transparent},
                   {QStringLiteral("ユイ"), QColor(210, 80, 120)},
                   {QStringLiteral("レン"), QColor(50, 100, 180)},
                   {QStringLiteral("ミィ"), QColor(220, 140, 60)}},
                  18);
}

QImage stateIndicator() {
    return plates(64, 20,
                  {{QString(), Qt::transparent},
                   {QStringLiteral("スキップ"), QColor(40, 150, 90)},
                   {QStringLiteral("オート"), QColor(220, 120, 40)}},
                  12);
}

// Four 16 x 16 cells: a small gold heart that beats.
QImage waitCursor() {
    QImage image = transparent(64, 16);
    QPainter painter(&image);
    smooth(painter);
    const std::array<double, 4> scale{0.75, 0.9, 1.0, 0.9};
    for (int cell = 0; cell < 4; ++cell) {
        painter.save();
        painter.translate(cell * 16 + 8, 8);
        painter.scale(scale[static_cast<size_t>(cell)], scale[static_cast<size_t>(cell)]);
        QPainterPath heart;
        heart.moveTo(0, 6);
        heart.cubicTo(-9, 0, -7, -8, 0, -4);
        heart.cubicTo(7, -8, 9, 0, 0, 6);
        painter.setPen(Qt::NoPen);
        painter.setBrush(kGold);
        painter.drawPath(heart);
        painter.restore();
    }
    return image;
}

// Rounded buttons, one row per state: fill, border and text colour.
struct ButtonLook {
    QColor fill;
    QColor border;
    QColor text;
};

const ButtonLook kNormal{QColor(36, 46, 100, 235), QColor(160, 175, 235), Qt::white};
const ButtonLook kPointed{QColor(250, 210, 110), Qt::white, QColor(40, 30, 60)};
const ButtonLook kPressed{QColor(220, 120, 70), QColor(255, 230, 200), Qt::white};
const ButtonLook kLocked{QColor(70, 72, 86, 220), QColor(110, 110, 124), QColor(140, 140, 150)};
const ButtonLook kCurrent{QColor(210, 80, 120), QColor(255, 210, 225), Qt::white};

QImage button(int width, int height, const QString& text, const std::vector<ButtonLook>& rows,
              int pixels) {
    QImage image = transparent(width, height * static_cast<int>(rows.size()));
    QPainter painter(&image);
    smooth(painter);
    for (int row = 0; row < static_cast<int>(rows.size()); ++row) {
        const ButtonLook& look = rows[static_cast<size_t>(row)];
        const QRectF box(1, row * height + 1, width - 2, height - 2);
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0.0, look.fill.lighter(118));
        fill.setColorAt(1.0, look.fill);
        painter.setPen(QPen(look.border, 1.2));
        painter.setBrush(fill);
        painter.drawRoundedRect(box, std::min(8.0, height / 3.0), std::min(8.0, height / 3.0));
        label(painter, text, box, font(pixels, true), look.text, QColor(0, 0, 0, 0));
    }
    return image;
}

QImage choiceFrame() {
    QImage image = transparent(400, 36 * 3);
    QPainter painter(&image);
    smooth(painter);
    const std::array<ButtonLook, 3> rows{
        ButtonLook{QColor(25, 30, 75, 225), QColor(200, 210, 255), Qt::white}, kPointed, kPressed};
    for (int row = 0; row < 3; ++row) {
        const QRectF box(2, row * 36 + 2, 396, 32);
        QLinearGradient fill(box.topLeft(), box.bottomLeft());
        fill.setColorAt(0.0, rows[static_cast<size_t>(row)].fill.lighter(120));
        fill.setColorAt(1.0, rows[static_cast<size_t>(row)].fill);
        painter.setPen(QPen(rows[static_cast<size_t>(row)].border, 2));
        painter.setBrush(fill);
        painter.drawRoundedRect(box, 14, 14);
    }
    return image;
}

QImage voiceButton() {
    QImage image = transparent(32, 64);
    QPainter painter(&image);
    smooth(painter);
    const std::array<ButtonLook, 2> rows{kNormal, kPointed};
    for (int row = 0; row < 2; ++row) {
        const double top = row * 32;
        const ButtonLook& look = rows[static_cast<size_t>(row)];
        painter.setPen(QPen(look.border, 1.2));
        painter.setBrush(look.fill);
        painter.drawEllipse(QRectF(1, top + 1, 30, 30));
        painter.setPen(Qt::NoPen);
        painter.setBrush(look.text);
        painter.drawRect(QRectF(8, top + 12, 5, 8));
        painter.drawPolygon(QPolygonF{QPointF(13, top + 12), QPointF(20, top + 6),
                                      QPointF(20, top + 26), QPointF(13, top + 20)});
        painter.setPen(QPen(look.text, 2));
        painter.setBrush(Qt::NoBrush);
        painter.drawArc(QRectF(18, top + 10, 8, 12), -60 * 16, 120 * 16);
    }
    return image;
}

QImage logBack() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(), {{0.0, QColor(16, 20, 48)}, {1.0, QColor(30, 22, 56)}});
    painter.setPen(QPen(QColor(255, 255, 255, 40), 1));
    for (int block = 0; block < 4; ++block) {
        painter.setBrush(QColor(255, 255, 255, 14));
        painter.drawRoundedRect(QRectF(24, 16 + block * 112, 552, 104), 10, 10);
    }
    painter.setBrush(QColor(255, 255, 255, 10));
    painter.drawRoundedRect(QRectF(582, 16, 52, 448), 10, 10);
    return image;
}

QImage rowsOf(int width, int height, const QString& text, int pixels) {
    return button(width, height, text, {kNormal, kPointed}, pixels);
}

// ---------------------------------------------------------------------------
// Title and logo

QImage logo() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(), {{0.0, QColor(12, 14, 34)}, {1.0, QColor(28, 22, 60)}});
    glow(painter, QPointF(320, 200), 170, QColor(120, 110, 220, 90));
    painter.setPen(QPen(kGold, 5));
    painter.setBrush(QColor(30, 34, 80));
    painter.drawEllipse(QPointF(320, 190), 70, 70);
    painter.setPen(QPen(kGold, 9, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPolyline(QPolygonF{QPointF(288, 160), QPointF(320, 226), QPointF(352, 160)});
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 240, 200));
    painter.drawEllipse(QPointF(352, 150), 5, 5);
    label(painter, QStringLiteral("Varo"), QRectF(0, 270, kWidth, 70), font(52, true), Qt::white,
          QColor(0, 0, 0, 0));
    label(painter, QStringLiteral("ビジュアルノベル・プレイヤー"), QRectF(0, 340, kWidth, 30),
          font(18), kPale, QColor(0, 0, 0, 0));
    return image;
}

QImage titleBack() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(),
                     {{0.0, QColor(40, 40, 110)},
                      {0.45, QColor(200, 110, 150)},
                      {0.7, QColor(255, 180, 130)},
                      {1.0, QColor(255, 210, 150)}});
    stars(painter, 50, kWidth, 150, 71);
    glow(painter, QPointF(180, 330), 180, QColor(255, 220, 160, 160));
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(90, 60, 110));
    painter.drawPath(hillPath(-100, 760, 300, 480, 860));
    painter.setBrush(QColor(50, 35, 70));
    painter.drawPath(hillPath(-120, 560, 360, 480, 680));
    tree(painter, QPointF(300, 380), 0.9, QColor(40, 25, 50), QColor(55, 35, 70),
         QColor(80, 50, 90));
    sittingPair(painter, QPointF(190, 404), QColor(45, 30, 60), QColor(40, 30, 60),
                QColor(45, 30, 60), QColor(40, 30, 60));
    label(painter, QStringLiteral("はじまりの丘"), QRectF(0, 46, kWidth, 80),
          font(56, true, "IPAPMincho"), QColor(255, 250, 235), QColor(60, 30, 80, 170));
    label(painter, QStringLiteral("Varo デモゲーム"), QRectF(0, 126, kWidth, 30), font(20, true),
          QColor(255, 235, 200), QColor(60, 30, 80, 150));
    return image;
}

QImage titleButton(const QString& text) {
    return button(160, 36, text, {kNormal, kPointed, kPressed}, 18);
}

// ---------------------------------------------------------------------------
// Rule masks: darker pixels change first.

QImage ruleWipe() {
    QImage image(kWidth, kHeight, QImage::Format_Grayscale8);
    for (int y = 0; y < kHeight; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            // A diagonal sweep from the left, with soft wavy edges.
            const double along = (x + y * 0.35) / (kWidth + kHeight * 0.35);
            const double wave = 0.03 * std::sin(y / 18.0);
            line[x] = static_cast<uchar>(std::clamp((along + wave) * 255.0, 0.0, 255.0));
        }
    }
    return image;
}

QImage ruleCircle() {
    QImage image(kWidth, kHeight, QImage::Format_Grayscale8);
    const double far = std::hypot(kWidth / 2.0, kHeight / 2.0);
    for (int y = 0; y < kHeight; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < kWidth; ++x) {
            const double distance = std::hypot(x - kWidth / 2.0, y - kHeight / 2.0) / far;
            line[x] = static_cast<uchar>(std::clamp(distance * 255.0, 0.0, 255.0));
        }
    }
    return image;
}

// ---------------------------------------------------------------------------
// Save/load screen

QImage slotScreen(QColor top, QColor bottom, const QString& title) {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(), {{0.0, top}, {1.0, bottom}});
    painter.fillRect(QRectF(0, 0, kWidth, 44), QColor(0, 0, 0, 70));
    painter.fillRect(QRectF(0, 44, kWidth, 2), QColor(250, 210, 110, 150));
    painter.fillRect(QRectF(0, 420, kWidth, 60), QColor(0, 0, 0, 70));
    label(painter, title, QRectF(20, 0, 400, 44), font(24, true), Qt::white, QColor(0, 0, 0, 120),
          Qt::AlignLeft | Qt::AlignVCenter);
    return image;
}

// The slot's frame, 300 x 110, two rows (normal, pointed), with a window at
// 8,10 of 120 x 90 through which the thumbnail below it shows.
QImage slotFrame() {
    constexpr int kRow = 110;
    QImage image = transparent(300, kRow * 2);
    QPainter painter(&image);
    smooth(painter);
    const std::array<std::pair<QColor, QColor>, 2> rows{{
        {QColor(30, 38, 90, 230), QColor(150, 165, 230)},
        {QColor(60, 70, 140, 235), kGold},
    }};
    for (int row = 0; row < 2; ++row) {
        const int top = row * kRow;
        painter.setPen(QPen(rows[static_cast<size_t>(row)].second, 2));
        painter.setBrush(rows[static_cast<size_t>(row)].first);
        painter.drawRoundedRect(QRectF(1, top + 1, 298, kRow - 2), 10, 10);
        painter.setPen(Qt::NoPen);
        painter.setBrush(rows[static_cast<size_t>(row)].second);
        painter.drawRect(QRectF(6, top + 8, 124, 94));
        painter.setCompositionMode(QPainter::CompositionMode_Clear);
        painter.drawRect(QRectF(8, top + 10, 120, 90));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    return image;
}

// ---------------------------------------------------------------------------
// Extras screen

QImage extrasBack() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(), {{0.0, QColor(30, 26, 70)}, {1.0, QColor(70, 40, 90)}});
    stars(painter, 60, kWidth, kHeight, 81);
    painter.fillRect(QRectF(0, 0, kWidth, 56), QColor(0, 0, 0, 80));
    painter.fillRect(QRectF(0, 424, kWidth, 56), QColor(0, 0, 0, 80));
    label(painter, QStringLiteral("おまけ"), QRectF(340, 0, 200, 56), font(24, true), kGold,
          QColor(0, 0, 0, 120));
    return image;
}

// A panel: the picture made small, twice; the second row has a gold frame.
QImage panel(const QImage& picture, int width, int height, const QString& caption) {
    QImage image = transparent(width, height * 2);
    QPainter painter(&image);
    smooth(painter);
    for (int row = 0; row < 2; ++row) {
        const QRectF box(2, row * height + 2, width - 4, height - 4);
        QPainterPath clip;
        clip.addRoundedRect(box, 8, 8);
        painter.setClipPath(clip);
        painter.drawImage(box, picture,
                          QRectF(0, 0, std::min(picture.width(), picture.height() * width / height),
                                 picture.height()));
        painter.fillRect(QRectF(box.left(), box.bottom() - 30, box.width(), 30),
                         QColor(0, 0, 0, 120));
        painter.setClipping(false);
        label(painter, caption, QRectF(box.left(), box.bottom() - 30, box.width(), 30),
              font(15, true), Qt::white, QColor(0, 0, 0, 0));
        painter.setPen(QPen(row == 0 ? QColor(220, 220, 240) : kGold, row == 0 ? 2 : 4));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(box, 8, 8);
    }
    return image;
}

QImage lockedPanel(int width, int height) {
    QImage picture = opaque(width, height, QColor(50, 50, 66));
    {
        QPainter painter(&picture);
        smooth(painter);
        painter.setPen(QPen(QColor(120, 120, 140), 4));
        painter.setBrush(Qt::NoBrush);
        const QPointF c(width / 2.0, height / 2.0 - 14);
        painter.drawArc(QRectF(c.x() - 14, c.y() - 26, 28, 34), 0, 180 * 16);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(120, 120, 140));
        painter.drawRoundedRect(QRectF(c.x() - 20, c.y() - 10, 40, 30), 4, 4);
    }
    return panel(picture, width, height, QStringLiteral("？？？"));
}

QImage trackPanel(QColor from, QColor to, const QString& title) {
    QImage picture = opaque(200, 100, Qt::black);
    {
        QPainter painter(&picture);
        smooth(painter);
        QLinearGradient fill(0, 0, 200, 100);
        fill.setColorAt(0.0, from);
        fill.setColorAt(1.0, to);
        painter.fillRect(picture.rect(), fill);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 255, 255, 180));
        painter.drawEllipse(QPointF(36, 40), 9, 7);
        painter.drawRect(QRectF(43, 12, 3, 28));
        painter.drawRect(QRectF(43, 12, 16, 4));
    }
    return panel(picture, 200, 100, title);
}

QImage percentCounter(int percent) {
    QImage image = transparent(72, 24);
    QPainter painter(&image);
    smooth(painter);
    painter.setPen(QPen(kGold, 1));
    painter.setBrush(QColor(0, 0, 0, 120));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 71, 23), 8, 8);
    label(painter, QString::number(percent) + QStringLiteral("％"), QRectF(0, 0, 72, 24),
          font(15, true), kGold, QColor(0, 0, 0, 0));
    return image;
}

// ---------------------------------------------------------------------------
// Ending roll

const QColor kEndingNight(8, 10, 32);

QImage endingBack() {
    QImage image = opaque(kWidth, kHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    // One flat night blue: the effect's opaque cards sit on the same colour.
    painter.fillRect(image.rect(), kEndingNight);
    stars(painter, 120, kWidth, kHeight, 91);
    return image;
}

QImage movieFrame(int frame);

constexpr int kCreditsHeight = 1500;
// The credits take the right part of the screen; the photo cards of the
// effect picture rise through the middle (x 256 to 352).
const QRectF kCreditsColumn(370, 0, 250, kCreditsHeight);

QImage endingCredits() {
    struct Block {
        const char* heading;
        const char* names;
    };
    const std::array<Block, 7> blocks{{
        {"出演", "ユイ\nレン\nミィ"},
        {"シナリオ", "Varo デモ制作班"},
        {"絵", "Qt の QPainter"},
        {"音楽・効果音", "SoX"},
        {"声", "eSpeak NG"},
        {"動画", "FFmpeg"},
        {"プレイヤー", "Varo"},
    }};
    QImage image = transparent(kWidth, kCreditsHeight);
    QPainter painter(&image);
    smooth(painter);
    const double left = kCreditsColumn.left();
    const double width = kCreditsColumn.width();
    label(painter, QStringLiteral("はじまりの丘"), QRectF(left, 40, width, 70),
          font(38, true, "IPAPMincho"), Qt::white, QColor(40, 20, 80, 160));
    int top = 200;
    for (const Block& block : blocks) {
        label(painter, QString::fromUtf8(block.heading), QRectF(left, top, width, 30),
              font(18, true), kGold, QColor(0, 0, 0, 120));
        const QString names = QString::fromUtf8(block.names);
        const int lines = static_cast<int>(names.count(QLatin1Char('\n'))) + 1;
        label(painter, names, QRectF(left, top + 34, width, 32 * lines), font(24), Qt::white,
              QColor(0, 0, 0, 120));
        top += 90 + 32 * lines;
    }
    label(painter, QStringLiteral("遊んでくれて、\nありがとう！"), QRectF(left, 1230, width, 90),
          font(28, true), Qt::white, QColor(40, 20, 80, 160));
    return image;
}

// Four photo cards of 96 x 240, one above the other: each pass of the roll
// shows the next. The roll draws this picture without a mask, so every pixel
// is opaque: a white card on the roll's night blue.
QImage endingEffect() {
    constexpr int kCell = kHeight / 2;
    QImage image = opaque(96, kCell * 4, kEndingNight);
    QPainter painter(&image);
    smooth(painter);
    QImage faces = transparent(200 * 3, 400);
    {
        QPainter figures(&faces);
        drawPerson(figures, 0, kYui, Face::Smile);
        drawPerson(figures, 200, kRen, Face::Smile);
    }
    const QImage mii = cat();
    const QImage fireworks = movieFrame(36);
    struct Card {
        QImage picture;
        QRectF source;
        QString caption;
    };
    const std::array<Card, 4> cards{{
        {faces, QRectF(30, 40, 140, 170), QStringLiteral("ユイ")},
        {faces, QRectF(230, 40, 140, 170), QStringLiteral("レン")},
        {mii, QRectF(10, 140, 140, 140), QStringLiteral("ミィ")},
        {fireworks, QRectF(60, 20, 160, 190), QStringLiteral("花火")},
    }};
    for (int cell = 0; cell < 4; ++cell) {
        const double top = cell * kCell + 40;
        const Card& card = cards[static_cast<size_t>(cell)];
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(250, 246, 235));
        painter.drawRect(QRectF(4, top, 88, 150));
        QLinearGradient sky(0, top + 6, 0, top + 116);
        sky.setColorAt(0.0, QColor(150, 200, 245));
        sky.setColorAt(1.0, QColor(255, 220, 200));
        painter.fillRect(QRectF(10, top + 6, 76, 110), sky);
        painter.drawImage(QRectF(10, top + 6, 76, 110), card.picture, card.source);
        label(painter, card.caption, QRectF(4, top + 118, 88, 30), font(15, true),
              QColor(60, 50, 70), QColor(0, 0, 0, 0));
    }
    return image;
}

// ---------------------------------------------------------------------------
// The movie: fireworks over the night town, 320 x 240, 15 pictures a second.

constexpr int kMovieWidth = 320;
constexpr int kMovieHeight = 240;
constexpr int kMovieFps = 15;
constexpr int kMovieFrames = 60;

struct Burst {
    double at;  // seconds
    QPointF centre;
    QColor colour;
};

// The same times as the bangs of the movie's sound (tools/make-demo-game).
const std::array<Burst, 5> kBursts{{{0.4, QPointF(110, 70), QColor(255, 120, 150)},
                                    {1.2, QPointF(220, 60), QColor(140, 220, 255)},
                                    {2.0, QPointF(160, 90), QColor(255, 220, 110)},
                                    {2.5, QPointF(70, 50), QColor(170, 255, 150)},
                                    {2.9, QPointF(250, 85), QColor(255, 160, 90)}}};

QImage movieFrame(int frame) {
    const double t = frame / double(kMovieFrames) * (kMovieFrames / double(kMovieFps));
    QImage image = opaque(kMovieWidth, kMovieHeight, Qt::black);
    QPainter painter(&image);
    smooth(painter);
    verticalGradient(painter, image.rect(), {{0.0, QColor(5, 8, 30)}, {1.0, QColor(30, 30, 70)}});
    stars(painter, 40, kMovieWidth, 160, 101);
    for (const Burst& burst : kBursts) {
        const double rise = burst.at - 0.35;
        if (t >= rise && t < burst.at) {
            const double k = (t - rise) / 0.35;
            const QPointF at(burst.centre.x(), 240 - (240 - burst.centre.y()) * k);
            glow(painter, at, 5, QColor(255, 240, 200, 220));
        }
        const double age = t - burst.at;
        if (age < 0 || age > 1.4) {
            continue;
        }
        const double fade = 1.0 - age / 1.4;
        QColor colour = burst.colour;
        glow(painter, burst.centre, 70 * (1 - fade * 0.5),
             QColor(colour.red(), colour.green(), colour.blue(), static_cast<int>(60 * fade)));
        for (int i = 0; i < 36; ++i) {
            const double angle = i * 2 * kPi / 36;
            const double speed = 55 + (i % 3) * 10;
            const QPointF p =
                burst.centre + QPointF(std::cos(angle) * speed * age,
                                       std::sin(angle) * speed * age + 18 * age * age);
            colour.setAlpha(static_cast<int>(255 * fade));
            painter.setPen(Qt::NoPen);
            painter.setBrush(colour);
            painter.drawEllipse(p, 1.8, 1.8);
            painter.setBrush(QColor(255, 255, 255, static_cast<int>(200 * fade)));
            painter.drawEllipse(p, 0.8, 0.8);
        }
    }
    // The town's roofs against the sky.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(10, 10, 20));
    Dice dice(111);
    for (double x = -10; x < kMovieWidth; x += 24 + dice.next(10)) {
        const double h = 20 + dice.next(26);
        const double w = 20 + dice.next(10);
        painter.drawRect(QRectF(x, kMovieHeight - h, w, h));
        painter.drawPolygon(QPolygonF{QPointF(x - 3, kMovieHeight - h),
                                      QPointF(x + w / 2, kMovieHeight - h - 10),
                                      QPointF(x + w + 3, kMovieHeight - h)});
        painter.setBrush(QColor(255, 220, 140));
        painter.drawRect(QRectF(x + 6, kMovieHeight - h + 8, 4, 5));
        painter.setBrush(QColor(10, 10, 20));
    }
    return image;
}

// ---------------------------------------------------------------------------
// Output

struct Picture {
    QString name;
    QImage image;
    const char* format;  // "PNG", or "JPG" for the large opaque pictures
};

std::vector<Picture> pictures() {
    std::vector<Picture> all{
        {"bg_hill", hillMorning(), "JPG"},
        {"bg_sea", seaSunset(), "JPG"},
        {"bg_forest", forestNight(), "JPG"},
        {"bg_night", nightHill(), "JPG"},
        {"cg_sea", seaEvent(), "JPG"},
        {"cg_forest", forestEvent(), "JPG"},
        {"cg_town", panorama(), "JPG"},
        {"st_yui_1", yui(), "PNG"},
        {"st_ren_1", ren(), "PNG"},
        {"st_mii_1", cat(), "PNG"},
        {"st_hotaru_1", fireflies(), "PNG"},
        {"face_yui", yuiFace(), "PNG"},
        {"wnd_back", windowBack(), "PNG"},
        {"wnd_frame", windowFrame(), "PNG"},
        {"wnd_nameplate", namePlate(), "PNG"},
        {"wnd_state", stateIndicator(), "PNG"},
        {"wnd_cursor", waitCursor(), "PNG"},
        {"novel_back", opaque(kWidth, kHeight, QColor(8, 10, 40)), "PNG"},
        {"choice_frame", choiceFrame(), "PNG"},
        {"btn_log", rowsOf(60, 18, QStringLiteral("ログ"), 12), "PNG"},
        {"btn_save", rowsOf(60, 18, QStringLiteral("Ｑセーブ"), 12), "PNG"},
        {"btn_load", rowsOf(60, 18, QStringLiteral("Ｑロード"), 12), "PNG"},
        {"btn_auto", rowsOf(60, 18, QStringLiteral("オート"), 12), "PNG"},
        {"btn_skip", rowsOf(60, 18, QStringLiteral("スキップ"), 12), "PNG"},
        {"log_back", logBack(), "PNG"},
        {"log_voice", voiceButton(), "PNG"},
        {"log_pageup", rowsOf(44, 20, QStringLiteral("≪"), 12), "PNG"},
        {"log_rollup", rowsOf(44, 20, QStringLiteral("▲"), 12), "PNG"},
        {"log_rolldown", rowsOf(44, 20, QStringLiteral("▼"), 12), "PNG"},
        {"log_pagedown", rowsOf(44, 20, QStringLiteral("≫"), 12), "PNG"},
        {"log_return", rowsOf(44, 20, QStringLiteral("戻る"), 12), "PNG"},
        {"ttl_logo", logo(), "JPG"},
        {"ttl_back", titleBack(), "JPG"},
        {"ttl_start", titleButton(QStringLiteral("はじめから")), "PNG"},
        {"ttl_qload", titleButton(QStringLiteral("つづきから")), "PNG"},
        {"ttl_load", titleButton(QStringLiteral("ロード")), "PNG"},
        {"ttl_omake", titleButton(QStringLiteral("おまけ")), "PNG"},
        {"ttl_exit", titleButton(QStringLiteral("おわる")), "PNG"},
        {"rule_wipe", ruleWipe(), "PNG"},
        {"rule_circle", ruleCircle(), "PNG"},
        {"sl_overlay",
         slotScreen(QColor(14, 20, 56), QColor(40, 24, 70), QStringLiteral("セーブ／ロード")),
         "PNG"},
        {"sl_back", slotScreen(QColor(20, 50, 60), QColor(30, 30, 70), QStringLiteral("ロード")),
         "PNG"},
        {"sl_slot", slotFrame(), "PNG"},
        {"sl_save",
         button(72, 24, QStringLiteral("セーブ"), {kNormal, kPointed, kPressed, kLocked}, 13),
         "PNG"},
        {"sl_load",
         button(72, 24, QStringLiteral("ロード"), {kNormal, kPointed, kPressed, kLocked}, 13),
         "PNG"},
        {"sl_return", button(80, 24, QStringLiteral("もどる"), {kNormal, kPointed, kPressed}, 13),
         "PNG"},
        {"sl_page1", button(56, 24, QStringLiteral("１"), {kNormal, kPointed, kCurrent}, 14),
         "PNG"},
        {"sl_page2", button(56, 24, QStringLiteral("２"), {kNormal, kPointed, kCurrent}, 14),
         "PNG"},
        {"sl_page3", button(56, 24, QStringLiteral("３"), {kNormal, kPointed, kCurrent}, 14),
         "PNG"},
        {"omk_back", extrasBack(), "PNG"},
        {"omk_cg", button(96, 24, QStringLiteral("ＣＧ"), {kNormal, kCurrent}, 14), "PNG"},
        {"omk_rep", button(96, 24, QStringLiteral("回想"), {kNormal, kCurrent}, 14), "PNG"},
        {"omk_snd", button(96, 24, QStringLiteral("音楽"), {kNormal, kCurrent}, 14), "PNG"},
        {"omk_ret", button(96, 24, QStringLiteral("もどる"), {kNormal, kCurrent}, 14), "PNG"},
        {"omk_page1", button(40, 24, QStringLiteral("１"), {kNormal, kCurrent}, 14), "PNG"},
        {"omk_page2", button(40, 24, QStringLiteral("２"), {kNormal, kCurrent}, 14), "PNG"},
        {"omk_sback", button(64, 24, QStringLiteral("前へ"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_splay", button(64, 24, QStringLiteral("再生"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_sstop", button(64, 24, QStringLiteral("停止"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_snext", button(64, 24, QStringLiteral("次へ"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_single", button(64, 24, QStringLiteral("一曲"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_all", button(64, 24, QStringLiteral("全曲"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_random", button(64, 24, QStringLiteral("ランダム"), {kNormal, kCurrent}, 13), "PNG"},
        {"omk_null", lockedPanel(200, 150), "PNG"},
        {"omk_thumb_sea", panel(seaEvent(), 200, 150, QStringLiteral("夕日の海")), "PNG"},
        {"omk_thumb_forest", panel(forestEvent(), 200, 150, QStringLiteral("蛍の森")), "PNG"},
        {"omk_thumb_town", panel(panorama(), 200, 150, QStringLiteral("朝の町")), "PNG"},
        {"omk_thumb_movie", panel(movieFrame(36), 200, 150, QStringLiteral("花火（動画）")), "PNG"},
        {"omk_rep_sea", panel(seaSunset(), 200, 150, QStringLiteral("海へ")), "PNG"},
        {"omk_rep_forest", panel(forestNight(), 200, 150, QStringLiteral("森へ")), "PNG"},
        {"omk_trk1",
         trackPanel(QColor(200, 110, 150), QColor(60, 50, 120), QStringLiteral("タイトル")), "PNG"},
        {"omk_trk2",
         trackPanel(QColor(120, 190, 240), QColor(90, 170, 100), QStringLiteral("朝の丘")), "PNG"},
        {"omk_trk3",
         trackPanel(QColor(250, 160, 110), QColor(80, 60, 140), QStringLiteral("夕日の海")), "PNG"},
        {"omk_trk4", trackPanel(QColor(30, 70, 80), QColor(150, 200, 90), QStringLiteral("蛍の森")),
         "PNG"},
        {"omk_trk5",
         trackPanel(QColor(20, 20, 60), QColor(120, 100, 200), QStringLiteral("星の夜")), "PNG"},
        {"end_back", endingBack(), "JPG"},
        {"end_credits", endingCredits(), "PNG"},
        {"end_effect", endingEffect(), "PNG"},
    };
    for (int percent = 0; percent <= 100; ++percent) {
        all.push_back({QStringLiteral("omk_pct_%1").arg(percent, 3, 10, QLatin1Char('0')),
                       percentCounter(percent), "PNG"});
    }
    return all;
}

bool save(const QImage& image, const QString& path, const char* format) {
    if (QByteArray(format) == "JPG") {
        return image.convertToFormat(QImage::Format_RGB32).save(path, "JPG", 90);
    }
    return image.save(path, "PNG");
}

bool fail(const QString& what) {
    std::fprintf(stderr, "make-demo-game-pictures: cannot write %s\n", qPrintable(what));
    return false;
}

bool writePictures(const QDir& images) {
    for (const Picture& picture : pictures()) {
        const QString path = images.filePath(picture.name + (QByteArray(picture.format) == "JPG"
                                                                 ? QStringLiteral(".jpg")
                                                                 : QStringLiteral(".png")));
        if (!save(picture.image, path, picture.format)) {
            return fail(path);
        }
    }
    return true;
}

bool writeFrames(const QDir& frames) {
    for (int frame = 0; frame < kMovieFrames; ++frame) {
        const QString path =
            frames.filePath(QStringLiteral("f%1.png").arg(frame, 3, 10, QLatin1Char('0')));
        if (!movieFrame(frame).save(path, "PNG")) {
            return fail(path);
        }
    }
    return true;
}

bool fontsPresent() {
    for (const char* family : {"IPAPGothic", "IPAPMincho"}) {
        if (!QFontDatabase::families().contains(QString::fromLatin1(family))) {
            std::fprintf(stderr, "make-demo-game-pictures: font %s missing (fonts-ipafont)\n",
                         family);
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-demo-game-pictures IMAGE_DIR FRAME_DIR\n");
        return 2;
    }
    const QDir images(QString::fromLocal8Bit(argv[1]));
    const QDir frames(QString::fromLocal8Bit(argv[2]));
    if (!images.exists() || !frames.exists()) {
        std::fprintf(stderr, "make-demo-game-pictures: missing folder\n");
        return 1;
    }
    return fontsPresent() && writePictures(images) && writeFrames(frames) ? 0 : 1;
}
