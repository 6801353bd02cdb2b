// The PulseAudio layer on its own, against the private server that
// tests/real/pulse_layer.sh starts (PULSE_SERVER points at it): the lines it
// finds, its readings, and the wave-input device's answers.

#include "audio/pulse/PulseMixerWaveIn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

// Reads the meter until `accept` likes a value or `within` has passed.
bool ReadUntil(PulseMixerWaveIn& layer, const MeterRecord& meter, const std::function<bool(std::int32_t)>& accept,
               std::chrono::milliseconds within) {
    const auto deadline = std::chrono::steady_clock::now() + within;
    while (std::chrono::steady_clock::now() < deadline) {
        std::int32_t value = -1;
        if (layer.ReadMeter(meter, value) && accept(value)) return true;
        std::this_thread::sleep_for(2ms);
    }
    return false;
}

TEST(PulseMixerWaveIn, FindsTheServersLinesAndReadsSilenceOnThem) {
    PulseMixerWaveIn layer;
    ASSERT_TRUE(layer.OpenMixer());
    for (MixerLine line : {MixerLine::SrcWaveOut, MixerLine::DstWaveIn, MixerLine::SrcMicrophone}) {
        SCOPED_TRACE(int(line));
        MeterRecord meter;
        ASSERT_TRUE(layer.FindMeter(line, meter));
        EXPECT_NE(meter.controlId, 0u);
        // The null sink and the quiet microphone deliver peaks of 0.
        EXPECT_TRUE(ReadUntil(layer, meter, [](std::int32_t v) { return v == 0; }, 5000ms));
    }
    MeterRecord none;
    std::int32_t value = 1234;
    EXPECT_FALSE(layer.ReadMeter(none, value)) << "no meter has id 0";
    EXPECT_EQ(value, 1234) << "a failed request leaves the value alone";
}

TEST(PulseMixerWaveIn, AClosedMixerFindsAndReadsNothing) {
    PulseMixerWaveIn layer;
    ASSERT_TRUE(layer.OpenMixer());
    MeterRecord meter;
    ASSERT_TRUE(layer.FindMeter(MixerLine::SrcWaveOut, meter));
    layer.CloseMixer();
    std::int32_t value = 77;
    EXPECT_FALSE(layer.ReadMeter(meter, value));
    EXPECT_EQ(value, 77);
    MeterRecord again;
    EXPECT_FALSE(layer.FindMeter(MixerLine::SrcWaveOut, again));
    EXPECT_EQ(layer.WaveInOpen(WaveFormat{}), kMmBadDeviceId);
    EXPECT_TRUE(layer.OpenMixer()) << "the mixer opens again";
    EXPECT_TRUE(layer.FindMeter(MixerLine::SrcWaveOut, again));
}

// The wave-input device answers as the meter expects a device to.
struct WaveInStep {
    enum Op { Open, Prepare, Add, Start, Reset, Stop, Unprepare, Close } op;
    int header;  // 0 or 1 for the header operations
    MMResult expected;
    bool doneAfter = false;  // the header's done flag after the step
};

struct WaveInCase {
    std::string name;
    std::vector<WaveInStep> steps;
};

void PrintTo(const WaveInCase& c, std::ostream* os) { *os << c.name; }

class PulseWaveIn : public ::testing::TestWithParam<WaveInCase> {};

TEST_P(PulseWaveIn, AnswersEachCallAsADeviceWould) {
    PulseMixerWaveIn layer;
    ASSERT_TRUE(layer.OpenMixer());
    WaveHeader headers[2];
    for (WaveHeader& h : headers) {
        h.data = layer.NewBuffer(8192);
        h.bufferLength = 8192;
    }
    int index = 0;
    for (const WaveInStep& step : GetParam().steps) {
        SCOPED_TRACE("step " + std::to_string(index++));
        WaveHeader& h = headers[step.header];
        MMResult result = kMmError;
        switch (step.op) {
        case WaveInStep::Open: result = layer.WaveInOpen(WaveFormat{}); break;
        case WaveInStep::Prepare: result = layer.WaveInPrepareHeader(h); break;
        case WaveInStep::Add: result = layer.WaveInAddBuffer(h); break;
        case WaveInStep::Start: result = layer.WaveInStart(); break;
        case WaveInStep::Reset: result = layer.WaveInReset(); break;
        case WaveInStep::Stop: result = layer.WaveInStop(); break;
        case WaveInStep::Unprepare: result = layer.WaveInUnprepareHeader(h); break;
        case WaveInStep::Close: result = layer.WaveInClose(); break;
        }
        EXPECT_EQ(result, step.expected);
        layer.PollBuffer(h);
        EXPECT_EQ((h.flags & kWaveHeaderDone) != 0, step.doneAfter);
    }
}

using S = WaveInStep;
INSTANTIATE_TEST_SUITE_P(
    Device, PulseWaveIn,
    ::testing::Values(
        WaveInCase{"MetersOwnRound",
                   {{S::Open, 0, kMmNoError},       {S::Prepare, 0, kMmNoError},   {S::Prepare, 1, kMmNoError},
                    {S::Add, 0, kMmNoError},        {S::Add, 1, kMmNoError},       {S::Start, 0, kMmNoError},
                    {S::Reset, 0, kMmNoError, true}, {S::Stop, 0, kMmNoError, true}, {S::Unprepare, 0, kMmNoError, true},
                    {S::Unprepare, 1, kMmNoError, true}, {S::Close, 0, kMmNoError, true}, {S::Open, 0, kMmNoError, true},
                    {S::Close, 0, kMmNoError, true}}},
        WaveInCase{"NothingBeforeOpen",
                   {{S::Prepare, 0, kMmInvalidHandle},
                    {S::Add, 0, kMmInvalidHandle},
                    {S::Start, 0, kMmInvalidHandle},
                    {S::Reset, 0, kMmInvalidHandle},
                    {S::Stop, 0, kMmInvalidHandle},
                    {S::Unprepare, 0, kMmInvalidHandle},
                    {S::Close, 0, kMmInvalidHandle}}},
        WaveInCase{"OpenTwice", {{S::Open, 0, kMmNoError}, {S::Open, 0, kMmAllocated}, {S::Close, 0, kMmNoError}}},
        WaveInCase{"UnpreparedBufferIsNotQueued",
                   {{S::Open, 0, kMmNoError}, {S::Add, 0, kWaveUnprepared}, {S::Close, 0, kMmNoError}}},
        // The device keeps a queued buffer until a reset hands it back.
        WaveInCase{"QueuedBufferIsHeld",
                   {{S::Open, 0, kMmNoError},
                    {S::Prepare, 0, kMmNoError},
                    {S::Add, 0, kMmNoError},
                    {S::Start, 0, kMmNoError},
                    {S::Unprepare, 0, kWaveStillPlaying},
                    {S::Close, 0, kWaveStillPlaying},
                    {S::Reset, 0, kMmNoError, true},
                    {S::Add, 0, kMmNoError},
                    {S::Reset, 0, kMmNoError, true},
                    {S::Unprepare, 0, kMmNoError, true},
                    {S::Close, 0, kMmNoError, true}}}),
    [](const auto& info) { return info.param.name; });

TEST(PulseMixerWaveIn, ErrorTextsNameTheFault) {
    PulseMixerWaveIn layer;
    std::vector<std::string> texts;
    for (MMResult code : {kMmBadDeviceId, kMmAllocated, kMmInvalidHandle, kMmNoMemory, kWaveStillPlaying,
                          kWaveUnprepared, MMResult(999)}) {
        std::string text = layer.WaveInErrorText(code);
        EXPECT_FALSE(text.empty());
        EXPECT_LE(text.size(), 200u) << "the meter keeps 200 characters";
        for (const std::string& other : texts) EXPECT_NE(text, other);
        texts.push_back(text);
    }
    EXPECT_NE(texts.back().find("999"), std::string::npos);
}

// Last: points the process at a server that is not there.
TEST(PulseMixerWaveIn, WithoutAServerNothingOpens) {
    const std::string saved = std::getenv("PULSE_SERVER") ? std::getenv("PULSE_SERVER") : "";
    ::setenv("PULSE_SERVER", "unix:/nonexistent/gyrobloom/native", 1);
    PulseMixerWaveIn layer;
    EXPECT_FALSE(layer.OpenMixer());
    MeterRecord meter;
    EXPECT_FALSE(layer.FindMeter(MixerLine::SrcWaveOut, meter));
    EXPECT_FALSE(layer.FindMeter(MixerLine::DstWaveIn, meter));
    std::int32_t value = 5;
    meter.controlId = 1;
    EXPECT_FALSE(layer.ReadMeter(meter, value));
    EXPECT_EQ(layer.WaveInOpen(WaveFormat{}), kMmBadDeviceId);
    ::setenv("PULSE_SERVER", saved.c_str(), 1);
}

}  // namespace
