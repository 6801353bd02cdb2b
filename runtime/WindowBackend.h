#pragma once
// What a platform backend provides for one window, and what it reports back.
// Portable code (Form) owns the window's behaviour; a backend only creates
// the native window, draws, and forwards the user's input.

#include <string>

#include "runtime/base/RuntimeError.h"
#include "runtime/base/Units.h"
#include "runtime/base/VbTypes.h"

namespace vb {

class DialogControls;

struct PixelRect {
    int left = 0, top = 0, width = 0, height = 0;  // logical pixels
};

// Design-time properties of a window.
struct WindowSpec {
    std::string caption;
    bool fullScreen = false;     // maximized, no caption, no border, above other windows
    bool controlBox = true;      // system menu and close box
    bool showInTaskbar = false;
    bool blankCursor = false;    // the pointer is invisible over the window
    Long backColor = 0;          // black
    bool dialog = false;         // hosts controls instead of a drawing surface
    // Nobody may be there to answer a box (the full-screen saver): a message
    // shown while the window is loaded never holds the run (MsgBox).
    bool unattended = false;
    // Full-screen on every monitor (MonitorFanOut): the window itself covers
    // the start screen, each other monitor gets one that shows the same.
    bool everyMonitor = false;
    // The monitor a full-screen window covers, in desk pixels; none (width 0)
    // for the start screen.
    PixelRect monitor{};
};

// The drawing surface. Coordinates are in drawing units (see Units.h). Pen
// widths and styles arrive already checked by the portable Form.
class Canvas {
public:
    virtual ~Canvas() = default;
    virtual void Cls() = 0;
    virtual void DrawWidth(Integer width) = 0;  // 1..32767
    virtual void DrawStyle(Integer style) = 0;  // 0..6; dashes show only at width 1
    virtual void Line(Single x1, Single y1, Single x2, Single y2, Long color) = 0;
    // The drawing unit changed (the window moved to another monitor): the
    // coordinates and pen widths that follow are in the new one.
    virtual void Rescale(const UnitScale& scale) = 0;
};

// Shift-state bits of a key or mouse event's shift argument.
constexpr Integer kShiftMask = 1;
constexpr Integer kCtrlMask = 2;
constexpr Integer kAltMask = 4;

// Mouse-button bits of a mouse event's button argument.
constexpr Integer kLeftButton = 1;
constexpr Integer kRightButton = 2;
constexpr Integer kMiddleButton = 4;

// The surface of a window that has nothing to draw on (a dialog): every
// drawing statement fails as it does on an object without those methods.
class NoCanvas final : public Canvas {
public:
    void Cls() override { Raise(kErrNoSuchMember); }
    void DrawWidth(Integer) override { Raise(kErrNoSuchMember); }
    void DrawStyle(Integer) override { Raise(kErrNoSuchMember); }
    void Line(Single, Single, Single, Single, Long) override { Raise(kErrNoSuchMember); }
    void Rescale(const UnitScale&) override {}
};

// Input the backend forwards to the window's portable side.
class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void OnKeyDown(Integer keyCode, Integer shift) = 0;
    // Position in logical pixels relative to the window's drawing area.
    virtual void OnMouseMove(Integer button, Integer shift, double xPx, double yPx) = 0;
    // A mouse button went down; the same coordinates.
    virtual void OnMouseDown(Integer button, Integer shift, double xPx, double yPx) {}
    // The user asked to close the window (close box, window manager), or
    // the system is ending the program's use of it.
    virtual void OnCloseRequested() = 0;
    // The window's size changed after it was shown (a window the program was
    // handed, resized by its owner).
    virtual void OnResized() {}
    // The controls a dialog window (WindowSpec::dialog) builds its native
    // controls from; nothing for other windows.
    virtual DialogControls* Controls() { return nullptr; }
};

class WindowBackend {
public:
    virtual ~WindowBackend() = default;
    virtual void Show() = 0;
    virtual void SendToBack() = 0;
    virtual void BringToFront() = 0;
    // Outer geometry in logical pixels. A full-screen window reports the
    // screen it covers once it is shown.
    virtual PixelRect Geometry() const = 0;
    virtual void SetGeometry(const PixelRect& outer) = 0;
    virtual Canvas& Surface() = 0;
};

}  // namespace vb
