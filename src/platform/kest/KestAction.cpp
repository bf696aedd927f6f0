#include "platform/kest/KestAction.h"

#include <algorithm>
#include <limits>

namespace {

// Linear step from `from` to `to`, `elapsed` of `duration` milliseconds in.
qint32 interpolate(qint32 from, qint32 to, qint64 elapsed, qint64 duration) {
    return static_cast<qint32>(from + (static_cast<qint64>(to) - from) * elapsed / duration);
}

QString hex(qint32 word) {
    return QStringLiteral("0x%1").arg(static_cast<quint32>(word), 8, 16, QLatin1Char('0'));
}

}  // namespace

KestAction::KestAction(qint32 id, int maxTokensPerRun, int maxTokens)
    : id_(id), maxTokensPerRun_(maxTokensPerRun), maxTokens_(maxTokens) {}

void KestAction::setPosition(qint32 position) {
    position_ = std::max(position, 0);
    entered_ = false;
}

bool KestAction::append(qint32 token) {
    if (static_cast<int>(tokens_.size()) >= maxTokens_) {
        return false;
    }
    tokens_.push_back(token);
    return true;
}

void KestAction::clear() {
    stop();
    tokens_.clear();
}

void KestAction::start(qint64 now) {
    running_ = true;
    tokenStart_ = now;
    entered_ = false;
    pausedOnMove_ = false;
    limitReported_ = false;
    ranOnce_ = false;
}

void KestAction::stop() {
    end();
}

void KestAction::end() {
    running_ = false;
    position_ = 0;
    entered_ = false;
    pausedOnMove_ = false;
}

void KestAction::run(qint64 now, KestActionTarget& target) {
    if (ranOnce_ && now == lastRun_) {
        return;
    }
    ranOnce_ = true;
    lastRun_ = now;
    overrun_ = false;
    for (int count = 0; running_; ++count) {
        if (count == maxTokensPerRun_) {
            // A loop without waits, or far behind the clock: go on at the next run
            // from now instead of catching up.
            overrun_ = true;
            tokenStart_ = now;
            entered_ = false;
            if (!limitReported_) {
                limitReported_ = true;
                target.ReportAction(QStringLiteral("Kest action %1: more than %2 tokens in one "
                                                   "frame; the rest waits for the next frame")
                                        .arg(id_)
                                        .arg(maxTokensPerRun_));
            }
            return;
        }
        if (step(now, target, false) == Step::Pause) {
            return;
        }
    }
}

void KestAction::finish(KestActionTarget& target) {
    // Every token but a repeat moves forward, so the list ends within its length.
    const qint64 limit = static_cast<qint64>(tokens_.size()) + 1;
    for (qint64 count = 0; running_ && count <= limit; ++count) {
        step(0, target, true);
    }
    end();
}

KestAction::Step KestAction::step(qint64 now, KestActionTarget& target, bool atOnce) {
    if (position_ >= static_cast<qint32>(tokens_.size())) {
        end();
        return Step::Stop;
    }
    pausedOnMove_ = false;
    const qint32 token = tokens_[position_];
    switch (token) {
        case kMoveValue:
            return moveValue(now, target, atOnce);
        case kMovePoint:
            return movePoint(now, target, atOnce);
        case kCallMethod:
            if (!hasArguments(2, target)) {
                return Step::Stop;
            }
            target.RunFilmMethod(target_, tokens_[position_ + 1], tokens_[position_ + 2]);
            advance(3, 0);
            return Step::Next;
        case kNextCellRows:
            if (!hasArguments(1, target)) {
                return Step::Stop;
            }
            target.AdvanceCellRows(target_, tokens_[position_ + 1]);
            advance(2, 0);
            return Step::Next;
        case kRevealText:
            return reveal(now, target, atOnce);
        case kWait:
            if (!hasArguments(1, target)) {
                return Step::Stop;
            }
            return wait(now, atOnce);
        case kRepeat:
            if (atOnce) {
                end();
                return Step::Stop;
            }
            position_ = 0;
            entered_ = false;
            return Step::Next;
        case kEnd:
            end();
            return Step::Stop;
        default:
            target.ReportAction(QStringLiteral("Kest action %1: unknown token %2 at %3; the "
                                               "action ends")
                                    .arg(id_)
                                    .arg(hex(token))
                                    .arg(position_));
            end();
            return Step::Stop;
    }
}

KestAction::Step KestAction::moveValue(qint64 now, KestActionTarget& target, bool atOnce) {
    if (!hasArguments(3, target)) {
        return Step::Stop;
    }
    const qint32 prop = tokens_[position_ + 1];
    const qint32 to = tokens_[position_ + 2];
    const qint64 duration = scaled(tokens_[position_ + 3]);
    if (!entered_) {
        qint32 from = to;
        target.ReadIntProp(target_, prop, from);
        moveFrom_ = QPoint(from, 0);
        entered_ = true;
    }
    const qint64 elapsed = now - tokenStart_;
    if (atOnce || elapsed >= duration) {
        target.WriteIntProp(target_, prop, to);
        advance(4, duration);
        return Step::Next;
    }
    target.WriteIntProp(target_, prop, interpolate(moveFrom_.x(), to, elapsed, duration));
    pausedOnMove_ = true;
    return Step::Pause;
}

KestAction::Step KestAction::movePoint(qint64 now, KestActionTarget& target, bool atOnce) {
    if (!hasArguments(4, target)) {
        return Step::Stop;
    }
    const qint32 prop = tokens_[position_ + 1];
    const QPoint to(tokens_[position_ + 2], tokens_[position_ + 3]);
    const qint64 duration = scaled(tokens_[position_ + 4]);
    if (!entered_) {
        moveFrom_ = to;
        target.ReadPointProp(target_, prop, moveFrom_);
        entered_ = true;
    }
    const qint64 elapsed = now - tokenStart_;
    if (atOnce || elapsed >= duration) {
        target.WritePointProp(target_, prop, to);
        advance(5, duration);
        return Step::Next;
    }
    target.WritePointProp(target_, prop,
                          QPoint(interpolate(moveFrom_.x(), to.x(), elapsed, duration),
                                 interpolate(moveFrom_.y(), to.y(), elapsed, duration)));
    pausedOnMove_ = true;
    return Step::Pause;
}

KestAction::Step KestAction::reveal(qint64 now, KestActionTarget& target, bool atOnce) {
    if (!entered_) {
        revealUsed_ = 0;
        entered_ = true;
    }
    const qint64 budget =
        atOnce ? std::numeric_limits<qint64>::max() / 4 : now - tokenStart_ - revealUsed_;
    const KestActionTarget::TextProgress progress =
        target.RevealText(target_, std::max<qint64>(budget, 0), scale_);
    revealUsed_ += progress.usedMs;
    if (progress.done) {
        advance(1, atOnce ? 0 : revealUsed_);
        return Step::Next;
    }
    revealNextIn_ = std::max<qint64>(progress.nextInMs, 1);
    return Step::Pause;
}

KestAction::Step KestAction::wait(qint64 now, bool atOnce) {
    const qint64 duration = scaled(tokens_[position_ + 1]);
    if (atOnce || now - tokenStart_ >= duration) {
        advance(2, duration);
        return Step::Next;
    }
    return Step::Pause;
}

bool KestAction::hasArguments(int count, KestActionTarget& target) {
    if (position_ + count < static_cast<qint32>(tokens_.size())) {
        return true;
    }
    target.ReportAction(QStringLiteral("Kest action %1: token %2 at %3 lacks its arguments; "
                                       "the action ends")
                            .arg(id_)
                            .arg(hex(tokens_[position_]))
                            .arg(position_));
    end();
    return false;
}

void KestAction::advance(int words, qint64 elapsedMs) {
    position_ += words;
    tokenStart_ += elapsedMs;
    entered_ = false;
}

qint64 KestAction::scaled(qint64 ms) const {
    return std::max<qint64>(ms, 0) * std::max<qint32>(scale_, 0) / 1000;
}

std::optional<qint64> KestAction::wake(qint64 now, int frameMs) const {
    if (!running_) {
        return std::nullopt;
    }
    // A run happens at most once a millisecond.
    const qint64 earliest = ranOnce_ && lastRun_ >= now ? now + 1 : now;
    return std::max(earliest, nextStep(now, frameMs));
}

qint64 KestAction::nextStep(qint64 now, int frameMs) const {
    if (overrun_ || pausedOnMove_) {
        return now + frameMs;
    }
    if (position_ >= static_cast<qint32>(tokens_.size())) {
        return now;
    }
    switch (tokens_[position_]) {
        case kWait:
            if (position_ + 1 < static_cast<qint32>(tokens_.size())) {
                return std::max(now, tokenStart_ + scaled(tokens_[position_ + 1]));
            }
            return now;
        case kRevealText:
            return entered_ ? now + revealNextIn_ : now;
        default:
            return now;
    }
}
