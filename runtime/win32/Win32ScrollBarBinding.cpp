#include "runtime/win32/Win32ScrollBarBinding.h"

#include "runtime/Platform.h"
#include "runtime/controls/ScrollBar.h"
#include "runtime/win32/Win32ControlViews.h"
#include "runtime/win32/Win32DialogBuilder.h"

namespace vb {
namespace {

constexpr const wchar_t* kKeyHandlerProperty = L"Gyrobloom.ScrollKeys";
constexpr const wchar_t* kOldProcProperty = L"Gyrobloom.OldProc";

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

}  // namespace

void BindWin32ScrollBar(ScrollBar& control, HWND bar, const std::shared_ptr<bool>& alive,
                        Win32DialogRoutes& routes) {
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

    routes.scrolls[bar] = [bar, &control](int request, int position) {
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
    control.Attach(std::make_unique<ScrollBarView>(bar, alive));
}

}  // namespace vb
