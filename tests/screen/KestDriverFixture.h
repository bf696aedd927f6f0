#pragma once

#include <gtest/gtest.h>

#include <QImage>
#include <QPoint>
#include <QString>
#include <memory>

#include "OskaTestArchives.h"
#include "TestSupport.h"
#include "app/clsLaunch.h"
#include "base/AppState.h"
#include "data/INIFile.h"
#include "platform/Platform.h"
#include "platform/os/VirtualClock.h"
#include "screen/clsEventRects.h"
#include "screen/clsKestDriver.h"

// A screen driver on a virtual clock with a 64 x 48 screen, in picture-file
// mode with the image folder in a temporary game folder; log lines are kept.
class KestDriverFixture : public ::testing::Test {
protected:
    using FilmId = clsKestDriver::FilmId;
    using FilmKind = KestLibrary::FilmKind;
    using FilmProp = KestLibrary::FilmProp;
    using Fixed = clsKestDriver::FixedAction;

    static constexpr int kWidth = 64;
    static constexpr int kHeight = 48;
    // Colours as the screen takes them (0x00BBGGRR).
    static constexpr qint32 kRed = 0x0000FF;
    static constexpr qint32 kBlue = 0xFF0000;

    void SetUp() override {
        savedPlatform = App().platform;
        App().AppDir = dir.path();
        App().ResetSwitchesAndFolders();
        App().CGFileMode = true;
        App().platform = &platform;
        App().Launcher = &launcher;
        driver = std::make_unique<clsKestDriver>(rects);
        ASSERT_TRUE(driver->Init(QSize(kWidth, kHeight), &gamemode));
    }

    void TearDown() override {
        driver.reset();
        App().Launcher = nullptr;
        App().Archives = nullptr;
        App().EngineClosing = false;
        App().platform = savedPlatform;
        App().ResetSwitchesAndFolders();
    }

    VirtualClock& clock() { return static_cast<VirtualClock&>(platform.clock()); }
    KestLibrary& kest() { return driver->Library(); }

    void picture(const QString& name, const QImage& image, const char* format) {
        dir.write(QStringLiteral("image/") + name, oskatest::encoded(image, format));
    }
    static QImage filled(int width, int height, QColor colour) {
        QImage image(width, height, QImage::Format_ARGB32);
        image.fill(colour);
        return image;
    }
    // A greyscale picture, black on the left half and white on the right.
    static QImage halves(int width, int height) {
        QImage image(width, height, QImage::Format_Grayscale8);
        image.fill(0);
        for (int y = 0; y < height; ++y) {
            std::fill_n(image.scanLine(y) + width / 2, width - width / 2, 255);
        }
        return image;
    }

    // The film set 1 scene with the background filled with one colour.
    void basicScene(qint32 colour) {
        driver->SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
        fillBack(colour);
    }
    void fillBack(qint32 colour) { driver->LoadLogicalPic(driver->FIDBack(), 0, colour); }

    QRgb pixel(int x, int y) {
        kest().WaitBlt();
        return kest().PresentedFrame().pixel(x, y);
    }
    // The presented pixel `ms` from now, read while a wait pumps the clock.
    void sampleAt(int ms, QPoint at, QRgb& out) {
        clock().startTimer(ms, [this, at, &out] { out = kest().PresentedFrame().pixel(at); });
    }

    qint32 intProp(FilmId film, FilmProp prop) {
        qint32 value = -12345;
        kest().GetFilmProp(film, prop, value);
        return value;
    }
    QSize sizeProp(FilmId film, FilmProp prop) {
        QSize value(-1, -1);
        kest().GetFilmProp(film, prop, value);
        return value;
    }
    QImage surface(FilmId film, FilmProp prop) {
        KestDc dc;
        if (!kest().GetFilmProp(film, prop, dc) || kest().Surface(dc) == nullptr) {
            return QImage();
        }
        return *kest().Surface(dc);
    }
    qint32 actionTarget(Fixed which) {
        qint32 target = -12345;
        kest().GetActProp(driver->Action(which), KestLibrary::ActProp::Target, target);
        return target;
    }
    bool logged(const QString& line) { return launcher.Log().Log().contains(line); }

    TempFolder dir;
    Platform platform{std::make_unique<VirtualClock>(), nullptr};
    clsLaunch launcher;
    clsEventRects rects;
    INIFile gamemode;
    std::unique_ptr<clsKestDriver> driver;
    Platform* savedPlatform = nullptr;
};

// Each colour channel within `tolerance`.
inline bool NearColour(QRgb actual, QRgb expected, int tolerance) {
    return std::abs(qRed(actual) - qRed(expected)) <= tolerance &&
           std::abs(qGreen(actual) - qGreen(expected)) <= tolerance &&
           std::abs(qBlue(actual) - qBlue(expected)) <= tolerance;
}
