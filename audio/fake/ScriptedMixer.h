#pragma once
// A scripted sound system for tests: the test decides, through a shared
// MixerScript, whether the mixer opens, which meters exist, what each meter
// reads, whether the recording device opens and whether buffer operations
// fail. Every call is recorded by name, in order, and the state of the
// fake devices is kept in the script for the test to inspect.

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "audio/MixerWaveIn.h"
#include "audio/WaveInQueue.h"

struct MixerScript {
    // What the test scripts.
    bool mixerOpens = true;
    std::set<MixerLine> missingMeters;     // lines whose meter FindMeter does not find
    std::deque<std::int32_t> outReadings;  // one value per successful read of the playback meter; 0 when empty
    std::deque<std::int32_t> inReadings;   // the same for the recording meter
    bool waveInOpens = true;
    MMResult prepareResult = kMmNoError, addResult = kMmNoError;  // failing buffer operations
    bool buffersFill = false;  // when true, a queued buffer of a running recording is done at its next poll

    // What the fake did.
    std::vector<std::string> calls;  // every call in order, e.g. "FindMeter(SrcWaveOut)", "ReadMeter(out)"
    bool recordCalls = true;         // off for long runs (benchmarks): the log grows with every call
    bool mixerOpen = false;
    bool waveInOpen = false;
    bool recording = false;  // started, and not reset or stopped since
    WaveFormat openedFormat;  // as given to the latest open of the device
    const WaveInQueue* device = nullptr;  // the live mixer's wave input
    std::vector<std::weak_ptr<std::vector<std::uint8_t>>> buffers;  // every buffer handed out

    // Buffers queued on the live mixer's device and not yet done.
    int QueuedHeaders() const { return device ? device->QueuedHeaders() : 0; }
    // Capture buffers handed out and not yet released by their holder.
    int BuffersAlive() const;
    // How often the named call was made.
    int Count(const std::string& call) const;
};

class ScriptedMixer final : public WaveInQueue {
public:
    explicit ScriptedMixer(std::shared_ptr<MixerScript> script);
    ~ScriptedMixer() override;

    bool OpenMixer() override;
    void CloseMixer() override;
    bool FindMeter(MixerLine line, MeterRecord& meter) override;
    bool ReadMeter(const MeterRecord& meter, std::int32_t& value) override;

    void PollBuffer(WaveHeader& header) override;
    std::string WaveInErrorText(MMResult code) override;
    CaptureBuffer NewBuffer(std::uint32_t bytes) override;

    // The text WaveInErrorText gives for a code.
    static std::string ErrorTextFor(MMResult code);

    // The meter ids FindMeter hands out.
    static constexpr std::uint32_t kOutMeterId = 1;
    static constexpr std::uint32_t kWaveInMeterId = 2;
    static constexpr std::uint32_t kMicrophoneMeterId = 3;

protected:
    MMResult OpenDevice(const WaveFormat& format) override;
    void DeviceClosed() override { mScript->waveInOpen = false; }
    void Started() override { mScript->recording = true; }
    void Stopped() override { mScript->recording = false; }
    MMResult Calling(WaveInCall call) override;

private:
    void Call(const char* name) {
        if (mScript->recordCalls) mScript->calls.emplace_back(name);
    }

    std::shared_ptr<MixerScript> mScript;
};
