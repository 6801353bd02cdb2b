#pragma once
// The one way Qt event handlers call into the program. Qt must never see a
// C++ exception unwind through its event loop, so every forward of a Qt event
// to portable code runs inside ForwardToProgram: an error the program did not
// handle ends the run with the standard error report, exactly as an error
// raised in the animation loop would.

#include <exception>

#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"

namespace vb {

// Runs the handler; an error it raises ends the run with the standard report.
// Anything that is not a std::exception passes on to the caller.
template <typename Handler>
void ReportingProgramErrors(Handler&& handler) {
    try {
        handler();
    } catch (const RuntimeError& error) {
        ReportUnhandledError(error);
    } catch (const std::exception&) {
        // A library failure inside a handler (bad_alloc, out_of_range, ...)
        // reads to the user as an invalid call.
        ReportUnhandledError(RuntimeError(kErrInvalidCall, ErrorText(kErrInvalidCall)));
    }
}

// Anything that is not a std::exception is a broken invariant and terminates
// (noexcept) rather than unwinding into Qt.
template <typename Handler>
void ForwardToProgram(Handler&& handler) noexcept {
    ReportingProgramErrors(handler);
}

}  // namespace vb
