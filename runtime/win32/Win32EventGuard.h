#pragma once
// The one way Win32 window procedures call into the program. No C++
// exception may unwind through a window procedure (Windows would carry it
// through its own frames, or lose it), so every forward of a message to
// portable code runs inside ForwardToProgram: an error the program did not
// handle ends the run with the standard error report, exactly as one raised
// in the animation loop does.

#include <exception>

#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"

namespace vb {

template <typename Handler>
void ForwardToProgram(Handler&& handler) noexcept {
    try {
        handler();
    } catch (const RuntimeError& error) {
        ReportUnhandledError(error);
    } catch (const std::exception&) {
        // A library failure inside a handler reads to the user as an
        // invalid call.
        ReportUnhandledError(RuntimeError(kErrInvalidCall, ErrorText(kErrInvalidCall)));
    }
}

}  // namespace vb
