#pragma once
// What a backend shows of one control of a dialog.
//
// The portable control decides; its view only displays. A control calls its
// view whenever its state changes, and once with its whole state when the
// view is attached. What the user does goes the other way, from the backend
// to the control's User... methods, never to a handler directly.

#include <string>

#include "runtime/base/VbTypes.h"

namespace vb {

class ControlView {
public:
    virtual ~ControlView() = default;

    // Label, frame, button, check box and option button text.
    virtual void ShowCaption(const std::string& /*caption*/) {}
    virtual void ShowEnabled(bool /*enabled*/) {}
    // Scroll bar: its position. Check box: 0 or 1. Option button: 1 when
    // selected. Tab strip: the selected tab, 1-based.
    virtual void ShowValue(Integer /*value*/) {}
    // 0 brings the control to the front of its container, 1 sends it to the
    // back.
    virtual void ShowZOrder(Integer /*position*/) {}
};

}  // namespace vb
