#include "runtime/win32/Win32DrawingWindow.h"

#include <windowsx.h>

#include <cassert>

#include "runtime/Platform.h"
#include "runtime/win32/Win32Input.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {
namespace {

constexpr const wchar_t* kClassName = L"GyrobloomDrawing";
constexpr int kInitialSize = 100;
constexpr DWORD kPreviewStyle = WS_POPUP | WS_CAPTION | WS_CLIPCHILDREN;

DWORD StyleFor(const WindowSpec& spec) {
    if (spec.fullScreen) return WS_POPUP | WS_CLIPCHILDREN;
    DWORD style = kPreviewStyle;
    if (spec.controlBox) style |= WS_SYSMENU;
    return style;
}

DWORD ExStyleFor(const WindowSpec& spec) {
    DWORD exStyle = 0;
    if (spec.fullScreen) exStyle |= WS_EX_TOPMOST;
    // A tool window gets no task-bar button even without an owner.
    if (!spec.showInTaskbar && spec.fullScreen) exStyle |= WS_EX_TOOLWINDOW;
    if (spec.showInTaskbar) exStyle |= WS_EX_APPWINDOW;
    return exStyle;
}

// The rectangle a full-screen window covers: the monitor its spec names, or
// the start monitor. The process is per-monitor DPI aware, so both are in
// that monitor's own pixels, and a window made there takes its DPI.
RECT CoveredRect(const WindowSpec& spec) {
    if (spec.monitor.width > 0) {
        const PixelRect& m = spec.monitor;
        return RECT{m.left, m.top, m.left + m.width, m.top + m.height};
    }
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(StartMonitor(), &info)) return info.rcMonitor;
    return RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

// A full-screen window of another monitor shows what the saver's own window
// shows; the saver's window keeps the activation and the keyboard.
bool ShowsAnotherMonitor(const WindowSpec& spec) { return spec.fullScreen && spec.monitor.width > 0; }

}  // namespace

Win32DrawingWindow::Win32DrawingWindow(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale)
    : mSpec(spec), mEvents(&events), mCanvas(scale, spec.backColor) {
    // An own device context keeps the pen and colours between lines.
    const wchar_t* cls = EnsureWindowClass(kClassName, WindowProc, CS_OWNDC, nullptr);
    // The form places a preview window itself before showing it.
    RECT at{0, 0, kInitialSize, kInitialSize};
    if (spec.fullScreen) at = CoveredRect(spec);
    const int width = at.right - at.left;
    const int height = at.bottom - at.top;
    HWND owner = spec.showInTaskbar ? nullptr : AppOwnerWindow();
    mHwnd = CreateWindowExW(ExStyleFor(spec), cls, Widen(spec.caption).c_str(), StyleFor(spec), at.left, at.top,
                            width, height, owner, nullptr, ModuleInstance(), this);
    assert(mHwnd && "the drawing window could not be created");
    mDc = GetDC(mHwnd);
    SetBkMode(mDc, OPAQUE);
    RECT client{};
    GetClientRect(mHwnd, &client);
    mCanvas.Bind(mDc, SIZE{client.right, client.bottom});
}

Win32DrawingWindow::~Win32DrawingWindow() {
    if (!mHwnd) return;
    mCanvas.Bind(nullptr, SIZE{0, 0});
    SetWindowLongPtrW(mHwnd, GWLP_USERDATA, 0);
    ReleaseDC(mHwnd, mDc);
    DestroyWindow(mHwnd);
}

void Win32DrawingWindow::Show() {
    if (ShowsAnotherMonitor(mSpec)) {
        const RECT screen = CoveredRect(mSpec);
        SetWindowPos(mHwnd, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                     screen.bottom - screen.top, SWP_SHOWWINDOW | SWP_NOACTIVATE);
    } else if (mSpec.fullScreen) {
        const RECT screen = CoveredRect(mSpec);
        SetWindowPos(mHwnd, HWND_TOPMOST, screen.left, screen.top, screen.right - screen.left,
                     screen.bottom - screen.top, SWP_SHOWWINDOW);
        SetForegroundWindow(mHwnd);
        SetFocus(mHwnd);
    } else {
        ShowWindow(mHwnd, SW_SHOWNA);
    }
    UpdateWindow(mHwnd);
}

void Win32DrawingWindow::SendToBack() {
    SetWindowPos(mHwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32DrawingWindow::BringToFront() {
    const UINT activation = ShowsAnotherMonitor(mSpec) ? SWP_NOACTIVATE : 0;
    SetWindowPos(mHwnd, mSpec.fullScreen ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | activation);
}

PixelRect Win32DrawingWindow::Geometry() const {
    RECT outer{};
    GetWindowRect(mHwnd, &outer);
    return {int(outer.left), int(outer.top), int(outer.right - outer.left), int(outer.bottom - outer.top)};
}

void Win32DrawingWindow::SetGeometry(const PixelRect& outer) {
    SetWindowPos(mHwnd, nullptr, outer.left, outer.top, outer.width, outer.height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    SyncCanvasSize();
}

void Win32DrawingWindow::SyncCanvasSize() {
    RECT client{};
    GetClientRect(mHwnd, &client);
    mCanvas.Resize(SIZE{client.right, client.bottom});
}

LRESULT CALLBACK Win32DrawingWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<Win32DrawingWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
    if (!self->mHwnd) self->mHwnd = hwnd;
    return self->Handle(message, wParam, lParam);
}

LRESULT Win32DrawingWindow::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND: {
        RECT client{};
        GetClientRect(mHwnd, &client);
        mCanvas.Erase(reinterpret_cast<HDC>(wParam), client);
        return 1;
    }
    case WM_PAINT: {
        // Nothing is kept behind the drawing: an uncovered part shows the
        // background, which the erase above painted.
        PAINTSTRUCT paint;
        BeginPaint(mHwnd, &paint);
        EndPaint(mHwnd, &paint);
        return 0;
    }
    case WM_SIZE: SyncCanvasSize(); return 0;
    case WM_MOUSEACTIVATE:
        if (ShowsAnotherMonitor(mSpec)) return MA_NOACTIVATE;
        break;
    case WM_DISPLAYCHANGE: MonitorsMayHaveChanged(); break;
    case WM_DPICHANGED:
        // A full-screen window stays the size of its monitor in that
        // monitor's pixels, whatever the scale; the preview keeps its size.
        return 0;
    case WM_SETCURSOR:
        if (mSpec.blankCursor && LOWORD(lParam) == HTCLIENT) {
            SetCursor(nullptr);
            return TRUE;
        }
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        const Integer keyCode = Integer(wParam);
        Integer shift = CurrentShiftState();
        ForwardToProgram([&] { mEvents->OnKeyDown(keyCode, shift); });
        return 0;
    }
    case WM_MOUSEMOVE: {
        const Integer buttons = MouseButtonsOf(wParam);
        const Integer shift = MouseShiftOf(wParam);
        const double x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        ForwardToProgram([&] { mEvents->OnMouseMove(buttons, shift, x, y); });
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const Integer button = message == WM_LBUTTONDOWN ? kLeftButton
                               : message == WM_RBUTTONDOWN ? kRightButton
                                                           : kMiddleButton;
        const Integer shift = MouseShiftOf(wParam);
        const double x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
        ForwardToProgram([&] { mEvents->OnMouseDown(button, shift, x, y); });
        return 0;
    }
    case WM_CLOSE:
        // The program decides what closing does.
        ForwardToProgram([&] { mEvents->OnCloseRequested(); });
        return 0;
    case WM_SYSCOMMAND:
        // A full-screen saver is not started again from inside itself.
        if ((wParam & 0xFFF0) == SC_SCREENSAVE && mSpec.fullScreen) return 0;
        break;
    default: break;
    }
    return DefWindowProcW(mHwnd, message, wParam, lParam);
}

}  // namespace vb
