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

}  // namespace vb
