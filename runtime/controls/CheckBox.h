#pragma once
// A check box: Value 0 (unchecked) or 1 (checked). Click runs after every
// change of the value: a click or the space bar by the user, or an
// assignment of a different value by the program.

#include <functional>

#include "runtime/controls/Control.h"

namespace vb {

constexpr Integer kUnchecked = 0;
constexpr Integer kChecked = 1;

class CheckBox final : public Control {
public:
    explicit CheckBox(const ControlLayout& layout);

    Integer Value() const { return mValue; }
    // Raises error 380 (Invalid property value) for anything but 0 or 1.
    void Value(Integer value);

    std::function<void()> Click;

    // The user clicked the box (or pressed the space bar on it): the value
    // toggles. Ignored while disabled.
    void UserClick();

protected:
    void Present(ControlView& view) const override { view.ShowValue(mValue); }

private:
    Integer mValue = kUnchecked;
};

}  // namespace vb
