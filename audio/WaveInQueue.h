#pragma once
// The wave-input device's buffer bookkeeping, the same on every platform: a
// device is open or not, a buffer header is prepared, queued (waiting for the
// device to fill it) or done, and each call answers with the same result
// codes wherever it runs. A platform layer derives from this and supplies
// only what is its own: opening and closing the device, and filling a queued
// buffer when it polls (Complete).
//
// Results, by call:
//   WaveInOpen       kMmAllocated when open already; else the device's answer
//   WaveInPrepareHeader, WaveInStart, WaveInStop
//                    kMmInvalidHandle when the device is not open
//   WaveInAddBuffer  kMmInvalidHandle; kWaveUnprepared for a header not prepared;
//                    clears the header's done flag
//   WaveInReset      kMmInvalidHandle; marks every queued buffer done
//   WaveInUnprepareHeader
//                    kMmInvalidHandle; kWaveStillPlaying while it is queued
//   WaveInClose      kMmInvalidHandle; kWaveStillPlaying while any buffer is
//                    queued; forgets the prepared headers

#include <cstdint>
#include <map>
#include <optional>
#include <set>

#include "audio/MixerWaveIn.h"

enum class WaveInCall { Open, PrepareHeader, AddBuffer, Start, Reset, Stop, UnprepareHeader, Close };

class WaveInQueue : public MixerWaveIn {
public:
    MMResult WaveInOpen(const WaveFormat& format) override;
    MMResult WaveInPrepareHeader(WaveHeader& header) override;
    MMResult WaveInAddBuffer(WaveHeader& header) override;
    MMResult WaveInStart() override;
    MMResult WaveInReset() override;
    MMResult WaveInStop() override;
    MMResult WaveInUnprepareHeader(WaveHeader& header) override;
    MMResult WaveInClose() override;

    bool WaveInIsOpen() const { return mOpen; }
    int PreparedHeaders() const { return int(mPrepared.size()); }
    int QueuedHeaders() const { return int(mQueued.size()); }

protected:
    // The device itself. OpenDevice's non-zero result is the open's result.
    virtual MMResult OpenDevice(const WaveFormat& format) = 0;
    virtual void DeviceClosed() {}
    virtual void Started() {}
    // After WaveInReset or WaveInStop.
    virtual void Stopped() {}
    // What the device has filled so far, kept with each buffer as it is
    // queued (QueueMark), so that a poll can tell a buffer filled after it.
    virtual std::uint64_t QueueMark() const { return 0; }
    // Every call as it begins; a non-zero result fails the call with it
    // before anything changes (a scripted device's refusals).
    virtual MMResult Calling(WaveInCall) { return kMmNoError; }

    // The mark kept with a queued buffer; nothing when it is not queued.
    std::optional<std::uint64_t> QueuedMark(const WaveHeader& header) const;
    // The device filled this buffer: it is done and leaves the queue. False
    // when it was not queued.
    bool Complete(WaveHeader& header);

private:
    // Every call but the open begins here: the device's refusal, or an
    // invalid handle while it is not open.
    MMResult Opened(WaveInCall call);

    bool mOpen = false;
    std::set<const WaveHeader*> mPrepared;
    std::map<WaveHeader*, std::uint64_t> mQueued;
};
