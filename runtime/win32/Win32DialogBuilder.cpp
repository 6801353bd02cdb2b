#include "runtime/win32/Win32DialogBuilder.h"

#include <commctrl.h>

#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "runtime/base/Units.h"
#include "runtime/controls/CaptionFit.h"
#include "runtime/controls/DialogControls.h"
#include "runtime/win32/Win32ButtonBinding.h"
#include "runtime/win32/Win32ControlViews.h"
#include "runtime/win32/Win32ScrollBarBinding.h"
#include "runtime/win32/Win32TabStripBinding.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {
namespace {

constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL, which no control answers
constexpr const wchar_t* kFontProperty = L"Gyrobloom.Font";
constexpr const wchar_t* kBoxedProperty = L"Gyrobloom.Boxed";
constexpr const wchar_t* kBodyProperty = L"Gyrobloom.PageBody";

constexpr int kBaseDpi = 96;
constexpr int kPointsPerInch = 72;
// What the native controls draw beside a caption, in pixels at 96 DPI:
// Windows draws a check box or an option 13 pixels wide, themed or classic,
// and sets the text a few pixels after it; a push button keeps its edges and
// focus rectangle clear of the text on both sides.
constexpr int kIndicatorAt96 = 13;
constexpr int kIndicatorGapAt96 = 4;
constexpr int kButtonMarginsAt96 = 8;

HFONT DialogFont(double points, int dpi) {
    LOGFONTW font{};
    font.lfHeight = -int(std::lround(points * dpi / kPointsPerInch));
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    wcscpy(font.lfFaceName, L"MS Shell Dlg 2");
    return CreateFontIndirectW(&font);
}

RECT PixelRectOf(const TwipsRect& r, double twipsPerPixel) {
    const int left = TwipsToPixels(r.left, twipsPerPixel), top = TwipsToPixels(r.top, twipsPerPixel);
    return RECT{left, top, left + TwipsToPixels(r.width, twipsPerPixel), top + TwipsToPixels(r.height, twipsPerPixel)};
}

// --- The frame window ----------------------------------------------------------

const Win32PageBody* BodyOf(HWND hwnd) {
    const auto* body = static_cast<const Win32PageBody*>(GetPropW(hwnd, kBodyProperty));
    return body && body->brush ? body : nullptr;
}

// The brush `hwnd`'s background is painted with in `dc`: the tab strip's
// body, laid from the tab control's origin, for a window on a page; the
// dialog's face colour otherwise. The brush origin is in device units.
HBRUSH BackgroundBrush(HWND hwnd, HDC dc, const Win32PageBody* body) {
    if (!body) return GetSysColorBrush(COLOR_BTNFACE);
    POINT origin{0, 0};
    MapWindowPoints(body->tabs, hwnd, &origin, 1);
    LPtoDP(dc, &origin, 1);
    SetBrushOrgEx(dc, origin.x, origin.y, nullptr);
    return body->brush;
}

void PaintBackground(HWND hwnd, HDC dc) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    FillRect(dc, &rect, BackgroundBrush(hwnd, dc, BodyOf(hwnd)));
}

// A frame draws itself: the background of the page it lies on, and when it
// is boxed an etched border with its caption set into the top edge.
void PaintFrame(HWND hwnd, HDC dc) {
    RECT rect{};
    GetClientRect(hwnd, &rect);
    const Win32PageBody* body = BodyOf(hwnd);
    FillRect(dc, &rect, BackgroundBrush(hwnd, dc, body));
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
            // The caption interrupts the border: its background first, then
            // the text over it.
            SIZE extent{};
            GetTextExtentPoint32W(dc, caption, length, &extent);
            const RECT behind{metrics.tmAveCharWidth, 0, metrics.tmAveCharWidth + extent.cx, extent.cy};
            FillRect(dc, &behind, BackgroundBrush(hwnd, dc, body));
            SetTextColor(dc, GetSysColor(IsWindowEnabled(hwnd) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
            SetBkMode(dc, TRANSPARENT);
            TextOutW(dc, metrics.tmAveCharWidth, 0, caption, length);
        }
        if (oldFont) SelectObject(dc, oldFont);
    }
}

LRESULT CALLBACK FrameProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CTLCOLORSTATIC:  // labels, check boxes and options
    case WM_CTLCOLORBTN:
        // On a page, the children's text lies on the tab strip's body.
        if (const Win32PageBody* body = BodyOf(hwnd)) {
            auto* dc = reinterpret_cast<HDC>(wParam);
            SetBkMode(dc, TRANSPARENT);
            SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
            return reinterpret_cast<LRESULT>(BackgroundBrush(reinterpret_cast<HWND>(lParam), dc, body));
        }
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_COMMAND:
    case WM_HSCROLL:
    case WM_NOTIFY:
    case WM_CTLCOLORSCROLLBAR:
        return SendMessageW(GetParent(hwnd), message, wParam, lParam);
    case WM_SETFONT:
        SetPropW(hwnd, kFontProperty, reinterpret_cast<HANDLE>(wParam));
        return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(GetPropW(hwnd, kFontProperty));
    // A themed child asks for the background behind it
    // (DrawThemeParentBackground) with these two.
    case WM_ERASEBKGND: PaintBackground(hwnd, reinterpret_cast<HDC>(wParam)); return 1;
    case WM_PRINTCLIENT: PaintFrame(hwnd, reinterpret_cast<HDC>(wParam)); return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(hwnd, &paint);
        PaintFrame(hwnd, dc);
        EndPaint(hwnd, &paint);
        return 0;
    }
    case WM_SETTEXT:
    case WM_ENABLE: {
        const LRESULT result = DefWindowProcW(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return result;
    }
    case WM_NCDESTROY:
        RemovePropW(hwnd, kFontProperty);
        RemovePropW(hwnd, kBoxedProperty);
        RemovePropW(hwnd, kBodyProperty);
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

// --- The font ------------------------------------------------------------------

// How wide a caption is in the dialog font at a size and DPI, with what its
// control draws beside it (CaptionWidth).
class CaptionMeter {
public:
    explicit CaptionMeter(int dpi) : mDpi(dpi), mDc(CreateCompatibleDC(nullptr)) {
        mOldFont = SelectObject(mDc, GetStockObject(DEFAULT_GUI_FONT));
    }
    ~CaptionMeter() {
        SelectObject(mDc, mOldFont);
        for (const auto& [points, font] : mFonts) DeleteObject(font);
        DeleteDC(mDc);
    }
    CaptionMeter(const CaptionMeter&) = delete;
    CaptionMeter& operator=(const CaptionMeter&) = delete;

    double operator()(const ControlLayout& control, double points) {
        HFONT& font = mFonts[points];
        if (!font) font = DialogFont(points, mDpi);
        SelectObject(mDc, font);
        const std::wstring text = Widen(control.caption);
        SIZE extent{};
        GetTextExtentPoint32W(mDc, text.c_str(), int(text.size()), &extent);
        TEXTMETRICW metrics{};
        GetTextMetricsW(mDc, &metrics);
        return double(extent.cx) + Beside(control.kind, metrics);
    }

private:
    int Scaled(int pixelsAt96) const { return MulDiv(pixelsAt96, mDpi, kBaseDpi); }

    double Beside(ControlKind kind, const TEXTMETRICW& metrics) const {
        switch (kind) {
        case ControlKind::CheckBox:
        case ControlKind::OptionButton: return Scaled(kIndicatorAt96) + Scaled(kIndicatorGapAt96);
        case ControlKind::CommandButton: return Scaled(kButtonMarginsAt96);
        // PaintFrame sets the caption one average character in, and keeps as
        // much of the border showing after it.
        case ControlKind::Frame: return 2.0 * metrics.tmAveCharWidth;
        case ControlKind::Label:
        case ControlKind::TabStrip:
        case ControlKind::HScrollBar: return 0;
        }
        return 0;
    }

    int mDpi;
    HDC mDc;
    HGDIOBJ mOldFont = nullptr;
    std::map<double, HFONT> mFonts;
};

// --- Building ------------------------------------------------------------------

class Builder {
public:
    Builder(HWND dialog, double twipsPerPixel, Win32DialogLook& look, std::shared_ptr<bool> alive,
            Win32DialogRoutes& routes)
        : mDialog(dialog), mTwipsPerPixel(twipsPerPixel), mFont(look.font), mBody(look.pageBody),
          mAlive(std::move(alive)), mRoutes(routes), mPages(std::make_shared<PageStack>()) {}

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

    // Once every window exists: the tab strips under their pages, the
    // picture of the (first) strip's body for the pages, and the front page
    // shown.
    void Finish() {
        for (const Win32TabStripBinding& strip : mTabStrips) strip.PlaceBelowPages();
        if (!mTabStrips.empty()) mTabStrips.front().PictureBody(mBody);
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
        // The pages lie on the tab strip, and so does everything on them.
        SetPropW(frame, kBodyProperty, &mBody);
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
    Win32PageBody& mBody;
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

Win32DialogLook::~Win32DialogLook() {
    if (pageBody.brush) DeleteObject(pageBody.brush);
    if (pageBody.picture) DeleteObject(pageBody.picture);
    if (font) DeleteObject(font);
}

std::unique_ptr<Win32DialogLook> BuildWin32DialogControls(HWND dialog, DialogControls& controls,
                                                          double twipsPerPixel, const std::shared_ptr<bool>& alive,
                                                          Win32DialogRoutes& routes) {
    auto look = std::make_unique<Win32DialogLook>();
    const int dpi = int(std::lround(kTwipsPerInch / twipsPerPixel));
    double points = kDialogPoints;
    {
        CaptionMeter meter(dpi);
        points = FitCaptionPoints(controls.Layout(), twipsPerPixel,
                                  [&meter](const ControlLayout& control, double size) { return meter(control, size); });
    }
    look->font = DialogFont(points, dpi);
    Builder builder(dialog, twipsPerPixel, *look, alive, routes);
    for (size_t i = 0; i < controls.Count(); ++i) builder.Build(controls.At(i));
    builder.Finish();
    return look;
}

}  // namespace vb
