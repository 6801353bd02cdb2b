#include "runtime/win32/Win32InstanceMutex.h"

#include "runtime/win32/Win32Api.h"

namespace vb {

Win32InstanceMutex::Win32InstanceMutex(std::wstring name) : mName(std::move(name)) {}

Win32InstanceMutex::~Win32InstanceMutex() {
    if (mHandle) CloseHandle(mHandle);
}

bool Win32InstanceMutex::AnotherInstanceRuns() {
    if (mAnswer) return *mAnswer;
    mHandle = CreateMutexW(nullptr, FALSE, mName.c_str());
    const DWORD error = GetLastError();
    // A mutex that cannot be created at all (access denied: another user's
    // program of this name in the session) counts as another instance.
    mAnswer = !mHandle || error == ERROR_ALREADY_EXISTS;
    return *mAnswer;
}

}  // namespace vb
