// A failure that escapes an entry point or an event handler ends the run with
// the standard report; the report names the same error on every platform.

#include "runtime/base/CppFailure.h"

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <ostream>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "runtime/Platform.h"
#include "runtime/headless/HeadlessPlatform.h"

namespace {

struct FailureCase {
    std::string name;
    std::function<void()> fail;
    std::string report;  // what the box says and the run's standard error shows
    friend void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.name; }
};

class ReportedFailureTest : public ::testing::TestWithParam<FailureCase> {};

TEST_P(ReportedFailureTest, EndsTheRunWithStatus1AndTheErrorsReport) {
    vb::HeadlessPlatform platform;
    vb::InstallPlatform(&platform);
    int exitCode = -1;
    try {
        vb::ReportingProgramErrors(GetParam().fail);
    } catch (const vb::EndOfRun& end) {
        exitCode = end.exitCode;
    }
    vb::InstallPlatform(nullptr);
    EXPECT_EQ(exitCode, 1);
    EXPECT_EQ(platform.messages, std::vector<std::string>{GetParam().report});
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ReportedFailureTest,
    ::testing::Values(
        FailureCase{"ProgramError", [] { vb::Raise(vb::kErrOverflow); }, "Run-time error '6':\n\nOverflow"},
        FailureCase{"OutOfMemory", [] { throw std::bad_alloc(); }, "Run-time error '7':\n\nOut of memory"},
        FailureCase{"ArrayLengthTooLarge", [] { throw std::bad_array_new_length(); },
                    "Run-time error '7':\n\nOut of memory"},
        FailureCase{"LibraryRange", [] { std::string().at(3); },
                    "Run-time error '5':\n\nInvalid procedure call or argument"},
        FailureCase{"SystemError", [] { throw std::system_error(std::make_error_code(std::errc::io_error)); },
                    "Run-time error '5':\n\nInvalid procedure call or argument"}),
    [](const auto& info) { return info.param.name; });

TEST(ReportedFailure, AHandlerThatSucceedsReportsNothing) {
    vb::HeadlessPlatform platform;
    vb::InstallPlatform(&platform);
    bool ran = false;
    vb::ReportingProgramErrors([&] { ran = true; });
    vb::InstallPlatform(nullptr);
    EXPECT_TRUE(ran);
    EXPECT_TRUE(platform.messages.empty());
}

}  // namespace
