#pragma once
// The one way the widgets of a Qt dialog call into the program. Qt must never
// see a C++ exception unwind through its event loop: an error the program did
// not handle ends the run with the standard error report, as in the rest of
// the Qt backend, and anything else goes to the dialog's escape (tests) or
// terminates.

#include <functional>

#include "runtime/qt/QtDialog.h"

namespace vb {

class QtDialogGuard {
public:
    explicit QtDialogGuard(QtDialogEscape escape) : mEscape(std::move(escape)) {}

    void Run(const std::function<void()>& forward) noexcept;

private:
    QtDialogEscape mEscape;
};

}  // namespace vb
