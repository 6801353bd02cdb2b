#include "windows/SettingsLayout.h"

#include <array>

namespace SettingsLayout {
namespace {

using Kind = vb::ControlKind;

// One control: name, array index (-1 for none), kind, container ("" for the
// dialog), caption, Left, Top, Width, Height, and for a scroll bar its Min
// and Max. In creation order: containers first, the three pages in the order
// of their tabs.
struct Row {
    const char* name;
    int index;
    Kind kind;
    const char* container;
    const char* caption;
    int left, top, width, height;
    int min = 0, max = 0;
};

constexpr std::array kRows{
    Row{"Command1", -1, Kind::CommandButton, "", "OK", 600, 4560, 1035, 435},
    Row{"Command2", -1, Kind::CommandButton, "", "Cancel", 1800, 4560, 1035, 435},
    Row{"Command3", -1, Kind::CommandButton, "", "Apply", 3000, 4560, 1035, 435},
    Row{"TabStrip1", -1, Kind::TabStrip, "", "", 120, 120, 4215, 4335},

    Row{"fraShapes", -1, Kind::Frame, "", "", 240, 480, 3975, 3735},
    Row{"Frame1", -1, Kind::Frame, "fraShapes", "Horizontal", 120, 120, 3735, 1455},
    Row{"lblXMaxPercent", -1, Kind::Label, "Frame1", "Size", 120, 240, 2295, 255},
    Row{"hsbXMaxPercent", -1, Kind::HScrollBar, "Frame1", "", 120, 480, 3495, 255, 0, 100},
    Row{"lblXIncrPercent", -1, Kind::Label, "Frame1", "Speed", 120, 840, 2295, 255},
    Row{"hsbXIncrPercent", -1, Kind::HScrollBar, "Frame1", "", 120, 1080, 3495, 255, 0, 100},
    Row{"Frame2", -1, Kind::Frame, "fraShapes", "Vertical", 120, 1560, 3735, 1455},
    Row{"lblYMaxPercent", -1, Kind::Label, "Frame2", "Size", 120, 240, 2175, 255},
    Row{"hsbYMaxPercent", -1, Kind::HScrollBar, "Frame2", "", 120, 480, 3495, 255, 0, 100},
    Row{"lblYIncrPercent", -1, Kind::Label, "Frame2", "Speed", 120, 840, 2175, 255},
    Row{"hsbYIncrPercent", -1, Kind::HScrollBar, "Frame2", "", 120, 1080, 3495, 255, 0, 100},
    Row{"lblRotation", -1, Kind::Label, "fraShapes", "Rotation", 120, 3120, 3255, 255},
    Row{"hsbRotation", -1, Kind::HScrollBar, "fraShapes", "", 120, 3360, 3735, 255, 0, 100},

    Row{"fraRays", -1, Kind::Frame, "", "", 240, 480, 3975, 3735},
    Row{"lblNumRays", -1, Kind::Label, "fraRays", "Number", 120, 240, 3255, 255},
    Row{"hsbNumRays", -1, Kind::HScrollBar, "fraRays", "", 120, 480, 3735, 255, 1, 100},
    Row{"lblEraseRate", -1, Kind::Label, "fraRays", "Length", 120, 840, 3255, 255},
    Row{"hsbEraseRate", -1, Kind::HScrollBar, "fraRays", "", 120, 1080, 3735, 255, 1, 100},
    Row{"lblRayWidth", -1, Kind::Label, "fraRays", "Width", 120, 1440, 3255, 255},
    Row{"hsbRayWidth", -1, Kind::HScrollBar, "fraRays", "", 120, 1680, 3735, 255, 1, 100},
    Row{"fraDrawStyle", -1, Kind::Frame, "fraRays", "Style", 720, 2040, 2535, 975},
    Row{"optDrawStyle", 0, Kind::OptionButton, "fraDrawStyle", "Solid", 120, 240, 1095, 195},
    Row{"optDrawStyle", 1, Kind::OptionButton, "fraDrawStyle", "Dash", 120, 600, 1095, 195},
    Row{"optDrawStyle", 2, Kind::OptionButton, "fraDrawStyle", "Dot", 1320, 240, 1095, 195},
    Row{"optDrawStyle", 3, Kind::OptionButton, "fraDrawStyle", "Dash-Dot", 1320, 600, 1095, 195},

    Row{"fraEffects", -1, Kind::Frame, "", "Effects", 240, 480, 3975, 3735},
    Row{"Frame3", -1, Kind::Frame, "fraEffects", "", 120, 600, 3735, 615},
    Row{"chkPulseInOut", -1, Kind::CheckBox, "Frame3", "Pulse In/Out", 360, 240, 1215, 195},
    Row{"chkPulseRotation", -1, Kind::CheckBox, "Frame3", "Pulse Rotation", 2160, 240, 1335, 195},
    Row{"chkMirror", -1, Kind::CheckBox, "fraEffects", "Mirror", 480, 1320, 1095, 495},
    Row{"chkRandomize", -1, Kind::CheckBox, "fraEffects", "Randomize", 480, 1680, 1095, 495},
    Row{"lblColorScale", -1, Kind::Label, "fraEffects", "Color Shift", 120, 2520, 2535, 255},
    Row{"hsbColorScale", -1, Kind::HScrollBar, "fraEffects", "", 120, 2760, 3735, 255, 1, 100},
};

// Every scroll bar starts at 1 and steps by 1 for an arrow, 5 for the trough.
constexpr vb::Integer kScrollStart = 1;
constexpr vb::Integer kArrowStep = 1;
constexpr vb::Integer kTroughStep = 5;

}  // namespace

vb::DialogLayout Layout() {
    vb::DialogLayout layout;
    layout.clientWidth = kClientWidth;
    layout.clientHeight = kClientHeight;
    for (const Row& row : kRows) {
        vb::ControlLayout control;
        control.name = row.name;
        control.index = vb::Integer(row.index);
        control.kind = row.kind;
        control.container = row.container;
        control.caption = row.caption;
        control.rect = {vb::Integer(row.left), vb::Integer(row.top), vb::Integer(row.width), vb::Integer(row.height)};
        if (row.kind == Kind::HScrollBar) {
            control.min = vb::Integer(row.min);
            control.max = vb::Integer(row.max);
            control.value = kScrollStart;
            control.smallChange = kArrowStep;
            control.largeChange = kTroughStep;
        }
        if (control.name == "Command1") control.isDefault = true;
        if (control.name == "TabStrip1") control.tabs = {"Dimensions", "Rays", "Effects"};
        layout.controls.push_back(std::move(control));
    }
    return layout;
}

}  // namespace SettingsLayout
