#include <gtest/gtest.h>

#include <array>
#include <limits>

#include "screen/clsEventRect.h"

namespace {

using Edges = std::array<std::int32_t, 4>;

Edges EdgesOf(const clsEventRect& rect) {
    return {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

}  // namespace

TEST(clsEventRectTest, MoveSetsTheFarEdgesFromWidthAndHeight) {
    clsEventRect rect;
    rect.Move(10, 20, 30, 40);
    EXPECT_EQ(EdgesOf(rect), (Edges{10, 20, 40, 60}));
}

TEST(clsEventRectTest, MoveKeepsWhatIsGivenAsMinusOne) {
    clsEventRect rect;
    rect.Move(10, 20, 30, 40);
    rect.Move(100, -1, -1, -1);
    EXPECT_EQ(EdgesOf(rect), (Edges{100, 20, 40, 60}));
    // A kept top still anchors a new height; the left always moves.
    rect.Move(-1, -1, 5, 6);
    EXPECT_EQ(EdgesOf(rect), (Edges{-1, 20, 4, 26}));
}

TEST(clsEventRectTest, SizeMeasuresFromTheCurrentCorner) {
    clsEventRect rect;
    rect.Move(10, 20, 1, 1).size(64, 32);
    EXPECT_EQ(EdgesOf(rect), (Edges{10, 20, 74, 52}));
}

TEST(clsEventRectTest, FarEdgesStopAtTheLimitsOf32Bits) {
    constexpr std::int32_t max = std::numeric_limits<std::int32_t>::max();
    clsEventRect rect;
    rect.Move(max - 5, max - 1, 100, 100);
    EXPECT_EQ(EdgesOf(rect), (Edges{max - 5, max - 1, max, max}));
}

TEST(clsEventRectTest, FitFilmTakesTheFilmAreaAndRemembersTheFilm) {
    clsEventRect rect;
    rect.FitFilm(0x2a, QRect(10, 20, 64, 32));
    EXPECT_EQ(EdgesOf(rect), (Edges{10, 20, 74, 52}));
    EXPECT_EQ(rect.FilmID, 0x2a);
}

TEST(clsEventRectTest, SetTypeTurnsOnExactlyTheSensesAskedFor) {
    clsEventRect rect;
    for (int asked = 0; asked < 16; ++asked) {
        const bool left = (asked & 1) != 0;
        const bool pointer = (asked & 2) != 0;
        const bool twice = (asked & 4) != 0;
        const bool right = (asked & 8) != 0;
        rect.SetType(left, pointer, twice, right);
        const std::array<bool, 4> senses{rect.IsLClickSense(), rect.IsPointSense(),
                                         rect.IsDClickSense(), rect.IsRClickSese()};
        EXPECT_EQ(senses, (std::array<bool, 4>{left, pointer, twice, right})) << asked;
    }
}

TEST(clsEventRectTest, EveryEdgeIsInsideAndOnePixelBeyondIsNot) {
    clsEventRect rect;
    rect.Move(10, 20, 30, 40);
    for (const auto& [x, y] : {std::pair{10, 20}, {40, 20}, {10, 60}, {40, 60}, {25, 40}}) {
        EXPECT_TRUE(rect.IsPntInRect(x, y)) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{9, 30}, {41, 30}, {20, 19}, {20, 61}}) {
        EXPECT_FALSE(rect.IsPntInRect(x, y)) << x << "," << y;
    }
}

TEST(clsEventRectTest, ADisabledRectangleHoldsNoPoint) {
    clsEventRect rect;
    rect.Move(0, 0, 10, 10);
    rect.Enabled = false;
    EXPECT_FALSE(rect.IsPntInRect(5, 5));
}
