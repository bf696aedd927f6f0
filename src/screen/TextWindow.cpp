#include "screen/TextWindow.h"

#include <QPoint>
#include <QStringList>
#include <algorithm>

#include "base/stdHelpers.h"
#include "screen/ItemSpec.h"
#include "screen/MessageTextConverter.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;
using ActProp = KestLibrary::ActProp;
using ActMethod = KestLibrary::ActMethod;
using Fixed = clsKestDriver::FixedAction;

const QString kButtonGroup = QStringLiteral("wndbutton");

}  // namespace

TextWindow::TextWindow(clsKestDriver& driver) : mDriver(driver), mKest(driver.Library()) {}

// ---------------------------------------------------------------------------
// Layout

void TextWindow::BuildParts(std::int32_t set) {
    BuildCursor();
    ItemSpec spec;
    if (ReadSpec(QStringLiteral("Text"), spec)) {
        mDriver.ApplyItemSpec(mDriver.mFIDText, spec);
    }
    if (ReadSpec(QStringLiteral("TextShadow"), spec)) {
        mDriver.ApplyItemSpec(mDriver.mFIDShadow, spec);
    }
    if (set == clsKestDriver::kFilmSetWindow) {
        mDriver.mFIDFrame = BuildPart(QStringLiteral("Frame"));
        Stack(mDriver.mFIDFrame, FilmProp::Beneath, mDriver.mFIDShadow);
    }
    BuildBack(set);
    if (set == clsKestDriver::kFilmSetWindow) {
        mDriver.mFIDState = BuildPart(QStringLiteral("State"));
        Stack(mDriver.mFIDState, FilmProp::Above, mDriver.mFIDFrame);
        mDriver.mFIDNamePlate = BuildPart(QStringLiteral("Nameplate"));
        Stack(mDriver.mFIDNamePlate, FilmProp::Above, mDriver.mFIDFrame);
    }
    BuildFace();
    if (set == clsKestDriver::kFilmSetWindow) {
        BuildButtons();
    }
    mKest.ExeQueue();
}

void TextWindow::ApplyConfiguredFont() {
    TextFontSetting(ConfigValue(QStringLiteral("Font")), kFontColour);
}

void TextWindow::PutOutOfView() {
    mCurrentText.clear();
    mCursorVisible = false;
    AnimateCursor(false);

    mNameFlip = 0;
    mTextVisible = true;
    SetTextVisible(false);
}

// The cursor animates while shown; hidden, it waits one screen width to the left.
void TextWindow::BuildCursor() {
    mCursorInterval = 0;
    ItemSpec spec;
    if (!ReadSpec(QStringLiteral("WaitCursor"), spec)) {
        return;
    }
    const FilmId cursor = AddPartFilm();
    mDriver.ApplyItemSpec(cursor, spec);
    Stack(cursor, FilmProp::Above, mDriver.mFIDText);
    mKest.SetFilmProp(cursor, FilmProp::X, spec.x - mDriver.ScreenSize().width());
    const clsKestDriver::ActionId animation = mDriver.Action(Fixed::CursorAnimation);
    mKest.SetActProp(animation, ActProp::Target, cursor);
    mKest.SetActProp(animation, ActProp::TimeScale, spec.extra);
    mCursorInterval = spec.extra;
    mDriver.mFIDCur = cursor;
}

void TextWindow::BuildBack(std::int32_t set) {
    const FilmId back = BuildPart(QStringLiteral("Back"));
    if (back == KestLibrary::kNoFilm) {
        return;
    }
    const bool window = set == clsKestDriver::kFilmSetWindow;
    const FilmId above = window && mDriver.mFIDFrame != KestLibrary::kNoFilm ? mDriver.mFIDFrame
                                                                             : mDriver.mFIDShadow;
    Stack(back, FilmProp::Beneath, above);
    const QString alphaKey = window ? QStringLiteral("WndAlpha") : QStringLiteral("NovelAlpha");
    mKest.SetFilmProp(back, FilmProp::Opacity, ConfigNumber(alphaKey));
    mDriver.mFIDWndBk = back;
}

// The face film only takes its place here; its picture comes with the face.
void TextWindow::BuildFace() {
    ItemSpec spec;
    if (!ReadSpec(QStringLiteral("Face"), spec)) {
        return;
    }
    const FilmId face = AddPartFilm();
    mKest.SetFilmProp(face, FilmProp::Position, QPoint(spec.x, spec.y));
    Stack(face, FilmProp::Beneath, mDriver.mFIDShadow);
    mDriver.mFIDFace = face;
}

// Each name in "Buttons" is the key of one button's picture definition.
void TextWindow::BuildButtons() {
    const QStringList names = LayoutValue(QStringLiteral("Buttons")).split(QLatin1Char(','));
    for (const QString& item : names) {
        const QString name = item.trimmed();
        const QString definition = LayoutValue(name);
        if (name.isEmpty() || definition.isEmpty()) {
            continue;
        }
        const std::int32_t index = static_cast<std::int32_t>(mDriver.mButtonFilms.size());
        const clsKestDriver::RectPtr rect =
            mDriver.MakeSpecFilm(index, kButtonGroup, ParseItemSpec(definition));
        rect->Text4 = name;
        Stack(rect->FilmID, FilmProp::Above, mDriver.mFIDFrame);
        mDriver.mButtonFilms.push_back(rect->FilmID);
    }
}

TextWindow::FilmId TextWindow::BuildPart(const QString& key) {
    ItemSpec spec;
    if (!ReadSpec(key, spec)) {
        return KestLibrary::kNoFilm;
    }
    const FilmId film = AddPartFilm();
    mDriver.ApplyItemSpec(film, spec);
    return film;
}

TextWindow::FilmId TextWindow::AddPartFilm() {
    const FilmId film = mKest.AddFilm(KestLibrary::FilmKind::Picture);
    mKest.SetFilmProp(film, FilmProp::Parent, mDriver.mFIDBuff);
    return film;
}

bool TextWindow::ReadSpec(const QString& key, ItemSpec& spec) const {
    const QString text = LayoutValue(key);
    if (text.isEmpty()) {
        return false;
    }
    spec = ParseItemSpec(text);
    return true;
}

void TextWindow::Stack(FilmId film, KestLibrary::FilmProp where, FilmId sibling) {
    if (film != KestLibrary::kNoFilm && sibling != KestLibrary::kNoFilm) {
        mKest.SetFilmProp(film, where, sibling);
    }
}

// ---------------------------------------------------------------------------
// Text settings and visibility

void TextWindow::TextSpeedSetting(std::int32_t speed) {
    mDriver.mTextSpeed = speed;
    if (!HasWindow()) {
        return;
    }
    mKest.SetFilmProp(mDriver.mFIDText, FilmProp::TextSpeed, speed);
    mKest.SetFilmProp(mDriver.mFIDShadow, FilmProp::TextSpeed, speed);
}

void TextWindow::TextFontSetting(const QString& font, std::int32_t value) {
    if (!HasWindow()) {
        return;
    }
    const QString face = font.isEmpty() ? QStringLiteral("ＭＳ ゴシック") : font;
    mKest.SetFilmProp(mDriver.mFIDText, FilmProp::TextFont, face);
    mKest.SetFilmProp(mDriver.mFIDText, FilmProp::TextColor, value);
    // The shadow starts its page in black, as its colour codes all are.
    mKest.SetFilmProp(mDriver.mFIDShadow, FilmProp::TextFont, face);
    mKest.SetFilmProp(mDriver.mFIDShadow, FilmProp::TextColor, kShadowColour);
    for (int i = 0; i < ChoiceItems::kItems; ++i) {
        const FilmId choice = mDriver.Choices().TextFilm(i);
        if (choice != KestLibrary::kNoFilm) {
            mKest.SetFilmProp(choice, FilmProp::TextFont, face);
            mKest.SetFilmProp(choice, FilmProp::TextColor, value);
        }
    }
    mKest.ExeQueue();
}

bool TextWindow::TextVisible() const {
    return HasWindow() && mTextVisible;
}

void TextWindow::SetTextVisible(bool visible) {
    if (!HasWindow() || visible == mTextVisible) {
        return;
    }
    mTextVisible = visible;
    mKest.ExeQueue();
    AvoidWindowFilms(visible);
    mDriver.mRects.EnabledByTag(kButtonGroup, visible);
    mKest.WaitBlt();
}

void TextWindow::AvoidWindowFilms(bool visible) {
    FilmAvoid(mDriver.mFIDText, visible);
    FilmAvoid(mDriver.mFIDShadow, visible);
    FilmAvoid(mDriver.mFIDWndBk, visible);
    if (IsWindowMode()) {
        FilmAvoid(mDriver.mFIDFrame, visible);
        FilmAvoid(mDriver.mFIDState, visible);
        FilmAvoid(mDriver.mFIDNamePlate, visible);
        for (const FilmId button : mDriver.mButtonFilms) {
            FilmAvoid(button, visible);
        }
    }
    FilmAvoid(mDriver.mFIDFace, visible);
}

void TextWindow::FilmAvoid(FilmId film, bool visible) {
    qint32 x = 0;
    if (film == KestLibrary::kNoFilm || !mKest.GetFilmProp(film, FilmProp::X, x)) {
        return;
    }
    if (!visible && x < kAvoidShift) {
        x += kAvoidShift;
    } else if (visible && x >= kAvoidShift) {
        x -= kAvoidShift;
    }
    mKest.SetFilmProp(film, FilmProp::X, x);
}

// ---------------------------------------------------------------------------
// State indicator and name plate

void TextWindow::WindowModeFlip(std::int32_t row) {
    if (HasWindow() && mDriver.mFIDState != KestLibrary::kNoFilm) {
        mKest.SetFilmProp(mDriver.mFIDState, FilmProp::CellRow, row);
    }
}

void TextWindow::UpdateWindowMode() {
    if (mHooks.IsSkipMode && mHooks.IsSkipMode()) {
        WindowModeFlip(stdHelpers::LeadingInteger(LayoutValue(QStringLiteral("StateSkipIndex"))));
    } else if (mHooks.AutoClickEnabled && mHooks.AutoClickEnabled()) {
        WindowModeFlip(stdHelpers::LeadingInteger(LayoutValue(QStringLiteral("StateAutoIndex"))));
    } else {
        WindowModeFlip(0);
    }
}

void TextWindow::WindowNameFlip(std::int32_t cell) {
    if (HasWindow() && mDriver.mFIDNamePlate != KestLibrary::kNoFilm) {
        mNameFlip = cell;
        mKest.SetFilmProp(mDriver.mFIDNamePlate, FilmProp::CellRow, cell);
    }
}

// ---------------------------------------------------------------------------
// The page

void TextWindow::TextPageTurn() {
    if (!HasWindow()) {
        return;
    }
    mCurrentText.clear();
    mKest.CallFilmMethod(mDriver.mFIDText, FilmMethod::ClearText);
    mKest.CallFilmMethod(mDriver.mFIDShadow, FilmMethod::ClearText);
    WindowNameFlip(0);
    mKest.ExeQueue();
}

void TextWindow::TextStart(const QString& text, bool withWait) {
    if (!HasWindow()) {
        return;
    }
    QString stored = text;
    mCurrentText += stored.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    const FilmId textFilm = mDriver.mFIDText;
    const FilmId shadow = mDriver.mFIDShadow;
    mKest.SetFilmProp(textFilm, FilmProp::TextAppend, text);
    mKest.SetFilmProp(shadow, FilmProp::TextAppend, ShadowCodes(text));
    mKest.SetFilmProp(shadow, FilmProp::Opacity,
                      ConfigBool(QStringLiteral("TextShadow")) ? clsKestDriver::kFullOpacity : 0);
    mKest.ExeQueue();
    if (!withWait) {
        for (const FilmId film : {textFilm, shadow}) {
            qint32 length = 0;
            mKest.GetFilmProp(film, FilmProp::TextLength, length);
            mKest.SetFilmProp(film, FilmProp::TextShown, length);
        }
        mKest.ExeQueue();
        return;
    }
    const clsKestDriver::ActionId reveal = mDriver.Action(Fixed::TextReveal);
    const clsKestDriver::ActionId shadowReveal = mDriver.Action(Fixed::ShadowReveal);
    mKest.CallActMethod(reveal, ActMethod::Start);
    mKest.CallActMethod(shadowReveal, ActMethod::Start);
    mKest.ExeQueue();
    mDriver.WaitEnd(reveal);
    mKest.CallActMethod(shadowReveal, ActMethod::Finish);
    mKest.WaitBlt();
}

// Walks the codes with their fixed lengths, so digits of another code are never
// taken for a colour.
QString TextWindow::ShadowCodes(const QString& text) {
    QString shadow;
    shadow.reserve(text.size());
    qsizetype at = 0;
    while (at < text.size()) {
        const qsizetype length = CodeLength(text, at);
        if (length > 0 && text[at] == QLatin1Char('D')) {
            shadow += QStringLiteral("D000000");
        } else {
            shadow += text.mid(at, std::max<qsizetype>(length, 1));
        }
        at += std::max<qsizetype>(length, 1);
    }
    return shadow;
}

// The length of the complete code at `at`, or 0 when none starts there.
qsizetype TextWindow::CodeLength(const QString& text, qsizetype at) {
    static const QString kDigitCounts = QStringLiteral("B8D6F3G3H3I3J3K3L3");
    const qsizetype entry = kDigitCounts.indexOf(text[at]);
    if (entry < 0 || entry % 2 != 0) {
        return 0;
    }
    const bool withSign = text[at] >= QLatin1Char('I');
    const qsizetype digits = kDigitCounts[entry + 1].digitValue();
    qsizetype end = at + 1;
    if (withSign) {
        if (end >= text.size() ||
            (text[end] != QLatin1Char('+') && text[end] != QLatin1Char('-'))) {
            return 0;
        }
        ++end;
    }
    for (qsizetype i = 0; i < digits; ++i, ++end) {
        if (end >= text.size() || !IsHexDigit(text[end])) {
            return 0;
        }
    }
    return end - at;
}

bool TextWindow::IsHexDigit(QChar ch) {
    return (ch >= QLatin1Char('0') && ch <= QLatin1Char('9')) ||
           (ch >= QLatin1Char('A') && ch <= QLatin1Char('F'));
}

// ---------------------------------------------------------------------------
// The wait cursor

bool TextWindow::CursorVisible() const {
    return HasWindow() && mCursorVisible;
}

void TextWindow::SetCursorVisible(bool visible) {
    const FilmId cursor = mDriver.mFIDCur;
    if (!HasWindow() || visible == mCursorVisible || cursor == KestLibrary::kNoFilm) {
        return;
    }
    mCursorVisible = visible;
    mKest.ExeQueue();
    qint32 x = 0;
    mKest.GetFilmProp(cursor, FilmProp::X, x);
    const std::int32_t width = mDriver.ScreenSize().width();
    mKest.SetFilmProp(cursor, FilmProp::X, visible ? x + width : x - width);
    if (mDriver.mBaseFilmSet == clsKestDriver::kFilmSetNovel) {
        qint32 lineTop = 0;
        mKest.GetFilmProp(mDriver.mFIDText, FilmProp::TextLineTop, lineTop);
        mKest.SetFilmProp(
            cursor, FilmProp::Y,
            lineTop + stdHelpers::LeadingInteger(LayoutValue(QStringLiteral("WaitCursorOffset"))));
    }
    AnimateCursor(visible);
    mKest.ExeQueue();
    mKest.WaitBlt();
}

// The cell animation runs only while the cursor is in view, so a hidden cursor
// costs no frames.
void TextWindow::AnimateCursor(bool run) {
    const clsKestDriver::ActionId animation = mDriver.Action(Fixed::CursorAnimation);
    if (run && mCursorInterval > 0) {
        mKest.CallActMethod(animation, ActMethod::Start);
    } else {
        mKest.CallActMethod(animation, ActMethod::Stop);
    }
}

// ---------------------------------------------------------------------------
// Messages

QString TextWindow::ConvertMessageText(const QString& message, QString& continuation, bool& wait,
                                       QString& voice, int mode) {
    MessageTextConverter::Environment environment;
    environment.TextSpeedSetting = [this](std::int32_t speed) { TextSpeedSetting(speed); };
    environment.WindowNameFlip = [this](std::int32_t cell) { WindowNameFlip(cell); };
    environment.ScreenSize = [this] { return mDriver.ScreenSize(); };
    environment.ScriptScale = mHooks.ScriptScale;
    environment.ConfigBool = [this](const QString& key) { return ConfigBool(key); };
    environment.GetIndexByCID = mHooks.GetIndexByCID;
    environment.CharColor = mHooks.CharColor;
    environment.SystemInfoValue = mHooks.SystemInfoValue;
    return MessageTextConverter(std::move(environment))
        .Convert(message, continuation, wait, voice, mode);
}

// ---------------------------------------------------------------------------
// Helpers

bool TextWindow::HasWindow() const {
    return mDriver.mBaseFilmSet == clsKestDriver::kFilmSetWindow ||
           mDriver.mBaseFilmSet == clsKestDriver::kFilmSetNovel;
}

bool TextWindow::IsWindowMode() const {
    return mDriver.mBaseFilmSet == clsKestDriver::kFilmSetWindow;
}

QString TextWindow::ConfigValue(const QString& key) const {
    return mHooks.ConfigValue ? mHooks.ConfigValue(key) : QString();
}

bool TextWindow::ConfigBool(const QString& key) const {
    return ConfigValue(key).compare(QStringLiteral("true"), Qt::CaseInsensitive) == 0;
}

std::int32_t TextWindow::ConfigNumber(const QString& key) const {
    return stdHelpers::LeadingInteger(ConfigValue(key));
}

QString TextWindow::LayoutValue(const QString& key) const {
    const QString section = mDriver.mBaseFilmSet == clsKestDriver::kFilmSetNovel
                                ? QStringLiteral("NovelMode")
                                : QStringLiteral("WindowMode");
    return mDriver.GamemodeValue(section, key);
}

TextWindow::FilmId TextWindow::TextFilm() const {
    return mDriver.mFIDText;
}

TextWindow::FilmId TextWindow::ShadowFilm() const {
    return mDriver.mFIDShadow;
}

TextWindow::FilmId TextWindow::FrameFilm() const {
    return mDriver.mFIDFrame;
}

TextWindow::FilmId TextWindow::StateFilm() const {
    return mDriver.mFIDState;
}

TextWindow::FilmId TextWindow::NamePlateFilm() const {
    return mDriver.mFIDNamePlate;
}

TextWindow::FilmId TextWindow::FaceFilm() const {
    return mDriver.mFIDFace;
}

const std::vector<TextWindow::FilmId>& TextWindow::ButtonFilms() const {
    return mDriver.mButtonFilms;
}
