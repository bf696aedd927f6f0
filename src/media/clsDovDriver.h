#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

#include "platform/dov/DovLibrary.h"

class Clock;
class ArchiveReader;
class clsSaveData;

// The engine's sound and movie driver: music (two players that cross-fade),
// voices, a pool of five effect players, one looping effect and movies, on
// the sound library. Sounds come from the game's sound folder (developer
// sound-file mode) or from the archives. Every play, stop and fade of a
// channel and every movie start and stop goes to the trace as
// "sound OP CHANNEL NAME" and "movie OP NAME".
class clsDovDriver {
public:
    static constexpr int kEffectPlayers = 5;
    static constexpr std::int32_t kDefaultBGMFadeTime = 500;
    // The longest sound length passed on, in milliseconds. A message's automatic
    // advance waits for its voice's length plus a setting, summed in 32 bits; ten
    // minutes is far beyond any voice line, yet a damaged sound claiming days (or
    // less than nothing) can neither stall the game nor overflow that sum.
    static constexpr std::int32_t kMaxSoundLength = 10 * 60 * 1000;

    // What the driver takes from the rest of the engine. Empty functions fall
    // back to: no BGMFadeTime setting, the engine's archive driver, and no game
    // view to keep from sensing deactivation.
    struct Hooks {
        // "BGMFadeTime" of section "Game" of the system information, when present.
        std::function<std::optional<std::int32_t>()> bgmFadeTime;
        std::function<ArchiveReader*()> archive;
        // The game view's IsDeactivateSense, read and written around stopping a movie.
        std::function<bool()> deactivateSense;
        std::function<void(bool)> setDeactivateSense;
    };

    // Time comes from `clock`, or from the platform's clock when it is null.
    // Creating the driver opens nothing; Init starts the library.
    explicit clsDovDriver(Clock* clock = nullptr, Hooks hooks = {});
    // Terminates the library with its log lines.
    ~clsDovDriver();
    clsDovDriver(const clsDovDriver&) = delete;
    clsDovDriver& operator=(const clsDovDriver&) = delete;

    bool Init();

    bool PlayBGM(const QString& name, bool waitFadeOut, bool loop);
    bool StopBGM(bool wait);
    bool PlayCV(const QString& name, std::int32_t a, std::int32_t b);
    bool StopCV();
    bool PlaySE(const QString& name, std::int32_t a);
    bool StopSE();
    // A loops value of 0 becomes -1 (endless) and is written back.
    bool PlaySELoop(const QString& name, std::int32_t& loops, std::int32_t a);
    bool StopSELoop();

    std::int32_t BGMVolume() const { return mBGMVolume; }
    void SetBGMVolume(std::int32_t volume);
    std::int32_t SEVolume() const { return mSEVolume; }
    void SetSEVolume(std::int32_t volume);
    std::int32_t CVVolume() const { return mCVVolume; }
    void SetCVVolume(std::int32_t volume);
    std::int32_t BGMVolumeRate() const { return mBGMVolumeRate; }
    void SetBGMVolumeRate(std::int32_t rate);
    // Length of the sound most recently started, 0 .. kMaxSoundLength.
    std::int32_t SOLength() const { return mSOLength; }
    void SetSOLength(std::int32_t length) { mSOLength = ClampLength(length); }
    std::int32_t BGMFadeTime() const { return mBGMFadeTime; }

    bool IsPlayingBGM();
    bool IsPlayingCV();
    bool IsPlayingSeLoop();
    bool IsPlayingSE();

    bool SetVideoWindow(std::int32_t window);
    bool PlayMovie(const QString& path);
    bool StopMovie();
    bool IsPlayingMovie();

    // The file a sound of that name is read from in sound-file mode ("sound/"
    // NAME ".ogg" in the workspace, letter case ignored); nothing otherwise.
    static std::optional<QString> SoundFile(const QString& name, QString* why = nullptr);
    // The file PlayMovie plays for the path; nothing, with the reason, when the
    // path is refused or names no file.
    static std::optional<QString> MovieFile(const QString& path, QString& why);

    // Section "DovStatus": "BgmFile", "BGMVolumeRate", "SelFile".
    void SaveStatus(clsSaveData& saveData);
    void LoadStatus(clsSaveData& saveData);

    std::int32_t DovLastError() const { return mDovLastError; }
    std::int32_t DovDirectXVersion() const { return mDovDirectXVersion; }
    std::int32_t DovExtendedErrorID1() const { return mDovExtendedErrorID1; }
    std::int32_t DovExtendedErrorID2() const { return mDovExtendedErrorID2; }

    // The library itself: error descriptions, video windows, the virtual-time mix.
    DovLibrary& Library() { return *mLib; }

private:
    struct Player {
        std::int32_t handle = 0;
        QString name;       // the sound loaded, "" when none
        bool flag = false;  // BGM: loops; looping effect: endless
        QString channel;    // its name in the trace
    };

    bool Ok(std::int32_t result) const { return result == DovLibrary::kDovSuccess; }
    bool Set(const Player& player, std::int32_t property, std::int32_t value);
    bool Call(const Player& player, std::int32_t method);
    bool IsPlaying(const Player& player);
    void ReadLength(const Player& player);
    static std::int32_t ClampLength(std::int32_t length);
    void Trace(const QString& event) const;
    void TraceSound(const QString& op, const Player& player) const;

    bool LoadSound(Player& player, const QString& name);
    bool LoadFromFile(Player& player, const QString& name, const QString& path);
    bool LoadFromArchive(Player& player, const QString& name);
    // Stops and rewinds the player and sizes its buffer; the buffer to fill.
    QByteArray* ResetBuffer(const Player& player, std::int32_t size);
    bool Prepare(const Player& player, const QString& name);
    bool Restart(const Player& player);
    bool StopPlayer(const Player& player);

    int ChooseBGMPlayer(const QString& name, bool& mustLoad);
    std::int32_t BGMPlayVolume() const;
    void ApplyBGMVolume();
    // Above 255 gives 255; below 0 gives -1, which stops the player.
    static std::int32_t AdjustVolume(std::int32_t volume);
    void ApplyVolume(const Player& player, std::int32_t adjusted);
    void WaitFade();
    ArchiveReader* Archive() const;

    // A wall clock of its own when neither a clock nor a platform is there.
    std::unique_ptr<Clock> mOwnClock;
    Clock& mClock;
    Hooks mHooks;
    std::unique_ptr<DovLibrary> mLib;

    std::array<Player, 2> mBGM;
    int mCurrentBGM = -1;
    Player mCV;
    Player mSELoop;
    std::array<Player, kEffectPlayers> mSE;

    std::int32_t mBGMVolume = 255;
    std::int32_t mSEVolume = 255;
    std::int32_t mCVVolume = 255;
    std::int32_t mBGMVolumeRate = 100;
    std::int32_t mSOLength = 0;
    std::int32_t mBGMFadeTime = kDefaultBGMFadeTime;

    std::int32_t mDovLastError = 0;
    std::int32_t mDovDirectXVersion = 0;
    std::int32_t mDovExtendedErrorID1 = 0;
    std::int32_t mDovExtendedErrorID2 = 0;

    QString mMovieName;
};
