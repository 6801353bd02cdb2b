#include "runtime/base/VbTypes.h"

#include <cmath>
#include <limits>

#include "runtime/base/RuntimeError.h"

namespace vb {
namespace {

// Round half to even without going through the current floating-point
// rounding mode, so the result never depends on the caller's environment.
Double RoundHalfEven(Double value) {
    Double floor = std::floor(value);
    Double diff = value - floor;
    if (diff > 0.5) return floor + 1.0;
    if (diff < 0.5) return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1.0;
}

template <typename T>
T RoundChecked(Double value) {
    if (!std::isfinite(value)) Raise(kErrOverflow);
    Double rounded = RoundHalfEven(value);
    if (rounded < static_cast<Double>(std::numeric_limits<T>::min()) ||
        rounded > static_cast<Double>(std::numeric_limits<T>::max()))
        Raise(kErrOverflow);
    return static_cast<T>(rounded);
}

}  // namespace

Integer CInt(Double value) { return RoundChecked<Integer>(value); }

Long CLng(Double value) { return RoundChecked<Long>(value); }

Single CSng(Double value) {
    if (std::isfinite(value) && std::fabs(value) > std::numeric_limits<Single>::max()) {
        // Values that still round down to FLT_MAX are fine; beyond that the
        // conversion overflows.
        Single s = static_cast<Single>(value);
        if (std::isinf(s)) Raise(kErrOverflow);
        return s;
    }
    return static_cast<Single>(value);
}

Integer AddInt(Integer a, Integer b) {
    int sum = int{a} + int{b};
    if (sum < std::numeric_limits<Integer>::min() || sum > std::numeric_limits<Integer>::max())
        Raise(kErrOverflow);
    return static_cast<Integer>(sum);
}

Integer SubInt(Integer a, Integer b) {
    int diff = int{a} - int{b};
    if (diff < std::numeric_limits<Integer>::min() || diff > std::numeric_limits<Integer>::max())
        Raise(kErrOverflow);
    return static_cast<Integer>(diff);
}

Long Mod(Long dividend, Long divisor) {
    if (divisor == 0) Raise(kErrDivisionByZero);
    if (divisor == -1) return 0;  // avoids INT_MIN % -1, which C++ leaves undefined
    return dividend % divisor;
}

Long RGB(Long red, Long green, Long blue) {
    if (red < 0 || green < 0 || blue < 0) Raise(kErrInvalidCall);
    auto clamp = [](Long c) { return c > 255 ? 255 : c; };
    return clamp(red) + 256 * clamp(green) + 65536 * clamp(blue);
}

}  // namespace vb
