#pragma once
// A label: a caption the program sets and the user only reads.

#include "runtime/controls/Control.h"

namespace vb {

class Label final : public Control {
public:
    explicit Label(const ControlLayout& layout) : Control(layout) {}
};

}  // namespace vb
