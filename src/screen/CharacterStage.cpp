#include "screen/CharacterStage.h"

#include <QPoint>
#include <QSize>
#include <algorithm>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;
using ActProp = KestLibrary::ActProp;
using ActMethod = KestLibrary::ActMethod;
using Tok = KestLibrary::Tok;

constexpr std::int32_t kHiddenX = -5000;
constexpr std::int32_t kEndOfList = -1;
constexpr std::int32_t kAvoidShift = 5000;

std::int32_t Code(FilmProp prop) {
    return static_cast<std::int32_t>(prop);
}

}  // namespace

void CharacterStage::Clear() {
    mSlots.fill(Slot{});
}

void CharacterStage::Adopt(int index, FilmId film, ActionId action) {
    if (index < 0 || index >= kSlots) {
        return;
    }
    Slot& slot = SlotAt(index);
    slot = Slot{};
    slot.film = film;
    slot.action = action;
}

CharacterStage::FilmId CharacterStage::Film(int index) const {
    return index >= 0 && index < kSlots ? At(index).film : KestLibrary::kNoFilm;
}

bool CharacterStage::Ready() const {
    return mDriver.BaseFilmSet() != clsKestDriver::kFilmSetBasic &&
           At(0).film != KestLibrary::kNoFilm;
}

// Film set 1 has no characters by design; any other film set without their
// films cannot show them.
bool CharacterStage::ResultWithoutFilms() const {
    return mDriver.BaseFilmSet() == clsKestDriver::kFilmSetBasic;
}

bool CharacterStage::LookUp(const QString& key, int& index) const {
    index = -1;
    if (!Ready()) {
        return false;
    }
    index = FindChar(key, false);
    return true;
}

template <typename Action>
bool CharacterStage::OnSlot(const QString& key, Action action) {
    int index = -1;
    if (!LookUp(key, index)) {
        return ResultWithoutFilms();
    }
    if (index >= 0) {
        action(index);
    }
    return true;
}

// ---------------------------------------------------------------------------
// Lookup

QString CharacterStage::FileToCID(const QString& file) {
    const QStringList parts = file.toLower().split(QLatin1Char('_'));
    if (parts.size() >= 3 && parts[0] == QStringLiteral("st")) {
        return parts[1];
    }
    return QString();
}

int CharacterStage::FindChar(const QString& key, bool includeHidden) const {
    if (key == QStringLiteral("?")) {
        return -1;
    }
    for (int i = 0; i < kSlots; ++i) {
        if ((includeHidden || At(i).Visible) && At(i).CID == key) {
            return i;
        }
    }
    for (int i = 0; i < kSlots; ++i) {
        if ((includeHidden || At(i).Visible) && At(i).File == key) {
            return i;
        }
    }
    return -1;
}

int CharacterStage::VisibleSlot(const QString& key) const {
    return Ready() ? FindChar(key, false) : -1;
}

int CharacterStage::FirstWithFile(const QString& file) const {
    for (int i = 0; i < kSlots; ++i) {
        if (At(i).File == file) {
            return i;
        }
    }
    return -1;
}

QString CharacterStage::GetCharLocation(const QString& key) const {
    const int index = FindChar(key, false);
    if (index < 0) {
        return QString();
    }
    const Slot& slot = At(index);
    return QStringLiteral("%1,%2,%3,%4").arg(slot.X).arg(slot.Y).arg(slot.W).arg(slot.H);
}

std::int32_t CharacterStage::GetCharXPos(const QString& key) const {
    const int index = FindChar(key, false);
    return index < 0 ? kUnknownXPos : At(index).X;
}

CharacterStage::FilmId CharacterStage::GetCharFilmID(const QString& key) const {
    const int index = FindChar(key, false);
    return index < 0 ? KestLibrary::kNoFilm : At(index).film;
}

bool CharacterStage::CGTempVisible(const QString& key) const {
    const int index = FindChar(key, false);
    return index >= 0 && At(index).TempVisible;
}

void CharacterStage::CGTempVisible(const QString& key, bool visible) {
    const int index = VisibleSlot(key);
    if (index < 0) {
        return;
    }
    SlotAt(index).TempVisible = visible;
    FilmAvoid(At(index).film, visible);
}

// Hiding moves the film 5000 to the right, showing moves it back.
void CharacterStage::FilmAvoid(FilmId film, bool visible) {
    KestLibrary& kest = mDriver.Library();
    std::int32_t x = 0;
    kest.GetFilmProp(film, FilmProp::X, x);
    if (!visible && x < kAvoidShift) {
        x += kAvoidShift;
    } else if (visible && x >= kAvoidShift) {
        x -= kAvoidShift;
    }
    kest.SetFilmProp(film, FilmProp::X, x);
}

// ---------------------------------------------------------------------------
// Showing a picture

bool CharacterStage::CGChange(const QString& file, std::int32_t x, std::int32_t y, std::int32_t w,
                              std::int32_t h, std::int32_t duration) {
    if (!Ready()) {
        return ResultWithoutFilms();
    }
    // Checked before any slot moves, so a picture that cannot be shown leaves
    // the scene and the slots as they are.
    if (NeedsLoad(file) && !mDriver.ProbePicture(file)) {
        App().PutLog(QStringLiteral("CG Command Load Error '") + file + QStringLiteral("'"));
        return false;
    }
    const bool released = mDriver.DrawActivity();
    if (released) {
        mDriver.DrawDeactivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
    }
    // The picture itself shown again is no conflict: it is moved or kept.
    const QString cid = FileToCID(file);
    const int conflict = cid.isEmpty() ? -1 : FindChar(cid, false);
    if (conflict >= 0 && At(conflict).File != file) {
        App().PutLog(QStringLiteral("(CID Conflict)"));
        CGHide(At(conflict).File, 0);
    }
    bool mustLoad = true;
    if (!BringToFront(file, x, y, released, mustLoad)) {
        return true;
    }
    const bool loaded = !mustLoad || LoadIntoFront(file, w, h);
    if (loaded) {
        ShowInFront(file, x, y);
    } else {
        AbandonFront(file);
    }
    if (released) {
        mDriver.DrawActivate(clsKestDriver::kEffectFade, duration);
    }
    return loaded;
}

bool CharacterStage::NeedsLoad(const QString& file) const {
    const int found = FirstWithFile(file);
    return found < 0 || At(found).BlendColor != mCharBlendColor;
}

void CharacterStage::ShowInFront(const QString& file, std::int32_t x, std::int32_t y) {
    KestLibrary& kest = mDriver.Library();
    Slot& front = SlotAt(0);
    front.CID = FileToCID(file);
    front.File = file;
    front.Visible = true;
    // On screen it is shown, until the game mode hides it with the message window.
    front.TempVisible = true;
    front.X = x;
    front.Y = y;
    kest.SetFilmProp(front.film, FilmProp::Position, QPoint(x - front.W / 2, y - front.H / 2));
    kest.SetFilmProp(front.film, FilmProp::Opacity, clsKestDriver::kFullOpacity);
    front.Alpha = clsKestDriver::kFullOpacity;
    kest.CallFilmMethod(front.film, FilmMethod::PictureWritten);
    kest.CallFilmMethod(mDriver.FIDBuff(), FilmMethod::ChildrenChanged);
    kest.ExeQueue();
    App().PutLog(QStringLiteral("CG Command "));
    LogChCondition();
}

// Only when the picture went away after it was checked: the slot must not
// show what its film held before.
void CharacterStage::AbandonFront(const QString& file) {
    App().PutLog(QStringLiteral("CG Command Load Error '") + file + QStringLiteral("'"));
    Slot& front = SlotAt(0);
    front.File.clear();
    front.CID.clear();
    HideSlot(0);
}

bool CharacterStage::BringToFront(const QString& file, std::int32_t x, std::int32_t y,
                                  bool released, bool& mustLoad) {
    const int found = FirstWithFile(file);
    if (found == 0) {
        const Slot& front = At(0);
        if (front.Visible && front.X == x && front.Y == y && front.BlendColor == mCharBlendColor) {
            App().PutLog(QStringLiteral("CGH Command:No Operation"));
            if (released) {
                mDriver.DrawActivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
            }
            return false;
        }
    } else if (found > 0) {
        MoveToFront(found);
    } else {
        const int last = kSlots - 1;
        if (At(last).Visible) {
            App().PutLog(QStringLiteral("CG Command Alarm:Buff is Filled"));
            CGHide(At(last).File, 0);
        }
        MoveToFront(last);
        mustLoad = true;
        return true;
    }
    mustLoad = At(0).BlendColor != mCharBlendColor;
    return true;
}

bool CharacterStage::LoadIntoFront(const QString& file, std::int32_t w, std::int32_t h) {
    KestLibrary& kest = mDriver.Library();
    Slot& front = SlotAt(0);
    if (!mDriver.LoadPng(front.film, file, true, true)) {
        return false;
    }
    front.naturalSize = w == kNaturalSize && h == kNaturalSize;
    if (front.naturalSize) {
        kest.CallFilmMethod(front.film, FilmMethod::NaturalSize);
    }
    if (mCharBlendColor != 0) {
        kest.CallFilmMethod(front.film, FilmMethod::Tint, mCharBlendColor);
    }
    front.BlendColor = mCharBlendColor;
    QSize size(0, 0);
    kest.GetFilmProp(front.film, FilmProp::Size, size);
    front.W = w == kNaturalSize ? size.width() : w;
    front.H = h == kNaturalSize ? size.height() : h;
    if (!front.naturalSize) {
        kest.SetFilmProp(front.film, FilmProp::Size, QSize(front.W, front.H));
    }
    front.column = front.row = 0;
    kest.SetFilmProp(front.film, FilmProp::CellColumn, 0);
    kest.SetFilmProp(front.film, FilmProp::CellRow, 0);
    return true;
}

// ---------------------------------------------------------------------------
// Cells, hiding, opacity and movement

bool CharacterStage::CGFlip(const QString& key, std::int32_t column, std::int32_t row) {
    return OnSlot(key, [&](int index) {
        Slot& slot = SlotAt(index);
        KestLibrary& kest = mDriver.Library();
        if (column != -1) {
            slot.column = column;
            kest.SetFilmProp(slot.film, FilmProp::CellColumn, column);
        }
        if (row != -1) {
            slot.row = row;
            kest.SetFilmProp(slot.film, FilmProp::CellRow, row);
        }
        kest.ExeQueue();
    });
}

bool CharacterStage::CGHide(const QString& key, std::int32_t duration) {
    return OnSlot(key, [&](int index) { HideWithEffect(index, duration); });
}

void CharacterStage::HideWithEffect(int index, std::int32_t duration) {
    const bool released = mDriver.DrawActivity();
    if (duration != 0 && released) {
        mDriver.DrawDeactivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
    }
    HideSlot(index);
    if (duration != 0) {
        mDriver.Library().CallFilmMethod(mDriver.FIDBuff(), FilmMethod::ChildrenChanged);
        if (released) {
            mDriver.DrawActivate(clsKestDriver::kEffectFade, duration);
        }
    }
    App().PutLog(QStringLiteral("CGH Command "));
    LogChCondition();
}

bool CharacterStage::CGHideAll(std::int32_t duration) {
    if (!Ready()) {
        return ResultWithoutFilms();
    }
    const bool released = mDriver.DrawActivity();
    if (duration != 0 && released) {
        mDriver.DrawDeactivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
    }
    for (int hidden = 0; hidden < kSlots && At(0).Visible; ++hidden) {
        HideSlot(0);
    }
    if (duration != 0) {
        mDriver.Library().CallFilmMethod(mDriver.FIDBuff(), FilmMethod::ChildrenChanged);
        if (released) {
            mDriver.DrawActivate(clsKestDriver::kEffectFade, duration);
        }
    }
    App().PutLog(QStringLiteral("CGH(All) Command "));
    LogChCondition();
    return true;
}

// The slot leaves the view, keeps its picture and goes behind the visible slots.
void CharacterStage::HideSlot(int index) {
    KestLibrary& kest = mDriver.Library();
    ClearAction(index);
    Slot& slot = SlotAt(index);
    slot.Visible = false;
    slot.column = slot.row = 0;
    kest.SetFilmProp(slot.film, FilmProp::X, kHiddenX);
    kest.SetFilmProp(slot.film, FilmProp::CellColumn, 0);
    kest.SetFilmProp(slot.film, FilmProp::CellRow, 0);
    kest.ExeQueue();
    MoveToBack(index);
}

bool CharacterStage::CGAlpha(const QString& key, std::int32_t alpha, std::int32_t duration,
                             bool wait) {
    return OnSlot(key, [&](int index) {
        Slot& slot = SlotAt(index);
        slot.Alpha = alpha;
        if (duration == 0 || !mDriver.DrawActivity()) {
            mDriver.Library().SetFilmProp(slot.film, FilmProp::Opacity, alpha);
            mDriver.Library().ExeQueue();
            return;
        }
        Animate(index, {Tok::MoveValue, Code(FilmProp::Opacity), alpha, duration, Tok::End}, wait);
    });
}

void CharacterStage::SetMoveFrom(int index, QPoint from) {
    SlotAt(index).moveFrom = from;
}

bool CharacterStage::CGMove(const QString& key, std::int32_t x, std::int32_t y, bool absolute,
                            std::int32_t duration, bool wait) {
    return OnSlot(key, [&](int index) {
        Slot& slot = SlotAt(index);
        if (!absolute) {
            x += slot.X;
            y += slot.Y;
        }
        slot.X = x;
        slot.Y = y;
        const QPoint target(x - slot.W / 2, y - slot.H / 2);
        if (duration == 0 || !mDriver.DrawActivity()) {
            mDriver.Library().SetFilmProp(slot.film, FilmProp::Position, target);
            mDriver.Library().ExeQueue();
            return;
        }
        mDriver.Library().GetFilmProp(slot.film, FilmProp::Position, slot.moveFrom);
        Animate(
            index,
            {Tok::MovePoint, Code(FilmProp::Position), target.x(), target.y(), duration, Tok::End},
            wait);
    });
}

void CharacterStage::Animate(int index, const std::vector<std::int32_t>& tokens, bool wait) {
    if (!wait) {
        ClearAction(index);
        AppendTokens(index, tokens);
        CallAction(index, ActMethod::Start);
        return;
    }
    KestLibrary& kest = mDriver.Library();
    const ActionId action = mDriver.AddActByAry(tokens);
    kest.SetActProp(action, ActProp::Target, At(index).film);
    kest.SetActProp(action, ActProp::TimeScale, clsKestDriver::kNormalTimeScale);
    kest.CallActMethod(action, ActMethod::Start);
    kest.ExeQueue();
    mDriver.WaitEnd(action);
    kest.WaitBlt();
    kest.RemoveAction(action);
}

// ---------------------------------------------------------------------------
// The slot's own action

bool CharacterStage::CGActClear(const QString& key) {
    return OnSlot(key, [this](int index) { ClearAction(index); });
}

bool CharacterStage::CGActAdd(const QString& key, const QStringList& list) {
    return OnSlot(key, [&](int index) {
        std::vector<std::int32_t> tokens;
        for (const QString& element : list) {
            const std::int32_t token = stdHelpers::LeadingInteger(element);
            if (token == kEndOfList) {
                break;
            }
            tokens.push_back(token);
        }
        AppendTokens(index, tokens);
    });
}

bool CharacterStage::CGActStart(const QString& key) {
    return OnSlot(key, [this](int index) { CallAction(index, ActMethod::Start); });
}

bool CharacterStage::CGActEnd(const QString& key) {
    return OnSlot(key, [this](int index) { CallAction(index, ActMethod::Stop); });
}

bool CharacterStage::CGActComplete(const QString& key) {
    return OnSlot(key, [this](int index) { CallAction(index, ActMethod::Finish); });
}

void CharacterStage::ClearAction(int index) {
    KestLibrary& kest = mDriver.Library();
    Slot& slot = SlotAt(index);
    kest.CallActMethod(slot.action, ActMethod::Stop);
    kest.CallActMethod(slot.action, ActMethod::Clear);
    kest.SetActProp(slot.action, ActProp::TimeScale, clsKestDriver::kNormalTimeScale);
    kest.ExeQueue();
    slot.tokens.clear();
}

void CharacterStage::AppendTokens(int index, std::span<const std::int32_t> tokens) {
    KestLibrary& kest = mDriver.Library();
    Slot& slot = SlotAt(index);
    for (const std::int32_t token : tokens) {
        kest.CallActMethod(slot.action, ActMethod::Append, token);
        slot.tokens.push_back(token);
    }
    kest.ExeQueue();
}

void CharacterStage::CallAction(int index, ActMethod method) {
    mDriver.Library().CallActMethod(At(index).action, method);
    mDriver.Library().ExeQueue();
}

// ---------------------------------------------------------------------------
// Face picture and log

bool CharacterStage::FaceChange(FilmId faceFilm, const QString& name) {
    if (faceFilm == KestLibrary::kNoFilm) {
        // A window without a face part: the name is kept for the save data.
        mFace = name;
        return name.isEmpty() || ResultWithoutFilms();
    }
    // Checked first, so a picture that cannot be shown leaves the face shown.
    if (!name.isEmpty() && !mDriver.ProbePicture(name)) {
        App().PutLog(QStringLiteral("Face Load Error '") + name + QStringLiteral("'"));
        return false;
    }
    KestLibrary& kest = mDriver.Library();
    mFace = name;
    bool loaded = true;
    if (name.isEmpty()) {
        kest.SetFilmProp(faceFilm, FilmProp::Opacity, 0);
    } else {
        const bool released = mDriver.DrawActivity();
        if (released) {
            mDriver.DrawDeactivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
        }
        loaded = mDriver.LoadPng(faceFilm, name, true, true);
        kest.SetFilmProp(faceFilm, FilmProp::Opacity, loaded ? clsKestDriver::kFullOpacity : 0);
        if (released) {
            mDriver.DrawActivate(clsKestDriver::kEffectNone, clsKestDriver::kDefaultDuration);
        }
    }
    kest.ExeQueue();
    kest.WaitBlt();
    return loaded;
}

void CharacterStage::LogChCondition() {
    if (App().Launcher == nullptr || !App().Launcher->IsDebugMode()) {
        return;
    }
    if (mDriver.BaseFilmSet() == clsKestDriver::kFilmSetBasic) {
        App().PutLog(QStringLiteral("No charfilm. Film set is 'Basic'"));
        return;
    }
    QStringList lines;
    for (int i = 0; i < kSlots; ++i) {
        const Slot& slot = At(i);
        lines << stdHelpers::FormatMsg(
            QStringLiteral("CH(%1) File='%2' CID='%3' POS=(%4,%5) SIZE=(%6,%7) Vis='%8'"),
            {QString::number(i), slot.File, slot.CID, QString::number(slot.X),
             QString::number(slot.Y), QString::number(slot.W), QString::number(slot.H),
             slot.Visible ? QStringLiteral("True") : QStringLiteral("False")});
    }
    App().PutLog(QStringLiteral("Chars Changed to ...") + lines.join(QStringLiteral("\r\n")));
}

// ---------------------------------------------------------------------------
// Stacking

void CharacterStage::MoveToFront(int index) {
    if (index <= 0 || index >= kSlots) {
        return;
    }
    std::rotate(mSlots.begin(), mSlots.begin() + index, mSlots.begin() + index + 1);
    mDriver.Library().SetFilmProp(At(0).film, FilmProp::Above, At(1).film);
}

void CharacterStage::MoveToBack(int index) {
    if (index < 0 || index >= kSlots) {
        return;
    }
    int last = index;
    while (last + 1 < kSlots && At(last + 1).Visible) {
        ++last;
    }
    std::rotate(mSlots.begin() + index, mSlots.begin() + index + 1, mSlots.begin() + last + 1);
    if (last > 0) {
        mDriver.Library().SetFilmProp(At(last).film, FilmProp::Beneath, At(last - 1).film);
    }
}
