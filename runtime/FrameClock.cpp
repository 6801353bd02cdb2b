#include "runtime/FrameClock.h"

#include <algorithm>
#include <cmath>

namespace vb {
namespace {
constexpr double kDefaultRefreshHz = 60;
constexpr double kMinRefreshHz = 24;
constexpr double kMaxRefreshHz = 500;
}  // namespace

FrameClock::FrameClock(double refreshHz) {
    if (!(refreshHz >= kMinRefreshHz && refreshHz <= kMaxRefreshHz)) refreshHz = kDefaultRefreshHz;
    mIntervalMs = 1000.0 / refreshHz;
}

double FrameClock::ClaimNextTick(double nowMs) {
    const auto after = std::int64_t(std::floor(nowMs / mIntervalMs)) + 1;
    mLastTick = std::max(after, mLastTick + 1);
    return double(mLastTick) * mIntervalMs;
}

}  // namespace vb
