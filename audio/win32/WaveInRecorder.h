#pragma once
// The recording the level meter hears when no peak meter exists: wave-input
// device 0 at 8000 Hz, 8-bit mono, into two 8192-byte buffers that are
// polled by their done flag (no callback, no thread), and the peak of the
// samples it captured since the previous reading.
//
// A freshly opened recording delivers its first samples only after 0.1 to
// 2 s, while the meter opens and closes its recording at every silent
// reading. So the real device is kept recording across those closes: it
// runs while the meter uses it and for the linger after its last use, and is
// closed when the linger runs out (checked at every call).

#include "runtime/win32/Win32Api.h"
#include <mmsystem.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/MeterPeaks.h"

class WaveInRecorder final {
public:
    using Clock = MeterPeaks::Clock;
    static constexpr std::chrono::milliseconds kLinger{2000};
    static constexpr std::uint32_t kRate = 8000;
    static constexpr std::uint32_t kBufferBytes = 8192;

    explicit WaveInRecorder(std::chrono::milliseconds linger = kLinger);
    ~WaveInRecorder();
    WaveInRecorder(const WaveInRecorder&) = delete;
    WaveInRecorder& operator=(const WaveInRecorder&) = delete;

    // True when the system has a wave-input device at all.
    static bool DeviceExists();

    // The meter starts using the recording: the device is opened and started
    // unless it still runs. Returns waveInOpen's result when that fails.
    MMRESULT Acquire(Clock::time_point now);
    // The meter is done with it for now; the linger counts from here.
    void Release(Clock::time_point now);
    // Takes what the device captured, hands full buffers back, and closes
    // the device once the linger has run out.
    void Poll(Clock::time_point now);
    // The highest sample peak since the previous call, 0..32767 (see
    // MeterPeaks); 0 when the device is closed.
    std::int32_t TakePeak(Clock::time_point now);

    bool Running() const { return mWave != nullptr; }
    // Buffers the device has filled since it opened, and the last of them.
    std::uint64_t BuffersFilled() const { return mFilled; }
    const std::vector<std::uint8_t>& LastBuffer() const { return mLast; }

    // The platform's text for a wave-input error code.
    static std::string ErrorText(MMRESULT code);

    // The peak of 8-bit unsigned samples (silence is 128) as a fraction of
    // full scale, 0..1.
    static float SamplePeak(const std::uint8_t* samples, std::size_t count);

private:
    void Close();

    std::chrono::milliseconds mLinger;
    HWAVEIN mWave = nullptr;
    std::array<WAVEHDR, 2> mHeaders{};
    std::array<std::vector<std::uint8_t>, 2> mBuffers;
    std::array<DWORD, 2> mScanned{};  // bytes of each buffer already looked at
    bool mInUse = false;
    Clock::time_point mLastUse{};
    MeterPeaks mPeaks;
    std::uint64_t mFilled = 0;
    std::vector<std::uint8_t> mLast;
};
