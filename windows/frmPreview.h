#pragma once
// The preview window of the settings mode: a third of the screen, top-left,
// behind the dialog. The animation draws on it while the dialog is open.

#include <memory>

#include "engine/clsGyrobloom.h"
#include "runtime/Form.h"

class frmPreview final : public vb::Form, public GyrobloomHost {
public:
    frmPreview();

    void GyrobloomClass(const std::shared_ptr<clsGyrobloom>& engine) override { mEngine = engine; }

protected:
    void Form_Load() override;
    // The animation draws on this window for the whole run, so its close box
    // does nothing; the dialog is the way out.
    void CloseRequested() override {}

private:
    clsGyrobloom& Engine() const { return HeldEngine(mEngine); }

    std::weak_ptr<clsGyrobloom> mEngine;
};
