#pragma once
// The part every control of a dialog shares: its design-time data, its
// caption, whether it is enabled, and the backend's view of it.
//
// Controls are portable: the rules the dialog relies on (a handler runs only
// when a value really changes, a dragged thumb reports once, selecting an
// option clears its siblings) are written once, in the control classes. A
// backend attaches a view to each control and forwards what the user did.

#include <memory>
#include <string>

#include "runtime/controls/ControlView.h"
#include "runtime/controls/DialogLayout.h"

namespace vb {

class Control {
public:
    explicit Control(const ControlLayout& layout);
    virtual ~Control();
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const ControlLayout& Layout() const { return mLayout; }
    const std::string& Name() const { return mLayout.name; }
    // The index in the control's array; -1 for a single control.
    Integer Index() const { return mLayout.index; }

    // The text the control shows; controls without a caption (scroll bars,
    // the tab strip) keep an empty one.
    const std::string& Caption() const { return mCaption; }
    void Caption(const std::string& text);

    // A disabled control ignores what the user does and its backend shows it
    // greyed; the program can still set its value.
    bool Enabled() const { return mEnabled; }
    void Enabled(bool value);

    // Hands the control the backend's view of it, which at once receives the
    // control's whole state. A new view replaces the old one; nullptr
    // detaches. The control owns its view, so a view must stay safe to call
    // after its native widget is gone.
    void Attach(std::unique_ptr<ControlView> view);
    ControlView* View() const { return mView.get(); }

protected:
    // Shows the state particular to the kind (value, selection) in a newly
    // attached view.
    virtual void Present(ControlView& /*view*/) const {}

    template <typename Update>
    void ShowInView(Update&& update) {
        if (mView) update(*mView);
    }

private:
    const ControlLayout& mLayout;
    std::string mCaption;
    bool mEnabled = true;
    std::unique_ptr<ControlView> mView;
};

}  // namespace vb
