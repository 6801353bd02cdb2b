#include "windows/frmSettings.h"

#include "runtime/RuntimeError.h"
#include "startup/modSubs.h"
#include "windows/frmPreview.h"

namespace {
vb::WindowSpec SettingsSpec() {
    vb::WindowSpec spec;
    spec.caption = "Screen Saver Properties";
    spec.controlBox = true;
    spec.dialog = true;
    return spec;
}
}  // namespace

frmSettings::frmSettings() : vb::Form(SettingsSpec()) {}

clsGyrobloom& frmSettings::Engine() const {
    auto engine = mEngine.lock();
    if (!engine) vb::Raise(vb::kErrObjectNotSet);
    return *engine;
}

void frmSettings::Form_Load() {
    clsGyrobloom& engine = Engine();
    if (auto old = engine.Screen()) old->Unload();
    engine.Screen(modSubs::frmPreviewInstance());
    engine.RetrieveSettings();
}

void frmSettings::Form_Unload() { modSubs::ShutDown(); }
