#include "runtime/posix/InstanceLock.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace vb {

namespace {
std::string LockName() { return "gyrobloom-" + std::to_string(::getuid()) + ".lock"; }
}  // namespace

std::filesystem::path InstanceLock::DefaultPath() {
    const char* runtimeDir = std::getenv("XDG_RUNTIME_DIR");
    if (runtimeDir && *runtimeDir) return std::filesystem::path(runtimeDir) / LockName();
    return FallbackPath();
}

std::filesystem::path InstanceLock::FallbackPath() { return std::filesystem::path("/tmp") / LockName(); }

InstanceLock::InstanceLock() : InstanceLock(DefaultPath(), FallbackPath()) {}

InstanceLock::InstanceLock(std::filesystem::path path) : mPath(std::move(path)) {}

InstanceLock::InstanceLock(std::filesystem::path path, std::filesystem::path fallback)
    : mPath(std::move(path)), mFallback(std::move(fallback)) {
    if (mFallback == mPath) mFallback.clear();
}

InstanceLock::~InstanceLock() {
    if (mFd >= 0) ::close(mFd);
}

bool InstanceLock::AnotherInstanceRuns() {
    if (mAnswer) return *mAnswer;
    // O_NOFOLLOW: in /tmp another user could plant a link at our name.
    constexpr int kFlags = O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW;
    mFd = ::open(mPath.c_str(), kFlags, 0600);
    if (mFd < 0 && !mFallback.empty()) {
        // Every copy started in this environment fails here the same way and
        // meets the others at the fallback.
        mPath = mFallback;
        mFd = ::open(mPath.c_str(), kFlags, 0600);
    }
    if (mFd < 0) {
        // Without a lock file nothing can be told; running twice is better
        // than never running.
        mAnswer = false;
        return false;
    }
    int result;
    do {
        result = ::flock(mFd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    const bool held = result != 0 && errno == EWOULDBLOCK;
    if (result != 0) {
        ::close(mFd);
        mFd = -1;
    }
    // Any other flock failure (a file system without locks) counts as no
    // other instance, for the reason above.
    mAnswer = held;
    return held;
}

}  // namespace vb
