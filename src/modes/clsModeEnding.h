#pragma once

#include <QString>
#include <QVariant>
#include <cstdint>

#include "modes/clsModeBase.h"
#include "platform/kest/KestLibrary.h"

class ModeHost;

// The ending roll: a background, a credits picture that scrolls up through the
// screen once over the roll's duration, and an optional effect picture that
// scrolls up four times meanwhile, one cell of it per pass. The engine's
// auto-click timer ticks at least every ten seconds until the time is up;
// then, or at a right click, the screen fades out and the game mode goes on
// with the scenario after the instruction that started the roll.
class clsModeEnding : public clsModeBase {
public:
    // Start codes of ModeStart.
    static constexpr std::int32_t kSubRoll = 14;
    static constexpr std::int32_t kSubIdle = 15;
    // SubStatus while the roll plays.
    static constexpr std::int32_t kRolling = 14;
    // Longest interval between two ticks of the roll.
    static constexpr std::int32_t kTickMs = 10000;
    static constexpr std::int32_t kBackgroundFadeMs = 1000;
    static constexpr std::int32_t kFinishFadeMs = 1000;
    // Passes of the effect picture over the roll.
    static constexpr std::int32_t kEffectPasses = 4;

    explicit clsModeEnding(ModeHost& varo);
    ~clsModeEnding() override;

    bool ModeStart(std::int32_t& subMode, const QVariant& argument) override;
    bool ModeEnd() override;
    void mGV_ScreenCmd(std::int32_t mode, std::int32_t command, const RectPtr& rect) override;

    KestLibrary::FilmId RollFilm() const { return mRollFilm; }
    KestLibrary::FilmId EffectFilm() const { return mEffectFilm; }
    KestLibrary::ActionId RollAction() const { return mRollAction; }
    KestLibrary::ActionId EffectAction() const { return mEffectAction; }
    std::int32_t Duration() const { return mDuration; }

private:
    void StartRoll(const QString& argument);
    void MakeEffect(const QString& file, std::int32_t duration);
    void MakeRoll(const QString& file, std::int32_t duration);
    void Tick();
    void FinishRoll();
    std::uint32_t Now() const;

    ModeHost& mVaro;
    KestLibrary::ActionId mEffectAction = KestLibrary::kNoAction;
    KestLibrary::FilmId mEffectFilm = KestLibrary::kNoFilm;
    KestLibrary::ActionId mRollAction = KestLibrary::kNoAction;
    KestLibrary::FilmId mRollFilm = KestLibrary::kNoFilm;
    // The clock read as a 32-bit millisecond counter that wraps.
    std::uint32_t mStartTime = 0;
    std::int32_t mDuration = 0;
};
