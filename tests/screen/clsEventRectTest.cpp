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

TEST(clsEventRectTest, StartsAsALeftClickAndHoverPointWithoutKeyOrFilm) {
    const clsEventRect rect(7);
    EXPECT_EQ(rect.ID(), 7);
    EXPECT_EQ(EdgesOf(rect), (Edges{0, 0, 0, 0}));
    EXPECT_EQ(rect.Type, 5);
    EXPECT_TRUE(rect.Enabled);
    EXPECT_EQ(rect.KB, -1);
    EXPECT_EQ(rect.FilmID, -1);
    EXPECT_TRUE(rect.Text1.isEmpty() && rect.Text2.isEmpty() && rect.Text3.isEmpty() &&
                rect.Text4.isEmpty());
}

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

TEST(clsEventRectTest, SetTypeAddsTheBitOfEachTrueArgument) {
    clsEventRect rect;
    EXPECT_EQ(rect.SetType(true, false, false, false).Type, 1);
    EXPECT_EQ(rect.SetType(false, true, false, false).Type, 4);
    EXPECT_EQ(rect.SetType(false, false, true, false).Type, 8);
    EXPECT_EQ(rect.SetType(false, false, false, true).Type, 2);
    EXPECT_EQ(rect.SetType(true, true, false, true).Type, 7);
    EXPECT_EQ(rect.SetType(false, false, false, false).Type, 0);
}

TEST(clsEventRectTest, SenseQueriesReadOneBitEach) {
    clsEventRect rect;
    for (const std::int32_t bit : {1, 2, 4, 8}) {
        rect.Type = bit;
        const std::array<bool, 4> senses{rect.IsLClickSense(), rect.IsRClickSese(),
                                         rect.IsPointSense(), rect.IsDClickSense()};
        EXPECT_EQ(senses, (std::array<bool, 4>{bit == 1, bit == 2, bit == 4, bit == 8})) << bit;
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
