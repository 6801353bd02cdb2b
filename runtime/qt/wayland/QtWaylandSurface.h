#pragma once
// The Qt drawing windows' surface on Wayland (Qt's wayland platform): the
// canvas draws straight into shared-memory buffers of the program's own,
// which go to the window's surface with only the changed tiles damaged.
// Qt's own backing store would copy the whole frame into its other buffer
// at every paint (the compositor holds the last one); here the buffer that
// comes back takes only the tiles drawn since it was last shown.
//
// A frame is sent only when the compositor asks for one (its frame
// callback): while one is on its way the drawing gathers in the next
// buffer, and a hidden window, which is asked for none, sends nothing.
//
// Declined (the window draws on a QtCanvas through Qt's backing store):
// other platforms, a scale that is not a whole number (a Wayland buffer's
// scale is an integer), or GYROBLOOM_RASTER set in the environment.

#include <memory>

#include "runtime/qt/QtNativeSurface.h"

namespace vb {

std::unique_ptr<QtNativeSurface> CreateQtWaylandSurface(QWidget& window, const UnitScale& scale, Long backColor);

}  // namespace vb
