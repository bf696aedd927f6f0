#pragma once

#include <QRect>
#include <QString>
#include <cstdint>

// A clickable area of the game screen: a rectangle with sense bits, a group name
// (TagName) with a number in the group (Tag), and values its owner reads back
// when it is hit. Both edges are part of the rectangle. IDs are given by the
// collection (clsEventRects::Add) and never change.
class clsEventRect {
public:
    // Sense bits of Type.
    static constexpr std::int32_t LeftClickBit = 1;
    static constexpr std::int32_t RightClickBit = 2;
    static constexpr std::int32_t PointBit = 4;
    static constexpr std::int32_t DoubleClickBit = 8;
    static constexpr std::int32_t NoFilm = -1;
    static constexpr std::int32_t NoKey = -1;

    explicit clsEventRect(std::int32_t id = 0) : mID(id) {}

    std::int32_t ID() const { return mID; }

    // Left := left; Top := top unless top is -1; Right := Left + width unless
    // width is -1; Bottom := Top + height unless height is -1.
    clsEventRect& Move(std::int32_t left, std::int32_t top, std::int32_t width,
                       std::int32_t height);
    // Right := Left + width, Bottom := Top + height.
    clsEventRect& size(std::int32_t width, std::int32_t height);
    // Moves onto a film's area (its position and film size, as the compositor
    // reports them) and remembers the film.
    clsEventRect& FitFilm(std::int32_t film, const QRect& filmArea);
    // Type := the bits of the arguments that are true.
    clsEventRect& SetType(bool leftClick, bool pointer, bool doubleClick, bool rightClick);

    bool IsLClickSense() const { return (Type & LeftClickBit) != 0; }
    bool IsRClickSese() const { return (Type & RightClickBit) != 0; }
    bool IsPointSense() const { return (Type & PointBit) != 0; }
    bool IsDClickSense() const { return (Type & DoubleClickBit) != 0; }

    // Enabled and the point lies within the rectangle, edges included.
    bool IsPntInRect(std::int32_t x, std::int32_t y) const;

    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
    std::int32_t Type = LeftClickBit | PointBit;
    std::int32_t Tag = 0;
    QString TagName;
    bool Enabled = true;
    std::int32_t KB = NoKey;
    std::int32_t FilmID = NoFilm;
    QString Text1;
    QString Text2;
    QString Text3;
    QString Text4;

private:
    std::int32_t mID;
};
