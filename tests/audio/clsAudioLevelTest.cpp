#include "audio/clsAudioLevel.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "audio/fake/ScriptedMixer.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

using Calls = std::vector<std::string>;

struct Fixture {
    vb::HeadlessPlatform platform;
    std::shared_ptr<MixerScript> script = std::make_shared<MixerScript>();
    std::unique_ptr<clsAudioLevel> meter;

    clsAudioLevel& Start() {
        meter = std::make_unique<clsAudioLevel>(std::make_unique<ScriptedMixer>(script));
        return *meter;
    }
    Calls CallsSince(std::size_t from) const {
        return {script->calls.begin() + std::ptrdiff_t(from), script->calls.end()};
    }
};

struct Reading {
    std::int32_t out, in;  // the playback meter's value; the recording meter's, read only when out is 0 or less
    vb::Long level;
    vb::Integer maxValue;
    bool peak, tempoChange;
};

std::vector<Reading> DecayFrom1000() {
    std::vector<Reading> r{{0, 0, 0, 0, true, false}, {1000, 0, 1000, 1000, true, true}};
    for (int max = 980; max >= 0; max -= 20) r.push_back({0, 0, 0, vb::Integer(max), false, true});
    r.push_back({0, 0, 0, 0, true, false});
    return r;
}

const struct {
    const char* name;
    std::vector<Reading> readings;
} kReadings[] = {
    {"SilenceFromTheStart", {{0, 0, 0, 0, true, false}, {0, 0, 0, 0, true, false}}},
    {"DecayFrom1000", DecayFrom1000()},
    // The decay takes the maximum to -10: the flag is raised for -10 and again for the 0 it is clamped to.
    {"DoubleRaiseAroundZero",
     {{10, 0, 10, 10, true, true}, {0, 0, 0, 0, false, true}, {0, 0, 0, 0, true, true}, {0, 0, 0, 0, true, false}}},
    {"NegativeValues", {{-500, -300, 0, 0, true, false}, {-32768, 400, 400, 400, true, true}}},
    {"EqualToMaximum",
     {{500, 0, 500, 500, true, true}, {500, 0, 500, 500, true, false}, {400, 0, 400, 480, false, true},
      {480, 0, 480, 480, true, false}}},
    {"RecordingMeterInSilence",
     {{0, 700, 700, 700, true, true}, {300, 0, 300, 680, false, true}, {0, 690, 690, 690, true, true}}},
    {"AboveIntegerRangeKeepsMaximum", {{200, 0, 200, 200, true, true}, {40000, 0, 40000, 200, true, false}}},
};

// TempoChange is read twice after every reading: the second read finds it cleared.
TEST(AudioLevel, LevelMaximumPeakAndTempoChangeFollowTheReadings) {
    for (const auto& c : kReadings) {
        SCOPED_TRACE(c.name);
        Fixture f;
        for (const Reading& r : c.readings) {
            f.script->outReadings.push_back(r.out);
            if (r.out <= 0) f.script->inReadings.push_back(r.in);
        }
        clsAudioLevel& meter = f.Start();
        for (std::size_t i = 0; i < c.readings.size(); ++i) {
            const Reading& r = c.readings[i];
            SCOPED_TRACE("reading " + std::to_string(i));
            EXPECT_EQ(meter.GetLevel(), r.level);
            EXPECT_EQ(meter.MaxValue(), r.maxValue);
            EXPECT_EQ(meter.Peak(), r.peak);
            EXPECT_EQ(meter.TempoChange(), r.tempoChange);
            EXPECT_FALSE(meter.TempoChange());
        }
        EXPECT_TRUE(f.script->outReadings.empty() && f.script->inReadings.empty()) << "every scripted value was read";
        EXPECT_TRUE(f.platform.messages.empty());
    }
}

TEST(AudioLevel, SteadySilenceOpensReadsAndClosesTheRecordingEveryReading) {
    Fixture f;
    f.Start();
    const Calls oneReading = {"ReadMeter(out)", "NewBuffer", "NewBuffer", "WaveInOpen", "WaveInPrepareHeader",
                              "WaveInPrepareHeader", "WaveInAddBuffer", "WaveInAddBuffer", "WaveInStart", "PollBuffer",
                              "PollBuffer", "ReadMeter(in)", "WaveInReset", "WaveInStop", "WaveInUnprepareHeader",
                              "WaveInUnprepareHeader", "WaveInClose"};
    for (int i = 0; i < 2; ++i) {
        const std::size_t mark = f.script->calls.size();
        EXPECT_EQ(f.meter->GetLevel(), 0);
        EXPECT_EQ(f.CallsSince(mark), oneReading);
        EXPECT_FALSE(f.script->waveInOpen);
    }
    const WaveFormat& w = f.script->openedFormat;  // 8000 Hz, 8-bit, mono PCM
    EXPECT_EQ(std::make_tuple(w.formatTag, w.channels, w.samplesPerSec, w.bitsPerSample, w.blockAlign,
                              w.avgBytesPerSec, w.cbSize),
              (std::tuple<std::uint16_t, std::uint16_t, std::uint32_t, std::uint16_t, std::uint16_t, std::uint32_t,
                          std::uint16_t>(1, 1, 8000, 8, 1, 8000, 0)));
}

TEST(AudioLevel, NoRecordingIsStartedOrStoppedWhilePlaybackSounds) {
    for (bool recordingBefore : {false, true}) {
        SCOPED_TRACE(recordingBefore ? "while recording" : "from idle");
        Fixture f;
        if (recordingBefore) {
            f.script->outReadings = {0};
            f.script->inReadings = {300};
        }
        for (std::int32_t v : {500, 1, 32767}) f.script->outReadings.push_back(v);
        clsAudioLevel& meter = f.Start();
        if (recordingBefore) {
            ASSERT_EQ(meter.GetLevel(), 300);
        }
        const std::size_t mark = f.script->calls.size();
        for (vb::Long expected : {500, 1, 32767}) EXPECT_EQ(meter.GetLevel(), expected);
        EXPECT_EQ(f.CallsSince(mark), Calls(3, "ReadMeter(out)"));
        EXPECT_EQ(f.script->recording, recordingBefore);
    }
}

TEST(AudioLevel, FilledBuffersAreHandedBackWhileTheRecordingMeterSounds) {
    Fixture f;
    f.script->buffersFill = true;
    f.script->inReadings = {300, 310, 320};
    clsAudioLevel& meter = f.Start();
    meter.GetLevel();  // starts the recording; both buffers are filled by the next poll
    for (int i = 0; i < 2; ++i) {
        const int added = f.script->Count("WaveInAddBuffer");
        EXPECT_GT(meter.GetLevel(), 0);
        EXPECT_EQ(f.script->Count("WaveInAddBuffer") - added, 2);
        EXPECT_EQ(f.script->QueuedHeaders(), 2);
    }
    EXPECT_EQ(f.script->Count("WaveInOpen"), 1) << "the running recording is kept";
}

// A device that fails to open while the recording meter still reads leaves no stop to release the buffers.
TEST(AudioLevel, RepeatedStartsDoNotAccumulateBuffers) {
    for (bool opens : {true, false}) {
        SCOPED_TRACE(opens ? "device opens, silence" : "device fails to open, the recording meter reads 500");
        Fixture f;
        f.script->waveInOpens = opens;
        if (!opens) f.script->inReadings.assign(100, 500);
        clsAudioLevel& meter = f.Start();
        for (int i = 0; i < 100; ++i) {
            EXPECT_EQ(meter.GetLevel(), opens ? 0 : 500);
            ASSERT_EQ(f.script->BuffersAlive(), 0) << "after reading " << i;
        }
        EXPECT_EQ(f.script->Count("WaveInOpen"), 100) << "the open is retried at every reading";
        EXPECT_TRUE(f.platform.messages.empty()) << "a device that does not open is not reported";
    }
}

// An unprepared buffer cannot be queued either, so both operations' texts are shown.
TEST(AudioLevel, FailingBufferOperationsShowThePlatformsTextAndTheRecordingGoesOn) {
    Fixture f;
    f.script->prepareResult = kMmNoMemory;
    f.script->inReadings = {250};
    EXPECT_EQ(f.Start().GetLevel(), 250);
    Calls expected;
    for (MMResult code : {kMmNoMemory, kMmNoMemory, kWaveUnprepared, kWaveUnprepared})
        expected.push_back(ScriptedMixer::ErrorTextFor(code));
    EXPECT_EQ(f.platform.messages, expected);
    EXPECT_TRUE(f.script->recording);
}

// Each row reads the playback meter {1000, 0, ...} and the recording meter {700, 0, ...}.
TEST(AudioLevel, InitReportsEachMissingDeviceOrMeterOnceAndReadsWhatIsLeft) {
    using L = MixerLine;
    const struct {
        const char* name;
        bool mixerOpens;
        std::set<MixerLine> missing;
        Calls messages;
        std::vector<vb::Long> levels;
    } cases[] = {
        {"NoMixer", false, {}, {"Couldn't open the mixer."}, {0, 0}},
        {"MicrophoneInsteadOfWaveIn", true, {L::DstWaveIn}, {}, {1000, 700}},
        {"NoRecordingMeter", true, {L::DstWaveIn, L::SrcMicrophone}, {"Couldn't get wavein meter"}, {1000, 0}},
        // The missing meter reads 0, not the recording meter's previous value.
        {"NoPlaybackMeter", true, {L::SrcWaveOut}, {"Couldn't get waveout meter"}, {700, 0}},
        {"NoMeterAtAll", true, {L::DstWaveIn, L::SrcMicrophone, L::SrcWaveOut},
         {"Couldn't get wavein meter", "Couldn't get waveout meter"}, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.script->mixerOpens = c.mixerOpens;
        f.script->missingMeters = c.missing;
        f.script->outReadings = {1000, 0};
        f.script->inReadings = {700, 0};
        clsAudioLevel& meter = f.Start();
        EXPECT_EQ(f.platform.messages, c.messages);
        for (vb::Long level : c.levels) EXPECT_EQ(meter.GetLevel(), level);
        EXPECT_EQ(f.platform.messages, c.messages) << "readings add no messages";
    }
}

TEST(AudioLevel, TerminationStopsARunningRecordingAndClosesAnOpenMixer) {
    const struct {
        const char* name;
        bool mixerOpens;
        std::int32_t out;
        Calls calls;
    } cases[] = {
        {"Recording", true, 0, {"WaveInReset", "WaveInStop", "WaveInUnprepareHeader", "WaveInUnprepareHeader",
                                "WaveInClose", "CloseMixer", "~ScriptedMixer"}},
        {"NotRecording", true, 800, {"CloseMixer", "~ScriptedMixer"}},
        {"NoMixer", false, 0, {"~ScriptedMixer"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Fixture f;
        f.script->mixerOpens = c.mixerOpens;
        f.script->outReadings = {c.out};
        f.script->inReadings = {300};
        f.Start().GetLevel();
        const std::size_t mark = f.script->calls.size();
        f.meter.reset();
        EXPECT_EQ(f.CallsSince(mark), c.calls);
        EXPECT_FALSE(f.script->recording || f.script->waveInOpen || f.script->mixerOpen);
        EXPECT_EQ(f.script->BuffersAlive(), 0);
    }
}

}  // namespace
