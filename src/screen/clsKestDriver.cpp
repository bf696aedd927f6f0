#include "screen/clsKestDriver.h"

#include <QLineF>
#include <QList>
#include <QPoint>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <vector>

#include "base/AppState.h"
#include "base/EngineWait.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/clsSaveData.h"
#include "platform/Platform.h"
#include "platform/os/RealClock.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;
using ActProp = KestLibrary::ActProp;
using ActMethod = KestLibrary::ActMethod;
using KestProp = KestLibrary::KestProp;
using RedrawFunc = KestLibrary::RedrawFunc;
using Tok = KestLibrary::Tok;

constexpr std::int32_t kHiddenX = -5000;

std::int32_t Code(FilmProp prop) {
    return static_cast<std::int32_t>(prop);
}

// The token lists of the fixed actions: every time in them is 1000 ms, scaled
// by the action's time scale when it runs.
std::vector<std::int32_t> FixedTokens(clsKestDriver::FixedAction which) {
    using Fixed = clsKestDriver::FixedAction;
    const std::int32_t level = Code(FilmProp::Level);
    switch (which) {
        case Fixed::RootLevelDown:
        case Fixed::RuleTransition:
        case Fixed::CrossFade:
            return {Tok::MoveValue, level, 0, 1000, Tok::End};
        case Fixed::RootLevelUp:
            return {Tok::MoveValue, level, 256, 1000, Tok::End};
        case Fixed::CursorAnimation:
            return {Tok::CallMethod,
                    static_cast<std::int32_t>(FilmMethod::NextCellColumn),
                    1,
                    Tok::Wait,
                    1000,
                    Tok::Repeat};
        case Fixed::TextReveal:
        case Fixed::ShadowReveal:
            return {Tok::RevealText, Tok::End};
    }
    return {};
}

}  // namespace

clsKestDriver::clsKestDriver(clsEventRects& rects)
    : mRects(rects),
      mClock(PlatformClock(mOwnClock)),
      mKest(mClock, [](const QString& line) { App().PutLog(line); }),
      mPictures(mKest) {
    mActions.fill(kNoAction);
    mKest.SetKestSetting(KestLibrary::KestSetting::FrameRate, kFrameRate);
    mKest.InitializeKest();
    mKest.SetKestProp(KestProp::ScreenUpdates, 0);
}

clsKestDriver::~clsKestDriver() {
    App().PutLog(QStringLiteral("  Procedure TerminateKest Call..."));
    mKest.TerminateKest();
    App().PutLog(QStringLiteral("  Procedure TerminateKest Returned"));
    App().PutLog(QStringLiteral("Kest-Terminate"));
}

Clock& clsKestDriver::PlatformClock(std::unique_ptr<Clock>& own) {
    if (App().platform != nullptr) {
        return App().platform->clock();
    }
    own = std::make_unique<RealClock>();
    return *own;
}

bool clsKestDriver::Init(QSize screenSize, INIFile* gamemodeInfo) {
    mScreenSize = screenSize;
    mGamemodeInfo = gamemodeInfo;
    mFIDRoot = MakeFilm(FilmKind::Root, 0, 0, screenSize.width(), screenSize.height());
    mFIDBuff = mKest.AddFilm(FilmKind::Group);
    mFIDBack = mKest.AddFilm(FilmKind::Group);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Parent, mFIDRoot);
    mKest.SetFilmProp(mFIDBack, FilmProp::Parent, mFIDBuff);
    mKest.ExeQueue();
    bool complete = mFIDRoot != kNoFilm && mFIDBuff != kNoFilm && mFIDBack != kNoFilm;
    for (int i = 0; i < kFixedActions; ++i) {
        mActions[static_cast<size_t>(i)] = AddActByAry(FixedTokens(static_cast<FixedAction>(i)));
        complete = complete && mActions[static_cast<size_t>(i)] > 0;
    }
    AimScreenActions();
    mKest.ExeQueue();
    mPictures.SetImageFolder(
        App().WorkspaceDir.isEmpty() ? QString() : App().WorkspaceDir + QStringLiteral("/image"));
    return complete;
}

clsKestDriver::FilmId clsKestDriver::FIDChar(int index) const {
    // The stage keeps the slots in their stacking order.
    return mCharacters.Film(index);
}

KestDc clsKestDriver::ScreenDC() {
    KestDc dc;
    mKest.GetFilmProp(mFIDRoot, FilmProp::DeviceContext, dc);
    return dc;
}

void clsKestDriver::SetScreenDC(const KestDc& dc) {
    mKest.SetFilmProp(mFIDRoot, FilmProp::DeviceContext, dc);
    mKest.Blt(mFIDRoot);
}

void clsKestDriver::Refresh() {
    mKest.Blt(mFIDRoot);
}

// ---------------------------------------------------------------------------
// Films and actions

clsKestDriver::FilmId clsKestDriver::MakeFilm(FilmKind kind, std::int32_t x, std::int32_t y,
                                              std::int32_t width, std::int32_t height) {
    const FilmId film = mKest.AddFilm(kind);
    if (film == kNoFilm) {
        return kNoFilm;
    }
    mKest.SetFilmProp(film, FilmProp::SurfaceSize, QSize(width, height));
    mKest.SetFilmProp(film, FilmProp::Size, QSize(width, height));
    mKest.SetFilmProp(film, FilmProp::Position, QPoint(x, y));
    mKest.SetFilmProp(film, FilmProp::SurfaceOrigin, QPoint(0, 0));
    mKest.ExeQueue();
    return film;
}

clsKestDriver::ActionId clsKestDriver::AddActByParam(std::initializer_list<std::int32_t> tokens) {
    return AddActByAry(std::span<const std::int32_t>(tokens.begin(), tokens.size()));
}

clsKestDriver::ActionId clsKestDriver::AddActByAry(std::span<const std::int32_t> tokens) {
    if (tokens.empty()) {
        return 0;
    }
    const ActionId action = mKest.AddAction();
    mKest.CallActMethod(action, ActMethod::Clear);
    mKest.ExeQueue();
    for (const std::int32_t token : tokens) {
        mKest.CallActMethod(action, ActMethod::Append, token);
    }
    mKest.ExeQueue();
    mKest.SetActProp(action, ActProp::Position, 0);
    mKest.ExeQueue();
    return action;
}

bool clsKestDriver::WaitEnd(ActionId action) {
    const EngineWait wait;
    mWaitCanceled = false;
    for (;;) {
        if (ActionEnded(action)) {
            EndWait(false);
            return true;
        }
        const bool cancellable = mWaitCancelEnabled;
        mClock.pump(cancellable ? Clock::Input::Deliver : Clock::Input::Exclude);
        if (cancellable && (mWaitCanceled || App().EngineClosing)) {
            mKest.CallActMethod(action, ActMethod::Finish);
            EndWait(true);
            return false;
        }
        mClock.sleep(1);
    }
}

// An action the library does not know counts as ended.
bool clsKestDriver::ActionEnded(ActionId action) {
    qint32 state = 0;
    return mKest.GetActProp(action, ActProp::State, state) != 0 ||
           state == static_cast<qint32>(KestLibrary::ActState::Ended);
}

void clsKestDriver::EndWait(bool canceled) {
    mKest.ExeQueue();
    mKest.WaitBlt();
    mWaitCancelEnabled = false;
    mWaitCanceled = canceled;
}

// ---------------------------------------------------------------------------
// Film sets

void clsKestDriver::SetBaseFilmSet(std::int32_t set) {
    mKest.ExeQueue();
    if (mDrawActivity) {
        FreezeReleasedScreen();
    }
    mBaseFilmSet = set;
    RemoveScene();
    BuildBuffer();
    mFIDText = mFIDShadow = mFIDFrame = mFIDWndBk = mFIDState = mFIDNamePlate = mFIDFace = mFIDCur =
        kNoFilm;
    mButtonFilms.clear();
    mWindowType = 0;
    ResetChoiceItems();
    if (set == kFilmSetWindow || set == kFilmSetNovel) {
        BuildCharSlots();
        BuildTextFilms();
        BuildWindowParts(set);
    }
    PutTextWindowOutOfView();
    mKest.ExeQueue();
    mKest.CallFilmMethod(mFIDBack, FilmMethod::PictureWritten);
    mDrawActivity = false;
}

// Puts the buffer film back below the root, without an effect.
void clsKestDriver::FreezeReleasedScreen() {
    mKest.SetKestProp(KestProp::ScreenUpdates, 0);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Parent, kNoFilm);
    mKest.CallFilmMethod(mFIDRoot, FilmMethod::TakeScreen, mFIDBuff);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Parent, mFIDRoot);
    mKest.ExeQueue();
}

// Every film of the scene goes, the buffer film with it; slots, the fill
// colour and the window buttons' rectangles are cleared.
void clsKestDriver::RemoveScene() {
    mKest.SetActProp(Action(FixedAction::RuleTransition), ActProp::Target, kNoFilm);
    mKest.RemoveFilmChildren(mFIDBuff);
    mKest.RemoveFilm(mFIDBuff);
    mKest.ExeQueue();
    for (CharSlot& slot : mChars) {
        if (slot.action != kNoAction) {
            mKest.RemoveAction(slot.action);
        }
        slot = CharSlot{};
    }
    mCharacters.Clear();
    mBackground.Clear();
    mBGFillColor = 0;
    mRects.RemoveByTag(QStringLiteral("wndbutton"));
}

void clsKestDriver::BuildBuffer() {
    const QPoint origin(0, 0);
    mFIDBuff = mKest.AddFilm(FilmKind::Group);
    mKest.SetFilmProp(mFIDBuff, FilmProp::GroupMaskSize, mScreenSize);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Size, mScreenSize);
    mKest.SetFilmProp(mFIDBuff, FilmProp::SurfaceSize, mScreenSize);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Position, origin);
    mKest.SetFilmProp(mFIDBuff, FilmProp::SurfaceOrigin, origin);
    mFIDBack = mKest.AddFilm(FilmKind::Group);
    mKest.SetFilmProp(mFIDBack, FilmProp::Size, mScreenSize);
    mKest.SetFilmProp(mFIDBack, FilmProp::SurfaceSize, mScreenSize);
    mKest.SetFilmProp(mFIDBack, FilmProp::Position, origin);
    mKest.SetFilmProp(mFIDBack, FilmProp::SurfaceOrigin, origin);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Parent, mFIDRoot);
    mKest.SetFilmProp(mFIDBack, FilmProp::Parent, mFIDBuff);
    mKest.CallFilmMethod(mFIDBack, FilmMethod::PictureWritten);
    mKest.ExeQueue();
    AimScreenActions();
}

// The rule transition works on the buffer film, the other screen effects on the root.
void clsKestDriver::AimScreenActions() {
    mKest.SetActProp(Action(FixedAction::RuleTransition), ActProp::Target, mFIDBuff);
    for (const FixedAction onRoot :
         {FixedAction::RootLevelDown, FixedAction::RootLevelUp, FixedAction::CrossFade}) {
        mKest.SetActProp(Action(onRoot), ActProp::Target, mFIDRoot);
    }
}

// Slot 19 is made first, so slot 0 lies in front.
void clsKestDriver::BuildCharSlots() {
    for (int i = kCharSlots - 1; i >= 0; --i) {
        CharSlot& slot = mChars[static_cast<size_t>(i)];
        slot.film = MakeFilm(FilmKind::Picture, kHiddenX, 0, 0, 0);
        mKest.SetFilmProp(slot.film, FilmProp::Parent, mFIDBuff);
        mKest.SetFilmProp(slot.film, FilmProp::Opacity, 0);
        slot.action = mKest.AddAction();
        mKest.SetActProp(slot.action, ActProp::Target, slot.film);
        mKest.SetActProp(slot.action, ActProp::TimeScale, kNormalTimeScale);
        mCharacters.Adopt(i, slot.film, slot.action);
    }
    mKest.ExeQueue();
}

void clsKestDriver::BuildTextFilms() {
    mFIDText = AddTextFilm();
    mKest.SetActProp(Action(FixedAction::TextReveal), ActProp::Target, mFIDText);
    mFIDShadow = AddTextFilm();
    mKest.SetFilmProp(mFIDShadow, FilmProp::Beneath, mFIDText);
    mKest.SetActProp(Action(FixedAction::ShadowReveal), ActProp::Target, mFIDShadow);
    mKest.ExeQueue();
}

clsKestDriver::FilmId clsKestDriver::AddTextFilm() {
    const FilmId film = mKest.AddFilm(FilmKind::Text);
    mKest.SetFilmProp(film, FilmProp::Parent, mFIDBuff);
    mKest.SetFilmProp(film, FilmProp::Opacity, kFullLevel);
    mKest.SetFilmProp(film, FilmProp::TextSpeed, mTextSpeed);
    return film;
}

bool clsKestDriver::ChangeWindowType(std::int32_t type) {
    const QString section = QStringLiteral("wndtype:") + QString::number(type);
    const QString frame = GamemodeValue(section, QStringLiteral("Frame"));
    const QString namePlate = GamemodeValue(section, QStringLiteral("NamePlate"));
    const QString state = GamemodeValue(section, QStringLiteral("State"));
    if (frame.isEmpty() || namePlate.isEmpty() || state.isEmpty()) {
        return false;
    }
    if (type != mWindowType) {
        mWindowType = type;
        const bool released = mDrawActivity;
        if (released) {
            DrawDeactivate(kEffectNone, kDefaultDuration);
        }
        LoadPng(mFIDFrame, frame, true, false);
        LoadPng(mFIDNamePlate, namePlate, true, false);
        LoadPng(mFIDState, state, true, false);
        if (released) {
            DrawActivate(kEffectNone, kDefaultDuration);
        }
    }
    mKest.ExeQueue();
    mKest.WaitBlt();
    return true;
}

QString clsKestDriver::GamemodeValue(const QString& section, const QString& key) const {
    if (mGamemodeInfo == nullptr || !mGamemodeInfo->KeyExists(section)) {
        return QString();
    }
    return mGamemodeInfo->KeySection(section).KeyValue(key);
}

// ---------------------------------------------------------------------------
// Freezing and releasing the screen

bool clsKestDriver::DrawDeactivate(std::int32_t effect, std::int32_t duration) {
    const bool cursor = CursorShown();
    ShowCursor(false);
    if (!mDrawActivity) {
        DrawActivate(kEffectNone, kDefaultDuration);
    }
    mKest.SetKestProp(KestProp::ScreenUpdates, 0);
    mKest.CallFilmMethod(mFIDRoot, FilmMethod::TakeScreen, mFIDBuff);
    mKest.SetFilmProp(mFIDBuff, FilmProp::Parent, mFIDRoot);
    mKest.CallFilmMethod(mFIDBack, FilmMethod::PictureWritten);
    mKest.CallFilmMethod(mFIDBuff, FilmMethod::ChildrenChanged);
    mKest.ExeQueue();
    if (duration == 0) {
        effect = kEffectNone;
    }
    if (effect == kEffectFade) {
        RunLevelFade(FixedAction::RootLevelDown, duration);
    } else if (effect == kEffectSecond) {
        RunLevelFade(FixedAction::RootLevelUp, duration);
    }
    mKest.SetKestProp(KestProp::ScreenUpdates, 0);
    mKest.ExeQueue();
    mKest.SetFilmProp(mFIDRoot, FilmProp::RedrawFunction, 0);
    mKest.ExeQueue();
    ShowCursor(cursor);
    mDrawActivity = false;
    return true;
}

bool clsKestDriver::DrawActivate(std::int32_t effect, std::int32_t duration) {
    const bool cursor = CursorShown();
    ShowCursor(false);
    if (mDrawActivity) {
        DrawDeactivate(kEffectNone, kDefaultDuration);
    }
    mKest.CallFilmMethod(mFIDBack, FilmMethod::PictureWritten);
    mKest.CallFilmMethod(mFIDBuff, FilmMethod::ChildrenChanged);
    mKest.ExeQueue();
    if (duration == 0) {
        effect = kEffectNone;
    }
    if (effect == kEffectFade) {
        mKest.SetFilmProp(mFIDRoot, FilmProp::RedrawFunction,
                          mKest.GetRedrawFuncs(RedrawFunc::CrossFade));
        mKest.SetFilmProp(mFIDRoot, FilmProp::Level, kFullLevel);
        RunTransition(FixedAction::CrossFade, duration);
    } else if (effect == kEffectSecond) {
        const std::int32_t rule = mKest.GetRedrawFuncs(RedrawFunc::Rule);
        mKest.SetFilmProp(mFIDBuff, FilmProp::VagueWidth, kRuleVagueWidth);
        mKest.SetFilmProp(mFIDBuff, FilmProp::Level, kFullLevel + kRuleVagueWidth);
        mKest.SetFilmProp(mFIDRoot, FilmProp::RedrawFunction, rule);
        RunTransition(FixedAction::RuleTransition, duration);
    }
    ReleaseBuffer();
    ShowCursor(cursor);
    mDrawActivity = true;
    return true;
}

// The live scene darkens to black (level 0) or brightens to white (256) from
// the neutral level.
void clsKestDriver::RunLevelFade(FixedAction action, std::int32_t duration) {
    mKest.ExeQueue();
    mKest.SetFilmProp(mFIDRoot, FilmProp::RedrawFunction, mKest.GetRedrawFuncs(RedrawFunc::Level));
    mKest.ExeQueue();
    mKest.SetFilmProp(mFIDRoot, FilmProp::Level, kNeutralLevel);
    mKest.SetFilmProp(mFIDRoot, FilmProp::NeutralLevel, kNeutralLevel);
    mKest.SetActProp(Action(action), ActProp::TimeScale, duration);
    mKest.CallActMethod(Action(action), ActMethod::Start);
    mKest.ExeQueue();
    mKest.SetKestProp(KestProp::ScreenUpdates, 1);
    WaitEnd(Action(action));
}

void clsKestDriver::RunTransition(FixedAction action, std::int32_t duration) {
    mKest.SetActProp(Action(action), ActProp::TimeScale, duration);
    mKest.CallActMethod(Action(action), ActMethod::Start);
    mKest.SetKestProp(KestProp::ScreenUpdates, 1);
    WaitEnd(Action(action));
}

// The buffer film leaves the tree and is drawn as the screen itself.
void clsKestDriver::ReleaseBuffer() {
    mKest.SetKestProp(KestProp::ScreenUpdates, 0);
    mKest.ExeQueue();
    mKest.SetFilmProp(mFIDBuff, FilmProp::Parent, kNoFilm);
    mKest.CallFilmMethod(mFIDBuff, FilmMethod::TakeScreen, mFIDRoot);
    mKest.ExeQueue();
    mKest.SetFilmProp(mFIDRoot, FilmProp::RedrawFunction, 0);
    mKest.ExeQueue();
    mKest.SetKestProp(KestProp::ScreenUpdates, 1);
    mKest.ExeQueue();
}

// ---------------------------------------------------------------------------
// Picture definitions and picture buttons

void clsKestDriver::ApplyItemSpec(FilmId film, ItemSpec& def) {
    mKest.SetFilmProp(film, FilmProp::Position, QPoint(def.x, def.y));
    if (def.file.isEmpty()) {
        mKest.SetFilmProp(film, FilmProp::Size, QSize(def.width, def.height));
        mKest.SetFilmProp(film, FilmProp::SurfaceSize, QSize(def.width, def.height));
    } else {
        LoadPng(film, def.file, true, true);
        if (def.width == 0) {
            mKest.GetFilmProp(film, FilmProp::CellWidth, def.width);
        } else {
            mKest.SetFilmProp(film, FilmProp::CellWidth, def.width);
        }
        if (def.height == 0) {
            mKest.GetFilmProp(film, FilmProp::CellHeight, def.height);
        } else {
            mKest.SetFilmProp(film, FilmProp::CellHeight, def.height);
        }
    }
    mKest.SetFilmProp(film, FilmProp::Opacity, kFullLevel);
}

clsKestDriver::RectPtr clsKestDriver::MakeButtonFilm(std::int32_t tag, const QString& groupName,
                                                     const QString& file, std::int32_t x,
                                                     std::int32_t y, std::int32_t cellHeight,
                                                     bool pictureFlag) {
    const FilmId film = AddButtonFilm(pictureFlag ? FilmKind::Picture : FilmKind::Group);
    if (!file.isEmpty()) {
        LoadPng(film, file, pictureFlag, true);
    }
    mKest.SetFilmProp(film, FilmProp::CellHeight, cellHeight);
    mKest.SetFilmProp(film, FilmProp::Position, QPoint(x, y));
    return AddFittedRect(tag, groupName, film);
}

clsKestDriver::RectPtr clsKestDriver::MakeSpecFilm(std::int32_t tag, const QString& groupName,
                                                   ItemSpec def) {
    const FilmId film = AddButtonFilm(FilmKind::Picture);
    ApplyItemSpec(film, def);
    return AddFittedRect(tag, groupName, film);
}

clsKestDriver::RectPtr clsKestDriver::MakeSpecFilmFromText(std::int32_t tag,
                                                           const QString& groupName,
                                                           const QString& text) {
    return MakeSpecFilm(tag, groupName, ParseItemSpec(text));
}

clsKestDriver::FilmId clsKestDriver::AddButtonFilm(FilmKind kind) {
    const FilmId film = mKest.AddFilm(kind);
    mKest.SetFilmProp(film, FilmProp::Parent, mFIDBuff);
    return film;
}

QRect clsKestDriver::FilmArea(FilmId film) {
    QPoint position(0, 0);
    QSize size(0, 0);
    mKest.GetFilmProp(film, FilmProp::Position, position);
    mKest.GetFilmProp(film, FilmProp::Size, size);
    // A film never sized reads as (-1, -1), which a rectangle would take as "keep".
    return QRect(position, size.expandedTo(QSize(0, 0)));
}

// The rectangle covers the film's position and size as the compositor has them.
clsKestDriver::RectPtr clsKestDriver::AddFittedRect(std::int32_t tag, const QString& groupName,
                                                    FilmId film) {
    RectPtr rect = mRects.Add(tag, groupName);
    rect->FitFilm(film, FilmArea(film));
    return rect;
}

// ---------------------------------------------------------------------------
// Save data

void clsKestDriver::SaveStatus(clsSaveData& saveData) {
    INISection& status = saveData.KestStatus();
    status.SetKeyValue(QStringLiteral("BaseFilmSet"), QString::number(mBaseFilmSet));
    SaveSceneStatus(status);
    status.SetKeyValue(QStringLiteral("WindowType"), QString::number(mWindowType));
}

void clsKestDriver::LoadStatus(clsSaveData& saveData) {
    const INISection& status = saveData.KestStatus();
    DrawDeactivate(kEffectNone, kDefaultDuration);
    SetBaseFilmSet(stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("BaseFilmSet"))));
    ChangeWindowType(stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("WindowType"))));
    LoadSceneStatus(status);
}

// ---------------------------------------------------------------------------
// Extension points (text window, backgrounds and characters, choices)

bool clsKestDriver::CursorShown() const {
    return mTextWindow.CursorVisible();
}

void clsKestDriver::ShowCursor(bool shown) {
    mTextWindow.SetCursorVisible(shown);
}

void clsKestDriver::ResetChoiceItems() {
    mChoices.Reset();
}

void clsKestDriver::BuildWindowParts(std::int32_t set) {
    mTextWindow.BuildParts(set);
    mChoices.Build();
    mTextWindow.ApplyConfiguredFont();
}

void clsKestDriver::PutTextWindowOutOfView() {
    mTextWindow.PutOutOfView();
}

void clsKestDriver::SaveSceneStatus(INISection& status) {
    status.SetKeyValue(QStringLiteral("BGName"), mBackground.BGName());
    status.SetKeyValue(QStringLiteral("BGFillColor"), QString::number(mBackground.BGFillColor()));
    status.SetKeyValue(QStringLiteral("BGX"), QString::number(mBackground.BGX()));
    status.SetKeyValue(QStringLiteral("BGY"), QString::number(mBackground.BGY()));
    status.SetKeyValue(QStringLiteral("WindowNameFlip"), QString::number(WindowNameCell()));
    status.SetKeyValue(QStringLiteral("CharBlendColor"), QString::number(CharBlendColor()));
    SaveCharStatus(status);
    status.SetKeyValue(QStringLiteral("Face"), mCharacters.Face());
    mChoices.SaveStatus(status);
    status.SetKeyValue(QStringLiteral("Text"), QLatin1Char('"') + CurrentText() + QLatin1Char('"'));
}

// "CH" & i: picture, centre, size, cells, opacity and blend colour of a
// visible slot (-1, -1 and cells 0, 0 at the picture's own size); "CHACT" & i:
// the tokens of the slot's action while it runs.
void clsKestDriver::SaveCharStatus(INISection& status) {
    for (int i = 0; i < kCharSlots; ++i) {
        const CharacterStage::Slot& slot = mCharacters.At(i);
        QString values;
        if (slot.Visible) {
            const bool natural = slot.naturalSize;
            const QList<std::int32_t> numbers{slot.X,
                                              slot.Y,
                                              natural ? -1 : slot.W,
                                              natural ? -1 : slot.H,
                                              natural ? 0 : slot.column,
                                              natural ? 0 : slot.row,
                                              slot.Alpha,
                                              slot.BlendColor};
            values = slot.File;
            for (const std::int32_t number : numbers) {
                values += QLatin1Char(',') + QString::number(number);
            }
        }
        QStringList tokens;
        QString position;
        if (slot.action != kNoAction && !ActionEnded(slot.action)) {
            QPoint now;
            std::vector<std::int32_t> running = slot.tokens;
            if (MoveInProgress(slot, now, running)) {
                position = QStringLiteral("%1,%2").arg(now.x()).arg(now.y());
            }
            for (const std::int32_t token : running) {
                tokens << QString::number(token);
            }
        }
        const QString index = QString::number(i);
        status.SetKeyValue(QStringLiteral("CH") + index, values);
        status.SetKeyValue(QStringLiteral("CHACT") + index, tokens.join(QLatin1Char(',')));
        status.SetKeyValue(QStringLiteral("CHPOS") + index, position);
    }
}

// "CH" keeps where a moving character is going; its film stands between there and
// where the move began, and the move goes on over the time that is left of it.
bool clsKestDriver::MoveInProgress(const CharacterStage::Slot& slot, QPoint& now,
                                   std::vector<std::int32_t>& rest) {
    const std::vector<std::int32_t>& tokens = slot.tokens;
    const bool isMove = tokens.size() == 6 && tokens[0] == KestLibrary::Tok::MovePoint &&
                        tokens[1] == static_cast<std::int32_t>(FilmProp::Position) &&
                        tokens[5] == KestLibrary::Tok::End;
    if (!isMove || !mKest.GetFilmProp(slot.film, FilmProp::Position, now)) {
        return false;
    }
    const QPoint target(tokens[2], tokens[3]);
    const double whole = QLineF(slot.moveFrom, target).length();
    const double left = QLineF(now, target).length();
    const double share = whole > 0 ? std::clamp(left / whole, 0.0, 1.0) : 0.0;
    rest = tokens;
    rest[4] = static_cast<std::int32_t>(std::lround(tokens[4] * share));
    return true;
}

void clsKestDriver::LoadSceneStatus(const INISection& status) {
    const QString bgName = status.KeyValue(QStringLiteral("BGName"));
    if (bgName.isEmpty()) {
        BGFill(stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("BGFillColor"))), 0);
    } else {
        BGCenter(bgName, stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("BGX"))),
                 stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("BGY"))),
                 kDefaultDuration, true);
    }
    LoadCharStatus(status);
    CharBlendColor(stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("CharBlendColor"))));
    FaceChange(status.KeyValue(QStringLiteral("Face")));
    TextPageTurn();
    QString text = status.KeyValue(QStringLiteral("Text"));
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"'))) {
        text = text.mid(1, text.size() - 2);
    }
    TextStart(text.replace(QStringLiteral("\\n"), QStringLiteral("\n")), false);
    mChoices.LoadStatus(status);
    WindowNameFlip(stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("WindowNameFlip"))));
}

// Each picture shown goes to the front, so the back-most slot is shown first
// and the stacking comes out as it was saved.
void clsKestDriver::LoadCharStatus(const INISection& status) {
    for (int i = kCharSlots - 1; i >= 0; --i) {
        const QString index = QString::number(i);
        LoadCharSlot(status.KeyValue(QStringLiteral("CH") + index),
                     status.KeyValue(QStringLiteral("CHACT") + index),
                     status.KeyValue(QStringLiteral("CHPOS") + index));
    }
}

void clsKestDriver::LoadCharSlot(const QString& values, const QString& actions,
                                 const QString& position) {
    const QStringList parts = values.split(QLatin1Char(','));
    if (values.isEmpty() || parts.size() < 9) {
        return;
    }
    const auto number = [&parts](int at) { return stdHelpers::LeadingInteger(parts.at(at)); };
    const QString& file = parts.at(0);
    CharBlendColor(number(8));
    CGChange(file, number(1), number(2), number(3), number(4), kDefaultDuration);
    CGFlip(file, number(5), number(6));
    CGAlpha(file, number(7), 0, true);
    const QStringList at = position.split(QLatin1Char(','));
    const int index = mCharacters.FindChar(file, true);
    if (at.size() == 2 && index >= 0) {
        // A move under way resumes from where it was.
        const QPoint from(stdHelpers::LeadingInteger(at.at(0)),
                          stdHelpers::LeadingInteger(at.at(1)));
        mKest.SetFilmProp(mCharacters.Film(index), FilmProp::Position, from);
        mKest.ExeQueue();
        mCharacters.SetMoveFrom(index, from);
    }
    if (!actions.isEmpty()) {
        CGActClear(file);
        CGActAdd(file, actions.split(QLatin1Char(',')));
        CGActStart(file);
    }
}
