#include "runtime/qt/IniSettingsStore.h"

#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "runtime/RuntimeError.h"

using namespace vb;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

const std::string kApp = "Gyrobloom";
const std::string kSection = "Settings";
constexpr uid_t kNobody = 65534;

// The program's fourteen keys, and three sets of their texts that differ
// key by key: the defaults and two sets a user might save.
const std::array<std::string, 14> kKeys = {
    "Horizontal Size", "Horizontal Speed", "Vertical Size", "Vertical Speed", "Line Length",
    "Number of Rays",  "Rotation",         "Mirror",        "Random",         "Pulse Rotation",
    "Pulse In/Out",    "Ray Width",        "Draw Style",    "Color Scale"};
using ValueSet = std::array<std::string, 14>;
const ValueSet kDefaults = {"75", "100", "100", "100", "5", "3", "100", "0", "1", "0", "0", "25", "0", "95"};
const ValueSet kSetA = {"50", "120", "80", "60", "12", "7", "-40", "True", "False", "True", "False", "10", "2", "87.5"};
const ValueSet kSetB = {"90", "30", "25", "150", "0", "16", "250", "False", "True", "False", "True", "1", "4", "99,25"};

// A fresh directory per test, removed with everything in it.
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (fs::temp_directory_path() / "gyrobloom-ini-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
        path = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ec);
        for (auto it = fs::recursive_directory_iterator(path, ec); !ec && it != fs::recursive_directory_iterator();
             it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::remove_all(path, ec);
    }
    fs::path path;
};

std::string ReadText(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
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

int ErrorOf(auto&& action) {
    try {
        action();
    } catch (const RuntimeError& e) {
        return e.Number();
    }
    return 0;
}

std::string SettingsText(const ValueSet& values) {
    std::string text = "[Settings]\n";
    for (size_t i = 0; i < kKeys.size(); ++i) text += kKeys[i] + "=" + values[i] + "\n";
    return text;
}

// Runs body in a child process and returns its exit status as waitpid gives it.
int RunInChild(const std::function<int()>& body) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return status;
}

// ---- The program's keys ---------------------------------------------------

TEST(IniSettingsStore, FourteenKeysRoundTripInPlaceWithNothingLeftOver) {
    ScratchDir dir;
    IniSettingsStore store(dir.path);
    for (size_t i = 0; i < kKeys.size(); ++i) store.Save(kApp, kSection, kKeys[i], kSetA[i]);
    for (size_t i = 0; i < kKeys.size(); ++i) EXPECT_EQ(store.Get(kApp, kSection, kKeys[i]), kSetA[i]) << kKeys[i];
    for (size_t i = 0; i < kKeys.size(); ++i) store.Save(kApp, kSection, kKeys[i], kSetB[i]);

    IniSettingsStore reopened(dir.path);
    for (size_t i = 0; i < kKeys.size(); ++i)
        EXPECT_EQ(reopened.Get(kApp, kSection, kKeys[i]), kSetB[i]) << kKeys[i];
    EXPECT_EQ(store.FilePath(kApp), dir.path / "Gyrobloom" / "Gyrobloom.ini");
    EXPECT_EQ(ReadText(dir.path / "Gyrobloom" / "Gyrobloom.ini"),
              "[Settings]\n"
              "Horizontal Size=90\n"
              "Horizontal Speed=30\n"
              "Vertical Size=25\n"
              "Vertical Speed=150\n"
              "Line Length=0\n"
              "Number of Rays=16\n"
              "Rotation=250\n"
              "Mirror=False\n"
              "Random=True\n"
              "Pulse Rotation=False\n"
              "Pulse In/Out=True\n"
              "Ray Width=1\n"
              "Draw Style=4\n"
              "Color Scale=99,25\n");
    EXPECT_EQ(Names(dir.path / "Gyrobloom"), kStoreFiles);
}

// ---- Reading what a file holds ----------------------------------------------

struct GetCase {
    const char* name;
    friend void PrintTo(const GetCase& c, std::ostream* os) { *os << c.name; }
    std::optional<std::string> file;  // nothing: no file at all
    std::string section, key;
    std::optional<std::string> expected;
};

class IniSettingsStoreGet : public ::testing::TestWithParam<GetCase> {};

TEST_P(IniSettingsStoreGet, FindsTheValueOrNothing) {
    const GetCase& c = GetParam();
    ScratchDir dir;
    if (c.file) WriteText(dir.path / "Gyrobloom" / "Gyrobloom.ini", *c.file);
    EXPECT_EQ(IniSettingsStore(dir.path).Get(kApp, c.section, c.key), c.expected);
}

const std::string kGarbage = "\x01\x02garbage\0zz\n[Settings]\nno equals sign\n=orphan\n\xFF\xFE\nMirror=True\n"s;

INSTANTIATE_TEST_SUITE_P(
    Files, IniSettingsStoreGet,
    ::testing::Values(
        GetCase{"NoFile", std::nullopt, "Settings", "Mirror", std::nullopt},
        GetCase{"EmptyFile", "", "Settings", "Mirror", std::nullopt},
        GetCase{"NoSuchSection", "[Other]\nMirror=True\n", "Settings", "Mirror", std::nullopt},
        GetCase{"NoSuchKey", "[Settings]\nRandom=True\n", "Settings", "Mirror", std::nullopt},
        GetCase{"KeyBeforeAnySection", "Mirror=True\n[Settings]\nRandom=1\n", "Settings", "Mirror", std::nullopt},
        GetCase{"KeyOfAnotherSection", "[Settings]\n[Other]\nMirror=True\n", "Settings", "Mirror", std::nullopt},
        GetCase{"Found", "[Settings]\nMirror=True\n", "Settings", "Mirror", "True"},
        GetCase{"SectionNamedTwice", "[Settings]\nA=1\n[Other]\nB=2\n[Settings]\nMirror=True\n", "Settings",
                "Mirror", "True"},
        GetCase{"FirstOfTwo", "[Settings]\nMirror=True\nMirror=False\n", "Settings", "Mirror", "True"},
        GetCase{"BlanksAroundNameAndValue", "[ Settings ]\n\t Pulse In/Out =  False \n", "Settings", "Pulse In/Out",
                "False"},
        GetCase{"CrLf", "[Settings]\r\nMirror=True\r\n", "Settings", "Mirror", "True"},
        GetCase{"ByteOrderMark", "\xEF\xBB\xBF[Settings]\nMirror=True\n", "Settings", "Mirror", "True"},
        GetCase{"NoFinalNewline", "[Settings]\nMirror=True", "Settings", "Mirror", "True"},
        GetCase{"SectionCaseMatters", "[settings]\nMirror=True\n", "Settings", "Mirror", std::nullopt},
        GetCase{"KeyCaseMatters", "[Settings]\nmirror=True\n", "Settings", "Mirror", std::nullopt},
        GetCase{"BrokenHeaderHidesItsKeys", "[Settings]\nRandom=1\n[Broken\nMirror=True\n", "Settings", "Mirror",
                std::nullopt},
        GetCase{"KeysBeforeBrokenHeader", "[Settings]\nRandom=1\n[Broken\nMirror=True\n", "Settings", "Random",
                "1"},
        GetCase{"GarbageLinesSkipped", kGarbage, "Settings", "Mirror", "True"},
        GetCase{"EmptyKeyNeverFound", kGarbage, "Settings", "", std::nullopt},
        GetCase{"CommentsAreNotKeys", "[Settings]\n;Mirror=True\n#Mirror=True\n", "Settings", "Mirror",
                std::nullopt},
        GetCase{"ValueKeepsEqualsAndSemicolon", "[Settings]\nTitle=a=b ; no comment\n", "Settings", "Title",
                "a=b ; no comment"},
        GetCase{"QuotedValue", "[Settings]\nTitle=\"two\\nlines \\x41\"\n", "Settings", "Title", "two\nlines A"},
        GetCase{"UnclosedQuoteVerbatim", "[Settings]\nTitle=\"half\n", "Settings", "Title", "\"half"},
        GetCase{"StrayQuoteVerbatim", "[Settings]\nTitle=\"a\"b\"\n", "Settings", "Title", "\"a\"b\""},
        GetCase{"BadEscapeVerbatim", "[Settings]\nTitle=\"a\\qb\"\n", "Settings", "Title", "\"a\\qb\""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniSettingsStore, FileThatIsADirectoryReadsAsNothing) {
    ScratchDir dir;
    fs::create_directories(dir.path / "Gyrobloom" / "Gyrobloom.ini");
    EXPECT_EQ(IniSettingsStore(dir.path).Get(kApp, kSection, "Mirror"), std::nullopt);
}

// ---- Saving into a file that holds more -------------------------------------

struct SaveCase {
    const char* name;
    friend void PrintTo(const SaveCase& c, std::ostream* os) { *os << c.name; }
    std::string before;
    std::string section, key, value;
    std::string after;
};

class IniSettingsStoreSave : public ::testing::TestWithParam<SaveCase> {};

TEST_P(IniSettingsStoreSave, ChangesOnlyTheOneKey) {
    const SaveCase& c = GetParam();
    ScratchDir dir;
    fs::path file = dir.path / "Gyrobloom" / "Gyrobloom.ini";
    WriteText(file, c.before);
    IniSettingsStore store(dir.path);
    store.Save(kApp, c.section, c.key, c.value);
    EXPECT_EQ(ReadText(file), c.after);
    EXPECT_EQ(store.Get(kApp, c.section, c.key), c.value);
}

const std::string kHandEdited =
    "; Gyrobloom settings\n[Display]\nMonitor=2\n\n[Settings]\n# chosen by hand\nMirror=True\nRandom=1\n"
    "Extra Key=kept\n\n[Zeta]\nz=1\n";

INSTANTIATE_TEST_SUITE_P(
    Files, IniSettingsStoreSave,
    ::testing::Values(
        SaveCase{"ReplacesInPlace", kHandEdited, "Settings", "Mirror", "False",
                 "; Gyrobloom settings\n[Display]\nMonitor=2\n\n[Settings]\n# chosen by hand\nMirror=False\n"
                 "Random=1\nExtra Key=kept\n\n[Zeta]\nz=1\n"},
        SaveCase{"AddsAfterLastKeyOfSection", kHandEdited, "Settings", "Rotation", "100",
                 "; Gyrobloom settings\n[Display]\nMonitor=2\n\n[Settings]\n# chosen by hand\nMirror=True\n"
                 "Random=1\nExtra Key=kept\nRotation=100\n\n[Zeta]\nz=1\n"},
        SaveCase{"AddsToOtherSection", kHandEdited, "Display", "Monitor", "1",
                 "; Gyrobloom settings\n[Display]\nMonitor=1\n\n[Settings]\n# chosen by hand\nMirror=True\n"
                 "Random=1\nExtra Key=kept\n\n[Zeta]\nz=1\n"},
        SaveCase{"AddsUnderEmptySection", "[Settings]\n; nothing yet\n[Other]\na=1\n", "Settings", "Mirror",
                 "True", "[Settings]\nMirror=True\n; nothing yet\n[Other]\na=1\n"},
        SaveCase{"AddsSectionAtEnd", "[Other]\na=1\n", "Settings", "Mirror", "True",
                 "[Other]\na=1\n\n[Settings]\nMirror=True\n"},
        SaveCase{"AddsSectionAfterBlankLine", "[Other]\na=1\n\n", "Settings", "Mirror", "True",
                 "[Other]\na=1\n\n[Settings]\nMirror=True\n"},
        SaveCase{"AddsSectionAfterComment", "[Other]\na=1\n; end\n", "Settings", "Mirror", "True",
                 "[Other]\na=1\n; end\n\n[Settings]\nMirror=True\n"},
        SaveCase{"CompletesLastLine", "[Other]\na=1", "Settings", "Mirror", "True",
                 "[Other]\na=1\n\n[Settings]\nMirror=True\n"},
        SaveCase{"EmptyFile", "", "Settings", "Mirror", "True", "[Settings]\nMirror=True\n"},
        SaveCase{"KeepsUnreadableLines", "garbage\n[Settings]\n???\nMirror=True\n[Broken\nMirror=x\n", "Settings",
                 "Mirror", "False", "garbage\n[Settings]\n???\nMirror=False\n[Broken\nMirror=x\n"},
        SaveCase{"ReplacesFirstOfTwo", "[Settings]\nMirror=True\nMirror=True\n", "Settings", "Mirror", "False",
                 "[Settings]\nMirror=False\nMirror=True\n"},
        SaveCase{"KeepsOtherLinesAsWritten", "[Settings]\n  Random = 1 \nMirror=True\n", "Settings", "Mirror",
                 "False", "[Settings]\n  Random = 1 \nMirror=False\n"},
        SaveCase{"KeepsCrLf", "[Settings]\r\nMirror=True\r\n", "Settings", "Random", "1",
                 "[Settings]\r\nMirror=True\r\nRandom=1\r\n"},
        SaveCase{"NewSectionWithCrLf", "[Other]\r\na=1\r\n", "Settings", "Mirror", "True",
                 "[Other]\r\na=1\r\n\r\n[Settings]\r\nMirror=True\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IniSettingsStore, KeepsTheFilesPermissions) {
    ScratchDir dir;
    fs::path file = dir.path / "Gyrobloom" / "Gyrobloom.ini";
    WriteText(file, "[Settings]\nMirror=True\n");
    ::chmod(file.c_str(), 0640);
    IniSettingsStore(dir.path).Save(kApp, kSection, "Mirror", "False");
    EXPECT_EQ(fs::status(file).permissions(), fs::perms(0640));
}

// Files pieced together at random from well-formed and broken lines: a Save
// changes the one key and nothing any other key reads, and every line of the
// file but the replaced one stays, in order.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = std::min(text.find('\n', start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

size_t CommonSubsequence(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    std::vector<std::vector<size_t>> length(a.size() + 1, std::vector<size_t>(b.size() + 1, 0));
    for (size_t i = 1; i <= a.size(); ++i)
        for (size_t j = 1; j <= b.size(); ++j)
            length[i][j] = a[i - 1] == b[j - 1] ? length[i - 1][j - 1] + 1
                                                : std::max(length[i - 1][j], length[i][j - 1]);
    return length[a.size()][b.size()];
}

TEST(IniSettingsStore, RandomFilesKeepAllButTheSavedKey) {
    constexpr int kFiles = 300;
    constexpr int kMostLines = 12;
    const std::vector<std::string> pieces = {
        "[Settings]", "[Other]", "[ Other ]", "[Settings", "[]", "Mirror=True", " Mirror = 0", "A=1", "B=\"q\\n\"",
        "=x",         "A==",     "; c",       "# c",        "",   "  ",          "\r",          "garbage", "\xFF\xFE",
        "\0"s,        "\xEF\xBB\xBF", "key with spaces=v", "B=\"broken"};
    const std::vector<std::pair<std::string, std::string>> probes = {
        {"Settings", "A"}, {"Settings", "B"}, {"Settings", "key with spaces"}, {"Other", "A"}, {"Other", "Mirror"}};
    std::mt19937 random(20240601);  // fixed, so that a failure can be repeated
    auto pick = [&](size_t size) { return std::uniform_int_distribution<size_t>(0, size - 1)(random); };

    ScratchDir dir;
    const fs::path file = dir.path / "Gyrobloom" / "Gyrobloom.ini";
    IniSettingsStore store(dir.path);
    for (int run = 0; run < kFiles; ++run) {
        std::string before;
        for (size_t n = pick(kMostLines + 1); n > 0; --n)
            before += pieces[pick(pieces.size())] + pieces[pick(pieces.size())] + "\n";
        if (pick(2) && !before.empty()) before.pop_back();
        SCOPED_TRACE(::testing::PrintToString(before));
        WriteText(file, before);
        std::vector<std::optional<std::string>> probed;
        for (const auto& [section, key] : probes) probed.push_back(store.Get(kApp, section, key));

        store.Save(kApp, kSection, "Mirror", "Saved");

        EXPECT_EQ(store.Get(kApp, kSection, "Mirror"), "Saved");
        for (size_t i = 0; i < probes.size(); ++i)
            EXPECT_EQ(store.Get(kApp, probes[i].first, probes[i].second), probed[i]) << probes[i].second;
        std::vector<std::string> linesBefore = SplitLines(before);
        EXPECT_GE(CommonSubsequence(linesBefore, SplitLines(ReadText(file))) + 1, linesBefore.size());
    }
}

// ---- Values -------------------------------------------------------------------

struct ValueCase {
    const char* name;
    friend void PrintTo(const ValueCase& c, std::ostream* os) { *os << c.name; }
    std::string value;
    std::string line;  // how the file shows it
};

class IniSettingsStoreValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(IniSettingsStoreValue, ReadsBackExactlyWithoutHarmingTheFile) {
    const ValueCase& c = GetParam();
    ScratchDir dir;
    IniSettingsStore store(dir.path);
    store.Save(kApp, kSection, "Title", c.value);
    store.Save(kApp, kSection, "After", "ok");
    EXPECT_EQ(IniSettingsStore(dir.path).Get(kApp, kSection, "Title"), c.value);
    EXPECT_EQ(store.Get(kApp, kSection, "After"), "ok");
    EXPECT_EQ(ReadText(store.FilePath(kApp)), "[Settings]\n" + c.line + "\nAfter=ok\n");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, IniSettingsStoreValue,
    ::testing::Values(ValueCase{"Utf8", "Grün – 日本語 ✓ 🎵", "Title=Grün – 日本語 ✓ 🎵"},
                      ValueCase{"EqualsAndComments", "a=b; #c", "Title=a=b; #c"},
                      ValueCase{"Backslashes", "C:\\Music\\x41\\n", "Title=C:\\Music\\x41\\n"},
                      ValueCase{"InnerQuotes", "say \"hi\"", "Title=say \"hi\""},
                      ValueCase{"BytesThatAreNotUtf8", "\xFF\xFE", "Title=\xFF\xFE"},
                      ValueCase{"Empty", "", "Title="},
                      ValueCase{"LeadingQuote", "\"quoted\"", "Title=\"\\\"quoted\\\"\""},
                      ValueCase{"LeadingBlank", " 75", "Title=\" 75\""},
                      ValueCase{"TrailingTab", "75\t", "Title=\"75\\t\""},
                      ValueCase{"OnlyBlanks", "   ", "Title=\"   \""},
                      ValueCase{"Newline", "two\nlines", "Title=\"two\\nlines\""},
                      ValueCase{"FakeSectionAfterNewline", "x\n[Settings]\nAfter=no",
                                "Title=\"x\\n[Settings]\\nAfter=no\""},
                      ValueCase{"CrLfAndBackslash", "a\\b\r\n", "Title=\"a\\\\b\\r\\n\""},
                      ValueCase{"OtherControls", "nul\0bell\a"s, "Title=\"nul\\x00bell\\x07\""}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Names the file cannot hold ---------------------------------------------

struct NameCase {
    const char* name;
    friend void PrintTo(const NameCase& c, std::ostream* os) { *os << c.name; }
    std::string app, section, key;
};

class IniSettingsStoreName : public ::testing::TestWithParam<NameCase> {};

TEST_P(IniSettingsStoreName, IsRejectedAndWritesNothing) {
    const NameCase& c = GetParam();
    ScratchDir dir;
    IniSettingsStore store(dir.path / "config");
    EXPECT_EQ(ErrorOf([&] { store.Save(c.app, c.section, c.key, "1"); }), kErrInvalidCall);
    EXPECT_EQ(store.Get(c.app, c.section, c.key), std::nullopt);
    EXPECT_TRUE(Names(dir.path).empty());
}

INSTANTIATE_TEST_SUITE_P(Names, IniSettingsStoreName,
                         ::testing::Values(NameCase{"EmptyKey", "Gyrobloom", "Settings", ""},
                                           NameCase{"KeyWithEquals", "Gyrobloom", "Settings", "a=b"},
                                           NameCase{"KeyLikeSection", "Gyrobloom", "Settings", "[x]"},
                                           NameCase{"KeyLikeComment", "Gyrobloom", "Settings", ";x"},
                                           NameCase{"KeyLikeHashComment", "Gyrobloom", "Settings", "#x"},
                                           NameCase{"KeyLeadingBlank", "Gyrobloom", "Settings", " x"},
                                           NameCase{"KeyTrailingBlank", "Gyrobloom", "Settings", "x\t"},
                                           NameCase{"KeyWithNewline", "Gyrobloom", "Settings", "a\nb=c"},
                                           NameCase{"EmptySection", "Gyrobloom", "", "Mirror"},
                                           NameCase{"SectionWithBracket", "Gyrobloom", "a]b", "Mirror"},
                                           NameCase{"SectionWithNewline", "Gyrobloom", "a\n[b", "Mirror"},
                                           NameCase{"EmptyApp", "", "Settings", "Mirror"},
                                           NameCase{"AppDot", ".", "Settings", "Mirror"},
                                           NameCase{"AppDotDot", "..", "Settings", "Mirror"},
                                           NameCase{"AppWithSlash", "a/b", "Settings", "Mirror"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Where the user's file lives --------------------------------------------

struct LocationCase {
    const char* name;
    friend void PrintTo(const LocationCase& c, std::ostream* os) { *os << c.name; }
    std::optional<std::string> xdgConfigHome;  // "@" stands for the scratch directory
    std::string expected;                      // below the scratch directory
};

class IniSettingsStoreLocation : public ::testing::TestWithParam<LocationCase> {
protected:
    void SetUp() override {
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"})
            if (const char* value = std::getenv(name)) mSaved[name] = value;
    }
    void TearDown() override {
        for (const char* name : {"XDG_CONFIG_HOME", "HOME"}) {
            if (mSaved.count(name))
                ::setenv(name, mSaved[name].c_str(), 1);
            else
                ::unsetenv(name);
        }
    }

private:
    std::map<std::string, std::string> mSaved;
};

TEST_P(IniSettingsStoreLocation, FollowsTheEnvironment) {
    const LocationCase& c = GetParam();
    ScratchDir dir;
    ::setenv("HOME", (dir.path / "home").c_str(), 1);
    if (c.xdgConfigHome) {
        std::string value = *c.xdgConfigHome;
        if (value.starts_with("@")) value = dir.path.string() + value.substr(1);
        ::setenv("XDG_CONFIG_HOME", value.c_str(), 1);
    } else {
        ::unsetenv("XDG_CONFIG_HOME");
    }
    IniSettingsStore store;
    store.Save(kApp, kSection, "Pulse In/Out", "False");

    EXPECT_EQ(store.FilePath(kApp), dir.path / c.expected);
    EXPECT_EQ(ReadText(dir.path / c.expected), "[Settings]\nPulse In/Out=False\n");
    EXPECT_EQ(IniSettingsStore().Get(kApp, kSection, "Pulse In/Out"), "False");
}

INSTANTIATE_TEST_SUITE_P(
    Environment, IniSettingsStoreLocation,
    ::testing::Values(LocationCase{"XdgConfigHome", "@/xdg", "xdg/Gyrobloom/Gyrobloom.ini"},
                      LocationCase{"HomeWithoutXdg", std::nullopt, "home/.config/Gyrobloom/Gyrobloom.ini"},
                      LocationCase{"HomeWhenXdgEmpty", "", "home/.config/Gyrobloom/Gyrobloom.ini"},
                      LocationCase{"HomeWhenXdgRelative", "relative/config", "home/.config/Gyrobloom/Gyrobloom.ini"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Failures -------------------------------------------------------------------

// Each case prepares <scratch>/config and runs one Save in a child process,
// which may first give up root (so that permissions hold) or limit file sizes
// (which fails writes as a full disk does).
struct FailureCase {
    const char* name;
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
    void (*prepare)(const fs::path& config);
    bool asNobody;
    bool limitFileSize;
};

const std::string kBefore = "[Settings]\nMirror=True\n";

void ConfigIsAFile(const fs::path& config) { WriteText(config, "not a directory"); }
void AppDirIsAFile(const fs::path& config) { WriteText(config / "Gyrobloom", "not a directory"); }
void IniIsADirectory(const fs::path& config) { fs::create_directories(config / "Gyrobloom" / "Gyrobloom.ini"); }
void ReadOnlyConfig(const fs::path& config) {
    fs::create_directories(config);
    fs::permissions(config, fs::perms(0555));
}
void ReadOnlyAppDir(const fs::path& config) {
    WriteText(config / "Gyrobloom" / "Gyrobloom.ini", kBefore);
    fs::permissions(config / "Gyrobloom", fs::perms(0555));
}
void ReadOnlyAppDirWithOpenLock(const fs::path& config) {
    WriteText(config / "Gyrobloom" / "Gyrobloom.ini", kBefore);
    WriteText(config / "Gyrobloom" / "Gyrobloom.ini.lock", "");
    fs::permissions(config / "Gyrobloom" / "Gyrobloom.ini.lock", fs::perms(0666));
    fs::permissions(config / "Gyrobloom", fs::perms(0555));
}
void UnreadableFile(const fs::path& config) {
    WriteText(config / "Gyrobloom" / "Gyrobloom.ini", kBefore);
    fs::permissions(config / "Gyrobloom" / "Gyrobloom.ini", fs::perms::none);
    fs::permissions(config / "Gyrobloom", fs::perms(0777));
}
void ExistingFile(const fs::path& config) { WriteText(config / "Gyrobloom" / "Gyrobloom.ini", kBefore); }

class IniSettingsStoreFailure : public ::testing::TestWithParam<FailureCase> {};

TEST_P(IniSettingsStoreFailure, RaisesPathFileAccessErrorAndKeepsTheFile) {
    const FailureCase& c = GetParam();
    ScratchDir dir;
    fs::permissions(dir.path, fs::perms(0755));
    const fs::path config = dir.path / "config";
    const fs::path file = config / "Gyrobloom" / "Gyrobloom.ini";
    c.prepare(config);
    const bool hadFile = fs::is_regular_file(file);

    enum Outcome { Raised75 = 0, RaisedNothing, RaisedOther, CannotDropRoot };
    int status = RunInChild([&] {
        if (c.asNobody && ::geteuid() == 0 &&
            (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            return int(CannotDropRoot);
        constexpr rlim_t kLimit = 1024;
        if (c.limitFileSize) {
            ::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{kLimit, kLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        try {
            IniSettingsStore(config).Save(kApp, kSection, "Mirror", std::string(4 * kLimit, 'x'));
        } catch (const RuntimeError& e) {
            return int(e.Number() == kErrPathFileAccess && e.Description() == "Path/File access error" ? Raised75
                                                                                                      : RaisedOther);
        }
        return int(RaisedNothing);
    });
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), Raised75) << "1: no error, 2: another error, 3: could not give up root";
    if (hadFile) {
        EXPECT_EQ(ReadText(file), kBefore);
    }
    if (fs::is_directory(config / "Gyrobloom")) {
        for (const std::string& name : Names(config / "Gyrobloom")) EXPECT_TRUE(kStoreFiles.count(name)) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(Setups, IniSettingsStoreFailure,
                         ::testing::Values(FailureCase{"ConfigIsAFile", ConfigIsAFile, false, false},
                                           FailureCase{"AppDirIsAFile", AppDirIsAFile, false, false},
                                           FailureCase{"IniIsADirectory", IniIsADirectory, false, false},
                                           FailureCase{"ReadOnlyConfig", ReadOnlyConfig, true, false},
                                           FailureCase{"ReadOnlyAppDir", ReadOnlyAppDir, true, false},
                                           FailureCase{"ReadOnlyAppDirWithOpenLock", ReadOnlyAppDirWithOpenLock,
                                                       true, false},
                                           FailureCase{"UnreadableFile", UnreadableFile, true, false},
                                           FailureCase{"DiskFull", ExistingFile, false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Several processes ----------------------------------------------------------

TEST(IniSettingsStore, TwoProcessesSavingAtOnceLoseNoKey) {
    constexpr int kKeysEach = 200;
    ScratchDir dir;
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    auto keyOf = [](char writer, int i) { return std::string("Writer ") + writer + " key " + std::to_string(i); };
    auto valueOf = [](char writer, int i) { return std::string(1, writer) + std::to_string(i * 7); };

    std::vector<pid_t> children;
    for (char writer : {'A', 'B'}) {
        pid_t pid = ::fork();
        if (pid == 0) {
            ::close(gate[1]);
            char byte;
            ::read(gate[0], &byte, 1);  // returns once the parent closes the gate: both start together
            try {
                IniSettingsStore store(dir.path);
                for (int i = 0; i < kKeysEach; ++i) store.Save(kApp, kSection, keyOf(writer, i), valueOf(writer, i));
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        children.push_back(pid);
    }
    ::close(gate[0]);
    ::close(gate[1]);
    for (pid_t pid : children) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }

    IniSettingsStore store(dir.path);
    int lost = 0;
    for (char writer : {'A', 'B'})
        for (int i = 0; i < kKeysEach; ++i)
            if (store.Get(kApp, kSection, keyOf(writer, i)) != valueOf(writer, i)) ++lost;
    EXPECT_EQ(lost, 0);
    std::string text = ReadText(store.FilePath(kApp));
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 2 * kKeysEach);
    EXPECT_EQ(Names(dir.path / "Gyrobloom"), kStoreFiles);
}

// A file as the save loop below leaves it: a head the store does not own,
// then the fourteen keys in order, each with its default or a value of set A
// or B. Gives the values, or nothing for any other text.
const std::string kLoopHead = "; kept across crashes\n[Display]\nMonitor=2\n\n";

std::optional<ValueSet> LoopValuesIn(const std::string& text) {
    const std::string head = kLoopHead + "[Settings]\n";
    if (!text.starts_with(head)) return std::nullopt;
    ValueSet values;
    size_t at = head.size();
    for (size_t i = 0; i < kKeys.size(); ++i) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) return std::nullopt;
        std::string line = text.substr(at, end - at);
        bool known = false;
        for (const ValueSet* set : {&kDefaults, &kSetA, &kSetB})
            if (line == kKeys[i] + "=" + (*set)[i]) {
                values[i] = (*set)[i];
                known = true;
            }
        if (!known) return std::nullopt;
        at = end + 1;
    }
    if (at != text.size()) return std::nullopt;
    return values;
}

// A child process that saves the fourteen keys in a tight loop, set A, then
// set B, and so on, and reports each finished save with one byte on a pipe.
class SaveLoop {
public:
    explicit SaveLoop(const fs::path& configDir) {
        int progress[2];
        if (::pipe(progress) != 0) throw std::runtime_error("pipe failed");
        mPid = ::fork();
        if (mPid == 0) {
            ::close(progress[0]);
            try {
                IniSettingsStore store(configDir);
                for (;;)
                    for (const ValueSet* set : {&kSetA, &kSetB})
                        for (size_t i = 0; i < kKeys.size(); ++i) {
                            store.Save(kApp, kSection, kKeys[i], (*set)[i]);
                            if (::write(progress[1], "s", 1) != 1) ::_exit(2);
                        }
            } catch (...) {
            }
            ::_exit(1);
        }
        ::close(progress[1]);
        mProgress = progress[0];
    }
    ~SaveLoop() {
        if (mPid > 0) Kill();
    }

    // Returns once at least saves saves have finished, or the child died;
    // gives the number known finished.
    int WaitForSaves(int saves) {
        while (mSavesDone < saves && ReadProgress()) {}
        return mSavesDone;
    }

    // The number of saves finished so far, without waiting; -1 once the
    // child has died.
    int SavesSoFar() {
        pollfd ready{mProgress, POLLIN, 0};
        while (::poll(&ready, 1, 0) == 1)
            if (!ReadProgress()) return -1;
        return mSavesDone;
    }

    // Kills the child with SIGKILL; true when that is what ended it.
    bool Kill() {
        ::kill(mPid, SIGKILL);
        int status = 0;
        ::waitpid(std::exchange(mPid, -1), &status, 0);
        ::close(mProgress);
        return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    }

private:
    bool ReadProgress() {
        char buffer[64];
        ssize_t got = ::read(mProgress, buffer, sizeof buffer);
        if (got <= 0) return false;
        mSavesDone += int(got);
        return true;
    }

    pid_t mPid = -1;
    int mProgress = -1;
    int mSavesDone = 0;
};

// A saver killed at a random moment of its loop leaves a file that parses,
// holds every key once with a value the loop or the start gave it, and keeps
// every save the loop had finished. The next save tidies up after it.
TEST(IniSettingsStore, SurvivesKillDuringSaveLoop) {
    constexpr int kRuns = 60;
    constexpr int kMostSavesBeforeKill = 30;
    constexpr int kMostMicrosecondsBeforeKill = 3000;
    for (size_t i = 0; i < kKeys.size(); ++i)  // else a lost save could go unseen
        ASSERT_TRUE(kDefaults[i] != kSetA[i] && kDefaults[i] != kSetB[i] && kSetA[i] != kSetB[i]) << kKeys[i];
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 random(seed);

    for (int run = 0; run < kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ScratchDir dir;
        const fs::path file = dir.path / "Gyrobloom" / "Gyrobloom.ini";
        WriteText(file, kLoopHead + SettingsText(kDefaults));

        SaveLoop loop(dir.path);
        const int savesDone = loop.WaitForSaves(std::uniform_int_distribution<int>(0, kMostSavesBeforeKill)(random));
        ::usleep(std::uniform_int_distribution<useconds_t>(0, kMostMicrosecondsBeforeKill)(random));
        ASSERT_TRUE(loop.Kill()) << "the saver failed on its own";

        const std::string text = ReadText(file);
        std::optional<ValueSet> values = LoopValuesIn(text);
        ASSERT_TRUE(values) << text;
        IniSettingsStore store(dir.path);
        for (size_t i = 0; i < kKeys.size(); ++i) {
            EXPECT_EQ(store.Get(kApp, kSection, kKeys[i]), (*values)[i]);
            if (i < size_t(savesDone)) {
                EXPECT_NE((*values)[i], kDefaults[i]) << kKeys[i] << " lost a finished save";
            }
        }

        store.Save(kApp, kSection, kKeys[0], kSetA[0]);
        EXPECT_EQ(Names(dir.path / "Gyrobloom"), kStoreFiles);
    }
}

// A settings dialog reading while the saver writes sees a whole file at every
// moment: the test reads on until the saver has finished a number of saves.
TEST(IniSettingsStore, ReaderDuringSaveLoopSeesWholeFiles) {
    constexpr int kSaves = 100;
    ScratchDir dir;
    const fs::path file = dir.path / "Gyrobloom" / "Gyrobloom.ini";
    WriteText(file, kLoopHead + SettingsText(kDefaults));
    IniSettingsStore store(dir.path);

    SaveLoop loop(dir.path);
    int damaged = 0, savesDone = 0;
    while ((savesDone = loop.SavesSoFar()) >= 0 && savesDone < kSaves) {
        std::string text = ReadText(file);
        if (!LoopValuesIn(text)) ++damaged;
        if (store.Get(kApp, kSection, "Pulse In/Out") == std::nullopt) ++damaged;
    }
    EXPECT_GE(savesDone, kSaves) << "the saver failed on its own";
    EXPECT_EQ(damaged, 0);
}

}  // namespace
