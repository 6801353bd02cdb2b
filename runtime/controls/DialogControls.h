#pragma once
// The controls of one dialog, created from its layout: one portable control
// per layout entry, in the same order. The form that owns them binds their
// handlers; the backend walks them to build its native controls and attach
// a view to each.

#include <cassert>
#include <memory>
#include <string>
#include <vector>

#include "runtime/controls/Control.h"
#include "runtime/controls/CheckBox.h"
#include "runtime/controls/CommandButton.h"
#include "runtime/controls/Frame.h"
#include "runtime/controls/Label.h"
#include "runtime/controls/OptionButton.h"
#include "runtime/controls/ScrollBar.h"
#include "runtime/controls/TabStrip.h"
#include "runtime/controls/DialogLayout.h"

namespace vb {

class DialogControls {
public:
    explicit DialogControls(DialogLayout layout);
    ~DialogControls();
    // The controls refer to the layout they were made from, so the
    // collection stays where it was made.
    DialogControls(const DialogControls&) = delete;
    DialogControls& operator=(const DialogControls&) = delete;

    const DialogLayout& Layout() const { return mLayout; }
    size_t Count() const { return mControls.size(); }
    // The control of the layout's n-th entry.
    Control& At(size_t n) { return *mControls.at(n); }

    // Nothing when no control has that name and index.
    Control* Find(const std::string& name, Integer index = -1);

    // The control of that name and index, which must exist and be a T.
    template <typename T>
    T& Get(const std::string& name, Integer index = -1) {
        auto* control = dynamic_cast<T*>(Find(name, index));
        assert(control && "no control of that name, index and kind in the layout");
        return *control;
    }

    // The button Enter presses; nothing when the dialog has none.
    CommandButton* DefaultButton();

private:
    const DialogLayout mLayout;
    std::vector<std::unique_ptr<Control>> mControls;
};

}  // namespace vb
