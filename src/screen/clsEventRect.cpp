#include "screen/clsEventRect.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int32_t Unchanged = -1;

// Edge + extent, held to 32 bits instead of overflowing.
std::int32_t Extend(std::int32_t edge, std::int32_t extent) {
    const std::int64_t sum = std::int64_t{edge} + extent;
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        sum, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

clsEventRect& clsEventRect::Move(std::int32_t left, std::int32_t top, std::int32_t width,
                                 std::int32_t height) {
    Left = left;
    if (top != Unchanged) {
        Top = top;
    }
    if (width != Unchanged) {
        Right = Extend(Left, width);
    }
    if (height != Unchanged) {
        Bottom = Extend(Top, height);
    }
    return *this;
}

clsEventRect& clsEventRect::size(std::int32_t width, std::int32_t height) {
    Right = Extend(Left, width);
    Bottom = Extend(Top, height);
    return *this;
}

clsEventRect& clsEventRect::FitFilm(std::int32_t film, const QRect& filmArea) {
    Move(filmArea.x(), filmArea.y(), filmArea.width(), filmArea.height());
    FilmID = film;
    return *this;
}

clsEventRect& clsEventRect::SetType(bool leftClick, bool pointer, bool doubleClick,
                                    bool rightClick) {
    Type = (leftClick ? LeftClickBit : 0) | (pointer ? PointBit : 0) |
           (doubleClick ? DoubleClickBit : 0) | (rightClick ? RightClickBit : 0);
    return *this;
}

bool clsEventRect::IsPntInRect(std::int32_t x, std::int32_t y) const {
    return Enabled && Left <= x && x <= Right && Top <= y && y <= Bottom;
}
