// The animation loop. One step: yield, honour a reset, read the meter twice
// (TempoChange between), re-shuffle the effects on a tempo change in random
// mode, take the colour, draw one segment per ray, turn, and move the radii.
// No timer and no sleep: the runtime's DoEvents is the only wait.

#include <cassert>
#include <cmath>

#include "audio/clsAudioLevel.h"
#include "engine/MainLib2.h"
#include "engine/clsGyrobloom.h"
#include "runtime/Platform.h"
#include "runtime/base/RuntimeError.h"

using vb::CInt;
using vb::CLng;
using vb::CSng;
using vb::Integer;
using vb::Single;

namespace {
constexpr double kFullCircle = 6.28;       // not 2 pi: the rays cover 6.28 radians
constexpr Single kSpinLimit = 6.28f;       // compared as a Single
constexpr double kFullScale = 32767;       // the meter's full scale
constexpr Integer kWheelSteps = 1536;
}  // namespace

clsGyrobloom::Spiral::Spiral(clsGyrobloom& engine) : mEngine(engine) {}

std::unique_ptr<clsGyrobloom::Spiral> clsGyrobloom::BeginSpiral() {
    auto spiral = std::make_unique<Spiral>(*this);
    spiral->Reset();
    return spiral;
}

void clsGyrobloom::DrawSpiral() {
    Spiral spiral(*this);
    spiral.Reset();
    for (;;) spiral.Step();
}

void clsGyrobloom::Spiral::Reset() {
    clsGyrobloom& e = mEngine;
    if (!e.mScreen) vb::Raise(vb::kErrObjectNotSet);
    vb::Randomize();
    e.mScreen->Cls();
    if (e.mNumRays == 0) vb::Raise(vb::kErrDivisionByZero);
    RaySpacing = CSng(kFullCircle / e.mNumRays);
    SpinStep = e.mRotationStep;
    if (e.mNumRays < 0 || e.mTrailLength < 0) vb::Raise(vb::kErrSubscript);
    const size_t slots = size_t(e.mTrailLength) + 1;
    Rays.assign(size_t(e.mNumRays) + 1, RayTrail{});
    for (RayTrail& ray : Rays) {
        ray.XHist.assign(slots, 0);
        ray.YHist.assign(slots, 0);
        ray.WidthHist.assign(slots, 0);
        ray.MirrorHist.assign(slots, 0);
        ray.X = e.mCenterX;
        ray.Y = e.mCenterY;
    }
    e.mScreen->Line(e.mCenterX, e.mCenterY, e.mCenterX, e.mCenterY, 0);
    e.mResetMe = false;
    Slot = 0;
    mPassOpen = false;
}

void clsGyrobloom::Spiral::Step() {
    clsGyrobloom& e = mEngine;
    if (!mPassOpen) {
        // The ring's length is read once per pass.
        mPassEnd = e.mTrailLength;
        Slot = 0;
        mPassOpen = true;
    }

    vb::DoEvents();
    if (e.ResetMe()) {
        Reset();
        return;
    }

    assert(e.mAudioLevel && "start-up hands the engine its meter before the loop runs");
    clsAudioLevel& meter = e.mAudioLevel();
    meter.GetLevel();
    if (meter.TempoChange() && e.mRandom) {
        vb::Randomize();
        vb::Rnd();
        SpinStep = CSng(double(SpinStep) * (2 * CInt(vb::Rnd()) - 1));
        e.mMirror = CInt(vb::Rnd()) - 1 != 0;
        e.mPulseInOut = CInt(vb::Rnd()) - 1 != 0;
        e.mPulseRotation = CInt(vb::Rnd()) - 1 != 0;
    }
    Level = double(meter.GetLevel());
    HueStep = CInt(vb::Mod(CLng(Level), CLng(e.mColorShift)));
    if (meter.Peak()) Hue = vb::AddInt(Hue, HueStep);
    if (Hue >= kWheelSteps) Hue = 0;
    RayColor = MainLib2::ColorWheel(Hue, CInt(Level / 100));
    Level = double(e.mScreenScale) * Level;

    for (int j = 0; j <= int(e.mNumRays); ++j) {
        LevelF = CSng(Level);
        MaxX = CInt(double(e.mXMaxFrac) * e.mCenterX);
        MaxY = CInt(double(e.mYMaxFrac) * e.mCenterY);
        if (RadiusX < 0) {
            GrowX = true;
            RadiusX = 0;
        }
        if (RadiusX > MaxX) {
            GrowX = false;
            RadiusX = MaxX;
        }
        if (RadiusY < 0) {
            GrowY = true;
            RadiusY = 0;
        }
        if (RadiusY > MaxY) {
            GrowY = false;
            RadiusY = MaxY;
        }
        if (Spin > kSpinLimit) Spin = 0;
        const double theta = double(RaySpacing) * j + double(Spin);
        const Integer x = CInt(std::sin(theta) * RadiusX + e.mCenterX);
        const Integer y = CInt(std::cos(theta) * RadiusY + e.mCenterY);
        const Integer w = CInt(Level / kFullScale * e.mRayWidth * double(e.mScreenScale));
        if (size_t(j) >= Rays.size()) vb::Raise(vb::kErrSubscript);
        RayTrail& ray = Rays[size_t(j)];
        e.DrawRaySegment(ray, Slot, RayColor, x, y, w);
        if (Slot < 0 || size_t(Slot) >= ray.XHist.size()) vb::Raise(vb::kErrSubscript);
        ray.OldX = ray.XHist[size_t(Slot)];
        ray.OldY = ray.YHist[size_t(Slot)];
        ray.XHist[size_t(Slot)] = x;
        ray.YHist[size_t(Slot)] = y;
        ray.WidthHist[size_t(Slot)] = w;
        ray.MirrorHist[size_t(Slot)] = vb::BoolToInteger(e.mMirror);
        ray.X = x;
        ray.Y = y;
    }

    if (!e.mPulseRotation || meter.Peak()) {
        Spin = CSng(double(Spin) + double(SpinStep) * Level);
        if (Spin > kSpinLimit) Spin = 0;
    }

    const bool pulse = e.mRandom ? meter.Peak() : (!meter.Peak() && e.mPulseInOut);
    if (pulse) {
        RadiusX = CInt(Level / 8);
        RadiusY = CInt(Level / 8);
    } else {
        const double stepX = double(LevelF) * double(e.mXIncrFrac);
        const double stepY = double(LevelF) * double(e.mYIncrFrac);
        RadiusX = GrowX ? CInt(RadiusX + stepX) : CInt(RadiusX - stepX);
        RadiusY = GrowY ? CInt(RadiusY + stepY) : CInt(RadiusY - stepY);
    }

    if (Slot >= mPassEnd) {
        mPassOpen = false;  // the next step begins a new pass, at slot 0
        Slot = 0;
    } else {
        ++Slot;
    }
}
