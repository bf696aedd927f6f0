#include "modes/clsModeSaveLoad.h"

#include <algorithm>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/Configuration.h"
#include "data/INIFile.h"
#include "data/SavedValueCodec.h"
#include "data/clsSaveData.h"
#include "data/stdINI.h"
#include "media/clsDovDriver.h"
#include "modes/ModeHost.h"
#include "modes/clsModeGame.h"
#include "platform/os/FileIo.h"
#include "platform/os/MsgBox.h"
#include "screen/ItemSpec.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmKind = KestLibrary::FilmKind;
using FilmMethod = KestLibrary::FilmMethod;
using FilmProp = KestLibrary::FilmProp;

const QString kSlotGroup = QStringLiteral("slot");
const QString kSaveGroup = QStringLiteral("save");
const QString kLoadGroup = QStringLiteral("load");
const QString kPageGroup = QStringLiteral("page");
const QString kReturnGroup = QStringLiteral("ret");

const QString kDocumentMissing =
    QStringLiteral("セーブ・ロードモード初期化ファイルがロードできません。");
const QString kBadSubMode = QStringLiteral("不正なモード開始引数です。");
const QString kSaveFailed = QStringLiteral("セーブに失敗しました。");
const QString kLoadFailed = QStringLiteral("ロードに失敗しました。");

// Keys name pages and slots by two-digit numbers: at most 100 pages of 100 slots.
constexpr std::int32_t kMaxCount = 100;
constexpr std::int32_t kScreenMs = 1000;
constexpr std::int32_t kGameFadeMs = 200;
constexpr std::int32_t kShown = 0x100;
constexpr std::int32_t kHidden = 0;
// The title's sub-mode when it is entered from the slot screen.
constexpr std::int32_t kTitleFromSaveLoad = 3;

QString TwoDigits(std::int32_t value) {
    return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0'));
}

bool IsTrue(const QString& value) {
    return value.trimmed().toLower() == QLatin1String("true");
}

// A length in script coordinates as screen pixels (integer, truncated).
std::int32_t Scaled(std::int32_t value, std::int32_t screen, std::int32_t script) {
    if (script == 0) {
        return value;
    }
    return static_cast<std::int32_t>(static_cast<qint64>(value) * screen / script);
}

// Hexadecimal digits, optionally after "&H", "#" or "0x".
bool ParseHexColour(QString text, std::int32_t& colour) {
    text = text.trimmed();
    for (const char* prefix : {"&H", "#", "0x"}) {
        if (text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive)) {
            text = text.mid(static_cast<qsizetype>(qstrlen(prefix)));
            break;
        }
    }
    bool ok = false;
    const uint value = text.toUInt(&ok, 16);
    colour = static_cast<std::int32_t>(value & 0xFFFFFF);
    return ok;
}

}  // namespace

clsModeSaveLoad::clsModeSaveLoad(ModeHost& varo) : clsModeBase(varo.GameView()), mVaro(varo) {}

// ---------------------------------------------------------------------------
// Start and end

bool clsModeSaveLoad::ModeStart(std::int32_t& subMode, const QVariant& /*argument*/) {
    clsGameView& view = mVaro.GameView();
    // No game menu entry acts on the slot screen.
    view.MenuEnableByText(QString());
    if (subMode == kSubFromTitle || subMode == kSubFromGame) {
        mSaveAllowed = subMode == kSubFromGame;
    } else {
        ShowMessage(kBadSubMode);
    }
    // Leaving must stay possible whatever the layout: a right click returns.
    view.SetEventEnabled(true);
    mSettings = stdINI::LoadINIByKey(QStringLiteral("saveload_mode"));
    if (mSettings == nullptr) {
        ShowMessage(kDocumentMissing);
        return false;
    }
    ReadCounts();
    MakeSaveLoadFilms();
    ShowPage(mVaro.Cfg().LongVal(QStringLiteral("LastSaveLoadPage")), false);
    return true;
}

bool clsModeSaveLoad::ModeEnd() {
    if (mPage >= 1) {
        mVaro.Cfg().SetLongVal(QStringLiteral("LastSaveLoadPage"), mPage);
    }
    clsGameView& view = mVaro.GameView();
    view.EvRects().Clear();
    view.SelectionClear();
    return true;
}

INISection& clsModeSaveLoad::Section(const QString& name) const {
    return mSettings->KeySection(name);
}

void clsModeSaveLoad::ReadCounts() {
    const QString slotsSection = QStringLiteral("Slots");
    mSlotXCount = ReadCount(slotsSection, QStringLiteral("SlotXCount"));
    mSlotYCount = ReadCount(slotsSection, QStringLiteral("SlotYCount"));
    if (mSlotXCount * mSlotYCount > kMaxCount) {
        LogLayoutProblem(
            QStringLiteral("[Slots] more than %1 slots; the grid is cut").arg(kMaxCount));
        mSlotYCount = kMaxCount / mSlotXCount;
    }
    mFreePlaceMode = IsTrue(Section(slotsSection).KeyValue(QStringLiteral("FreePlaceMode")));
    mPageCount = ReadCount(QStringLiteral("Button"), QStringLiteral("PageNoCount"));
    const INISection& base = Section(QStringLiteral("Base"));
    mPointSE = base.KeyValue(QStringLiteral("PointSE"));
    mClickSE = base.KeyValue(QStringLiteral("ClickSE"));
}

// A count of the layout, held to 0..100 with a log line when it is outside.
std::int32_t clsModeSaveLoad::ReadCount(const QString& section, const QString& key) const {
    const std::int32_t value = stdHelpers::LeadingInteger(Section(section).KeyValue(key));
    const std::int32_t held = std::clamp(value, 0, kMaxCount);
    if (held != value) {
        LogLayoutProblem(QStringLiteral("[%1] %2=%3 is out of range; %4 is used")
                             .arg(section, key)
                             .arg(value)
                             .arg(held));
    }
    return held;
}

// ---------------------------------------------------------------------------
// Building the screen

void clsModeSaveLoad::MakeSaveLoadFilms() {
    clsKestDriver& kest = mVaro.Kest();
    mVaro.GameView().EvRects().Clear();
    kest.DrawDeactivate(clsKestDriver::kEffectNone, kScreenMs);
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    MakeBackground();
    MakeButton(0, kReturnGroup, QStringLiteral("Button"), QStringLiteral("Return"), {});
    MakePageButtons();
    const std::vector<QPoint> positions = SlotPositions();
    mSlots.assign(positions.size(), SlotRecord());
    for (std::size_t index = 0; index < positions.size(); ++index) {
        mSlots[index].position = positions[index];
        MakeSlot(mSlots[index], static_cast<std::int32_t>(index));
    }
    kest.EXEQ();
    kest.DrawActivate(clsKestDriver::kEffectNone, kScreenMs);
}

// Overlay: the picture is blended over the screen as it stood; otherwise it
// becomes the centred background.
void clsModeSaveLoad::MakeBackground() {
    const INISection& base = Section(QStringLiteral("Base"));
    const QString name =
        base.KeyValue(mSaveAllowed ? QStringLiteral("BGFromGame") : QStringLiteral("BGFromTitle"));
    const bool overlay =
        IsTrue(base.KeyValue(mSaveAllowed ? QStringLiteral("TransparentBGFromGame")
                                          : QStringLiteral("TransparentBGFromTitle")));
    clsKestDriver& kest = mVaro.Kest();
    KestLibrary& lib = kest.Library();
    if (!overlay) {
        if (!name.isEmpty()) {
            kest.BGCenter(name, BackgroundStage::kCentre, BackgroundStage::kCentre, kScreenMs,
                          true);
        }
        return;
    }
    lib.CallFilmMethod(kest.FIDRoot(), FilmMethod::CopyScreen, kest.FIDBack());
    if (name.isEmpty()) {
        return;
    }
    const FilmId film = lib.AddFilm(FilmKind::Picture);
    lib.SetFilmProp(film, FilmProp::Parent, kest.FIDBuff());
    if (!kest.LoadPng(film, name, true, true)) {
        LogLayoutProblem(QStringLiteral("background picture '%1' cannot be loaded").arg(name));
    }
    const QString alpha = base.KeyValue(QStringLiteral("BGAlphaBlend"));
    lib.SetFilmProp(film, FilmProp::Opacity,
                    alpha.trimmed().isEmpty() ? clsKestDriver::kFullOpacity
                                              : stdHelpers::LeadingInteger(alpha));
}

void clsModeSaveLoad::MakePageButtons() {
    mPageButtons.assign(static_cast<std::size_t>(mPageCount), nullptr);
    for (std::int32_t page = 1; page <= mPageCount; ++page) {
        mPageButtons[static_cast<std::size_t>(page - 1)] =
            MakeButton(page, kPageGroup, QStringLiteral("Button"),
                       QStringLiteral("PageNo") + TwoDigits(page - 1), {});
    }
}

// Grid slots are numbered down each column.
std::vector<QPoint> clsModeSaveLoad::SlotPositions() const {
    const INISection& layout = Section(QStringLiteral("Slots"));
    const auto number = [&layout](const char* key) {
        return stdHelpers::LeadingInteger(layout.KeyValue(QLatin1String(key)));
    };
    std::vector<QPoint> positions;
    if (mFreePlaceMode) {
        const std::int32_t count = ReadCount(QStringLiteral("Slots"), QStringLiteral("SlotCount"));
        for (std::int32_t index = 0; index < count; ++index) {
            const QString key = QStringLiteral("Slot") + TwoDigits(index);
            const QStringList xy = layout.KeyValue(key).split(QLatin1Char(','));
            if (xy.size() < 2) {
                LogLayoutProblem(
                    QStringLiteral("[Slots] %1 is missing; the slot is put at 0,0").arg(key));
            }
            positions.emplace_back(stdHelpers::LeadingInteger(xy.value(0)),
                                   stdHelpers::LeadingInteger(xy.value(1)));
        }
        return positions;
    }
    positions.resize(static_cast<std::size_t>(mSlotXCount * mSlotYCount));
    for (std::int32_t column = 0; column < mSlotXCount; ++column) {
        for (std::int32_t row = 0; row < mSlotYCount; ++row) {
            positions[static_cast<std::size_t>(column * mSlotYCount + row)] =
                QPoint(number("SlotXBase") + column * number("SlotXDiff"),
                       number("SlotYBase") + row * number("SlotYDiff"));
        }
    }
    return positions;
}

void clsModeSaveLoad::MakeSlot(SlotRecord& slot, std::int32_t index) {
    const QString section = QStringLiteral("SlotBase");
    const QPoint at = slot.position;
    const auto makeBase = [&] {
        slot.base = MakeButton(index, kSlotGroup, section, QStringLiteral("Base"), at);
        if (slot.base != nullptr) {
            slot.base->SetType(false, true, false, false);
        }
    };
    const auto makeThumbnail = [&] {
        slot.thumbnail =
            MakeItemFilm(FilmKind::Group, Section(section).KeyValue(QStringLiteral("Thumb")), at);
        if (slot.thumbnail != KestLibrary::kNoFilm) {
            mVaro.Kest().Library().SetFilmProp(slot.thumbnail, FilmProp::Opacity, kHidden);
        }
    };
    if (IsTrue(Section(QStringLiteral("Base")).KeyValue(QStringLiteral("SlotbaseOverThumbnail")))) {
        makeThumbnail();
        makeBase();
    } else {
        makeBase();
        makeThumbnail();
    }
    slot.save = MakeButton(index, kSaveGroup, section, QStringLiteral("Save"), at);
    slot.load = MakeButton(index, kLoadGroup, section, QStringLiteral("Load"), at);
    MakeSlotText(slot);
}

// Sizes are given in script coordinates.
void clsModeSaveLoad::MakeSlotText(SlotRecord& slot) {
    const INISection& settings = Section(QStringLiteral("SlotBase"));
    slot.text =
        MakeItemFilm(FilmKind::Text, settings.KeyValue(QStringLiteral("Text")), slot.position);
    if (slot.text == KestLibrary::kNoFilm) {
        return;
    }
    KestLibrary& lib = mVaro.Kest().Library();
    const AppState& app = App();
    const auto setScaled = [&](const char* key, FilmProp prop, std::int32_t screen,
                               std::int32_t script) {
        const QString value = settings.KeyValue(QLatin1String(key));
        if (!value.trimmed().isEmpty()) {
            lib.SetFilmProp(slot.text, prop,
                            Scaled(stdHelpers::LeadingInteger(value), screen, script));
        }
    };
    const QString font = settings.KeyValue(QStringLiteral("TextFont"));
    if (!font.isEmpty()) {
        lib.SetFilmProp(slot.text, FilmProp::TextFont, font);
    }
    const QString colourText = settings.KeyValue(QStringLiteral("TextColor"));
    std::int32_t colour = 0;
    if (ParseHexColour(colourText, colour)) {
        lib.SetFilmProp(slot.text, FilmProp::TextColor, colour);
    } else if (!colourText.isEmpty()) {
        LogLayoutProblem(QStringLiteral("[SlotBase] TextColor=%1 is no colour").arg(colourText));
    }
    setScaled("TextSize", FilmProp::TextSize, app.ScreenSizeX, app.ScriptScaleX);
    setScaled("TextWidth", FilmProp::TextWidth, app.ScreenSizeX, app.ScriptScaleX);
    setScaled("TextHeight", FilmProp::TextLineHeight, app.ScreenSizeY, app.ScriptScaleY);
    SetSlotText(slot, QString());
}

// A button from "picture, x, y, (unused), cell height", placed at offset + (x, y);
// null when the layout does not give it (logged once per key).
clsModeSaveLoad::RectPtr clsModeSaveLoad::MakeButton(std::int32_t tag, const QString& groupName,
                                                     const QString& section, const QString& key,
                                                     QPoint offset) {
    const QString value = Section(section).KeyValue(key);
    if (value.trimmed().isEmpty()) {
        const QString where = QStringLiteral("[%1] %2").arg(section, key);
        if (!mReportedKeys.contains(where)) {
            mReportedKeys << where;
            LogLayoutProblem(where + QStringLiteral(" is missing; that button is left out"));
        }
        return nullptr;
    }
    const ItemSpec def = ParseItemSpec(value);
    return mVaro.Kest().MakeButtonFilm(tag, groupName, def.file, def.x + offset.x(),
                                       def.y + offset.y(), def.height, true);
}

// A film under the buffer film placed by a picture definition at offset +
// (x, y); kNoFilm for an empty definition.
clsModeSaveLoad::FilmId clsModeSaveLoad::MakeItemFilm(FilmKind kind, const QString& definition,
                                                      QPoint offset) {
    if (definition.trimmed().isEmpty()) {
        return KestLibrary::kNoFilm;
    }
    clsKestDriver& kest = mVaro.Kest();
    const FilmId film = kest.Library().AddFilm(kind);
    kest.Library().SetFilmProp(film, FilmProp::Parent, kest.FIDBuff());
    ItemSpec def = ParseItemSpec(definition);
    def.x += offset.x();
    def.y += offset.y();
    kest.ApplyItemSpec(film, def);
    return film;
}

// ---------------------------------------------------------------------------
// Pages and slots

void clsModeSaveLoad::ShowPage(std::int32_t page, bool withTransition) {
    if (page < 1 || page > mPageCount) {
        page = 1;
    }
    clsKestDriver& kest = mVaro.Kest();
    if (withTransition) {
        kest.DrawDeactivate(clsKestDriver::kEffectNone, kScreenMs);
    }
    for (std::int32_t index = 0; index < SlotCount(); ++index) {
        FillSlot(index, page, mSaveAllowed);
    }
    const std::int32_t lockRow = stdHelpers::LeadingInteger(
        Section(QStringLiteral("Base")).KeyValue(QStringLiteral("PageButtonFlipNumOnLock")));
    for (std::int32_t number = 1; number <= static_cast<std::int32_t>(mPageButtons.size());
         ++number) {
        const RectPtr& button = mPageButtons[static_cast<std::size_t>(number - 1)];
        if (button != nullptr) {
            button->Enabled = number != page;
            SetCellRow(button, number == page ? lockRow : kRowNormal);
        }
    }
    kest.EXEQ();
    if (withTransition) {
        kest.DrawActivate(clsKestDriver::kEffectNone, kScreenMs);
    }
    mPage = page;
}

// The slot's file is read into a document of its own: the game's save data
// stays as it is. A file that cannot be read shows as an empty slot.
void clsModeSaveLoad::FillSlot(std::int32_t index, std::int32_t page, bool saveAllowed) {
    SlotRecord& slot = mSlots[static_cast<std::size_t>(index)];
    const QString iniPath = clsSaveData::FormatINIPath(page, index);
    INIFile document;
    const bool present = FileIo::isFile(iniPath) && stdINI::LoadINIFile(document, iniPath);
    SavedValueCodec::UnescapeMarked(document);
    QString text;
    if (present) {
        const INISection& status = document.KeySection(QStringLiteral("VaroStatus"));
        const QString site = document.KeySection(QStringLiteral("GameViewStatus"))
                                 .KeyValue(QStringLiteral("SiteName"));
        text = status.KeyValue(QStringLiteral("DateString")) + QLatin1Char('\n') +
               status.KeyValue(QStringLiteral("TimeString")) + QLatin1Char('\n') +
               site.left(kSiteNameLength);
    }
    SetSlotText(slot, text);
    if (slot.base != nullptr) {
        slot.base->Enabled = true;
        SetCellRow(slot.base, kRowNormal);
    }
    if (slot.load != nullptr) {
        slot.load->Enabled = present;
        SetCellRow(slot.load, present ? kRowNormal : kRowDisabled);
    }
    if (slot.save != nullptr) {
        slot.save->Enabled = saveAllowed;
        SetCellRow(slot.save, saveAllowed ? kRowNormal : kRowDisabled);
    }
    // Only the picture written with this save: never one left by an interrupted save.
    ShowThumbnail(slot, mVaro.SD().PreviewPath(clsSaveData::FormatSlotName(page, index)), present);
}

void clsModeSaveLoad::SetSlotText(SlotRecord& slot, const QString& text) {
    slot.shownText = text;
    if (slot.text == KestLibrary::kNoFilm) {
        return;
    }
    KestLibrary& lib = mVaro.Kest().Library();
    lib.CallFilmMethod(slot.text, FilmMethod::ClearText);
    if (!text.isEmpty()) {
        lib.SetFilmProp(slot.text, FilmProp::TextAppend, text);
    }
    std::int32_t length = 0;
    lib.GetFilmProp(slot.text, FilmProp::TextLength, length);
    lib.SetFilmProp(slot.text, FilmProp::TextShown, length);
}

// A slot without its picture shows no thumbnail rather than that of another page.
void clsModeSaveLoad::ShowThumbnail(SlotRecord& slot, const QString& bmpPath, bool present) {
    if (slot.thumbnail == KestLibrary::kNoFilm) {
        return;
    }
    clsKestDriver& kest = mVaro.Kest();
    const bool shown =
        present && !bmpPath.isEmpty() && kest.LoadByFullPath(slot.thumbnail, bmpPath);
    kest.Library().SetFilmProp(slot.thumbnail, FilmProp::Opacity, shown ? kShown : kHidden);
}

QString clsModeSaveLoad::SlotText(std::int32_t slot) const {
    return slot >= 0 && slot < SlotCount() ? mSlots[static_cast<std::size_t>(slot)].shownText
                                           : QString();
}

clsModeSaveLoad::FilmId clsModeSaveLoad::ThumbnailFilm(std::int32_t slot) const {
    return slot >= 0 && slot < SlotCount() ? mSlots[static_cast<std::size_t>(slot)].thumbnail
                                           : KestLibrary::kNoFilm;
}

clsModeSaveLoad::FilmId clsModeSaveLoad::TextFilm(std::int32_t slot) const {
    return slot >= 0 && slot < SlotCount() ? mSlots[static_cast<std::size_t>(slot)].text
                                           : KestLibrary::kNoFilm;
}

// ---------------------------------------------------------------------------
// Screen commands

void clsModeSaveLoad::mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) {
    if (mode != ModeHost::kModeSaveLoad) {
        return;
    }
    if (command == clsGameView::kCmdSecondary) {
        PlayEffect(mClickSE);
        ReturnToCaller();
        return;
    }
    if (command == clsGameView::kCmdPointer) {
        PointAt(rect);
        return;
    }
    if (command != clsGameView::kCmdPrimary || rect == nullptr || !rect->Enabled) {
        return;
    }
    if (rect->TagName == kPageGroup) {
        PageClick(rect);
    } else if (rect->TagName == kReturnGroup) {
        ReturnClick(*rect);
    } else if (rect->TagName == kSaveGroup) {
        SaveClick(*rect);
    } else if (rect->TagName == kLoadGroup) {
        LoadClick(*rect);
    }
}

// The slot part under the pointer lights up; every other one goes back to normal.
void clsModeSaveLoad::PointAt(const RectPtr& rect) {
    const bool onSlot = rect != nullptr && rect->Enabled && IsSlotGroup(rect->TagName);
    if (onSlot) {
        PlayEffect(mPointSE);
    }
    for (const RectPtr& other : mVaro.GameView().EvRects().NewEnum()) {
        if (other->Enabled && IsSlotGroup(other->TagName)) {
            SetCellRow(other, onSlot && other == rect ? kRowPointed : kRowNormal);
        }
    }
    mVaro.Kest().EXEQ();
}

void clsModeSaveLoad::PageClick(const RectPtr& rect) {
    PlayEffect(mClickSE);
    const std::int32_t clickRow = stdHelpers::LeadingInteger(
        Section(QStringLiteral("Base")).KeyValue(QStringLiteral("PageButtonFlipNumOnClick")));
    for (const RectPtr& button : mPageButtons) {
        if (button != nullptr) {
            SetCellRow(button, button == rect ? clickRow : kRowNormal);
        }
    }
    ShowPage(rect->Tag, true);
}

void clsModeSaveLoad::ReturnClick(const clsEventRect& rect) {
    PlayEffect(mClickSE);
    ShowPressed(rect);
    ReturnToCaller();
}

void clsModeSaveLoad::SaveClick(const clsEventRect& rect) {
    if (!mSaveAllowed || rect.Tag < 0 || rect.Tag >= SlotCount()) {
        return;
    }
    PlayEffect(mClickSE);
    ShowPressed(rect);
    if (!Confirm(QStringLiteral("QuerySave"), QStringLiteral("QuerySaveMessage"))) {
        mVaro.Kest().Library().SetFilmProp(rect.FilmID, FilmProp::CellRow, kRowNormal);
        mVaro.Kest().EXEQ();
        return;
    }
    const bool saved =
        mVaro.SD().Save(clsSaveData::FormatSlotName(mPage, rect.Tag), mVaro.Preview());
    // Whatever happened, the page shows the slot as it now is on disk.
    ShowPage(mPage, false);
    if (!saved) {
        ShowMessage(kSaveFailed);
    }
}

// A load that fails leaves the game in progress as it was.
void clsModeSaveLoad::LoadClick(const clsEventRect& rect) {
    if (rect.Tag < 0 || rect.Tag >= SlotCount()) {
        return;
    }
    PlayEffect(mClickSE);
    ShowPressed(rect);
    if (!Confirm(QStringLiteral("QueryLoad"), QStringLiteral("QueryLoadMessage"))) {
        mVaro.Kest().Library().SetFilmProp(rect.FilmID, FilmProp::CellRow, kRowNormal);
        mVaro.Kest().EXEQ();
        return;
    }
    if (!mVaro.SD().Load(clsSaveData::FormatSlotName(mPage, rect.Tag))) {
        ShowPage(mPage, false);
        ShowMessage(kLoadFailed);
        return;
    }
    ModeHost& varo = mVaro;
    clsKestDriver& kest = varo.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectFade, kGameFadeMs);
    varo.ChangeMode(ModeHost::kModeGame, clsModeGame::kSubAfterLoad);
    varo.SDRestoreData(true);
    kest.DrawActivate(clsKestDriver::kEffectFade, kGameFadeMs);
}

void clsModeSaveLoad::ShowPressed(const clsEventRect& rect) {
    clsKestDriver& kest = mVaro.Kest();
    kest.Library().SetFilmProp(rect.FilmID, FilmProp::CellRow, kRowPressed);
    kest.EXEQ();
    kest.Library().WaitBlt();
}

// True when the configuration asks nothing or the player answers Yes.
bool clsModeSaveLoad::Confirm(const QString& queryKey, const QString& messageKey) {
    if (!mVaro.Cfg().BoolVal(queryKey)) {
        return true;
    }
    const QString question = mSettings->KeySection(QStringLiteral("Base")).KeyValue(messageKey);
    return App().Launcher != nullptr &&
           App().Launcher->Msg(question, MsgBox::YesNo) == MsgBox::IdYes;
}

// Back to the game, rebuilt from the save data without touching its sound, or
// to the title. The mode ends on the way: nothing of it is used afterwards.
void clsModeSaveLoad::ReturnToCaller() {
    ModeHost& varo = mVaro;
    if (!mSaveAllowed) {
        varo.ChangeMode(ModeHost::kModeTitle, kTitleFromSaveLoad);
        return;
    }
    clsKestDriver& kest = varo.Kest();
    kest.DrawDeactivate(clsKestDriver::kEffectNone, 0);
    varo.ChangeMode(ModeHost::kModeGame, clsModeGame::kSubAfterLoad);
    varo.SDRestoreData(false);
    kest.DrawActivate(clsKestDriver::kEffectFade, kGameFadeMs);
}

// ---------------------------------------------------------------------------
// Helpers

bool clsModeSaveLoad::IsSlotGroup(const QString& tagName) {
    return tagName == kSlotGroup || tagName == kSaveGroup || tagName == kLoadGroup;
}

void clsModeSaveLoad::SetCellRow(const RectPtr& rect, std::int32_t row) {
    if (rect != nullptr && rect->FilmID != clsEventRect::NoFilm) {
        mVaro.Kest().Library().SetFilmProp(rect->FilmID, FilmProp::CellRow, row);
    }
}

void clsModeSaveLoad::LogLayoutProblem(const QString& text) const {
    App().PutLog(QStringLiteral("saveload_mode: ") + text);
}
