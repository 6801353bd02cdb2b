#include "audio/pulse/PulseMixerWaveIn.h"

#include <atomic>
#include <mutex>

#include "audio/MeterPeaks.h"
#include "audio/pulse/PulseConnection.h"
#include "audio/pulse/PulseMeterStream.h"

namespace {

// How long the first reading waits for the server to describe its devices.
// A missing server is noticed at once; one that took the connection but has
// not answered by then (stopped, or swamped) counts as there, with both
// meters, and is metered once it answers.
constexpr std::chrono::milliseconds kAnswerWait{300};
// How soon a meter stream the server ended is tried again.
constexpr std::chrono::milliseconds kStreamRetry{100};

constexpr std::uint32_t kPlaybackMeterId = 1;
constexpr std::uint32_t kInputMeterId = 2;
constexpr std::uint32_t kMicrophoneMeterId = 3;

using Clock = MeterPeaks::Clock;

}  // namespace

struct PulseMixerWaveIn::Impl final : PulseConnection::Listener {
    explicit Impl(std::chrono::milliseconds inputLinger) : linger(inputLinger) {}
    ~Impl() override { Close(); }

    void Close();

    // Main loop's thread, lock held.
    void DevicesChanged(pa_context* context, const PulseDevices& devices) override;
    void ConnectionLost() override;
    void EnsureStreams();
    void ArmTimer(pa_time_event*& timer, std::chrono::microseconds delay, pa_time_event_cb_t callback);
    void FreeTimer(pa_time_event*& timer);
    static void OnLingerTimer(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);
    static void OnRetryTimer(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* self);

    // The user-interface thread.
    void NoteInputUse();
    PulseDevices Devices() {
        std::lock_guard lock(devicesMutex);
        return devices;
    }

    const std::chrono::milliseconds linger;
    PulseConnection connection{*this};
    MeterPeaks playbackPeaks;
    MeterPeaks inputPeaks;
    PulseMeterStream playback{"Playback level", PulseMeterStream::Suspend::Allow, playbackPeaks,
                              [this] { ArmTimer(retryTimer, kStreamRetry, OnRetryTimer); },
                              [this] { connection.RestartNullSink(Devices().playbackSink); }};
    PulseMeterStream input{"Recording level", PulseMeterStream::Suspend::Inhibit, inputPeaks,
                           [this] { ArmTimer(retryTimer, kStreamRetry, OnRetryTimer); }};

    // Shared between the two threads.
    std::atomic<bool> connected{false};
    // The devices have been described at least once since the open.
    std::atomic<bool> described{false};
    // The recording line is the playback monitor (no microphone, the default
    // source is that monitor): one stream serves both meters.
    std::atomic<bool> inputIsPlayback{false};
    std::mutex devicesMutex;
    PulseDevices devices;  // guarded by devicesMutex
    std::atomic<Clock::rep> lastInputUse{0};
    std::atomic<bool> inputActive{false};  // the input stream should run; set with the loop's lock held

    // The loop's lock guards these.
    pa_time_event* lingerTimer = nullptr;
    pa_time_event* retryTimer = nullptr;

    // The wave-input device as the meter sees it; user-interface thread only.
    bool mixerOpen = false;
};

void PulseMixerWaveIn::Impl::Close() {
    if (!connection.IsOpen()) return;
    {
        PulseLock lock(connection.Mainloop());
        FreeTimer(lingerTimer);
        FreeTimer(retryTimer);
        playback.Disconnect();
        input.Disconnect();
        inputActive = false;
    }
    connection.Close();
    connected = false;
    described = false;
    mixerOpen = false;
}

void PulseMixerWaveIn::Impl::DevicesChanged(pa_context*, const PulseDevices& now) {
    {
        std::lock_guard lock(devicesMutex);
        devices = now;
    }
    inputIsPlayback = !now.recordingSource.empty() && now.recordingSource == now.playbackMonitor;
    connected = true;
    described = true;
    EnsureStreams();
}

void PulseMixerWaveIn::Impl::ConnectionLost() {
    connected = false;
    playback.Disconnect();
    input.Disconnect();
}

void PulseMixerWaveIn::Impl::EnsureStreams() {
    pa_context* context = connection.Context();
    if (!context || pa_context_get_state(context) != PA_CONTEXT_READY) return;
    const PulseDevices now = Devices();

    if (now.playbackMonitor.empty())
        playback.Disconnect();
    else if (!playback.Alive() || playback.Source() != now.playbackMonitor)
        playback.Connect(context, now.playbackMonitor);

    if (!inputActive || now.recordingSource.empty() || now.recordingSource == now.playbackMonitor)
        input.Disconnect();
    else if (!input.Alive() || input.Source() != now.recordingSource)
        input.Connect(context, now.recordingSource);
}

void PulseMixerWaveIn::Impl::ArmTimer(pa_time_event*& timer, std::chrono::microseconds delay,
                                      pa_time_event_cb_t callback) {
    pa_mainloop_api* api = connection.Api();
    struct timeval deadline = PulseDeadline(delay);
    if (timer)
        api->time_restart(timer, &deadline);
    else
        timer = api->time_new(api, &deadline, callback, this);
}

void PulseMixerWaveIn::Impl::FreeTimer(pa_time_event*& timer) {
    if (!timer) return;
    connection.Api()->time_free(timer);
    timer = nullptr;
}

void PulseMixerWaveIn::Impl::OnLingerTimer(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
    auto* self = static_cast<Impl*>(data);
    const auto idle = Clock::now() - Clock::time_point(Clock::duration(self->lastInputUse.load()));
    if (idle < self->linger) {
        self->ArmTimer(self->lingerTimer, std::chrono::duration_cast<std::chrono::microseconds>(self->linger - idle),
                       OnLingerTimer);
        return;
    }
    // Unused for the whole linger (the playback has been sounding, or the
    // meter is gone): stop listening to the microphone.
    self->FreeTimer(self->lingerTimer);
    self->inputActive = false;
    self->input.Disconnect();
}

void PulseMixerWaveIn::Impl::OnRetryTimer(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
    auto* self = static_cast<Impl*>(data);
    self->FreeTimer(self->retryTimer);
    self->EnsureStreams();
}

void PulseMixerWaveIn::Impl::NoteInputUse() {
    lastInputUse = Clock::now().time_since_epoch().count();
    if (inputActive || !connection.IsOpen()) return;
    // Only the first use after a linger ran out takes the loop's lock; every
    // other open, reading and close is a clock read and a store.
    PulseLock lock(connection.Mainloop());
    inputActive = true;
    EnsureStreams();
    ArmTimer(lingerTimer, linger, OnLingerTimer);
}

PulseMixerWaveIn::PulseMixerWaveIn(std::chrono::milliseconds inputLinger) : m(std::make_unique<Impl>(inputLinger)) {}

PulseMixerWaveIn::~PulseMixerWaveIn() = default;

bool PulseMixerWaveIn::OpenMixer() {
    if (!m->mixerOpen) m->mixerOpen = m->connection.Open(kAnswerWait) != PulseConnection::OpenResult::NoServer;
    return m->mixerOpen;
}

void PulseMixerWaveIn::CloseMixer() { m->Close(); }

bool PulseMixerWaveIn::FindMeter(MixerLine line, MeterRecord& meter) {
    if (!m->mixerOpen) return false;
    // A server that has not answered yet is taken to have the usual lines:
    // an output, and a recording line that follows whatever it names later.
    const bool described = m->described;
    if (described && !m->connected) return false;
    const PulseDevices now = m->Devices();
    switch (line) {
    case MixerLine::SrcWaveOut:
        if (described && now.playbackMonitor.empty()) return false;
        meter.controlId = kPlaybackMeterId;
        break;
    case MixerLine::DstWaveIn:
        if (!described || !now.defaultIsInput) return false;
        meter.controlId = kInputMeterId;
        break;
    case MixerLine::SrcMicrophone:
        if (described && now.recordingSource.empty()) return false;
        meter.controlId = kMicrophoneMeterId;
        break;
    default:
        return false;
    }
    meter.multipleItems = 0;
    return true;
}

bool PulseMixerWaveIn::ReadMeter(const MeterRecord& meter, std::int32_t& value) {
    if (!m->mixerOpen) return false;
    switch (meter.controlId) {
    case kPlaybackMeterId:
        value = m->connected ? m->playbackPeaks.Take(Clock::now()) : 0;
        return true;
    case kInputMeterId:
    case kMicrophoneMeterId:
        // Both follow the recording line the server names now.
        if (m->inputIsPlayback) {
            // Read right after the playback meter, the shared store holds
            // what arrived in between, nothing twice.
            value = m->connected ? m->playbackPeaks.Take(Clock::now()) : 0;
            return true;
        }
        m->NoteInputUse();
        value = m->connected ? m->inputPeaks.Take(Clock::now()) : 0;
        return true;
    default:
        return false;
    }
}

MMResult PulseMixerWaveIn::OpenDevice(const WaveFormat&) {
    // The format is not used: the input stream carries peaks, not samples.
    if (!m->mixerOpen) return kMmBadDeviceId;
    // Before the server answers the device is taken to be there, as in
    // FindMeter.
    if (m->described && (!m->connected || m->Devices().recordingSource.empty())) return kMmBadDeviceId;
    m->NoteInputUse();
    return kMmNoError;
}

// The linger counts from the close.
void PulseMixerWaveIn::DeviceClosed() { m->NoteInputUse(); }

void PulseMixerWaveIn::Started() { m->NoteInputUse(); }

void PulseMixerWaveIn::PollBuffer(WaveHeader&) {
    // Buffers are never filled: the meter does not read samples, so the
    // stream delivers none and a queued buffer stays queued.
}

std::string PulseMixerWaveIn::WaveInErrorText(MMResult code) {
    switch (code) {
    case kMmNoError: return "The operation succeeded.";
    case kMmBadDeviceId: return "There is no recording device.";
    case kMmAllocated: return "The recording device is already in use.";
    case kMmInvalidHandle: return "The recording device is not open.";
    case kMmNoMemory: return "There is not enough memory to record.";
    case kWaveStillPlaying: return "The recording buffer is still in use.";
    case kWaveUnprepared: return "The recording buffer has not been prepared.";
    default: return "The sound system reported error " + std::to_string(code) + ".";
    }
}

std::unique_ptr<MixerWaveIn> CreatePulseMixerWaveIn() { return std::make_unique<PulseMixerWaveIn>(); }
