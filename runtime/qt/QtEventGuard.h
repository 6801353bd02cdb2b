#pragma once
// The one way Qt event handlers call into the program. Qt must never see a
// C++ exception unwind through its event loop, so every forward of a Qt event
// to portable code runs inside ForwardToProgram: an error the program did not
// handle ends the run with the standard error report, exactly as an error
// raised in the animation loop would.

#include "runtime/Platform.h"

namespace vb {

// Anything that is not a std::exception is a broken invariant and terminates
// (noexcept) rather than unwinding into Qt.
template <typename Handler>
void ForwardToProgram(Handler&& handler) noexcept {
    ReportingProgramErrors(handler);
}

}  // namespace vb
