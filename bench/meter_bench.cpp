// The level meter's cost per reading, over the scripted sound system and
// over PulseAudio, and how long a sound takes to reach a reading.
//
//   GetLevel/Fake/Silent    every reading opens, reads and closes the recording
//   GetLevel/Fake/Loud      the playback meter reads above 0
//   GetLevel/Pulse/Silent   a real server, nothing playing
//   GetLevel/Pulse/Loud     a real server, a -6 dBFS sine playing
//   SoundToReading/Pulse    from the first sine sample handed to the server
//                           to the first reading of at least a quarter scale;
//                           ten tries, counters median_ms, min_ms, max_ms
//
// The PulseAudio cases skip when there is no server.

#include <benchmark/benchmark.h>

#include <memory>

#include "audio/MixerWaveIn.h"
#include "audio/clsAudioLevel.h"
#include "audio/fake/ScriptedMixer.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

constexpr std::size_t kScriptedReadings = 1 << 16;

void GetLevelFake(benchmark::State& state, std::int32_t playback) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->recordCalls = false;
    auto refill = [&] { script->outReadings.assign(kScriptedReadings, playback); };
    refill();
    clsAudioLevel meter(std::make_unique<ScriptedMixer>(script));
    for (auto _ : state) {
        benchmark::DoNotOptimize(meter.GetLevel());
        if (script->outReadings.empty()) {
            state.PauseTiming();
            refill();
            state.ResumeTiming();
        }
    }
}

void BM_GetLevelFakeSilent(benchmark::State& state) { GetLevelFake(state, 0); }
void BM_GetLevelFakeLoud(benchmark::State& state) { GetLevelFake(state, 16384); }
BENCHMARK(BM_GetLevelFakeSilent)->Name("GetLevel/Fake/Silent");
BENCHMARK(BM_GetLevelFakeLoud)->Name("GetLevel/Fake/Loud");

}  // namespace

#ifdef GYROBLOOM_HAVE_PULSE

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstring>
#include <numbers>
#include <thread>
#include <vector>

#include "audio/MeterPeaks.h"

#include "audio/pulse/PulseMixerWaveIn.h"

namespace {

using Clock = std::chrono::steady_clock;

// A -6 dBFS 440 Hz sine on the default output, switched on and off, on a
// connection of its own. Silence is written while it is off, so that the
// stream keeps running and switching on costs no stream set-up.
class SinePlayer {
public:
    static constexpr std::uint32_t kRate = 44100;

    bool Start() {
        mLoop = pa_threaded_mainloop_new();
        if (!mLoop || pa_threaded_mainloop_start(mLoop) < 0) return false;
        pa_threaded_mainloop_lock(mLoop);
        mContext = pa_context_new(pa_threaded_mainloop_get_api(mLoop), "Gyrobloom benchmark");
        pa_context_set_state_callback(mContext, OnContextState, this);
        bool ok = pa_context_connect(mContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) >= 0;
        while (ok) {
            pa_context_state_t s = pa_context_get_state(mContext);
            if (s == PA_CONTEXT_READY) break;
            if (!PA_CONTEXT_IS_GOOD(s)) ok = false;
            else pa_threaded_mainloop_wait(mLoop);
        }
        if (ok) {
            const pa_sample_spec format = {PA_SAMPLE_S16NE, kRate, 1};
            mStream = pa_stream_new(mContext, "Benchmark sine", &format, nullptr);
            pa_stream_set_write_callback(mStream, OnWrite, this);
            pa_buffer_attr attr;
            std::memset(&attr, 0xff, sizeof attr);
            attr.tlength = pa_usec_to_bytes(20000, &format);
            ok = pa_stream_connect_playback(mStream, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr, nullptr) >= 0;
        }
        pa_threaded_mainloop_unlock(mLoop);
        return ok;
    }

    ~SinePlayer() {
        if (!mLoop) return;
        pa_threaded_mainloop_lock(mLoop);
        if (mStream) {
            pa_stream_disconnect(mStream);
            pa_stream_unref(mStream);
        }
        if (mContext) {
            pa_context_disconnect(mContext);
            pa_context_unref(mContext);
        }
        pa_threaded_mainloop_unlock(mLoop);
        pa_threaded_mainloop_stop(mLoop);
        pa_threaded_mainloop_free(mLoop);
    }

    void On() {
        mFirstSineWritten = false;
        mOn = true;
    }
    void Off() { mOn = false; }
    // When the first sine sample went to the server since On().
    bool FirstSine(Clock::time_point& at) const {
        if (!mFirstSineWritten) return false;
        at = mFirstSineAt;
        return true;
    }

private:
    static void OnContextState(pa_context*, void* self) {
        pa_threaded_mainloop_signal(static_cast<SinePlayer*>(self)->mLoop, 0);
    }

    static void OnWrite(pa_stream* stream, std::size_t bytes, void* data) {
        auto* self = static_cast<SinePlayer*>(data);
        void* buffer = nullptr;
        if (pa_stream_begin_write(stream, &buffer, &bytes) < 0 || !buffer) return;
        auto* samples = static_cast<std::int16_t*>(buffer);
        const bool on = self->mOn;
        for (std::size_t i = 0; i < bytes / sizeof(std::int16_t); ++i) {
            double phase = 2 * std::numbers::pi * 440.0 * double(self->mFrame++) / kRate;
            samples[i] = on ? std::int16_t(std::lround(16384 * std::sin(phase))) : 0;
        }
        if (on && !self->mFirstSineWritten) {
            self->mFirstSineAt = Clock::now();
            self->mFirstSineWritten = true;
        }
        pa_stream_write(stream, buffer, bytes, nullptr, 0, PA_SEEK_RELATIVE);
    }

    pa_threaded_mainloop* mLoop = nullptr;
    pa_context* mContext = nullptr;
    pa_stream* mStream = nullptr;
    std::atomic<bool> mOn{false};
    std::atomic<bool> mFirstSineWritten{false};
    Clock::time_point mFirstSineAt;
    std::uint64_t mFrame = 0;
};

bool ServerAnswers() {
    PulseMixerWaveIn probe;
    return probe.OpenMixer();
}

// Reads until a level in [low, high] comes, or the deadline passes.
bool ReadUntil(clsAudioLevel& meter, vb::Long low, vb::Long high, std::chrono::seconds within) {
    const auto deadline = Clock::now() + within;
    while (Clock::now() < deadline) {
        vb::Long level = meter.GetLevel();
        if (level >= low && level <= high) return true;
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return false;
}

// Plays the sine until the meter reads it; false (with the reason given to
// the benchmark) when there is no server or the sine never arrives.
bool SineReachesMeter(benchmark::State& state, clsAudioLevel& meter, SinePlayer& player) {
    if (!player.Start()) {
        state.SkipWithError("could not play the sine");
        return false;
    }
    player.On();
    if (!ReadUntil(meter, 8000, 32767, std::chrono::seconds(5))) {
        state.SkipWithError("the sine never reached the meter");
        return false;
    }
    return true;
}

bool ServerAnswers(benchmark::State& state) {
    if (ServerAnswers()) return true;
    state.SkipWithError("no PulseAudio server");
    return false;
}

void GetLevelPulse(benchmark::State& state, bool loud) {
    if (!ServerAnswers(state)) return;
    vb::HeadlessPlatform platform;
    clsAudioLevel meter(CreatePulseMixerWaveIn());
    SinePlayer player;
    if (loud) {
        if (!SineReachesMeter(state, meter, player)) return;
    } else {
        // Let the input stream come up so that its linger holds it.
        ReadUntil(meter, -1, -1, std::chrono::seconds(1));
    }
    for (auto _ : state) benchmark::DoNotOptimize(meter.GetLevel());
}

void BM_GetLevelPulseSilent(benchmark::State& state) { GetLevelPulse(state, false); }
void BM_GetLevelPulseLoud(benchmark::State& state) { GetLevelPulse(state, true); }
BENCHMARK(BM_GetLevelPulseSilent)->Name("GetLevel/Pulse/Silent");
BENCHMARK(BM_GetLevelPulseLoud)->Name("GetLevel/Pulse/Loud");

// Ten tries in one run; the counters give the median, fastest and slowest
// delay in milliseconds.
void BM_SoundToReading(benchmark::State& state) {
    constexpr int kTries = 10;
    if (!ServerAnswers(state)) return;
    vb::HeadlessPlatform platform;
    clsAudioLevel meter(CreatePulseMixerWaveIn());
    SinePlayer player;
    // Once the meter streams deliver, the first try measures the same as
    // the others.
    if (!SineReachesMeter(state, meter, player)) return;
    std::vector<double> delays;
    for (auto _ : state) {
        for (int i = 0; i < kTries; ++i) {
            player.Off();
            if (!ReadUntil(meter, 0, 0, std::chrono::seconds(5))) {
                state.SkipWithError("the level never fell back to 0");
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            player.On();
            if (!ReadUntil(meter, MeterPeaks::kFullScale / 4, MeterPeaks::kFullScale, std::chrono::seconds(5))) {
                state.SkipWithError("the sine never reached the meter");
                return;
            }
            const auto seen = Clock::now();
            Clock::time_point start;
            if (player.FirstSine(start)) delays.push_back(std::chrono::duration<double, std::milli>(seen - start).count());
        }
    }
    if (delays.empty()) return;
    std::sort(delays.begin(), delays.end());
    const std::size_t n = delays.size();
    state.counters["median_ms"] = n % 2 ? delays[n / 2] : (delays[n / 2 - 1] + delays[n / 2]) / 2;
    state.counters["min_ms"] = delays.front();
    state.counters["max_ms"] = delays.back();
}
BENCHMARK(BM_SoundToReading)->Name("SoundToReading/Pulse")->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

#endif  // GYROBLOOM_HAVE_PULSE

BENCHMARK_MAIN();
