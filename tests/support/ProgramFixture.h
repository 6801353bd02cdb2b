#pragma once
// Runs the whole program on the headless backend, as a fresh process would,
// and tells where the run ended.

#include <gtest/gtest.h>

#include <functional>

#include "audio/fake/ScriptedMixer.h"
#include "runtime/headless/HeadlessPlatform.h"
#include "startup/modSubs.h"

class ProgramFixture : public ::testing::Test {
protected:
    ProgramFixture() {
        modSubs::ResetProgram();
        modSubs::SetMixerFactory([script = mixer] { return std::make_unique<ScriptedMixer>(script); });
    }
    ~ProgramFixture() override { modSubs::ResetProgram(); }

    // Runs Main until End; returns the exit code. A run that is still going
    // after `budget` yields to the window system is ended there with code 0,
    // so a test can tell "ended by the program" from "still running" by
    // doEventsCalls.
    int RunMain(int budget = 1000) {
        platform.EndAt(budget);
        try {
            modSubs::Main();
        } catch (const vb::EndOfRun& end) {
            return end.exitCode;
        }
        ADD_FAILURE() << "Main returned";
        return -1;
    }

    vb::HeadlessPlatform platform;
    // The sound system the meter sees; readings of 0 (silence) unless a test
    // scripts others.
    std::shared_ptr<MixerScript> mixer = std::make_shared<MixerScript>();
};
