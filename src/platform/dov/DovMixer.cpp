#include "platform/dov/DovMixer.h"

#include <algorithm>

namespace {

// The most frames one step of renderUntil mixes before it looks at the queue again.
constexpr std::int64_t kRenderStep = DovMixer::kBlock * 16;

}  // namespace

DovMixer::DovMixer()
    : decoded_(static_cast<std::size_t>(kBlock) * kChannels),
      stereo_(static_cast<std::size_t>(kBlock) * kChannels) {
    retired_.reserve(16);
}

DovMixer::~DovMixer() = default;

void DovMixer::post(Command command) {
    const std::lock_guard guard(lock_);
    posted_.push_back(std::move(command));
}

void DovMixer::takePosted() {
    std::deque<Command> taken;
    {
        const std::lock_guard guard(lock_);
        taken.swap(posted_);
    }
    for (Command& command : taken) {
        due_.push_back(std::move(command));
    }
}

void DovMixer::releaseRetired() {
    std::vector<std::unique_ptr<DovSoundSource>> released;
    const std::lock_guard guard(lock_);
    released.swap(retired_);
    retired_.reserve(16);
}

void DovMixer::retire(std::unique_ptr<DovSoundSource> decoder) {
    if (decoder) {
        const std::lock_guard guard(lock_);
        retired_.push_back(std::move(decoder));
    }
}

void DovMixer::mix(float* out, int frames) {
    takePosted();
    while (!due_.empty()) {
        apply(due_.front());
        due_.pop_front();
    }
    mixBlock(out, frames);
}

void DovMixer::renderUntil(std::int64_t frame, float* out) {
    takePosted();
    const std::int64_t start = position_;
    for (;;) {
        while (!due_.empty() && due_.front().atFrame <= position_) {
            apply(due_.front());
            due_.pop_front();
        }
        if (position_ >= frame) {
            break;
        }
        std::int64_t end = std::min(frame, position_ + kRenderStep);
        if (!due_.empty()) {
            end = std::min(end, due_.front().atFrame);
        }
        const auto count = static_cast<int>(end - position_);
        mixBlock(out == nullptr ? nullptr : out + (position_ - start) * kChannels, count);
        position_ = end;
    }
}

bool DovMixer::isVoicePlaying(int voice) const {
    const auto found = voices_.find(voice);
    return found != voices_.end() && found->second.playing;
}

void DovMixer::apply(Command& command) {
    if (command.op == Op::Source) {
        Voice& voice = voices_[command.voice];
        retire(std::move(voice.decoder));
        voice = Voice{};
        voice.decoder = std::move(command.source);
        voice.lengthFrames = voice.decoder ? voice.decoder->lengthFrames() : 0;
        return;
    }
    const auto found = voices_.find(command.voice);
    if (found == voices_.end()) {
        return;
    }
    Voice& voice = found->second;
    switch (command.op) {
        case Op::Play:
            applyPlay(voice, command.value);
            break;
        case Op::Stop:
            voice.playing = false;
            voice.fadingOut = false;
            break;
        case Op::Rewind:
            voice.position = 0;
            voice.passesDone = 0;
            break;
        case Op::FadeOut:
            if (voice.playing && command.value <= 0) {
                voice.playing = false;
            } else if (voice.playing) {
                voice.fadeOutFrom = envelope(voice);
                voice.fadingOut = true;
                voice.fadeOutFrames = command.value;
                voice.fadeOutDone = 0;
            }
            break;
        case Op::Volume:
            voice.volume = static_cast<int>(std::clamp<std::int64_t>(command.value, 0, 255));
            break;
        case Op::Pan:
            voice.pan =
                static_cast<int>(std::clamp<std::int64_t>(command.value, -kMaxPan, kMaxPan));
            break;
        case Op::Loops:
            voice.loops = static_cast<int>(command.value);
            break;
        case Op::Remove:
            retire(std::move(voice.decoder));
            voices_.erase(found);
            return;
        case Op::Source:
            break;
    }
    if (command.op == Op::Volume || command.op == Op::Pan) {
        // A play takes its volume and pan at once; later changes glide.
        retarget(voice, !voice.fresh);
    }
}

void DovMixer::applyPlay(Voice& voice, std::int64_t fadeInFrames) {
    if (!voice.decoder || (voice.playing && !voice.fadingOut)) {
        return;
    }
    voice.position = 0;
    voice.passesDone = 0;
    voice.fadeInFrames = std::max<std::int64_t>(fadeInFrames, 0);
    voice.fadeInDone = 0;
    voice.fadingOut = false;
    voice.fadeOutDone = 0;
    voice.playing = true;
    voice.fresh = true;
    retarget(voice, false);
}

void DovMixer::mixBlock(float* out, int frames) {
    if (out != nullptr) {
        std::fill(out, out + static_cast<std::size_t>(frames) * kChannels, 0.0F);
    }
    for (auto& entry : voices_) {
        mixVoice(entry.second, out, frames);
    }
    if (out != nullptr) {
        for (float* sample = out; sample != out + static_cast<std::size_t>(frames) * kChannels;
             ++sample) {
            *sample = std::clamp(*sample, -1.0F, 1.0F);
        }
    }
}

void DovMixer::mixVoice(Voice& voice, float* out, int frames) {
    int done = 0;
    while (done < frames && voice.playing) {
        int want = std::min(kBlock, frames - done);
        if (voice.fadingOut) {
            want = static_cast<int>(
                std::min<std::int64_t>(want, voice.fadeOutFrames - voice.fadeOutDone));
        }
        if (want <= 0) {
            voice.playing = false;
            break;
        }
        const int got = out != nullptr ? readVoice(voice, want) : skipVoice(voice, want);
        voice.fresh = false;
        if (out != nullptr) {
            float* target = out + static_cast<std::size_t>(done) * kChannels;
            for (int i = 0; i < got; ++i) {
                const float level = envelope(voice);
                const auto glide = static_cast<float>(voice.glideLeft);
                target[2 * i] +=
                    stereo_[2 * i] * (voice.targetLeft - voice.stepLeft * glide) * level;
                target[2 * i + 1] +=
                    stereo_[2 * i + 1] * (voice.targetRight - voice.stepRight * glide) * level;
                advance(voice, 1);
            }
        } else {
            advance(voice, got);
        }
        done += got;
        if (got < want || (voice.fadingOut && voice.fadeOutDone >= voice.fadeOutFrames)) {
            voice.playing = false;
            voice.fadingOut = false;
        }
    }
}

int DovMixer::readVoice(Voice& voice, int frames) {
    const int channels = voice.decoder->channels();
    int got = 0;
    while (got < frames) {
        catchUpDecoder(voice);
        const int count = voice.decoder->read(decoded_.data() + got * channels, frames - got);
        voice.decoderPosition += count;
        voice.position += count;
        got += count;
        if (got < frames && !startNextPass(voice)) {
            break;
        }
    }
    if (channels == 1) {
        for (int i = 0; i < got; ++i) {
            stereo_[2 * i] = decoded_[i];
            stereo_[2 * i + 1] = decoded_[i];
        }
    } else {
        std::copy(decoded_.begin(), decoded_.begin() + 2 * got, stereo_.begin());
    }
    return got;
}

int DovMixer::skipVoice(Voice& voice, int frames) {
    int done = 0;
    while (done < frames) {
        const std::int64_t left =
            voice.lengthFrames < 0 ? frames - done : voice.lengthFrames - voice.position;
        const auto count = static_cast<int>(
            std::min<std::int64_t>(frames - done, std::max<std::int64_t>(left, 0)));
        voice.position += count;
        done += count;
        if (done < frames && !startNextPass(voice)) {
            break;
        }
    }
    return done;
}

bool DovMixer::startNextPass(Voice& voice) {
    ++voice.passesDone;
    const bool emptyPass = voice.position == 0;
    if ((voice.loops >= 0 && voice.passesDone >= voice.loops) || emptyPass) {
        return false;
    }
    voice.position = 0;
    return true;
}

void DovMixer::catchUpDecoder(Voice& voice) {
    if (voice.decoderPosition == voice.position) {
        return;
    }
    if (voice.decoderPosition > voice.position || voice.decoderPosition < 0) {
        voice.decoderPosition = voice.decoder->rewind() ? 0 : -1;
        if (voice.decoderPosition < 0) {
            return;
        }
    }
    voice.decoderPosition += voice.decoder->skip(voice.position - voice.decoderPosition);
}

void DovMixer::advance(Voice& voice, int frames) {
    voice.glideLeft = std::max(0, voice.glideLeft - frames);
    if (voice.fadingOut) {
        voice.fadeOutDone += frames;
    } else {
        voice.fadeInDone = std::min(voice.fadeInFrames, voice.fadeInDone + frames);
    }
}

float DovMixer::envelope(const Voice& voice) {
    if (voice.fadingOut) {
        const float done = static_cast<float>(voice.fadeOutDone) /
                           static_cast<float>(std::max<std::int64_t>(voice.fadeOutFrames, 1));
        return voice.fadeOutFrom * (1.0F - std::min(done, 1.0F));
    }
    if (voice.fadeInDone >= voice.fadeInFrames) {
        return 1.0F;
    }
    return static_cast<float>(voice.fadeInDone) / static_cast<float>(voice.fadeInFrames);
}

void DovMixer::retarget(Voice& voice, bool glide) {
    const auto glideFrames = static_cast<float>(voice.glideLeft);
    const float fromLeft = voice.targetLeft - voice.stepLeft * glideFrames;
    const float fromRight = voice.targetRight - voice.stepRight * glideFrames;
    const float base = static_cast<float>(voice.volume) / 255.0F;
    const float pan = static_cast<float>(voice.pan) / static_cast<float>(kMaxPan);
    voice.targetLeft = base * (pan > 0 ? 1.0F - pan : 1.0F);
    voice.targetRight = base * (pan < 0 ? 1.0F + pan : 1.0F);
    if (!glide) {
        voice.stepLeft = 0.0F;
        voice.stepRight = 0.0F;
        voice.glideLeft = 0;
        return;
    }
    voice.glideLeft = kGlideFrames;
    voice.stepLeft = (voice.targetLeft - fromLeft) / static_cast<float>(kGlideFrames);
    voice.stepRight = (voice.targetRight - fromRight) / static_cast<float>(kGlideFrames);
}
