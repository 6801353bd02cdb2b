#pragma once
// The peak meters of the Windows multimedia mixer: the PEAKMETER control of
// a line of mixer device 0, found by the line's component type. Windows
// Vista and later (and Wine) have no such controls; Windows XP drivers had
// them.

#include <cstdint>

#include "audio/MixerWaveIn.h"

class WinmmMixerMeters final {
public:
    WinmmMixerMeters() = default;
    ~WinmmMixerMeters();
    WinmmMixerMeters(const WinmmMixerMeters&) = delete;
    WinmmMixerMeters& operator=(const WinmmMixerMeters&) = delete;

    // mixerOpen on device 0; false when there is no mixer.
    bool Open();
    void Close();
    bool IsOpen() const { return mMixer != 0; }

    // The PEAKMETER control of the line of this type: its control id and
    // item count. False when the line or its meter does not exist.
    bool Find(MixerLine line, std::uint32_t& controlId, std::uint32_t& multipleItems);
    // The control's signed value; false when the request fails.
    bool Read(std::uint32_t controlId, std::uint32_t multipleItems, std::int32_t& value);

private:
    std::uintptr_t mMixer = 0;  // HMIXER
};
