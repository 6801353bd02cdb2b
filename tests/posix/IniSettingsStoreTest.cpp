#include "runtime/posix/IniSettingsStore.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>

#include "runtime/base/RuntimeError.h"

using namespace vb;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::string kApp = "Gyrobloom", kSection = "Settings";

// The program's fourteen keys, and three sets of their texts that differ key
// by key: the defaults and two sets a user might save.
const std::array<std::string, 14> kKeys = {
    "Horizontal Size", "Horizontal Speed", "Vertical Size", "Vertical Speed", "Line Length",
    "Number of Rays",  "Rotation",         "Mirror",        "Random",         "Pulse Rotation",
    "Pulse In/Out",    "Ray Width",        "Draw Style",    "Color Scale"};
using ValueSet = std::array<std::string, 14>;
const ValueSet kDefaults = {"75", "100", "100", "100", "5", "3", "100", "0", "1", "0", "0", "25", "0", "95"};
const ValueSet kSetA = {"50", "120", "80", "60", "12", "7", "-40", "True", "False", "True", "False", "10", "2", "87.5"};
const ValueSet kSetB = {"90", "30", "25", "150", "0", "16", "250", "False", "True", "False", "True", "1", "4", "99,25"};

// A fresh directory that others may enter, removed with everything in it.
struct ScratchDir {
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "gyrobloom-ini-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path = pattern;
        fs::permissions(path, fs::perms(0755));
    }
    ~ScratchDir() { std::error_code ec; fs::remove_all(path, ec); }
    fs::path App() const { return path / "Gyrobloom"; }
    fs::path File() const { return App() / "Gyrobloom.ini"; }
    fs::path path;
};

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteText(const fs::path& file, const std::string& text) {
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::set<std::string> Names(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename().string());
    return names;
}

const std::set<std::string> kStoreFiles = {"Gyrobloom.ini", "Gyrobloom.ini.lock"};

int ErrorOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

TEST(IniSettingsStore, FourteenKeysRoundTripInPlaceWithNothingLeftOver) {
    ScratchDir dir;
    IniSettingsStore store(dir.path);
    for (const ValueSet* set : {&kSetA, &kSetB})
        for (size_t i = 0; i < kKeys.size(); ++i) store.Save(kApp, kSection, kKeys[i], (*set)[i]);
    IniSettingsStore reopened(dir.path);
    for (size_t i = 0; i < kKeys.size(); ++i) EXPECT_EQ(reopened.Get(kApp, kSection, kKeys[i]), kSetB[i]);
    EXPECT_EQ(store.FilePath(kApp), dir.File());
    EXPECT_EQ(ReadText(dir.File()),
              "[Settings]\nHorizontal Size=90\nHorizontal Speed=30\nVertical Size=25\nVertical Speed=150\n"
              "Line Length=0\nNumber of Rays=16\nRotation=250\nMirror=False\nRandom=True\nPulse Rotation=False\n"
              "Pulse In/Out=True\nRay Width=1\nDraw Style=4\nColor Scale=99,25\n");
    EXPECT_EQ(Names(dir.App()), kStoreFiles);
    EXPECT_EQ(fs::status(dir.File()).permissions(), fs::perms(0600));
}

TEST(IniSettingsStore, GetFindsTheValueOrNothing) {
    const std::tuple<std::optional<std::string>, std::string, std::optional<std::string>> cases[] = {
        {std::nullopt, "Mirror", std::nullopt},  // no file
        {"[Other]\nMirror=True\n[Settings]\nmirror=True\n", "Mirror", std::nullopt},
        {"[Settings]\nRandom=1\n[Broken\nMirror=True\n", "Mirror", std::nullopt},
        {"[Settings]\nA=1\n[Other]\nMirror=x\n[Settings]\nMirror=True\nMirror=False\n", "Mirror", "True"},
        {"\xEF\xBB\xBF[ Settings ]\r\n\t Pulse In/Out =  False \r\n", "Pulse In/Out", "False"},
        {"\x01garbage\0\n[Settings]\nno equals\n=orphan\n\xFF\n; Mirror=0\n# Mirror=0\nMirror=True"s, "Mirror", "True"},
        {"[Settings]\nTitle=a=b ; no comment\n", "Title", "a=b ; no comment"},
        {"[Settings]\nTitle=\"two\\nlines \\x41\"\n", "Title", "two\nlines A"},
        {"[Settings]\nTitle=\"a\\qb\"\n", "Title", "\"a\\qb\""},
    };
    for (const auto& [file, key, expected] : cases) {
        SCOPED_TRACE(::testing::PrintToString(file));
        ScratchDir dir;
        if (file) WriteText(dir.File(), *file);
        EXPECT_EQ(IniSettingsStore(dir.path).Get(kApp, kSection, key), expected);
    }
}

// A Save changes the one key only and keeps the file's mode; any text reads
// back exactly, shown verbatim in the file unless it must be quoted.
TEST(IniSettingsStore, SaveChangesOnlyTheOneKeyAndValuesReadBackExactly) {
    const std::string byHand = "; head\n[D]\nM=2\n\n[Settings]\n# by hand\nMirror=1\n  Random = 1 \n\n[Z]\n";
    const std::tuple<std::string, std::string, std::string, std::string> cases[] = {  // before, key, value, after
        {byHand, "Mirror", "0", "; head\n[D]\nM=2\n\n[Settings]\n# by hand\nMirror=0\n  Random = 1 \n\n[Z]\n"},
        {byHand, "Rotation", "0",
         "; head\n[D]\nM=2\n\n[Settings]\n# by hand\nMirror=1\n  Random = 1 \nRotation=0\n\n[Z]\n"},
        {"[Settings]\n; none yet\n[Other]\na=1\n", "Mirror", "0", "[Settings]\nMirror=0\n; none yet\n[Other]\na=1\n"},
        {"bad\n[Settings]\n???\nMirror=1\n[Broken\nMirror=x\n", "Mirror", "0",
         "bad\n[Settings]\n???\nMirror=0\n[Broken\nMirror=x\n"},
        {"", "T", "Grün – 日本語 ✓ 🎵", "[Settings]\nT=Grün – 日本語 ✓ 🎵\n"},
        {"[Other]\na=1", "T", "", "[Other]\na=1\n\n[Settings]\nT=\n"},
        {"[Other]\na=1\n\n", "T", "C:\\x41 a=b; #c \"hi\"", "[Other]\na=1\n\n[Settings]\nT=C:\\x41 a=b; #c \"hi\"\n"},
        {"[Other]\r\na=1\r\n", "T", "a\\b\r\n", "[Other]\r\na=1\r\n\r\n[Settings]\r\nT=\"a\\\\b\\r\\n\"\r\n"},
        {"", "T", "\"quoted\"", "[Settings]\nT=\"\\\"quoted\\\"\"\n"},
        {"", "T", "75\t", "[Settings]\nT=\"75\\t\"\n"},
        {"", "T", "x\n[Settings]\nT=no", "[Settings]\nT=\"x\\n[Settings]\\nT=no\"\n"},
        {"", "T", "nul\0bell\a"s, "[Settings]\nT=\"nul\\x00bell\\x07\"\n"},
    };
    for (const auto& [before, key, value, after] : cases) {
        SCOPED_TRACE(::testing::PrintToString(before) + " " + key + "=" + ::testing::PrintToString(value));
        ScratchDir dir;
        WriteText(dir.File(), before);
        fs::permissions(dir.File(), fs::perms(0640));
        IniSettingsStore(dir.path).Save(kApp, kSection, key, value);
        EXPECT_EQ(ReadText(dir.File()), after);
        EXPECT_EQ(IniSettingsStore(dir.path).Get(kApp, kSection, key), value);
        EXPECT_EQ(fs::status(dir.File()).permissions(), fs::perms(0640));
    }
}

TEST(IniSettingsStore, NamesTheFileCannotHoldRaiseError5AndWriteNothing) {
    const std::array<std::string, 3> cases[] = {  // app, section, key
        {kApp, kSection, ""},   {kApp, kSection, "a=b"},  {kApp, kSection, "[x]"}, {kApp, kSection, ";x"},
        {kApp, kSection, "x\t"}, {kApp, kSection, "a\nb"}, {kApp, "", "Mirror"},    {kApp, "a]b", "Mirror"},
        {"..", kSection, "Mirror"}, {"a/b", kSection, "Mirror"}};
    ScratchDir dir;
    IniSettingsStore store(dir.path / "config");
    for (const auto& [app, section, key] : cases)
        EXPECT_EQ(ErrorOf([&] { store.Save(app, section, key, "1"); }), kErrInvalidCall)
            << ::testing::PrintToString(app + "|" + section + "|" + key);
    EXPECT_TRUE(Names(dir.path).empty());
}

TEST(IniSettingsStore, FileLivesUnderXdgConfigHomeElseHomeDotConfig) {
    std::map<std::string, std::optional<std::string>> saved;
    for (const char* name : {"XDG_CONFIG_HOME", "HOME"})
        saved[name] = std::getenv(name) ? std::optional<std::string>(std::getenv(name)) : std::nullopt;
    const std::pair<std::optional<std::string>, std::string> cases[] = {  // XDG_CONFIG_HOME, where
        {"/xdg", "xdg"}, {std::nullopt, "home/.config"}, {"relative/config", "home/.config"}};
    for (const auto& [xdg, where] : cases) {
        ScratchDir dir;
        ::setenv("HOME", (dir.path / "home").c_str(), 1);
        if (xdg)
            ::setenv("XDG_CONFIG_HOME", (xdg->starts_with("/") ? dir.path.string() + *xdg : *xdg).c_str(), 1);
        else
            ::unsetenv("XDG_CONFIG_HOME");
        IniSettingsStore().Save(kApp, kSection, "Pulse In/Out", "False");
        const fs::path file = dir.path / where / "Gyrobloom" / "Gyrobloom.ini";
        EXPECT_EQ(IniSettingsStore().FilePath(kApp), file);
        EXPECT_EQ(ReadText(file), "[Settings]\nPulse In/Out=False\n");
    }
    for (const auto& [name, value] : saved)
        value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
}

// Runs body in a child process and gives its id. The child exits with what
// body returns, or 99 when it throws; Wait gives that code, or 128 + the
// signal that ended the child.
pid_t Spawn(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    int code = 99;
    try {
        code = body();
    } catch (...) {
    }
    ::_exit(code);
}

int Wait(pid_t pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The Save runs as nobody, so that the permissions hold even for root; a
// file size limit fails writes as a full disk does.
TEST(IniSettingsStore, FailedSaveRaisesError75AndKeepsTheFile) {
    const std::string before = "[Settings]\nMirror=True\n";
    const std::tuple<const char*, fs::perms, fs::perms, rlim_t> cases[] = {  // name, directory, file, size limit
        {"ReadOnlyDirectory", fs::perms(0555), fs::perms(0644), RLIM_INFINITY},
        {"UnreadableFile", fs::perms(0777), fs::perms::none, RLIM_INFINITY},
        {"DiskFull", fs::perms(0777), fs::perms(0666), 1024}};
    for (const auto& [name, dirMode, fileMode, sizeLimit] : cases) {
        SCOPED_TRACE(name);
        ScratchDir dir;
        WriteText(dir.File(), before);
        WriteText(dir.File().string() + ".lock", "");  // taking the lock succeeds
        fs::permissions(dir.File().string() + ".lock", fs::perms(0666));
        fs::permissions(dir.File(), fileMode);
        fs::permissions(dir.App(), dirMode);
        const int error = Wait(Spawn([&] {
            if (::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534))) return 98;
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{sizeLimit, sizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return ErrorOf([&] { IniSettingsStore(dir.path).Save(kApp, kSection, "Mirror", std::string(4096, 'x')); });
        }));
        EXPECT_EQ(error, kErrPathFileAccess) << "0: no error, 98: could not give up root, 99: another error";
        fs::permissions(dir.App(), fs::perms::owner_all, fs::perm_options::add);
        fs::permissions(dir.File(), fs::perms::owner_read, fs::perm_options::add);
        EXPECT_EQ(ReadText(dir.File()), before);
        EXPECT_EQ(Names(dir.App()), kStoreFiles);
    }
}

// What the report cannot say goes to standard error: the file, and why.
TEST(IniSettingsStore, FailedSaveNamesTheFileAndTheReasonOnStandardError) {
    struct Case {
        const char* name;
        std::function<void(const ScratchDir&)> damage;
        std::string reason;
    };
    const Case cases[] = {
        {"ReadOnlyDirectory",
         [](const ScratchDir& d) {
             WriteText(d.File(), "[Settings]\n");
             fs::permissions(d.App(), fs::perms(0555));
         },
         ": Permission denied"},
        {"ADirectoryInTheFilesPlace", [](const ScratchDir& d) { fs::create_directories(d.File()); }, ": Is a directory"},
        {"UnreadableFile",
         [](const ScratchDir& d) {
             WriteText(d.File(), "[Settings]\n");
             fs::permissions(d.File(), fs::perms::none);
         },
         ": Permission denied"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir;
        fs::create_directories(dir.App());
        fs::permissions(dir.App(), fs::perms(0777));
        c.damage(dir);
        const fs::path log = dir.path / "stderr.log";
        const int error = Wait(Spawn([&] {
            const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
            if (out < 0 || ::dup2(out, STDERR_FILENO) < 0) return 97;
            if (::geteuid() == 0 && (::setgroups(0, nullptr) || ::setgid(65534) || ::setuid(65534))) return 98;
            return ErrorOf([&] { IniSettingsStore(dir.path).Save(kApp, kSection, "Mirror", "True"); });
        }));
        fs::permissions(dir.App(), fs::perms::owner_all, fs::perm_options::add);
        EXPECT_EQ(error, kErrPathFileAccess) << "97: no log, 98: could not give up root, 99: another error";
        const std::string said = ReadText(log);
        EXPECT_NE(said.find("could not write the settings file " + dir.File().string()), std::string::npos) << said;
        EXPECT_NE(said.find(c.reason), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    }
}

TEST(IniSettingsStore, TwoProcessesSavingAtOnceLoseNoKey) {
    constexpr int kKeysEach = 200;
    ScratchDir dir;
    auto keyOf = [](char writer, int i) { return "Writer "s + writer + " key " + std::to_string(i); };
    std::vector<pid_t> writers;
    for (char writer : {'A', 'B'})
        writers.push_back(Spawn([&, writer] {
            IniSettingsStore store(dir.path);
            for (int i = 0; i < kKeysEach; ++i) store.Save(kApp, kSection, keyOf(writer, i), std::to_string(i));
            return 0;
        }));
    for (pid_t pid : writers) EXPECT_EQ(Wait(pid), 0);

    IniSettingsStore store(dir.path);
    for (char writer : {'A', 'B'})
        for (int i = 0; i < kKeysEach; ++i) ASSERT_EQ(store.Get(kApp, kSection, keyOf(writer, i)), std::to_string(i));
    EXPECT_EQ(std::ranges::count(ReadText(dir.File()), '\n'), 1 + 2 * kKeysEach);
    EXPECT_EQ(Names(dir.App()), kStoreFiles);
}

// A file as the save loop below leaves it: a head the store does not own,
// then the fourteen keys in order, each with its default or a value of set A
// or B. Gives the values, or nothing for any other text.
const std::string kLoopHead = "; kept across crashes\n[Display]\nMonitor=2\n\n[Settings]\n";

std::optional<ValueSet> LoopValuesIn(const std::string& text) {
    if (!text.starts_with(kLoopHead)) return std::nullopt;
    ValueSet values;
    size_t at = kLoopHead.size();
    for (size_t i = 0; i < kKeys.size(); ++i) {
        for (const ValueSet* set : {&kDefaults, &kSetA, &kSetB})
            if (text.compare(at, kKeys[i].size() + (*set)[i].size() + 2, kKeys[i] + "=" + (*set)[i] + "\n") == 0)
                values[i] = (*set)[i];
        if (values[i].empty()) return std::nullopt;
        at += kKeys[i].size() + values[i].size() + 2;
    }
    return at == text.size() ? std::optional(values) : std::nullopt;
}

// A saver killed at a random moment of a loop that saves the fourteen keys,
// set A, then set B, and so on, leaves a whole file (see above) that keeps
// every save it finished; a reader sees a whole file at every moment. The
// next save tidies up after the killed one.
TEST(IniSettingsStore, SurvivesKillDuringSaveLoopAndReadersSeeWholeFiles) {
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int run = 0; run < 60; ++run) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " run " + std::to_string(run));
        ScratchDir dir;
        std::string start = kLoopHead;
        for (size_t i = 0; i < kKeys.size(); ++i) start += kKeys[i] + "=" + kDefaults[i] + "\n";
        WriteText(dir.File(), start);
        int progress[2];
        ASSERT_EQ(::pipe(progress), 0);
        const pid_t saver = Spawn([&] {
            ::close(progress[0]);
            IniSettingsStore store(dir.path);
            for (;;)
                for (const ValueSet* set : {&kSetA, &kSetB})
                    for (size_t i = 0; i < kKeys.size(); ++i) {
                        store.Save(kApp, kSection, kKeys[i], (*set)[i]);
                        if (::write(progress[1], "s", 1) != 1) return 2;  // one byte per finished save
                    }
        });
        ::close(progress[1]);

        const int savesWanted = std::uniform_int_distribution<int>(0, 30)(random);
        int savesDone = 0, damaged = 0;
        for (pollfd ready{progress[0], POLLIN, 0}; savesDone < savesWanted;) {
            char buffer[64];
            if (::poll(&ready, 1, 0) != 1)
                damaged += !LoopValuesIn(ReadText(dir.File()));
            else if (const ssize_t got = ::read(progress[0], buffer, sizeof buffer); got > 0)
                savesDone += int(got);
            else
                break;  // the saver died
        }
        ::usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(saver, SIGKILL);
        ::close(progress[0]);
        ASSERT_EQ(Wait(saver), 128 + SIGKILL) << "the saver failed on its own";
        EXPECT_EQ(damaged, 0) << "a reader saw a damaged file";

        const std::optional<ValueSet> values = LoopValuesIn(ReadText(dir.File()));
        ASSERT_TRUE(values) << ReadText(dir.File());
        for (size_t i = 0; i < size_t(savesDone) && i < kKeys.size(); ++i)
            EXPECT_NE((*values)[i], kDefaults[i]) << kKeys[i] << " lost a finished save";
        IniSettingsStore(dir.path).Save(kApp, kSection, kKeys[0], kSetA[0]);
        EXPECT_EQ(Names(dir.App()), kStoreFiles);
    }
}

}  // namespace
