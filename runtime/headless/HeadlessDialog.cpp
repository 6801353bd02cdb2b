#include "runtime/headless/HeadlessDialog.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <stdexcept>

#include "runtime/headless/HeadlessPlatform.h"

namespace vb {
namespace {
constexpr Integer kKeyReturn = 13;
constexpr Integer kKeySpace = 32;
}  // namespace

HeadlessDialog::HeadlessDialog(const WindowSpec& spec, WindowEvents& events, const ScreenMetrics& screen,
                               DialogControls& controls, std::vector<HeadlessWindow*>& windows,
                               std::vector<HeadlessDialog*>& dialogs)
    : mEvents(events),
      mControls(controls),
      mWindow(std::make_unique<HeadlessWindow>(spec, events, screen)),
      mWindows(windows),
      mDialogs(dialogs) {
    const DialogLayout& layout = controls.Layout();
    mWindow->geometry = {0, 0, TwipsToPixels(layout.clientWidth, screen.twipsPerPixel),
                         TwipsToPixels(layout.clientHeight, screen.twipsPerPixel)};
    for (size_t i = 0; i < controls.Count(); ++i) {
        Control& control = controls.At(i);
        auto view = std::make_unique<HeadlessDialogView>(mStacking);
        mEntries[ControlKey(control.Name(), control.Index())] = {&control, view.get()};
        control.Attach(std::move(view));
    }
    mWindows.push_back(mWindow.get());
    mDialogs.push_back(this);
}

// The views belong to the controls, which may already be gone (a form
// destroys its controls before its window), so they are not touched here.
HeadlessDialog::~HeadlessDialog() {
    std::erase(mWindows, mWindow.get());
    std::erase(mDialogs, this);
}

void HeadlessDialog::Show() { mWindow->Show(); }
void HeadlessDialog::SendToBack() { mWindow->SendToBack(); }
void HeadlessDialog::BringToFront() { mWindow->BringToFront(); }
PixelRect HeadlessDialog::Geometry() const { return mWindow->Geometry(); }
void HeadlessDialog::SetGeometry(const PixelRect& outer) { mWindow->SetGeometry(outer); }
Canvas& HeadlessDialog::Surface() { return *mWindow; }
const WindowSpec& HeadlessDialog::Spec() const { return mWindow->spec; }

const HeadlessDialog::Entry& HeadlessDialog::At(const std::string& name, Integer index) const {
    auto it = mEntries.find(ControlKey(name, index));
    if (it == mEntries.end()) throw std::logic_error("the dialog has no control " + ControlKey(name, index));
    return it->second;
}

std::string HeadlessDialog::Caption(const std::string& name, Integer index) const { return At(name, index).view->caption; }
Integer HeadlessDialog::Value(const std::string& name, Integer index) const { return At(name, index).view->value; }
bool HeadlessDialog::Enabled(const std::string& name, Integer index) const { return At(name, index).view->enabled; }

std::string HeadlessDialog::FrontPage() const {
    const Entry* front = nullptr;
    for (const auto& [key, entry] : mEntries) {
        const ControlLayout& layout = entry.control->Layout();
        if (layout.kind != ControlKind::Frame || !layout.container.empty()) continue;
        if (!front || entry.view->place > front->view->place) front = &entry;
    }
    return front ? front->control->Name() : "";
}

Integer HeadlessDialog::ThumbPosition(const std::string& bar) const {
    auto* scrollBar = dynamic_cast<ScrollBar*>(At(bar, -1).control);
    if (!scrollBar) throw std::logic_error(bar + " is not a scroll bar");
    return scrollBar->ThumbPosition();
}

std::vector<Integer> HeadlessDialog::SelectedOptions(const std::string& name) const {
    std::vector<Integer> selected;
    for (const auto& [key, entry] : mEntries)
        if (entry.control->Name() == name && entry.control->Layout().kind == ControlKind::OptionButton &&
            entry.view->value != 0)
            selected.push_back(entry.control->Index());
    std::sort(selected.begin(), selected.end());
    return selected;
}

bool HeadlessDialog::OnFrontPage(const ControlLayout& layout) const {
    const ControlLayout* outermost = &layout;
    while (!outermost->container.empty()) outermost = &At(outermost->container, -1).control->Layout();
    if (outermost == &layout || outermost->kind != ControlKind::Frame) return true;
    return outermost->name == FrontPage();
}

template <typename T>
T* HeadlessDialog::Reach(const std::string& name, Integer index) {
    const Entry& entry = At(name, index);
    if (!OnFrontPage(entry.control->Layout()))
        throw std::logic_error(ControlKey(name, index) + " is on a page behind " + FrontPage());
    auto* control = dynamic_cast<T*>(entry.control);
    if (!control) throw std::logic_error(ControlKey(name, index) + " cannot take that action");
    return entry.view->enabled ? control : nullptr;
}

void HeadlessDialog::ClickArrow(const std::string& bar, Side side) {
    if (auto* control = Reach<ScrollBar>(bar, -1))
        control->UserScroll(side == Side::Left ? ScrollAction::LineLeft : ScrollAction::LineRight);
}

void HeadlessDialog::ClickTrough(const std::string& bar, Side side) {
    if (auto* control = Reach<ScrollBar>(bar, -1))
        control->UserScroll(side == Side::Left ? ScrollAction::PageLeft : ScrollAction::PageRight);
}

void HeadlessDialog::DragThumb(const std::string& bar, Integer position) {
    if (auto* control = Reach<ScrollBar>(bar, -1)) control->UserThumbDrag(position);
}

void HeadlessDialog::ReleaseThumb(const std::string& bar) {
    auto* control = Reach<ScrollBar>(bar, -1);
    if (!control) return;
    if (!control->Dragging()) throw std::logic_error(bar + "'s thumb is not being dragged");
    control->UserThumbRelease(control->ThumbPosition());
}

void HeadlessDialog::PressKey(const std::string& name, Integer keyCode, Integer index) {
    if (keyCode == kKeyReturn) {
        PressEnter();
        return;
    }
    Control* control = Reach<Control>(name, index);
    if (!control) return;
    if (auto* bar = dynamic_cast<ScrollBar*>(control)) {
        bar->UserKey(keyCode);
    } else if (keyCode == kKeySpace) {
        if (auto* box = dynamic_cast<CheckBox*>(control)) box->UserClick();
        if (auto* option = dynamic_cast<OptionButton*>(control)) option->UserClick();
        if (auto* button = dynamic_cast<CommandButton*>(control)) button->UserClick();
    }
}

void HeadlessDialog::Click(const std::string& name, Integer index) {
    Control* control = Reach<Control>(name, index);
    if (!control) return;
    if (auto* box = dynamic_cast<CheckBox*>(control))
        box->UserClick();
    else if (auto* option = dynamic_cast<OptionButton*>(control))
        option->UserClick();
    else if (auto* button = dynamic_cast<CommandButton*>(control))
        button->UserClick();
    else
        throw std::logic_error(ControlKey(name, index) + " is not a check box, option or button");
}

void HeadlessDialog::ClickTab(const std::string& tabStrip, Integer tab) {
    if (auto* control = Reach<TabStrip>(tabStrip, -1)) control->UserSelect(tab);
}

void HeadlessDialog::PressEnter() {
    CommandButton* button = mControls.DefaultButton();
    if (button && At(button->Name(), button->Index()).view->enabled) button->UserClick();
}

void HeadlessDialog::ClickCloseBox() { mEvents.OnCloseRequested(); }

}  // namespace vb
