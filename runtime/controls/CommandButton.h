#pragma once
// A command button. Click runs when the user clicks it, presses the space bar
// on it, or presses Enter while it is the dialog's default button.

#include <functional>

#include "runtime/controls/Control.h"

namespace vb {

class CommandButton final : public Control {
public:
    explicit CommandButton(const ControlLayout& layout) : Control(layout) {}

    bool Default() const { return Layout().isDefault; }

    std::function<void()> Click;

    // Ignored while disabled.
    void UserClick();
};

}  // namespace vb
