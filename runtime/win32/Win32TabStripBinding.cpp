#include "runtime/win32/Win32TabStripBinding.h"

#include <commctrl.h>

#include <string>

#include "runtime/controls/TabStrip.h"
#include "runtime/win32/Win32ControlViews.h"
#include "runtime/win32/Win32DialogBuilder.h"
#include "runtime/win32/Win32Text.h"

namespace vb {

Win32TabStripBinding::Win32TabStripBinding(TabStrip& control, HWND tabs, const std::shared_ptr<bool>& alive,
                                           Win32DialogRoutes& routes)
    : mTabs(tabs) {
    int n = 0;
    for (const std::string& caption : control.Tabs()) {
        std::wstring text = Widen(caption);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = text.data();
        SendMessageW(tabs, TCM_INSERTITEMW, WPARAM(n++), reinterpret_cast<LPARAM>(&item));
    }
    routes.tabChanges[tabs] = [tabs, &control] {
        const auto chosen = Integer(SendMessageW(tabs, TCM_GETCURSEL, 0, 0) + 1);
        control.UserSelect(chosen);
        SendMessageW(tabs, TCM_SETCURSEL, WPARAM(control.SelectedIndex() - 1), 0);
    };
    control.Attach(std::make_unique<TabStripView>(tabs, alive));
}

void Win32TabStripBinding::PlaceBelowPages() const {
    SetWindowPos(mTabs, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32TabStripBinding::PictureBody(Win32PageBody& body) const {
    RECT client{};
    GetClientRect(mTabs, &client);
    HDC screen = GetDC(mTabs);
    HDC dc = CreateCompatibleDC(screen);
    body.tabs = mTabs;
    body.picture = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(mTabs, screen);
    HGDIOBJ old = SelectObject(dc, body.picture);
    // The face colour first, for a tab control that leaves its background
    // to its parent.
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    SendMessageW(mTabs, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    SelectObject(dc, old);
    DeleteDC(dc);
    body.brush = CreatePatternBrush(body.picture);
}

}  // namespace vb
