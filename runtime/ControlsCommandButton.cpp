#include "runtime/ControlsCommandButton.h"

namespace vb {

void CommandButton::UserClick() {
    if (!Enabled()) return;
    if (Click) Click();
}

}  // namespace vb
