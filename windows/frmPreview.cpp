#include "windows/frmPreview.h"

#include "runtime/base/RuntimeError.h"

namespace {
constexpr vb::Single kPreviewScale = 0.33f;
constexpr vb::Single kHeightAllowance = 315;  // twips of caption the drawing area gives up

vb::WindowSpec PreviewSpec() {
    vb::WindowSpec spec;
    spec.caption = "Preview";
    spec.controlBox = true;
    spec.showInTaskbar = false;
    spec.blankCursor = true;
    spec.backColor = 0;
    return spec;
}
}  // namespace

frmPreview::frmPreview() : vb::Form(PreviewSpec()) {}

void frmPreview::Form_Load() {
    clsGyrobloom& engine = Engine();
    engine.ScreenScale(kPreviewScale);
    // The allowance is in twips; on a screen that uses a coarser drawing unit
    // it shrinks accordingly.
    const double allowance = double(kHeightAllowance) / Scale().TwipsPerUnit();
    Height(vb::Single(double(engine.ScreenScale()) * vb::ScreenHeight() + allowance));
    Width(vb::Single(double(engine.ScreenScale()) * vb::ScreenWidth()));
    engine.ScreenHeight(vb::CInt(Height() - allowance));
    engine.ScreenWidth(vb::CInt(Width()));
    engine.CenterX(vb::CInt(engine.ScreenWidth() / 2.0));
    engine.CenterY(vb::CInt(engine.ScreenHeight() / 2.0));
    Top(0);
    Left(0);
    Show();
    ZOrder(1);
}
