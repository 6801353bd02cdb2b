#include "startup/modSubs.h"

#include <gtest/gtest.h>

#include <ostream>

#include "engine/clsGyrobloom.h"
#include "tests/support/ProgramFixture.h"
#include "tests/support/RowName.h"
#include "windows/frmPreview.h"
#include "windows/frmScreenSaver.h"
#include "windows/frmSettings.h"

namespace {

enum class Mode { Saver, Settings, Ended };

struct ModeCase {
    const char* command;
    Mode mode;
    friend void PrintTo(const ModeCase& c, std::ostream* os) { *os << '"' << c.command << '"'; }
};

std::string ModeName(Mode mode) {
    switch (mode) {
    case Mode::Saver: return "Saver";
    case Mode::Settings: return "Settings";
    case Mode::Ended: return "Ended";
    }
    return "Unknown";
}

class ModeSelection : public ProgramFixture, public ::testing::WithParamInterface<ModeCase> {};

TEST_P(ModeSelection, FirstTwoCharactersLowerCasedAndTrimmedPickTheMode) {
    platform.command = GetParam().command;
    const int budget = 3;
    EXPECT_EQ(RunMain(budget), 0);
    switch (GetParam().mode) {
    case Mode::Saver:
        EXPECT_FALSE(modSubs::gEngine().InSettingsMode());
        EXPECT_TRUE(modSubs::frmScreenSaverInstance()->IsLoaded());
        ASSERT_EQ(platform.windows.size(), 1u);
        EXPECT_TRUE(platform.windows[0]->spec.fullScreen);
        EXPECT_EQ(platform.doEventsCalls, budget) << "the animation runs until something ends it";
        break;
    case Mode::Settings:
        EXPECT_TRUE(modSubs::gEngine().InSettingsMode());
        EXPECT_TRUE(modSubs::frmSettingsInstance()->IsLoaded());
        EXPECT_TRUE(modSubs::frmPreviewInstance()->IsLoaded());
        EXPECT_EQ(modSubs::gEngine().Screen(), modSubs::frmPreviewInstance());
        EXPECT_EQ(platform.doEventsCalls, budget);
        break;
    case Mode::Ended:
        EXPECT_EQ(platform.windowsCreated, 0) << "no window for an unknown switch";
        EXPECT_EQ(platform.doEventsCalls, 0);
        EXPECT_TRUE(platform.messages.empty()) << "it ends silently";
        EXPECT_EQ(modSubs::gEngine().NumRays(), 3) << "the settings were loaded all the same";
        break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, ModeSelection,
    ::testing::Values(ModeCase{"/s", Mode::Saver}, ModeCase{"/S", Mode::Saver}, ModeCase{"", Mode::Saver},
                      ModeCase{"   ", Mode::Saver}, ModeCase{"/s 1234", Mode::Saver}, ModeCase{"/sx", Mode::Saver},
                      ModeCase{"/c", Mode::Settings}, ModeCase{"/C", Mode::Settings},
                      ModeCase{"/c:1234", Mode::Settings}, ModeCase{"/c 1234", Mode::Settings},
                      ModeCase{"/p 123", Mode::Ended}, ModeCase{"/a", Mode::Ended}, ModeCase{" /s", Mode::Ended},
                      ModeCase{"/", Mode::Ended}, ModeCase{"s", Mode::Ended}, ModeCase{"-s", Mode::Ended},
                      ModeCase{"/x", Mode::Ended}),
    [](const auto& info) { return testsupport::SpelledOut(info.param.command) + "_" + ModeName(info.param.mode); });

class StartupTest : public ProgramFixture {};

TEST_F(StartupTest, SecondInstanceEndsAtOnceWhateverItsSwitch) {
    platform.prevInstance = true;
    for (const char* command : {"/s", "/c", ""}) {
        platform.command = command;
        EXPECT_EQ(RunMain(), 0);
        EXPECT_EQ(platform.windowsCreated, 0);
        EXPECT_EQ(platform.doEventsCalls, 0);
    }
}

TEST_F(StartupTest, SaverWindowSeesTheEngineWhenItLoads) {
    platform.command = "/s";
    RunMain(1);
    auto& engine = modSubs::gEngine();
    EXPECT_EQ(engine.ScreenScale(), 1.0f);
    EXPECT_EQ(engine.ScreenWidth(), 1920 * 15);
    EXPECT_EQ(engine.ScreenHeight(), 1080 * 15);
}

TEST_F(StartupTest, ShutDownWithNoMeterEverCreatedUnloadsTheWindowAndEnds) {
    platform.command = "/s";
    platform.At(1, [] { modSubs::frmScreenSaverInstance()->OnKeyDown(65, 0); });
    EXPECT_EQ(RunMain(), 0);
    EXPECT_EQ(platform.doEventsCalls, 1) << "the run ended inside the first yield";
    EXPECT_FALSE(modSubs::HasAudioLevel());
    EXPECT_FALSE(modSubs::frmScreenSaverInstance()->IsLoaded());
    EXPECT_TRUE(platform.windows.empty());
}

TEST_F(StartupTest, UnhandledErrorShowsTheStandardReportAndEndsWithStatus1) {
    EXPECT_THROW(vb::ReportUnhandledError(vb::RuntimeError(6, "Overflow")), vb::EndOfRun);
    EXPECT_EQ(platform.endedWith, 1);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_EQ(platform.messages[0], "Run-time error '6':\n\nOverflow");
}

TEST_F(StartupTest, ShutDownReleasesTheMeterClosesTheMixerAndUnloadsTheWindow) {
    platform.command = "/s";
    platform.At(3, [] {
        ASSERT_TRUE(modSubs::HasAudioLevel()) << "the loop's first reading created the meter";
        modSubs::frmScreenSaverInstance()->OnKeyDown(65, 0);
    });
    EXPECT_EQ(RunMain(), 0);
    EXPECT_EQ(platform.doEventsCalls, 3);
    EXPECT_FALSE(modSubs::HasAudioLevel());
    EXPECT_EQ(mixer->Count("CloseMixer"), 1);
    EXPECT_FALSE(mixer->mixerOpen);
    EXPECT_TRUE(platform.windows.empty());
}

}  // namespace
