#include "runtime/win32/Win32Input.h"

namespace vb {
namespace {
bool Held(int key) { return (GetKeyState(key) & 0x8000) != 0; }
}  // namespace

Integer CurrentShiftState() {
    Integer state = 0;
    if (Held(VK_SHIFT)) state |= kShiftMask;
    if (Held(VK_CONTROL)) state |= kCtrlMask;
    if (Held(VK_MENU)) state |= kAltMask;
    return state;
}

Integer MouseButtonsOf(WPARAM keys) {
    Integer state = 0;
    if (keys & MK_LBUTTON) state |= kLeftButton;
    if (keys & MK_RBUTTON) state |= kRightButton;
    if (keys & MK_MBUTTON) state |= kMiddleButton;
    return state;
}

Integer MouseShiftOf(WPARAM keys) {
    Integer state = 0;
    if (keys & MK_SHIFT) state |= kShiftMask;
    if (keys & MK_CONTROL) state |= kCtrlMask;
    if (Held(VK_MENU)) state |= kAltMask;
    return state;
}

}  // namespace vb
