#pragma once
// How the user's use of a Win32 scroll bar reaches the portable ScrollBar:
// arrow and trough clicks, keys and the thumb's drag and release become the
// control's User... calls, and the bar then shows the thumb where the control
// puts it. A drag is reported as the thumb moves and once at its release,
// where the portable control decides on its one Change.

#include "runtime/win32/Win32Api.h"

#include <memory>

namespace vb {

class ScrollBar;
struct Win32DialogRoutes;

// Binds `bar`, a horizontal scroll bar control, to `control`: sets its range
// and position, takes its keys (the native mapping never runs for a key the
// control takes), routes its WM_HSCROLL requests through `routes` and
// attaches the view, which stops touching the bar once *alive is false.
void BindWin32ScrollBar(ScrollBar& control, HWND bar, const std::shared_ptr<bool>& alive,
                        Win32DialogRoutes& routes);

}  // namespace vb
