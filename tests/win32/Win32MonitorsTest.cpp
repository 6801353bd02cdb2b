// The desk's monitors as the Win32 backend sees them: the list, a window
// covering the monitor rectangle it is given, and the changes the system
// announces.
// Needs a display.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "runtime/win32/Win32Api.h"

#include "runtime/SettingsStore.h"
#include "runtime/win32/Win32DrawingWindow.h"
#include "runtime/win32/Win32Platform.h"
#include "runtime/win32/Win32Windows.h"

namespace {

using vb::Integer;
using vb::PixelRect;

struct Quiet : vb::WindowEvents {
    std::vector<Integer> keys;
    void OnKeyDown(Integer keyCode, Integer) override { keys.push_back(keyCode); }
    void OnMouseMove(Integer, Integer, double, double) override {}
    void OnCloseRequested() override {}
};

struct NoSettings final : vb::SettingsStore {
    std::optional<std::string> Get(const std::string&, const std::string&, const std::string&) override {
        return std::nullopt;
    }
    void Save(const std::string&, const std::string&, const std::string&, const std::string&) override {}
};

struct CountingObserver final : vb::MonitorObserver {
    int told = 0;
    void MonitorsChanged() override { ++told; }
};

// The Win32 platform, installed as the program's for the test.
class Win32Monitors : public ::testing::Test {
protected:
    Win32Monitors() : platform(std::make_unique<NoSettings>()) { vb::InstallPlatform(&platform); }
    ~Win32Monitors() override { vb::InstallPlatform(nullptr); }

    // Runs this thread's messages for about that long.
    static void PumpFor(int ms) {
        for (int waited = 0; waited < ms; waited += 10) {
            vb::Win32Platform::PumpMessages();
            Sleep(10);
        }
    }
    // Runs them until the observer was told, for at most 5 s.
    static bool PumpUntilTold(const CountingObserver& observer) {
        for (int i = 0; i < 500 && observer.told == 0; ++i) PumpFor(10);
        return observer.told > 0;
    }

    vb::Win32Platform platform;
};

bool Same(const PixelRect& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.width == b.right - b.left && a.height == b.bottom - b.top;
}

vb::UnitScale ScreenScale() { return vb::UnitScale(vb::MonitorMetrics(vb::StartMonitor())); }

vb::WindowSpec SaverSpec() {
    vb::WindowSpec spec;
    spec.fullScreen = true;
    spec.controlBox = false;
    spec.blankCursor = true;
    return spec;
}

TEST_F(Win32Monitors, ListsEveryMonitorThePrimaryFirst) {
    const std::vector<PixelRect> monitors = platform.Monitors();
    ASSERT_EQ(int(monitors.size()), GetSystemMetrics(SM_CMONITORS));
    EXPECT_EQ(monitors[0].left, 0) << "the primary monitor holds the desk's origin";
    EXPECT_EQ(monitors[0].top, 0);
    EXPECT_EQ(monitors[0].width, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(monitors[0].height, GetSystemMetrics(SM_CYSCREEN));
    // Each is a monitor of the desk, and none is listed twice.
    RECT desk{GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN), 0, 0};
    desk.right = desk.left + GetSystemMetrics(SM_CXVIRTUALSCREEN);
    desk.bottom = desk.top + GetSystemMetrics(SM_CYVIRTUALSCREEN);
    for (std::size_t i = 0; i < monitors.size(); ++i) {
        const PixelRect& m = monitors[i];
        const POINT centre{m.left + m.width / 2, m.top + m.height / 2};
        MONITORINFO info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(centre, MONITOR_DEFAULTTONULL), &info)) << "monitor " << i;
        EXPECT_TRUE(Same(m, info.rcMonitor)) << "monitor " << i << " is that monitor's whole rectangle";
        EXPECT_EQ(i == 0, (info.dwFlags & MONITORINFOF_PRIMARY) != 0) << "monitor " << i;
        EXPECT_TRUE(m.left >= desk.left && m.top >= desk.top && m.left + m.width <= desk.right &&
                    m.top + m.height <= desk.bottom)
            << "monitor " << i;
        for (std::size_t j = 0; j < i; ++j)
            EXPECT_FALSE(m.left == monitors[j].left && m.top == monitors[j].top) << i << " and " << j;
    }
}

TEST_F(Win32Monitors, AWindowForAMonitorCoversItWithoutTakingTheKeyboard) {
    Quiet saverEvents, echoEvents;
    vb::Win32DrawingWindow saver(SaverSpec(), saverEvents, ScreenScale());
    saver.Show();
    PumpFor(100);
    ASSERT_EQ(GetForegroundWindow(), saver.Handle()) << "the saver's own window is active";

    // A monitor made up inside the desk, away from its corner.
    const PixelRect monitor{100, 50, 640, 360};
    vb::WindowSpec spec = SaverSpec();
    spec.monitor = monitor;
    vb::Win32DrawingWindow echo(spec, echoEvents, ScreenScale());
    echo.Show();
    PumpFor(100);
    const PixelRect at = echo.Geometry();
    EXPECT_EQ(at.left, monitor.left);
    EXPECT_EQ(at.top, monitor.top);
    EXPECT_EQ(at.width, monitor.width);
    EXPECT_EQ(at.height, monitor.height);
    RECT client{};
    GetClientRect(echo.Handle(), &client);
    EXPECT_EQ(client.right, monitor.width) << "no border or caption: the drawing area is the monitor";
    EXPECT_EQ(client.bottom, monitor.height);
    const auto exStyle = DWORD(GetWindowLongPtrW(echo.Handle(), GWL_EXSTYLE));
    EXPECT_TRUE(exStyle & WS_EX_TOPMOST);
    EXPECT_FALSE(GetWindowLongPtrW(echo.Handle(), GWL_STYLE) & WS_CAPTION);
    EXPECT_TRUE(IsWindowVisible(echo.Handle()));

    EXPECT_EQ(GetForegroundWindow(), saver.Handle()) << "showing the other monitor's window took the activation";
    EXPECT_EQ(GetFocus(), saver.Handle()) << "showing the other monitor's window took the keyboard";
    EXPECT_EQ(SendMessageW(echo.Handle(), WM_MOUSEACTIVATE, WPARAM(saver.Handle()), MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN)),
              MA_NOACTIVATE)
        << "a click on it leaves the saver's window active";
    // The start screen's saver window is untouched by the other.
    const vb::ScreenMetrics screen = vb::MonitorMetrics(vb::StartMonitor());
    EXPECT_EQ(saver.Geometry().width, screen.widthPx);
    EXPECT_EQ(saver.Geometry().height, screen.heightPx);
}

TEST_F(Win32Monitors, EveryMonitorsWindowTakesItsRectangle) {
    Quiet events;
    std::vector<std::unique_ptr<vb::Win32DrawingWindow>> windows;
    for (const PixelRect& monitor : platform.Monitors()) {
        vb::WindowSpec spec = SaverSpec();
        spec.monitor = monitor;
        windows.push_back(std::make_unique<vb::Win32DrawingWindow>(spec, events, ScreenScale()));
        windows.back()->Show();
        const PixelRect at = windows.back()->Geometry();
        EXPECT_TRUE(at.left == monitor.left && at.top == monitor.top && at.width == monitor.width &&
                    at.height == monitor.height)
            << "a window for the monitor at " << monitor.left << "," << monitor.top << " lies at " << at.left << ","
            << at.top << " " << at.width << "x" << at.height;
    }
}

struct Announcement {
    const char* name;
    std::vector<UINT> messages;  // sent to the saver's window, then the owner
    int told;
    friend void PrintTo(const Announcement& a, std::ostream* os) { *os << a.name; }
};

class Win32MonitorChanges : public Win32Monitors, public ::testing::WithParamInterface<Announcement> {};

TEST_P(Win32MonitorChanges, TellTheObserversOnceABurst) {
    Quiet events;
    vb::Win32DrawingWindow saver(SaverSpec(), events, ScreenScale());
    CountingObserver observer;
    platform.Observe(&observer);
    PumpFor(50);
    observer.told = 0;
    for (UINT message : GetParam().messages) {
        const LPARAM size = MAKELPARAM(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
        const WPARAM wParam = message == WM_SETTINGCHANGE ? SPI_SETWORKAREA : 32;
        SendMessageW(saver.Handle(), message, wParam, message == WM_SETTINGCHANGE ? 0 : size);
        SendMessageW(vb::AppOwnerWindow(), message, wParam, message == WM_SETTINGCHANGE ? 0 : size);
    }
    if (GetParam().told > 0) {
        EXPECT_TRUE(PumpUntilTold(observer));
    }
    // Long enough for a second, wrongly separate, announcement.
    PumpFor(3 * int(vb::kMonitorsSettleMs));
    EXPECT_EQ(observer.told, GetParam().told);
    platform.Forget(&observer);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Win32MonitorChanges,
    ::testing::Values(Announcement{"OneDisplayChange", {WM_DISPLAYCHANGE}, 1},
                      Announcement{"ThreeDisplayChangesAtOnce", {WM_DISPLAYCHANGE, WM_DISPLAYCHANGE, WM_DISPLAYCHANGE}, 1},
                      Announcement{"AWorkAreaChange", {WM_SETTINGCHANGE}, 1},
                      Announcement{"NoChange", {WM_SIZE}, 0}),
    [](const ::testing::TestParamInfo<Announcement>& row) { return std::string(row.param.name); });

TEST_F(Win32Monitors, OnceThePlatformIsGoneNothingIsTold) {
    CountingObserver observer;
    platform.Observe(&observer);
    vb::TellMonitorChangesTo(nullptr);
    SendMessageW(vb::AppOwnerWindow(), WM_DISPLAYCHANGE, 32, 0);
    PumpFor(3 * int(vb::kMonitorsSettleMs));
    EXPECT_EQ(observer.told, 0);
    platform.Forget(&observer);
}

}  // namespace
