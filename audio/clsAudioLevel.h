#pragma once
// The audio level meter: how loud the computer's sound is, from the peak
// meters of the sound system's mixer (playback first; in silence, a recording
// and the recording meter). From the readings it keeps a running maximum that
// decays by 20 a reading (MaxValue), a peak flag and a tempo-change flag.

#include <memory>

#include "runtime/base/VbTypes.h"

class MixerWaveIn;

class clsAudioLevel {
public:
    // Opens the mixer and finds the meters; reports a missing mixer or meter
    // in a message box and goes on without it.
    explicit clsAudioLevel(std::unique_ptr<MixerWaveIn> layer);
    // Stops a running recording and closes the mixer.
    ~clsAudioLevel();
    clsAudioLevel(const clsAudioLevel&) = delete;
    clsAudioLevel& operator=(const clsAudioLevel&) = delete;

    // True when the running maximum moved since it was last read; reading
    // clears it.
    bool TempoChange();
    // True when the latest reading reached the running maximum.
    bool Peak() const;
    vb::Integer MaxValue() const;
    // One reading: the device's peak value as the layer reports it, 0..32767
    // for the meters the program knows. A larger value (or a negative one) is
    // returned as it is, not clipped; it counts as a peak, and one that does
    // not fit an Integer leaves the running maximum as it was. Never raises.
    vb::Long GetLevel();

private:
    struct State;
    std::unique_ptr<State> m;
};
