#pragma once
// The value types the program's arithmetic is written in, and the conversions
// between them. Integer is 16-bit, Long 32-bit; a Boolean is stored as -1
// (true) or 0 (false) where it becomes a number. Every conversion that can
// leave its type's range raises error 6 (Overflow) instead of wrapping.

#include <cstdint>

namespace vb {

using Integer = std::int16_t;  // -32768..32767
using Long = std::int32_t;     // -2^31..2^31-1
using Single = float;          // IEEE binary32
using Double = double;         // IEEE binary64

constexpr Integer kTrue = -1;
constexpr Integer kFalse = 0;

// A truth value as the number the program stores for it: -1 or 0.
constexpr Integer BoolToInteger(bool value) { return value ? kTrue : kFalse; }

// Rounds to the nearest whole number, exact halves to the even neighbour;
// raises Overflow outside the target range (NaN counts as outside).
Integer CInt(Double value);
Long CLng(Double value);
// Rounds to the nearest Single; raises Overflow when the value is finite but
// too large for a Single.
Single CSng(Double value);

// Integer arithmetic that raises Overflow instead of wrapping.
Integer AddInt(Integer a, Integer b);
Integer SubInt(Integer a, Integer b);

// The truncating remainder (sign of the dividend); a divisor of 0 raises
// error 11 (Division by zero).
Long Mod(Long dividend, Long divisor);

// Packs a colour as red + 256 * green + 65536 * blue. A component above 255
// counts as 255; a negative component raises error 5.
Long RGB(Long red, Long green, Long blue);

}  // namespace vb
