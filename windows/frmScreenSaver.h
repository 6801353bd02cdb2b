#pragma once
// The full-screen saver window: black, no pointer, no caption. It tells the
// engine its size and centre when it loads, and ends the run on any key or on
// the eleventh mouse move that changes the horizontal position.

#include <memory>

#include "engine/clsGyrobloom.h"
#include "runtime/Form.h"

class frmScreenSaver final : public vb::Form, public GyrobloomHost {
public:
    frmScreenSaver();

    void GyrobloomClass(const std::shared_ptr<clsGyrobloom>& engine) override { mEngine = engine; }

protected:
    void Form_Load() override;
    void Form_KeyDown(vb::Integer KeyCode, vb::Integer Shift) override;
    void Form_MouseMove(vb::Integer Button, vb::Integer Shift, vb::Single X, vb::Single Y) override;

private:
    clsGyrobloom& Engine() const { return HeldEngine(mEngine); }

    std::weak_ptr<clsGyrobloom> mEngine;
    vb::Integer mMoveCount = 0;
    vb::Integer mLastX = 0;
};
