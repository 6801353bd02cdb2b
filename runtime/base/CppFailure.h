#pragma once
// How a C++ failure reads to the user. Every entry point and every platform
// event guard turns what it catches into a run-time error here, so that the
// same failure gets the same report on every platform.

#include <exception>

#include "runtime/base/RuntimeError.h"

namespace vb {

// The program's own error as it is; running out of memory (std::bad_alloc,
// and its bad_array_new_length) is error 7, "Out of memory";
// any other library failure (out_of_range, a system_error, ...) reads as an
// invalid call, error 5.
RuntimeError RuntimeErrorOf(const std::exception& failure);

}  // namespace vb
