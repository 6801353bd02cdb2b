#pragma once
// The sound system as the level meter sees it: a mixer with peak meters on
// its lines, and one wave-input device that can record into buffers. Each
// platform implements it (PulseAudio, Win32 multimedia); the tests use a
// scripted fake.

#include <cstdint>
#include <string>
#include <vector>

// Line types, with the numbers the Windows mixer gives them.
enum class MixerLine : std::uint32_t {
    DstWaveIn = 7,           // the recording destination
    SrcMicrophone = 0x1003,  // a microphone
    SrcWaveOut = 0x1008,     // what the computer plays
};

// A found peak meter. Control id 0 is no meter.
struct MeterRecord {
    std::uint32_t controlId = 0;
    std::uint32_t multipleItems = 0;
};

struct WaveFormat {
    std::uint16_t formatTag = 1;  // PCM
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = 8000;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t blockAlign = 1;
    std::uint32_t avgBytesPerSec = 8000;
    std::uint16_t cbSize = 0;
};

constexpr std::uint32_t kWaveHeaderDone = 1;  // WHDR_DONE
constexpr std::uint32_t kWaveHeaderSize = 32;

struct WaveHeader {
    std::vector<std::uint8_t> data;
    std::uint32_t bufferLength = 0;
    std::uint32_t flags = 0;  // kWaveHeaderDone once the device filled it
    std::uint32_t loops = 0;
};

using MMResult = std::uint32_t;  // 0 is success
constexpr MMResult kMmNoError = 0;

class MixerWaveIn {
public:
    virtual ~MixerWaveIn() = default;

    // Mixer device 0.
    virtual bool OpenMixer() = 0;
    virtual void CloseMixer() = 0;
    // The peak meter of the line of this type; false when there is no such
    // line or it has no meter.
    virtual bool FindMeter(MixerLine line, MeterRecord& meter) = 0;
    // The meter's signed value (-32768..32767); false when the request fails.
    virtual bool ReadMeter(const MeterRecord& meter, std::int32_t& value) = 0;

    // Wave-input device 0.
    virtual MMResult WaveInOpen(const WaveFormat& format) = 0;
    virtual MMResult WaveInPrepareHeader(WaveHeader& header) = 0;
    virtual MMResult WaveInAddBuffer(WaveHeader& header) = 0;
    virtual MMResult WaveInStart() = 0;
    virtual MMResult WaveInReset() = 0;
    virtual MMResult WaveInStop() = 0;
    virtual MMResult WaveInUnprepareHeader(WaveHeader& header) = 0;
    virtual MMResult WaveInClose() = 0;
    // Updates the header's done flag from the device; polled, never called
    // back.
    virtual void PollBuffer(WaveHeader& header) = 0;
    // The platform's text for a failing wave-input call.
    virtual std::string WaveInErrorText(MMResult code) = 0;
};
