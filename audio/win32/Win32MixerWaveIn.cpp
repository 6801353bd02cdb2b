#include "audio/win32/Win32MixerWaveIn.h"

#include <algorithm>
#include <array>
#include <cstring>

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

MMResult Win32MixerWaveIn::OpenDevice(const WaveFormat&) {
    // The real device always records in the meter's format (8000 Hz, 8-bit
    // mono); the layer does not convert.
    return MMResult(m->recorder.Acquire(Clock::now()));
}

void Win32MixerWaveIn::DeviceClosed() { m->recorder.Release(Clock::now()); }

std::uint64_t Win32MixerWaveIn::QueueMark() const { return m->recorder.BuffersFilled(); }

void Win32MixerWaveIn::PollBuffer(WaveHeader& header) {
    m->recorder.Poll(Clock::now());
    const auto mark = QueuedMark(header);
    if (!mark || m->recorder.BuffersFilled() <= *mark) return;
    // The device filled a buffer since this one was queued: it gets those
    // samples.
    const auto& samples = m->recorder.LastBuffer();
    if (header.data) {
        const std::size_t bytes = std::min<std::size_t>({samples.size(), header.data->size(), header.bufferLength});
        std::memcpy(header.data->data(), samples.data(), bytes);
    }
    Complete(header);
}

std::string Win32MixerWaveIn::WaveInErrorText(MMResult code) { return WaveInRecorder::ErrorText(MMRESULT(code)); }

std::unique_ptr<MixerWaveIn> CreateWin32MixerWaveIn() { return std::make_unique<Win32MixerWaveIn>(); }
