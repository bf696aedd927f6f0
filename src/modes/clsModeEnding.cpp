#include "modes/clsModeEnding.h"

#include <QStringList>
#include <algorithm>
#include <vector>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "data/Configuration.h"
#include "modes/ModeHost.h"
#include "modes/clsModeGame.h"
#include "platform/Platform.h"
#include "platform/os/MsgBox.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmKind = KestLibrary::FilmKind;
using ActProp = KestLibrary::ActProp;
using ActMethod = KestLibrary::ActMethod;
using Tok = KestLibrary::Tok;

constexpr std::int32_t kCentre = BackgroundStage::kCentre;
constexpr std::int32_t kFullOpacity = clsKestDriver::kFullOpacity;
constexpr double kEffectLeft = 0.4;
constexpr std::int32_t kFinishTickMs = 1;

constexpr auto kPropY = static_cast<std::int32_t>(FilmProp::Y);

}  // namespace

clsModeEnding::clsModeEnding(ModeHost& varo) : clsModeBase(varo.GameView()), mVaro(varo) {}

clsModeEnding::~clsModeEnding() = default;

// ---------------------------------------------------------------------------
// Start and end

bool clsModeEnding::ModeStart(std::int32_t& subMode, const QVariant& argument) {
    mVaro.GameView().MenuEnableByText(QString());
    if (subMode == kSubRoll) {
        StartRoll(argument.toString());
        return true;
    }
    if (subMode != kSubIdle) {
        ShowMessage(QStringLiteral("不正なモード開始引数です。"));
    }
    return true;
}

// The roll's own finish removes its films; nothing is left to do here.
bool clsModeEnding::ModeEnd() {
    return false;
}

// The argument is "duration,background,credits picture,effect picture".
void clsModeEnding::StartRoll(const QString& argument) {
    const QStringList items = argument.split(QLatin1Char(','));
    const std::int32_t duration = Configuration::NumberOf(items.value(0).trimmed());
    const QString background = items.value(1).trimmed();
    const QString roll = items.value(2).trimmed();
    const QString effect = items.value(3).trimmed();

    mVaro.MakeAutoClickTimer(0, clsGameView::kCmdPrimary, nullptr);
    SetSubStatus(kRolling);
    clsGameView& view = mVaro.GameView();
    view.EvRects().Clear();
    view.SetEventEnabled(true);
    view.MenuEnableByText(QString());

    clsKestDriver& kest = mVaro.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectNone, 0);
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    kest.BGCenter(background, kCentre, kCentre, kBackgroundFadeMs, true);
    MakeEffect(effect, duration);
    MakeRoll(roll, duration);
    kest.EXEQ();
    kest.DrawActivate(clsKestDriver::kEffectNone, 0);

    KestLibrary& library = kest.Library();
    library.CallActMethod(mRollAction, ActMethod::Start);
    library.CallActMethod(mEffectAction, ActMethod::Start);

    // A roll shorter than one tick ends at its own time, not ten seconds on.
    const std::int32_t firstTick = std::max(kFinishTickMs, std::min(duration, kTickMs));
    mVaro.MakeAutoClickTimer(firstTick, clsGameView::kCmdPrimary, nullptr);
    mStartTime = Now();
    mDuration = duration;
}

// The effect picture enters from the bottom and leaves at the top four times,
// each pass showing its next cell row (cells are half the screen high).
void clsModeEnding::MakeEffect(const QString& file, std::int32_t duration) {
    if (file.isEmpty()) {
        return;
    }
    clsKestDriver& kest = mVaro.Kest();
    KestLibrary& library = kest.Library();
    const QSize screen(App().ScreenSizeX, App().ScreenSizeY);
    mEffectFilm = library.AddFilm(FilmKind::Group);
    library.SetFilmProp(mEffectFilm, FilmProp::Parent, kest.FIDBuff());
    library.SetFilmProp(mEffectFilm, FilmProp::Opacity, kFullOpacity);
    kest.LoadPng(mEffectFilm, file, false, true);
    library.SetFilmProp(mEffectFilm, FilmProp::CellHeight, screen.height() / 2);
    library.SetFilmProp(mEffectFilm, FilmProp::Position,
                        QPoint(static_cast<int>(screen.width() * kEffectLeft), screen.height()));

    const std::int32_t pass = duration / kEffectPasses;
    const std::int32_t top = -(screen.height() / 2);
    std::vector<std::int32_t> tokens;
    for (std::int32_t index = 0; index < kEffectPasses; ++index) {
        tokens.insert(tokens.end(), {Tok::MoveValue, kPropY, screen.height(), 0, Tok::MoveValue,
                                     kPropY, top, pass});
        tokens.push_back(index + 1 < kEffectPasses ? Tok::NextCellRows : Tok::End);
        if (index + 1 < kEffectPasses) {
            tokens.push_back(1);
        }
    }
    mEffectAction = kest.AddActByAry(tokens);
    library.SetActProp(mEffectAction, ActProp::Target, mEffectFilm);
}

// The credits picture, centred across, scrolls from below the screen until its
// bottom edge has left the top.
void clsModeEnding::MakeRoll(const QString& file, std::int32_t duration) {
    clsKestDriver& kest = mVaro.Kest();
    KestLibrary& library = kest.Library();
    const QSize screen(App().ScreenSizeX, App().ScreenSizeY);
    mRollFilm = library.AddFilm(FilmKind::Picture);
    library.SetFilmProp(mRollFilm, FilmProp::Parent, kest.FIDBuff());
    library.SetFilmProp(mRollFilm, FilmProp::Opacity, kFullOpacity);
    kest.LoadPng(mRollFilm, file, true, true);
    QSize size;
    library.GetFilmProp(mRollFilm, FilmProp::Size, size);
    library.SetFilmProp(mRollFilm, FilmProp::Position,
                        QPoint(screen.width() / 2 - size.width() / 2, screen.height()));
    mRollAction = kest.AddActByParam({Tok::MoveValue, kPropY, -size.height(), duration, Tok::End});
    library.SetActProp(mRollAction, ActProp::Target, mRollFilm);
}

// ---------------------------------------------------------------------------
// Commands

void clsModeEnding::mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) {
    if (mode != ModeHost::kModeEnding || mVaro.VaroMode() != ModeHost::kModeEnding ||
        SubStatus() != kRolling) {
        return;
    }
    if (rect != nullptr && !rect->TagName.isEmpty()) {
        return;
    }
    if (command == clsGameView::kCmdPrimary) {
        Tick();
    } else if (command == clsGameView::kCmdSecondary) {
        mVaro.MakeAutoClickTimer(0, clsGameView::kCmdPrimary, nullptr);
        FinishRoll();
    }
}

// A click or the timer: the roll goes on until its time is used up; the timer
// is armed again for the rest, at most one tick ahead.
void clsModeEnding::Tick() {
    // Unsigned subtraction keeps the elapsed time right across a counter wrap.
    const std::uint32_t elapsed = Now() - mStartTime;
    const qint64 remaining = static_cast<qint64>(mDuration) - static_cast<qint64>(elapsed);
    if (remaining > 0) {
        const auto next = static_cast<std::int32_t>(std::min<qint64>(remaining, kTickMs));
        mVaro.MakeAutoClickTimer(next, clsGameView::kCmdPrimary, nullptr);
        return;
    }
    mVaro.MakeAutoClickTimer(0, clsGameView::kCmdPrimary, nullptr);
    FinishRoll();
}

void clsModeEnding::FinishRoll() {
    SetSubStatus(0);
    clsKestDriver& kest = mVaro.Kest();
    KestLibrary& library = kest.Library();
    library.SetFilmProp(mRollFilm, FilmProp::Opacity, 0);
    library.CallActMethod(mRollAction, ActMethod::Stop);
    if (mEffectAction != KestLibrary::kNoAction) {
        library.SetFilmProp(mEffectFilm, FilmProp::Opacity, 0);
        library.CallActMethod(mEffectAction, ActMethod::Stop);
    }
    kest.DrawDeactivate(clsKestDriver::kEffectNone, kFinishFadeMs);
    library.RemoveAction(mRollAction);
    library.RemoveAction(mEffectAction);
    library.RemoveFilm(mRollFilm);
    library.RemoveFilm(mEffectFilm);
    mVaro.ChangeMode(ModeHost::kModeGame, clsModeGame::kSubAfterLoad);
    mVaro.MakeAutoClickTimer(kFinishTickMs, clsGameView::kCmdPrimary, nullptr);
}

// The clock as a wrapping 32-bit millisecond counter.
std::uint32_t clsModeEnding::Now() const {
    return App().platform != nullptr ? static_cast<std::uint32_t>(App().platform->clock().now())
                                     : 0U;
}
