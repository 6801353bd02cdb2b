#pragma once
// "Is another instance running?", answered with a lock that lives exactly as
// long as the process: an exclusive flock on
// ${XDG_RUNTIME_DIR:-/tmp}/gyrobloom-<uid>.lock. The kernel drops the lock
// when the process ends in any way (End, a crash, kill -9), so a stale lock
// file never keeps the program from starting.

#include <filesystem>
#include <optional>

namespace vb {

class InstanceLock final {
public:
    // The lock file in the user's runtime directory.
    InstanceLock();
    // The lock file at this path (tests).
    explicit InstanceLock(std::filesystem::path path);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another process (or another InstanceLock on the same file)
    // holds the lock. The first call tries to take it and the answer is kept;
    // a lock taken is held until this object is destroyed.
    bool AnotherInstanceRuns();

    const std::filesystem::path& Path() const { return mPath; }
    static std::filesystem::path DefaultPath();

private:
    std::filesystem::path mPath;
    int mFd = -1;
    std::optional<bool> mAnswer;
};

}  // namespace vb
