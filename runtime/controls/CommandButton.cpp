#include "runtime/controls/CommandButton.h"

namespace vb {

void CommandButton::UserClick() {
    if (!Enabled()) return;
    if (Click) Click();
}

}  // namespace vb
