#include "runtime/controls/OptionButton.h"

namespace vb {

OptionButton::OptionButton(const ControlLayout& layout) : Control(layout) {}

void OptionButton::Show(bool selected) {
    mValue = selected;
    ShowInView([&](ControlView& view) { view.ShowValue(selected ? 1 : 0); });
}

void OptionButton::Value(bool selected) {
    if (selected == mValue) return;
    if (!selected) {
        Show(false);
        return;
    }
    for (OptionButton* other : mGroup)
        if (other != this && other->mValue) other->Show(false);
    Show(true);
    if (Click) Click(Index());
}

void OptionButton::UserClick() {
    if (!Enabled()) return;
    Value(true);
}

}  // namespace vb
