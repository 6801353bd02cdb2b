#pragma once
// How a click on a Win32 push button, check box or option button reaches its
// portable control. The builder makes none of them an automatic button: the
// control decides what the click means (a check box toggles, an option
// selects itself and clears its group), and the button then shows what the
// control holds.

#include "runtime/win32/Win32Api.h"

#include <memory>

namespace vb {

class CheckBox;
class CommandButton;
class OptionButton;
struct Win32DialogRoutes;

// Each binds `button`, a child window with the control id `id`, to `control`:
// attaches the view (which stops touching the window once *alive is false)
// and routes the button's clicks through `routes`.
void BindWin32CommandButton(CommandButton& control, HWND button, int id, const std::shared_ptr<bool>& alive,
                            Win32DialogRoutes& routes);
void BindWin32CheckBox(CheckBox& control, HWND button, int id, const std::shared_ptr<bool>& alive,
                       Win32DialogRoutes& routes);
void BindWin32OptionButton(OptionButton& control, HWND button, int id, const std::shared_ptr<bool>& alive,
                           Win32DialogRoutes& routes);

}  // namespace vb
