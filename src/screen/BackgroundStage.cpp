#include "screen/BackgroundStage.h"

#include <QPoint>
#include <QSize>

#include "base/AppState.h"
#include "base/stdHelpers.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;
using ActProp = KestLibrary::ActProp;
using ActMethod = KestLibrary::ActMethod;
using Tok = KestLibrary::Tok;

}  // namespace

void BackgroundStage::Clear() {
    mName.clear();
    mX = mY = 0;
    mFillColor = 0;
}

bool BackgroundStage::BGFill(std::int32_t colour, std::int32_t duration) {
    KestLibrary& kest = mDriver.Library();
    const clsKestDriver::FilmId back = mDriver.FIDBack();
    if (back == clsKestDriver::kNoFilm) {
        return false;
    }
    const bool released = mDriver.DrawActivity();
    if (released) {
        mDriver.DrawDeactivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
    }
    const QPoint origin(0, 0);
    kest.SetFilmProp(back, FilmProp::SurfaceOrigin, origin);
    kest.SetFilmProp(back, FilmProp::SurfaceSize, mDriver.ScreenSize());
    kest.SetFilmProp(back, FilmProp::Size, mDriver.ScreenSize());
    kest.SetFilmProp(back, FilmProp::Position, origin);
    kest.CallFilmMethod(back, FilmMethod::FillPicture, colour);
    kest.CallFilmMethod(back, FilmMethod::PictureWritten);
    if (released) {
        mDriver.DrawActivate(clsKestDriver::kEffectFade, duration);
    }
    mName.clear();
    mFillColor = colour;
    App().PutLog(QStringLiteral("BG Fill to color'") +
                 stdHelpers::HexPad(static_cast<std::uint32_t>(colour), 8) + QStringLiteral("'"));
    return true;
}

bool BackgroundStage::SameView(const QString& name, std::int32_t x, std::int32_t y,
                               bool absolute) const {
    if (name != mName) {
        return false;
    }
    return absolute ? (x == mX && y == mY) : (x == 0 && y == 0);
}

bool BackgroundStage::BGCenter(const QString& name, std::int32_t x, std::int32_t y,
                               std::int32_t duration, bool absolute) {
    KestLibrary& kest = mDriver.Library();
    const clsKestDriver::FilmId back = mDriver.FIDBack();
    if (x == kCentre) {
        x = mDriver.ScreenSize().width() / 2;
    }
    if (y == kCentre) {
        y = mDriver.ScreenSize().height() / 2;
    }
    kest.ExeQueue();
    if (SameView(name, x, y, absolute)) {
        App().PutLog(QStringLiteral("BGCenter Command Same File And Pos"));
        return true;
    }
    if (!absolute) {
        x += mX;
        y += mY;
    }
    mX = x;
    mY = y;
    const bool released = mDriver.DrawActivity();
    if (released) {
        mDriver.DrawDeactivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
    }
    bool loaded = true;
    if (name != mName) {
        loaded = mDriver.LoadPng(back, name, false, true);
        App().PutLog(QStringLiteral("BGCenter Command Change to '") + name + QStringLiteral("'"));
    }
    QSize size(0, 0);
    kest.GetFilmProp(back, FilmProp::Size, size);
    if (!loaded) {
        App().PutLog(QStringLiteral("BGCenter Command Load Error '") + name + QStringLiteral("'"));
    } else {
        kest.SetFilmProp(back, FilmProp::Position,
                         QPoint(x - size.width() / 2, y - size.height() / 2));
        App().PutLog(QStringLiteral("BGCenter Command Move to (%1,%2)").arg(x).arg(y));
        mName = name;
    }
    if (released) {
        mDriver.DrawActivate(clsKestDriver::kEffectFade, duration);
    }
    return loaded;
}

bool BackgroundStage::BGMove(std::int32_t x, std::int32_t y, std::int32_t duration, bool absolute) {
    KestLibrary& kest = mDriver.Library();
    const clsKestDriver::FilmId back = mDriver.FIDBack();
    if (back == clsKestDriver::kNoFilm) {
        return false;
    }
    if (!mDriver.DrawActivity()) {
        duration = 0;
    }
    if (!absolute) {
        x += mX;
        y += mY;
    }
    mX = x;
    mY = y;
    QSize size(0, 0);
    kest.GetFilmProp(back, FilmProp::Size, size);
    const QPoint target(x - size.width() / 2, y - size.height() / 2);
    if (duration == 0) {
        kest.SetFilmProp(back, FilmProp::Position, target);
        kest.ExeQueue();
        return true;
    }
    const clsKestDriver::ActionId action =
        mDriver.AddActByParam({Tok::MovePoint, static_cast<std::int32_t>(FilmProp::Position),
                               target.x(), target.y(), duration, Tok::End});
    kest.SetActProp(action, ActProp::Target, back);
    kest.SetActProp(action, ActProp::TimeScale, clsKestDriver::kNormalTimeScale);
    kest.ExeQueue();
    kest.CallActMethod(action, ActMethod::Start);
    kest.ExeQueue();
    mDriver.WaitEnd(action);
    kest.WaitBlt();
    kest.RemoveAction(action);
    kest.ExeQueue();
    return true;
}
