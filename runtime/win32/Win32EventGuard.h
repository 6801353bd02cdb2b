#pragma once
// The one way Win32 window procedures call into the program. No C++
// exception may unwind through a window procedure (Windows would carry it
// through its own frames, or lose it), so every forward of a message to
// portable code runs inside ForwardToProgram: a failure the program did not
// handle ends the run with the standard error report (RuntimeErrorOf says
// which error a C++ failure is), exactly as one raised in the animation loop
// does. Anything that is not a std::exception is a broken invariant and
// terminates (noexcept).

#include "runtime/Platform.h"

namespace vb {

template <typename Handler>
void ForwardToProgram(Handler&& handler) noexcept {
    ReportingProgramErrors(handler);
}

}  // namespace vb
