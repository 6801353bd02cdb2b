#include "runtime/controls/DialogLayout.h"

namespace vb {

std::string ControlKey(const std::string& name, Integer index) {
    if (index < 0) return name;
    return name + "(" + std::to_string(index) + ")";
}

}  // namespace vb
