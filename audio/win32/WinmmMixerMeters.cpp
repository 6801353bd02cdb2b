#include "audio/win32/WinmmMixerMeters.h"

#include "runtime/win32/Win32Api.h"
#include <mmsystem.h>

namespace {
HMIXEROBJ Object(std::uintptr_t mixer) { return reinterpret_cast<HMIXEROBJ>(mixer); }
}  // namespace

WinmmMixerMeters::~WinmmMixerMeters() { Close(); }

bool WinmmMixerMeters::Open() {
    if (mMixer) return true;
    HMIXER mixer = nullptr;
    if (mixerOpen(&mixer, 0, 0, 0, 0) != MMSYSERR_NOERROR) return false;
    mMixer = reinterpret_cast<std::uintptr_t>(mixer);
    return true;
}

void WinmmMixerMeters::Close() {
    if (!mMixer) return;
    mixerClose(reinterpret_cast<HMIXER>(mMixer));
    mMixer = 0;
}

bool WinmmMixerMeters::Find(MixerLine line, std::uint32_t& controlId, std::uint32_t& multipleItems) {
    if (!mMixer) return false;
    MIXERLINEA info{};
    info.cbStruct = sizeof(info);
    info.dwComponentType = DWORD(line);
    if (mixerGetLineInfoA(Object(mMixer), &info, MIXER_GETLINEINFOF_COMPONENTTYPE) != MMSYSERR_NOERROR) return false;

    MIXERCONTROLA control{};
    control.cbStruct = sizeof(control);
    MIXERLINECONTROLSA query{};
    query.cbStruct = sizeof(query);
    query.dwLineID = info.dwLineID;
    query.dwControlType = MIXERCONTROL_CONTROLTYPE_PEAKMETER;
    query.cControls = 1;
    query.cbmxctrl = sizeof(control);
    query.pamxctrl = &control;
    if (mixerGetLineControlsA(Object(mMixer), &query, MIXER_GETLINECONTROLSF_ONEBYTYPE) != MMSYSERR_NOERROR)
        return false;
    controlId = control.dwControlID;
    multipleItems = control.cMultipleItems;
    return true;
}

bool WinmmMixerMeters::Read(std::uint32_t controlId, std::uint32_t multipleItems, std::int32_t& value) {
    if (!mMixer) return false;
    MIXERCONTROLDETAILS_SIGNED reading{};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof(details);
    details.dwControlID = controlId;
    details.cChannels = 1;
    details.cMultipleItems = multipleItems;
    details.cbDetails = sizeof(reading);
    details.paDetails = &reading;
    if (mixerGetControlDetailsA(Object(mMixer), &details, MIXER_GETCONTROLDETAILSF_VALUE) != MMSYSERR_NOERROR)
        return false;
    value = std::int32_t(reading.lValue);
    return true;
}
