#include "runtime/win32/Win32Windows.h"

#include <string>

#include "runtime/Platform.h"

namespace vb {
namespace {

constexpr UINT kBaseDpi = 96;
constexpr int kIconResource = 1;
constexpr UINT_PTR kMonitorsTimer = 1;

// The hidden owner is an unowned top-level window, so the system's
// broadcasts about the display reach it even when no other window is up.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DISPLAYCHANGE: MonitorsMayHaveChanged(); break;
    case WM_SETTINGCHANGE:
        // The work area changes when a monitor comes or goes; when the
        // monitors stayed, following them changes nothing.
        if (wParam == SPI_SETWORKAREA) MonitorsMayHaveChanged();
        break;
    case WM_TIMER:
        if (wParam != kMonitorsTimer) break;
        KillTimer(hwnd, kMonitorsTimer);
        if (auto* platform = reinterpret_cast<Platform*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)))
            ForwardToProgram([&] { platform->NotifyMonitorsChanged(); });
        return 0;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, RECT*, LPARAM list) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) return TRUE;
    const RECT& r = info.rcMonitor;
    auto& monitors = *reinterpret_cast<std::vector<PixelRect>*>(list);
    const PixelRect rect{int(r.left), int(r.top), int(r.right - r.left), int(r.bottom - r.top)};
    if (info.dwFlags & MONITORINFOF_PRIMARY) monitors.insert(monitors.begin(), rect);
    else monitors.push_back(rect);
    return TRUE;
}

// Per-monitor DPI arrived with Windows 8.1 (shcore) and per-window DPI with
// Windows 10 1607 (user32); both are looked up so that the program still
// starts on Windows 7, where the system DPI applies.
using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);

template <typename Fn>
Fn Lookup(const wchar_t* module, const char* name) {
    HMODULE handle = GetModuleHandleW(module);
    if (!handle) handle = LoadLibraryW(module);
    if (!handle) return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name)));
}

UINT SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 0;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? UINT(dpi) : kBaseDpi;
}

}  // namespace

HINSTANCE ModuleInstance() { return GetModuleHandleW(nullptr); }

HICON AppIcon(bool small) {
    const int size = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    HANDLE icon = LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(kIconResource), IMAGE_ICON, size, size, LR_SHARED);
    if (!icon) icon = LoadIconW(nullptr, IDI_APPLICATION);
    return static_cast<HICON>(icon);
}

const wchar_t* EnsureWindowClass(const wchar_t* name, WNDPROC proc, UINT style, HBRUSH background) {
    WNDCLASSEXW wc{};
    // A class is registered once per process; a second registration of the
    // same name fails harmlessly.
    if (!GetClassInfoExW(ModuleInstance(), name, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = style;
        wc.lpfnWndProc = proc;
        wc.hInstance = ModuleInstance();
        wc.hIcon = AppIcon(false);
        wc.hIconSm = AppIcon(true);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = background;
        wc.lpszClassName = name;
        RegisterClassExW(&wc);
    }
    return name;
}

HWND AppOwnerWindow() {
    static HWND owner = nullptr;  // one per process, destroyed with it
    if (!owner) {
        const wchar_t* cls = EnsureWindowClass(L"GyrobloomOwner", OwnerProc, 0, nullptr);
        const std::wstring title(kAppTitle, kAppTitle + std::char_traits<char>::length(kAppTitle));
        owner = CreateWindowExW(WS_EX_TOOLWINDOW, cls, title.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                ModuleInstance(), nullptr);
    }
    return owner;
}

HMONITOR StartMonitor() { return MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY); }

std::vector<PixelRect> DeskMonitors() {
    std::vector<PixelRect> monitors;
    EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&monitors));
    if (monitors.empty())
        monitors.push_back(PixelRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
    return monitors;
}

void TellMonitorChangesTo(Platform* platform) {
    HWND owner = AppOwnerWindow();
    SetWindowLongPtrW(owner, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(platform));
    if (!platform) KillTimer(owner, kMonitorsTimer);
}

void MonitorsMayHaveChanged() {
    // Setting the timer again restarts it: a burst of changes (every
    // top-level window hears each one, and a monitor plugged in may come
    // with a resolution and an arrangement change) is told once.
    SetTimer(AppOwnerWindow(), kMonitorsTimer, kMonitorsSettleMs, nullptr);
}

UINT MonitorDpi(HMONITOR monitor) {
    static const auto getDpiForMonitor = Lookup<GetDpiForMonitorFn>(L"shcore.dll", "GetDpiForMonitor");
    constexpr int kEffectiveDpi = 0;  // MDT_EFFECTIVE_DPI
    UINT x = 0, y = 0;
    if (getDpiForMonitor && monitor && SUCCEEDED(getDpiForMonitor(monitor, kEffectiveDpi, &x, &y)) && x > 0) return x;
    return SystemDpi();
}

ScreenMetrics MonitorMetrics(HMONITOR monitor) {
    ScreenMetrics metrics;
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (monitor && GetMonitorInfoW(monitor, &info)) {
        metrics.widthPx = info.rcMonitor.right - info.rcMonitor.left;
        metrics.heightPx = info.rcMonitor.bottom - info.rcMonitor.top;
    } else {
        metrics.widthPx = GetSystemMetrics(SM_CXSCREEN);
        metrics.heightPx = GetSystemMetrics(SM_CYSCREEN);
    }
    metrics.twipsPerPixel = kTwipsPerInch / double(MonitorDpi(monitor));
    // The process is DPI aware: its pixels are the monitor's own.
    metrics.devicePixelRatio = 1.0;
    return metrics;
}

SIZE OuterSizeFor(SIZE client, DWORD style, DWORD exStyle, UINT dpi) {
    static const auto adjustForDpi = Lookup<AdjustWindowRectExForDpiFn>(L"user32.dll", "AdjustWindowRectExForDpi");
    RECT rect{0, 0, client.cx, client.cy};
    if (!adjustForDpi || !adjustForDpi(&rect, style, FALSE, exStyle, dpi)) AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    return SIZE{rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace vb
