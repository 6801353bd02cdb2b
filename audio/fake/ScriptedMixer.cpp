#include "audio/fake/ScriptedMixer.h"

#include <algorithm>
#include <cassert>

namespace {

const char* LineName(MixerLine line) {
    switch (line) {
    case MixerLine::DstWaveIn: return "DstWaveIn";
    case MixerLine::SrcMicrophone: return "SrcMicrophone";
    case MixerLine::SrcWaveOut: return "SrcWaveOut";
    }
    return "unknown";
}

std::int32_t Next(std::deque<std::int32_t>& readings) {
    if (readings.empty()) return 0;
    std::int32_t value = readings.front();
    readings.pop_front();
    return value;
}

}  // namespace

int MixerScript::BuffersAlive() const {
    return int(std::count_if(buffers.begin(), buffers.end(), [](const auto& b) { return !b.expired(); }));
}

int MixerScript::Count(const std::string& call) const { return int(std::count(calls.begin(), calls.end(), call)); }

ScriptedMixer::ScriptedMixer(std::shared_ptr<MixerScript> script) : mScript(std::move(script)) {
    assert(mScript && "a scripted mixer needs a script");
    mScript->device = this;
}

ScriptedMixer::~ScriptedMixer() {
    Call("~ScriptedMixer");
    if (mScript->device == this) mScript->device = nullptr;
}

bool ScriptedMixer::OpenMixer() {
    Call("OpenMixer");
    mScript->mixerOpen = mScript->mixerOpens;
    return mScript->mixerOpen;
}

void ScriptedMixer::CloseMixer() {
    Call("CloseMixer");
    mScript->mixerOpen = false;
}

bool ScriptedMixer::FindMeter(MixerLine line, MeterRecord& meter) {
    Call((std::string("FindMeter(") + LineName(line) + ")").c_str());
    if (!mScript->mixerOpen || mScript->missingMeters.count(line)) return false;
    switch (line) {
    case MixerLine::SrcWaveOut: meter.controlId = kOutMeterId; break;
    case MixerLine::DstWaveIn: meter.controlId = kWaveInMeterId; break;
    case MixerLine::SrcMicrophone: meter.controlId = kMicrophoneMeterId; break;
    }
    meter.multipleItems = 0;
    return true;
}

bool ScriptedMixer::ReadMeter(const MeterRecord& meter, std::int32_t& value) {
    switch (meter.controlId) {
    case kOutMeterId:
        Call("ReadMeter(out)");
        if (!mScript->mixerOpen) return false;
        value = Next(mScript->outReadings);
        return true;
    case kWaveInMeterId:
    case kMicrophoneMeterId:
        Call("ReadMeter(in)");
        if (!mScript->mixerOpen) return false;
        value = Next(mScript->inReadings);
        return true;
    default:
        Call("ReadMeter(none)");
        return false;
    }
}

MMResult ScriptedMixer::Calling(WaveInCall call) {
    switch (call) {
    case WaveInCall::Open: Call("WaveInOpen"); break;
    case WaveInCall::PrepareHeader: Call("WaveInPrepareHeader"); return mScript->prepareResult;
    case WaveInCall::AddBuffer: Call("WaveInAddBuffer"); return mScript->addResult;
    case WaveInCall::Start: Call("WaveInStart"); break;
    case WaveInCall::Reset: Call("WaveInReset"); break;
    case WaveInCall::Stop: Call("WaveInStop"); break;
    case WaveInCall::UnprepareHeader: Call("WaveInUnprepareHeader"); break;
    case WaveInCall::Close: Call("WaveInClose"); break;
    }
    return kMmNoError;
}

MMResult ScriptedMixer::OpenDevice(const WaveFormat& format) {
    mScript->openedFormat = format;
    if (!mScript->waveInOpens) return kMmBadDeviceId;
    mScript->waveInOpen = true;
    return kMmNoError;
}

void ScriptedMixer::PollBuffer(WaveHeader& header) {
    Call("PollBuffer");
    if (mScript->buffersFill && mScript->recording) Complete(header);
}

std::string ScriptedMixer::WaveInErrorText(MMResult code) {
    Call("WaveInErrorText");
    return ErrorTextFor(code);
}

std::string ScriptedMixer::ErrorTextFor(MMResult code) {
    return "Scripted wave-input error " + std::to_string(code) + ".";
}

CaptureBuffer ScriptedMixer::NewBuffer(std::uint32_t bytes) {
    Call("NewBuffer");
    CaptureBuffer buffer = MixerWaveIn::NewBuffer(bytes);
    mScript->buffers.push_back(buffer);
    return buffer;
}
