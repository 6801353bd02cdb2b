#pragma once
// The peak meters of Core Audio (Windows Vista and later): the
// IAudioMeterInformation of the default render endpoint (what the computer
// plays) and of the default capture endpoint (the recording). A change of
// either default is followed: IMMNotificationClient raises a flag on its own
// thread, and the next reading on the user-interface thread takes the new
// endpoint's meter.
//
// On a system whose endpoints have no meter (Wine), or with no endpoint at
// all, the meters are simply absent and the caller falls back to others.

#include <cstdint>
#include <memory>

class CoreAudioMeters final {
public:
    enum class Flow { Render, Capture };

    CoreAudioMeters();
    ~CoreAudioMeters();
    CoreAudioMeters(const CoreAudioMeters&) = delete;
    CoreAudioMeters& operator=(const CoreAudioMeters&) = delete;

    // True when the device enumerator could be created (COM works and the
    // system has Core Audio).
    bool Available() const;
    // True when the default endpoint of this flow has a peak meter now.
    bool HasMeter(Flow flow);
    // The meter's peak as a value 0..32767; false when there is no meter or
    // the reading failed (the endpoint went away).
    bool Read(Flow flow, std::int32_t& value);

private:
    struct Impl;
    std::unique_ptr<Impl> m;
};
