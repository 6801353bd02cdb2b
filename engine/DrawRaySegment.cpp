// Drawing one ray segment: the new segment in colour (with its three mirror
// images when Mirror is on), then the erase of the segment the same slot
// holds, in solid black at the width it was drawn with.

#include "engine/clsGyrobloom.h"
#include "runtime/base/RuntimeError.h"

using vb::Integer;
using vb::SubInt;

// Each statement of the routine may fail on its own (a pen width below 1, an
// overflow in a mirror coordinate, a slot outside the histories); a failing
// statement is skipped and the next one runs, so no error leaves the routine:
// a lost line is better than a stopped animation. A width below 1 (every ray
// in silence) is such a failing statement; it is taken without a throw because
// it happens for each ray on each frame.
using vb::ResumeNext;

void clsGyrobloom::DrawRaySegment(const RayTrail& ray, Integer slot, vb::Long color, Integer x, Integer y,
                                  Integer width) {
    vb::Form* screen = mScreen.get();
    if (!screen) return;
    const Integer W = mScreenWidth, H = mScreenHeight;
    const Integer rx = ray.X, ry = ray.Y;

    ResumeNext([&] { screen->DrawStyle(mDrawStyle); });
    ResumeNext([&] { screen->TryDrawWidth(width); });
    ResumeNext([&] { screen->Line(rx, ry, x, y, color); });
    if (mMirror) {
        ResumeNext([&] { screen->Line(SubInt(W, rx), SubInt(H, ry), SubInt(W, x), SubInt(H, y), color); });
        ResumeNext([&] { screen->Line(rx, SubInt(H, ry), x, SubInt(H, y), color); });
        ResumeNext([&] { screen->Line(SubInt(W, rx), ry, SubInt(W, x), y, color); });
    }

    const Integer ox = ray.OldX, oy = ray.OldY;
    ResumeNext([&] { screen->DrawStyle(0); });
    ResumeNext([&] { screen->TryDrawWidth(ray.WidthHist.at(slot)); });
    ResumeNext([&] { screen->Line(ox, oy, ray.XHist.at(slot), ray.YHist.at(slot), 0); });
    bool erasedMirrored = true;  // a failed test falls through to the lines, which fail alike
    ResumeNext([&] { erasedMirrored = ray.MirrorHist.at(slot) != vb::kFalse; });
    if (!erasedMirrored) return;
    ResumeNext([&] {
        screen->Line(SubInt(W, ox), SubInt(H, oy), SubInt(W, ray.XHist.at(slot)), SubInt(H, ray.YHist.at(slot)), 0);
    });
    ResumeNext([&] { screen->Line(ox, SubInt(H, oy), ray.XHist.at(slot), SubInt(H, ray.YHist.at(slot)), 0); });
    ResumeNext([&] { screen->Line(SubInt(W, ox), oy, SubInt(W, ray.XHist.at(slot)), ray.YHist.at(slot), 0); });
}
