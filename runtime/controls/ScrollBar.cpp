#include "runtime/controls/ScrollBar.h"

#include <algorithm>
#include <cassert>

#include "runtime/base/RuntimeError.h"

namespace vb {

ScrollBar::ScrollBar(const ControlLayout& layout) : Control(layout), mValue(layout.value) {
    assert(layout.min <= layout.max && "a scroll bar's Min must not exceed its Max");
    assert(layout.value >= layout.min && layout.value <= layout.max && "a scroll bar must start in its range");
}

void ScrollBar::Present(ControlView& view) const { view.ShowValue(ThumbPosition()); }

Integer ScrollBar::Clamped(int position) const {
    return Integer(std::clamp(position, int(Min()), int(Max())));
}

void ScrollBar::MoveTo(Integer value) {
    if (value == mValue) return;
    mValue = value;
    ShowInView([&](ControlView& view) { view.ShowValue(value); });
    if (Change) Change();
}

void ScrollBar::Value(Integer value) {
    if (value < Min() || value > Max()) Raise(kErrInvalidProperty);
    MoveTo(value);
}

void ScrollBar::UserScroll(ScrollAction action) {
    if (!Enabled()) return;
    int target = mValue;
    switch (action) {
    case ScrollAction::LineLeft: target -= SmallChange(); break;
    case ScrollAction::LineRight: target += SmallChange(); break;
    case ScrollAction::PageLeft: target -= LargeChange(); break;
    case ScrollAction::PageRight: target += LargeChange(); break;
    case ScrollAction::ToMin: target = Min(); break;
    case ScrollAction::ToMax: target = Max(); break;
    }
    MoveTo(Clamped(target));
}

bool ScrollBar::UserKey(Integer keyCode) {
    switch (keyCode) {
    case kKeyLeft:
    case kKeyUp: UserScroll(ScrollAction::LineLeft); return true;
    case kKeyRight:
    case kKeyDown: UserScroll(ScrollAction::LineRight); return true;
    case kKeyPageUp: UserScroll(ScrollAction::PageLeft); return true;
    case kKeyPageDown: UserScroll(ScrollAction::PageRight); return true;
    case kKeyHome: UserScroll(ScrollAction::ToMin); return true;
    case kKeyEnd: UserScroll(ScrollAction::ToMax); return true;
    default: return false;
    }
}

void ScrollBar::UserThumbDrag(Integer position) {
    if (!Enabled()) return;
    mDragging = true;
    mThumb = Clamped(position);
}

void ScrollBar::UserThumbRelease(Integer position) {
    const bool wasDragging = mDragging;
    mDragging = false;
    if (!Enabled()) {
        // The thumb goes back to where the value is.
        if (wasDragging) ShowInView([&](ControlView& view) { view.ShowValue(mValue); });
        return;
    }
    MoveTo(Clamped(position));
}

}  // namespace vb
