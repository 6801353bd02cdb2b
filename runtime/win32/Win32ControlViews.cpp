#include "runtime/win32/Win32ControlViews.h"

#include <commctrl.h>

#include "runtime/win32/Win32Text.h"

namespace vb {

void WindowView::ShowEnabled(bool enabled) {
    if (Alive()) EnableWindow(mHwnd, enabled);
}

void ButtonView::ShowCaption(const std::string& caption) {
    if (Alive()) SetWindowTextW(mHwnd, Widen(caption).c_str());
}

void ButtonView::ShowValue(Integer value) {
    if (Alive() && mCheckable) SendMessageW(mHwnd, BM_SETCHECK, value != 0 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void LabelView::ShowCaption(const std::string& caption) {
    if (Alive()) SetWindowTextW(mHwnd, Widen(caption).c_str());
}

void PageStack::ShowFront() {
    for (HWND page : mPages) ShowWindow(page, page == mPages.back() ? SW_SHOWNA : SW_HIDE);
}

void PageStack::Move(HWND page, bool front) {
    std::erase(mPages, page);
    if (front)
        mPages.push_back(page);
    else
        mPages.insert(mPages.begin(), page);
    ShowFront();
}

void FrameView::ShowCaption(const std::string& caption) {
    if (Alive()) SetWindowTextW(mHwnd, Widen(caption).c_str());
}

void FrameView::ShowZOrder(Integer position) {
    if (!Alive()) return;
    if (mPages) {
        if (position == 1)
            mPages->ToBack(mHwnd);
        else
            mPages->ToFront(mHwnd);
        return;
    }
    SetWindowPos(mHwnd, position == 1 ? HWND_BOTTOM : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void ScrollBarView::ShowValue(Integer value) {
    if (Alive()) SetScrollPos(mHwnd, SB_CTL, value, TRUE);
}

void TabStripView::ShowValue(Integer tab) {
    if (Alive()) SendMessageW(mHwnd, TCM_SETCURSEL, WPARAM(tab - 1), 0);
}

}  // namespace vb
