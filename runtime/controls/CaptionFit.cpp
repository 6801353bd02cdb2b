#include "runtime/controls/CaptionFit.h"

#include "runtime/base/Units.h"

namespace vb {

bool HasFittedCaption(const ControlLayout& control) {
    if (control.caption.empty()) return false;
    switch (control.kind) {
    case ControlKind::Label:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
    case ControlKind::CommandButton:
    case ControlKind::Frame: return true;
    case ControlKind::TabStrip:  // a tab grows with its caption
    case ControlKind::HScrollBar: return false;
    }
    return false;
}

std::vector<std::string> CutCaptions(const DialogLayout& layout, double twipsPerPixel, const CaptionWidth& measure,
                                     double points) {
    std::vector<std::string> cut;
    for (const ControlLayout& control : layout.controls) {
        if (!HasFittedCaption(control)) continue;
        if (measure(control, points) > TwipsToPixels(control.rect.width, twipsPerPixel))
            cut.push_back(ControlKey(control.name, control.index));
    }
    return cut;
}

double FitCaptionPoints(const DialogLayout& layout, double twipsPerPixel, const CaptionWidth& measure) {
    // Counted in steps, so that the sizes tried are exact.
    const int steps = int((kDialogPoints - kSmallestDialogPoints) / kDialogPointsStep + 0.5);
    for (int step = 0; step <= steps; ++step) {
        const double points = kDialogPoints - step * kDialogPointsStep;
        if (CutCaptions(layout, twipsPerPixel, measure, points).empty()) return points;
    }
    return kSmallestDialogPoints;
}

}  // namespace vb
