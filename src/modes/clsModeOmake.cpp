#include "modes/clsModeOmake.h"

#include <QStringList>

#include "base/AppState.h"
#include "base/LauncherServices.h"
#include "base/stdHelpers.h"
#include "data/INIFile.h"
#include "data/SharedData.h"
#include "data/stdINI.h"
#include "media/clsDovDriver.h"
#include "modes/ModeHost.h"
#include "modes/clsModeGame.h"
#include "platform/Platform.h"
#include "platform/os/MsgBox.h"
#include "screen/BackgroundStage.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

const QString kBase = QStringLiteral("base");
const QString kModeGroup = QStringLiteral("mode");
const QString kReturnGroup = QStringLiteral("ret");
const QString kPercentGroup = QStringLiteral("percent");
const QString kCommandGroup = QStringLiteral("command");
const QString kPlayModeGroup = QStringLiteral("playmode");
const QString kPageGroup = QStringLiteral("page");
const QString kPanelGroup = QStringLiteral("panel");
const QString kCGCommands = QStringLiteral("cgmode_cmd");

constexpr std::int32_t kCentre = BackgroundStage::kCentre;
constexpr std::int32_t kSceneMs = 1000;
constexpr std::int32_t kMovieFirstCheckMs = 1000;
constexpr std::int32_t kMovieRecheckMs = 500;
constexpr std::int32_t kTitleMenu = 3;
constexpr std::uint32_t kHeadlessSeed = 15;

struct SubModeNames {
    const char* section;  // layout of the screen
    const char* prefix;   // of its button keys
    const char* panels;   // contents of its panels
};
constexpr SubModeNames kNames[] = {{"cgmode", "CG", "cgmode_panel"},
                                   {"repmode", "Rep", "repmode_panel"},
                                   {"SndMode", "Snd", "sndmode_panel"}};

const SubModeNames& NamesOf(std::int32_t subMode) {
    return kNames[subMode >= 0 && subMode <= 2 ? subMode : 0];
}

QString TwoDigits(std::int32_t number) {
    return QStringLiteral("%1").arg(number, 2, 10, QLatin1Char('0'));
}

// "panel" + page + "_" + panel, both 1-based.
QString PanelKey(std::int32_t page, std::int32_t slot) {
    return QStringLiteral("panel") + TwoDigits(page + 1) + QLatin1Char('_') + TwoDigits(slot + 1);
}

QString StepKey(std::int32_t page, std::int32_t slot, std::int32_t step) {
    return QStringLiteral("cmd") + TwoDigits(page + 1) + QLatin1Char('_') + TwoDigits(slot + 1) +
           QLatin1Char('_') + TwoDigits(step);
}

QString Item(const QString& value, int index) {
    return value.section(QLatin1Char(','), index, index).trimmed();
}

std::int32_t NumberOr(const QStringList& items, int index, std::int32_t fallback) {
    const QString item = items.value(index).trimmed();
    return item.isEmpty() ? fallback : stdHelpers::LeadingInteger(item);
}

Clock* PlatformClock() {
    return App().platform != nullptr ? &App().platform->clock() : nullptr;
}

}  // namespace

clsModeOmake::clsModeOmake(ModeHost& varo) : clsModeBase(varo.GameView()), mVaro(varo) {
    // Headless runs repeat: the random play order follows a fixed seed there.
    const Clock* clock = PlatformClock();
    if (clock != nullptr && clock->isVirtual()) {
        mRandom.seed(kHeadlessSeed);
    } else {
        mRandom.seed(std::random_device{}());
    }
}

clsModeOmake::~clsModeOmake() {
    StopPolling();
}

// ---------------------------------------------------------------------------
// Start and end

bool clsModeOmake::ModeStart(std::int32_t& /*subMode*/, const QVariant& /*argument*/) {
    SetSubStatus(kStarted);
    mVaro.Dov().SetBGMVolumeRate(100);
    clsGameView& view = mVaro.GameView();
    view.SetEventEnabled(false);
    view.EvRects().Clear();
    view.SetEventEnabled(true);
    view.MenuEnableByText(QString());
    mDocument = stdINI::LoadINIByKey(QStringLiteral("omake_mode"));
    if (mDocument == nullptr) {
        ShowMessage(QStringLiteral("おまけモード初期化ファイルがロードできません。"));
        return false;
    }
    ReadBase();
    ReadMusicList();
    SharedData& shared = mVaro.Shared();
    if (shared.ReplayReturn()) {
        shared.SetReplayReturn(false);
        OpenSubMode(kSubReplay, shared.ReplayPage());
    } else {
        OpenSubMode(kSubCG, 0);
    }
    return true;
}

bool clsModeOmake::ModeEnd() {
    StopPolling();
    if (mViewPanel >= 0) {
        mVaro.MakeAutoClickTimer(0, 0, nullptr);
        mVaro.Dov().StopMovie();
        mViewPanel = mViewStep = -1;
    }
    return true;
}

QString clsModeOmake::Value(const QString& section, const QString& key) const {
    return Section(section).KeyValue(key);
}

INISection& clsModeOmake::Section(const QString& name) const {
    return mDocument->KeySection(name);
}

void clsModeOmake::ReadBase() {
    mPointSE = Value(kBase, QStringLiteral("PointSE"));
    mClickSE = Value(kBase, QStringLiteral("ClickSE"));
    mFadeTime = stdHelpers::LeadingInteger(Value(kBase, QStringLiteral("FadeTime")));
    mPercent = Value(kBase, QStringLiteral("Percent"));
    mPercentPrefix = Value(kBase, QStringLiteral("PercentImagePrefix"));
}

// Every existing key of the music panels, page by page, numbered without gaps.
void clsModeOmake::ReadMusicList() {
    mMusic.clear();
    const QString section = QString::fromLatin1(kNames[kSubSound].section);
    const std::int32_t pages = SectionCount(section, QStringLiteral("PageCount"));
    const std::int32_t panels = SectionCount(section, QStringLiteral("PanelCount"));
    INISection& list = Section(QString::fromLatin1(kNames[kSubSound].panels));
    for (std::int32_t page = 0; page < pages; ++page) {
        for (std::int32_t panel = 0; panel < panels; ++panel) {
            const QString key = PanelKey(page, panel);
            if (!list.KeyExists(key)) {
                continue;
            }
            MusicRecord record;
            record.key = key;
            record.value = list.KeyValue(key);
            record.music = Item(record.value, 0);
            record.picture = Item(record.value, 1);
            record.number = static_cast<std::int32_t>(mMusic.size());
            record.page = page;
            record.panel = panel;
            mMusic.push_back(record);
        }
    }
}

std::int32_t clsModeOmake::SectionCount(const QString& section, const QString& key) const {
    return std::max(0, stdHelpers::LeadingInteger(Value(section, key)));
}

// ---------------------------------------------------------------------------
// Screens and pages

void clsModeOmake::OpenSubMode(std::int32_t subMode, std::int32_t page) {
    if (subMode != kSubSound) {
        StopPolling();
    }
    mSubMode = subMode;
    mViewPanel = mViewStep = -1;
    mVaro.GameView().EvRects().Clear();
    clsKestDriver& kest = mVaro.Kest();
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    kest.DrawDeactivate(clsKestDriver::kEffectNone, kSceneMs);
    BuildScreen();
    MarkGroup(kModeGroup, subMode);
    if (page != -1) {
        ShowPage(page);
    }
    kest.EXEQ();
    kest.DrawActivate(clsKestDriver::kEffectFade, mFadeTime);
    if (subMode == kSubSound && mPlaying >= 0 && mPollTimer == 0) {
        StartPolling();
    }
}

void clsModeOmake::BuildScreen() {
    const SubModeNames& names = NamesOf(mSubMode);
    const QString section = QString::fromLatin1(names.section);
    const QString prefix = QString::fromLatin1(names.prefix);
    mPageCount = SectionCount(section, QStringLiteral("PageCount"));
    mPanelCount = SectionCount(section, QStringLiteral("PanelCount"));
    const QString background = Value(section, QStringLiteral("bg"));
    if (!background.isEmpty()) {
        mVaro.Kest().BGCenter(background, kCentre, kCentre, kSceneMs, true);
    }
    for (std::int32_t i = 0; i < 3; ++i) {
        MakeButton(section, prefix + QStringLiteral("ModeBtn") + TwoDigits(i + 1), kModeGroup, i);
    }
    MakeButton(section, prefix + QStringLiteral("Return"), kReturnGroup, 0);
    if (mSubMode == kSubSound) {
        const char* commands[] = {"SndBack", "SndPlay", "SndStop", "SndNext"};
        for (std::int32_t i = 0; i < 4; ++i) {
            MakeButton(section, QString::fromLatin1(commands[i]), kCommandGroup, i);
        }
        const char* playModes[] = {"SndSingle", "SndAll", "SndRandom"};
        for (std::int32_t i = 0; i < 3; ++i) {
            MakeButton(section, QString::fromLatin1(playModes[i]), kPlayModeGroup, i);
        }
        MarkGroup(kPlayModeGroup, mPlayMode);
    } else {
        MakePercent();
    }
    for (std::int32_t page = 0; page < mPageCount; ++page) {
        MakeButton(section, prefix + QStringLiteral("PageBtn") + TwoDigits(page + 1), kPageGroup,
                   page);
    }
    MakePanels(section, prefix);
}

// A button whose key the layout lacks is left out.
void clsModeOmake::MakeButton(const QString& section, const QString& key, const QString& group,
                              std::int32_t tag) {
    const QString definition = Value(section, key);
    if (definition.isEmpty()) {
        return;
    }
    mVaro.Kest().MakeSpecFilmFromText(tag, group, definition);
}

void clsModeOmake::MakePercent() {
    if (mPercent.isEmpty()) {
        return;
    }
    ItemSpec def = ParseItemSpec(mPercent);
    def.file =
        mPercentPrefix + QStringLiteral("%1").arg(Percentage(mSubMode), 3, 10, QLatin1Char('0'));
    mVaro.Kest().MakeSpecFilm(0, kPercentGroup, def);
}

// A panel's picture holds two cells, normal and marked, each of the
// definition's height.
void clsModeOmake::MakePanels(const QString& section, const QString& prefix) {
    mPanelHeights.assign(static_cast<std::size_t>(mPanelCount), 0);
    clsKestDriver& kest = mVaro.Kest();
    for (std::int32_t slot = 0; slot < mPanelCount; ++slot) {
        const QString definition =
            Value(section, prefix + QStringLiteral("Panel") + TwoDigits(slot + 1));
        if (definition.isEmpty()) {
            continue;
        }
        ItemSpec def = ParseItemSpec(definition);
        const std::int32_t height = def.height;
        mPanelHeights[static_cast<std::size_t>(slot)] = height;
        def.height *= 2;
        const RectPtr panel = kest.MakeSpecFilm(slot, kPanelGroup, def);
        if (height > 0) {
            kest.Library().SetFilmProp(panel->FilmID, KestLibrary::FilmProp::CellHeight, height);
            panel->FitFilm(panel->FilmID, kest.FilmArea(panel->FilmID));
        }
    }
}

void clsModeOmake::ShowPage(std::int32_t page) {
    if (page < 0 || page >= mPageCount) {
        page = 0;
    }
    mPage = page;
    MarkGroup(kPageGroup, page);
    for (std::int32_t slot = 0; slot < mPanelCount; ++slot) {
        const RectPtr panel = mVaro.GameView().EvRects().GetRectByTag(kPanelGroup, slot);
        if (panel == nullptr) {
            continue;
        }
        if (mSubMode == kSubCG) {
            ShowCGPanel(panel, slot);
        } else if (mSubMode == kSubReplay) {
            ShowReplayPanel(panel, slot);
        } else {
            ShowSoundPanel(panel, slot);
        }
    }
    mVaro.Kest().EXEQ();
}

void clsModeOmake::ShowCGPanel(const RectPtr& panel, std::int32_t slot) {
    if (!Section(kCGCommands).KeyExists(StepKey(mPage, slot, 1))) {
        HidePanel(panel);
    } else if (CGPanelUnlocked(mPage, slot)) {
        ShowPanelPicture(
            panel, slot,
            Item(Value(QString::fromLatin1(kNames[kSubCG].panels), PanelKey(mPage, slot)), 0));
    } else {
        LockPanel(panel, slot, QStringLiteral("CGMode"));
    }
}

// An empty slot or a locked scene must not start a replay.
void clsModeOmake::ShowReplayPanel(const RectPtr& panel, std::int32_t slot) {
    INISection& panels = Section(QString::fromLatin1(kNames[kSubReplay].panels));
    const QString key = PanelKey(mPage, slot);
    panel->Text3.clear();
    if (!panels.KeyExists(key)) {
        HidePanel(panel);
        return;
    }
    const QString value = panels.KeyValue(key);
    if (!ReplayUnlocked(value)) {
        LockPanel(panel, slot, QStringLiteral("RepMode"));
        return;
    }
    ShowPanelPicture(panel, slot, Item(value, 1));
    panel->Text3 = Item(value, 2);
    if (panel->Text3.isEmpty()) {
        panel->Enabled = false;
    }
}

void clsModeOmake::ShowSoundPanel(const RectPtr& panel, std::int32_t slot) {
    for (const MusicRecord& record : mMusic) {
        if (record.page == mPage && record.panel == slot) {
            ShowPanelPicture(panel, slot, record.picture);
            SetRow(panel, record.number == mPlaying ? kRowMarked : kRowNormal);
            return;
        }
    }
    HidePanel(panel);
}

void clsModeOmake::ShowPanelPicture(const RectPtr& panel, std::int32_t slot,
                                    const QString& picture) {
    clsKestDriver& kest = mVaro.Kest();
    KestLibrary& library = kest.Library();
    if (!picture.isEmpty()) {
        kest.LoadPng(panel->FilmID, picture, true, true);
        const std::int32_t height = mPanelHeights[static_cast<std::size_t>(slot)];
        if (height > 0) {
            library.SetFilmProp(panel->FilmID, KestLibrary::FilmProp::CellHeight, height);
        }
        panel->FitFilm(panel->FilmID, kest.FilmArea(panel->FilmID));
    }
    library.SetFilmProp(panel->FilmID, KestLibrary::FilmProp::Opacity, 256);
    SetRow(panel, kRowNormal);
    panel->Enabled = true;
}

void clsModeOmake::LockPanel(const RectPtr& panel, std::int32_t slot, const QString& nullSection) {
    ShowPanelPicture(panel, slot, Value(nullSection, QStringLiteral("NullPanel")));
    panel->Enabled = false;
}

void clsModeOmake::HidePanel(const RectPtr& panel) {
    mVaro.Kest().Library().SetFilmProp(panel->FilmID, KestLibrary::FilmProp::Opacity, 0);
    panel->Enabled = false;
    panel->Text3.clear();
}

// Any of the panel's steps whose picture was seen unlocks it.
bool clsModeOmake::CGPanelUnlocked(std::int32_t page, std::int32_t slot) const {
    if (App().AllCG) {
        return true;
    }
    INISection& steps = Section(kCGCommands);
    for (std::int32_t step = 1;; ++step) {
        const QString key = StepKey(page, slot, step);
        if (!steps.KeyExists(key)) {
            return false;
        }
        if (CGSeen(steps.KeyValue(key))) {
            return true;
        }
    }
}

bool clsModeOmake::ReplayUnlocked(const QString& panelValue) const {
    const QString name = Item(panelValue, 0);
    return !name.isEmpty() && stdHelpers::LeadingInteger(mVaro.Shared().Var().KeyValue(name)) != 0;
}

bool clsModeOmake::CGSeen(const QString& stepValue) const {
    const QString name = Item(stepValue, 0);
    return !name.isEmpty() &&
           stdHelpers::LeadingInteger(mVaro.Shared().CGHistory().KeyValue(name)) != 0;
}

// Unlocked lines of the CG steps or of the replay panels, in whole percent; a
// layout without any gives 0.
std::int32_t clsModeOmake::Percentage(std::int32_t subMode) const {
    if (App().AllCG) {
        return 100;
    }
    const bool cg = subMode == kSubCG;
    const INISection& lines =
        Section(cg ? kCGCommands : QString::fromLatin1(kNames[kSubReplay].panels));
    const QString keyPrefix = cg ? QStringLiteral("cmd") : QStringLiteral("panel");
    std::int64_t total = 0;
    std::int64_t unlocked = 0;
    for (int line = 0; line < lines.Count(); ++line) {
        if (!lines.LineKey(line).startsWith(keyPrefix, Qt::CaseInsensitive)) {
            continue;
        }
        ++total;
        const QString value = lines.LineValue(line);
        unlocked += (cg ? CGSeen(value) : ReplayUnlocked(value)) ? 1 : 0;
    }
    return total == 0 ? 0 : static_cast<std::int32_t>(unlocked * 100 / total);
}

// ---------------------------------------------------------------------------
// Screen commands

void clsModeOmake::mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) {
    if (mode != ModeHost::kModeOmake || mDocument == nullptr) {
        return;
    }
    // The rectangle outlives a mode change made by its own action.
    const RectPtr held = rect;
    const bool live = held != nullptr && mVaro.GameView().EvRects().Item(held->ID()) == held;
    if (held == nullptr || (!live && command != clsGameView::kCmdPointer)) {
        NoRectClick(command);
    } else if (command == clsGameView::kCmdPointer) {
        PointAt(live ? held : nullptr);
    } else if (command == clsGameView::kCmdPrimary && held->Enabled) {
        Dispatch(command, held);
    } else if (command == clsGameView::kCmdSecondary) {
        NoRectClick(command);
    }
}

void clsModeOmake::Dispatch(std::int32_t /*command*/, const RectPtr& rect) {
    const QString& group = rect->TagName;
    if (group == kReturnGroup) {
        PlayEffect(mClickSE);
        ReturnToTitle();
    } else if (group == kModeGroup) {
        PlayEffect(mClickSE);
        OpenSubMode(rect->Tag, 0);
    } else if (group == kPageGroup) {
        PlayEffect(mClickSE);
        ShowPage(rect->Tag);
    } else if (group == kPanelGroup) {
        if (mSubMode == kSubCG) {
            ExecuteCG(rect);
        } else if (mSubMode == kSubReplay) {
            ExecuteScene(rect);
        } else {
            ExecuteSound(rect);
        }
    } else if (group == kCommandGroup) {
        MusicCommand(rect->Tag);
    } else if (group == kPlayModeGroup) {
        SetPlayMode(rect->Tag);
    }
}

void clsModeOmake::NoRectClick(std::int32_t command) {
    if (command == clsGameView::kCmdPrimary) {
        if (mViewPanel >= 0) {
            ViewStep();
        }
    } else if (command == clsGameView::kCmdSecondary) {
        if (mViewPanel >= 0) {
            mVaro.MakeAutoClickTimer(0, 0, nullptr);
            mVaro.Dov().StopMovie();
            EndViewing();
        } else {
            PlayEffect(mClickSE);
            ReturnToTitle();
        }
    } else if (command == clsGameView::kCmdPointer) {
        PointAt(nullptr);
    }
}

// Only the pointed button shows its marked row, besides the marked ones.
void clsModeOmake::PointAt(const RectPtr& rect) {
    if (mViewPanel >= 0) {
        return;
    }
    MarkGroup(kModeGroup, mSubMode);
    MarkGroup(kPageGroup, mPage);
    MarkGroup(kReturnGroup, -1);
    MarkGroup(kCommandGroup, -1);
    if (mSubMode == kSubSound) {
        MarkGroup(kPlayModeGroup, mPlayMode);
        SetSndPanel();
    } else {
        MarkGroup(kPanelGroup, -1);
    }
    if (rect != nullptr && rect->Enabled && rect->TagName != kPercentGroup) {
        PlayEffect(mPointSE);
        SetRow(rect, kRowMarked);
    }
    mVaro.Kest().EXEQ();
}

void clsModeOmake::ReturnToTitle() {
    mVaro.ChangeMode(ModeHost::kModeTitle, kTitleMenu);
}

// Back, play and next step from the playing record, or from the last one
// chosen; before any was chosen they start at the first.
void clsModeOmake::MusicCommand(std::int32_t tag) {
    PlayEffect(mClickSE);
    if (tag == 2) {
        StopMusic();
        return;
    }
    const auto count = static_cast<std::int32_t>(mMusic.size());
    if (count == 0) {
        return;
    }
    const std::int32_t from = mPlaying >= 0 ? mPlaying : mLastChosen;
    std::int32_t record = 0;
    if (from >= 0) {
        if (tag == 0) {
            record = (from + count - 1) % count;
        } else if (tag == 1) {
            record = from;
        } else if (tag == 3) {
            record = (from + 1) % count;
        } else {
            return;
        }
    }
    PlayRecord(record);
}

void clsModeOmake::SetPlayMode(std::int32_t mode) {
    if (mode < kPlaySingle || mode > kPlayRandom) {
        return;
    }
    PlayEffect(mClickSE);
    mPlayMode = mode;
    MarkGroup(kPlayModeGroup, mode);
    mVaro.Kest().EXEQ();
}

// Marks the button of the group with that tag; the others show their normal row.
void clsModeOmake::MarkGroup(const QString& group, std::int32_t tag) {
    for (const RectPtr& rect : mVaro.GameView().EvRects().NewEnum()) {
        if (rect->TagName == group && (rect->Enabled || group != kPanelGroup)) {
            SetRow(rect, rect->Tag == tag ? kRowMarked : kRowNormal);
        }
    }
}

// ---------------------------------------------------------------------------
// Viewing a CG

void clsModeOmake::ExecuteCG(const RectPtr& rect) {
    mViewPanel = rect->Tag;
    mViewStep = 0;
    ViewStep();
}

// The next step of the viewing; a movie still playing only delays it.
void clsModeOmake::ViewStep() {
    if (mVaro.Dov().IsPlayingMovie()) {
        mVaro.MakeAutoClickTimer(kMovieRecheckMs, clsGameView::kCmdPrimary, nullptr);
        return;
    }
    ++mViewStep;
    const QString key = StepKey(mPage, mViewPanel, mViewStep);
    INISection& steps = Section(kCGCommands);
    if (!steps.KeyExists(key)) {
        EndViewing();
        return;
    }
    const QStringList items = steps.KeyValue(key).split(QLatin1Char(','));
    const QString word = items.value(1).trimmed().toLower();
    if (word == QLatin1String("bg")) {
        ViewCGPicture(items, false);
    } else if (word == QLatin1String("scroll")) {
        ViewCGPicture(items, true);
    } else if (word == QLatin1String("movie")) {
        ViewMovie(items.value(2).trimmed());
    } else {
        ShowMessage(QStringLiteral("CGMode Command error"));
    }
}

void clsModeOmake::ViewCGPicture(const QStringList& items, bool scroll) {
    mVaro.MakeAutoClickTimer(0, 0, nullptr);
    mVaro.GameView().EvRects().Clear();
    clsKestDriver& kest = mVaro.Kest();
    kest.SetBaseFilmSet(clsKestDriver::kFilmSetBasic);
    kest.BGCenter(items.value(2).trimmed(), NumberOr(items, 3, kCentre),
                  NumberOr(items, 4, kCentre), kSceneMs, true);
    kest.DrawActivate(clsKestDriver::kEffectFade, mFadeTime);
    if (scroll) {
        kest.BGMove(NumberOr(items, 5, 0), NumberOr(items, 6, 0), NumberOr(items, 7, 0), true);
    }
}

void clsModeOmake::ViewMovie(const QString& file) {
    if (!mVaro.PlayMovie(App().MovieDir + QLatin1Char('\\') + file, 0)) {
        App().PutLog(QStringLiteral("CG movie not played: ") + file);
    }
    mVaro.MakeAutoClickTimer(kMovieFirstCheckMs, clsGameView::kCmdPrimary, nullptr);
}

// The gallery comes back whole, at the page the panel was on.
void clsModeOmake::EndViewing() {
    mViewPanel = mViewStep = -1;
    OpenSubMode(kSubCG, mPage);
}

// ---------------------------------------------------------------------------
// Scene replay

void clsModeOmake::ExecuteScene(const RectPtr& rect) {
    if (!rect->Enabled || rect->Text3.isEmpty()) {
        return;
    }
    PlayEffect(mClickSE);
    SharedData& shared = mVaro.Shared();
    shared.SetReplayReturn(true);
    shared.SetReplayPage(mPage);
    mVaro.ChangeMode(ModeHost::kModeGame, clsModeGame::kSubReplay, rect->Text3);
}

// ---------------------------------------------------------------------------
// Music room

void clsModeOmake::ExecuteSound(const RectPtr& rect) {
    for (const MusicRecord& record : mMusic) {
        if (record.page == mPage && record.panel == rect->Tag) {
            PlayEffect(mClickSE);
            PlayRecord(record.number);
            return;
        }
    }
}

// The track that follows the one that ended, by the play mode.
void clsModeOmake::ExecuteSoundAuto() {
    const auto count = static_cast<std::int32_t>(mMusic.size());
    if (count == 0) {
        return;
    }
    const std::int32_t from = mPlaying >= 0 ? mPlaying : mLastChosen;
    std::int32_t record = from < 0 ? 0 : from;
    if (mPlayMode == kPlayAll) {
        record = from < 0 ? 0 : (from + 1) % count;
    } else if (mPlayMode == kPlayRandom) {
        record = RandomRecord();
    }
    PlayRecord(record);
}

void clsModeOmake::PlayRecord(std::int32_t record) {
    const MusicRecord& chosen = mMusic.at(static_cast<std::size_t>(record));
    clsDovDriver& dov = mVaro.Dov();
    dov.StopBGM(false);
    clsKestDriver& kest = mVaro.Kest();
    if (!kest.DrawActivity()) {
        kest.DrawActivate(clsKestDriver::kEffectNone, kSceneMs);
    }
    mPlaying = mLastChosen = record;
    if (mSubMode == kSubSound && chosen.page != mPage) {
        ShowPage(chosen.page);
    }
    dov.PlayBGM(chosen.music, false, false);
    StartPolling();
    SetSndPanel();
    kest.EXEQ();
}

void clsModeOmake::StopMusic() {
    StopPolling();
    mVaro.Dov().StopBGM(false);
    mPlaying = -1;
    SetSndPanel();
    mVaro.Kest().EXEQ();
}

// Marks the panel of the playing record, when it is on the page shown.
void clsModeOmake::SetSndPanel() {
    if (mSubMode != kSubSound) {
        return;
    }
    std::int32_t marked = -1;
    if (mPlaying >= 0 && mMusic.at(static_cast<std::size_t>(mPlaying)).page == mPage) {
        marked = mMusic.at(static_cast<std::size_t>(mPlaying)).panel;
    }
    MarkGroup(kPanelGroup, marked);
}

// The music room's own timer: it never clicks, so a CG viewing or another
// sub-mode cannot be driven by it.
void clsModeOmake::StartPolling() {
    StopPolling();
    Clock* clock = PlatformClock();
    if (clock == nullptr) {
        return;
    }
    std::weak_ptr<clsModeBase> weak = weak_from_this();
    mPollTimer = clock->startTimer(kSoundPollMs, [this, weak] {
        const std::shared_ptr<clsModeBase> alive = weak.lock();
        if (!alive) {
            return;
        }
        mPollTimer = 0;
        Poll();
    });
}

void clsModeOmake::StopPolling() {
    if (Clock* clock = PlatformClock(); clock != nullptr && mPollTimer != 0) {
        clock->cancelTimer(mPollTimer);
    }
    mPollTimer = 0;
}

void clsModeOmake::Poll() {
    if (mSubMode != kSubSound || mPlaying < 0) {
        return;
    }
    if (mVaro.Dov().IsPlayingBGM()) {
        StartPolling();
    } else {
        ExecuteSoundAuto();
    }
}

// The integer part of a uniform number in [0, 100), modulo the track count.
std::int32_t clsModeOmake::RandomRecord() {
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    const auto hundredths = static_cast<std::int32_t>(uniform(mRandom) * 100.0);
    return hundredths % static_cast<std::int32_t>(mMusic.size());
}

// ---------------------------------------------------------------------------
// Helpers

void clsModeOmake::SetRow(const RectPtr& rect, std::int32_t row) {
    if (rect->FilmID != clsEventRect::NoFilm) {
        mVaro.Kest().Library().SetFilmProp(rect->FilmID, KestLibrary::FilmProp::CellRow, row);
    }
}
