#pragma once
// The Qt drawing windows' surface on X11 (Qt's xcb platform): the lines go
// to the window as X requests on Qt's own connection, as the hack draws, so
// the program keeps no full-screen image and a frame costs a flush of the
// requests instead of a copy of the pixels it changed.
//
// Declined (the window draws on a QtCanvas): other platforms, a Qt without
// Xlib, a scaled screen (device pixel ratio other than 1), or
// GYROBLOOM_RASTER set in the environment (for comparing the two).

#include <memory>

#include "runtime/qt/QtNativeSurface.h"

namespace vb {

std::unique_ptr<QtNativeSurface> CreateQtX11Surface(QWidget& window, const UnitScale& scale, Long backColor);

}  // namespace vb
