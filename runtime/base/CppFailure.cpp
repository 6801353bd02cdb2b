#include "runtime/base/CppFailure.h"

#include <new>

namespace vb {

RuntimeError RuntimeErrorOf(const std::exception& failure) {
    if (auto* error = dynamic_cast<const RuntimeError*>(&failure)) return *error;
    const int number = dynamic_cast<const std::bad_alloc*>(&failure) ? kErrOutOfMemory : kErrInvalidCall;
    return RuntimeError(number, ErrorText(number));
}

}  // namespace vb
