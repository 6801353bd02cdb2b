#pragma once
// The run-time error number an action raises, or 0 when it raises none.

#include "runtime/base/RuntimeError.h"

template <typename Action>
int ErrorNumberOf(Action&& action) {
    try {
        action();
    } catch (const vb::RuntimeError& e) {
        return e.Number();
    }
    return 0;
}
