#pragma once
// One ray of the fan: its latest point, and the ring of the segments it drew
// that are still on the surface (TrailLength + 1 slots).

#include <vector>

#include "runtime/base/VbTypes.h"

struct RayTrail {
    vb::Integer X = 0, Y = 0;        // latest point, where the next segment starts
    vb::Integer OldX = 0, OldY = 0;  // start of the segment the next step erases
    std::vector<vb::Integer> XHist, YHist;  // end point drawn in each slot
    std::vector<vb::Integer> WidthHist;     // pen width drawn in each slot
    std::vector<vb::Integer> MirrorHist;    // -1 when the slot was drawn mirrored, else 0
};
