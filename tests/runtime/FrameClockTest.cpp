// The display's frame grid that the backends present on.

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "runtime/FrameClock.h"

namespace {

struct ClockCase {
    std::string name;
    double refreshHz;
    std::vector<double> claimsAt;  // ms since the clock's start
    std::vector<double> ticks;     // the tick each claim gets
    friend void PrintTo(const ClockCase& c, std::ostream* os) { *os << c.name; }
};

class FrameClockTest : public ::testing::TestWithParam<ClockCase> {};

TEST_P(FrameClockTest, ClaimsTheNextUnclaimedTickOnTheGrid) {
    const ClockCase& c = GetParam();
    vb::FrameClock clock(c.refreshHz);
    ASSERT_EQ(c.claimsAt.size(), c.ticks.size());
    for (size_t i = 0; i < c.claimsAt.size(); ++i)
        EXPECT_NEAR(clock.ClaimNextTick(c.claimsAt[i]), c.ticks[i], 1e-9) << "claim " << i;
}

constexpr double k60 = 1000.0 / 60;

INSTANTIATE_TEST_SUITE_P(
    Grids, FrameClockTest,
    ::testing::Values(
        // A step that takes part of a frame is shown at the next tick.
        ClockCase{"SteadySteps", 60, {0, 17.5, 34, 51}, {k60, 2 * k60, 3 * k60, 4 * k60}},
        // Two claims in the same frame never share a tick.
        ClockCase{"SameFrameTwice", 60, {5, 6}, {k60, 2 * k60}},
        // A slow step skips the ticks it missed instead of catching up.
        ClockCase{"SlowStepSkips", 60, {0, 70}, {k60, 5 * k60}},
        // Exactly on a tick: the next one.
        ClockCase{"OnATick", 60, {k60 * 3}, {k60 * 4}},
        ClockCase{"HighRefresh", 144, {0, 7}, {1000.0 / 144, 2 * 1000.0 / 144}},
        // An unknown rate (0) or an implausible one counts as 60 Hz.
        ClockCase{"UnknownRate", 0, {0}, {k60}}, ClockCase{"ImplausibleRate", 5000, {0}, {k60}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
