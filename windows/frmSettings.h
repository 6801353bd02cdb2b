#pragma once
// The settings dialog "Screen Saver Properties", over the live preview.
//
// Three pages on a tab strip ("Dimensions", "Rays", "Effects"), one frame
// each, turned by bringing the page's frame to the front. Every scroll bar
// and check box writes its value into the running engine at once and asks
// the animation to restart; OK and Apply store the parameters; OK, Cancel
// and the close box end the program.

#include <memory>

#include "engine/clsGyrobloom.h"
#include "runtime/controls/DialogControls.h"
#include "runtime/Form.h"

class frmSettings final : public vb::Form {
public:
    frmSettings();

    void GyrobloomClass(const std::shared_ptr<clsGyrobloom>& engine) { mEngine = engine; }

    vb::DialogControls* Controls() override { return &mControls; }

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    clsGyrobloom& Engine() const { return HeldEngine(mEngine); }

    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void TabStrip1_Click();
    void optDrawStyle_Click(vb::Integer Index);

    void hsbXMaxPercent_Change();
    void hsbXIncrPercent_Change();
    void hsbYMaxPercent_Change();
    void hsbYIncrPercent_Change();
    void hsbRotation_Change();
    void hsbNumRays_Change();
    void hsbEraseRate_Change();
    void hsbRayWidth_Change();
    void hsbColorScale_Change();

    void chkMirror_Click();
    void chkPulseInOut_Click();
    void chkPulseRotation_Click();
    void chkRandomize_Click();

    vb::OptionButton& optDrawStyle(vb::Integer index) { return mControls.Get<vb::OptionButton>("optDrawStyle", index); }

    std::weak_ptr<clsGyrobloom> mEngine;
    vb::DialogControls mControls;

    vb::CommandButton& Command1 = mControls.Get<vb::CommandButton>("Command1");
    vb::CommandButton& Command2 = mControls.Get<vb::CommandButton>("Command2");
    vb::CommandButton& Command3 = mControls.Get<vb::CommandButton>("Command3");
    vb::TabStrip& TabStrip1 = mControls.Get<vb::TabStrip>("TabStrip1");
    vb::Frame& fraShapes = mControls.Get<vb::Frame>("fraShapes");
    vb::Frame& fraRays = mControls.Get<vb::Frame>("fraRays");
    vb::Frame& fraEffects = mControls.Get<vb::Frame>("fraEffects");

    vb::ScrollBar& hsbXMaxPercent = mControls.Get<vb::ScrollBar>("hsbXMaxPercent");
    vb::ScrollBar& hsbXIncrPercent = mControls.Get<vb::ScrollBar>("hsbXIncrPercent");
    vb::ScrollBar& hsbYMaxPercent = mControls.Get<vb::ScrollBar>("hsbYMaxPercent");
    vb::ScrollBar& hsbYIncrPercent = mControls.Get<vb::ScrollBar>("hsbYIncrPercent");
    vb::ScrollBar& hsbRotation = mControls.Get<vb::ScrollBar>("hsbRotation");
    vb::ScrollBar& hsbNumRays = mControls.Get<vb::ScrollBar>("hsbNumRays");
    vb::ScrollBar& hsbEraseRate = mControls.Get<vb::ScrollBar>("hsbEraseRate");
    vb::ScrollBar& hsbRayWidth = mControls.Get<vb::ScrollBar>("hsbRayWidth");
    vb::ScrollBar& hsbColorScale = mControls.Get<vb::ScrollBar>("hsbColorScale");

    vb::Label& lblXMaxPercent = mControls.Get<vb::Label>("lblXMaxPercent");
    vb::Label& lblXIncrPercent = mControls.Get<vb::Label>("lblXIncrPercent");
    vb::Label& lblYMaxPercent = mControls.Get<vb::Label>("lblYMaxPercent");
    vb::Label& lblYIncrPercent = mControls.Get<vb::Label>("lblYIncrPercent");
    vb::Label& lblRotation = mControls.Get<vb::Label>("lblRotation");
    vb::Label& lblNumRays = mControls.Get<vb::Label>("lblNumRays");
    vb::Label& lblEraseRate = mControls.Get<vb::Label>("lblEraseRate");
    vb::Label& lblRayWidth = mControls.Get<vb::Label>("lblRayWidth");
    vb::Label& lblColorScale = mControls.Get<vb::Label>("lblColorScale");

    vb::CheckBox& chkMirror = mControls.Get<vb::CheckBox>("chkMirror");
    vb::CheckBox& chkPulseInOut = mControls.Get<vb::CheckBox>("chkPulseInOut");
    vb::CheckBox& chkPulseRotation = mControls.Get<vb::CheckBox>("chkPulseRotation");
    vb::CheckBox& chkRandomize = mControls.Get<vb::CheckBox>("chkRandomize");
};
