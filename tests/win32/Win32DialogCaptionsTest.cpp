// The settings dialog's captions are never cut: built for 96, 120, 144 and
// 192 DPI with whatever face the system's dialog font turns out to be, every
// label, check box, option button, frame and command button on every page
// holds its caption's text (measured in the control's own font) beside what
// its kind draws. Needs a display.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/win32/Win32Api.h"

#include "runtime/controls/DialogControls.h"
#include "runtime/win32/Win32Dialog.h"
#include "runtime/win32/Win32DialogBuilder.h"
#include "tests/win32/SettingsDialogWindow.h"
#include "runtime/win32/Win32Text.h"
#include "windows/SettingsLayout.h"

namespace {

constexpr int kBaseDpi = 96;
// What the native controls draw beside the text, at 96 DPI: a check box's or
// an option's indicator (13 pixels) and the gap after it, and a push
// button's edges and focus rectangle on either side. A frame sets its
// caption one average character in from its left edge and keeps as much
// clear on the right.
constexpr int kIndicatorAt96 = 13;
constexpr int kIndicatorGapAt96 = 4;
constexpr int kButtonMarginsAt96 = 8;

struct Caption {
    std::string text;
    std::string kind;
    int needed = 0;  // pixels: the text and what the kind adds
    int width = 0;   // the control's client width
    int textHeight = 0;
    int height = 0;
};

std::string ClassOf(HWND hwnd) {
    wchar_t name[64] = {};
    GetClassNameW(hwnd, name, 64);
    return vb::Narrow(name, int(wcslen(name)));
}

// The kind of a captioned control, or empty for one whose caption is not
// fitted (the tab control, scroll bars, captionless windows).
std::string KindOf(HWND hwnd) {
    const std::string cls = ClassOf(hwnd);
    if (_stricmp(cls.c_str(), "Static") == 0) return "label";
    const std::wstring frameClass = vb::FrameWindowClass();
    if (cls == vb::Narrow(frameClass)) return "frame";
    if (_stricmp(cls.c_str(), "Button") != 0) return "";
    switch (GetWindowLongPtrW(hwnd, GWL_STYLE) & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX: return "check box";
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON: return "option button";
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON: return "button";
    default: return "";
    }
}

Caption Measure(HWND hwnd, const std::string& kind, int dpi) {
    Caption caption;
    caption.kind = kind;
    wchar_t text[256] = {};
    const int length = GetWindowTextW(hwnd, text, 256);
    caption.text = vb::Narrow(text, length);
    RECT client{};
    GetClientRect(hwnd, &client);
    caption.width = client.right - client.left;
    caption.height = client.bottom - client.top;

    auto* font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (!font) return caption;  // needed stays 0; the test reports the missing font
    HDC dc = GetDC(hwnd);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text, length, &extent);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(hwnd, dc);

    int extra = 0;
    if (kind == "check box" || kind == "option button")
        extra = MulDiv(kIndicatorAt96, dpi, kBaseDpi) + MulDiv(kIndicatorGapAt96, dpi, kBaseDpi);
    else if (kind == "button")
        extra = MulDiv(kButtonMarginsAt96, dpi, kBaseDpi);
    else if (kind == "frame")
        extra = 2 * metrics.tmAveCharWidth;
    caption.needed = int(extent.cx) + extra;
    caption.textHeight = int(metrics.tmHeight);
    return caption;
}

struct Collect {
    std::vector<HWND> windows;
};

BOOL CALLBACK AddWindow(HWND hwnd, LPARAM data) {
    reinterpret_cast<Collect*>(data)->windows.push_back(hwnd);
    return TRUE;
}

// Every captioned control of the dialog, the hidden pages' among them.
std::vector<Caption> Captions(HWND dialog, int dpi) {
    Collect all;
    EnumChildWindows(dialog, AddWindow, reinterpret_cast<LPARAM>(&all));
    std::vector<Caption> captions;
    for (HWND hwnd : all.windows) {
        const std::string kind = KindOf(hwnd);
        if (kind.empty() || GetWindowTextLengthW(hwnd) == 0) continue;
        captions.push_back(Measure(hwnd, kind, dpi));
    }
    return captions;
}

class Win32DialogCaptionsTest : public testing::TestWithParam<int> {};

TEST_P(Win32DialogCaptionsTest, EveryCaptionFitsItsControl) {
    const int dpi = GetParam();
    const SettingsDialogWindow built("Captions at " + std::to_string(dpi) + " DPI", dpi);
    HWND dialog = built.dialog;
    ASSERT_NE(dialog, nullptr);

    const std::vector<Caption> captions = Captions(dialog, dpi);
    size_t expected = 0;
    for (const vb::ControlLayout& control : built.events.controls.Layout().controls)
        if (!control.caption.empty() && control.kind != vb::ControlKind::TabStrip) ++expected;
    EXPECT_EQ(captions.size(), expected) << "every captioned control of the three pages is measured";
    for (const Caption& caption : captions) {
        EXPECT_GT(caption.needed, 0) << caption.kind << " \"" << caption.text << "\" answers WM_GETFONT";
        EXPECT_LE(caption.needed, caption.width)
            << "at " << dpi << " DPI the " << caption.kind << " \"" << caption.text << "\" needs " << caption.needed
            << " pixels and has " << caption.width;
        if (caption.kind != "frame") {
            EXPECT_LE(caption.textHeight, caption.height)
                << "at " << dpi << " DPI the " << caption.kind << " \"" << caption.text << "\" is "
                << caption.textHeight << " pixels high in " << caption.height;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Dpi, Win32DialogCaptionsTest, testing::Values(96, 120, 144, 192),
                         [](const testing::TestParamInfo<int>& info) { return std::to_string(info.param) + "Dpi"; });

}  // namespace
