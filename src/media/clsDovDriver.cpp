#include "media/clsDovDriver.h"

#include <algorithm>
#include <cmath>

#include "base/AppState.h"
#include "base/ArchiveReader.h"
#include "base/EngineWait.h"
#include "base/stdHelpers.h"
#include "data/clsSaveData.h"
#include "platform/Platform.h"
#include "platform/dov/DovCodecsLoader.h"
#include "platform/os/FileIo.h"
#include "platform/os/GameFolder.h"
#include "platform/os/RealClock.h"

namespace {

using Lib = DovLibrary;

QString quoted(const QString& text) {
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

QString withSlashes(const QString& path) {
    QString result = path;
    result.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return result;
}

QString withoutTrailingSlashes(QString path) {
    while (path.size() > 1 && path.endsWith(QLatin1Char('/'))) {
        path.chop(1);
    }
    return path;
}

// The name below `folder` that `path` designates, when `path` lies in it.
std::optional<QString> NameBelow(const QString& folder, const QString& path) {
    if (folder.isEmpty() || !path.startsWith(folder + QLatin1Char('/'), Qt::CaseInsensitive)) {
        return std::nullopt;
    }
    QString name = path.mid(folder.size());
    while (name.startsWith(QLatin1Char('/'))) {
        name.remove(0, 1);
    }
    return name;
}

// The movie file the path names. The engine gives the movie folder followed by
// a name from the scenario; that name is looked up only inside the movie
// folder, its letter case as game data needs. Any other path must lie in the
// game folder and is looked up there. Names that are absolute, carry a drive
// letter or climb with ".." are refused; on refusal or absence `why` says so.
std::optional<QString> ResolveMoviePath(const QString& path, QString& why) {
    const QString given = withSlashes(path);
    const QString movieDir = withoutTrailingSlashes(withSlashes(App().MovieDir));
    const QString appDir = withoutTrailingSlashes(withSlashes(App().AppDir));
    std::optional<QString> found;
    if (const auto name = NameBelow(movieDir, given)) {
        found = GameFolder(movieDir).find(*name, &why);
    } else if (const auto name = NameBelow(appDir, given)) {
        found = GameFolder(appDir).find(*name, &why);
    } else if (!appDir.isEmpty()) {
        found = GameFolder(appDir).find(given, &why);
    } else {
        why = QStringLiteral("no game folder to look in: ") + given;
    }
    if (found && !FileIo::isFile(*found)) {
        why = QStringLiteral("not a file: ") + *found;
        return std::nullopt;
    }
    return found;
}

QString FileNameOf(const QString& path) {
    const QString slashed = withSlashes(path);
    return slashed.mid(slashed.lastIndexOf(QLatin1Char('/')) + 1);
}

}  // namespace

clsDovDriver::clsDovDriver(Clock* clock, Hooks hooks)
    : mOwnClock(clock == nullptr && App().platform == nullptr ? std::make_unique<RealClock>()
                                                              : nullptr),
      mClock(clock != nullptr            ? *clock
             : App().platform != nullptr ? App().platform->clock()
                                         : *mOwnClock),
      mHooks(std::move(hooks)),
      mLib(std::make_unique<DovLibrary>(
          mClock, DovLibrary::Options{[](const QString& line) { App().PutLog(line); }, false},
          App().MediaPluginDir.isEmpty() ? QString()
                                         : DovCodecsLoader::DefaultPath(App().MediaPluginDir))) {
    mBGM[0].channel = QStringLiteral("bgm0");
    mBGM[1].channel = QStringLiteral("bgm1");
    mCV.channel = QStringLiteral("cv");
    mSELoop.channel = QStringLiteral("seloop");
    for (int i = 0; i < kEffectPlayers; ++i) {
        mSE[i].channel = QStringLiteral("se") + QString::number(i);
    }
}

clsDovDriver::~clsDovDriver() {
    App().PutLog(QStringLiteral("  Procedure TerminateDov Call..."));
    mLib->TerminateDov();
    App().PutLog(QStringLiteral("  Procedure TerminateDov Returned."));
    App().PutLog(QStringLiteral("  Termination of DovDriver Succeeded."));
}

bool clsDovDriver::Init() {
    App().PutLog(QStringLiteral("  Procedure InitializeDov Call..."));
    const std::int32_t result = mLib->InitializeDov();
    App().PutLog(QStringLiteral("  Procedure InitializeDov Returned."));
    if (result != Lib::kDovSuccess) {
        mLib->GetDovProp(Lib::kDovLastError, mDovLastError);
        mLib->GetDovProp(Lib::kDovDirectXVersion, mDovDirectXVersion);
        mLib->GetDovProp(Lib::kDovExtendedError1, mDovExtendedErrorID1);
        mLib->GetDovProp(Lib::kDovExtendedError2, mDovExtendedErrorID2);
        return false;
    }
    for (Player* player :
         {&mBGM[0], &mBGM[1], &mCV, &mSELoop, &mSE[0], &mSE[1], &mSE[2], &mSE[3], &mSE[4]}) {
        player->handle = mLib->AddSO(Lib::kSOKindSound);
        player->name.clear();
        player->flag = false;
    }
    mCurrentBGM = -1;
    mBGMVolume = 255;
    mSEVolume = 255;
    mCVVolume = 255;
    mBGMVolumeRate = 100;
    mSOLength = 0;
    mBGMFadeTime = kDefaultBGMFadeTime;
    if (mHooks.bgmFadeTime) {
        mBGMFadeTime = mHooks.bgmFadeTime().value_or(kDefaultBGMFadeTime);
    }
    App().PutLog(QStringLiteral("  Initialization of DovDriver Succeeded."));
    return true;
}

// --- Library calls -------------------------------------------------------

bool clsDovDriver::Set(const Player& player, std::int32_t property, std::int32_t value) {
    return Ok(mLib->SetSOProp(player.handle, property, value));
}

bool clsDovDriver::Call(const Player& player, std::int32_t method) {
    return Ok(mLib->CallSOMethod(player.handle, method));
}

bool clsDovDriver::IsPlaying(const Player& player) {
    std::int32_t state = 0;
    return Ok(mLib->GetSOProp(player.handle, Lib::kSOState, state)) && state == Lib::kStatePlaying;
}

void clsDovDriver::ReadLength(const Player& player) {
    std::int32_t length = 0;
    if (Ok(mLib->GetSOProp(player.handle, Lib::kSOLength, length))) {
        mSOLength = ClampLength(length);
    }
}

std::int32_t clsDovDriver::ClampLength(std::int32_t length) {
    return std::clamp(length, 0, kMaxSoundLength);
}

void clsDovDriver::Trace(const QString& event) const {
    if (Platform* platform = App().platform) {
        platform->trace().write(event);
    }
}

void clsDovDriver::TraceSound(const QString& op, const Player& player) const {
    Trace(QStringLiteral("sound ") + op + QLatin1Char(' ') + player.channel + QLatin1Char(' ') +
          player.name);
}

bool clsDovDriver::StopPlayer(const Player& player) {
    const bool wasPlaying = IsPlaying(player);
    const bool stopped = Call(player, Lib::kSOStop);
    if (wasPlaying) {
        TraceSound(QStringLiteral("stop"), player);
    }
    return stopped;
}

bool clsDovDriver::Restart(const Player& player) {
    return Call(player, Lib::kSOStop) && Call(player, Lib::kSORewind) &&
           Call(player, Lib::kSOPrepare);
}

// --- Loading -------------------------------------------------------------

ArchiveReader* clsDovDriver::Archive() const {
    if (mHooks.archive) {
        return mHooks.archive();
    }
    return App().Archives;
}

std::optional<QString> clsDovDriver::SoundFile(const QString& name, QString* why) {
    if (!App().SoundFileMode) {
        return std::nullopt;
    }
    return GameFolder(App().WorkspaceDir)
        .find(QStringLiteral("sound/") + name + QStringLiteral(".ogg"), why);
}

std::optional<QString> clsDovDriver::MovieFile(const QString& path, QString& why) {
    return ResolveMoviePath(path, why);
}

bool clsDovDriver::LoadSound(Player& player, const QString& name) {
    player.name.clear();
    QString why;
    if (const auto path = SoundFile(name, &why)) {
        return LoadFromFile(player, name, *path);
    }
    if (App().SoundFileMode && !GameFolder::isConfined(QStringLiteral("sound/") + name)) {
        App().PutLog(QStringLiteral("dov sound name refused ") + quoted(name) +
                     QStringLiteral(": ") + why);
    }
    return LoadFromArchive(player, name);
}

QByteArray* clsDovDriver::ResetBuffer(const Player& player, std::int32_t size) {
    QByteArray* buffer = nullptr;
    if (!Call(player, Lib::kSOStop) || !Call(player, Lib::kSORewind) ||
        !Set(player, Lib::kSOBufferSize, size) || !Ok(mLib->GetSOBuffer(player.handle, buffer))) {
        return nullptr;
    }
    return buffer;
}

bool clsDovDriver::Prepare(const Player& player, const QString& name) {
    if (Call(player, Lib::kSOPrepare)) {
        return true;
    }
    App().PutLog(QStringLiteral("dov prepare error ") + quoted(name) + QStringLiteral(" (") +
                 mLib->LastMediaError() + QLatin1Char(')'));
    return false;
}

bool clsDovDriver::LoadFromFile(Player& player, const QString& name, const QString& path) {
    const std::optional<QByteArray> bytes = FileIo::readAll(path);
    if (!bytes || bytes->size() > INT32_MAX) {
        App().PutLog(QStringLiteral("dov readfile error ") + quoted(path));
        return false;
    }
    QByteArray* buffer = ResetBuffer(player, static_cast<std::int32_t>(bytes->size()));
    if (buffer == nullptr) {
        return false;
    }
    *buffer = *bytes;
    if (!Prepare(player, name)) {
        return false;
    }
    player.name = name;
    App().PutLog(QStringLiteral("dov load file ") + quoted(name) + QStringLiteral(" from file"));
    return true;
}

bool clsDovDriver::LoadFromArchive(Player& player, const QString& name) {
    ArchiveReader* oska = Archive();
    const std::int32_t id = oska != nullptr ? oska->FileKeyToID(name) : -1;
    if (id < 0) {
        App().PutLog(QStringLiteral("dov file not found error ") + quoted(name));
        return false;
    }
    const std::int32_t size = oska->GetSize(id);
    if (size <= 0) {
        App().PutLog(QStringLiteral("dov file size error ") + quoted(name));
        return false;
    }
    QByteArray* buffer = ResetBuffer(player, size);
    if (buffer == nullptr) {
        return false;
    }
    if (!oska->GetMemory(id, *buffer, size)) {
        App().PutLog(QStringLiteral("dov archive read error ") + quoted(name));
        return false;
    }
    if (!Prepare(player, name)) {
        return false;
    }
    player.name = name;
    App().PutLog(QStringLiteral("dov load file ") + quoted(name) + QStringLiteral(" from archive"));
    return true;
}

// --- Music ---------------------------------------------------------------

std::int32_t clsDovDriver::BGMPlayVolume() const {
    // Halves round to even, as the current rounding mode does.
    return static_cast<std::int32_t>(
        std::nearbyint(static_cast<double>(mBGMVolume) * mBGMVolumeRate / 100.0));
}

int clsDovDriver::ChooseBGMPlayer(const QString& name, bool& mustLoad) {
    mustLoad = false;
    for (int i = 0; i < 2; ++i) {
        if (mBGM[i].name == name) {
            return i;
        }
    }
    mustLoad = true;
    return IsPlaying(mBGM[0]) ? 1 : 0;
}

bool clsDovDriver::PlayBGM(const QString& name, bool waitFadeOut, bool loop) {
    int index = mCurrentBGM;
    bool loaded = false;
    bool fadedOut = false;
    if (mCurrentBGM >= 0) {
        const Player& current = mBGM[mCurrentBGM];
        if (current.name == name && current.flag == loop) {
            return true;
        }
        if (current.name != name) {
            index = 1 - mCurrentBGM;
            if (mBGM[index].name != name) {
                if (!LoadSound(mBGM[index], name)) {
                    return false;
                }
                loaded = true;
            }
            StopBGM(false);
            fadedOut = true;
        }
    } else {
        bool mustLoad = false;
        index = ChooseBGMPlayer(name, mustLoad);
        if (mustLoad) {
            if (!LoadSound(mBGM[index], name)) {
                return false;
            }
            loaded = true;
        }
    }
    Player& player = mBGM[index];
    player.flag = loop;
    if (!Set(player, Lib::kSOLoopCount, loop ? -1 : 1) || (!loaded && !Restart(player)) ||
        !Set(player, Lib::kSOVolume, BGMPlayVolume()) ||
        !Set(player, Lib::kSOFadeTime, mBGMFadeTime) || !Call(player, Lib::kSOPlay)) {
        return false;
    }
    TraceSound(QStringLiteral("play"), player);
    ReadLength(player);
    mCurrentBGM = index;
    if (fadedOut && waitFadeOut) {
        WaitFade();
    }
    return true;
}

bool clsDovDriver::StopBGM(bool wait) {
    if (mCurrentBGM < 0) {
        return true;
    }
    const Player& player = mBGM[mCurrentBGM];
    Set(player, Lib::kSOFadeTime, mBGMFadeTime);
    Call(player, Lib::kSOFadeOutAndStop);
    TraceSound(QStringLiteral("fade"), player);
    mCurrentBGM = -1;
    if (wait) {
        WaitFade();
    }
    return true;
}

void clsDovDriver::WaitFade() {
    // The window keeps painting and timers run; user input waits.
    const EngineWait wait;
    const qint64 end = mClock.now() + mBGMFadeTime;
    while (mClock.now() < end && !App().EngineClosing) {
        mClock.sleep(1);
        mClock.pump(Clock::Input::Exclude);
    }
}

// --- Voices and effects --------------------------------------------------

bool clsDovDriver::PlayCV(const QString& name, std::int32_t a, std::int32_t b) {
    if (name != mCV.name) {
        if (!LoadSound(mCV, name)) {
            return false;
        }
    } else if (!Restart(mCV)) {
        return false;
    }
    if (!Set(mCV, Lib::kSOVolume, mCVVolume) || !Set(mCV, Lib::kSOUserValue, a) ||
        !Call(mCV, Lib::kSOPlay)) {
        return false;
    }
    TraceSound(QStringLiteral("play"), mCV);
    ReadLength(mCV);
    return Set(mCV, Lib::kSOPan, b);
}

bool clsDovDriver::StopCV() {
    return StopPlayer(mCV);
}

bool clsDovDriver::PlaySE(const QString& name, std::int32_t a) {
    int index = -1;
    for (int i = 0; i < kEffectPlayers && index < 0; ++i) {
        if (mSE[i].name == name) {
            index = i;
        }
    }
    if (index >= 0) {
        if (!Call(mSE[index], Lib::kSOStop)) {
            return false;
        }
    } else {
        index = kEffectPlayers - 1;
        for (int i = kEffectPlayers - 1; i >= 0; --i) {
            if (!IsPlaying(mSE[i])) {
                index = i;
                break;
            }
        }
        if (!LoadSound(mSE[index], name)) {
            return false;
        }
    }
    const Player& player = mSE[index];
    if (!Set(player, Lib::kSOVolume, mSEVolume) || !Set(player, Lib::kSOUserValue, a) ||
        !Call(player, Lib::kSOPlay)) {
        return false;
    }
    TraceSound(QStringLiteral("play"), player);
    ReadLength(player);
    return true;
}

bool clsDovDriver::StopSE() {
    bool stopped = true;
    for (const Player& player : mSE) {
        stopped = StopPlayer(player) && stopped;
    }
    return stopped;
}

bool clsDovDriver::PlaySELoop(const QString& name, std::int32_t& loops, std::int32_t a) {
    if (name != mSELoop.name) {
        if (!LoadSound(mSELoop, name)) {
            return false;
        }
    } else if (!Restart(mSELoop)) {
        return false;
    }
    mSELoop.flag = loops == 0;
    if (loops == 0) {
        loops = -1;
    }
    if (!Set(mSELoop, Lib::kSOVolume, mSEVolume) || !Set(mSELoop, Lib::kSOLoopCount, loops) ||
        !Set(mSELoop, Lib::kSOUserValue, a) || !Call(mSELoop, Lib::kSOPlay)) {
        return false;
    }
    TraceSound(QStringLiteral("play"), mSELoop);
    ReadLength(mSELoop);
    return true;
}

bool clsDovDriver::StopSELoop() {
    return StopPlayer(mSELoop);
}

// --- Volumes -------------------------------------------------------------

std::int32_t clsDovDriver::AdjustVolume(std::int32_t volume) {
    if (volume > 255) {
        return 255;
    }
    return volume < 0 ? -1 : volume;
}

void clsDovDriver::ApplyVolume(const Player& player, std::int32_t adjusted) {
    if (adjusted < 0) {
        StopPlayer(player);
    } else {
        Set(player, Lib::kSOVolume, adjusted);
    }
}

void clsDovDriver::ApplyBGMVolume() {
    const std::int32_t adjusted = AdjustVolume(BGMPlayVolume());
    for (const Player& player : mBGM) {
        ApplyVolume(player, adjusted);
    }
}

void clsDovDriver::SetBGMVolume(std::int32_t volume) {
    mBGMVolume = volume;
    ApplyBGMVolume();
}

void clsDovDriver::SetBGMVolumeRate(std::int32_t rate) {
    mBGMVolumeRate = rate;
    ApplyBGMVolume();
}

void clsDovDriver::SetSEVolume(std::int32_t volume) {
    mSEVolume = AdjustVolume(volume);
    for (const Player& player : mSE) {
        ApplyVolume(player, mSEVolume);
    }
    ApplyVolume(mSELoop, mSEVolume);
}

void clsDovDriver::SetCVVolume(std::int32_t volume) {
    mCVVolume = AdjustVolume(volume);
    ApplyVolume(mCV, mCVVolume);
}

// --- State ---------------------------------------------------------------

bool clsDovDriver::IsPlayingBGM() {
    return IsPlaying(mBGM[0]) || IsPlaying(mBGM[1]);
}

bool clsDovDriver::IsPlayingCV() {
    return IsPlaying(mCV);
}

bool clsDovDriver::IsPlayingSeLoop() {
    return IsPlaying(mSELoop);
}

bool clsDovDriver::IsPlayingSE() {
    for (const Player& player : mSE) {
        if (IsPlaying(player)) {
            return true;
        }
    }
    return false;
}

// --- Movies --------------------------------------------------------------

bool clsDovDriver::SetVideoWindow(std::int32_t window) {
    return Ok(mLib->SetDovProp(Lib::kDovVideoWindow, window)) && Ok(mLib->dshowChangeWindow());
}

bool clsDovDriver::PlayMovie(const QString& path) {
    QString why;
    const std::optional<QString> file = ResolveMoviePath(path, why);
    if (!file) {
        App().PutLog(QStringLiteral("dov movie error ") + quoted(path) + QStringLiteral(" (") +
                     why + QLatin1Char(')'));
        return false;
    }
    if (!Ok(mLib->dshowPlay(*file))) {
        App().PutLog(QStringLiteral("dov movie error ") + quoted(path) + QStringLiteral(" (") +
                     mLib->LastMediaError() + QLatin1Char(')'));
        return false;
    }
    mMovieName = FileNameOf(*file);
    Trace(QStringLiteral("movie play ") + mMovieName);
    return true;
}

bool clsDovDriver::StopMovie() {
    // Stopping a movie must never count as the window losing the focus.
    const bool sense = mHooks.deactivateSense ? mHooks.deactivateSense() : false;
    if (mHooks.setDeactivateSense) {
        mHooks.setDeactivateSense(false);
    }
    const bool stopped = Ok(mLib->dshowStop());
    if (mHooks.setDeactivateSense) {
        mHooks.setDeactivateSense(sense);
    }
    if (!mMovieName.isEmpty()) {
        Trace(QStringLiteral("movie stop ") + mMovieName);
        mMovieName.clear();
    }
    return stopped;
}

bool clsDovDriver::IsPlayingMovie() {
    return mLib->dshowIsPlaying() != 0;
}

// --- Save data -----------------------------------------------------------

void clsDovDriver::SaveStatus(clsSaveData& saveData) {
    INISection& status = saveData.DovStatus();
    const bool bgmLoops = mCurrentBGM >= 0 && mBGM[mCurrentBGM].flag;
    status.SetKeyValue(QStringLiteral("BgmFile"), bgmLoops ? mBGM[mCurrentBGM].name : QString());
    status.SetKeyValue(QStringLiteral("BGMVolumeRate"), QString::number(mBGMVolumeRate));
    const bool endlessEffect = mSELoop.flag && IsPlayingSeLoop();
    status.SetKeyValue(QStringLiteral("SelFile"), endlessEffect ? mSELoop.name : QString());
}

void clsDovDriver::LoadStatus(clsSaveData& saveData) {
    const INISection& status = saveData.DovStatus();
    if (status.KeyExists(QStringLiteral("BGMVolumeRate"))) {
        SetBGMVolumeRate(
            stdHelpers::LeadingInteger(status.KeyValue(QStringLiteral("BGMVolumeRate"))));
    }
    const QString bgm = status.KeyValue(QStringLiteral("BgmFile"));
    if (bgm.isEmpty()) {
        StopBGM(false);
    } else {
        PlayBGM(bgm, false, true);
    }
    const QString effect = status.KeyValue(QStringLiteral("SelFile"));
    if (effect.isEmpty()) {
        StopSELoop();
    } else {
        std::int32_t loops = 0;
        PlaySELoop(effect, loops, 0);
    }
}
