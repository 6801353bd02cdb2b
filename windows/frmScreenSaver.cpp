#include "windows/frmScreenSaver.h"

#include <cmath>
#include <cstdint>

#include "runtime/base/RuntimeError.h"
#include "startup/modSubs.h"

namespace {
vb::WindowSpec SaverSpec() {
    vb::WindowSpec spec;
    spec.fullScreen = true;
    spec.controlBox = false;
    spec.showInTaskbar = false;
    spec.blankCursor = true;
    spec.backColor = 0;
    spec.unattended = true;
    spec.everyMonitor = true;
    return spec;
}
}  // namespace

frmScreenSaver::frmScreenSaver() : vb::Form(SaverSpec()) {}

void frmScreenSaver::Form_Load() {
    clsGyrobloom& engine = Engine();
    engine.ScreenScale(1.0f);
    // Shown first, so that the size read below is the full-screen one.
    Show();
    TellEngineTheSize();
}

void frmScreenSaver::TellEngineTheSize() {
    clsGyrobloom& engine = Engine();
    engine.ScreenHeight(vb::CInt(Height()));
    engine.ScreenWidth(vb::CInt(Width()));
    engine.CenterX(vb::CInt(engine.ScreenWidth() / 2.0));
    engine.CenterY(vb::CInt(engine.ScreenHeight() / 2.0));
}

void frmScreenSaver::Form_Resize() {
    clsGyrobloom& engine = Engine();
    const vb::Integer oldWidth = engine.ScreenWidth(), oldHeight = engine.ScreenHeight();
    TellEngineTheSize();
    // The trails round the old centre are cleared with the restart.
    if (engine.ScreenWidth() != oldWidth || engine.ScreenHeight() != oldHeight) engine.ResetMe(true);
}

void frmScreenSaver::CloseRequested() { modSubs::ShutDown(); }

void frmScreenSaver::Form_KeyDown(vb::Integer, vb::Integer) { modSubs::ShutDown(); }

void frmScreenSaver::Form_MouseMove(vb::Integer, vb::Integer, vb::Single X, vb::Single) {
    // Only changes of the horizontal position count; a window system that
    // repeats the last position, or a purely vertical move, never ends the
    // saver.
    // Positions on the other monitors lie past the window's own range; they
    // are kept modulo 65536 twips, which tells any two neighbouring positions
    // apart.
    const vb::Integer x = vb::Integer(std::int16_t(std::uint16_t(std::int32_t(std::lround(X)) & 0xFFFF)));
    if (x != mLastX) {
        mLastX = x;
        mMoveCount = vb::AddInt(mMoveCount, 1);
    }
    if (mMoveCount > 10) modSubs::ShutDown();
}
