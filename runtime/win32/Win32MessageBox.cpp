#include "runtime/win32/Win32MessageBox.h"

#include "runtime/win32/Win32Api.h"

#include "runtime/Platform.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {

void ShowWin32MessageBox(const std::string& text) {
    HWND owner = GetActiveWindow();
    if (!owner) owner = AppOwnerWindow();
    MessageBoxW(owner, Widen(text).c_str(), Widen(kAppTitle).c_str(), MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
}

}  // namespace vb
