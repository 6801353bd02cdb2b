#include "runtime/controls/Frame.h"

namespace vb {

void Frame::ZOrder(Integer position) {
    const Integer where = position == 1 ? 1 : 0;
    ShowInView([&](ControlView& view) { view.ShowZOrder(where); });
}

}  // namespace vb
