#include "runtime/posix/IniSettingsStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "runtime/base/RuntimeError.h"
#include "runtime/posix/IniText.h"

namespace vb {

namespace {

constexpr mode_t kNewDirectoryMode = 0700;
constexpr mode_t kNewFileMode = 0600;
constexpr const char* kTemporarySuffix = "XXXXXX";  // mkstemp's pattern

// The report says only "Path/File access error"; standard error says which
// file and why, so that the user can mend it. `failed` is the path the
// system refused when it is not the settings file itself.
[[noreturn]] void FailAccess(const std::filesystem::path& file, const std::filesystem::path& failed, int error) {
    std::string where = failed.empty() || failed == file ? "" : failed.string() + ": ";
    std::fprintf(stderr, "%s: could not write the settings file %s: %s%s\n", program_invocation_short_name,
                 file.c_str(), where.c_str(), std::strerror(error ? error : EIO));
    std::fflush(stderr);
    Raise(kErrPathFileAccess);
}

// The application names a directory and a file in it.
bool IsFileName(const std::string& app) {
    if (app.empty() || app == "." || app == ".." || app.front() == ' ' || app.back() == ' ') return false;
    for (unsigned char c : app)
        if (c < 0x20 || c == 0x7F || c == '/') return false;
    return true;
}

bool CanHold(const std::string& app, const std::string& section, const std::string& key) {
    return IsFileName(app) && IniText::CanHoldSection(section) && IniText::CanHoldKey(key);
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : mFd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor() {
        if (mFd >= 0) ::close(mFd);
    }
    int Get() const { return mFd; }
    // Closes now and reports whether the close succeeded (it can carry a
    // delayed write error).
    bool Close() {
        int fd = std::exchange(mFd, -1);
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int mFd;
};

bool ReadAll(int fd, std::string& out) {
    char buffer[8192];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return false;
        if (got == 0) return true;
        out.append(buffer, static_cast<size_t>(got));
    }
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        ssize_t wrote = ::write(fd, text.data() + done, text.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote == 0) errno = ENOSPC;
        if (wrote <= 0) return false;
        done += static_cast<size_t>(wrote);
    }
    return true;
}

bool SyncDirectory(const std::filesystem::path& dir) {
    FileDescriptor directory(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return directory.Get() >= 0 && ::fsync(directory.Get()) == 0;
}

// Creates what is missing of the path; a new directory's entry is made
// durable too, so the file inside it cannot vanish with its directory.
void MakeDirectories(const std::filesystem::path& dir, const std::filesystem::path& file) {
    std::filesystem::path partial;
    int refused = 0;  // why the last missing part could not be made
    for (const auto& part : dir) {
        std::filesystem::path parent = partial.empty() ? std::filesystem::path(".") : partial;
        partial /= part;
        // A failure other than "exists" shows in the check below.
        if (::mkdir(partial.c_str(), kNewDirectoryMode) == 0) {
            if (!SyncDirectory(parent)) FailAccess(file, parent, errno);
        } else if (errno != EEXIST) {
            refused = errno;
        }
    }
    struct stat info {};
    if (::stat(dir.c_str(), &info) != 0) FailAccess(file, dir, refused ? refused : errno);
    if (!S_ISDIR(info.st_mode)) FailAccess(file, dir, ENOTDIR);
}

// A temporary exists only while its writer holds the lock, so one found by the
// lock's holder was left by a writer that died. Removing it is tidying only,
// hence its failures are ignored.
void RemoveLeftTemporaries(const std::filesystem::path& dir, const std::string& prefix) {
    DIR* listing = ::opendir(dir.c_str());
    if (!listing) return;
    const size_t length = prefix.size() + std::char_traits<char>::length(kTemporarySuffix);
    while (dirent* entry = ::readdir(listing)) {
        std::string name = entry->d_name;
        if (name.size() == length && name.starts_with(prefix)) ::unlinkat(::dirfd(listing), name.c_str(), 0);
    }
    ::closedir(listing);
}

// Removes the temporary unless it was renamed into place.
class TemporaryFile {
public:
    explicit TemporaryFile(std::string path) : mPath(std::move(path)) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() {
        if (!mPath.empty()) ::unlink(mPath.c_str());
    }
    void Keep() { mPath.clear(); }

private:
    std::string mPath;
};

std::filesystem::path UserConfigDir() {
    // A relative or empty XDG_CONFIG_HOME is to be ignored.
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && xdg[0] == '/') return xdg;
    if (const char* home = std::getenv("HOME"); home && home[0] == '/') return std::filesystem::path(home) / ".config";
    std::vector<char> buffer(16384);
    passwd entry {};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir &&
        found->pw_dir[0] == '/')
        return std::filesystem::path(found->pw_dir) / ".config";
    return {};
}

}  // namespace

IniSettingsStore::IniSettingsStore() : mConfigDir(UserConfigDir()) {}

IniSettingsStore::IniSettingsStore(std::filesystem::path configDir) : mConfigDir(std::move(configDir)) {}

std::filesystem::path IniSettingsStore::FilePath(const std::string& app) const {
    return mConfigDir / app / (app + ".ini");
}

std::optional<std::string> IniSettingsStore::Get(const std::string& app, const std::string& section,
                                                 const std::string& key) {
    if (mConfigDir.empty() || !CanHold(app, section, key)) return std::nullopt;
    FileDescriptor file(::open(FilePath(app).c_str(), O_RDONLY | O_CLOEXEC));
    std::string text;
    if (file.Get() < 0 || !ReadAll(file.Get(), text)) return std::nullopt;
    return IniText(text).Get(section, key);
}

void IniSettingsStore::Save(const std::string& app, const std::string& section, const std::string& key,
                            const std::string& text) {
    if (!CanHold(app, section, key)) Raise(kErrInvalidCall);
    if (mConfigDir.empty()) {
        std::fprintf(stderr, "%s: could not write the settings: no configuration directory "
                             "(neither XDG_CONFIG_HOME nor HOME is set, and the user has no home)\n",
                     program_invocation_short_name);
        Raise(kErrPathFileAccess);
    }
    const std::filesystem::path dir = mConfigDir / app;
    const std::filesystem::path path = FilePath(app);
    const auto fail = [&path](const std::filesystem::path& failed) { FailAccess(path, failed, errno); };
    MakeDirectories(dir, path);

    const std::filesystem::path lockPath = path.string() + ".lock";
    FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, kNewFileMode));
    if (lock.Get() < 0) fail(lockPath);
    int locked;
    while ((locked = ::flock(lock.Get(), LOCK_EX)) != 0 && errno == EINTR) {}
    if (locked != 0) fail(lockPath);

    const std::string temporaryPrefix = "." + app + ".ini.tmp.";
    RemoveLeftTemporaries(dir, temporaryPrefix);

    // A file that exists but cannot be read must not be replaced: its other
    // keys would be lost.
    std::string current;
    mode_t mode = kNewFileMode;
    {
        FileDescriptor old(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        if (old.Get() < 0 && errno != ENOENT) fail(path);
        if (old.Get() >= 0) {
            struct stat info {};
            if (::fstat(old.Get(), &info) != 0 || !ReadAll(old.Get(), current)) fail(path);
            mode = info.st_mode & 07777;
        }
    }
    IniText ini(current);
    ini.Set(section, key, text);

    std::string temporaryPath = (dir / (temporaryPrefix + kTemporarySuffix)).string();
    FileDescriptor temporary(::mkostemp(temporaryPath.data(), O_CLOEXEC));
    if (temporary.Get() < 0) fail(dir);
    TemporaryFile cleanup(temporaryPath);
    if (::fchmod(temporary.Get(), mode) != 0 || !WriteAll(temporary.Get(), ini.Text()) ||
        ::fsync(temporary.Get()) != 0 || !temporary.Close())
        fail(temporaryPath);
    if (::rename(temporaryPath.c_str(), path.c_str()) != 0) fail(path);
    cleanup.Keep();

    // The rename itself is durable only once the directory is.
    if (!SyncDirectory(dir)) fail(dir);
}

}  // namespace vb
