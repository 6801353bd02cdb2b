#include "audio/win32/Win32MixerWaveIn.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <set>

#include "audio/win32/CoreAudioMeters.h"
#include "audio/win32/WaveInRecorder.h"
#include "audio/win32/WinmmMixerMeters.h"

namespace {

using Source = Win32MixerWaveIn::Source;
using Clock = WaveInRecorder::Clock;

// Meter ids of the sources other than the mixer, whose controls keep their
// own (small) ids.
constexpr std::uint32_t kRenderMeterId = 0xFFFF0001;
constexpr std::uint32_t kCaptureMeterId = 0xFFFF0002;
constexpr std::uint32_t kSamplesMeterId = 0xFFFF0003;

bool IsRecordingLine(MixerLine line) { return line == MixerLine::DstWaveIn || line == MixerLine::SrcMicrophone; }

// The sources a line's meter is looked for in, best first.
constexpr std::array kMeterSources{Source::CoreAudio, Source::Mixer, Source::Samples};

}  // namespace

struct Win32MixerWaveIn::Impl {
    explicit Impl(std::chrono::milliseconds linger) : recorder(linger) {}

    std::unique_ptr<CoreAudioMeters> coreAudio;
    WinmmMixerMeters mixer;
    WaveInRecorder recorder;
    bool open = false;

    // The wave-input device as the meter sees it.
    bool waveInOpen = false;
    std::set<const WaveHeader*> prepared;
    std::map<WaveHeader*, std::uint64_t> queued;  // with the buffers filled when it was queued

    bool Find(Source source, MixerLine line, MeterRecord& meter) {
        switch (source) {
        case Source::CoreAudio: {
            if (!coreAudio || !coreAudio->Available()) return false;
            const bool recording = IsRecordingLine(line);
            if (!coreAudio->HasMeter(recording ? CoreAudioMeters::Flow::Capture : CoreAudioMeters::Flow::Render))
                return false;
            meter.controlId = recording ? kCaptureMeterId : kRenderMeterId;
            meter.multipleItems = 0;
            return true;
        }
        case Source::Mixer: {
            std::uint32_t id = 0, items = 0;
            if (!mixer.Find(line, id, items) || id == 0 || SourceOfId(id) != Source::Mixer) return false;
            meter.controlId = id;
            meter.multipleItems = items;
            return true;
        }
        case Source::Samples:
            if (!IsRecordingLine(line) || !WaveInRecorder::DeviceExists()) return false;
            meter.controlId = kSamplesMeterId;
            meter.multipleItems = 0;
            return true;
        case Source::None: return false;
        }
        return false;
    }

    static Source SourceOfId(std::uint32_t id) {
        switch (id) {
        case 0: return Source::None;
        case kRenderMeterId:
        case kCaptureMeterId: return Source::CoreAudio;
        case kSamplesMeterId: return Source::Samples;
        default: return Source::Mixer;
        }
    }
};

Win32MixerWaveIn::Win32MixerWaveIn(std::chrono::milliseconds inputLinger) : m(std::make_unique<Impl>(inputLinger)) {}

Win32MixerWaveIn::~Win32MixerWaveIn() = default;

Win32MixerWaveIn::Source Win32MixerWaveIn::SourceOf(const MeterRecord& meter) { return Impl::SourceOfId(meter.controlId); }

bool Win32MixerWaveIn::OpenMixer() {
    if (m->open) return true;
    m->coreAudio = std::make_unique<CoreAudioMeters>();
    const bool mixer = m->mixer.Open();
    const bool coreAudio = m->coreAudio->Available() && (m->coreAudio->HasMeter(CoreAudioMeters::Flow::Render) ||
                                                         m->coreAudio->HasMeter(CoreAudioMeters::Flow::Capture));
    m->open = mixer || coreAudio || WaveInRecorder::DeviceExists();
    if (!m->open) m->coreAudio.reset();
    return m->open;
}

void Win32MixerWaveIn::CloseMixer() {
    m->mixer.Close();
    m->coreAudio.reset();
    m->open = false;
}

bool Win32MixerWaveIn::FindMeter(MixerLine line, MeterRecord& meter) {
    if (!m->open) return false;
    for (Source source : kMeterSources)
        if (m->Find(source, line, meter)) return true;
    return false;
}

bool Win32MixerWaveIn::ReadMeter(const MeterRecord& meter, std::int32_t& value) {
    if (!m->open) return false;
    const auto now = Clock::now();
    m->recorder.Poll(now);
    switch (SourceOf(meter)) {
    case Source::CoreAudio:
        return m->coreAudio && m->coreAudio->Read(meter.controlId == kRenderMeterId ? CoreAudioMeters::Flow::Render
                                                                                   : CoreAudioMeters::Flow::Capture,
                                                  value);
    case Source::Mixer: return m->mixer.Read(meter.controlId, meter.multipleItems, value);
    case Source::Samples: value = m->recorder.TakePeak(now); return true;
    case Source::None: return false;
    }
    return false;
}

MMResult Win32MixerWaveIn::WaveInOpen(const WaveFormat&) {
    // The real device always records in the meter's format (8000 Hz, 8-bit
    // mono); the layer does not convert.
    if (m->waveInOpen) return kMmAllocated;
    const MMRESULT opened = m->recorder.Acquire(Clock::now());
    if (opened != MMSYSERR_NOERROR) return MMResult(opened);
    m->waveInOpen = true;
    return kMmNoError;
}

MMResult Win32MixerWaveIn::WaveInPrepareHeader(WaveHeader& header) {
    if (!m->waveInOpen) return kMmInvalidHandle;
    m->prepared.insert(&header);
    return kMmNoError;
}

MMResult Win32MixerWaveIn::WaveInAddBuffer(WaveHeader& header) {
    if (!m->waveInOpen) return kMmInvalidHandle;
    if (!m->prepared.count(&header)) return kWaveUnprepared;
    header.flags &= ~kWaveHeaderDone;
    m->queued[&header] = m->recorder.BuffersFilled();
    return kMmNoError;
}

MMResult Win32MixerWaveIn::WaveInStart() { return m->waveInOpen ? kMmNoError : kMmInvalidHandle; }

MMResult Win32MixerWaveIn::WaveInReset() {
    if (!m->waveInOpen) return kMmInvalidHandle;
    for (auto& [header, filled] : m->queued) header->flags |= kWaveHeaderDone;
    m->queued.clear();
    return kMmNoError;
}

MMResult Win32MixerWaveIn::WaveInStop() { return m->waveInOpen ? kMmNoError : kMmInvalidHandle; }

MMResult Win32MixerWaveIn::WaveInUnprepareHeader(WaveHeader& header) {
    if (!m->waveInOpen) return kMmInvalidHandle;
    if (m->queued.count(&header)) return kWaveStillPlaying;
    m->prepared.erase(&header);
    return kMmNoError;
}

MMResult Win32MixerWaveIn::WaveInClose() {
    if (!m->waveInOpen) return kMmInvalidHandle;
    if (!m->queued.empty()) return kWaveStillPlaying;
    m->waveInOpen = false;
    m->prepared.clear();
    m->recorder.Release(Clock::now());
    return kMmNoError;
}

void Win32MixerWaveIn::PollBuffer(WaveHeader& header) {
    m->recorder.Poll(Clock::now());
    const auto found = m->queued.find(&header);
    if (found == m->queued.end() || m->recorder.BuffersFilled() <= found->second) return;
    // The device filled a buffer since this one was queued: it gets those
    // samples.
    const auto& samples = m->recorder.LastBuffer();
    if (header.data) {
        const std::size_t bytes = std::min<std::size_t>({samples.size(), header.data->size(), header.bufferLength});
        std::memcpy(header.data->data(), samples.data(), bytes);
    }
    header.flags |= kWaveHeaderDone;
    m->queued.erase(found);
}

std::string Win32MixerWaveIn::WaveInErrorText(MMResult code) { return WaveInRecorder::ErrorText(MMRESULT(code)); }

std::unique_ptr<MixerWaveIn> CreateWin32MixerWaveIn() { return std::make_unique<Win32MixerWaveIn>(); }
