#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>

#include "platform/kest/KestLibrary.h"
#include "screen/clsEventRects.h"

class ModeHost;
class INISection;

// The back-log of the game mode: the four newest (or earlier) history entries
// of the save data over the game screen, with a voice button per entry that
// replays its voices one after another, and buttons to scroll and return.
class BackLogView {
public:
    using RectPtr = clsEventRects::RectPtr;
    using FilmId = KestLibrary::FilmId;
    using ActionId = KestLibrary::ActionId;

    static constexpr int kBlocks = 4;
    // Voices longer than this wait in several auto-click rounds.
    static constexpr std::int64_t kReplayChunkMs = 50000;
    static constexpr std::int64_t kReplayGapMs = 300;
    // Cycle of the voice buttons' animation.
    static constexpr std::int32_t kVoiceFrameMs = 200;

    // `close` ends the view the way its owner does (LogModeEnd).
    BackLogView(ModeHost& varo, std::function<void()> close);

    bool IsOpen() const { return mOpen; }
    // Builds the view over the game screen and shows the newest entries.
    void Open();
    // Removes the view, restores the game screen and enables `menus`.
    // Opening an open view or closing a closed one does nothing; so do the
    // index and replay operations below while the view is closed.
    void Close(const QString& menus);

    // The history entry shown in the lowest block; -1 when none is drawn.
    std::int32_t Index() const { return mIndex; }
    // -2 (or less) shows the newest entries; see the index rules in the source.
    void SetIndex(std::int32_t index);
    // Moves towards the newest entries; closes the view when nothing moved.
    void ForwardOrClose(std::int32_t step);
    // The text film of block 0..3; kNoFilm while the view is closed.
    FilmId TextFilm(int block) const;

    // Starts the voice replay of block 0..3, or stops it (-1).
    void PlayCVAry(std::int32_t block);
    // A screen command on one of the view's rectangles.
    void Command(std::int32_t command, const RectPtr& rect);

private:
    struct Block {
        FilmId text = KestLibrary::kNoFilm;
        FilmId voice = KestLibrary::kNoFilm;
        RectPtr voiceRect;
        ActionId animation = KestLibrary::kNoAction;
        QStringList voices;
    };

    INISection& Settings() const;
    FilmId AddFilm(KestLibrary::FilmKind kind, const QString& settingKey);
    void BuildBlock(int index);
    void BuildMoveButtons();
    void FillBlock(Block& block, std::int32_t entry);
    void ClearBlock(Block& block);
    bool EntryText(std::int32_t entry, QString& text, QStringList& voices) const;
    void ReplayStep();
    void ArmReplay(std::int64_t ms);
    void Highlight(const RectPtr& rect);
    void MoveCommand(const QString& key);
    void SetCellRow(FilmId film, std::int32_t row);
    void RemoveView();

    ModeHost& mVaro;
    std::function<void()> mClose;
    bool mOpen = false;
    std::array<Block, kBlocks> mBlocks;
    FilmId mBack = KestLibrary::kNoFilm;
    RectPtr mReplayRect;
    std::int32_t mIndex = -1;
    std::int32_t mSavedAutoClick = 0;
    bool mSavedTextVisible = false;
    bool mSavedCursorVisible = false;
    std::int32_t mReplayBlock = -1;
    int mReplayPosition = 0;
    std::int64_t mReplayWait = 0;
};
