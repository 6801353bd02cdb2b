#pragma once
// The sound system on Windows, as the level meter's mixer and wave-input
// device.
//
// Since Windows Vista the multimedia mixer has no peak meters, so its meters
// alone would leave the saver deaf on every current PC. The peak meter of a
// line is therefore, in this order (one table, kMeterSources):
//  [X] Core Audio: the IAudioMeterInformation of the default render endpoint
//      (playback) or of the default capture endpoint (recording), following
//      a change of the default;
//  [X] the multimedia mixer's PEAKMETER control of the line (mixer device 0);
//  [X] for the recording line only: the peak of the samples the wave-input
//      recording captured since the previous reading (WaveInRecorder).
// The meter's "Couldn't get ... meter" messages appear only when none of
// them exists; "Couldn't open the mixer." only when there is no sound device
// of any kind.
//  [X] Recording: the meter's wave-input calls drive the real device 0
//      (8000 Hz, 8-bit mono), which keeps recording across the meter's close
//      and reopen for WaveInRecorder::kLinger; its filled buffers are copied
//      into the meter's, and waveInGetErrorTextA gives the error texts.
// Every call returns at once: nothing here waits on a device.

#include <chrono>
#include <memory>

#include "audio/MixerWaveIn.h"
#include "audio/WaveInQueue.h"

class Win32MixerWaveIn final : public WaveInQueue {
public:
    explicit Win32MixerWaveIn(std::chrono::milliseconds inputLinger = std::chrono::milliseconds(2000));
    ~Win32MixerWaveIn() override;
    Win32MixerWaveIn(const Win32MixerWaveIn&) = delete;
    Win32MixerWaveIn& operator=(const Win32MixerWaveIn&) = delete;

    bool OpenMixer() override;
    void CloseMixer() override;
    bool FindMeter(MixerLine line, MeterRecord& meter) override;
    bool ReadMeter(const MeterRecord& meter, std::int32_t& value) override;

    void PollBuffer(WaveHeader& header) override;
    std::string WaveInErrorText(MMResult code) override;

    // Where a found meter reads from.
    enum class Source { None, CoreAudio, Mixer, Samples };
    static Source SourceOf(const MeterRecord& meter);

protected:
    MMResult OpenDevice(const WaveFormat& format) override;
    void DeviceClosed() override;
    std::uint64_t QueueMark() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// The layer the Windows program reads its meter through.
std::unique_ptr<MixerWaveIn> CreateWin32MixerWaveIn();
