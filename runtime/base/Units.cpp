#include "runtime/base/Units.h"

#include <algorithm>
#include <cassert>

namespace vb {

UnitScale::UnitScale(const ScreenMetrics& screen) : mTwipsPerPixel(screen.twipsPerPixel) {
    assert(screen.twipsPerPixel > 0 && "screen metrics need a positive twips-per-pixel");
    double largest = std::max(screen.widthPx, screen.heightPx) * screen.twipsPerPixel;
    mTwipsPerUnit = std::max(1, int(std::ceil(largest / kMaxUnits)));
}

}  // namespace vb
