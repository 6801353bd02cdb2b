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

// The tab strip's body as the pages show it: a picture of the tab control's
// client area (themed or classic, as the system draws it) in a pattern
// brush, laid from the tab control's origin in whatever window paints it.
struct Win32PageBody {
    HWND tabs = nullptr;
    HBITMAP picture = nullptr;
    HBRUSH brush = nullptr;  // null: the dialog has no tab strip
};

// The GDI objects the dialog's windows draw with. They outlive the windows.
class Win32DialogLook final {
public:
    Win32DialogLook() = default;
    ~Win32DialogLook();
    Win32DialogLook(const Win32DialogLook&) = delete;
    Win32DialogLook& operator=(const Win32DialogLook&) = delete;

    HFONT font = nullptr;  // the dialog font at its DPI, in the size CaptionFit chose
    Win32PageBody pageBody;
};

// Creates a child window for every control inside `dialog`, placed by the
// layout's twips divided by twipsPerPixel (1440 / DPI: any DPI), in the
// dialog font at the size at which every caption fits (FitCaptionPoints,
// measured with GetTextExtentPoint32 at that DPI); attaches a view to each
// control, and fills `routes`. The pages and the frames on them show the
// tab strip's body. Views stop touching the windows once *alive is false.
std::unique_ptr<Win32DialogLook> BuildWin32DialogControls(HWND dialog, DialogControls& controls,
                                                          double twipsPerPixel, const std::shared_ptr<bool>& alive,
                                                          Win32DialogRoutes& routes);

// The window class of a frame: a container that hands its children's
// messages to its parent.
const wchar_t* FrameWindowClass();

}  // namespace vb
