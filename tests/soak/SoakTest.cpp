// A long run of the settings dialog over its live preview, on the headless
// backend: a million steps of the animation loop with random meter readings
// (playback, or silence and the recording line), while a user turns random
// controls inside the dialog's ranges (every reset, mirror, random mode, the
// four pen styles, the widest and longest rays). No error may escape the
// loop, no message may appear, and the process's memory must stay flat once
// the largest settings have been seen.

#include <gtest/gtest.h>

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>

#include "runtime/headless/HeadlessDialog.h"
#include "tests/support/ProgramFixture.h"

namespace {

using Side = vb::HeadlessDialog::Side;

// Resident memory in KiB.
long ResidentKib() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

long StepsToRun() {
    const char* steps = std::getenv("GYROBLOOM_SOAK_STEPS");
    return steps ? std::atol(steps) : 1'000'000;
}

constexpr std::array<const char*, 9> kBars = {"hsbXMaxPercent", "hsbXIncrPercent", "hsbYMaxPercent",
                                              "hsbYIncrPercent", "hsbRotation",     "hsbNumRays",
                                              "hsbEraseRate",    "hsbRayWidth",     "hsbColorScale"};
constexpr std::array<const char*, 4> kBoxes = {"chkMirror", "chkPulseInOut", "chkPulseRotation", "chkRandomize"};
constexpr int kStyles = 4;
constexpr int kStepsPerAction = 500;  // a user acts about every 8 s at 60 steps a second

class Soak : public ProgramFixture {
protected:
    // One user action on a random control, turning to the page that holds
    // it first, as a user would.
    void ActAtRandom(vb::HeadlessDialog& dialog) {
        std::uniform_int_distribution<int> pick(0, 99);
        const int what = pick(mRandom), value = pick(mRandom), which = pick(mRandom);
        const std::string bar = kBars[which % kBars.size()];
        const Side side = value % 2 ? Side::Left : Side::Right;
        const std::function<void()> act = [&] {
            if (what < 20)
                dialog.ClickArrow(bar, side);
            else if (what < 40)
                dialog.ClickTrough(bar, side);
            else if (what < 60) {
                dialog.DragThumb(bar, vb::Integer(value));
                dialog.ReleaseThumb(bar);
            } else if (what < 80)
                dialog.Click(kBoxes[which % kBoxes.size()]);
            else
                dialog.Click("optDrawStyle", vb::Integer(which % kStyles));
        };
        for (vb::Integer tab = 0; tab <= 3; ++tab) {
            try {
                if (tab > 0) dialog.ClickTab("TabStrip1", tab);
                act();
                ++actions;
                return;
            } catch (const std::logic_error&) {
                // Not on the page in front.
            }
        }
        ADD_FAILURE() << "no page holds the control";
    }

    // A reading for each of the loop's two meter reads: music, peaks, or
    // silence on the playback line with the microphone heard instead.
    void ScriptReadings() {
        std::uniform_int_distribution<std::int32_t> level(0, 32767);
        std::bernoulli_distribution silent(0.2);
        for (int read = 0; read < 2; ++read) {
            if (silent(mRandom)) {
                mixer->outReadings.push_back(0);
                mixer->inReadings.push_back(level(mRandom) / 4);
            } else {
                mixer->outReadings.push_back(level(mRandom));
            }
        }
    }

    std::mt19937 mRandom{20261207};
    long actions = 0;
};

TEST_F(Soak, AMillionStepsWithRandomSoundAndSettingsRaiseNothingAndKeepMemoryFlat) {
    const long steps = StepsToRun();
    const long settle = steps / 10;
    long settledKib = 0, peakKib = 0;
    std::function<void()> step;
    step = [&] {
        auto& dialog = *platform.dialogs.back();
        // The recording surface and the fake mixer keep a log for other
        // tests; here it is dropped every step, so that only the program's
        // own memory counts.
        for (auto* window : platform.windows) window->ops.clear();
        mixer->calls.clear();
        mixer->buffers.clear();
        ScriptReadings();
        if (platform.doEventsCalls % kStepsPerAction == 0) ActAtRandom(dialog);
        if (platform.doEventsCalls == settle) settledKib = ResidentKib();
        if (platform.doEventsCalls % 10000 == 0) peakKib = std::max(peakKib, ResidentKib());
        if (platform.doEventsCalls < steps) platform.At(platform.doEventsCalls + 1, step);
    };
    platform.command = "/c";
    platform.At(2, step);
    EXPECT_EQ(RunMain(int(steps) + 1), 0);

    EXPECT_GE(platform.doEventsCalls, steps);
    EXPECT_TRUE(platform.messages.empty()) << platform.messages.front();
    EXPECT_GE(actions, steps / kStepsPerAction - 1) << "every action reached the dialog";
    std::printf("soak: %ld steps, %ld user actions, resident %ld KiB after %ld steps, peak %ld KiB after\n", steps,
                actions, settledKib, settle, peakKib);
    // Growth past the first tenth of the run would be a leak: a byte a step
    // is about 880 KiB over the rest of a million steps.
    EXPECT_LE(peakKib - settledKib, 512) << "resident memory grew from " << settledKib << " to " << peakKib << " KiB";
}

}  // namespace
