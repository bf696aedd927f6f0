#pragma once

#include "scenario/InstructionGroup.h"

// Waits, sound and movies: wait, waitcv, waitauto, pause, pauseabs, bgm,
// bgmvolumerate, se, sel, stopcv and playmovie.
class WaitSoundInstructions : public InstructionGroup {
public:
    explicit WaitSoundInstructions(clsInterpreter& interpreter);

private:
    void Wait(const QStringList& words);
    void WaitVoice(const QStringList& words);
    void WaitAuto(const QStringList& words);
    void Pause(const QStringList& words);
    void PauseAlways(const QStringList& words);
    void Bgm(const QStringList& words);
    void BgmVolumeRate(const QStringList& words);
    void Se(const QStringList& words);
    void SeLoop(const QStringList& words);
    void StopVoice(const QStringList& words);
    void PlayMovie(const QStringList& words);

    // A click wait with that auto-advance delay; false when skipping passed it.
    bool ClickWait(qint32 autoDelay);
    bool PlayableMovieName(const QString& file) const;
};
