#pragma once
// A drawing window's surface that goes to the window system its own way,
// past Qt's backing store: on X11 as drawing requests, with no pixels of the
// program's own, so that an exposed area comes back in the background
// colour (the saver's picture is drawn once and erased by drawing again in
// black, so it mends itself as the animation goes on); on Wayland as
// buffers of the program's own, which keep the picture.
//
// The Qt backend knows no window system; the program hands it a factory
// (QtPlatform::Options) for the one it runs on. Without one, or where the
// factory declines a window, the window draws on a QtCanvas.

#include <QRect>
#include <QSize>

#include <functional>
#include <memory>

#include "runtime/WindowBackend.h"
#include "runtime/base/Units.h"

class QWidget;

namespace vb {

class QtNativeSurface : public Canvas {
public:
    // The drawing area: the window's size and its device pixels per pixel.
    virtual void Resize(QSize logicalSize, qreal devicePixelRatio) = 0;
    // An exposed area (the window's pixels): painted in the background
    // colour where nothing keeps the picture, sent again where it is kept.
    virtual void Erase(const QRect& area) = 0;
    // True when something was drawn that the window system may not have yet.
    virtual bool HasUnshown() const = 0;
    // Sends what was drawn to the window system now (where it is waiting
    // for a frame, the drawing waits for it instead).
    virtual void Present() = 0;

    // Surfaces whose window system says when it wants the next frame
    // (Wayland's frame callbacks): after a Present the frame is pending
    // until the window system asks for the next, which it does through an
    // event. A hidden window may never be asked.
    virtual bool PacedByWindowSystem() const { return false; }
    virtual bool FrameOverdue(int ms) const { return false; }
    // The window was hidden: what it showed on is gone (on Wayland Qt makes
    // a new surface when it is shown again).
    virtual void WindowHidden() {}
};

// A native surface on `window` (a top-level widget whose native window the
// factory may create), or nullptr where it has none to offer.
using QtNativeSurfaceFactory =
    std::function<std::unique_ptr<QtNativeSurface>(QWidget& window, const UnitScale& scale, Long backColor)>;

}  // namespace vb
