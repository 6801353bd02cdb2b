#pragma once
// "Is another instance running?", answered with a named mutex in the user's
// session ("Local\..."): the first instance creates it, a later one finds it
// there. Windows destroys the mutex when the last process holding it ends in
// any way, so a crashed run never keeps the program from starting.

#include <optional>
#include <string>

namespace vb {

class Win32InstanceMutex final {
public:
    static constexpr const wchar_t* kDefaultName = L"Local\\Gyrobloom.Instance";

    explicit Win32InstanceMutex(std::wstring name = kDefaultName);
    ~Win32InstanceMutex();
    Win32InstanceMutex(const Win32InstanceMutex&) = delete;
    Win32InstanceMutex& operator=(const Win32InstanceMutex&) = delete;

    // The first call creates (or opens) the mutex; the answer is kept, and
    // the handle held until this object is destroyed.
    bool AnotherInstanceRuns();

private:
    std::wstring mName;
    void* mHandle = nullptr;
    std::optional<bool> mAnswer;
};

}  // namespace vb
