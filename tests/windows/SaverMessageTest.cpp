// A message box over the running saver: it never holds the run.

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

#include "tests/support/ProgramFixture.h"
#include "tests/support/RowName.h"
#include "windows/frmScreenSaver.h"

namespace {

constexpr const char* kNoMixer = "Couldn't open the mixer.";

// The second yield of the run happens inside the box's wait: the box went up
// in the first step, before the loop yielded at all.
constexpr int kWhileTheBoxStands = 2;

struct ReturnCase {
    const char* name;
    // What the user does while the box stands (desk pixels; the saver covers
    // the screen from 0,0).
    std::function<void(vb::HeadlessPlatform&, frmScreenSaver&)> act;
    bool ends;
    friend void PrintTo(const ReturnCase& c, std::ostream* os) { *os << c.name; }
};

void MovesOnTheBox(vb::HeadlessPlatform& platform, int count) {
    for (int i = 0; i < count; ++i) platform.openBoxes.front()->input.OnMessageMouseMove(900 + i, 500);
}

class SaverMessage : public ProgramFixture, public ::testing::WithParamInterface<ReturnCase> {};

TEST_P(SaverMessage, TheUsersReturnEndsTheRunWhileTheBoxStands) {
    platform.command = "/s";
    mixer->mixerOpens = false;
    bool boxStood = false;
    platform.At(kWhileTheBoxStands, [&] {
        ASSERT_EQ(platform.openBoxes.size(), 1u);
        boxStood = true;
        GetParam().act(platform, *modSubs::frmScreenSaverInstance());
    });
    bool standsAfter = false;
    platform.At(kWhileTheBoxStands + 1, [&] { standsAfter = platform.openBoxes.size() == 1; });
    const int exitCode = RunMain(kWhileTheBoxStands + 1);
    EXPECT_TRUE(boxStood);
    EXPECT_EQ(platform.messages, std::vector<std::string>{kNoMixer});
    EXPECT_EQ(platform.boxesShown, 1) << "the box over the saver does not hold it";
    EXPECT_EQ(exitCode, 0);
    if (GetParam().ends) {
        EXPECT_EQ(platform.doEventsCalls, kWhileTheBoxStands) << "ended inside the box's wait";
        EXPECT_FALSE(modSubs::frmScreenSaverInstance()->IsLoaded());
    } else {
        EXPECT_EQ(platform.doEventsCalls, kWhileTheBoxStands + 1) << "still waiting";
        EXPECT_TRUE(standsAfter) << "the box still stands";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Input, SaverMessage,
    ::testing::Values(
        ReturnCase{"key on the box", [](auto& p, auto&) { p.openBoxes.front()->input.OnMessageKey(); }, true},
        ReturnCase{"click on the box", [](auto& p, auto&) { p.openBoxes.front()->input.OnMessageClick(); }, true},
        ReturnCase{"key on the saver", [](auto&, auto& saver) { saver.OnKeyDown(65, 0); }, true},
        ReturnCase{"click on the saver", [](auto&, auto& saver) { saver.OnMouseDown(1, 0, 10, 10); }, true},
        ReturnCase{"eleven moves on the box", [](auto& p, auto&) { MovesOnTheBox(p, 11); }, true},
        ReturnCase{"ten moves on the box", [](auto& p, auto&) { MovesOnTheBox(p, 10); }, false},
        ReturnCase{"six on the box then five on the saver",
                   [](auto& p, auto& saver) {
                       MovesOnTheBox(p, 6);
                       for (int i = 0; i < 5; ++i) saver.OnMouseMove(0, 0, 100 + i, 100);
                   },
                   true},
        ReturnCase{"vertical moves on the box",
                   [](auto& p, auto&) {
                       for (int y = 0; y < 30; ++y) p.openBoxes.front()->input.OnMessageMouseMove(900, y);
                   },
                   false}),
    testsupport::NamedRow());

TEST_F(ProgramFixture, AnUnansweredBoxOverTheSaverClosesAfterThirtySecondsAndTheSaverRunsOn) {
    platform.command = "/s";
    mixer->mixerOpens = false;
    double closedAtMs = -1;
    int closedAtCall = 0;
    for (int call = 2; call < 4000; ++call)
        platform.At(call, [&, call] {
            if (closedAtMs < 0 && platform.openBoxes.empty()) closedAtMs = platform.nowMs, closedAtCall = call;
        });
    platform.At(4000, [&] { modSubs::frmScreenSaverInstance()->OnKeyDown(65, 0); });
    RunMain(5000);
    ASSERT_GT(closedAtMs, 0) << "the box closed by itself";
    EXPECT_GE(closedAtMs, vb::kUnattendedMessageMs);
    EXPECT_LT(closedAtMs, vb::kUnattendedMessageMs + 100);
    EXPECT_EQ(platform.doEventsCalls, 4000) << "the saver ran on until the key";
    EXPECT_EQ(platform.messages, std::vector<std::string>{kNoMixer}) << "shown once in the run";
    EXPECT_GT(closedAtCall, 1000);
}

TEST_F(ProgramFixture, InTheSettingsDialogTheBoxWaitsForOkAsBefore) {
    platform.command = "/c";
    mixer->mixerOpens = false;
    RunMain(5);
    EXPECT_EQ(platform.messages, std::vector<std::string>{kNoMixer});
    EXPECT_EQ(platform.boxesShown, 0) << "a modal box";
}

TEST_F(ProgramFixture, AnErrorReportOverTheSaverEndsTheRunAsAFailureWhateverTheUserDoes) {
    platform.command = "/s";
    platform.At(1, [] { vb::ReportUnhandledError(vb::RuntimeError(6, "Overflow")); });
    platform.At(2, [&] {
        ASSERT_EQ(platform.openBoxes.size(), 1u);
        platform.openBoxes.front()->input.OnMessageKey();
    });
    EXPECT_EQ(RunMain(10), 1);
    EXPECT_EQ(platform.messages, std::vector<std::string>{"Run-time error '6':\n\nOverflow"});
}

}  // namespace
