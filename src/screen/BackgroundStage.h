#pragma once

#include <QString>
#include <cstdint>

class clsKestDriver;

// The background of the scene: one picture film (the driver's FIDBack) placed
// by its centre, or filled with one colour.
class BackgroundStage {
public:
    // Stands for "the middle of the screen" in BGCenter.
    static constexpr std::int32_t kCentre = -999999;

    explicit BackgroundStage(clsKestDriver& driver) : mDriver(driver) {}

    // Forgets the picture, centre and colour (a new film set).
    void Clear();

    // The whole background becomes one colour (0x00BBGGRR). False without a
    // background film.
    bool BGFill(std::int32_t colour, std::int32_t duration);
    // Shows the picture with its centre at (x, y), or moves it by (x, y)
    // without `absolute`. False when the picture could not be loaded.
    bool BGCenter(const QString& name, std::int32_t x, std::int32_t y, std::int32_t duration,
                  bool absolute);
    // Moves the background's centre to (x, y), or by (x, y) without `absolute`.
    // False without a background film.
    bool BGMove(std::int32_t x, std::int32_t y, std::int32_t duration, bool absolute);

    const QString& BGName() const { return mName; }
    std::int32_t BGX() const { return mX; }
    std::int32_t BGY() const { return mY; }
    std::int32_t BGFillColor() const { return mFillColor; }

private:
    bool SameView(const QString& name, std::int32_t x, std::int32_t y, bool absolute) const;

    clsKestDriver& mDriver;
    QString mName;
    std::int32_t mX = 0;
    std::int32_t mY = 0;
    std::int32_t mFillColor = 0;
};
