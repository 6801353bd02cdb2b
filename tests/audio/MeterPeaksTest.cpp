#include "audio/MeterPeaks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace {

using std::chrono::milliseconds;
using Clock = MeterPeaks::Clock;

struct ScaleCase {
    float peak;
    std::int32_t value;
};

class MeterPeaksScale : public ::testing::TestWithParam<ScaleCase> {};

TEST_P(MeterPeaksScale, FractionOfFullScaleBecomesAMeterValue) {
    EXPECT_EQ(MeterPeaks::Scale(GetParam().peak), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(Values, MeterPeaksScale,
                         ::testing::Values(ScaleCase{0.0f, 0}, ScaleCase{0.5f, 16384},  // -6 dBFS: half scale
                                           ScaleCase{1.0f, 32767}, ScaleCase{1.5f, 32767},
                                           ScaleCase{-0.25f, 0}, ScaleCase{1.0f / 32767, 1},
                                           ScaleCase{std::numeric_limits<float>::quiet_NaN(), 0}));

// A script of peaks arriving and readings taken, on a clock the test owns.
struct Event {
    int atMs;
    enum { Peak, Read, Clear } kind;
    float peak = 0;             // Peak
    std::int32_t expected = 0;  // Read
};

struct PeaksCase {
    std::string name;
    std::vector<Event> events;
};

void PrintTo(const PeaksCase& c, std::ostream* os) { *os << c.name; }

class MeterPeaksReadings : public ::testing::TestWithParam<PeaksCase> {};

TEST_P(MeterPeaksReadings, EachReadingGivesTheHighestPeakSinceThePreviousOne) {
    MeterPeaks peaks;
    const Clock::time_point start{};
    for (const Event& e : GetParam().events) {
        const Clock::time_point at = start + milliseconds(e.atMs) + std::chrono::hours(1);
        switch (e.kind) {
        case Event::Peak: peaks.Add(e.peak, at); break;
        case Event::Clear: peaks.Clear(); break;
        case Event::Read: EXPECT_EQ(peaks.Take(at), e.expected) << "reading at " << e.atMs << " ms"; break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Store, MeterPeaksReadings,
    ::testing::Values(
        PeaksCase{"NothingYet", {{0, Event::Read, 0, 0}}},
        PeaksCase{"HighestSincePrevious",
                  {{0, Event::Peak, 0.25f},
                   {20, Event::Peak, 0.5f},
                   {40, Event::Peak, 0.125f},
                   {45, Event::Read, 0, 16384},
                   {60, Event::Peak, 0.25f},
                   {65, Event::Read, 0, 8192}}},
        PeaksCase{"LatestWhenNoneArrived",
                  {{0, Event::Peak, 0.75f},
                   {20, Event::Peak, 0.25f},
                   {21, Event::Read, 0, 24575},
                   {22, Event::Read, 0, 8192},
                   {30, Event::Read, 0, 8192}}},
        PeaksCase{"SilenceAfterSound",
                  {{0, Event::Peak, 1.0f}, {1, Event::Read, 0, 32767}, {20, Event::Peak, 0.0f}, {21, Event::Read, 0, 0}}},
        PeaksCase{"StalePeakReadsSilence",
                  {{0, Event::Peak, 0.5f},
                   {250, Event::Read, 0, 16384},
                   {251, Event::Read, 0, 0},
                   {400, Event::Peak, 0.5f},
                   {401, Event::Read, 0, 16384}}},
        PeaksCase{"StaleUnreadPeaksReadSilence", {{0, Event::Peak, 0.5f}, {20, Event::Peak, 0.5f}, {300, Event::Read, 0, 0}}},
        PeaksCase{"ClearedStoreReadsSilence",
                  {{0, Event::Peak, 0.5f}, {1, Event::Clear}, {2, Event::Read, 0, 0}, {3, Event::Read, 0, 0}}}),
    [](const auto& info) { return info.param.name; });

}  // namespace
