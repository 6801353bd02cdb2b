#include "runtime/controls/Control.h"

namespace vb {

Control::Control(const ControlLayout& layout) : mLayout(layout), mCaption(layout.caption) {}

Control::~Control() = default;

void Control::Caption(const std::string& text) {
    mCaption = text;
    ShowInView([&](ControlView& view) { view.ShowCaption(text); });
}

void Control::Enabled(bool value) {
    mEnabled = value;
    ShowInView([&](ControlView& view) { view.ShowEnabled(value); });
}

void Control::Attach(std::unique_ptr<ControlView> view) {
    mView = std::move(view);
    if (!mView) return;
    mView->ShowCaption(mCaption);
    mView->ShowEnabled(mEnabled);
    Present(*mView);
}

}  // namespace vb
