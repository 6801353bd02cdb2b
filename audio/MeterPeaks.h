#pragma once
// The peaks of one meter stream, handed from the sound system's thread to the
// meter's reader. A backend adds peaks as its stream delivers them (fractions
// of full scale, 0..1); a reading takes the highest peak since the previous
// reading, or the latest one when none arrived, as a meter value 0..32767.
// A peak older than kStaleAfter no longer counts: a stream that stalls or
// stops reads silence, never its last value.

#include <chrono>
#include <cstdint>
#include <mutex>

class MeterPeaks {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds kStaleAfter{250};
    static constexpr std::int32_t kFullScale = 32767;

    // Any thread.
    void Add(float peak, Clock::time_point at);
    // Forgets every peak: the stream is gone.
    void Clear();
    // The meter value for a reading made at `now`.
    std::int32_t Take(Clock::time_point now);

    // A fraction of full scale as a meter value; out-of-range fractions are
    // clamped, NaN reads as 0.
    static std::int32_t Scale(float peak);

private:
    std::mutex mMutex;
    float mHighest = 0;      // since the previous reading
    bool mArrived = false;   // a peak arrived since the previous reading
    float mLatest = 0;
    Clock::time_point mLatestAt{};
    bool mAny = false;       // mLatest holds a peak
};
