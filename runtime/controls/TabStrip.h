#pragma once
// A tab strip: a row of tabs of which one is selected, numbered from 1. The
// tab strip shows no pages of its own; the program turns pages in its Click
// handler (by bringing a frame to the front). Click runs when the selected
// tab changes, by the user or by the program.

#include <functional>
#include <string>
#include <vector>

#include "runtime/controls/Control.h"

namespace vb {

class TabStrip final : public Control {
public:
    explicit TabStrip(const ControlLayout& layout);

    const std::vector<std::string>& Tabs() const { return Layout().tabs; }
    Integer SelectedIndex() const { return mSelected; }
    // Raises error 380 (Invalid property value) outside 1..the number of tabs.
    void SelectedIndex(Integer tab);

    std::function<void()> Click;

    // The user chose a tab (by the mouse or the keyboard). Ignored while
    // disabled or for a tab that does not exist.
    void UserSelect(Integer tab);

protected:
    void Present(ControlView& view) const override { view.ShowValue(mSelected); }

private:
    Integer mSelected = 1;
};

}  // namespace vb
