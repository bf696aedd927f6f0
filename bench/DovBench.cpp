#include <benchmark/benchmark.h>
#include <malloc.h>

#include <map>
#include <memory>
#include <vector>

#include "DovTestMedia.h"
#include "platform/dov/DovLibrary.h"
#include "platform/dov/DovMixer.h"
#include "platform/dov/ffmpeg/DovDecoder.h"
#include "platform/os/VirtualClock.h"

namespace {

using Lib = DovLibrary;

const QByteArray& effectTone() {
    static const QByteArray bytes = dovtest::toneOgg(800, 44100, 1, 660.0);
    return bytes;
}

const QByteArray& musicTrack(int ms) {
    static std::map<int, QByteArray> cache;
    QByteArray& bytes = cache[ms];
    if (bytes.isEmpty()) {
        bytes = dovtest::musicOgg(ms);
    }
    return bytes;
}

std::int32_t loadSound(DovLibrary& dov, const QByteArray& bytes) {
    const std::int32_t handle = dov.AddSO(Lib::kSOKindSound);
    dov.SetSOProp(handle, Lib::kSOBufferSize, static_cast<std::int32_t>(bytes.size()));
    QByteArray* buffer = nullptr;
    dov.GetSOBuffer(handle, buffer);
    // A deep copy: every sound holds its own compressed bytes, as loaded ones do.
    *buffer = QByteArray(bytes.constData(), bytes.size());
    dov.CallSOMethod(handle, Lib::kSOPrepare);
    return handle;
}

// The heap in use, in bytes.
std::size_t heapInUse() {
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
}

// From the call that starts an effect to its first mixed sample: the play, the
// hand-over to the mixer, the rewind of its decoder and the first decoded block.
void BM_DovEffectStartLatency(benchmark::State& state) {
    VirtualClock clock;
    DovLibrary dov(clock);
    if (dov.InitializeDov() != 0) {
        state.SkipWithError("no audio output");
        return;
    }
    bool heard = false;
    dov.SetMixSink([&heard](const float* frames, int count) {
        for (int i = 0; i < 2 * count && !heard; ++i) {
            heard = frames[i] != 0.0F;
        }
    });
    const bool reload = state.range(0) != 0;
    std::int32_t handle = loadSound(dov, effectTone());
    for (auto _ : state) {
        heard = false;
        if (reload) {
            handle = loadSound(dov, effectTone());
        } else {
            dov.CallSOMethod(handle, Lib::kSOStop);
        }
        dov.CallSOMethod(handle, Lib::kSOPlay);
        clock.sleep(1);  // 44 frames
        dov.AdvanceMix();
        if (!heard) {
            state.SkipWithError("the effect was not heard");
            break;
        }
        clock.sleep(50);
        dov.CallSOMethod(handle, Lib::kSOStop);
    }
    state.SetLabel(reload ? "load, prepare and play" : "replay of a loaded effect");
}
BENCHMARK(BM_DovEffectStartLatency)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// One second of the busiest mix a game makes: two pieces of music cross-fading,
// five effects, the looping effect and a voice, at 44.1 kHz.
void BM_DovMixerBusySecond(benchmark::State& state) {
    DovMixer mixer;
    int voice = 1;
    const auto add = [&mixer, &voice](const QByteArray& bytes, int volume) {
        QString error;
        DovMixer::Command source;
        source.op = DovMixer::Op::Source;
        source.voice = voice;
        source.source = DovDecoder::fromMemory(bytes, error);
        mixer.post(std::move(source));
        for (auto [op, value] : {std::pair{DovMixer::Op::Loops, std::int64_t{-1}},
                                 std::pair{DovMixer::Op::Volume, std::int64_t{volume}},
                                 std::pair{DovMixer::Op::Play, std::int64_t{0}}}) {
            DovMixer::Command command;
            command.op = op;
            command.voice = voice;
            command.value = value;
            mixer.post(std::move(command));
        }
        ++voice;
    };
    add(musicTrack(60000), 200);
    add(musicTrack(30000), 100);
    for (int i = 0; i < 5; ++i) {
        add(effectTone(), 180);
    }
    add(effectTone(), 150);                                  // the looping effect
    add(dovtest::toneOgg(5000, 22050, 1, 300.0, 0.5), 255);  // a voice
    std::vector<float> out(static_cast<std::size_t>(DovMixer::kRate) * DovMixer::kChannels);
    std::int64_t until = 0;
    for (auto _ : state) {
        until += DovMixer::kRate;
        mixer.renderUntil(until, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    // Seconds of sound mixed per second of processor time; its inverse is the share
    // of one core the mix takes.
    state.counters["realtime_x"] =
        benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DovMixerBusySecond)->Unit(benchmark::kMillisecond);

// Two five-minute pieces of music loaded and playing: they cost their compressed
// size and a fixed decode buffer each, far below their decoded size.
void BM_DovMemoryTwoFiveMinuteTracks(benchmark::State& state) {
    const QByteArray& track = musicTrack(5 * 60 * 1000);
    for (auto _ : state) {
        VirtualClock clock;
        DovLibrary dov(clock);
        dov.InitializeDov();
        dov.SetMixSink([](const float*, int) {});
        const std::size_t before = heapInUse();
        const std::int32_t first = loadSound(dov, track);
        const std::int32_t second = loadSound(dov, track);
        dov.CallSOMethod(first, Lib::kSOPlay);
        dov.CallSOMethod(second, Lib::kSOPlay);
        clock.sleep(10000);
        dov.AdvanceMix();
        const std::size_t after = heapInUse();
        const double compressed = 2.0 * static_cast<double>(track.size());
        const double decoded = 2.0 * 5 * 60 * DovMixer::kRate * DovMixer::kChannels * 4.0;
        state.counters["compressed_MB"] = compressed / 1e6;
        state.counters["heap_MB"] = static_cast<double>(after - before) / 1e6;
        state.counters["decoder_per_track_kB"] =
            (static_cast<double>(after - before) - compressed) / 2e3;
        state.counters["decoded_would_be_MB"] = decoded / 1e6;
    }
}
BENCHMARK(BM_DovMemoryTwoFiveMinuteTracks)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
