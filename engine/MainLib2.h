#pragma once
// The colour wheel: 1536 hue steps, red - yellow - green - cyan - blue -
// magenta - red, 256 steps a segment.

#include "runtime/base/VbTypes.h"

namespace MainLib2 {

// The colour at hue position h (0..1535), each component folded by
// "component Mod d". Returns 0 (black) when the computation fails, above all
// for d = 0.
vb::Long ColorWheel(const vb::Integer& h, const vb::Integer& d);

}  // namespace MainLib2
