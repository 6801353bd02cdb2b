#include "runtime/base/Pen.h"

#include <cassert>
#include <cmath>

namespace vb {

int Pen::WholePixels() const {
    const long pixels = std::lround(widthPx);
    return pixels < 1 ? 1 : int(pixels);
}

Pen ResolvePen(Integer drawWidth, Integer drawStyle, const UnitScale& scale, double devicePixelRatio) {
    assert(drawWidth >= 1 && drawStyle >= kMinDrawStyle && drawStyle <= kMaxDrawStyle &&
           "the form checks the pen before the canvas sees it");
    Pen pen;
    pen.widthPx = scale.PenPixels(drawWidth) * devicePixelRatio;
    pen.style = PenStyle(drawStyle);
    if (pen.style == PenStyle::InsideSolid || (pen.Dashed() && drawWidth != 1)) pen.style = PenStyle::Solid;
    return pen;
}

}  // namespace vb
