#include "runtime/controls/TabStrip.h"

#include <cassert>

#include "runtime/base/RuntimeError.h"

namespace vb {

TabStrip::TabStrip(const ControlLayout& layout) : Control(layout) {
    assert(!layout.tabs.empty() && "a tab strip needs at least one tab");
}

void TabStrip::SelectedIndex(Integer tab) {
    if (tab < 1 || size_t(tab) > Tabs().size()) Raise(kErrInvalidProperty);
    if (tab == mSelected) return;
    mSelected = tab;
    ShowInView([&](ControlView& view) { view.ShowValue(tab); });
    if (Click) Click();
}

void TabStrip::UserSelect(Integer tab) {
    if (!Enabled() || tab < 1 || size_t(tab) > Tabs().size()) return;
    SelectedIndex(tab);
}

}  // namespace vb
