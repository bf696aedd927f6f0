// Draws Varo's application icon: the scalable SVG and a PNG per hicolor size, all
// from one description of the shapes, so they always show the same picture.
// tools/make-icon builds and runs it; run that script after a change.
//   make-icon-pictures ICON_THEME_DIR      (writes ICON_THEME_DIR/hicolor/...)
// The output is the same on every run.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QTextStream>
#include <cstdio>
#include <vector>

namespace {

// The icon is drawn on a 256 × 256 canvas and scaled to every size.
constexpr double kCanvas = 256.0;
const int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};

// One shape of the picture, in canvas units.
struct Shape {
    enum class Kind { RoundRect, Circle, Stroke, Polygon };
    Kind kind;
    std::vector<QPointF> points;  // RoundRect: two corners; Circle: the centre
    double size = 0;              // RoundRect: corner radius; Circle: radius; Stroke: width
    QColor fill;                  // Stroke: the line colour
    QColor gradientEnd;           // a top-to-bottom gradient when valid
};

// A story under the night sky: a moon, a "V" and the message window with its
// lines of text and the page cursor.
std::vector<Shape> picture() {
    const QColor ink(0x2f, 0x33, 0x7a);
    return {
        {Shape::Kind::RoundRect,
         {{16, 16}, {240, 240}},
         44,
         QColor(0x46, 0x4b, 0xa8),
         QColor(0x1b, 0x1d, 0x48)},
        {Shape::Kind::Circle, {{182, 70}}, 26, QColor(0xf6, 0xd8, 0x6b), {}},
        {Shape::Kind::Stroke, {{60, 50}, {102, 136}, {144, 50}}, 24, QColor(Qt::white), {}},
        {Shape::Kind::RoundRect, {{36, 156}, {220, 222}}, 16, QColor(0xf4, 0xf1, 0xe8), {}},
        {Shape::Kind::RoundRect, {{58, 174}, {172, 186}}, 6, ink, {}},
        {Shape::Kind::RoundRect, {{58, 194}, {134, 206}}, 6, ink, {}},
        {Shape::Kind::Polygon, {{186, 190}, {204, 190}, {195, 204}}, 0, ink, {}},
    };
}

// ---------------------------------------------------------------------------
// PNG

QBrush brushOf(const Shape& shape) {
    if (!shape.gradientEnd.isValid()) {
        return shape.fill;
    }
    QLinearGradient gradient(0, shape.points[0].y(), 0, shape.points[1].y());
    gradient.setColorAt(0, shape.fill);
    gradient.setColorAt(1, shape.gradientEnd);
    return gradient;
}

void paint(QPainter& painter, const Shape& shape) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(brushOf(shape));
    switch (shape.kind) {
        case Shape::Kind::RoundRect:
            painter.drawRoundedRect(QRectF(shape.points[0], shape.points[1]), shape.size,
                                    shape.size);
            break;
        case Shape::Kind::Circle:
            painter.drawEllipse(shape.points[0], shape.size, shape.size);
            break;
        case Shape::Kind::Stroke: {
            QPen pen(shape.fill, shape.size, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
            painter.setPen(pen);
            painter.setBrush(Qt::NoBrush);
            painter.drawPolyline(
                QPolygonF(QList<QPointF>(shape.points.begin(), shape.points.end())));
            break;
        }
        case Shape::Kind::Polygon:
            painter.drawPolygon(
                QPolygonF(QList<QPointF>(shape.points.begin(), shape.points.end())));
            break;
    }
}

QImage png(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kCanvas, size / kCanvas);
    for (const Shape& shape : picture()) {
        paint(painter, shape);
    }
    painter.end();
    return image;
}

// ---------------------------------------------------------------------------
// SVG

QString number(double value) {
    return QString::number(value, 'g', 6);
}

QString colour(const QColor& color) {
    return color.name(QColor::HexRgb);
}

QString pointList(const std::vector<QPointF>& points) {
    QStringList parts;
    for (const QPointF& point : points) {
        parts << number(point.x()) + QLatin1Char(',') + number(point.y());
    }
    return parts.join(QLatin1Char(' '));
}

QString svgElement(const Shape& shape, int index) {
    const std::vector<QPointF>& p = shape.points;
    const QString fill =
        shape.gradientEnd.isValid() ? QStringLiteral("url(#g%1)").arg(index) : colour(shape.fill);
    switch (shape.kind) {
        case Shape::Kind::RoundRect:
            return QStringLiteral(
                       "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" "
                       "fill=\"%6\"/>\n")
                .arg(number(p[0].x()), number(p[0].y()), number(p[1].x() - p[0].x()),
                     number(p[1].y() - p[0].y()), number(shape.size), fill);
        case Shape::Kind::Circle:
            return QStringLiteral("  <circle cx=\"%1\" cy=\"%2\" r=\"%3\" fill=\"%4\"/>\n")
                .arg(number(p[0].x()), number(p[0].y()), number(shape.size), fill);
        case Shape::Kind::Stroke:
            return QStringLiteral(
                       "  <polyline points=\"%1\" fill=\"none\" stroke=\"%2\" "
                       "stroke-width=\"%3\" stroke-linecap=\"round\" "
                       "stroke-linejoin=\"round\"/>\n")
                .arg(pointList(p), colour(shape.fill), number(shape.size));
        case Shape::Kind::Polygon:
            return QStringLiteral("  <polygon points=\"%1\" fill=\"%2\"/>\n")
                .arg(pointList(p), fill);
    }
    return QString();
}

QString svgGradient(const Shape& shape, int index) {
    return QStringLiteral(
               "    <linearGradient id=\"g%1\" x1=\"0\" y1=\"%2\" x2=\"0\" y2=\"%3\" "
               "gradientUnits=\"userSpaceOnUse\">\n"
               "      <stop offset=\"0\" stop-color=\"%4\"/>\n"
               "      <stop offset=\"1\" stop-color=\"%5\"/>\n"
               "    </linearGradient>\n")
        .arg(QString::number(index), number(shape.points[0].y()), number(shape.points[1].y()),
             colour(shape.fill), colour(shape.gradientEnd));
}

QString svg() {
    const std::vector<Shape> shapes = picture();
    QString defs;
    QString body;
    for (int i = 0; i < static_cast<int>(shapes.size()); ++i) {
        if (shapes[i].gradientEnd.isValid()) {
            defs += svgGradient(shapes[i], i);
        }
        body += svgElement(shapes[i], i);
    }
    return QStringLiteral(
               "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
               "viewBox=\"0 0 256 256\">\n"
               "  <title>Varo</title>\n"
               "  <defs>\n%1  </defs>\n%2</svg>\n")
        .arg(defs, body);
}

bool writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes) == bytes.size();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-icon-pictures ICON_THEME_DIR\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]) + QStringLiteral("/hicolor");
    bool written = writeFile(root + QStringLiteral("/scalable/apps/varo.svg"), svg().toUtf8());
    for (int size : kSizes) {
        const QString path = QStringLiteral("%1/%2x%2/apps/varo.png").arg(root).arg(size);
        QDir().mkpath(QFileInfo(path).absolutePath());
        written = png(size).save(path, "PNG") && written;
    }
    if (!written) {
        std::fprintf(stderr, "make-icon-pictures: cannot write under %s\n", argv[1]);
        return 1;
    }
    return 0;
}
