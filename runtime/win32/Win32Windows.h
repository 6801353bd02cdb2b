#pragma once
// What the Win32 backend's windows share: the module instance, the
// application's icon, the hidden window that owns every other window (owned
// windows get no task-bar button of their own, as the program's windows
// should have none), the monitor the program starts on with its DPI, and
// the watch on the desk's monitors.

#include "runtime/win32/Win32Api.h"

#include <vector>

#include "runtime/WindowBackend.h"
#include "runtime/base/Units.h"

namespace vb {

class Platform;

HINSTANCE ModuleInstance();
// The icon of the program file (resource 1), large and small; the system's
// application icon when the file has none.
HICON AppIcon(bool small);
// The hidden owner window; created on first use.
HWND AppOwnerWindow();

// The monitor the program's windows open on: the primary one.
HMONITOR StartMonitor();
// Its dots per inch (96 at 100%, 144 at 150%, 192 at 200%).
UINT MonitorDpi(HMONITOR monitor);
// Its size in pixels and its twips per pixel (1440 / DPI).
ScreenMetrics MonitorMetrics(HMONITOR monitor);
// The desk's monitors in physical pixels (the process is per-monitor DPI
// aware), the primary first; the screen when none can be listed.
std::vector<PixelRect> DeskMonitors();

// The platform told when the desk's monitors change (nullptr: none). The
// hidden owner window hears the system's broadcast (WM_DISPLAYCHANGE); the
// platform is told once, on this thread, kMonitorsSettleMs after the last of
// a burst of changes.
void TellMonitorChangesTo(Platform* platform);
// A window of the program heard that the monitors may have changed.
void MonitorsMayHaveChanged();
constexpr UINT kMonitorsSettleMs = 200;

// Registers a window class of this module once; returns its name.
const wchar_t* EnsureWindowClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background);

// Outer window size for a client area, for this style and DPI.
SIZE OuterSizeFor(SIZE client, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace vb
