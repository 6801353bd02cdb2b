#pragma once
// How the Win32 backend reports the user's input to the program: the
// virtual-key code as Windows gives it, and the shift and button masks of
// the key and mouse handlers.

#include "runtime/win32/Win32Api.h"

#include "runtime/base/VbTypes.h"

namespace vb {

// Shift-state bits of the key and mouse handlers.
constexpr Integer kShiftMask = 1;
constexpr Integer kCtrlMask = 2;
constexpr Integer kAltMask = 4;

// Mouse-button bits of the mouse handlers.
constexpr Integer kLeftButton = 1;
constexpr Integer kRightButton = 2;
constexpr Integer kMiddleButton = 4;

// The keyboard's shift state now (Shift, Ctrl, Alt held).
Integer CurrentShiftState();
// The buttons and shift state of a mouse message's wParam (MK_...).
Integer MouseButtonsOf(WPARAM keys);
Integer MouseShiftOf(WPARAM keys);

}  // namespace vb
