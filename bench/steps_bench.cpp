// How many animation steps a second the saver makes at 1920x1080, with the
// default settings and with the heaviest the dialog allows (100 rays, length
// 100, width 100, mirror): on the headless backend (a null surface: the
// engine and meter alone), and on the Qt backend in a real window (the
// raster surface), unpaced (as fast as drawing and presenting allow) and
// paced (one step per display refresh). The Qt runs need a display (Xvfb
// will do) and skip themselves without one.
//
//   xvfb-run -s '-screen 0 1920x1080x24' ./steps_bench

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

#include "audio/fake/ScriptedMixer.h"
#include "engine/clsGyrobloom.h"
#include "runtime/headless/HeadlessPlatform.h"
#include "runtime/qt/QtPlatform.h"
#include "startup/modSubs.h"
#include "windows/frmScreenSaver.h"

namespace {

constexpr int kReadingsPerRefill = 4096;
constexpr int kStepsPerTidy = 1024;

// Music-like playback peaks: a beat every 24 readings over a slow swell.
void Refill(MixerScript& script) {
    const int start = int(script.outReadings.size());
    for (int i = 0; i < kReadingsPerRefill; ++i) {
        const int phase = start + i;
        const double swell = 0.5 + 0.4 * std::sin(phase * 0.01);
        const double beat = (phase % 24 < 3) ? 1.0 : 0.55;
        script.outReadings.push_back(std::int32_t(32767 * swell * beat));
    }
}

enum class Load { kDefaults, kHeaviest };

// The heaviest settings the dialog's scroll bars and boxes allow.
void StoreHeaviest() {
    for (const auto& [key, text] : {std::pair{"Number of Rays", "100"}, std::pair{"Line Length", "100"},
                                    std::pair{"Ray Width", "100"}, std::pair{"Mirror", "True"}})
        vb::SaveSetting(vb::kAppTitle, "Settings", key, text);
}

// The saver's start, as Main makes it, without the loop that never returns.
std::unique_ptr<clsGyrobloom::Spiral> StartSaver(std::shared_ptr<MixerScript>& script, Load load) {
    modSubs::ResetProgram();
    script = std::make_shared<MixerScript>();
    Refill(*script);
    modSubs::SetMixerFactory([script] { return std::make_unique<ScriptedMixer>(script); });
    if (load == Load::kHeaviest) StoreHeaviest();
    modSubs::gEngine().RetrieveSettings();  // an empty store: the defaults
    modSubs::gEngine().InSettingsMode(false);
    modSubs::gEngine().Screen(modSubs::frmScreenSaverInstance());
    return modSubs::gEngine().BeginSpiral();
}

// Keeps what the fakes record from growing without bound.
void Tidy(MixerScript& script, vb::HeadlessPlatform* headless) {
    script.calls.clear();
    if (script.outReadings.size() < kReadingsPerRefill) Refill(script);
    if (headless)
        for (auto* window : headless->windows) window->ops.clear();
}

void RunSteps(benchmark::State& state, vb::HeadlessPlatform* headless, Load load) {
    std::shared_ptr<MixerScript> script;
    auto spiral = StartSaver(script, load);
    long steps = 0;
    for (auto _ : state) {
        spiral->Step();
        if (++steps % kStepsPerTidy == 0) Tidy(*script, headless);
    }
    state.counters["steps_per_s"] = benchmark::Counter(double(steps), benchmark::Counter::kIsRate);
    spiral.reset();
    modSubs::ResetProgram();
}

void RunHeadless(benchmark::State& state, Load load) {
    vb::HeadlessPlatform platform;
    platform.screen = {1920, 1080, 15.0, 1.0};
    RunSteps(state, &platform, load);
}

void BM_StepsHeadless(benchmark::State& state) { RunHeadless(state, Load::kDefaults); }
BENCHMARK(BM_StepsHeadless);
void BM_StepsHeadlessHeaviest(benchmark::State& state) { RunHeadless(state, Load::kHeaviest); }
BENCHMARK(BM_StepsHeadlessHeaviest);

void RunQt(benchmark::State& state, bool paced, Load load) {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app) {
        state.SkipWithError("no display: run under Xvfb");
        return;
    }
    vb::QtPlatform platform(*app, std::make_unique<vb::InMemorySettingsStore>(),
                            vb::QtPlatform::Options{.paced = paced});
    vb::InstallPlatform(&platform);
    RunSteps(state, nullptr, load);
    state.counters["frames_per_s"] =
        benchmark::Counter(double(platform.Pacer().FramesShown()), benchmark::Counter::kIsRate);
    vb::InstallPlatform(nullptr);
}

void BM_StepsQtUnpaced(benchmark::State& state) { RunQt(state, false, Load::kDefaults); }
BENCHMARK(BM_StepsQtUnpaced)->MinTime(3.0)->UseRealTime();
void BM_StepsQtUnpacedHeaviest(benchmark::State& state) { RunQt(state, false, Load::kHeaviest); }
BENCHMARK(BM_StepsQtUnpacedHeaviest)->MinTime(3.0)->UseRealTime();

void BM_StepsQtPaced(benchmark::State& state) { RunQt(state, true, Load::kDefaults); }
BENCHMARK(BM_StepsQtPaced)->Iterations(300)->UseRealTime();
void BM_StepsQtPacedHeaviest(benchmark::State& state) { RunQt(state, true, Load::kHeaviest); }
BENCHMARK(BM_StepsQtPacedHeaviest)->Iterations(300)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // The Qt runs need a window system; without one they skip.
    std::unique_ptr<QApplication> app;
    if (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM"))
        app = std::make_unique<QApplication>(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
