// The Windows program, Gyrobloom.scr: the portable screen saver on the Win32
// backend, with its meter on Core Audio and the Windows multimedia calls.
// "/s" (or nothing) runs the saver, "/c" (or "/c:<window>") the settings
// dialog; "/p <window>", "/a" and any other switch end it at once.

#include "runtime/win32/Win32Api.h"

#include <memory>

#include "audio/win32/Win32MixerWaveIn.h"
#include "runtime/Platform.h"
#include "runtime/base/RuntimeError.h"
#include "runtime/win32/RegistrySettingsStore.h"
#include "runtime/win32/Win32Platform.h"
#include "startup/modSubs.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    vb::Win32Platform platform(std::make_unique<vb::RegistrySettingsStore>());
    vb::InstallPlatform(&platform);
    modSubs::SetMixerFactory([] { return CreateWin32MixerWaveIn(); });

    // Main ends the process itself; an error it does not handle ends the run
    // with the standard report, as one raised in a window's handler does.
    vb::ReportingProgramErrors([] { modSubs::Main(); });
    return 0;  // not reached: Main and the error report both end the process
}
