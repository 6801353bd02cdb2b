#include "audio/pulse/PulseMeterStream.h"

#include <algorithm>
#include <cstring>

namespace {

// One float a fragment at 50 frames a second: a peak every 20 ms.
constexpr std::uint32_t kPeakRate = 50;
constexpr pa_sample_spec kPeakFormat = {PA_SAMPLE_FLOAT32NE, kPeakRate, 1};

}  // namespace

PulseMeterStream::PulseMeterStream(const char* name, Suspend suspend, MeterPeaks& peaks,
                                   std::function<void()> onFailed, std::function<void()> onReady)
    : mName(name), mSuspend(suspend), mPeaks(peaks), mOnFailed(std::move(onFailed)), mOnReady(std::move(onReady)) {}

PulseMeterStream::~PulseMeterStream() { Disconnect(); }

bool PulseMeterStream::Connect(pa_context* context, const std::string& source) {
    Disconnect();
    if (!context || source.empty()) return false;

    pa_stream* stream = pa_stream_new(context, mName, &kPeakFormat, nullptr);
    if (!stream) return false;
    pa_stream_set_read_callback(stream, OnRead, this);
    pa_stream_set_state_callback(stream, OnState, this);

    pa_buffer_attr attr;
    std::memset(&attr, 0xff, sizeof attr);  // server defaults for everything but the fragment
    attr.fragsize = sizeof(float);
    // The meter follows the defaults itself, so the server must not move the
    // stream elsewhere behind its back.
    auto flags = pa_stream_flags_t(PA_STREAM_PEAK_DETECT | PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (mSuspend == Suspend::Allow) flags = pa_stream_flags_t(flags | PA_STREAM_DONT_INHIBIT_AUTO_SUSPEND);
    if (pa_stream_connect_record(stream, source.c_str(), &attr, flags) < 0) {
        pa_stream_set_read_callback(stream, nullptr, nullptr);
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        return false;
    }
    mStream = stream;
    mSource = source;
    return true;
}

void PulseMeterStream::Disconnect() {
    if (mStream) {
        pa_stream_set_read_callback(mStream, nullptr, nullptr);
        if (pa_stream_get_state(mStream) == PA_STREAM_CREATING) {
            // libpulse cannot end a stream the server has not answered yet,
            // and dropping it would leave it recording on the server for as
            // long as the connection lasts: it ends itself once the answer
            // comes (or the connection goes).
            pa_stream_set_state_callback(mStream, OnAbandonedState, nullptr);
        } else {
            pa_stream_set_state_callback(mStream, nullptr, nullptr);
            // Fails harmlessly when the server already ended the stream.
            pa_stream_disconnect(mStream);
            pa_stream_unref(mStream);
        }
        mStream = nullptr;
    }
    mSource.clear();
    mPeaks.Clear();
}

void PulseMeterStream::OnRead(pa_stream* stream, std::size_t, void* data) {
    auto* self = static_cast<PulseMeterStream*>(data);
    float highest = 0;
    bool any = false;
    // The server does not always honour the one-float fragment: take the
    // largest peak of everything that is waiting.
    while (pa_stream_readable_size(stream) > 0) {
        const void* bytes = nullptr;
        std::size_t length = 0;
        if (pa_stream_peek(stream, &bytes, &length) < 0 || length == 0) break;
        if (bytes) {
            const auto* at = static_cast<const char*>(bytes);
            for (std::size_t i = 0; i + sizeof(float) <= length; i += sizeof(float)) {
                float peak;
                std::memcpy(&peak, at + i, sizeof peak);
                highest = std::max(highest, peak);
                any = true;
            }
        }
        pa_stream_drop(stream);
    }
    if (any) self->mPeaks.Add(highest, MeterPeaks::Clock::now());
}

void PulseMeterStream::OnState(pa_stream* stream, void* data) {
    auto* self = static_cast<PulseMeterStream*>(data);
    pa_stream_state_t state = pa_stream_get_state(stream);
    if (state == PA_STREAM_READY && self->mOnReady) self->mOnReady();
    if (state != PA_STREAM_FAILED && state != PA_STREAM_TERMINATED) return;
    self->Disconnect();
    if (self->mOnFailed) self->mOnFailed();
}

void PulseMeterStream::OnAbandonedState(pa_stream* stream, void*) {
    switch (pa_stream_get_state(stream)) {
    case PA_STREAM_READY:
        pa_stream_disconnect(stream);  // comes back as TERMINATED
        break;
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        pa_stream_set_state_callback(stream, nullptr, nullptr);
        pa_stream_unref(stream);
        break;
    default:
        break;
    }
}
