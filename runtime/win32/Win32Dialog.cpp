#include "runtime/win32/Win32Dialog.h"

#include <commctrl.h>

#include <cassert>
#include <cmath>

#include "runtime/controls/DialogControls.h"
#include "runtime/base/RuntimeError.h"
#include "runtime/win32/Win32DialogBuilder.h"
#include "runtime/Platform.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {
namespace {

constexpr const wchar_t* kClassName = L"GyrobloomDialog";
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT;

class Win32DialogWindow final : public WindowBackend {
public:
    Win32DialogWindow(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale) : mEvents(&events) {
        DialogControls* controls = events.Controls();
        assert(controls && "a dialog window needs the controls of its form");
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_TAB_CLASSES | ICC_STANDARD_CLASSES};
        InitCommonControlsEx(&init);

        const double twipsPerPixel = scale.TwipsPerPixel();
        const UINT dpi = UINT(std::lround(kTwipsPerInch / twipsPerPixel));
        const DialogLayout& layout = controls->Layout();
        const SIZE client{TwipsToPixels(layout.clientWidth, twipsPerPixel), TwipsToPixels(layout.clientHeight, twipsPerPixel)};
        const SIZE outer = OuterSizeFor(client, kStyle, kExStyle, dpi);

        MONITORINFO monitor{};
        monitor.cbSize = sizeof(monitor);
        GetMonitorInfoW(StartMonitor(), &monitor);
        const RECT& work = monitor.rcWork;
        const int left = work.left + (work.right - work.left - outer.cx) / 2;
        const int top = work.top + (work.bottom - work.top - outer.cy) / 2;

        const wchar_t* cls = EnsureWindowClass(kClassName, WindowProc, 0, reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
        mHwnd = CreateWindowExW(kExStyle, cls, Widen(spec.caption).c_str(), kStyle, left, top, outer.cx, outer.cy,
                                AppOwnerWindow(), nullptr, ModuleInstance(), this);
        assert(mHwnd && "the dialog window could not be created");
        // The window menu offers only Move and Close.
        if (HMENU menu = GetSystemMenu(mHwnd, FALSE)) {
            DeleteMenu(menu, SC_SIZE, MF_BYCOMMAND);
            DeleteMenu(menu, SC_MINIMIZE, MF_BYCOMMAND);
            DeleteMenu(menu, SC_MAXIMIZE, MF_BYCOMMAND);
            DeleteMenu(menu, SC_RESTORE, MF_BYCOMMAND);
        }
        mLook = BuildWin32DialogControls(mHwnd, *controls, twipsPerPixel, mAlive, mRoutes);
    }

    ~Win32DialogWindow() override {
        *mAlive = false;
        SetWindowLongPtrW(mHwnd, GWLP_USERDATA, 0);
        DestroyWindow(mHwnd);
        // mLook, the windows' font and brushes, goes after them.
    }

    void Show() override {
        ShowWindow(mHwnd, SW_SHOW);
        SetForegroundWindow(mHwnd);
        if (!GetFocus() || Win32DialogOf(GetFocus()) != mHwnd)
            if (HWND first = GetNextDlgTabItem(mHwnd, nullptr, FALSE)) SetFocus(first);
    }
    void SendToBack() override {
        SetWindowPos(mHwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    void BringToFront() override {
        SetWindowPos(mHwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetForegroundWindow(mHwnd);
    }

    PixelRect Geometry() const override {
        RECT outer{};
        GetWindowRect(mHwnd, &outer);
        return {int(outer.left), int(outer.top), int(outer.right - outer.left), int(outer.bottom - outer.top)};
    }

    // The dialog keeps its size; only its place changes.
    void SetGeometry(const PixelRect& outer) override {
        SetWindowPos(mHwnd, nullptr, outer.left, outer.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    Canvas& Surface() override { return mNoCanvas; }

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_NCCREATE) {
            auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
            SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        }
        auto* self = reinterpret_cast<Win32DialogWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
        return self->Handle(hwnd, message, wParam, lParam);
    }

    // Every route may unload the dialog (OK and Cancel end the program), so
    // nothing of this object is used after one has run.
    LRESULT Handle(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        switch (message) {
        case DM_GETDEFID:
            if (mRoutes.defaultId) return MAKELRESULT(mRoutes.defaultId, DC_HASDEFID);
            return 0;
        case WM_COMMAND: {
            const int code = HIWORD(wParam);
            if (code != BN_CLICKED) return 0;
            const auto found = mRoutes.clicks.find(LOWORD(wParam));
            if (found == mRoutes.clicks.end()) return 0;  // IDCANCEL (Esc) among them
            const auto route = found->second;
            ForwardToProgram(route);
            return 0;
        }
        case WM_HSCROLL: {
            const auto found = mRoutes.scrolls.find(reinterpret_cast<HWND>(lParam));
            if (found == mRoutes.scrolls.end()) return 0;
            const auto route = found->second;
            const int request = LOWORD(wParam);
            // Positions fit 16 bits: a scroll bar's range is Integer.
            const int position = short(HIWORD(wParam));
            ForwardToProgram([&] { route(request, position); });
            return 0;
        }
        case WM_NOTIFY: {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header->code != UINT(TCN_SELCHANGE)) break;
            const auto found = mRoutes.tabChanges.find(header->hwndFrom);
            if (found == mRoutes.tabChanges.end()) break;
            const auto route = found->second;
            ForwardToProgram(route);
            return 0;
        }
        case WM_CLOSE: {
            WindowEvents* events = mEvents;
            ForwardToProgram([events] { events->OnCloseRequested(); });
            return 0;
        }
        default: break;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    WindowEvents* mEvents;
    HWND mHwnd = nullptr;
    std::unique_ptr<Win32DialogLook> mLook;
    std::shared_ptr<bool> mAlive = std::make_shared<bool>(true);
    Win32DialogRoutes mRoutes;
    NoCanvas mNoCanvas;
};

}  // namespace

std::unique_ptr<WindowBackend> CreateWin32DialogWindow(const WindowSpec& spec, WindowEvents& events,
                                                       const UnitScale& scale) {
    return std::make_unique<Win32DialogWindow>(spec, events, scale);
}

HWND Win32DialogOf(HWND hwnd) {
    if (!hwnd) return nullptr;
    HWND root = GetAncestor(hwnd, GA_ROOT);
    wchar_t name[32] = {};
    if (!root || !GetClassNameW(root, name, 32)) return nullptr;
    return wcscmp(name, kClassName) == 0 ? root : nullptr;
}

}  // namespace vb
