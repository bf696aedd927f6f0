#pragma once

#include <QString>
#include <QtGlobal>
#include <optional>
#include <vector>

#include "platform/kest/KestActionTarget.h"

// One action: a list of 32-bit token words run against the clock. Tokens run
// one after another; each starts when the one before it ends, so the timing
// does not depend on how often the action is run.
class KestAction {
public:
    static constexpr qint32 kMoveValue = 0x20021000;
    static constexpr qint32 kMovePoint = 0x20021001;
    static constexpr qint32 kCallMethod = 0x20022010;
    static constexpr qint32 kNextCellRows = 0x20022002;
    static constexpr qint32 kRevealText = 0x20022008;
    static constexpr qint32 kWait = 0x20020001;
    static constexpr qint32 kRepeat = 0x20020003;
    static constexpr qint32 kEnd = 0x20020004;

    KestAction(qint32 id, int maxTokensPerRun, int maxTokens);

    qint32 id() const { return id_; }
    qint32 target() const { return target_; }
    void setTarget(qint32 film) { target_ = film; }
    qint32 timeScale() const { return scale_; }
    void setTimeScale(qint32 scale) { scale_ = scale; }
    qint32 position() const { return position_; }
    void setPosition(qint32 position);
    bool running() const { return running_; }
    const std::vector<qint32>& tokens() const { return tokens_; }

    // False (and nothing appended) when the list is full.
    bool append(qint32 token);
    void clear();
    void start(qint64 now);
    void stop();
    // Runs every token due by `now`; at most the per-run limit of tokens, and once
    // per millisecond, so a list without waits cannot be driven on by repeated calls.
    void run(qint64 now, KestActionTarget& target);
    // Runs the rest of the list at once: moves reach their end values, waits and
    // pauses vanish, text shows completely; a repeat ends the action.
    void finish(KestActionTarget& target);
    // When the action next needs to run: its next step, `now + frameMs` while a
    // move is under way, nothing once it ended.
    std::optional<qint64> wake(qint64 now, int frameMs) const;

private:
    enum class Step { Next, Pause, Stop };

    Step step(qint64 now, KestActionTarget& target, bool atOnce);
    Step moveValue(qint64 now, KestActionTarget& target, bool atOnce);
    Step movePoint(qint64 now, KestActionTarget& target, bool atOnce);
    Step reveal(qint64 now, KestActionTarget& target, bool atOnce);
    Step wait(qint64 now, bool atOnce);
    bool hasArguments(int count, KestActionTarget& target);
    void advance(int words, qint64 elapsedMs);
    qint64 scaled(qint64 ms) const;
    void end();
    qint64 nextStep(qint64 now, int frameMs) const;

    qint32 id_;
    int maxTokensPerRun_;
    int maxTokens_;
    std::vector<qint32> tokens_;
    qint32 target_ = -1;
    qint32 scale_ = 1000;
    qint32 position_ = 0;
    bool running_ = false;
    // State of the token at position_.
    qint64 tokenStart_ = 0;
    bool entered_ = false;
    QPoint moveFrom_;
    qint64 revealUsed_ = 0;
    qint64 revealNextIn_ = 0;
    bool pausedOnMove_ = false;
    bool overrun_ = false;
    qint64 lastRun_ = 0;
    bool ranOnce_ = false;
    bool limitReported_ = false;
};
