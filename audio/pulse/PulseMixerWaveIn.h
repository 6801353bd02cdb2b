#pragma once
// The sound system on Linux: PulseAudio, or PipeWire through its PulseAudio
// interface, as the level meter's mixer and wave-input device.
//
// Implemented:
//  [X] Mixer: a connection to the default sound server. With no server
//      OpenMixer answers false at once. A server that takes the connection
//      but does not describe its devices within 300 ms (stopped, swamped)
//      counts as there with both meters; they read 0 until it answers.
//  [X] Playback meter (SrcWaveOut): a peak-detecting record stream on the
//      monitor of the default output; it follows a change of the default.
//  [X] Recording meter (DstWaveIn, SrcMicrophone): the same on what a
//      recording would record: the default input, or the first real input
//      when the default is a monitor or missing, or else the default source
//      even when it is a monitor (a desktop without a microphone). It
//      follows inputs coming and going; only a server without any source
//      has no recording line. When that line is the playback monitor, the
//      playback meter's stream serves both.
//  [X] A reading: the highest peak since the previous reading of that meter
//      (the latest peak when none arrived), 0..32767. It never waits on the
//      server. Without a server it reads 0.
//  [X] Recording: the input stream runs while the meter uses it and for
//      kInputLinger after its last use, so that opening and closing in
//      every silent reading costs nothing and still hears the microphone.
//  [X] The server going away: readings of 0, and a fresh connection in the
//      background (a try every 100 ms) until it is back; no new messages.
//      A server that stops answering reads 0 after 250 ms.
//  [X] A null sink is restarted when the playback meter starts on
//      it, so that its first peaks come within 20 ms instead of 2 s.
//  [ ] Capture buffers are accepted and handed back, never filled: the
//      meter does not look at samples, so none are kept.

#include <chrono>
#include <memory>

#include "audio/MixerWaveIn.h"
#include "audio/WaveInQueue.h"

class PulseMixerWaveIn final : public WaveInQueue {
public:
    // How long the input stream keeps running after its last use.
    static constexpr std::chrono::milliseconds kInputLinger{2000};

    explicit PulseMixerWaveIn(std::chrono::milliseconds inputLinger = kInputLinger);
    ~PulseMixerWaveIn() override;
    PulseMixerWaveIn(const PulseMixerWaveIn&) = delete;
    PulseMixerWaveIn& operator=(const PulseMixerWaveIn&) = delete;

    bool OpenMixer() override;
    void CloseMixer() override;
    bool FindMeter(MixerLine line, MeterRecord& meter) override;
    bool ReadMeter(const MeterRecord& meter, std::int32_t& value) override;

    void PollBuffer(WaveHeader& header) override;
    std::string WaveInErrorText(MMResult code) override;

protected:
    MMResult OpenDevice(const WaveFormat& format) override;
    void DeviceClosed() override;
    void Started() override;

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};

// The layer the Linux program reads its meter through.
std::unique_ptr<MixerWaveIn> CreatePulseMixerWaveIn();
