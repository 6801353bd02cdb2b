#include "runtime/qt/QtDialogGuard.h"

#include "runtime/Platform.h"

namespace vb {

void QtDialogGuard::Run(const std::function<void()>& forward) noexcept {
    try {
        ReportingProgramErrors(forward);
    } catch (...) {
        // Only a backend whose End throws (a test's) gets here, from the
        // handler or from the report's End.
        if (!mEscape) std::terminate();
        mEscape(std::current_exception());
    }
}

}  // namespace vb
