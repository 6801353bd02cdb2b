#include "audio/WaveInQueue.h"

MMResult WaveInQueue::WaveInOpen(const WaveFormat& format) {
    if (const MMResult refused = Calling(WaveInCall::Open)) return refused;
    if (mOpen) return kMmAllocated;
    if (const MMResult failed = OpenDevice(format)) return failed;
    mOpen = true;
    return kMmNoError;
}

MMResult WaveInQueue::Opened(WaveInCall call) {
    if (const MMResult refused = Calling(call)) return refused;
    return mOpen ? kMmNoError : kMmInvalidHandle;
}

MMResult WaveInQueue::WaveInPrepareHeader(WaveHeader& header) {
    if (const MMResult refused = Opened(WaveInCall::PrepareHeader)) return refused;
    mPrepared.insert(&header);
    return kMmNoError;
}

MMResult WaveInQueue::WaveInAddBuffer(WaveHeader& header) {
    if (const MMResult refused = Opened(WaveInCall::AddBuffer)) return refused;
    if (!mPrepared.count(&header)) return kWaveUnprepared;
    header.flags &= ~kWaveHeaderDone;
    mQueued[&header] = QueueMark();
    return kMmNoError;
}

MMResult WaveInQueue::WaveInStart() {
    if (const MMResult refused = Opened(WaveInCall::Start)) return refused;
    Started();
    return kMmNoError;
}

MMResult WaveInQueue::WaveInReset() {
    if (const MMResult refused = Opened(WaveInCall::Reset)) return refused;
    for (auto& [header, mark] : mQueued) header->flags |= kWaveHeaderDone;
    mQueued.clear();
    Stopped();
    return kMmNoError;
}

MMResult WaveInQueue::WaveInStop() {
    if (const MMResult refused = Opened(WaveInCall::Stop)) return refused;
    Stopped();
    return kMmNoError;
}

MMResult WaveInQueue::WaveInUnprepareHeader(WaveHeader& header) {
    if (const MMResult refused = Opened(WaveInCall::UnprepareHeader)) return refused;
    if (mQueued.count(&header)) return kWaveStillPlaying;
    mPrepared.erase(&header);
    return kMmNoError;
}

MMResult WaveInQueue::WaveInClose() {
    if (const MMResult refused = Opened(WaveInCall::Close)) return refused;
    if (!mQueued.empty()) return kWaveStillPlaying;
    mOpen = false;
    mPrepared.clear();
    DeviceClosed();
    return kMmNoError;
}

std::optional<std::uint64_t> WaveInQueue::QueuedMark(const WaveHeader& header) const {
    const auto found = mQueued.find(const_cast<WaveHeader*>(&header));
    if (found == mQueued.end()) return std::nullopt;
    return found->second;
}

bool WaveInQueue::Complete(WaveHeader& header) {
    if (!mQueued.erase(&header)) return false;
    header.flags |= kWaveHeaderDone;
    return true;
}
