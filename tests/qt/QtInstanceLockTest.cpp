// The previous-instance test on Linux: a lock that lives exactly as long as
// the process holding it.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/qt/InstanceLock.h"

namespace {

namespace fs = std::filesystem;

class InstanceLockTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/gyrobloom-lock-test-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir / "gyrobloom.lock";
    }
    void TearDown() override { fs::remove_all(dir); }

    fs::path dir, path;
};

TEST_F(InstanceLockTest, FirstInstanceRunsAndASecondSeesIt) {
    vb::InstanceLock first(path);
    EXPECT_FALSE(first.AnotherInstanceRuns());
    vb::InstanceLock second(path);
    EXPECT_TRUE(second.AnotherInstanceRuns());
    // The answers are kept.
    EXPECT_FALSE(first.AnotherInstanceRuns());
    EXPECT_TRUE(second.AnotherInstanceRuns());
}

TEST_F(InstanceLockTest, LockIsReleasedWithItsHolder) {
    {
        vb::InstanceLock first(path);
        ASSERT_FALSE(first.AnotherInstanceRuns());
    }
    EXPECT_TRUE(fs::exists(path)) << "the lock file should stay; only the lock goes";
    vb::InstanceLock next(path);
    EXPECT_FALSE(next.AnotherInstanceRuns());
}

// A holder killed with SIGKILL runs no clean-up at all; the kernel must still
// drop its lock, or the saver could never start again.
TEST_F(InstanceLockTest, KilledHolderLeavesNoStaleLock) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        vb::InstanceLock held(path);
        const char answer = held.AnotherInstanceRuns() ? 'y' : 'n';
        (void)!::write(ready[1], &answer, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    ASSERT_EQ(answer, 'n') << "the child did not get the lock";

    vb::InstanceLock whileRunning(path);
    EXPECT_TRUE(whileRunning.AnotherInstanceRuns());

    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    vb::InstanceLock afterKill(path);
    EXPECT_FALSE(afterKill.AnotherInstanceRuns());
}

TEST_F(InstanceLockTest, DefaultPathIsInTheUserRuntimeDirectory) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedValue = saved ? saved : "";
    const std::string name = "gyrobloom-" + std::to_string(::getuid()) + ".lock";

    ::setenv("XDG_RUNTIME_DIR", dir.c_str(), 1);
    EXPECT_EQ(vb::InstanceLock::DefaultPath(), dir / name);
    ::setenv("XDG_RUNTIME_DIR", "", 1);
    EXPECT_EQ(vb::InstanceLock::DefaultPath(), fs::path("/tmp") / name);
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(vb::InstanceLock::DefaultPath(), fs::path("/tmp") / name);

    if (saved) ::setenv("XDG_RUNTIME_DIR", savedValue.c_str(), 1);
}

TEST_F(InstanceLockTest, LinkPlantedAtTheLockPathIsNotFollowed) {
    const fs::path target = dir / "victim";
    fs::create_symlink(target, path);
    vb::InstanceLock lock(path);
    EXPECT_FALSE(lock.AnotherInstanceRuns()) << "an unusable lock must not stop the program";
    EXPECT_FALSE(fs::exists(target)) << "the link was followed";
}

}  // namespace
