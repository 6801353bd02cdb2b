#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "audio/WaveInQueue.h"

namespace {

// A device with nothing of its own: it opens with the scripted result and
// fills a queued buffer when the test says so.
class BareDevice final : public WaveInQueue {
public:
    MMResult openResult = kMmNoError;
    std::uint64_t filled = 0;
    int closes = 0;

    bool OpenMixer() override { return true; }
    void CloseMixer() override {}
    bool FindMeter(MixerLine, MeterRecord&) override { return false; }
    bool ReadMeter(const MeterRecord&, std::int32_t&) override { return false; }
    void PollBuffer(WaveHeader& header) override {
        if (const auto mark = QueuedMark(header); mark && filled > *mark) Complete(header);
    }
    std::string WaveInErrorText(MMResult) override { return {}; }

protected:
    MMResult OpenDevice(const WaveFormat&) override { return openResult; }
    void DeviceClosed() override { ++closes; }
    std::uint64_t QueueMark() const override { return filled; }
};

// One step of a sequence: a call on header A or B (or the device), and the
// result it must give. "fill" has the device fill a buffer, "poll" polls.
struct Step {
    std::string call;
    MMResult result = kMmNoError;
};

struct SequenceRow {
    std::string name;
    MMResult openResult;
    std::vector<Step> steps;
    bool doneA;  // header A's done flag at the end
};

class WaveInQueueSequence : public ::testing::TestWithParam<SequenceRow> {};

TEST_P(WaveInQueueSequence, AnswersEachCallAsTheDeviceStands) {
    BareDevice device;
    device.openResult = GetParam().openResult;
    WaveHeader a, b;
    a.flags = b.flags = kWaveHeaderDone;
    for (const Step& step : GetParam().steps) {
        MMResult result = kMmNoError;
        const std::string& c = step.call;
        if (c == "open") result = device.WaveInOpen(WaveFormat{});
        else if (c == "prepare A") result = device.WaveInPrepareHeader(a);
        else if (c == "prepare B") result = device.WaveInPrepareHeader(b);
        else if (c == "add A") result = device.WaveInAddBuffer(a);
        else if (c == "add B") result = device.WaveInAddBuffer(b);
        else if (c == "start") result = device.WaveInStart();
        else if (c == "stop") result = device.WaveInStop();
        else if (c == "reset") result = device.WaveInReset();
        else if (c == "unprepare A") result = device.WaveInUnprepareHeader(a);
        else if (c == "unprepare B") result = device.WaveInUnprepareHeader(b);
        else if (c == "close") result = device.WaveInClose();
        else if (c == "fill") ++device.filled;
        else if (c == "poll A") device.PollBuffer(a);
        else FAIL() << "unknown step " << c;
        EXPECT_EQ(result, step.result) << "at step \"" << c << "\"";
    }
    EXPECT_EQ(bool(a.flags & kWaveHeaderDone), GetParam().doneA);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, WaveInQueueSequence,
    testing::Values(
        SequenceRow{"record_and_close", kMmNoError,
                    {{"open"}, {"prepare A"}, {"add A"}, {"start"}, {"fill"}, {"poll A"}, {"unprepare A"},
                     {"close"}},
                    true},
        SequenceRow{"every_call_before_open_is_an_invalid_handle", kMmNoError,
                    {{"prepare A", kMmInvalidHandle}, {"add A", kMmInvalidHandle}, {"start", kMmInvalidHandle},
                     {"stop", kMmInvalidHandle}, {"reset", kMmInvalidHandle}, {"unprepare A", kMmInvalidHandle},
                     {"close", kMmInvalidHandle}},
                    true},
        SequenceRow{"second_open_is_allocated", kMmNoError, {{"open"}, {"open", kMmAllocated}}, true},
        SequenceRow{"device_refusal_is_the_open_result", kMmBadDeviceId,
                    {{"open", kMmBadDeviceId}, {"prepare A", kMmInvalidHandle}, {"close", kMmInvalidHandle}}, true},
        SequenceRow{"unprepared_buffer_cannot_be_queued", kMmNoError,
                    {{"open"}, {"prepare A"}, {"add B", kWaveUnprepared}, {"close"}}, true},
        SequenceRow{"queued_buffer_is_still_playing", kMmNoError,
                    {{"open"}, {"prepare A"}, {"add A"}, {"unprepare A", kWaveStillPlaying},
                     {"close", kWaveStillPlaying}},
                    false},
        SequenceRow{"reset_hands_every_queued_buffer_back_done", kMmNoError,
                    {{"open"}, {"prepare A"}, {"prepare B"}, {"add A"}, {"add B"}, {"start"}, {"reset"},
                     {"unprepare A"}, {"unprepare B"}, {"close"}},
                    true},
        SequenceRow{"stop_keeps_buffers_queued", kMmNoError,
                    {{"open"}, {"prepare A"}, {"add A"}, {"start"}, {"stop"}, {"close", kWaveStillPlaying}}, false},
        SequenceRow{"a_buffer_is_filled_only_by_what_comes_after_it_was_queued", kMmNoError,
                    {{"open"}, {"fill"}, {"prepare A"}, {"add A"}, {"poll A"}, {"unprepare A", kWaveStillPlaying}},
                    false},
        SequenceRow{"close_forgets_prepared_headers", kMmNoError,
                    {{"open"}, {"prepare A"}, {"close"}, {"open"}, {"add A", kWaveUnprepared}}, true},
        SequenceRow{"requeue_clears_done", kMmNoError,
                    {{"open"}, {"prepare A"}, {"add A"}, {"fill"}, {"poll A"}, {"add A"}}, false}),
    [](const testing::TestParamInfo<SequenceRow>& info) { return info.param.name; });

TEST(WaveInQueue, ClosesTheDeviceOnlyWhenTheCloseSucceeds) {
    BareDevice device;
    WaveHeader a;
    device.WaveInOpen(WaveFormat{});
    device.WaveInPrepareHeader(a);
    device.WaveInAddBuffer(a);
    device.WaveInClose();
    EXPECT_EQ(device.closes, 0);
    EXPECT_TRUE(device.WaveInIsOpen());
    device.WaveInReset();
    device.WaveInClose();
    EXPECT_EQ(device.closes, 1);
    EXPECT_FALSE(device.WaveInIsOpen());
}

}  // namespace
