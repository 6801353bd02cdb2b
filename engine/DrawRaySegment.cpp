// Drawing one ray segment: the new segment in colour (with its three mirror
// images when Mirror is on), then the erase of the segment the same slot
// holds, in solid black at the width it was drawn with.

#include <exception>

#include "engine/clsGyrobloom.h"
#include "runtime/RuntimeError.h"

using vb::Integer;
using vb::SubInt;

namespace {

// Each statement of the routine may fail on its own (a pen width below 1, an
// overflow in a mirror coordinate, a slot outside the histories); a failing
// statement is skipped and the next one runs, so no error leaves the routine.
template <typename Statement>
void Attempt(Statement&& statement) {
    try {
        statement();
    } catch (const std::exception&) {
        // Skipped on purpose: a lost line is better than a stopped animation.
    }
}

}  // namespace

void clsGyrobloom::DrawRaySegment(const RayTrail& ray, Integer slot, vb::Long color, Integer x, Integer y,
                                  Integer width) {
    vb::Form* screen = mScreen.get();
    if (!screen) return;
    const Integer W = mScreenWidth, H = mScreenHeight;
    const Integer rx = ray.X, ry = ray.Y;

    Attempt([&] { screen->DrawStyle(mDrawStyle); });
    Attempt([&] { screen->DrawWidth(width); });
    Attempt([&] { screen->Line(rx, ry, x, y, color); });
    if (mMirror) {
        Attempt([&] { screen->Line(SubInt(W, rx), SubInt(H, ry), SubInt(W, x), SubInt(H, y), color); });
        Attempt([&] { screen->Line(rx, SubInt(H, ry), x, SubInt(H, y), color); });
        Attempt([&] { screen->Line(SubInt(W, rx), ry, SubInt(W, x), y, color); });
    }

    const Integer ox = ray.OldX, oy = ray.OldY;
    Attempt([&] { screen->DrawStyle(0); });
    Attempt([&] { screen->DrawWidth(ray.WidthHist.at(slot)); });
    Attempt([&] { screen->Line(ox, oy, ray.XHist.at(slot), ray.YHist.at(slot), 0); });
    bool erasedMirrored = true;  // a failed test falls through to the lines, which fail alike
    Attempt([&] { erasedMirrored = ray.MirrorHist.at(slot) != vb::kFalse; });
    if (!erasedMirrored) return;
    Attempt([&] {
        screen->Line(SubInt(W, ox), SubInt(H, oy), SubInt(W, ray.XHist.at(slot)), SubInt(H, ray.YHist.at(slot)), 0);
    });
    Attempt([&] { screen->Line(ox, SubInt(H, oy), ray.XHist.at(slot), SubInt(H, ray.YHist.at(slot)), 0); });
    Attempt([&] { screen->Line(SubInt(W, ox), oy, SubInt(W, ray.XHist.at(slot)), ray.YHist.at(slot), 0); });
}
