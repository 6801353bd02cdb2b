#include "audio/pulse/PulseConnection.h"

#include <cassert>

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

bool PulseConnection::Open(std::chrono::milliseconds timeout) {
    assert(!mMainloop && "the connection is already open");
    mMainloop = pa_threaded_mainloop_new();
    if (!mMainloop) return false;
    pa_threaded_mainloop_set_name(mMainloop, "gyrobloom-pulse");
    if (pa_threaded_mainloop_start(mMainloop) < 0) {
        pa_threaded_mainloop_free(mMainloop);
        mMainloop = nullptr;
        return false;
    }

    bool ready = false;
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
        ready = mOpenState == OpenState::Ready;
    }
    if (!ready) Close();
    return ready;
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
    if (self->mOpenState == OpenState::Pending) self->mOpenState = OpenState::Failed;
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
    if (facility == PA_SUBSCRIPTION_EVENT_SERVER ||
        ((facility == PA_SUBSCRIPTION_EVENT_SINK || facility == PA_SUBSCRIPTION_EVENT_SOURCE) &&
         kind != PA_SUBSCRIPTION_EVENT_CHANGE))
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
    self->mRefreshSteps = 2;
    const char* sink = info ? info->default_sink_name : nullptr;
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
    if (eol) {
        self->RefreshStepDone();
        return;
    }
    if (info && info->monitor_source_name) self->mMonitor = info->monitor_source_name;
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
    for (const SourceEntry& source : mSources) {
        if (source.name == mDefaultSource && !source.isMonitor) {
            devices.defaultIsInput = true;
            devices.recordingSource = source.name;
        }
    }
    if (!devices.defaultIsInput) {
        for (const SourceEntry& source : mSources) {
            if (!source.isMonitor) {
                devices.recordingSource = source.name;
                break;
            }
        }
    }

    mRefreshing = false;
    mListener.DevicesChanged(mContext, devices);
    if (mOpening && mOpenState == OpenState::Pending) {
        mOpenState = OpenState::Ready;
        pa_threaded_mainloop_signal(mMainloop, 0);
    }
    if (mRefreshAgain) Refresh();
}
