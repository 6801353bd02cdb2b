#include "audio/MeterPeaks.h"

#include <cmath>

void MeterPeaks::Add(float peak, Clock::time_point at) {
    std::lock_guard lock(mMutex);
    if (!mArrived || peak > mHighest) mHighest = peak;
    mArrived = true;
    mLatest = peak;
    mLatestAt = at;
    mAny = true;
}

void MeterPeaks::Clear() {
    std::lock_guard lock(mMutex);
    mHighest = mLatest = 0;
    mArrived = mAny = false;
}

std::int32_t MeterPeaks::Take(Clock::time_point now) {
    std::lock_guard lock(mMutex);
    if (!mAny || now - mLatestAt > kStaleAfter) {
        mArrived = false;
        return 0;
    }
    if (mArrived) {
        mArrived = false;
        return Scale(mHighest);
    }
    return Scale(mLatest);
}

std::int32_t MeterPeaks::Scale(float peak) {
    if (!(peak > 0)) return 0;
    if (peak >= 1) return kFullScale;
    return std::int32_t(std::lround(double(peak) * kFullScale));
}
