#include "audio/pulse/PulseConnection.h"

#include <cassert>
#include <cstring>

namespace {

constexpr const char* kClientName = "Gyrobloom";

void Forget(pa_operation* operation) {
    if (operation) pa_operation_unref(operation);
}

}  // namespace

struct timeval PulseDeadline(std::chrono::microseconds delay) {
    struct timeval tv;
    pa_gettimeofday(&tv);
    pa_timeval_add(&tv, pa_usec_t(delay.count()));
    return tv;
}

PulseConnection::PulseConnection(Listener& listener) : mListener(listener) {}

PulseConnection::~PulseConnection() { Close(); }

PulseConnection::OpenResult PulseConnection::Open(std::chrono::milliseconds timeout) {
    assert(!mMainloop && "the connection is already open");
    mMainloop = pa_threaded_mainloop_new();
    if (!mMainloop) return OpenResult::NoServer;
    pa_threaded_mainloop_set_name(mMainloop, "gyrobloom-pulse");
    if (pa_threaded_mainloop_start(mMainloop) < 0) {
        pa_threaded_mainloop_free(mMainloop);
        mMainloop = nullptr;
        return OpenResult::NoServer;
    }

    OpenResult result = OpenResult::NoServer;
    {
        PulseLock lock(mMainloop);
        mOpening = true;
        mOpenState = OpenState::Pending;
        if (Connect()) {
            struct timeval deadline = PulseDeadline(timeout);
            pa_time_event* timer = Api()->time_new(Api(), &deadline, OnOpenTimeout, this);
            while (mOpenState == OpenState::Pending) pa_threaded_mainloop_wait(mMainloop);
            Api()->time_free(timer);
        }
        mOpening = false;
        if (mOpenState == OpenState::Ready) {
            result = OpenResult::Ready;
        } else if (mContext) {
            // Still no answer. A socket that took the connection means a
            // server is there (stopped, or swamped); one still connecting
            // after the whole wait does not.
            const pa_context_state_t state = pa_context_get_state(mContext);
            if (state == PA_CONTEXT_AUTHORIZING || state == PA_CONTEXT_SETTING_NAME || state == PA_CONTEXT_READY)
                result = OpenResult::Unanswered;
        }
    }
    if (result == OpenResult::NoServer) Close();
    return result;
}

void PulseConnection::Close() {
    if (!mMainloop) return;
    {
        PulseLock lock(mMainloop);
        if (mReconnectTimer) {
            Api()->time_free(mReconnectTimer);
            mReconnectTimer = nullptr;
        }
        DropContext();
    }
    pa_threaded_mainloop_stop(mMainloop);
    pa_threaded_mainloop_free(mMainloop);
    mMainloop = nullptr;
}

bool PulseConnection::Connect() {
    mContext = pa_context_new(Api(), kClientName);
    if (!mContext) return false;
    pa_context_set_state_callback(mContext, OnContextState, this);
    pa_context_set_subscribe_callback(mContext, OnSubscription, this);
    // No autospawn: a screen saver has no business starting a sound server.
    if (pa_context_connect(mContext, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        DropContext();
        return false;
    }
    return true;
}

void PulseConnection::DropContext() {
    mRefreshing = mRefreshAgain = false;
    mRefreshSteps = 0;
    if (!mContext) return;
    pa_context_set_state_callback(mContext, nullptr, nullptr);
    pa_context_set_subscribe_callback(mContext, nullptr, nullptr);
    pa_context_disconnect(mContext);
    pa_context_unref(mContext);
    mContext = nullptr;
}

void PulseConnection::ScheduleReconnect() {
    struct timeval deadline = PulseDeadline(kReconnectInterval);
    if (mReconnectTimer)
        Api()->time_restart(mReconnectTimer, &deadline);
    else
        mReconnectTimer = Api()->time_new(Api(), &deadline, OnReconnectTimer, this);
}

void PulseConnection::OnReconnectTimer(pa_mainloop_api* api, pa_time_event* event, const struct timeval*,
                                       void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    api->time_free(event);
    self->mReconnectTimer = nullptr;
    if (self->mContext) return;
    if (!self->Connect()) self->ScheduleReconnect();
}

void PulseConnection::OnOpenTimeout(pa_mainloop_api*, pa_time_event*, const struct timeval*, void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (self->mOpenState == OpenState::Pending) self->mOpenState = OpenState::TimedOut;
    pa_threaded_mainloop_signal(self->mMainloop, 0);
}

void PulseConnection::OnContextState(pa_context* context, void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (context != self->mContext) return;
    switch (pa_context_get_state(context)) {
    case PA_CONTEXT_READY:
        Forget(pa_context_subscribe(
            context, pa_subscription_mask_t(PA_SUBSCRIPTION_MASK_SERVER | PA_SUBSCRIPTION_MASK_SINK | PA_SUBSCRIPTION_MASK_SOURCE),
            nullptr, nullptr));
        self->Refresh();
        break;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        // The streams go first: they hold the context.
        self->mListener.ConnectionLost();
        self->DropContext();
        if (self->mOpening) {
            self->mOpenState = OpenState::Failed;
            pa_threaded_mainloop_signal(self->mMainloop, 0);
        } else {
            self->ScheduleReconnect();
        }
        break;
    default:
        break;
    }
}

void PulseConnection::OnSubscription(pa_context* context, pa_subscription_event_type_t type, std::uint32_t,
                                     void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (context != self->mContext) return;
    const auto facility = type & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
    const auto kind = type & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
    // A device's "change" comes with every volume step and state change; only
    // a new default or a device coming or going can move a meter.
    // While the default output is a name the server cannot describe, any
    // news of an output may mean it can now.
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER ||
        ((facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE) &&
         kind != PA_SUBSCRIPTION_EVENT_CHANGE) ||
        (facility == PA_SUBSCRIPTION_EVENT_SINK && self->mDefaultSinkUnknown))
        self->Refresh();
}

void PulseConnection::Refresh() {
    if (mRefreshing) {
        mRefreshAgain = true;
        return;
    }
    mRefreshing = true;
    mRefreshAgain = false;
    pa_operation* operation = pa_context_get_server_info(mContext, OnServerInfo, this);
    if (!operation) {
        mRefreshing = false;
        return;
    }
    pa_operation_unref(operation);
}

void PulseConnection::OnServerInfo(pa_context* context, const pa_server_info* info, void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (context != self->mContext || !self->mRefreshing) return;
    self->mDefaultSource = info && info->default_source_name ? info->default_source_name : "";
    self->mMonitor.clear();
    self->mSources.clear();
    self->mDefaultSinkUnknown = false;
    self->mRefreshSteps = 2;
    const char* sink = info ? info->default_sink_name : nullptr;
    self->mDefaultSink = sink ? sink : "";
    if (sink && *sink) {
        pa_operation* operation = pa_context_get_sink_info_by_name(context, sink, OnSinkInfo, self);
        if (operation)
            pa_operation_unref(operation);
        else
            --self->mRefreshSteps;
    } else {
        --self->mRefreshSteps;
    }
    pa_operation* operation = pa_context_get_source_info_list(context, OnSourceInfo, self);
    if (operation)
        pa_operation_unref(operation);
    else
        --self->mRefreshSteps;
    if (self->mRefreshSteps == 0) {
        self->mRefreshSteps = 1;
        self->RefreshStepDone();
    }
}

void PulseConnection::OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (context != self->mContext || !self->mRefreshing) return;
    if (eol < 0 && !self->mDefaultSinkUnknown) {
        // PipeWire tells a client that connected before its session manager
        // chose the defaults "@DEFAULT_SINK@" for some time after, and cannot
        // describe that name. The music plays on a real output meanwhile:
        // the outputs are listed, and the first one stands in until the
        // server names the default.
        self->mDefaultSinkUnknown = true;
        pa_operation* operation = pa_context_get_sink_info_list(context, OnSinkInfo, self);
        if (operation) {
            pa_operation_unref(operation);
            return;
        }
    }
    if (eol) {
        self->RefreshStepDone();
        return;
    }
    if (!info || (self->mDefaultSinkUnknown && !self->mMonitor.empty())) return;
    if (info->monitor_source_name) self->mMonitor = info->monitor_source_name;
    // The server answers for a name that stands for the default (PipeWire's
    // "@DEFAULT_SINK@") with the sink itself.
    if (info->name) self->mDefaultSink = info->name;
}

void PulseConnection::OnSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (context != self->mContext || !self->mRefreshing) return;
    if (eol) {
        self->RefreshStepDone();
        return;
    }
    if (info && info->name)
        self->mSources.push_back({info->name, info->monitor_of_sink != PA_INVALID_INDEX});
}

void PulseConnection::RefreshStepDone() {
    if (--mRefreshSteps > 0) return;

    PulseDevices devices;
    devices.playbackMonitor = mMonitor;
    if (!mMonitor.empty()) devices.playbackSink = mDefaultSink;
    const SourceEntry* defaultSource = nullptr;
    const SourceEntry* firstInput = nullptr;
    const SourceEntry* playbackMonitor = nullptr;
    for (const SourceEntry& source : mSources) {
        if (source.name == mDefaultSource) defaultSource = &source;
        if (!source.isMonitor && !firstInput) firstInput = &source;
        if (source.name == mMonitor) playbackMonitor = &source;
    }
    // The order a recording program follows: a microphone when there is one,
    // otherwise whatever the server records by default, monitor or not.
    const SourceEntry* recording = nullptr;
    if (defaultSource && !defaultSource->isMonitor) {
        recording = defaultSource;
        devices.defaultIsInput = true;
    } else if (firstInput) {
        recording = firstInput;
    } else if (defaultSource) {
        recording = defaultSource;
    } else if (playbackMonitor) {
        recording = playbackMonitor;
    } else if (!mSources.empty()) {
        recording = &mSources.front();
    }
    if (recording) devices.recordingSource = recording->name;

    mRefreshing = false;
    mListener.DevicesChanged(mContext, devices);
    if (mOpening && mOpenState == OpenState::Pending) {
        mOpenState = OpenState::Ready;
        pa_threaded_mainloop_signal(mMainloop, 0);
    }
    if (mRefreshAgain) Refresh();
}

// A null sink renders ahead in blocks as long as the longest latency its
// clients allowed when the block began (2 s when nobody asks), and takes up a
// shorter one only after the block under way: a meter stream that asks for
// 20 ms on such a sink waits up to 2 s for its first peak, whether or not a
// player just asked for less too. Suspending and resuming it starts it again
// at the latency asked for. A null sink plays to nobody, so nobody hears it.
void PulseConnection::RestartNullSink(const std::string& sink) {
    if (!mContext || sink.empty()) return;
    Forget(pa_context_get_sink_info_by_name(mContext, sink.c_str(), OnRestartSinkInfo, this));
}

void PulseConnection::OnRestartSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* data) {
    auto* self = static_cast<PulseConnection*>(data);
    if (context != self->mContext || eol || !info || !info->driver || !info->name) return;
    if (!std::strstr(info->driver, "null-sink")) return;
    Forget(pa_context_suspend_sink_by_name(context, info->name, 1, nullptr, nullptr));
    Forget(pa_context_suspend_sink_by_name(context, info->name, 0, nullptr, nullptr));
}
