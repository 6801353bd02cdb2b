#pragma once
// One peak meter: a peak-detecting record stream on a source. The server
// sends one peak (the largest sample it saw) every 20 ms instead of the
// samples themselves; each peak goes into a MeterPeaks store, and nothing
// else of the sound is kept.
//
// Every member is called in the main loop's thread or with its lock held.

#include <pulse/pulseaudio.h>

#include <functional>
#include <string>

#include "audio/MeterPeaks.h"

class PulseMeterStream {
public:
    enum class Suspend { Inhibit, Allow };

    // `onFailed` runs (lock held) when the server ends the stream, `onReady`
    // when a stream starts delivering.
    PulseMeterStream(const char* name, Suspend suspend, MeterPeaks& peaks, std::function<void()> onFailed,
                     std::function<void()> onReady = {});
    ~PulseMeterStream();
    PulseMeterStream(const PulseMeterStream&) = delete;
    PulseMeterStream& operator=(const PulseMeterStream&) = delete;

    // Starts metering `source`, replacing any earlier stream. False when the
    // stream could not be created.
    bool Connect(pa_context* context, const std::string& source);
    // Ends the stream and forgets its peaks.
    void Disconnect();

    // True from Connect until Disconnect or a failure.
    bool Alive() const { return mStream != nullptr; }
    const std::string& Source() const { return mSource; }

private:
    static void OnRead(pa_stream* stream, std::size_t bytes, void* self);
    static void OnState(pa_stream* stream, void* self);
    // The state callback of a stream given up while the server had not yet
    // answered its connect; it owns the stream's last reference.
    static void OnAbandonedState(pa_stream* stream, void* unused);

    const char* mName;
    Suspend mSuspend;
    MeterPeaks& mPeaks;
    std::function<void()> mOnFailed;
    std::function<void()> mOnReady;
    pa_stream* mStream = nullptr;
    std::string mSource;
};
