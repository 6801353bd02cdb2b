#include "runtime/controls/DialogControls.h"

#include <map>

namespace vb {
namespace {

std::unique_ptr<Control> Create(const ControlLayout& layout) {
    switch (layout.kind) {
    case ControlKind::CommandButton: return std::make_unique<CommandButton>(layout);
    case ControlKind::TabStrip: return std::make_unique<TabStrip>(layout);
    case ControlKind::Frame: return std::make_unique<Frame>(layout);
    case ControlKind::Label: return std::make_unique<Label>(layout);
    case ControlKind::HScrollBar: return std::make_unique<ScrollBar>(layout);
    case ControlKind::CheckBox: return std::make_unique<CheckBox>(layout);
    case ControlKind::OptionButton: return std::make_unique<OptionButton>(layout);
    }
    assert(false && "unknown control kind");
    return nullptr;
}

}  // namespace

DialogControls::DialogControls(DialogLayout layout) : mLayout(std::move(layout)) {
    std::map<std::string, std::vector<OptionButton*>> groups;  // by container
    for (const ControlLayout& entry : mLayout.controls) {
        assert(!Find(entry.name, entry.index) && "two controls with the same name and index");
        mControls.push_back(Create(entry));
        if (auto* option = dynamic_cast<OptionButton*>(mControls.back().get()))
            groups[entry.container].push_back(option);
    }
    for (auto& [container, group] : groups)
        for (OptionButton* option : group) option->Group(group);
}

DialogControls::~DialogControls() = default;

Control* DialogControls::Find(const std::string& name, Integer index) {
    for (auto& control : mControls)
        if (control->Name() == name && control->Index() == index) return control.get();
    return nullptr;
}

CommandButton* DialogControls::DefaultButton() {
    for (auto& control : mControls)
        if (auto* button = dynamic_cast<CommandButton*>(control.get()); button && button->Default()) return button;
    return nullptr;
}

}  // namespace vb
