#pragma once
// The Qt drawing windows' surfaces on Wayland (Qt's wayland platform): the
// canvas draws straight into shared-memory buffers of the program's own
// (WaylandFrames), attached to the window's own surface with only the
// changed tiles damaged, where Qt's backing store would copy the whole
// frame into its other buffer at every paint (the compositor holds the last
// one). A frame goes out only when the compositor asks for one (its frame
// callback); a hidden window, asked for none, keeps its drawing.
//
// Declined (the window draws on a QtCanvas through Qt's backing store):
// other platforms, a scale that is not a whole number (a Wayland buffer's
// scale is an integer), or GYROBLOOM_RASTER set in the environment.

#include <memory>

#include "runtime/qt/QtNativeSurface.h"

struct wl_display;
struct wl_shm;

namespace vb {

class QtWaylandSurfaces {
public:
    // A surface for the window, or nullptr where it is declined. The
    // compositor's shared memory is bound on Qt's connection at the first.
    std::unique_ptr<QtNativeSurface> Create(QWidget& window, const UnitScale& scale, Long backColor);

private:
    bool mTried = false;
    wl_display* mDisplay = nullptr;
    wl_shm* mShm = nullptr;
};

}  // namespace vb
