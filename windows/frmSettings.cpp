#include "windows/frmSettings.h"

#include <algorithm>
#include <string>

#include "engine/SettingsText.h"
#include "runtime/Platform.h"
#include "runtime/base/RuntimeError.h"
#include "startup/modSubs.h"
#include "windows/SettingsLayout.h"
#include "windows/frmPreview.h"

using vb::Integer;
using vb::Single;

namespace {

constexpr Integer kSolid = 0;
constexpr Integer kLastStyle = 3;  // dash-dot: the last style with an option
constexpr Integer kStyleOptions = 4;

vb::WindowSpec SettingsSpec() {
    vb::WindowSpec spec;
    spec.caption = "Screen Saver Properties";
    spec.controlBox = true;
    spec.dialog = true;
    return spec;
}

// A value as a label shows it: plain digits for a whole number.
std::string Text(Single value) { return SettingsText::SingleText(value, vb::App().DecimalSeparator()); }
std::string Text(Integer value) { return SettingsText::IntegerText(value); }

vb::Integer CheckValue(bool value) { return value ? vb::kChecked : vb::kUnchecked; }

// Sets a scroll bar from a loaded parameter, so that its Change handler runs
// when the position moves. A stored value outside the bar's range (the
// program never stores one, but the store can be edited by hand) is brought
// to the nearest end; when that end is where the bar already stands, the
// handler runs anyway, so the engine gets the value the bar shows. The store
// keeps its text until OK or Apply.
void SetFromEngine(vb::ScrollBar& bar, double loaded) {
    const double inRange = std::clamp(loaded, double(bar.Min()), double(bar.Max()));
    const Integer position = vb::CInt(inRange);
    if (inRange != loaded && bar.Value() == position) {
        if (bar.Change) bar.Change();
        return;
    }
    bar.Value(position);
}

bool Checked(const vb::CheckBox& box) { return box.Value() != vb::kUnchecked; }

}  // namespace

frmSettings::frmSettings() : vb::Form(SettingsSpec()), mControls(SettingsLayout::Layout()) {
    Command1.Click = [this] { Command1_Click(); };
    Command2.Click = [this] { Command2_Click(); };
    Command3.Click = [this] { Command3_Click(); };
    TabStrip1.Click = [this] { TabStrip1_Click(); };
    for (Integer i = 0; i < kStyleOptions; ++i) optDrawStyle(i).Click = [this](Integer Index) { optDrawStyle_Click(Index); };

    hsbXMaxPercent.Change = [this] { hsbXMaxPercent_Change(); };
    hsbXIncrPercent.Change = [this] { hsbXIncrPercent_Change(); };
    hsbYMaxPercent.Change = [this] { hsbYMaxPercent_Change(); };
    hsbYIncrPercent.Change = [this] { hsbYIncrPercent_Change(); };
    hsbRotation.Change = [this] { hsbRotation_Change(); };
    hsbNumRays.Change = [this] { hsbNumRays_Change(); };
    hsbEraseRate.Change = [this] { hsbEraseRate_Change(); };
    hsbRayWidth.Change = [this] { hsbRayWidth_Change(); };
    hsbColorScale.Change = [this] { hsbColorScale_Change(); };

    chkMirror.Click = [this] { chkMirror_Click(); };
    chkPulseInOut.Click = [this] { chkPulseInOut_Click(); };
    chkPulseRotation.Click = [this] { chkPulseRotation_Click(); };
    chkRandomize.Click = [this] { chkRandomize_Click(); };
}

void frmSettings::Form_Load() {
    clsGyrobloom& engine = Engine();
    // Binding a new window does not unload the old one.
    if (auto old = engine.Screen()) old->Unload();
    engine.Screen(modSubs::frmPreviewInstance());
    engine.RetrieveSettings();

    // Each assignment that moves a control runs its handler, which writes the
    // value back into the engine and updates the label.
    SetFromEngine(hsbXIncrPercent, engine.XIncrPercent());
    SetFromEngine(hsbYIncrPercent, engine.YIncrPercent());
    SetFromEngine(hsbXMaxPercent, engine.XMaxPercent());
    SetFromEngine(hsbYMaxPercent, engine.YMaxPercent());
    SetFromEngine(hsbEraseRate, engine.TrailLength());
    SetFromEngine(hsbNumRays, engine.NumRays());
    SetFromEngine(hsbRotation, engine.RotationSpeed());
    SetFromEngine(hsbRayWidth, engine.RayWidth());
    SetFromEngine(hsbColorScale, engine.ColorShift());

    chkMirror.Value(CheckValue(engine.Mirror()));
    chkPulseRotation.Value(CheckValue(engine.PulseRotation()));
    chkPulseInOut.Value(CheckValue(engine.PulseInOut()));
    chkRandomize.Value(CheckValue(engine.Random()));

    // A stored style without an option (edited by hand) selects "Solid".
    const Integer style = engine.DrawStyle();
    const Integer option = style >= kSolid && style <= kLastStyle ? style : kSolid;
    if (!optDrawStyle(option).Value())
        optDrawStyle(option).Value(true);
    else if (style != option)
        optDrawStyle_Click(option);

    fraShapes.ZOrder();
}

void frmSettings::Form_Unload() { modSubs::ShutDown(); }

void frmSettings::Command1_Click() {
    Engine().SaveSettings();
    Unload();
}

void frmSettings::Command2_Click() { Unload(); }

void frmSettings::Command3_Click() { Engine().SaveSettings(); }

void frmSettings::TabStrip1_Click() {
    switch (TabStrip1.SelectedIndex()) {
    case 1: fraShapes.ZOrder(); break;
    case 2: fraRays.ZOrder(); break;
    case 3: fraEffects.ZOrder(); break;
    default: break;
    }
}

void frmSettings::optDrawStyle_Click(Integer Index) { Engine().DrawStyle(Index); }

void frmSettings::hsbXMaxPercent_Change() {
    Engine().XMaxPercent(Single(hsbXMaxPercent.Value()));
    lblXMaxPercent.Caption("Size: " + Text(Engine().XMaxPercent()));
    Engine().ResetMe(true);
}

void frmSettings::hsbXIncrPercent_Change() {
    Engine().XIncrPercent(Single(hsbXIncrPercent.Value()));
    lblXIncrPercent.Caption("Speed: " + Text(Engine().XIncrPercent()));
    Engine().ResetMe(true);
}

void frmSettings::hsbYMaxPercent_Change() {
    Engine().YMaxPercent(Single(hsbYMaxPercent.Value()));
    lblYMaxPercent.Caption("Size: " + Text(Engine().YMaxPercent()));
    Engine().ResetMe(true);
}

void frmSettings::hsbYIncrPercent_Change() {
    Engine().YIncrPercent(Single(hsbYIncrPercent.Value()));
    lblYIncrPercent.Caption("Speed: " + Text(Engine().YIncrPercent()));
    Engine().ResetMe(true);
}

void frmSettings::hsbRotation_Change() {
    Engine().RotationSpeed(Single(hsbRotation.Value()));
    lblRotation.Caption("Rotation Speed: " + Text(Engine().RotationSpeed()));
    Engine().ResetMe(true);
}

void frmSettings::hsbNumRays_Change() {
    Engine().NumRays(hsbNumRays.Value());
    lblNumRays.Caption("Number: " + Text(Engine().NumRays()));
    Engine().ResetMe(true);
}

void frmSettings::hsbEraseRate_Change() {
    Engine().TrailLength(hsbEraseRate.Value());
    lblEraseRate.Caption("Length: " + Text(Engine().TrailLength()));
    Engine().ResetMe(true);
}

void frmSettings::hsbRayWidth_Change() {
    Engine().RayWidth(hsbRayWidth.Value());
    lblRayWidth.Caption("Width: " + Text(Engine().RayWidth()));
    // Dashes show only on thin lines, so a wider ray is always solid.
    if (Engine().RayWidth() > 1) optDrawStyle(kSolid).Value(true);
    for (Integer i = 0; i < kStyleOptions; ++i) optDrawStyle(i).Enabled(Engine().RayWidth() == 1);
    Engine().ResetMe(true);
}

void frmSettings::hsbColorScale_Change() {
    Engine().ColorShift(Single(hsbColorScale.Value()));
    lblColorScale.Caption("Color Shift: " + Text(Engine().ColorShift()));
    Engine().ResetMe(true);
}

void frmSettings::chkMirror_Click() {
    Engine().Mirror(Checked(chkMirror));
    Engine().ResetMe(true);
}

void frmSettings::chkPulseInOut_Click() {
    Engine().PulseInOut(Checked(chkPulseInOut));
    Engine().ResetMe(true);
}

void frmSettings::chkPulseRotation_Click() {
    Engine().PulseRotation(Checked(chkPulseRotation));
    Engine().ResetMe(true);
}

void frmSettings::chkRandomize_Click() {
    Engine().Random(Checked(chkRandomize));
    Engine().ResetMe(true);
}
