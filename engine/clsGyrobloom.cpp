#include "engine/clsGyrobloom.h"

#include "runtime/base/RuntimeError.h"

using vb::Integer;
using vb::Single;

namespace {

// The scaled properties keep value / divisor as a Single.
constexpr double kRotationDivisor = 10000000.0;
constexpr double kIncrDivisor = 5000.0;
constexpr double kMaxDivisor = 100.0;

Single ScaleIn(Single value, double divisor) { return vb::CSng(double(value) / divisor); }

// The product is exact in double precision; it comes back as the nearest
// whole number, halves to even, and must fit an Integer.
Single ScaleOut(Single field, double divisor) { return Single(vb::CInt(double(field) * divisor)); }

}  // namespace

void clsGyrobloom::RotationSpeed(Single value) { mRotationStep = ScaleIn(value, kRotationDivisor); }
Single clsGyrobloom::RotationSpeed() const { return ScaleOut(mRotationStep, kRotationDivisor); }
void clsGyrobloom::YIncrPercent(Single value) { mYIncrFrac = ScaleIn(value, kIncrDivisor); }
Single clsGyrobloom::YIncrPercent() const { return ScaleOut(mYIncrFrac, kIncrDivisor); }
void clsGyrobloom::XIncrPercent(Single value) { mXIncrFrac = ScaleIn(value, kIncrDivisor); }
Single clsGyrobloom::XIncrPercent() const { return ScaleOut(mXIncrFrac, kIncrDivisor); }
void clsGyrobloom::YMaxPercent(Single value) { mYMaxFrac = ScaleIn(value, kMaxDivisor); }
Single clsGyrobloom::YMaxPercent() const { return ScaleOut(mYMaxFrac, kMaxDivisor); }
void clsGyrobloom::XMaxPercent(Single value) { mXMaxFrac = ScaleIn(value, kMaxDivisor); }
Single clsGyrobloom::XMaxPercent() const { return ScaleOut(mXMaxFrac, kMaxDivisor); }

clsGyrobloom& HeldEngine(const std::weak_ptr<clsGyrobloom>& engine) {
    auto held = engine.lock();
    if (!held) vb::Raise(vb::kErrObjectNotSet);
    return *held;
}

void clsGyrobloom::Screen(const std::shared_ptr<vb::Form>& window) {
    mScreen = window;
    if (!window) vb::Raise(vb::kErrObjectNotSet);
    auto* host = dynamic_cast<GyrobloomHost*>(window.get());
    if (!host) vb::Raise(vb::kErrNoSuchMember);
    host->GyrobloomClass(shared_from_this());
    window->Show();
}
