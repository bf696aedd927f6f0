#include "scenario/WaitSoundInstructions.h"

#include <cmath>

#include "base/AppState.h"
#include "data/SharedData.h"
#include "platform/os/GameFolder.h"
#include "scenario/InterpreterHost.h"
#include "scenario/clsInterpreter.h"

namespace {

constexpr qint32 kMaxVolumeRate = 100;

bool HasDriveLetter(const QString& name) {
    return name.size() >= 2 && name.at(1) == QLatin1Char(':');
}

}  // namespace

WaitSoundInstructions::WaitSoundInstructions(clsInterpreter& interpreter)
    : InstructionGroup(interpreter) {
    Register("wait", &WaitSoundInstructions::Wait);
    Register("waitcv", &WaitSoundInstructions::WaitVoice);
    Register("waitauto", &WaitSoundInstructions::WaitAuto);
    Register("pause", &WaitSoundInstructions::Pause);
    Register("pauseabs", &WaitSoundInstructions::PauseAlways);
    Register("bgm", &WaitSoundInstructions::Bgm);
    Register("bgmvolumerate", &WaitSoundInstructions::BgmVolumeRate);
    Register("se", &WaitSoundInstructions::Se);
    Register("sel", &WaitSoundInstructions::SeLoop);
    Register("stopcv", &WaitSoundInstructions::StopVoice);
    Register("playmovie", &WaitSoundInstructions::PlayMovie);
}

bool WaitSoundInstructions::ClickWait(qint32 autoDelay) {
    if (mIntprt.IsSkipping()) {
        mIntprt.SetWaitMode(clsInterpreter::kSkippedWait);
        mHost.RemoveRectsByTag(kButtonTag);
        return false;
    }
    mIntprt.SetLastAutoClickTimer(autoDelay);
    mIntprt.SetWaitMode(clsInterpreter::kClickWait);
    mHost.EnableRectsByTag(kButtonTag, true);
    if (mIntprt.TextEnabled()) {
        mHost.SetCursorVisible(true);
    }
    return true;
}

void WaitSoundInstructions::Wait(const QStringList&) {
    const double autoWait = mHost.LongSetting(QStringLiteral("AutoModeWait"));
    ClickWait(static_cast<qint32>(std::lround(autoWait * 1.5 + 1000)));
}

void WaitSoundInstructions::WaitVoice(const QStringList&) {
    ClickWait(mIntprt.PendingDelay());
}

// The scenario goes on by itself after the delay, in auto mode or not.
void WaitSoundInstructions::WaitAuto(const QStringList& words) {
    const qint32 delay = Number(words.value(1));
    if (ClickWait(delay)) {
        mHost.MakeAutoClickTimer(delay, 1);
    }
}

void WaitSoundInstructions::Pause(const QStringList& words) {
    if (!mIntprt.IsSkipping()) {
        PauseAlways(words);
    }
}

void WaitSoundInstructions::PauseAlways(const QStringList& words) {
    mHost.Pause(std::max(0, Number(words.value(1))));
}

void WaitSoundInstructions::Bgm(const QStringList& words) {
    const QString& file = words.value(1);
    if (IsDefaultMark(file)) {
        Check(mHost.StopBGM(), QStringLiteral("ＢＧＭ停止に失敗"));
        return;
    }
    const QString flag =
        IsDefaultMark(words.value(2)) ? QStringLiteral("true") : words.value(2).toLower();
    if (flag != QLatin1String("true") && flag != QLatin1String("false")) {
        mIntprt.ReportRuntimeError(
            QStringLiteral("ループフラグにはtrueかfalseしか指定できません。"));
    }
    // A flag other than "false" loops, as music normally does.
    const bool loop = flag != QLatin1String("false");
    Check(mHost.PlayBGM(file, loop), QStringLiteral("BGM '") + file + QStringLiteral("' 再生失敗"));
}

void WaitSoundInstructions::BgmVolumeRate(const QStringList& words) {
    const qint32 rate = Number(words.value(1), kMaxVolumeRate);
    if (rate < 0 || rate > kMaxVolumeRate) {
        mIntprt.ReportRuntimeError(QStringLiteral("BGM音量比は０から１００"));
        return;
    }
    mHost.SetBGMVolumeRate(rate);
}

void WaitSoundInstructions::Se(const QStringList& words) {
    const QString& file = words.value(1);
    if (IsDefaultMark(file)) {
        mHost.StopSE();
        return;
    }
    Check(mHost.PlaySE(file), QStringLiteral("SE '") + file + QStringLiteral("' 再生失敗"));
}

void WaitSoundInstructions::SeLoop(const QStringList& words) {
    const QString& file = words.value(1);
    if (IsDefaultMark(file)) {
        mHost.StopSELoop();
        return;
    }
    Check(mHost.PlaySELoop(file, Number(words.value(2))),
          QStringLiteral("SEL '") + file + QStringLiteral("' 再生失敗"));
}

void WaitSoundInstructions::StopVoice(const QStringList&) {
    if (mHost.IsPlayingCV()) {
        mHost.StopCV();
    }
}

void WaitSoundInstructions::PlayMovie(const QStringList& words) {
    const QString file = Text(words.value(1));
    const qint32 number = Number(words.value(2));
    mIntprt.MarkMoviePlayed();
    bool played = false;
    if (PlayableMovieName(file)) {
        mIntprt.Shared().AddCGHistory(file);
        played = mHost.PlayMovie(App().MovieDir + QLatin1Char('\\') + file, number);
    }
    Check(played, QStringLiteral("ムービーを再生できません。"));
    mIntprt.SetWaitMode(clsInterpreter::kClickWait);
}

// Movie names stay inside the movie folder.
bool WaitSoundInstructions::PlayableMovieName(const QString& file) const {
    if (!file.isEmpty() && GameFolder::isConfined(file) && !HasDriveLetter(file)) {
        return true;
    }
    mHost.PutLog(QStringLiteral("movie name refused (outside the movie folder) '") + file +
                 QLatin1Char('\''));
    return false;
}
