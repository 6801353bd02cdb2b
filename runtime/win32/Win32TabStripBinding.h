#pragma once
// How a Win32 tab control reaches the portable TabStrip: a click on a tab
// asks the control to select it, and the tab control shows whichever tab the
// control then holds. The pages (frames of the layout) lie above the tab
// control, in its display area.

#include "runtime/win32/Win32Api.h"

#include <memory>

namespace vb {

class TabStrip;
struct Win32DialogRoutes;
struct Win32PageBody;

class Win32TabStripBinding final {
public:
    // Fills `tabs`, a tab control, with the control's tabs, routes its
    // TCN_SELCHANGE through `routes` and attaches the view, which stops
    // touching the window once *alive is false.
    Win32TabStripBinding(TabStrip& control, HWND tabs, const std::shared_ptr<bool>& alive,
                         Win32DialogRoutes& routes);

    // Once every control exists: the pages lie above the tab strip they
    // belong to, so the strip goes to the bottom (and last in the focus
    // order).
    void PlaceBelowPages() const;

    // Once the tab control has its tabs and font: the picture of its body
    // (its client area as it paints it: a theme's pane, or the classic face
    // colour) in `body`, which must hold none yet.
    void PictureBody(Win32PageBody& body) const;

private:
    HWND mTabs;
};

}  // namespace vb
