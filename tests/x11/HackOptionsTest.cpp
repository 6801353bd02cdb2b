#include "app/hack/HackOptions.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/support/RowName.h"

namespace {

struct OptionsCase {
    const char* name;
    std::vector<std::string> arguments;
    std::optional<HackOptions::Target> target;  // nothing: a usage error
    std::uint64_t windowId = 0;
};

class HackCommandLine : public ::testing::TestWithParam<OptionsCase> {};

TEST_P(HackCommandLine, ReadsTheDaemonsOptions) {
    const OptionsCase& c = GetParam();
    const auto options = ParseHackOptions(c.arguments);
    ASSERT_EQ(options.has_value(), c.target.has_value()) << c.name;
    if (!options) return;
    EXPECT_EQ(options->target, *c.target) << c.name;
    if (*c.target == HackOptions::Target::WindowId) {
        EXPECT_EQ(options->windowId, c.windowId) << c.name;
    }
}

using T = HackOptions::Target;

INSTANTIATE_TEST_SUITE_P(
    Rows, HackCommandLine,
    ::testing::Values(OptionsCase{"nothing", {}, T::Own}, OptionsCase{"root", {"-root"}, T::Root},
                      OptionsCase{"root, two dashes", {"--root"}, T::Root},
                      OptionsCase{"own window", {"-window"}, T::Own},
                      OptionsCase{"decimal id", {"-window-id", "4194311"}, T::WindowId, 4194311},
                      OptionsCase{"hex id, two dashes", {"--window-id", "0x400007"}, T::WindowId, 0x400007},
                      OptionsCase{"upper-case hex", {"-window-id", "0X4000AB"}, T::WindowId, 0x4000AB},
                      OptionsCase{"id after =", {"--window-id=0x1c"}, T::WindowId, 0x1c},
                      OptionsCase{"the last wins", {"-window-id", "12", "-root"}, T::Root},
                      OptionsCase{"unknown option", {"-fps"}, std::nullopt},
                      OptionsCase{"a switch of the settings program", {"/s"}, std::nullopt},
                      OptionsCase{"id missing", {"-window-id"}, std::nullopt},
                      OptionsCase{"id not a number", {"-window-id", "root"}, std::nullopt},
                      OptionsCase{"hex digits without 0x", {"-window-id", "1c"}, std::nullopt},
                      OptionsCase{"bare 0x", {"-window-id", "0x"}, std::nullopt},
                      OptionsCase{"id 0", {"-window-id", "0"}, std::nullopt},
                      OptionsCase{"id beyond 32 bits", {"-window-id", "0x100000000"}, std::nullopt},
                      OptionsCase{"single dash id=", {"-window-idx"}, std::nullopt}),
    [](const auto& info) { return testsupport::RowName(info.param.name); });

TEST(HackUsage, NamesEveryOption) {
    EXPECT_EQ(HackUsage("gyrobloom-hack"), "usage: gyrobloom-hack [-root | -window-id ID | -window]");
}

}  // namespace
