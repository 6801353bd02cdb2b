#include "runtime/win32/Win32MessageBox.h"

#include "runtime/win32/Win32Api.h"

#include "runtime/Platform.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {

void ShowWin32MessageBox(const std::string& text) {
    const std::wstring wide = Widen(text);
    // A debugger (or Wine's debug log) shows what the user was told.
    OutputDebugStringW((L"Gyrobloom message: " + wide + L"\n").c_str());
    HWND owner = GetActiveWindow();
    if (!owner) owner = AppOwnerWindow();
    MessageBoxW(owner, wide.c_str(), Widen(kAppTitle).c_str(), MB_OK | MB_TOPMOST | MB_SETFOREGROUND);
}

}  // namespace vb
