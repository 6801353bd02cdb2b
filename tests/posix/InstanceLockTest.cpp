#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <ostream>
#include <memory>
#include <string>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "runtime/posix/InstanceLock.h"

namespace {

namespace fs = std::filesystem;

struct InstanceLockTest : ::testing::Test {
    const fs::path dir = fs::path(::testing::TempDir()) / ("gyrobloom-lock-" + std::to_string(::getpid()));
    const fs::path path = dir / "gyrobloom.lock";
    void SetUp() override { fs::remove_all(dir), fs::create_directories(dir); }
    void TearDown() override { fs::remove_all(dir); }
};

TEST_F(InstanceLockTest, ASecondHolderIsRefusedWhileTheFirstLives) {
    auto first = std::make_unique<vb::InstanceLock>(path);
    EXPECT_FALSE(first->AnotherInstanceRuns());
    EXPECT_TRUE(vb::InstanceLock(path).AnotherInstanceRuns());
    first.reset();
    EXPECT_FALSE(vb::InstanceLock(path).AnotherInstanceRuns()) << "the lock goes with its holder";
}

TEST_F(InstanceLockTest, AHolderKilledWithSigkillLeavesNoStaleLock) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        vb::InstanceLock held(path);
        (void)!::write(ready[1], held.AnotherInstanceRuns() ? "y" : "n", 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char answer = 0;
    EXPECT_TRUE(::read(ready[0], &answer, 1) == 1 && answer == 'n') << "the child did not get the lock";
    EXPECT_TRUE(vb::InstanceLock(path).AnotherInstanceRuns());
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    EXPECT_FALSE(vb::InstanceLock(path).AnotherInstanceRuns());
}

TEST_F(InstanceLockTest, WithoutARuntimeDirectoryTheDefaultLockIsInTmp) {
    const std::string saved = std::getenv("XDG_RUNTIME_DIR") ? std::getenv("XDG_RUNTIME_DIR") : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(vb::InstanceLock::DefaultPath(), "/tmp/gyrobloom-" + std::to_string(::getuid()) + ".lock");
    ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

TEST_F(InstanceLockTest, ALinkPlantedAtTheLockPathIsNotFollowed) {
    fs::create_symlink(dir / "victim", path);
    EXPECT_FALSE(vb::InstanceLock(path).AnotherInstanceRuns()) << "an unusable lock must not stop the program";
    EXPECT_FALSE(fs::exists(dir / "victim"));
}

}  // namespace

// A runtime directory the lock cannot be made in: the copies meet in the
// fallback instead of all running.
struct UnusableDirCase {
    const char* name;
    std::function<fs::path(const fs::path& scratch)> make;  // the runtime directory
    friend void PrintTo(const UnusableDirCase& c, std::ostream* os) { *os << c.name; }
};

class InstanceLockFallback : public InstanceLockTest, public ::testing::WithParamInterface<UnusableDirCase> {};

TEST_P(InstanceLockFallback, ASecondCopyIsStillRefused) {
    const fs::path runtimeDir = GetParam().make(dir);
    const fs::path fallback = dir / "fallback.lock";
    vb::InstanceLock first(runtimeDir / "gyrobloom.lock", fallback);
    EXPECT_FALSE(first.AnotherInstanceRuns());
    EXPECT_EQ(first.Path(), fallback);
    EXPECT_TRUE(vb::InstanceLock(runtimeDir / "gyrobloom.lock", fallback).AnotherInstanceRuns());
}

INSTANTIATE_TEST_SUITE_P(
    RuntimeDirs, InstanceLockFallback,
    ::testing::Values(UnusableDirCase{"Missing", [](const fs::path& d) { return d / "gone"; }},
                      UnusableDirCase{"AFileNotADirectory",
                                      [](const fs::path& d) {
                                          std::ofstream(d / "plain") << "x";
                                          return d / "plain";
                                      }},
                      // Read-only even for root.
                      UnusableDirCase{"ReadOnly", [](const fs::path&) { return fs::path("/proc"); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(InstanceLockTest, AUsableRuntimeDirectoryKeepsTheLockThere) {
    vb::InstanceLock lock(path, dir / "fallback.lock");
    EXPECT_FALSE(lock.AnotherInstanceRuns());
    EXPECT_EQ(lock.Path(), path);
    EXPECT_FALSE(fs::exists(dir / "fallback.lock"));
}

TEST_F(InstanceLockTest, TheFallbackIsTheLockOfAnUnsetRuntimeDirectory) {
    const char* set = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = set ? set : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    const fs::path unset = vb::InstanceLock::DefaultPath();
    if (set) ::setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
    EXPECT_EQ(vb::InstanceLock::FallbackPath(), unset);
}
