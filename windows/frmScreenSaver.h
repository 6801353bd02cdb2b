#pragma once
// The full-screen saver window: black, no pointer, no caption. It tells the
// engine its size and centre when it loads, and ends the run on any key or on
// the eleventh mouse move that changes the horizontal position. A window
// whose size changes later (one the system handed the saver and resizes)
// tells the engine the new size and centre and restarts the picture there;
// a request to close the window ends the run as input does.

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
    void Form_Resize() override;
    void CloseRequested() override;

private:
    clsGyrobloom& Engine() const { return HeldEngine(mEngine); }
    // Sets the engine's size and centre from the window's size.
    void TellEngineTheSize();

    std::weak_ptr<clsGyrobloom> mEngine;
    vb::Integer mMoveCount = 0;
    vb::Integer mLastX = 0;
};
