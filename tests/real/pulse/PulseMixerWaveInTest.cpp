// The PulseAudio layer on its own, against the private server of tests/real/pulse_layer.sh.

#include "audio/pulse/PulseMixerWaveIn.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Results = std::vector<MMResult>;

// Reads the meter until it gives 0 or 5 s have passed.
bool ReadsSilence(PulseMixerWaveIn& layer, const MeterRecord& meter) {
    for (const auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
        std::int32_t value = -1;
        if (layer.ReadMeter(meter, value) && value == 0) return true;
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
        EXPECT_TRUE(ReadsSilence(layer, meter));  // the null sink and the quiet microphone
    }
    std::int32_t value = 1234;
    EXPECT_FALSE(layer.ReadMeter(MeterRecord{}, value) || value != 1234) << "no meter has id 0; the value is left";
}

TEST(PulseMixerWaveIn, AClosedMixerFindsAndReadsNothingUntilReopened) {
    PulseMixerWaveIn layer;
    MeterRecord meter, again;
    ASSERT_TRUE(layer.OpenMixer());
    ASSERT_TRUE(layer.FindMeter(MixerLine::SrcWaveOut, meter));
    layer.CloseMixer();
    std::int32_t value = 77;
    EXPECT_FALSE(layer.ReadMeter(meter, value));
    EXPECT_EQ(value, 77);
    EXPECT_FALSE(layer.FindMeter(MixerLine::SrcWaveOut, again));
    EXPECT_EQ(layer.WaveInOpen(WaveFormat{}), kMmBadDeviceId);
    EXPECT_TRUE(layer.OpenMixer());
    EXPECT_TRUE(layer.FindMeter(MixerLine::SrcWaveOut, again));
}

TEST(PulseMixerWaveIn, TheWaveInDeviceAnswersAsADeviceWould) {
    PulseMixerWaveIn layer;
    ASSERT_TRUE(layer.OpenMixer());
    WaveHeader a, b;
    const auto done = [&](WaveHeader& h) {
        layer.PollBuffer(h);
        return (h.flags & kWaveHeaderDone) != 0;
    };
    // Braced lists run their calls in order.
    EXPECT_EQ((Results{layer.WaveInPrepareHeader(a), layer.WaveInAddBuffer(a), layer.WaveInStart(), layer.WaveInReset(),
                       layer.WaveInStop(), layer.WaveInUnprepareHeader(a), layer.WaveInClose()}),
              Results(7, kMmInvalidHandle))
        << "nothing before the open";
    EXPECT_EQ((Results{layer.WaveInOpen(WaveFormat{}), layer.WaveInOpen(WaveFormat{}), layer.WaveInAddBuffer(a),
                       layer.WaveInPrepareHeader(a), layer.WaveInPrepareHeader(b), layer.WaveInAddBuffer(a),
                       layer.WaveInAddBuffer(b), layer.WaveInStart()}),
              (Results{kMmNoError, kMmAllocated, kWaveUnprepared, kMmNoError, kMmNoError, kMmNoError, kMmNoError,
                       kMmNoError}));
    EXPECT_FALSE(done(a) || done(b)) << "queued buffers are held";
    EXPECT_EQ((Results{layer.WaveInUnprepareHeader(a), layer.WaveInClose(), layer.WaveInReset()}),
              (Results{kWaveStillPlaying, kWaveStillPlaying, kMmNoError}));
    EXPECT_TRUE(done(a) && done(b)) << "a reset hands them back";
    EXPECT_EQ((Results{layer.WaveInStop(), layer.WaveInUnprepareHeader(a), layer.WaveInUnprepareHeader(b),
                       layer.WaveInClose(), layer.WaveInOpen(WaveFormat{}), layer.WaveInClose()}),
              Results(6, kMmNoError));
}

TEST(PulseMixerWaveIn, ErrorTextsNameTheFault) {
    PulseMixerWaveIn layer;
    std::vector<std::string> texts;
    for (MMResult code : {kMmBadDeviceId, kMmAllocated, kMmInvalidHandle, kMmNoMemory, kWaveStillPlaying,
                          kWaveUnprepared, MMResult(999)}) {
        const std::string text = layer.WaveInErrorText(code);
        EXPECT_TRUE(!text.empty() && text.size() <= 200u) << text;  // the meter keeps 200 characters
        for (const std::string& other : texts) EXPECT_NE(text, other);
        texts.push_back(text);
    }
    EXPECT_NE(texts.back().find("999"), std::string::npos);
}

// Last: points the process at a server that is not there.
TEST(PulseMixerWaveIn, WithoutAServerNothingOpens) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/gyrobloom/native", 1);
    PulseMixerWaveIn layer;
    EXPECT_FALSE(layer.OpenMixer());
    MeterRecord meter;
    EXPECT_FALSE(layer.FindMeter(MixerLine::SrcWaveOut, meter));
    EXPECT_FALSE(layer.FindMeter(MixerLine::DstWaveIn, meter));
    std::int32_t value = 5;
    EXPECT_FALSE(layer.ReadMeter(MeterRecord{1, 0}, value));
    EXPECT_EQ(layer.WaveInOpen(WaveFormat{}), kMmBadDeviceId);
}

}  // namespace
