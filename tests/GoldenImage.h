#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QString>

// Compares with tests/AREA/golden/NAME.png, each channel within `tolerance`.
// VARO_UPDATE_GOLDEN=1 rewrites the golden file instead. On a difference the
// actual picture is written to AREA-actual/NAME.png next to the test program.
::testing::AssertionResult MatchesGoldenImage(const QImage& actual, const QString& area,
                                              const QString& name, int tolerance = 0);

// Each channel of `actual` within `tolerance` of `expected`.
::testing::AssertionResult NearColor(QRgb actual, QRgb expected, int tolerance = 2);

// How many pixels of two pictures differ; -1 when their sizes differ.
int DifferingPixels(const QImage& a, const QImage& b);
