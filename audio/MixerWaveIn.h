#pragma once
// The sound system as the level meter sees it: a mixer with peak meters on
// its lines, and one wave-input device that can record into buffers. Each
// platform implements it (PulseAudio, Win32 multimedia); the tests use a
// scripted fake.
//
// Every call is made on the user-interface thread and must return without
// waiting on a device: the meter reads it twice per animation step.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Line types, with the numbers the Windows mixer gives them.
enum class MixerLine : std::uint32_t {
    DstWaveIn = 7,           // the recording destination
    SrcMicrophone = 0x1003,  // a microphone
    SrcWaveOut = 0x1008,     // what the computer plays
};

// A found peak meter. Control id 0 is no meter; a backend numbers its meters
// from 1.
struct MeterRecord {
    std::uint32_t controlId = 0;
    std::uint32_t multipleItems = 0;
};

// The recording format: 8000 Hz, 8-bit, mono PCM unless the caller says
// otherwise.
struct WaveFormat {
    std::uint16_t formatTag = 1;  // PCM
    std::uint16_t channels = 1;
    std::uint32_t samplesPerSec = 8000;
    std::uint16_t bitsPerSample = 8;
    std::uint16_t blockAlign = 1;        // channels * bits / 8
    std::uint32_t avgBytesPerSec = 8000;  // blockAlign * samplesPerSec
    std::uint16_t cbSize = 0;
};

constexpr std::uint32_t kWaveHeaderDone = 1;  // WHDR_DONE
constexpr std::uint32_t kWaveHeaderSize = 32;

// Capture memory. Shared so that a backend (or a test) can see whether a
// buffer is still alive after the meter let go of it.
using CaptureBuffer = std::shared_ptr<std::vector<std::uint8_t>>;

struct WaveHeader {
    CaptureBuffer data;  // null when no buffer is attached
    std::uint32_t bufferLength = 0;  // bytes
    std::uint32_t flags = 0;         // kWaveHeaderDone once the device filled it
    std::uint32_t loops = 0;
};

using MMResult = std::uint32_t;  // 0 is success; other values are the platform's error codes
constexpr MMResult kMmNoError = 0;
constexpr MMResult kMmError = 1;             // MMSYSERR_ERROR: unspecified failure
constexpr MMResult kMmBadDeviceId = 2;       // MMSYSERR_BADDEVICEID: no such device
constexpr MMResult kMmAllocated = 4;         // MMSYSERR_ALLOCATED: the device is already open
constexpr MMResult kMmInvalidHandle = 5;     // MMSYSERR_INVALHANDLE: the device is not open
constexpr MMResult kMmNoMemory = 7;          // MMSYSERR_NOMEM
constexpr MMResult kWaveUnprepared = 34;     // WAVERR_UNPREPARED: the header was not prepared
constexpr MMResult kWaveStillPlaying = 33;   // WAVERR_STILLPLAYING: the header is still queued

class MixerWaveIn {
public:
    virtual ~MixerWaveIn() = default;

    // Mixer device 0. OpenMixer is false when there is no sound system to
    // talk to; it must answer promptly either way.
    virtual bool OpenMixer() = 0;
    virtual void CloseMixer() = 0;
    // The peak meter of the line of this type; false when there is no such
    // line or it has no meter.
    virtual bool FindMeter(MixerLine line, MeterRecord& meter) = 0;
    // The meter's signed value (-32768..32767); false when the request fails
    // (no meter with that id, mixer not open), and then value is untouched.
    virtual bool ReadMeter(const MeterRecord& meter, std::int32_t& value) = 0;

    // Wave-input device 0.
    virtual MMResult WaveInOpen(const WaveFormat& format) = 0;
    virtual MMResult WaveInPrepareHeader(WaveHeader& header) = 0;
    // Queues a prepared buffer; clears its done flag. The header must stay
    // where it is until it is unprepared.
    virtual MMResult WaveInAddBuffer(WaveHeader& header) = 0;
    virtual MMResult WaveInStart() = 0;
    // Stops and marks every queued buffer done.
    virtual MMResult WaveInReset() = 0;
    virtual MMResult WaveInStop() = 0;
    virtual MMResult WaveInUnprepareHeader(WaveHeader& header) = 0;
    virtual MMResult WaveInClose() = 0;
    // Updates the header's done flag from the device; polled, never called
    // back.
    virtual void PollBuffer(WaveHeader& header) = 0;
    // The platform's text for a failing wave-input call.
    virtual std::string WaveInErrorText(MMResult code) = 0;

    // A zero-filled capture buffer of this many bytes.
    virtual CaptureBuffer NewBuffer(std::uint32_t bytes) {
        return std::make_shared<std::vector<std::uint8_t>>(bytes, std::uint8_t{0});
    }
};
