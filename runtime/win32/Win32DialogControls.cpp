#include "runtime/win32/Win32DialogControls.h"

#include <commctrl.h>

#include <cmath>
#include <string>
#include <vector>

#include "runtime/controls/DialogControls.h"
#include "runtime/Platform.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {
namespace {

constexpr int kFirstControlId = 1000;  // clear of IDOK and IDCANCEL, which no control answers
constexpr const wchar_t* kKeyHandlerProperty = L"Gyrobloom.ScrollKeys";
constexpr const wchar_t* kOldProcProperty = L"Gyrobloom.OldProc";
constexpr const wchar_t* kFontProperty = L"Gyrobloom.Font";
constexpr const wchar_t* kBoxedProperty = L"Gyrobloom.Boxed";

RECT PixelRectOf(const TwipsRect& r, double twipsPerPixel) {
    const int left = TwipsToPixels(r.left, twipsPerPixel), top = TwipsToPixels(r.top, twipsPerPixel);
    return RECT{left, top, left + TwipsToPixels(r.width, twipsPerPixel), top + TwipsToPixels(r.height, twipsPerPixel)};
}

// --- Views: the portable state, shown in the native controls ---------------

class WindowView : public ControlView {
public:
    WindowView(HWND hwnd, std::shared_ptr<bool> alive) : mHwnd(hwnd), mAlive(std::move(alive)) {}
    void ShowEnabled(bool enabled) override {
        if (Alive()) EnableWindow(mHwnd, enabled);
    }

protected:
    bool Alive() const { return *mAlive; }
    HWND mHwnd;

private:
    std::shared_ptr<bool> mAlive;
};

class ButtonView final : public WindowView {
public:
    ButtonView(HWND hwnd, std::shared_ptr<bool> alive, bool checkable)
        : WindowView(hwnd, std::move(alive)), mCheckable(checkable) {}
    void ShowCaption(const std::string& caption) override {
        if (Alive()) SetWindowTextW(mHwnd, Widen(caption).c_str());
    }
    void ShowValue(Integer value) override {
        if (Alive() && mCheckable) SendMessageW(mHwnd, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
    }

private:
    bool mCheckable;
};

class LabelView final : public WindowView {
public:
    using WindowView::WindowView;
    void ShowCaption(const std::string& caption) override {
        if (Alive()) SetWindowTextW(mHwnd, Widen(caption).c_str());
    }
};

// The frames that lie directly on the dialog are the tab strip's pages, one
// on top of the other: the one in front is shown, the others hidden, so that
// only the front page's controls take the focus.
class PageStack {
public:
    void Add(HWND page) { mPages.push_back(page); }
    void ToFront(HWND page) { Move(page, true); }
    void ToBack(HWND page) { Move(page, false); }
    // A later page lies above an earlier one until the program says
    // otherwise.
    void ShowFront() {
        for (HWND page : mPages) ShowWindow(page, page == mPages.back() ? SW_SHOWNA : SW_HIDE);
    }

private:
    void Move(HWND page, bool front) {
        std::erase(mPages, page);
        if (front)
            mPages.push_back(page);
        else
            mPages.insert(mPages.begin(), page);
        ShowFront();
    }
    std::vector<HWND> mPages;  // back to front
};

class FrameView final : public WindowView {
public:
    FrameView(HWND frame, std::shared_ptr<bool> alive, std::shared_ptr<PageStack> pages)
        : WindowView(frame, std::move(alive)), mPages(std::move(pages)) {}
    void ShowCaption(const std::string& caption) override {
        if (Alive()) SetWindowTextW(mHwnd, Widen(caption).c_str());
    }
    void ShowZOrder(Integer position) override {
        if (!Alive()) return;
        if (mPages) {
            if (position == 1)
                mPages->ToBack(mHwnd);
            else
                mPages->ToFront(mHwnd);
            return;
        }
        SetWindowPos(mHwnd, position == 1 ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }

private:
    std::shared_ptr<PageStack> mPages;  // null for a frame inside another
};

class ScrollBarView final : public WindowView {
public:
    using WindowView::WindowView;
    void ShowValue(Integer value) override {
        if (Alive()) SetScrollPos(mHwnd, SB_CTL, value, TRUE);
    }
};

class TabStripView final : public WindowView {
public:
    using WindowView::WindowView;
    void ShowValue(Integer tab) override {
        if (Alive()) SendMessageW(mHwnd, TCM_SETCURSEL, WPARAM(tab - 1), 0);
    }
};

// --- Window procedures ---------------------------------------------------------

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

// A scroll bar's keys go to the portable control, which maps them; the
// native mapping never runs for a key the control takes.
LRESULT CALLBACK ScrollBarKeysProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* oldProc = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOldProcProperty));
    auto* control = static_cast<ScrollBar*>(GetPropW(hwnd, kKeyHandlerProperty));
    if (control && message == WM_GETDLGCODE) return DLGC_WANTARROWS;
    if (control && message == WM_KEYDOWN) {
        bool taken = false;
        ForwardToProgram([&] { taken = control->UserKey(Integer(wParam)); });
        if (taken) {
            SetScrollPos(hwnd, SB_CTL, control->ThumbPosition(), TRUE);
            return 0;
        }
    }
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldProc));
        RemovePropW(hwnd, kOldProcProperty);
        RemovePropW(hwnd, kKeyHandlerProperty);
    }
    return CallWindowProcW(oldProc, hwnd, message, wParam, lParam);
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

    // The pages lie above the tab strip they belong to, so the strip goes
    // to the bottom (and last in the focus order).
    void Finish() {
        for (HWND tabs : mTabStrips) SetWindowPos(tabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
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
        if (control.Default()) mRoutes.defaultId = id;
        mRoutes.clicks[id] = [&control] { control.UserClick(); };
        control.Attach(std::make_unique<ButtonView>(button, mAlive, false));
    }

    void TabStripWindow(TabStrip& control, HWND parent, const RECT& rect, int id) {
        HWND tabs = Child(WC_TABCONTROLW, WS_TABSTOP | TCS_TABS | TCS_FOCUSONBUTTONDOWN, parent, rect, id);
        int n = 0;
        for (const std::string& caption : control.Tabs()) {
            std::wstring text = Widen(caption);
            TCITEMW item{};
            item.mask = TCIF_TEXT;
            item.pszText = text.data();
            SendMessageW(tabs, TCM_INSERTITEMW, WPARAM(n++), reinterpret_cast<LPARAM>(&item));
        }
        mRoutes.tabChanges[tabs] = [tabs, &control] {
            const auto chosen = Integer(SendMessageW(tabs, TCM_GETCURSEL, 0, 0) + 1);
            control.UserSelect(chosen);
            SendMessageW(tabs, TCM_SETCURSEL, WPARAM(control.SelectedIndex() - 1), 0);
        };
        mTabStrips.push_back(tabs);
        control.Attach(std::make_unique<TabStripView>(tabs, mAlive));
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
        SCROLLINFO info{};
        info.cbSize = sizeof(info);
        info.fMask = SIF_RANGE | SIF_POS | SIF_PAGE;
        info.nMin = control.Min();
        info.nMax = control.Max();
        info.nPage = 0;
        info.nPos = control.Value();
        SetScrollInfo(bar, SB_CTL, &info, FALSE);
        SetPropW(bar, kKeyHandlerProperty, &control);
        SetPropW(bar, kOldProcProperty, reinterpret_cast<HANDLE>(GetWindowLongPtrW(bar, GWLP_WNDPROC)));
        SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ScrollBarKeysProc));

        mRoutes.scrolls[bar] = [bar, &control](int request, int position) {
            switch (request) {
            case SB_LINELEFT: control.UserScroll(ScrollAction::LineLeft); break;
            case SB_LINERIGHT: control.UserScroll(ScrollAction::LineRight); break;
            case SB_PAGELEFT: control.UserScroll(ScrollAction::PageLeft); break;
            case SB_PAGERIGHT: control.UserScroll(ScrollAction::PageRight); break;
            case SB_LEFT: control.UserScroll(ScrollAction::ToMin); break;
            case SB_RIGHT: control.UserScroll(ScrollAction::ToMax); break;
            case SB_THUMBTRACK: control.UserThumbDrag(Integer(position)); break;
            case SB_THUMBPOSITION: control.UserThumbRelease(Integer(position)); break;
            case SB_ENDSCROLL:
                // A drag the bar ended without a final position.
                if (control.Dragging()) control.UserThumbRelease(control.ThumbPosition());
                break;
            default: break;
            }
            SetScrollPos(bar, SB_CTL, control.ThumbPosition(), TRUE);
        };
        control.Attach(std::make_unique<ScrollBarView>(bar, mAlive));
    }

    void CheckBoxWindow(CheckBox& control, HWND parent, const RECT& rect, int id) {
        // Not an automatic check box: the portable control decides the value.
        HWND box = Child(L"BUTTON", WS_TABSTOP | BS_CHECKBOX | BS_NOTIFY, parent, rect, id);
        mRoutes.clicks[id] = [&control] { control.UserClick(); };
        control.Attach(std::make_unique<ButtonView>(box, mAlive, true));
    }

    void OptionWindow(OptionButton& control, HWND parent, const RECT& rect, int id) {
        // Not automatic either: the portable group clears the other options.
        HWND option = Child(L"BUTTON", WS_TABSTOP | BS_RADIOBUTTON, parent, rect, id);
        mRoutes.clicks[id] = [&control] { control.UserClick(); };
        control.Attach(std::make_unique<ButtonView>(option, mAlive, true));
    }

    HWND mDialog;
    double mTwipsPerPixel;
    HFONT mFont;
    std::shared_ptr<bool> mAlive;
    Win32DialogRoutes& mRoutes;
    std::shared_ptr<PageStack> mPages;
    std::map<std::string, HWND> mContainers;
    std::vector<HWND> mTabStrips;
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
