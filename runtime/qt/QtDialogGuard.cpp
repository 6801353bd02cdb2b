#include "runtime/qt/QtDialogGuard.h"

#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"

namespace vb {

void QtDialogGuard::Run(const std::function<void()>& forward) noexcept {
    try {
        try {
            forward();
        } catch (const RuntimeError& error) {
            ReportUnhandledError(error);
        } catch (const std::exception&) {
            // A library failure inside a handler reads to the user as an
            // invalid call, as everywhere in the Qt backend.
            ReportUnhandledError(RuntimeError(kErrInvalidCall, ErrorText(kErrInvalidCall)));
        }
    } catch (...) {
        // Only a backend whose End throws (a test's) gets here, from the
        // handler or from the report's End.
        if (!mEscape) std::terminate();
        mEscape(std::current_exception());
    }
}

}  // namespace vb
