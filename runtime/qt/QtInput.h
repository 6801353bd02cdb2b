#pragma once
// How the Qt backend reports the user's input to the program: Windows
// virtual-key codes, and the shift and button masks of the key and mouse
// handlers.

#include <Qt>

#include "runtime/WindowBackend.h"
#include "runtime/base/VbTypes.h"

namespace vb {

// The code a key press reports for a key that has no virtual-key code of
// its own. Never 0: every key press is a key press.
constexpr Integer kVkUnmapped = 0xFF;

// The Windows virtual-key code of a Qt key (Qt::Key): letters and digits are
// their upper-case ASCII codes, Shift 16, Control 17, Alt 18, Esc 27, and so
// on; any other key gives kVkUnmapped.
Integer VirtualKeyFor(int qtKey);
Integer ShiftStateFor(Qt::KeyboardModifiers modifiers);
// The shift state a key press reports: a modifier key counts as held in its
// own press, whichever way the platform reports the state around it.
Integer ShiftStateOfPress(int qtKey, Integer shift);
Integer ButtonStateFor(Qt::MouseButtons buttons);

}  // namespace vb
