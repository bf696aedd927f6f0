#include "GoldenImage.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdlib>
#include <string>

::testing::AssertionResult MatchesGoldenImage(const QImage& actual, const QString& area,
                                              const QString& name, int tolerance) {
    const QString goldenPath = QStringLiteral(VARO_SOURCE_DIR "/tests/") + area +
                               QStringLiteral("/golden/") + name + QStringLiteral(".png");
    const QImage straight = actual.convertToFormat(QImage::Format_ARGB32);
    if (qEnvironmentVariable("VARO_UPDATE_GOLDEN") == QLatin1String("1")) {
        straight.save(goldenPath, "PNG");
        return ::testing::AssertionSuccess() << "golden rewritten";
    }
    const QImage golden = QImage(goldenPath).convertToFormat(QImage::Format_ARGB32);
    int differing = 0;
    QPoint first;
    if (golden.size() != straight.size()) {
        differing = -1;
    } else {
        for (int y = 0; y < golden.height(); ++y) {
            for (int x = 0; x < golden.width(); ++x) {
                if (!NearColor(straight.pixel(x, y), golden.pixel(x, y), tolerance)) {
                    if (differing++ == 0) {
                        first = QPoint(x, y);
                    }
                }
            }
        }
    }
    if (differing == 0) {
        return ::testing::AssertionSuccess();
    }
    const QString folder = QCoreApplication::applicationDirPath() + QLatin1Char('/') + area +
                           QStringLiteral("-actual");
    QDir().mkpath(folder);
    const QString actualPath = folder + QLatin1Char('/') + name + QStringLiteral(".png");
    straight.save(actualPath, "PNG");
    return ::testing::AssertionFailure()
           << name.toStdString() << ": "
           << (differing < 0
                   ? std::string("missing golden or other size")
                   : std::to_string(differing) + " pixels differ, first at (" +
                         std::to_string(first.x()) + "," + std::to_string(first.y()) + ")")
           << "; actual written to " << actualPath.toStdString();
}

::testing::AssertionResult NearColor(QRgb actual, QRgb expected, int tolerance) {
    const bool near = std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
                      std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
                      std::abs(qBlue(actual) - qBlue(expected)) <= tolerance &&
                      std::abs(qAlpha(actual) - qAlpha(expected)) <= tolerance;
    if (near) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << "colour " << QColor::fromRgba(actual).name(QColor::HexArgb).toStdString()
           << " is not within " << tolerance << " of "
           << QColor::fromRgba(expected).name(QColor::HexArgb).toStdString();
}

int DifferingPixels(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return -1;
    }
    int differing = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            differing += a.pixel(x, y) != b.pixel(x, y) ? 1 : 0;
        }
    }
    return differing;
}
