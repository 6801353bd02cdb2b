#include "audio/MeterPeaks.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace {

TEST(MeterPeaks, ScaleTurnsAFractionOfFullScaleIntoAMeterValue) {
    const std::pair<float, std::int32_t> cases[] = {
        {0.0f, 0},    {0.5f, 16384}, {1.5f, 32767}, {-0.25f, 0}, {1.0f / 32767, 1},
        {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (auto [peak, value] : cases) EXPECT_EQ(MeterPeaks::Scale(peak), value) << peak;
}

// Peaks arriving ('p', a fraction), readings taken ('r', the value expected) and clears ('c'), at times in ms.
struct Event {
    int atMs;
    char kind;
    float value = 0;
};

TEST(MeterPeaks, EachReadingGivesTheHighestPeakSinceThePreviousOneAndNeverAStaleOne) {
    const struct {
        const char* name;
        std::vector<Event> events;
    } cases[] = {
        {"NothingYet", {{0, 'r', 0}}},
        {"HighestSincePrevious",
         {{0, 'p', 0.25f}, {20, 'p', 0.5f}, {40, 'p', 0.125f}, {45, 'r', 16384}, {60, 'p', 0.25f}, {65, 'r', 8192}}},
        {"LatestWhenNoneArrived",
         {{0, 'p', 0.75f}, {20, 'p', 0.25f}, {21, 'r', 24575}, {22, 'r', 8192}, {30, 'r', 8192}}},
        {"StaleAfter250ms",
         {{0, 'p', 0.5f}, {250, 'r', 16384}, {251, 'r', 0}, {400, 'p', 0.5f}, {401, 'r', 16384}, {420, 'p', 0.5f},
          {700, 'r', 0}}},
        {"Cleared", {{0, 'p', 0.5f}, {1, 'c'}, {2, 'r', 0}}},
    };
    for (const auto& c : cases) {
        MeterPeaks peaks;
        for (const Event& e : c.events) {
            const auto at = MeterPeaks::Clock::time_point{} + std::chrono::hours(1) + std::chrono::milliseconds(e.atMs);
            switch (e.kind) {
            case 'p': peaks.Add(e.value, at); break;
            case 'c': peaks.Clear(); break;
            default: EXPECT_EQ(peaks.Take(at), std::int32_t(e.value)) << c.name << " at " << e.atMs << " ms";
            }
        }
    }
}

}  // namespace
