#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>
#include <QStringList>
#include <vector>

#include "GoldenImage.h"
#include "platform/kest/KestLibrary.h"
#include "platform/os/VirtualClock.h"

// A compositor on a virtual clock with a 64 x 48 root, collecting its log lines.
class KestScene {
public:
    using FilmId = KestLibrary::FilmId;
    using FilmProp = KestLibrary::FilmProp;
    using FilmMethod = KestLibrary::FilmMethod;

    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;

    explicit KestScene(QSize screen = QSize(kWidth, kHeight));

    VirtualClock clock;
    QStringList log;
    KestLibrary kest;
    FilmId root = KestLibrary::kNoFilm;

    // A film of `kind` below `parent` at `rect`, surface of the rect's size.
    FilmId addFilm(KestLibrary::FilmKind kind, FilmId parent, QRect rect);
    // A picture film filled with one colour.
    FilmId addPicture(FilmId parent, QRect rect, QColor color);
    // Draws the image into the film's surface at (0, 0) and marks it written.
    void drawInto(FilmId film, const QImage& image);
    // An action with the tokens, aimed at the film, time scale 1000.
    KestLibrary::ActionId addAction(FilmId target, const std::vector<qint32>& tokens);
    // WaitBlt, then the presented frame as straight ARGB32.
    QImage frame();
    QRgb pixel(int x, int y);
    bool logged(const QString& part) const;
};

// Compares with tests/kest/golden/NAME.png, each channel within `tolerance`.
// VARO_UPDATE_GOLDEN=1 rewrites the golden file instead. On a difference the
// actual picture is written to kest-actual/NAME.png next to the test program.
::testing::AssertionResult MatchesGolden(const QImage& actual, const QString& name,
                                         int tolerance = 0);
