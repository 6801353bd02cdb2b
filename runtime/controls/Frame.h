#pragma once
// A frame: a container with an optional caption. Frames placed on the same
// spot (the pages of a tab strip) show whichever is in front, so ZOrder is
// how the program turns a page.

#include "runtime/controls/Control.h"

namespace vb {

class Frame final : public Control {
public:
    explicit Frame(const ControlLayout& layout) : Control(layout) {}

    // 0 (the default) brings the frame in front of the other controls of its
    // container, 1 sends it behind them.
    void ZOrder(Integer position = 0);
};

}  // namespace vb
