// The drawing and dialog windows with the messages Windows sends them: what
// reaches the program, and what the controls do with it. Needs a display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/win32/Win32Api.h"

#include <commctrl.h>

#include "runtime/controls/DialogControls.h"
#include "runtime/win32/Win32Dialog.h"
#include "runtime/win32/Win32DrawingWindow.h"
#include "runtime/win32/Win32Platform.h"
#include "runtime/win32/Win32Windows.h"

namespace {

using vb::Integer;

struct Recorder : vb::WindowEvents {
    std::vector<Integer> keys;
    std::vector<double> moves;  // x of each move
    int closes = 0;
    void OnKeyDown(Integer keyCode, Integer) override { keys.push_back(keyCode); }
    void OnMouseMove(Integer, Integer, double x, double) override { moves.push_back(x); }
    void OnCloseRequested() override { ++closes; }
};

vb::UnitScale ScreenScale() { return vb::UnitScale(vb::MonitorMetrics(vb::StartMonitor())); }

DWORD Style(HWND hwnd) { return DWORD(GetWindowLongPtrW(hwnd, GWL_STYLE)); }
DWORD ExStyle(HWND hwnd) { return DWORD(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)); }

TEST(Win32DrawingWindow, TheSaverIsATopmostBorderlessPopupOverTheMonitor) {
    Recorder events;
    vb::WindowSpec spec;
    spec.fullScreen = true;
    spec.controlBox = false;
    spec.blankCursor = true;
    vb::Win32DrawingWindow window(spec, events, ScreenScale());
    window.Show();
    const vb::ScreenMetrics screen = vb::MonitorMetrics(vb::StartMonitor());
    const vb::PixelRect at = window.Geometry();
    EXPECT_EQ(at.width, screen.widthPx);
    EXPECT_EQ(at.height, screen.heightPx);
    EXPECT_FALSE(Style(window.Handle()) & WS_CAPTION);
    EXPECT_TRUE(ExStyle(window.Handle()) & WS_EX_TOPMOST);
    EXPECT_TRUE(ExStyle(window.Handle()) & WS_EX_TOOLWINDOW) << "no task-bar button";
}

TEST(Win32DrawingWindow, ThePreviewHasACaptionWithACloseBoxAndNoTaskbarButton) {
    Recorder events;
    vb::WindowSpec spec;
    spec.caption = "Preview";
    vb::Win32DrawingWindow window(spec, events, ScreenScale());
    window.SetGeometry({0, 0, 640, 400});
    EXPECT_TRUE(Style(window.Handle()) & WS_CAPTION);
    EXPECT_TRUE(Style(window.Handle()) & WS_SYSMENU);
    EXPECT_EQ(GetWindow(window.Handle(), GW_OWNER), vb::AppOwnerWindow());
    const vb::PixelRect at = window.Geometry();
    EXPECT_EQ(at.width, 640);
    EXPECT_EQ(at.height, 400);
}

TEST(Win32DrawingWindow, KeysMovesAndTheCloseBoxReachTheProgram) {
    Recorder events;
    vb::WindowSpec spec;
    spec.caption = "Preview";
    vb::Win32DrawingWindow window(spec, events, ScreenScale());
    SendMessageW(window.Handle(), WM_KEYDOWN, 'A', 0);
    SendMessageW(window.Handle(), WM_SYSKEYDOWN, VK_F4, 0);
    SendMessageW(window.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 40));
    SendMessageW(window.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(events.keys, (std::vector<Integer>{'A', VK_F4}));
    EXPECT_EQ(events.moves, std::vector<double>{30});
    EXPECT_EQ(events.closes, 1);
    EXPECT_TRUE(IsWindow(window.Handle())) << "closing is the program's decision";
}

// A small dialog: OK (the default), Cancel, a scroll bar, a check box, and a
// tab strip with two pages.
vb::DialogLayout SmallLayout() {
    vb::DialogLayout layout;
    layout.clientWidth = 4500;
    layout.clientHeight = 3000;
    auto add = [&](const char* name, vb::ControlKind kind, const char* container, const char* caption,
                   vb::TwipsRect rect) -> vb::ControlLayout& {
        vb::ControlLayout control;
        control.name = name;
        control.kind = kind;
        control.container = container;
        control.caption = caption;
        control.rect = rect;
        layout.controls.push_back(control);
        return layout.controls.back();
    };
    add("OK", vb::ControlKind::CommandButton, "", "OK", {120, 2400, 1000, 400}).isDefault = true;
    add("Cancel", vb::ControlKind::CommandButton, "", "Cancel", {1300, 2400, 1000, 400});
    add("Tabs", vb::ControlKind::TabStrip, "", "", {120, 120, 4200, 2200}).tabs = {"One", "Two"};
    add("PageOne", vb::ControlKind::Frame, "", "", {240, 480, 3900, 1700});
    add("PageTwo", vb::ControlKind::Frame, "", "", {240, 480, 3900, 1700});
    auto& bar = add("Bar", vb::ControlKind::HScrollBar, "PageOne", "", {120, 240, 3000, 255});
    bar.min = 0;
    bar.max = 10;
    bar.value = 1;
    bar.smallChange = 1;
    bar.largeChange = 5;
    add("Check", vb::ControlKind::CheckBox, "PageOne", "Mirror", {120, 720, 1500, 255});
    return layout;
}

struct DialogEvents : Recorder {
    vb::DialogControls controls{SmallLayout()};
    vb::DialogControls* Controls() override { return &controls; }
};

struct Search {
    const wchar_t* cls;
    const wchar_t* text;
    HWND found;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM data) {
    auto* s = reinterpret_cast<Search*>(data);
    wchar_t name[64] = {}, caption[64] = {};
    GetClassNameW(hwnd, name, 64);
    GetWindowTextW(hwnd, caption, 64);
    if (_wcsicmp(name, s->cls) == 0 && (!s->text || wcscmp(caption, s->text) == 0)) {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND FindChild(HWND dialog, const wchar_t* cls, const wchar_t* text = nullptr) {
    Search search{cls, text, nullptr};
    EnumChildWindows(dialog, Match, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

class Win32DialogTest : public testing::Test {
protected:
    void SetUp() override {
        auto& c = events.controls;
        c.Get<vb::CommandButton>("OK").Click = [this] { ++okClicks; };
        c.Get<vb::CommandButton>("Cancel").Click = [this] { ++cancelClicks; };
        c.Get<vb::ScrollBar>("Bar").Change = [this] { ++changes; };
        c.Get<vb::TabStrip>("Tabs").Click = [this] { ++tabClicks; };
        window = vb::CreateWin32DialogWindow(spec, events, ScreenScale());
        window->Show();
        c.Get<vb::Frame>("PageOne").ZOrder();
        dialog = vb::Win32DialogOf(GetFocus());
        ASSERT_NE(dialog, nullptr) << "the dialog has the focus";
        bar = FindChild(dialog, L"SCROLLBAR");
        ASSERT_NE(bar, nullptr);
    }
    vb::ScrollBar& Bar() { return events.controls.Get<vb::ScrollBar>("Bar"); }
    void Scroll(int request, int position = 0) {
        SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(request, position), reinterpret_cast<LPARAM>(bar));
    }
    void Press(HWND target, WPARAM key) {
        PostMessageW(target, WM_KEYDOWN, key, 0);
        PostMessageW(target, WM_KEYUP, key, 0xC0000000);
        vb::Win32Platform::PumpMessages();
    }

    vb::WindowSpec spec = [] {
        vb::WindowSpec s;
        s.caption = "Test Dialog";
        s.dialog = true;
        return s;
    }();
    DialogEvents events;
    std::unique_ptr<vb::WindowBackend> window;
    HWND dialog = nullptr;
    HWND bar = nullptr;
    int okClicks = 0, cancelClicks = 0, changes = 0, tabClicks = 0;
};

TEST_F(Win32DialogTest, IsSizedFromTheLayoutsTwips) {
    RECT client{};
    GetClientRect(dialog, &client);
    const double twipsPerPixel = ScreenScale().TwipsPerPixel();
    EXPECT_EQ(client.right, vb::TwipsToPixels(4500, twipsPerPixel));
    EXPECT_EQ(client.bottom, vb::TwipsToPixels(3000, twipsPerPixel));
}

TEST_F(Win32DialogTest, ArrowsAndTroughStepTheBarOnceEach) {
    Scroll(SB_LINERIGHT);
    Scroll(SB_PAGERIGHT);
    Scroll(SB_LINELEFT);
    EXPECT_EQ(Bar().Value(), 1 + 1 + 5 - 1);
    EXPECT_EQ(changes, 3);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), Bar().Value()) << "the native bar shows the value";
    Scroll(SB_RIGHT);
    Scroll(SB_LINERIGHT);  // at the end: nothing moves
    EXPECT_EQ(Bar().Value(), 10);
    EXPECT_EQ(changes, 4);
}

TEST_F(Win32DialogTest, ADraggedThumbChangesOnceAtTheRelease) {
    Scroll(SB_THUMBTRACK, 4);
    Scroll(SB_THUMBTRACK, 8);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(Bar().Value(), 1);
    EXPECT_EQ(GetScrollPos(bar, SB_CTL), 8) << "the thumb follows the drag";
    Scroll(SB_THUMBPOSITION, 8);
    Scroll(SB_ENDSCROLL);
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(Bar().Value(), 8);
}

TEST_F(Win32DialogTest, KeysOnTheBarGoToThePortableControl) {
    SetFocus(bar);
    Press(bar, VK_RIGHT);
    Press(bar, VK_NEXT);
    Press(bar, VK_UP);
    EXPECT_EQ(Bar().Value(), 1 + 1 + 5 - 1);
    EXPECT_EQ(changes, 3);
}

TEST_F(Win32DialogTest, ReturnPressesOkAndEscapeNothing) {
    HWND check = FindChild(dialog, L"BUTTON", L"Mirror");
    ASSERT_NE(check, nullptr);
    SetFocus(check);
    Press(check, VK_RETURN);
    EXPECT_EQ(okClicks, 1);
    Press(check, VK_ESCAPE);
    EXPECT_EQ(okClicks + cancelClicks, 1);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

TEST_F(Win32DialogTest, TabMovesTheFocusOnThroughTheControls) {
    HWND ok = FindChild(dialog, L"BUTTON", L"OK");
    SetFocus(ok);
    Press(ok, VK_TAB);
    EXPECT_EQ(GetFocus(), FindChild(dialog, L"BUTTON", L"Cancel"));
}

TEST_F(Win32DialogTest, ACheckBoxClickTogglesThroughTheControl) {
    HWND check = FindChild(dialog, L"BUTTON", L"Mirror");
    SendMessageW(check, BM_CLICK, 0, 0);
    EXPECT_EQ(events.controls.Get<vb::CheckBox>("Check").Value(), vb::kChecked);
    EXPECT_EQ(SendMessageW(check, BM_GETCHECK, 0, 0), BST_CHECKED);
}

TEST_F(Win32DialogTest, ChoosingATabSelectsItAndTheFrontPageAloneShows) {
    HWND tabs = FindChild(dialog, WC_TABCONTROLW);
    ASSERT_NE(tabs, nullptr);
    SendMessageW(tabs, TCM_SETCURSEL, 1, 0);
    NMHDR change{tabs, UINT_PTR(GetDlgCtrlID(tabs)), UINT(TCN_SELCHANGE)};
    SendMessageW(dialog, WM_NOTIFY, change.idFrom, reinterpret_cast<LPARAM>(&change));
    EXPECT_EQ(events.controls.Get<vb::TabStrip>("Tabs").SelectedIndex(), 2);
    EXPECT_EQ(tabClicks, 1);
    EXPECT_TRUE(IsWindowVisible(bar)) << "page one is in front";
    events.controls.Get<vb::Frame>("PageTwo").ZOrder();
    EXPECT_FALSE(IsWindowVisible(bar)) << "page two hides page one";
}

TEST_F(Win32DialogTest, TheCloseBoxAsksTheProgram) {
    SendMessageW(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(events.closes, 1);
    EXPECT_TRUE(IsWindow(dialog));
}

}  // namespace
