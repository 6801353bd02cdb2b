#include "runtime/qt/QtInput.h"

#include <array>
#include <utility>

namespace vb {
namespace {

// Keys whose virtual-key code differs from their Qt code.
constexpr std::array<std::pair<int, Integer>, 34> kKeyTable{{
    {Qt::Key_Backspace, 8},   {Qt::Key_Tab, 9},        {Qt::Key_Backtab, 9},    {Qt::Key_Clear, 12},
    {Qt::Key_Return, 13},     {Qt::Key_Enter, 13},     {Qt::Key_Shift, 16},     {Qt::Key_Control, 17},
    {Qt::Key_Alt, 18},        {Qt::Key_AltGr, 18},     {Qt::Key_Pause, 19},     {Qt::Key_CapsLock, 20},
    {Qt::Key_Escape, 27},     {Qt::Key_Space, 32},     {Qt::Key_PageUp, 33},    {Qt::Key_PageDown, 34},
    {Qt::Key_End, 35},        {Qt::Key_Home, 36},      {Qt::Key_Left, 37},      {Qt::Key_Up, 38},
    {Qt::Key_Right, 39},      {Qt::Key_Down, 40},      {Qt::Key_Print, 44},     {Qt::Key_Insert, 45},
    {Qt::Key_Delete, 46},     {Qt::Key_Help, 47},      {Qt::Key_Meta, 91},      {Qt::Key_Super_L, 91},
    {Qt::Key_Super_R, 92},    {Qt::Key_Menu, 93},      {Qt::Key_NumLock, 144},  {Qt::Key_ScrollLock, 145},
    {Qt::Key_Semicolon, 186}, {Qt::Key_Comma, 188},
}};

constexpr Integer kVkF1 = 112;
constexpr int kFunctionKeys = 24;  // F1..F24

}  // namespace

Integer VirtualKeyFor(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return Integer(qtKey);  // Qt and Windows both use the upper-case ASCII code
    if (qtKey >= Qt::Key_F1 && qtKey < Qt::Key_F1 + kFunctionKeys) return Integer(kVkF1 + (qtKey - Qt::Key_F1));
    for (const auto& [key, vk] : kKeyTable)
        if (key == qtKey) return vk;
    return kVkUnmapped;
}

Integer ShiftStateFor(Qt::KeyboardModifiers modifiers) {
    Integer state = 0;
    if (modifiers & Qt::ShiftModifier) state |= kShiftMask;
    if (modifiers & Qt::ControlModifier) state |= kCtrlMask;
    if (modifiers & Qt::AltModifier) state |= kAltMask;
    return state;
}

Integer ShiftStateOfPress(int qtKey, Integer shift) {
    if (qtKey == Qt::Key_Shift) shift |= kShiftMask;
    if (qtKey == Qt::Key_Control) shift |= kCtrlMask;
    if (qtKey == Qt::Key_Alt || qtKey == Qt::Key_AltGr) shift |= kAltMask;
    return shift;
}

Integer ButtonStateFor(Qt::MouseButtons buttons) {
    Integer state = 0;
    if (buttons & Qt::LeftButton) state |= kLeftButton;
    if (buttons & Qt::RightButton) state |= kRightButton;
    if (buttons & Qt::MiddleButton) state |= kMiddleButton;
    return state;
}

}  // namespace vb
