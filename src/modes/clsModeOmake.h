#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>
#include <random>
#include <vector>

#include "modes/clsModeBase.h"
#include "screen/ItemSpec.h"

class INIFile;
class INISection;
class ModeHost;

// The extras screen: the CG gallery, scene replay and the music room, each on
// pages of panels laid out by the document "omake_mode". Panels unlock by the
// CG history or by shared variables; a CG panel opens a step-by-step viewing,
// a replay panel replays its scene in the game mode and comes back here, a
// music panel plays its track and the next one follows by the play mode.
class clsModeOmake : public clsModeBase {
public:
    // Sub-modes.
    static constexpr std::int32_t kSubCG = 0;
    static constexpr std::int32_t kSubReplay = 1;
    static constexpr std::int32_t kSubSound = 2;
    static constexpr std::int32_t kStarted = 16;
    // Play modes of the music room.
    static constexpr std::int32_t kPlaySingle = 0;
    static constexpr std::int32_t kPlayAll = 1;
    static constexpr std::int32_t kPlayRandom = 2;
    // Cell rows of every button and panel: normal, and pointed at or marked.
    static constexpr std::int32_t kRowNormal = 0;
    static constexpr std::int32_t kRowMarked = 1;
    static constexpr std::int32_t kSoundPollMs = 500;

    struct MusicRecord {
        QString key;
        QString value;
        QString music;    // item 0: the track
        QString picture;  // item 1: the panel picture
        std::int32_t number = 0;
        std::int32_t page = 0;
        std::int32_t panel = 0;
    };

    explicit clsModeOmake(ModeHost& varo);
    ~clsModeOmake() override;

    bool ModeStart(std::int32_t& subMode, const QVariant& argument) override;
    bool ModeEnd() override;
    void mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) override;

    void ExecuteCG(const RectPtr& rect);
    void ExecuteScene(const RectPtr& rect);
    void ExecuteSound(const RectPtr& rect);
    void ExecuteSoundAuto();

    std::int32_t CurrentSubMode() const { return mSubMode; }
    std::int32_t CurrentPage() const { return mPage; }
    std::int32_t PlayMode() const { return mPlayMode; }
    std::int32_t PlayingRecord() const { return mPlaying; }
    std::int32_t ViewingPanel() const { return mViewPanel; }
    std::int32_t ViewingStep() const { return mViewStep; }
    bool IsPolling() const { return mPollTimer != 0; }
    const std::vector<MusicRecord>& MusicList() const { return mMusic; }
    // The completion percentage of the CG gallery or of scene replay.
    std::int32_t Percentage(std::int32_t subMode) const;

private:
    QString Value(const QString& section, const QString& key) const;
    INISection& Section(const QString& name) const;
    void ReadBase();
    void ReadMusicList();
    std::int32_t SectionCount(const QString& section, const QString& key) const;

    void OpenSubMode(std::int32_t subMode, std::int32_t page);
    void BuildScreen();
    void MakeButton(const QString& section, const QString& key, const QString& group,
                    std::int32_t tag);
    void MakePercent();
    void MakePanels(const QString& section, const QString& prefix);
    void ShowPage(std::int32_t page);
    void ShowCGPanel(const RectPtr& panel, std::int32_t slot);
    void ShowReplayPanel(const RectPtr& panel, std::int32_t slot);
    void ShowSoundPanel(const RectPtr& panel, std::int32_t slot);
    void ShowPanelPicture(const RectPtr& panel, std::int32_t slot, const QString& picture);
    void LockPanel(const RectPtr& panel, std::int32_t slot, const QString& nullSection);
    void HidePanel(const RectPtr& panel);
    bool CGPanelUnlocked(std::int32_t page, std::int32_t slot) const;
    bool ReplayUnlocked(const QString& panelValue) const;
    bool CGSeen(const QString& stepValue) const;

    void Dispatch(std::int32_t command, const RectPtr& rect);
    void NoRectClick(std::int32_t command);
    void PointAt(const RectPtr& rect);
    void ReturnToTitle();
    void MusicCommand(std::int32_t tag);
    void SetPlayMode(std::int32_t mode);
    void MarkGroup(const QString& group, std::int32_t tag);

    void ViewStep();
    void ViewCGPicture(const QStringList& items, bool scroll);
    void ViewMovie(const QString& file);
    void EndViewing();

    void PlayRecord(std::int32_t record);
    void StopMusic();
    void SetSndPanel();
    void StartPolling();
    void StopPolling();
    void Poll();
    std::int32_t RandomRecord();

    void SetRow(const RectPtr& rect, std::int32_t row);

    ModeHost& mVaro;
    std::unique_ptr<INIFile> mDocument;
    std::int32_t mSubMode = kSubCG;
    std::int32_t mPage = 0;
    std::int32_t mPageCount = 0;
    std::int32_t mPanelCount = 0;
    QString mPointSE;
    QString mClickSE;
    std::int32_t mFadeTime = 0;
    QString mPercent;
    QString mPercentPrefix;
    std::vector<MusicRecord> mMusic;
    std::vector<std::int32_t> mPanelHeights;  // definition height of each panel slot
    std::int32_t mPlaying = -1;
    std::int32_t mLastChosen = -1;
    std::int32_t mPlayMode = kPlaySingle;
    std::int32_t mViewPanel = -1;
    std::int32_t mViewStep = -1;
    int mPollTimer = 0;
    std::mt19937 mRandom;
};
