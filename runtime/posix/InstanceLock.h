#pragma once
// "Is another instance running?", answered with a lock that lives exactly as
// long as the process: an exclusive flock on
// ${XDG_RUNTIME_DIR:-/tmp}/gyrobloom-<uid>.lock. The kernel drops the lock
// when the process ends in any way (End, a crash, kill -9), so a stale lock
// file never keeps the program from starting. When the lock file cannot be
// made in $XDG_RUNTIME_DIR (the directory is missing, read-only, not a
// directory), /tmp/gyrobloom-<uid>.lock is used, as when the variable is
// unset, so that a second copy still ends at once.

#include <filesystem>
#include <optional>

namespace vb {

class InstanceLock final {
public:
    // The lock file in the user's runtime directory.
    InstanceLock();
    // The lock file at this path (tests).
    explicit InstanceLock(std::filesystem::path path);
    // The lock file at `path`, else at `fallback` when `path` cannot be
    // opened (tests).
    InstanceLock(std::filesystem::path path, std::filesystem::path fallback);
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // True when another process (or another InstanceLock on the same file)
    // holds the lock. The first call tries to take it and the answer is kept;
    // a lock taken is held until this object is destroyed.
    bool AnotherInstanceRuns();

    // The lock file: the one in use once AnotherInstanceRuns has been asked.
    const std::filesystem::path& Path() const { return mPath; }
    static std::filesystem::path DefaultPath();
    // Where the lock lives without a usable runtime directory.
    static std::filesystem::path FallbackPath();

private:
    std::filesystem::path mPath;
    std::filesystem::path mFallback;  // empty: none
    int mFd = -1;
    std::optional<bool> mAnswer;
};

}  // namespace vb
