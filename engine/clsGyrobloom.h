#pragma once
// The spiral engine: every parameter of the animation, the window it draws on,
// the animation loop, and the loading and storing of the parameters.
//
// Scaled properties keep a quotient internally (XMaxPercent 75 is held as
// 0.75); their Get rounds the product back to a whole number, halves to
// even, and raises Overflow outside the Integer range.

#include <functional>
#include <memory>

#include "engine/RayTrail.h"
#include "runtime/Form.h"
#include "runtime/base/VbTypes.h"

class clsGyrobloom;
class clsAudioLevel;

// A window the engine can draw on exposes the engine through this property.
class GyrobloomHost {
public:
    virtual ~GyrobloomHost() = default;
    virtual void GyrobloomClass(const std::shared_ptr<clsGyrobloom>& engine) = 0;
};

// The engine a window was handed; error 91 when it holds none.
clsGyrobloom& HeldEngine(const std::weak_ptr<clsGyrobloom>& engine);

class clsGyrobloom : public std::enable_shared_from_this<clsGyrobloom> {
public:
    using Integer = vb::Integer;
    using Single = vb::Single;

    void DrawStyle(Integer value) { mDrawStyle = value; }
    Integer DrawStyle() const { return mDrawStyle; }
    void CenterY(Integer value) { mCenterY = value; }
    Integer CenterY() const { return mCenterY; }
    void CenterX(Integer value) { mCenterX = value; }
    Integer CenterX() const { return mCenterX; }
    void ScreenHeight(Integer value) { mScreenHeight = value; }
    Integer ScreenHeight() const { return mScreenHeight; }
    void ScreenWidth(Integer value) { mScreenWidth = value; }
    Integer ScreenWidth() const { return mScreenWidth; }
    void InSettingsMode(bool value) { mInSettingsMode = value; }
    bool InSettingsMode() const { return mInSettingsMode; }
    void RotationSpeed(Single value);
    Single RotationSpeed() const;
    void NumRays(Integer value) { mNumRays = value; }
    Integer NumRays() const { return mNumRays; }
    void TrailLength(Integer value) { mTrailLength = value; }
    Integer TrailLength() const { return mTrailLength; }
    void RayWidth(Integer value) { mRayWidth = value; }
    Integer RayWidth() const { return mRayWidth; }
    void ColorShift(Single value) { mColorShift = value; }
    Single ColorShift() const { return mColorShift; }
    void ScreenScale(Single value) { mScreenScale = value; }
    Single ScreenScale() const { return mScreenScale; }
    void Mirror(bool value) { mMirror = value; }
    bool Mirror() const { return mMirror; }
    void Random(bool value) { mRandom = value; }
    bool Random() const { return mRandom; }
    void PulseInOut(bool value) { mPulseInOut = value; }
    bool PulseInOut() const { return mPulseInOut; }
    void PulseRotation(bool value) { mPulseRotation = value; }
    bool PulseRotation() const { return mPulseRotation; }
    void ResetMe(bool value) { mResetMe = value; }
    bool ResetMe() const { return mResetMe; }
    void YIncrPercent(Single value);
    Single YIncrPercent() const;
    void XIncrPercent(Single value);
    Single XIncrPercent() const;
    void YMaxPercent(Single value);
    Single YMaxPercent() const;
    void XMaxPercent(Single value);
    Single XMaxPercent() const;
    // Binds the engine to a window: stores it, hands it the engine through
    // its GyrobloomClass property, then shows it (running its load handler).
    // Raises error 91 for no window.
    void Screen(const std::shared_ptr<vb::Form>& window);
    std::shared_ptr<vb::Form> Screen() const { return mScreen; }

    // The animation loop: ResetSpiral, then passes of the trail ring, until an
    // event handler ends the program. Never returns.
    [[noreturn]] void DrawSpiral();
    void RetrieveSettings();
    void SaveSettings();

    // How the animation loop reaches the program-wide meter. Start-up owns
    // the meter (it is created at the first reading and released by
    // ShutDown) and hands the engine this means of reaching it.
    using AudioLevelSource = std::function<clsAudioLevel&()>;
    void AudioLevel(AudioLevelSource source) { mAudioLevel = std::move(source); }

    // The loop state of one DrawSpiral. Tests drive it one step at a time.
    class Spiral;
    // ResetSpiral, and the loop ready for its first step.
    std::unique_ptr<Spiral> BeginSpiral();

private:
    friend class Spiral;
    friend struct EngineTestAccess;  // the tests call DrawRaySegment directly
    void DrawRaySegment(const RayTrail& ray, Integer slot, vb::Long color, Integer x, Integer y, Integer width);

    Integer mDrawStyle = 0;
    Integer mCenterY = 0;
    Integer mCenterX = 0;
    Integer mScreenHeight = 0;
    Integer mScreenWidth = 0;
    bool mInSettingsMode = false;
    Single mRotationStep = 0;
    Integer mNumRays = 0;
    Integer mTrailLength = 0;
    Integer mRayWidth = 0;
    Single mColorShift = 0;
    Single mScreenScale = 0;
    bool mMirror = false;
    bool mRandom = false;
    bool mPulseInOut = false;
    bool mPulseRotation = false;
    bool mResetMe = false;
    Single mYIncrFrac = 0;
    Single mXIncrFrac = 0;
    Single mYMaxFrac = 0;
    Single mXMaxFrac = 0;
    std::shared_ptr<vb::Form> mScreen;
    AudioLevelSource mAudioLevel;
};

class clsGyrobloom::Spiral {
public:
    explicit Spiral(clsGyrobloom& engine);

    // One step of the loop: yield, honour ResetMe (which abandons the pass),
    // read the meter, draw one segment per ray, advance.
    void Step();
    // ResetSpiral: reseed, clear, rebuild the rays, restart at slot 0.
    void Reset();

    // Loop state, readable by tests.
    std::vector<RayTrail> Rays;
    Integer Slot = 0;
    double Level = 1;
    Single LevelF = 0;
    Integer Hue = 0;
    Integer HueStep = 0;
    vb::Long RayColor = 0;
    Single Spin = 0;
    Single SpinStep = 0;
    Single RaySpacing = 0;
    Integer RadiusX = 0, RadiusY = 0;
    bool GrowX = false, GrowY = false;
    Integer MaxX = 0, MaxY = 0;

private:
    clsGyrobloom& mEngine;
    Integer mPassEnd = 0;  // TrailLength as read when the pass began
    bool mPassOpen = false;
};
