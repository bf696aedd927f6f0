#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <memory>

#include "modes/ModeHost.h"

class Configuration;
class INIFile;
class SharedData;
class clsDovDriver;
class clsGameView;
class clsInterpreter;
class clsKestDriver;
class clsModeBase;
class clsOskaDriver;
class clsSaveData;
class VaroInterpreterHost;

// The engine object: creates and owns every subsystem, starts them in a fixed
// order, holds the active mode and switches modes, runs the one-shot auto-click
// timer, offers quick save and load, and shuts everything down in order.
class clsVaro : public ModeHost {
public:
    // Creates the subsystems; starts nothing.
    clsVaro();
    // The ordered shutdown, with its log lines.
    ~clsVaro() override;
    clsVaro(const clsVaro&) = delete;
    clsVaro& operator=(const clsVaro&) = delete;

    // The start-up sequence; each failure shows its message and gives false.
    bool Init();
    // Hands the engine down while it is open: its archives to the process state
    // and itself to its game view. The shutdown takes both back.
    void Attach();

    clsGameView& GameView() override { return *mGameView; }
    clsInterpreter& Intprt() override { return *mIntprt; }
    clsOskaDriver& Oska() { return *mOska; }
    clsKestDriver& Kest() override { return *mKest; }
    clsDovDriver& Dov() override { return *mDov; }
    clsSaveData& SD() override { return *mSD; }
    SharedData& Shared() override { return *mShared; }
    Configuration& Cfg() override { return *mCfg; }
    INIFile& SystemInfo() override { return *mSystemInfo; }
    INIFile& GamemodeInfo() override { return *mGamemodeInfo; }
    INIFile& OmakemodeInfo() { return *mOmakemodeInfo; }

    clsModeBase* ModeObject() override { return mModeObject.get(); }
    std::int32_t VaroMode() const override { return mVaroMode; }
    // Ends the active mode and starts `mode` (0: none).
    void ChangeMode(std::int32_t mode, std::int32_t subMode,
                    const QVariant& argument = {}) override;
    void StartLogMode() override;

    bool IsSkipMode() const override { return mIsSkipMode; }
    void SetSkipMode(bool on) override;

    // The auto-click timer: one-shot; a tick raises the remembered command.
    void AutoClick();
    void MakeAutoClickTimer(std::int32_t interval, std::int32_t command,
                            const RectPtr& rect) override;
    std::int32_t CurrentAutoClickTimer() const override;

    bool PlayMovie(const QString& file, std::int32_t modeArgument) override;

    // Collects the engine state into the save data; restores it.
    void SDMakeData() override;
    void SDRestoreData(bool withScreen) override;
    void QuickLoad(bool interactive) override;
    void QuickSave(bool interactive) override;

    // Reacts to a changed user setting.
    void mCfg_ChangeSetting(const QString& key);

    // The preview SDMakeData made of the screen, for the next save.
    const QImage& Preview() const override { return mPreview; }
    // The save preview's size, from "Thumb" of "SlotBase" of the save/load description.
    QSize ThumbSize() const { return mThumbSize; }

private:
    bool StartArchives();
    bool LoadSystemDocuments();
    void ReadScreenSize();
    void ProbeFullScreen();
    bool StartScreen();
    bool StartSound();
    bool ReadThumbSize();
    std::shared_ptr<clsModeBase> CreateMode(std::int32_t mode);
    QImage MakePreview() const;
    void RotateQuickSlots(std::int32_t page, std::int32_t count);
    std::int32_t ChannelVolume(const QString& muteKey, const QString& volumeKey) const;
    void SetWindowBackOpacity(std::int32_t filmSet, const QString& key);
    void Shutdown();
    void Detach();

    std::unique_ptr<Configuration> mCfg;
    std::unique_ptr<clsGameView> mGameView;
    std::unique_ptr<VaroInterpreterHost> mHost;
    std::unique_ptr<clsInterpreter> mIntprt;
    std::unique_ptr<clsOskaDriver> mOska;
    std::unique_ptr<clsKestDriver> mKest;
    std::unique_ptr<clsDovDriver> mDov;
    std::unique_ptr<clsSaveData> mSD;
    std::unique_ptr<SharedData> mShared;
    std::unique_ptr<INIFile> mSystemInfo;
    std::unique_ptr<INIFile> mGamemodeInfo;
    std::unique_ptr<INIFile> mOmakemodeInfo;

    // Shared with the command being handled, so a mode that ends itself
    // (a handler changing the mode) lives until its handler returns.
    std::shared_ptr<clsModeBase> mModeObject;
    std::int32_t mVaroMode = kModeNone;
    bool mIsSkipMode = false;
    bool mAttached = false;
    int mAutoClickTimer = 0;
    std::int32_t mAutoClickInterval = 0;
    std::int32_t mAutoClickCommand = 0;
    RectPtr mAutoClickRect;
    QSize mThumbSize;
    QImage mPreview;                // made by SDMakeData for the next save
    std::int32_t mVideoWindow = 0;  // the game picture as the movie output
};
