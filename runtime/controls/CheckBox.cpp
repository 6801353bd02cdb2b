#include "runtime/controls/CheckBox.h"

#include "runtime/base/RuntimeError.h"

namespace vb {

CheckBox::CheckBox(const ControlLayout& layout) : Control(layout) {}

void CheckBox::Value(Integer value) {
    if (value != kUnchecked && value != kChecked) Raise(kErrInvalidProperty);
    if (value == mValue) return;
    mValue = value;
    ShowInView([&](ControlView& view) { view.ShowValue(value); });
    if (Click) Click();
}

void CheckBox::UserClick() {
    if (!Enabled()) return;
    Value(mValue == kChecked ? kUnchecked : kChecked);
}

}  // namespace vb
