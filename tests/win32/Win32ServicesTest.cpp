// The registry store, the instance mutex, the command line and the meter
// layer's sample peaks.

#include <gtest/gtest.h>

#include <string>

#include "audio/win32/WaveInRecorder.h"
#include "runtime/base/RuntimeError.h"
#include "runtime/win32/RegistrySettingsStore.h"
#include "runtime/win32/Win32InstanceMutex.h"
#include "runtime/win32/Win32Platform.h"

namespace {

constexpr const wchar_t* kTestRoot = L"Software\\Gyrobloom tests";

class RegistryStore : public testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kTestRoot); }
    vb::RegistrySettingsStore store{kTestRoot};
};

TEST_F(RegistryStore, SavedTextReadsBackAndMissingReadsNothing) {
    EXPECT_FALSE(store.Get("Gyrobloom", "Settings", "Line Length"));
    store.Save("Gyrobloom", "Settings", "Line Length", "5");
    store.Save("Gyrobloom", "Settings", "Horizontal Size", "75,5");
    store.Save("Gyrobloom", "Settings", "Caption", "Größe");
    store.Save("Gyrobloom", "Settings", "Line Length", "6");
    EXPECT_EQ(store.Get("Gyrobloom", "Settings", "Line Length"), "6");
    EXPECT_EQ(store.Get("Gyrobloom", "Settings", "Horizontal Size"), "75,5");
    EXPECT_EQ(store.Get("Gyrobloom", "Settings", "Caption"), "Größe");
    EXPECT_FALSE(store.Get("Gyrobloom", "Other", "Line Length"));
    EXPECT_FALSE(store.Get("Gyrobloom", "Settings", "Ray Width"));
}

TEST_F(RegistryStore, ValuesAreStringsUnderApplicationAndSection) {
    store.Save("Gyrobloom", "Settings", "Mirror", "False");
    wchar_t text[16] = {};
    DWORD bytes = sizeof(text), type = 0;
    ASSERT_EQ(RegGetValueW(HKEY_CURRENT_USER, L"Software\\Gyrobloom tests\\Gyrobloom\\Settings", L"Mirror",
                           RRF_RT_ANY, &type, text, &bytes),
              ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD(REG_SZ));
    EXPECT_EQ(std::wstring(text), L"False");
}

TEST_F(RegistryStore, AValueOfAnotherTypeReadsNothing) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Gyrobloom tests\\Gyrobloom\\Settings", 0, nullptr, 0,
                              KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD number = 5;
    RegSetValueExW(key, L"Line Length", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof(number));
    RegCloseKey(key);
    EXPECT_FALSE(store.Get("Gyrobloom", "Settings", "Line Length"));
}

TEST_F(RegistryStore, AnEmptyNameRaisesInvalidCall) {
    try {
        store.Save("Gyrobloom", "Settings", "", "1");
        FAIL() << "no error raised";
    } catch (const vb::RuntimeError& error) {
        EXPECT_EQ(error.Number(), vb::kErrInvalidCall);
    }
}

TEST(RegistryStoreDefault, IsTheFormRuntimesPerUserKey) {
    EXPECT_EQ(std::wstring(vb::RegistrySettingsStore::kDefaultRoot), L"Software\\VB and VBA Program Settings");
}

TEST(InstanceMutex, TheSecondHolderOfTheNameSeesTheFirst) {
    const std::wstring name = L"Local\\Gyrobloom.Test." + std::to_wstring(GetCurrentProcessId());
    {
        vb::Win32InstanceMutex first(name);
        EXPECT_FALSE(first.AnotherInstanceRuns());
        vb::Win32InstanceMutex second(name);
        EXPECT_TRUE(second.AnotherInstanceRuns());
        EXPECT_FALSE(first.AnotherInstanceRuns()) << "the first answer is kept";
    }
    vb::Win32InstanceMutex later(name);
    EXPECT_FALSE(later.AnotherInstanceRuns()) << "the name is free once its holders are gone";
}

struct CommandRow {
    std::string name;
    std::wstring commandLine;
    std::string arguments;
};

class CommandLine : public testing::TestWithParam<CommandRow> {};

TEST_P(CommandLine, IsWhatFollowsTheProgramsPath) {
    EXPECT_EQ(vb::Win32Platform::ArgumentsOf(GetParam().commandLine), GetParam().arguments);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, CommandLine,
    testing::Values(CommandRow{"quoted_path", L"\"C:\\Windows\\Gyrobloom.scr\" /s", "/s"},
                    CommandRow{"short_path_and_window", L"C:\\WINDOWS\\GYROBL~1.SCR /p 1234", "/p 1234"},
                    CommandRow{"settings_with_window", L"\"C:\\My Savers\\Gyrobloom.scr\"   /c:1234", "/c:1234"},
                    CommandRow{"switch_against_quote", L"\"Gyrobloom.scr\"/S", "/S"},
                    CommandRow{"nothing", L"Gyrobloom.scr", ""},
                    CommandRow{"leading_blanks", L"  Gyrobloom.scr  /a", "/a"}),
    [](const auto& info) { return info.param.name; });

struct PeakRow {
    std::string name;
    std::vector<std::uint8_t> samples;
    float peak;
};

class SamplePeak : public testing::TestWithParam<PeakRow> {};

TEST_P(SamplePeak, IsTheLargestSwingFromSilence) {
    const auto& samples = GetParam().samples;
    EXPECT_FLOAT_EQ(WaveInRecorder::SamplePeak(samples.data(), samples.size()), GetParam().peak);
}

INSTANTIATE_TEST_SUITE_P(Rows, SamplePeak,
                         testing::Values(PeakRow{"silence", {128, 128, 128}, 0.0f},
                                         PeakRow{"half_up", {128, 192, 140}, 0.5f},
                                         PeakRow{"half_down", {100, 64, 128}, 0.5f},
                                         PeakRow{"full_down", {0, 128}, 1.0f},
                                         PeakRow{"full_up", {255}, 127.0f / 128.0f},
                                         PeakRow{"none", {}, 0.0f}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
