#include "runtime/win32/Win32DialogBuilder.h"

#include <commctrl.h>

#include <string>
#include <vector>

#include "runtime/base/Units.h"
#include "runtime/controls/DialogControls.h"
#include "runtime/win32/Win32ButtonBinding.h"
#include "runtime/win32/Win32ControlViews.h"
#include "runtime/win32/Win32ScrollBarBinding.h"
#include "runtime/win32/Win32TabStripBinding.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {
namespace {

constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL, which no control answers
constexpr const wchar_t* kFontProperty = L"Gyrobloom.Font";
constexpr const wchar_t* kBoxedProperty = L"Gyrobloom.Boxed";

RECT PixelRectOf(const TwipsRect& r, double twipsPerPixel) {
    const int left = TwipsToPixels(r.left, twipsPerPixel), top = TwipsToPixels(r.top, twipsPerPixel);
    return RECT{left, top, left + TwipsToPixels(r.width, twipsPerPixel), top + TwipsToPixels(r.height, twipsPerPixel)};
}

// --- The frame window ----------------------------------------------------------

// A frame draws itself: the dialog's face colour, and when it is boxed an
// etched border with its caption set into the top edge.
void PaintFrame(HWND hwnd) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(hwnd, &paint);
    RECT rect{};
    GetClientRect(hwnd, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
    if (GetPropW(hwnd, kBoxedProperty)) {
        auto* font = static_cast<HFONT>(GetPropW(hwnd, kFontProperty));
        HGDIOBJ oldFont = font ? SelectObject(dc, font) : nullptr;
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        RECT border = rect;
        border.top += metrics.tmHeight / 2;
        DrawEdge(dc, &border, EDGE_ETCHED, BF_RECT);
        wchar_t caption[256] = {};
        const int length = GetWindowTextW(hwnd, caption, 256);
        if (length > 0) {
            SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
            SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            SetBkMode(dc, OPAQUE);
            TextOutW(dc, metrics.tmAveCharWidth, 0, caption, length);
        }
        if (oldFont) SelectObject(dc, oldFont);
    }
    EndPaint(hwnd, &paint);
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_SETFONT:
        SetPropW(hwnd, kFontProperty, reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_ERASEBKGND: return 1;  // WM_PAINT paints it all
    case WM_PAINT: PaintFrame(hwnd); return 0;
    case WM_SETTEXT:
    case WM_ENABLE: {
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_NCDESTROY:
        RemovePropW(hwnd, kFontProperty);
        RemovePropW(hwnd, kBoxedProperty);
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- Building ------------------------------------------------------------------

class Builder {
public:
    Builder(HWND dialog, double twipsPerPixel, HFONT font, std::shared_ptr<bool> alive, Win32DialogRoutes& routes)
        : mDialog(dialog), mTwipsPerPixel(twipsPerPixel), mFont(font), mAlive(std::move(alive)), mRoutes(routes),
          mPages(std::make_shared<PageStack>()) {}

    void Build(Control& control) {
        const ControlLayout& layout = control.Layout();
        HWND parent = layout.container.empty() ? mDialog : mContainers.at(layout.container);
        const RECT rect = PixelRectOf(layout.rect, mTwipsPerPixel);
        const int id = kFirstControlId + mNextId++;
        switch (layout.kind) {
        case ControlKind::CommandButton: CommandButtonWindow(static_cast<CommandButton&>(control), parent, rect, id); break;
        case ControlKind::TabStrip: TabStripWindow(static_cast<TabStrip&>(control), parent, rect, id); break;
        case ControlKind::Frame: FrameWindow(control, parent, rect, id); break;
        case ControlKind::Label: {
            HWND label = Child(L"STATIC", SS_LEFT | SS_NOPREFIX, parent, rect, id);
            control.Attach(std::make_unique<LabelView>(label, mAlive));
            break;
        }
        case ControlKind::HScrollBar: ScrollBarWindow(static_cast<ScrollBar&>(control), parent, rect, id); break;
        case ControlKind::CheckBox: CheckBoxWindow(static_cast<CheckBox&>(control), parent, rect, id); break;
        case ControlKind::OptionButton: OptionWindow(static_cast<OptionButton&>(control), parent, rect, id); break;
        }
    }

    // Once every window exists: the tab strips under their pages, and the
    // front page shown.
    void Finish() {
        for (const Win32TabStripBinding& strip : mTabStrips) strip.PlaceBelowPages();
        mPages->ShowFront();
    }

private:
    // Children are created in the layout's order and each goes below the
    // ones before it, as in a dialog template: the focus then moves through
    // them in the layout's order.
    HWND Child(const wchar_t* cls, DWORD style, HWND parent, const RECT& rect, int id, DWORD exStyle = 0) {
        HWND hwnd = CreateWindowExW(exStyle, cls, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | style, rect.left,
                                    rect.top, rect.right - rect.left, rect.bottom - rect.top, parent,
                                    reinterpret_cast<HMENU>(INT_PTR(id)), ModuleInstance(), nullptr);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(mFont), FALSE);
        SetWindowPos(hwnd, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return hwnd;
    }

    void CommandButtonWindow(CommandButton& control, HWND parent, const RECT& rect, int id) {
        HWND button = Child(L"BUTTON", WS_TABSTOP | (control.Default() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON), parent,
                            rect, id);
        BindWin32CommandButton(control, button, id, mAlive, mRoutes);
    }

    void TabStripWindow(TabStrip& control, HWND parent, const RECT& rect, int id) {
        HWND tabs = Child(WC_TABCONTROLW, WS_TABSTOP | TCS_TABS | TCS_FOCUSONBUTTONDOWN, parent, rect, id);
        mTabStrips.emplace_back(control, tabs, mAlive, mRoutes);
    }

    void FrameWindow(Control& control, HWND parent, const RECT& rect, int id) {
        const ControlLayout& layout = control.Layout();
        const bool page = layout.container.empty();
        HWND frame = Child(FrameWindowClass(), WS_CLIPCHILDREN, parent, rect, id, WS_EX_CONTROLPARENT);
        // A captioned frame, or one inside another, is a group box; an
        // uncaptioned page is only an area.
        if (!layout.caption.empty() || !page) SetPropW(frame, kBoxedProperty, reinterpret_cast<HANDLE>(1));
        if (page) mPages->Add(frame);
        mContainers[layout.name] = frame;
        control.Attach(std::make_unique<FrameView>(frame, mAlive, page ? mPages : nullptr));
    }

    void ScrollBarWindow(ScrollBar& control, HWND parent, const RECT& rect, int id) {
        HWND bar = Child(L"SCROLLBAR", WS_TABSTOP | SBS_HORZ, parent, rect, id);
        BindWin32ScrollBar(control, bar, mAlive, mRoutes);
    }

    void CheckBoxWindow(CheckBox& control, HWND parent, const RECT& rect, int id) {
        // Not an automatic check box: the portable control decides the value.
        HWND box = Child(L"BUTTON", WS_TABSTOP | BS_CHECKBOX | BS_NOTIFY, parent, rect, id);
        BindWin32CheckBox(control, box, id, mAlive, mRoutes);
    }

    void OptionWindow(OptionButton& control, HWND parent, const RECT& rect, int id) {
        // Not automatic either: the portable group clears the other options.
        HWND option = Child(L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON, parent, rect, id);
        BindWin32OptionButton(control, option, id, mAlive, mRoutes);
    }

    HWND mDialog;
    double mTwipsPerPixel;
    HFONT mFont;
    std::shared_ptr<bool> mAlive;
    Win32DialogRoutes& mRoutes;
    std::shared_ptr<PageStack> mPages;
    std::map<std::string, HWND> mContainers;
    std::vector<Win32TabStripBinding> mTabStrips;
    int mNextId = 0;
};

}  // namespace

const wchar_t* FrameWindowClass() {
    return EnsureWindowClass(L"GyrobloomFrame", FrameProc, CS_HREDRAW | CS_VREDRAW, nullptr);
}

void BuildWin32DialogControls(HWND dialog, DialogControls& controls, double twipsPerPixel, HFONT font,
                              const std::shared_ptr<bool>& alive, Win32DialogRoutes& routes) {
    Builder builder(dialog, twipsPerPixel, font, alive, routes);
    for (size_t i = 0; i < controls.Count(); ++i) builder.Build(controls.At(i));
    builder.Finish();
}

}  // namespace vb
