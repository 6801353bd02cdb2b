#pragma once
// The connection to the sound server: libpulse's threaded main loop, one
// context on it, the devices the meters listen to, and a fresh context in the
// background whenever the server goes away.
//
// Every callback of this file runs in the main loop's thread with the loop's
// lock held. Code on other threads takes the lock with PulseLock.

#include <pulse/pulseaudio.h>

#include <chrono>
#include <string>
#include <vector>

// The devices the meters listen to, as the server last described them.
struct PulseDevices {
    // The default output and its monitor source; empty when there is none.
    std::string playbackSink;
    std::string playbackMonitor;
    // What a recording made now would record: the default input when it is
    // a real (non-monitor) input, else the first real input, else the
    // default source even when it is a monitor, else the playback monitor,
    // else the first source; empty only when the server has no source.
    std::string recordingSource;
    // The default source is a real input.
    bool defaultIsInput = false;

    bool operator==(const PulseDevices&) const = default;
};

class PulseConnection {
public:
    struct Listener {
        virtual ~Listener() = default;
        // On connecting, and whenever the server's devices change.
        virtual void DevicesChanged(pa_context* context, const PulseDevices& devices) = 0;
        // The server went away: every stream of the old context is dead and
        // must be released now.
        virtual void ConnectionLost() = 0;
    };

    // How often a server that went away is looked for. A try costs one
    // failing connect() while it is gone.
    static constexpr std::chrono::milliseconds kReconnectInterval{100};

    enum class OpenResult {
        NoServer,    // nothing to connect to
        Ready,       // connected, and the devices are known
        Unanswered,  // the server took the connection but has not answered yet
    };

    explicit PulseConnection(Listener& listener);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Starts the main loop and connects to the default server, waiting at
    // most `timeout` for it and its device list. NoServer leaves nothing
    // running. Unanswered (a server that is stopped, or too busy to answer
    // in time) keeps the connection going in the background: the devices
    // arrive when the server answers. Not in the loop's thread.
    OpenResult Open(std::chrono::milliseconds timeout);
    // Disconnects and stops the loop. Not in the loop's thread.
    void Close();
    bool IsOpen() const { return mMainloop != nullptr; }

    pa_threaded_mainloop* Mainloop() const { return mMainloop; }
    pa_mainloop_api* Api() const { return pa_threaded_mainloop_get_api(mMainloop); }
    // The live context; null between a loss and the next connection.
    pa_context* Context() const { return mContext; }

    // Makes a null sink take up the latency its clients ask for now;
    // nothing happens to any other sink. Lock held.
    void RestartNullSink(const std::string& sink);

private:
    enum class OpenState { Pending, Ready, Failed, TimedOut };
    struct SourceEntry {
        std::string name;
        bool isMonitor;
    };

    bool Connect();
    void DropContext();
    void ScheduleReconnect();
    void Refresh();
    void RefreshStepDone();

    static void OnContextState(pa_context* context, void* self);
    static void OnSubscription(pa_context* context, pa_subscription_event_type_t type, std::uint32_t index,
                               void* self);
    static void OnServerInfo(pa_context* context, const pa_server_info* info, void* self);
    static void OnSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void OnSourceInfo(pa_context* context, const pa_source_info* info, int eol, void* self);
    static void OnReconnectTimer(pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv, void* self);
    static void OnRestartSinkInfo(pa_context* context, const pa_sink_info* info, int eol, void* self);
    static void OnOpenTimeout(pa_mainloop_api* api, pa_time_event* event, const struct timeval* tv, void* self);

    Listener& mListener;
    pa_threaded_mainloop* mMainloop = nullptr;
    pa_context* mContext = nullptr;
    pa_time_event* mReconnectTimer = nullptr;

    bool mOpening = false;
    OpenState mOpenState = OpenState::Pending;

    // The device query in flight: server info, then the default sink and
    // the source list.
    bool mRefreshing = false;
    bool mRefreshAgain = false;
    int mRefreshSteps = 0;
    std::string mDefaultSource;
    std::string mDefaultSink;
    std::string mMonitor;
    std::vector<SourceEntry> mSources;
    // The server named a default output it could not describe; the first
    // output stands in until it can.
    bool mDefaultSinkUnknown = false;
};

// Holds the main loop's lock for a scope. Never in the loop's own thread.
class PulseLock {
public:
    explicit PulseLock(pa_threaded_mainloop* mainloop) : mMainloop(mainloop) { pa_threaded_mainloop_lock(mMainloop); }
    ~PulseLock() { pa_threaded_mainloop_unlock(mMainloop); }
    PulseLock(const PulseLock&) = delete;
    PulseLock& operator=(const PulseLock&) = delete;

private:
    pa_threaded_mainloop* mMainloop;
};

// A wall-clock deadline `delay` from now, as the main loop's timers take it.
struct timeval PulseDeadline(std::chrono::microseconds delay);
