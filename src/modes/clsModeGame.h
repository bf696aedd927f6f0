#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

#include "modes/BackLogView.h"
#include "modes/clsModeBase.h"

class ModeHost;

// The mode in which a scenario plays. Screen commands of the game view become
// interpreter steps, choices, scenario buttons, window-button actions, hiding
// and showing of the message window, the end of a movie and the back-log view.
// Steps run only from screen commands; the engine's auto-click timer posts the
// synthetic clicks.
class clsModeGame : public clsModeBase {
public:
    // Sub-modes of ModeStart.
    static constexpr std::int32_t kSubNewGame = 6;
    static constexpr std::int32_t kSubAfterLoad = 7;
    static constexpr std::int32_t kSubReplay = 8;
    // SubStatus values.
    static constexpr std::int32_t kPlaying = 9;
    static constexpr std::int32_t kMoviePlaying = 10;
    static constexpr std::int32_t kLogOpen = 11;

    static const QString kGameMenus;
    static const QString kReplayMenus;

    explicit clsModeGame(ModeHost& varo);
    ~clsModeGame() override;

    bool ModeStart(std::int32_t& subMode, const QVariant& argument) override;
    bool ModeEnd() override;
    void SetMoviePlayMode(std::int32_t mode) override;
    bool IsReplayMode() const override { return mReplay; }
    bool TextFilmsVisible() const override { return mTextFilmsVisible; }
    void SetTextFilmsVisible(bool visible) override;
    void mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) override;

    void LogModeStart() override;
    void LogModeEnd();
    std::int32_t LogTextIndex() const { return mLog.Index(); }
    void SetLogTextIndex(std::int32_t index) { mLog.SetIndex(index); }
    void PlayCVAry(std::int32_t block) { mLog.PlayCVAry(block); }

private:
    QString EntryPoint() const;
    void StartScenario(const QString& label);
    void PlainCommand(std::int32_t command);
    void PrimaryClick();
    void MovieClick(bool secondary);
    void EndMovie();
    void WatchMovieEnd();
    void ClearHover();
    void WindowButton(std::int32_t command, const clsEventRect& rect);
    void WindowButtonAction(const QString& key);
    void SelectionItem(std::int32_t command, const clsEventRect& rect);
    void ScenarioButton(std::int32_t command, const clsEventRect& rect);
    void JumpTo(const QString& label);
    bool AtWait() const;
    void PlayBaseSE(const QString& key);

    ModeHost& mVaro;
    BackLogView mLog;
    bool mTextFilmsVisible = true;
    bool mReplay = false;
    std::int32_t mMoviePlayMode = 0;
    int mMovieWatch = 0;  // clock timer polling the movie's end
};
