#pragma once
// An option button. The option buttons of one container form a group in
// which at most one is selected: selecting one clears the others without
// running their handlers, then runs its own Click with its index (the
// elements of a control array share one handler).
//
// Click runs when an option becomes selected, by the user or by the program;
// clearing an option runs nothing, and selecting the selected one again runs
// nothing.

#include <functional>
#include <vector>

#include "runtime/controls/Control.h"

namespace vb {

class OptionButton final : public Control {
public:
    explicit OptionButton(const ControlLayout& layout);

    bool Value() const { return mValue; }
    void Value(bool selected);

    std::function<void(Integer Index)> Click;

    // The user clicked the option (or pressed the space bar on it): it
    // becomes selected. Ignored while disabled.
    void UserClick();

    // The options of the same container, this one included. Set once by the
    // dialog's control collection.
    void Group(std::vector<OptionButton*> group) { mGroup = std::move(group); }

protected:
    void Present(ControlView& view) const override { view.ShowValue(mValue ? 1 : 0); }

private:
    void Show(bool selected);

    bool mValue = false;
    std::vector<OptionButton*> mGroup;
};

}  // namespace vb
