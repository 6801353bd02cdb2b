#include "audio/clsAudioLevel.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "audio/fake/ScriptedMixer.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

std::unique_ptr<clsAudioLevel> MeterOver(const std::shared_ptr<MixerScript>& script) {
    return std::make_unique<clsAudioLevel>(std::make_unique<ScriptedMixer>(script));
}

// The calls made since the given position in the script's log.
std::vector<std::string> CallsSince(const MixerScript& script, std::size_t from) {
    return {script.calls.begin() + std::ptrdiff_t(from), script.calls.end()};
}

bool IsWaveInCall(const std::string& call) { return call.rfind("WaveIn", 0) == 0; }

// ---- Readings, running maximum and flags ----------------------------------

struct Reading {
    std::int32_t out;  // what the playback meter reads
    std::int32_t in;   // what the recording meter reads; consulted only when out reads as 0
    vb::Long level;
    vb::Integer maxValue;
    bool peak;
    bool tempoChange;
};

struct ReadingsCase {
    std::string name;
    std::vector<Reading> readings;
};

void PrintTo(const ReadingsCase& c, std::ostream* os) { *os << c.name; }

// A reading of 1000 after silence, then silence until the maximum has
// decayed to 0 in steps of 20, then one more silent reading.
std::vector<Reading> DecayFrom1000() {
    std::vector<Reading> readings{{0, 0, 0, 0, true, false}, {1000, 0, 1000, 1000, true, true}};
    for (int max = 980; max >= 0; max -= 20) readings.push_back({0, 0, 0, vb::Integer(max), false, true});
    readings.push_back({0, 0, 0, 0, true, false});
    readings.push_back({0, 0, 0, 0, true, false});
    return readings;
}

const ReadingsCase kReadingsCases[] = {
    {"SilenceFromTheStart",
     {{0, 0, 0, 0, true, false}, {0, 0, 0, 0, true, false}, {0, 0, 0, 0, true, false}, {0, 0, 0, 0, true, false}}},
    {"DecayFrom1000", DecayFrom1000()},
    // The decay takes the maximum to -10: the flag is raised for -10 and
    // again for the 0 it is clamped to.
    {"DoubleRaiseAroundZero",
     {{10, 0, 10, 10, true, true}, {0, 0, 0, 0, false, true}, {0, 0, 0, 0, true, true}, {0, 0, 0, 0, true, false}}},
    {"NegativeValuesReadAsZero",
     {{-500, -300, 0, 0, true, false}, {-1, 0, 0, 0, true, false}, {-32768, 400, 400, 400, true, true}}},
    {"ReadingEqualToMaximumIsAPeak",
     {{500, 0, 500, 500, true, true},
      {500, 0, 500, 500, true, false},
      {400, 0, 400, 480, false, true},
      {480, 0, 480, 480, true, false}}},
    {"RecordingMeterHeardWhenPlaybackIsSilent",
     {{0, 700, 700, 700, true, true}, {300, 0, 300, 680, false, true}, {0, 690, 690, 690, true, true}}},
    // A value that does not fit the maximum leaves it as it was.
    {"LevelAboveIntegerRangeKeepsMaximum",
     {{200, 0, 200, 200, true, true}, {40000, 0, 40000, 200, true, false}, {100, 0, 100, 180, false, true}}},
};

class AudioLevelReadings : public ::testing::TestWithParam<ReadingsCase> {};

TEST_P(AudioLevelReadings, LevelMaximumPeakAndTempoChangeFollowTheReadings) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    for (const Reading& r : GetParam().readings) {
        script->outReadings.push_back(r.out);
        if (r.out <= 0) script->inReadings.push_back(r.in);
    }
    auto meter = MeterOver(script);

    int index = 0;
    for (const Reading& r : GetParam().readings) {
        SCOPED_TRACE("reading " + std::to_string(index++));
        EXPECT_EQ(meter->GetLevel(), r.level);
        EXPECT_EQ(meter->MaxValue(), r.maxValue);
        EXPECT_EQ(meter->Peak(), r.peak);
        EXPECT_EQ(meter->TempoChange(), r.tempoChange);
    }
    EXPECT_TRUE(script->outReadings.empty()) << "every scripted playback value was read";
    EXPECT_TRUE(script->inReadings.empty()) << "every scripted recording value was read";
    EXPECT_TRUE(platform.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(EdgeCases, AudioLevelReadings, ::testing::ValuesIn(kReadingsCases),
                         [](const auto& info) { return info.param.name; });

TEST(AudioLevel, TempoChangeIsClearedByReadingIt) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->outReadings = {1000, 1000};
    auto meter = MeterOver(script);

    EXPECT_FALSE(meter->TempoChange()) << "nothing read yet";
    meter->GetLevel();
    EXPECT_TRUE(meter->TempoChange());
    EXPECT_FALSE(meter->TempoChange());
    meter->GetLevel();  // the maximum stands still
    EXPECT_FALSE(meter->TempoChange());
}

// ---- The recording --------------------------------------------------------

TEST(AudioLevel, SteadySilenceOpensReadsAndClosesTheRecordingEveryReading) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    auto meter = MeterOver(script);

    const std::vector<std::string> oneSilentReading = {
        "ReadMeter(out)",        "NewBuffer",           "NewBuffer",  "WaveInOpen",
        "WaveInPrepareHeader",   "WaveInPrepareHeader", "WaveInAddBuffer", "WaveInAddBuffer",
        "WaveInStart",           "PollBuffer",          "PollBuffer", "ReadMeter(in)",
        "WaveInReset",           "WaveInStop",          "WaveInUnprepareHeader", "WaveInUnprepareHeader",
        "WaveInClose"};
    for (int i = 0; i < 3; ++i) {
        std::size_t mark = script->calls.size();
        EXPECT_EQ(meter->GetLevel(), 0);
        EXPECT_EQ(CallsSince(*script, mark), oneSilentReading);
        EXPECT_FALSE(script->waveInOpen);
        EXPECT_EQ(script->preparedHeaders, 0);
    }
    // 8000 Hz, 8-bit, mono PCM.
    const WaveFormat& f = script->openedFormat;
    EXPECT_EQ(f.formatTag, 1);
    EXPECT_EQ(f.channels, 1);
    EXPECT_EQ(f.samplesPerSec, 8000u);
    EXPECT_EQ(f.bitsPerSample, 8);
    EXPECT_EQ(f.blockAlign, 1);
    EXPECT_EQ(f.avgBytesPerSec, 8000u);
    EXPECT_EQ(f.cbSize, 0);
}

struct LoudCase {
    std::string name;
    bool recordingBefore;  // a silent reading with sound on the recording line came first
};

void PrintTo(const LoudCase& c, std::ostream* os) { *os << c.name; }

class AudioLevelWhilePlaybackSounds : public ::testing::TestWithParam<LoudCase> {};

TEST_P(AudioLevelWhilePlaybackSounds, NoRecordingIsStartedOrStopped) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    if (GetParam().recordingBefore) {
        script->outReadings.push_back(0);
        script->inReadings.push_back(300);
    }
    for (std::int32_t v : {500, 600, 1, 32767}) script->outReadings.push_back(v);
    auto meter = MeterOver(script);

    if (GetParam().recordingBefore) {
        EXPECT_EQ(meter->GetLevel(), 300);
        ASSERT_TRUE(script->recording);
    }
    std::size_t mark = script->calls.size();
    for (vb::Long expected : {500, 600, 1, 32767}) EXPECT_EQ(meter->GetLevel(), expected);

    for (const std::string& call : CallsSince(*script, mark)) {
        EXPECT_FALSE(IsWaveInCall(call) || call == "NewBuffer" || call == "PollBuffer") << call;
    }
    EXPECT_EQ(script->recording, GetParam().recordingBefore);
    EXPECT_EQ(script->waveInOpen, GetParam().recordingBefore);
}

INSTANTIATE_TEST_SUITE_P(Recording, AudioLevelWhilePlaybackSounds,
                         ::testing::Values(LoudCase{"FromIdle", false}, LoudCase{"WhileRecording", true}),
                         [](const auto& info) { return info.param.name; });

TEST(AudioLevel, FilledBuffersAreHandedBackWhileTheRecordingMeterSounds) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->buffersFill = true;
    script->inReadings = {300, 310, 320};
    auto meter = MeterOver(script);

    meter->GetLevel();  // starts the recording; both buffers queued and then filled
    for (int i = 0; i < 2; ++i) {
        int added = script->Count("WaveInAddBuffer");
        EXPECT_GT(meter->GetLevel(), 0);
        EXPECT_EQ(script->Count("WaveInAddBuffer") - added, 2);
        EXPECT_EQ(script->queuedHeaders, 2);
        EXPECT_EQ(script->Count("WaveInOpen"), 1) << "the running recording is kept";
    }
}

struct OpenCase {
    std::string name;
    bool waveInOpens;
};

void PrintTo(const OpenCase& c, std::ostream* os) { *os << c.name; }

class AudioLevelRepeatedStarts : public ::testing::TestWithParam<OpenCase> {};

TEST_P(AudioLevelRepeatedStarts, CaptureBuffersDoNotAccumulate) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->waveInOpens = GetParam().waveInOpens;
    auto meter = MeterOver(script);

    for (int i = 0; i < 200; ++i) {
        EXPECT_EQ(meter->GetLevel(), 0);
        ASSERT_LE(script->BuffersAlive(), 2) << "after reading " << i;
        ASSERT_FALSE(script->waveInOpen);
    }
    EXPECT_EQ(script->Count("WaveInOpen"), 200) << "the open is retried at every silent reading";
    EXPECT_TRUE(platform.messages.empty()) << "a device that does not open is not reported";
    meter.reset();
    EXPECT_EQ(script->BuffersAlive(), 0);
}

INSTANTIATE_TEST_SUITE_P(Recording, AudioLevelRepeatedStarts,
                         ::testing::Values(OpenCase{"DeviceOpens", true}, OpenCase{"DeviceFailsToOpen", false}),
                         [](const auto& info) { return info.param.name; });

struct BufferFailureCase {
    std::string name;
    MMResult prepareResult, addResult;
    std::vector<MMResult> reported;  // the codes whose text is shown, in order
};

void PrintTo(const BufferFailureCase& c, std::ostream* os) { *os << c.name; }

class AudioLevelBufferFailures : public ::testing::TestWithParam<BufferFailureCase> {};

TEST_P(AudioLevelBufferFailures, ThePlatformsTextIsShownAndTheStartGoesOn) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->prepareResult = GetParam().prepareResult;
    script->addResult = GetParam().addResult;
    script->inReadings = {250};
    auto meter = MeterOver(script);

    EXPECT_EQ(meter->GetLevel(), 250);
    std::vector<std::string> expected;
    for (MMResult code : GetParam().reported) expected.push_back(ScriptedMixer::ErrorTextFor(code));
    EXPECT_EQ(platform.messages, expected);
    EXPECT_TRUE(script->recording) << "the recording was started all the same";
}

INSTANTIATE_TEST_SUITE_P(
    Recording, AudioLevelBufferFailures,
    ::testing::Values(
        // An unprepared buffer cannot be queued either: the device says so.
        BufferFailureCase{"PrepareFails", kMmNoMemory, kMmNoError,
                          {kMmNoMemory, kMmNoMemory, kWaveUnprepared, kWaveUnprepared}},
        BufferFailureCase{"AddFails", kMmNoError, kMmError, {kMmError, kMmError}},
        BufferFailureCase{"NothingFails", kMmNoError, kMmNoError, {}}),
    [](const auto& info) { return info.param.name; });

// ---- Initialisation and termination --------------------------------------

struct InitCase {
    std::string name;
    bool mixerOpens;
    std::set<MixerLine> missing;
    std::vector<std::string> messages;
};

void PrintTo(const InitCase& c, std::ostream* os) { *os << c.name; }

class AudioLevelInit : public ::testing::TestWithParam<InitCase> {};

TEST_P(AudioLevelInit, MissingDevicesAndMetersAreReportedOnce) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->mixerOpens = GetParam().mixerOpens;
    script->missingMeters = GetParam().missing;
    auto meter = MeterOver(script);

    EXPECT_EQ(platform.messages, GetParam().messages);
    for (int i = 0; i < 5; ++i) meter->GetLevel();
    EXPECT_EQ(platform.messages, GetParam().messages) << "readings add no messages";
}

INSTANTIATE_TEST_SUITE_P(
    Init, AudioLevelInit,
    ::testing::Values(
        InitCase{"Everything", true, {}, {}},
        InitCase{"NoMixer", false, {}, {"Couldn't open the mixer."}},
        InitCase{"MicrophoneInsteadOfWaveIn", true, {MixerLine::DstWaveIn}, {}},
        InitCase{"NoRecordingMeter",
                 true,
                 {MixerLine::DstWaveIn, MixerLine::SrcMicrophone},
                 {"Couldn't get wavein meter"}},
        InitCase{"NoPlaybackMeter", true, {MixerLine::SrcWaveOut}, {"Couldn't get waveout meter"}},
        InitCase{"NoMeterAtAll",
                 true,
                 {MixerLine::DstWaveIn, MixerLine::SrcMicrophone, MixerLine::SrcWaveOut},
                 {"Couldn't get wavein meter", "Couldn't get waveout meter"}}),
    [](const auto& info) { return info.param.name; });

TEST(AudioLevel, WithoutAMixerNoMeterIsLookedUpAndReadingsAreSilent) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->mixerOpens = false;
    script->outReadings = {1000, 2000};
    script->inReadings = {3000};
    auto meter = MeterOver(script);

    for (int i = 0; i < 3; ++i) EXPECT_EQ(meter->GetLevel(), 0);
    EXPECT_EQ(script->Count("FindMeter(SrcWaveOut)") + script->Count("FindMeter(DstWaveIn)") +
                  script->Count("FindMeter(SrcMicrophone)"),
              0);
    meter.reset();
    EXPECT_EQ(script->Count("CloseMixer"), 0) << "a mixer that did not open is not closed";
}

TEST(AudioLevel, MissingPlaybackMeterLeavesTheRecordingMeterInCharge) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->missingMeters = {MixerLine::SrcWaveOut};
    script->outReadings = {9000, 9000};  // never read: there is no such meter
    script->inReadings = {700, 0, 650};
    auto meter = MeterOver(script);

    EXPECT_EQ(meter->GetLevel(), 700);
    EXPECT_EQ(meter->GetLevel(), 0) << "the missing meter does not repeat an old value";
    EXPECT_EQ(meter->GetLevel(), 650);
    EXPECT_EQ(script->outReadings.size(), 2u);
}

TEST(AudioLevel, TerminationStopsARunningRecordingAndClosesTheMixer) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->outReadings = {0};
    script->inReadings = {300};
    auto meter = MeterOver(script);
    meter->GetLevel();
    ASSERT_TRUE(script->recording);
    ASSERT_EQ(script->BuffersAlive(), 2);

    std::size_t mark = script->calls.size();
    meter.reset();
    EXPECT_EQ(CallsSince(*script, mark),
              (std::vector<std::string>{"WaveInReset", "WaveInStop", "WaveInUnprepareHeader", "WaveInUnprepareHeader",
                                        "WaveInClose", "CloseMixer", "~ScriptedMixer"}));
    EXPECT_FALSE(script->recording);
    EXPECT_FALSE(script->waveInOpen);
    EXPECT_FALSE(script->mixerOpen);
    EXPECT_EQ(script->BuffersAlive(), 0);
}

TEST(AudioLevel, TerminationWithoutARecordingOnlyClosesTheMixer) {
    vb::HeadlessPlatform platform;
    auto script = std::make_shared<MixerScript>();
    script->outReadings = {800};
    auto meter = MeterOver(script);
    meter->GetLevel();

    std::size_t mark = script->calls.size();
    meter.reset();
    EXPECT_EQ(CallsSince(*script, mark), (std::vector<std::string>{"CloseMixer", "~ScriptedMixer"}));
}

}  // namespace
