#pragma once
// A dialog's controls as design-time data: what each control is, what it sits
// in, what it shows and where. Every backend builds its native controls from
// this one table, so the dialog looks and behaves the same on each.
//
// Sizes and positions are twips (1440 per inch; 15 per pixel at 96 DPI).
// Left and Top are relative to the control's container: the dialog's client
// area, or the frame the control sits in.

#include <string>
#include <vector>

#include "runtime/base/VbTypes.h"

namespace vb {

enum class ControlKind {
    CommandButton,
    TabStrip,
    Frame,
    Label,
    HScrollBar,
    CheckBox,
    OptionButton,
};

struct TwipsRect {
    Integer left = 0;
    Integer top = 0;
    Integer width = 0;
    Integer height = 0;

    bool operator==(const TwipsRect&) const = default;
};

struct ControlLayout {
    std::string name;       // "hsbNumRays"; the elements of a control array share it
    Integer index = -1;     // index in its control array; -1 for a single control
    ControlKind kind = ControlKind::Label;
    std::string container;  // the frame it sits in; empty for the dialog itself
    std::string caption;    // label, frame, button, check box and option button text
    TwipsRect rect;

    // Scroll bars: range, position and steps. A scroll bar needs min <= max.
    Integer min = 0;
    Integer max = 32767;
    Integer value = 0;
    Integer smallChange = 1;  // an arrow click or arrow key
    Integer largeChange = 1;  // a click in the trough, Page Up or Page Down

    std::vector<std::string> tabs;  // tab strip: the tab captions, tab 1 first
    bool isDefault = false;         // command button: the one Enter presses
};

struct DialogLayout {
    Integer clientWidth = 0;  // twips
    Integer clientHeight = 0;
    // In creation order: a container comes before what it contains, a later
    // control lies above an earlier one in the same container, and the focus
    // moves through the controls in this order.
    std::vector<ControlLayout> controls;
};

// How a control is named in messages and lookups: "optDrawStyle(2)" for an
// element of a control array, the plain name otherwise.
std::string ControlKey(const std::string& name, Integer index);

}  // namespace vb
