#include "runtime/win32/Win32ButtonBinding.h"

#include "runtime/controls/CheckBox.h"
#include "runtime/controls/CommandButton.h"
#include "runtime/controls/OptionButton.h"
#include "runtime/win32/Win32ControlViews.h"
#include "runtime/win32/Win32DialogBuilder.h"

namespace vb {

void BindWin32CommandButton(CommandButton& control, HWND button, int id, const std::shared_ptr<bool>& alive,
                            Win32DialogRoutes& routes) {
    if (control.Default()) routes.defaultId = id;
    routes.clicks[id] = [&control] { control.UserClick(); };
    control.Attach(std::make_unique<ButtonView>(button, alive, false));
}

void BindWin32CheckBox(CheckBox& control, HWND button, int id, const std::shared_ptr<bool>& alive,
                       Win32DialogRoutes& routes) {
    routes.clicks[id] = [&control] { control.UserClick(); };
    control.Attach(std::make_unique<ButtonView>(button, alive, true));
}

void BindWin32OptionButton(OptionButton& control, HWND button, int id, const std::shared_ptr<bool>& alive,
                           Win32DialogRoutes& routes) {
    routes.clicks[id] = [&control] { control.UserClick(); };
    control.Attach(std::make_unique<ButtonView>(button, alive, true));
}

}  // namespace vb
