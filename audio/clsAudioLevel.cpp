#include "audio/clsAudioLevel.h"

#include <array>
#include <cassert>
#include <limits>
#include <optional>
#include <string>

#include "audio/MixerWaveIn.h"
#include "runtime/Platform.h"

namespace {

constexpr vb::Integer kDecayStep = 20;
// The recording: 8000 Hz, 8-bit, mono PCM.
constexpr std::uint16_t kFormatPcm = 1;
constexpr std::uint16_t kRecordChannels = 1;
constexpr std::uint32_t kRecordRate = 8000;
constexpr std::uint16_t kRecordBits = 8;
constexpr std::uint32_t kCaptureBufferBytes = 8192;  // 1.024 s at 8000 one-byte samples a second
constexpr int kCaptureBuffers = 2;                   // of the three header slots, 0 and 1 are used
constexpr std::size_t kErrorTextLength = 200;

constexpr const char* kNoMixer = "Couldn't open the mixer.";
constexpr const char* kNoInMeter = "Couldn't get wavein meter";
constexpr const char* kNoOutMeter = "Couldn't get waveout meter";


}  // namespace

struct clsAudioLevel::State {
    std::unique_ptr<MixerWaveIn> layer;

    vb::Integer mMaxValue = 0;
    bool mPeak = false;
    bool mTempoChange = false;
    vb::Integer mLastMax = 0;

    bool mMixerOpen = false;
    MeterRecord mInMeter;
    MeterRecord mOutMeter;
    MeterRecord mDetails;
    // The block a meter request writes into; absent when the mixer did not
    // open, so that a reading has nothing to touch.
    std::optional<std::int32_t> mDetailsMem;
    vb::Long mValue = 0;

    WaveFormat mFormat;
    std::array<WaveHeader, 3> mHeader;
    bool mRecording = false;
    std::string mErrorText;

    vb::Long ReadMeter(const MeterRecord& meter) {
        if (!mDetailsMem) return 0;
        mDetails.controlId = meter.controlId;
        mDetails.multipleItems = meter.multipleItems;
        // A failed request leaves the block as it was: the previous value
        // is read again. A meter that was never found reads silence instead,
        // or the other meter's last value would stick in the block for good.
        if (!layer->ReadMeter(mDetails, *mDetailsMem) && meter.controlId == 0) *mDetailsMem = 0;
        mValue = *mDetailsMem;
        if (mValue < 0) mValue = 0;
        return mValue;
    }

    vb::Long ReadOutMeter() { return ReadMeter(mOutMeter); }

    vb::Long ReadInMeter() {
        for (int i = 0; i < kCaptureBuffers; ++i) {
            WaveHeader& header = mHeader[i];
            layer->PollBuffer(header);
            if (header.flags & kWaveHeaderDone) layer->WaveInAddBuffer(header);  // result ignored
        }
        return ReadMeter(mInMeter);
    }

    bool FindMeter(MixerLine line, MeterRecord& record) {
        MeterRecord found = record;
        if (!layer->FindMeter(line, found)) return false;
        record = found;
        return true;
    }

    void ShowWaveInError(MMResult code) {
        mErrorText = layer->WaveInErrorText(code);
        if (mErrorText.size() > kErrorTextLength) mErrorText.resize(kErrorTextLength);
        vb::MsgBox(mErrorText);
    }

    void ReleaseBuffers() {
        for (WaveHeader& header : mHeader) header.data.reset();
    }

    bool StartCapture() {
        if (mRecording) return true;

        mFormat = WaveFormat{};
        mFormat.formatTag = kFormatPcm;
        mFormat.channels = kRecordChannels;
        mFormat.samplesPerSec = kRecordRate;
        mFormat.bitsPerSample = kRecordBits;
        mFormat.blockAlign = std::uint16_t(mFormat.channels * mFormat.bitsPerSample / 8);
        mFormat.avgBytesPerSec = mFormat.blockAlign * mFormat.samplesPerSec;
        mFormat.cbSize = 0;

        for (int i = 0; i < kCaptureBuffers; ++i) {
            WaveHeader& header = mHeader[i];
            header.data = layer->NewBuffer(kCaptureBufferBytes);
            header.bufferLength = kCaptureBufferBytes;
            header.flags = 0;
            header.loops = 0;
        }

        if (layer->WaveInOpen(mFormat) != kMmNoError) {
            // The open is retried at every silent reading; the buffers of a
            // failed attempt must not pile up.
            ReleaseBuffers();
            return false;
        }

        for (int i = 0; i < kCaptureBuffers; ++i) {
            if (MMResult r = layer->WaveInPrepareHeader(mHeader[i]); r != kMmNoError) ShowWaveInError(r);
        }
        for (int i = 0; i < kCaptureBuffers; ++i) {
            if (MMResult r = layer->WaveInAddBuffer(mHeader[i]); r != kMmNoError) ShowWaveInError(r);
        }

        mRecording = true;
        layer->WaveInStart();  // result ignored
        return true;
    }

    void StopCapture() {
        mRecording = false;
        layer->WaveInReset();
        layer->WaveInStop();
        for (int i = 0; i < kCaptureBuffers; ++i) {
            layer->WaveInUnprepareHeader(mHeader[i]);
            mHeader[i].data.reset();
        }
        layer->WaveInClose();
    }
};

clsAudioLevel::clsAudioLevel(std::unique_ptr<MixerWaveIn> layer) : m(std::make_unique<State>()) {
    assert(layer && "the meter needs a sound system layer");
    m->layer = std::move(layer);

    m->mMixerOpen = m->layer->OpenMixer();
    if (!m->mMixerOpen) {
        vb::MsgBox(kNoMixer);
        return;
    }

    if (!m->FindMeter(MixerLine::DstWaveIn, m->mInMeter)) {
        if (!m->FindMeter(MixerLine::SrcMicrophone, m->mInMeter)) vb::MsgBox(kNoInMeter);
    }
    if (!m->FindMeter(MixerLine::SrcWaveOut, m->mOutMeter)) vb::MsgBox(kNoOutMeter);

    // The block's content before the first successful request is 0: silence.
    m->mDetailsMem = 0;
}

clsAudioLevel::~clsAudioLevel() {
    if (m->mRecording) m->StopCapture();
    m->mDetailsMem.reset();
    if (m->mMixerOpen) m->layer->CloseMixer();
}

bool clsAudioLevel::TempoChange() {
    bool changed = m->mTempoChange;
    m->mTempoChange = false;
    return changed;
}

bool clsAudioLevel::Peak() const { return m->mPeak; }

vb::Integer clsAudioLevel::MaxValue() const { return m->mMaxValue; }

// GetLevel never fails: a step that raises is skipped and the next one runs,
// the way the meter has always treated a sound card that misbehaves.
vb::Long clsAudioLevel::GetLevel() {
    State& s = *m;
    vb::Long level = 0;

    vb::ResumeNext([&] { level = s.ReadOutMeter(); });
    if (level == 0) {
        vb::ResumeNext([&] { s.StartCapture(); });
        vb::ResumeNext([&] { level = s.ReadInMeter(); });
        if (level == 0) vb::ResumeNext([&] { s.StopCapture(); });
    }

    if (level >= s.mMaxValue) {
        // A level that does not fit an Integer leaves the maximum as it was.
        if (level <= std::numeric_limits<vb::Integer>::max()) s.mMaxValue = vb::Integer(level);
        s.mPeak = true;
    } else {
        s.mMaxValue = vb::Integer(s.mMaxValue - kDecayStep);
        s.mPeak = false;
    }

    // Compared before the clamp below: a decay through 0 raises the flag on
    // two readings in a row, which the animation relies on.
    if (s.mMaxValue != s.mLastMax) {
        s.mTempoChange = true;
        s.mLastMax = s.mMaxValue;
    }

    if (s.mMaxValue < 0) s.mMaxValue = 0;
    return level;
}
