#pragma once
// Makes the native controls of a dialog from its layout data, each bound to
// its portable control: a view (ControlView) shows the control's state in the
// native control, and the messages the controls send go to the control's
// User... methods through the routes built here (Win32ButtonBinding,
// Win32ScrollBarBinding, Win32TabStripBinding).

#include "runtime/win32/Win32Api.h"

#include <functional>
#include <map>
#include <memory>

namespace vb {

class DialogControls;

// What the dialog's window procedure hands on, found by control id (command
// messages) or by the sending window (scroll bars, the tab strip).
struct Win32DialogRoutes {
    std::map<int, std::function<void()>> clicks;
    // WM_HSCROLL's request (SB_...) and, for the thumb, its position.
    std::map<HWND, std::function<void(int request, int position)>> scrolls;
    std::map<HWND, std::function<void()>> tabChanges;          // TCN_SELCHANGE
    int defaultId = 0;                                          // 0: no default button
};

// Creates a child window for every control inside `dialog`, placed by the
// layout's twips divided by twipsPerPixel, in `font`; attaches a view to
// each control, and fills `routes`. Views stop touching the windows once
// *alive is false.
void BuildWin32DialogControls(HWND dialog, DialogControls& controls, double twipsPerPixel, HFONT font,
                              const std::shared_ptr<bool>& alive, Win32DialogRoutes& routes);

// The window class of a frame: a container that hands its children's
// messages to its parent.
const wchar_t* FrameWindowClass();

}  // namespace vb
