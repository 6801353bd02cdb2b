#pragma once
// The display's frame grid: ticks every 1/refresh-rate seconds from a fixed
// start, so that presenting at the ticks keeps one frame per display refresh
// however long each frame took to draw (up to one refresh).

#include <cstdint>

namespace vb {

class FrameClock final {
public:
    // refreshHz outside 24..500 (an unknown or implausible rate) counts as 60.
    explicit FrameClock(double refreshHz);

    double IntervalMs() const { return mIntervalMs; }
    // Claims the first tick after nowMs (milliseconds since the clock's
    // start) that has not been claimed yet, and returns its time.
    double ClaimNextTick(double nowMs);

private:
    double mIntervalMs;
    std::int64_t mLastTick = -1;
};

}  // namespace vb
