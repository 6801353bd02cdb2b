#pragma once
// A window the program draws on, as a WindowBackend: the full-screen saver
// window or the preview window.
//
// Implemented:
//  - full screen: a borderless, topmost popup covering the start monitor,
//    black, with no pointer over it and no task-bar button; shown, it takes
//    the keyboard focus;
//  - full screen on another monitor (WindowSpec::monitor): the same popup
//    over that monitor's rectangle, in its own pixels; neither showing it
//    nor a click on it takes the activation or the focus from the saver's
//    window;
//  - otherwise (the preview): a caption with a close box, no resizing
//    border, owned by the hidden application window (so no task-bar button);
//  - key presses (WM_KEYDOWN, WM_SYSKEYDOWN) and pointer moves go to the
//    program's handlers; the close box asks the program, which decides;
//  - drawing on the window's own device context (Win32Canvas);
//  - a change of the display it hears goes to the monitor watch
//    (MonitorsMayHaveChanged).
// Not implemented: following a DPI change of its monitor (the size stays
// the monitor's; the pen and the twips stay those the window opened with).

#include "runtime/win32/Win32Api.h"

#include "runtime/WindowBackend.h"
#include "runtime/win32/Win32Canvas.h"

namespace vb {

class Win32DrawingWindow final : public WindowBackend {
public:
    Win32DrawingWindow(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale);
    ~Win32DrawingWindow() override;
    Win32DrawingWindow(const Win32DrawingWindow&) = delete;
    Win32DrawingWindow& operator=(const Win32DrawingWindow&) = delete;

    void Show() override;
    void SendToBack() override;
    void BringToFront() override;
    PixelRect Geometry() const override;
    void SetGeometry(const PixelRect& outer) override;
    Canvas& Surface() override { return mCanvas; }

    HWND Handle() const { return mHwnd; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void SyncCanvasSize();

    WindowSpec mSpec;
    WindowEvents* mEvents;
    Win32Canvas mCanvas;
    HWND mHwnd = nullptr;
    HDC mDc = nullptr;
};

}  // namespace vb
