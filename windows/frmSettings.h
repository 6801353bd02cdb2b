#pragma once
// The settings dialog "Screen Saver Properties", over the live preview.

#include <memory>

#include "engine/clsGyrobloom.h"
#include "runtime/Form.h"

class frmSettings final : public vb::Form {
public:
    frmSettings();

    void GyrobloomClass(const std::shared_ptr<clsGyrobloom>& engine) { mEngine = engine; }

protected:
    void Form_Load() override;
    void Form_Unload() override;

private:
    clsGyrobloom& Engine() const;

    std::weak_ptr<clsGyrobloom> mEngine;
};
