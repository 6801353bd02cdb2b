#include "audio/win32/WaveInRecorder.h"

#include <algorithm>
#include <cstdlib>

namespace {
constexpr int kSilence = 128;
constexpr float kFullScale = 128.0f;
constexpr UINT kDevice = 0;
}  // namespace

WaveInRecorder::WaveInRecorder(std::chrono::milliseconds linger) : mLinger(linger) {}

WaveInRecorder::~WaveInRecorder() { Close(); }

bool WaveInRecorder::DeviceExists() { return waveInGetNumDevs() > 0; }

float WaveInRecorder::SamplePeak(const std::uint8_t* samples, std::size_t count) {
    int highest = 0;
    for (std::size_t i = 0; i < count; ++i) highest = std::max(highest, std::abs(int(samples[i]) - kSilence));
    return float(highest) / kFullScale;
}

std::string WaveInRecorder::ErrorText(MMRESULT code) {
    char text[MAXERRORLENGTH] = {};
    if (waveInGetErrorTextA(code, text, MAXERRORLENGTH) != MMSYSERR_NOERROR) return "Wave input error " + std::to_string(code);
    return text;
}

MMRESULT WaveInRecorder::Acquire(Clock::time_point now) {
    mLastUse = now;
    if (mWave) {
        mInUse = true;
        return MMSYSERR_NOERROR;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = kRate;
    format.wBitsPerSample = 8;
    format.nBlockAlign = 1;
    format.nAvgBytesPerSec = kRate;
    HWAVEIN wave = nullptr;
    const MMRESULT opened = waveInOpen(&wave, kDevice, &format, 0, 0, CALLBACK_NULL);
    if (opened != MMSYSERR_NOERROR) return opened;
    mWave = wave;
    mInUse = true;
    for (std::size_t i = 0; i < mHeaders.size(); ++i) {
        mBuffers[i].assign(kBufferBytes, std::uint8_t(kSilence));
        mHeaders[i] = WAVEHDR{};
        mHeaders[i].lpData = reinterpret_cast<LPSTR>(mBuffers[i].data());
        mHeaders[i].dwBufferLength = kBufferBytes;
        mScanned[i] = 0;
        // A buffer that cannot be queued is left out; the other still records.
        if (waveInPrepareHeader(mWave, &mHeaders[i], sizeof(WAVEHDR)) == MMSYSERR_NOERROR)
            waveInAddBuffer(mWave, &mHeaders[i], sizeof(WAVEHDR));
    }
    waveInStart(mWave);
    return MMSYSERR_NOERROR;
}

void WaveInRecorder::Release(Clock::time_point now) {
    mInUse = false;
    mLastUse = now;
}

void WaveInRecorder::Poll(Clock::time_point now) {
    if (!mWave) return;
    for (std::size_t i = 0; i < mHeaders.size(); ++i) {
        WAVEHDR& header = mHeaders[i];
        if (!(header.dwFlags & WHDR_PREPARED)) continue;
        const bool done = (header.dwFlags & WHDR_DONE) != 0;
        // Some drivers (Wine's among them) count the bytes as they arrive;
        // others only once the buffer is full. Either way only the new part
        // is looked at.
        const DWORD progress = *static_cast<volatile DWORD*>(&header.dwBytesRecorded);
        const DWORD recorded = std::min<DWORD>(progress, kBufferBytes);
        if (recorded > mScanned[i]) {
            mPeaks.Add(SamplePeak(mBuffers[i].data() + mScanned[i], recorded - mScanned[i]), now);
            mScanned[i] = recorded;
        }
        if (done) {
            ++mFilled;
            mLast.assign(mBuffers[i].begin(), mBuffers[i].begin() + recorded);
            mScanned[i] = 0;
            header.dwBytesRecorded = 0;
            waveInAddBuffer(mWave, &header, sizeof(WAVEHDR));
        }
    }
    if (!mInUse && now - mLastUse >= mLinger) Close();
}

std::int32_t WaveInRecorder::TakePeak(Clock::time_point now) {
    if (!mWave) return 0;
    return mPeaks.Take(now);
}

void WaveInRecorder::Close() {
    if (!mWave) return;
    waveInReset(mWave);
    waveInStop(mWave);
    for (WAVEHDR& header : mHeaders)
        if (header.dwFlags & WHDR_PREPARED) waveInUnprepareHeader(mWave, &header, sizeof(WAVEHDR));
    waveInClose(mWave);
    mWave = nullptr;
    mInUse = false;
    mPeaks.Clear();
}
