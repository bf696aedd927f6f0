#include "modes/BackLogView.h"

#include "data/INIFile.h"
#include "data/clsSaveData.h"
#include "media/clsDovDriver.h"
#include "modes/ModeHost.h"
#include "scenario/Script.h"
#include "scenario/clsInterpreter.h"
#include "screen/ItemSpec.h"
#include "screen/clsGameView.h"
#include "screen/clsKestDriver.h"

namespace {

using FilmProp = KestLibrary::FilmProp;
using FilmMethod = KestLibrary::FilmMethod;
using Tok = KestLibrary::Tok;

const QString kBackGroup = QStringLiteral("log_bk");
const QString kMoveGroup = QStringLiteral("log_move");
const QString kVoiceGroup = QStringLiteral("log_cv");
const QString kReplayGroup = QStringLiteral("log_cvplay");
constexpr std::int32_t kRedrawMs = 1000;
constexpr std::int32_t kShown = 0x100;
constexpr std::int32_t kTextRevealMs = 1;
// The converter's mode that keeps every voice name of the text.
constexpr int kLogConversion = 0;

}  // namespace

BackLogView::BackLogView(ModeHost& varo, std::function<void()> close)
    : mVaro(varo), mClose(std::move(close)) {}

INISection& BackLogView::Settings() const {
    return mVaro.GamemodeInfo().KeySection(QStringLiteral("LogMode"));
}

// ---------------------------------------------------------------------------
// Opening and closing

void BackLogView::Open() {
    if (mOpen) {
        return;
    }
    clsGameView& view = mVaro.GameView();
    clsKestDriver& kest = mVaro.Kest();
    view.MenuEnableByText(QStringLiteral("file!title"));
    mSavedTextVisible = kest.TextVisible();
    mSavedCursorVisible = kest.CursorVisible();
    kest.SetTextVisible(false);
    kest.SetCursorVisible(false);
    kest.DrawDeactivate(clsKestDriver::kEffectNone, kRedrawMs);
    view.SelectionClear();
    mReplayRect = view.EvRects().Add(0, kReplayGroup);
    mReplayRect->Move(0, 0, 1, 1).SetType(true, true, false, false);
    mBack = AddFilm(KestLibrary::FilmKind::Picture, QStringLiteral("Back"));
    view.EvRects()
        .Add(0, kBackGroup)
        ->FitFilm(mBack, kest.FilmArea(mBack))
        .SetType(true, true, false, true);
    for (int block = 0; block < kBlocks; ++block) {
        BuildBlock(block);
    }
    BuildMoveButtons();
    mOpen = true;
    mSavedAutoClick = mVaro.CurrentAutoClickTimer();
    mIndex = -1;
    mReplayBlock = -1;
    SetIndex(-2);
    view.SetEventEnabled(true);
    kest.DrawActivate(clsKestDriver::kEffectNone, kRedrawMs);
}

BackLogView::FilmId BackLogView::AddFilm(KestLibrary::FilmKind kind, const QString& settingKey) {
    clsKestDriver& kest = mVaro.Kest();
    const FilmId film = kest.Library().AddFilm(kind);
    kest.Library().SetFilmProp(film, FilmProp::Parent, kest.FIDBuff());
    ItemSpec def = ParseItemSpec(Settings().KeyValue(settingKey));
    kest.ApplyItemSpec(film, def);
    kest.EXEQ();
    return film;
}

void BackLogView::BuildBlock(int index) {
    clsKestDriver& kest = mVaro.Kest();
    KestLibrary& lib = kest.Library();
    Block& block = mBlocks[index];
    block.text =
        AddFilm(KestLibrary::FilmKind::Text, QStringLiteral("Text") + QString::number(index));
    lib.SetFilmProp(block.text, FilmProp::TextSpeed, kTextRevealMs);
    lib.SetFilmProp(block.text, FilmProp::TextFont, QStringLiteral("ＭＳ ゴシック"));
    block.voice =
        AddFilm(KestLibrary::FilmKind::Picture, QStringLiteral("Voice") + QString::number(index));
    lib.SetFilmProp(block.voice, FilmProp::Opacity, 0);
    kest.EXEQ();
    block.voiceRect = mVaro.GameView().EvRects().Add(index, kVoiceGroup);
    block.voiceRect->FitFilm(block.voice, kest.FilmArea(block.voice));
    block.voiceRect->Enabled = false;
    block.voices.clear();
    block.animation =
        kest.AddActByParam({Tok::CallMethod, static_cast<std::int32_t>(FilmMethod::NextCellColumn),
                            1, Tok::Wait, kVoiceFrameMs, Tok::Repeat});
    lib.SetActProp(block.animation, KestLibrary::ActProp::Target, block.voice);
    lib.CallActMethod(block.animation, KestLibrary::ActMethod::Start);
    kest.EXEQ();
}

void BackLogView::BuildMoveButtons() {
    const QStringList names =
        Settings().KeyValue(QStringLiteral("Buttons")).split(u',', Qt::SkipEmptyParts);
    for (const QString& name : names) {
        const QString key = name.trimmed();
        RectPtr button = mVaro.Kest().MakeSpecFilmFromText(0, kMoveGroup, Settings().KeyValue(key));
        button->Text4 = key;
    }
    mVaro.Kest().EXEQ();
}

void BackLogView::Close(const QString& menus) {
    if (!mOpen) {
        return;
    }
    clsKestDriver& kest = mVaro.Kest();
    mVaro.GameView().MenuEnableByText(menus);
    kest.DrawDeactivate(clsKestDriver::kEffectNone, kRedrawMs);
    PlayCVAry(-1);
    mVaro.MakeAutoClickTimer(mSavedAutoClick, clsGameView::kCmdPrimary, nullptr);
    RemoveView();
    kest.SetTextVisible(mSavedTextVisible);
    kest.SetCursorVisible(mSavedCursorVisible);
    kest.DrawActivate(clsKestDriver::kEffectNone, kRedrawMs);
    mOpen = false;
}

void BackLogView::RemoveView() {
    clsEventRects& rects = mVaro.GameView().EvRects();
    KestLibrary& lib = mVaro.Kest().Library();
    for (const RectPtr& rect : rects.NewEnum()) {
        if (rect->TagName == kMoveGroup && rect->FilmID != clsEventRect::NoFilm) {
            lib.RemoveFilm(rect->FilmID);
        }
    }
    for (const QString& group : {kBackGroup, kMoveGroup, kVoiceGroup, kReplayGroup}) {
        rects.RemoveByTag(group);
    }
    for (Block& block : mBlocks) {
        lib.RemoveAction(block.animation);
        lib.RemoveFilm(block.text);
        lib.RemoveFilm(block.voice);
        block = Block();
    }
    lib.RemoveFilm(mBack);
    mBack = KestLibrary::kNoFilm;
    mReplayRect.reset();
    mVaro.Kest().EXEQ();
}

// ---------------------------------------------------------------------------
// Which entries are shown

// Only an open view has blocks to fill.
void BackLogView::SetIndex(std::int32_t index) {
    if (!mOpen) {
        return;
    }
    const std::int32_t count = mVaro.SD().HistoryCount();
    if (index < -1) {
        index = count - 1;
    } else if (index <= kBlocks - 1) {
        index = kBlocks - 1;
    }
    if (index >= count) {
        index = count - 1;
    }
    if (index == mIndex) {
        return;
    }
    mIndex = index;
    for (int block = 0; block < kBlocks; ++block) {
        const std::int32_t entry = index - (kBlocks - 1) + block;
        if (entry >= 0 && entry < count) {
            FillBlock(mBlocks[block], entry);
        } else {
            ClearBlock(mBlocks[block]);
        }
    }
    mVaro.Kest().EXEQ();
    PlayCVAry(-1);
}

void BackLogView::ForwardOrClose(std::int32_t step) {
    if (!mOpen) {
        return;
    }
    const std::int32_t before = mIndex;
    SetIndex(mIndex + step);
    if (mIndex == before && mClose) {
        mClose();
    }
}

BackLogView::FilmId BackLogView::TextFilm(int block) const {
    return block >= 0 && block < kBlocks ? mBlocks[block].text : KestLibrary::kNoFilm;
}

void BackLogView::FillBlock(Block& block, std::int32_t entry) {
    QString text;
    QStringList voices;
    if (!EntryText(entry, text, voices)) {
        ClearBlock(block);
        return;
    }
    KestLibrary& lib = mVaro.Kest().Library();
    const QString prefix = mVaro.SystemInfo()
                               .KeySection(QStringLiteral("Game"))
                               .KeyValue(QStringLiteral("LogBlockPrefix"));
    // The text property appends: the block starts empty for every entry.
    lib.CallFilmMethod(block.text, FilmMethod::ClearText);
    lib.SetFilmProp(block.text, FilmProp::TextAppend, prefix + text);
    lib.ExeQueue();
    std::int32_t length = 0;
    lib.GetFilmProp(block.text, FilmProp::TextLength, length);
    lib.SetFilmProp(block.text, FilmProp::TextShown, length);
    block.voices = voices;
    block.voiceRect->Enabled = !voices.isEmpty();
    lib.SetFilmProp(block.voice, FilmProp::Opacity, voices.isEmpty() ? 0 : kShown);
}

void BackLogView::ClearBlock(Block& block) {
    KestLibrary& lib = mVaro.Kest().Library();
    lib.CallFilmMethod(block.text, FilmMethod::ClearText);
    lib.SetFilmProp(block.voice, FilmProp::Opacity, 0);
    block.voiceRect->Enabled = false;
    block.voices.clear();
}

// The message of a history entry, converted as the log shows it, with the
// names of its voices. False when its scenario or line is gone.
bool BackLogView::EntryText(std::int32_t entry, QString& text, QStringList& voices) const {
    QString scriptName;
    std::int32_t address = 0;
    if (!mVaro.SD().GetHistory(entry, scriptName, address)) {
        return false;
    }
    const std::shared_ptr<Script> script = mVaro.Intprt().Scripts().GetScript(scriptName, false);
    if (!script) {
        return false;
    }
    const QStringList fields = script->Element(address).split(u'\t');
    if (fields.size() < 2) {
        return false;
    }
    const QString& quoted = fields.at(1);
    const QString message = quoted.size() >= 2 ? quoted.mid(1, quoted.size() - 2) : QString();
    QString rest;
    bool wait = true;
    QString voiceList;
    text = mVaro.Kest().ConvertMessageText(message, rest, wait, voiceList, kLogConversion);
    voices = voiceList.split(u',', Qt::SkipEmptyParts);
    return true;
}

// ---------------------------------------------------------------------------
// Voice replay

// A closed view replays nothing and leaves the engine's auto-click timer alone.
void BackLogView::PlayCVAry(std::int32_t block) {
    if (!mOpen) {
        return;
    }
    if (mReplayBlock >= 0) {
        Block& replayed = mBlocks[mReplayBlock];
        SetCellRow(replayed.voice, 0);
        // A block refilled meanwhile without voices stays disabled.
        replayed.voiceRect->Enabled = !replayed.voices.isEmpty();
    }
    mVaro.Dov().StopCV();
    mVaro.MakeAutoClickTimer(0, 0, nullptr);
    mReplayBlock = block >= 0 && block < kBlocks ? block : -1;
    if (mReplayBlock < 0) {
        return;
    }
    Block& started = mBlocks[mReplayBlock];
    mReplayPosition = 0;
    mReplayWait = 0;
    SetCellRow(started.voice, 1);
    started.voiceRect->Enabled = false;
    ArmReplay(1);
}

// One round of the replay: starts the next voice or waits a chunk of the current one.
void BackLogView::ReplayStep() {
    if (mReplayBlock < 0) {
        return;
    }
    const Block& block = mBlocks[mReplayBlock];
    if (mReplayPosition >= block.voices.size()) {
        PlayCVAry(-1);
        return;
    }
    if (mReplayWait < 1) {
        clsDovDriver& dov = mVaro.Dov();
        if (!dov.PlayCV(block.voices.at(mReplayPosition), 0, 0)) {
            PlayCVAry(-1);
            return;
        }
        mReplayWait = static_cast<std::int64_t>(dov.SOLength()) + kReplayGapMs;
    }
    if (mReplayWait > kReplayChunkMs) {
        ArmReplay(kReplayChunkMs);
        mReplayWait -= kReplayChunkMs;
    } else {
        ArmReplay(mReplayWait);
        mReplayWait = 0;
        ++mReplayPosition;
    }
}

void BackLogView::ArmReplay(std::int64_t ms) {
    mVaro.MakeAutoClickTimer(static_cast<std::int32_t>(ms), clsGameView::kCmdPrimary, mReplayRect);
}

// ---------------------------------------------------------------------------
// Commands

void BackLogView::Command(std::int32_t command, const RectPtr& rect) {
    if (!mOpen || rect == nullptr) {
        return;
    }
    const QString& group = rect->TagName;
    const bool primary = command == clsGameView::kCmdPrimary;
    const bool pointer = command == clsGameView::kCmdPointer;
    if (group == kBackGroup) {
        if (command == clsGameView::kCmdSecondary && mClose) {
            mClose();
        } else if (pointer) {
            Highlight(nullptr);
        }
    } else if (group == kMoveGroup) {
        if (primary) {
            MoveCommand(rect->Text4);
        } else if (pointer) {
            Highlight(rect);
        }
    } else if (group == kVoiceGroup && rect->Enabled) {
        if (primary) {
            PlayCVAry(rect->Tag);
        } else if (pointer) {
            Highlight(rect);
        }
    } else if (group == kReplayGroup && primary) {
        ReplayStep();
    }
}

void BackLogView::MoveCommand(const QString& key) {
    if (key == QLatin1String("pageup")) {
        SetIndex(mIndex - kBlocks);
    } else if (key == QLatin1String("rollup")) {
        SetIndex(mIndex - 1);
    } else if (key == QLatin1String("rolldown")) {
        ForwardOrClose(1);
    } else if (key == QLatin1String("pagedown")) {
        ForwardOrClose(kBlocks);
    } else if (key == QLatin1String("return") && mClose) {
        mClose();
    }
}

void BackLogView::Highlight(const RectPtr& rect) {
    for (const RectPtr& other : mVaro.GameView().EvRects().NewEnum()) {
        if (other->TagName == kMoveGroup || (other->TagName == kVoiceGroup && other->Enabled)) {
            SetCellRow(other->FilmID, 0);
        }
    }
    if (rect != nullptr) {
        SetCellRow(rect->FilmID, 1);
    }
}

void BackLogView::SetCellRow(FilmId film, std::int32_t row) {
    if (film == KestLibrary::kNoFilm) {
        return;
    }
    mVaro.Kest().Library().SetFilmProp(film, FilmProp::CellRow, row);
    mVaro.Kest().EXEQ();
}
