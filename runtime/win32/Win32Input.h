#pragma once
// How the Win32 backend reports the user's input to the program: the
// virtual-key code as Windows gives it, and the shift and button masks of
// the key and mouse handlers.

#include "runtime/win32/Win32Api.h"

#include "runtime/WindowBackend.h"
#include "runtime/base/VbTypes.h"

namespace vb {

// The keyboard's shift state now (Shift, Ctrl, Alt held).
Integer CurrentShiftState();
// The buttons and shift state of a mouse message's wParam (MK_...).
Integer MouseButtonsOf(WPARAM keys);
Integer MouseShiftOf(WPARAM keys);

}  // namespace vb
