#pragma once
// The pen a canvas draws a line with, decided once for every backend from
// the form's DrawWidth and DrawStyle and the window's unit.
//
// DrawStyle numbers the styles 0 to 6 (PenStyle below). The program's rule:
// dashes and dots show only on lines of DrawWidth 1; a wider line of a
// dashed style is drawn solid, and the invisible style stays invisible at
// every width. A canvas maps the resolved pen to its own line attributes and
// dash patterns and decides nothing else.

#include <cstdint>

#include "runtime/base/Units.h"
#include "runtime/base/VbTypes.h"

namespace vb {

enum class PenStyle : std::uint8_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Invisible = 5,
    InsideSolid = 6,  // drawn as Solid: a line has no inside
};

constexpr Integer kMinDrawStyle = 0;
constexpr Integer kMaxDrawStyle = 6;

struct Pen {
    // Device pixels across: DrawWidth grows with the unit (UnitScale) and
    // with the screen's device pixel ratio.
    double widthPx = 1;
    PenStyle style = PenStyle::Solid;  // the style the line shows

    bool Visible() const { return style != PenStyle::Invisible; }
    bool Dashed() const {
        return style == PenStyle::Dash || style == PenStyle::Dot || style == PenStyle::DashDot ||
               style == PenStyle::DashDotDot;
    }
    // The width in whole device pixels, at least one.
    int WholePixels() const;

    bool operator==(const Pen&) const = default;
};

// drawWidth at least 1 and drawStyle within 0..6, as the form checks them.
Pen ResolvePen(Integer drawWidth, Integer drawStyle, const UnitScale& scale, double devicePixelRatio = 1.0);

}  // namespace vb
