#pragma once
// The settings dialog's controls as data: every control of "Screen Saver
// Properties" with its kind, container, caption, position and size in twips,
// and the range of each scroll bar. frmSettings creates its portable controls
// from it; each backend builds its native controls from it.

#include "runtime/controls/DialogLayout.h"

namespace SettingsLayout {

// The dialog's client area, in twips.
constexpr vb::Integer kClientWidth = 4470;
constexpr vb::Integer kClientHeight = 5085;

vb::DialogLayout Layout();

}  // namespace SettingsLayout
