#include "runtime/base/VbTypes.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/ErrorNumber.h"

#include <cmath>
#include <limits>
#include <sstream>
#include <string>

#include "runtime/base/RuntimeError.h"

using namespace vb;

namespace {

struct RoundCase {
    double input;
    int expected;  // 0 with error set means "raises"
    int error;
    friend void PrintTo(const RoundCase& c, std::ostream* os) { *os << "CInt(" << c.input << ")"; }
};

// 2.5 is "2p5", -0.5 "m0p5", NaN "nan".
std::string NumberName(double value) {
    std::ostringstream text;
    text << value;
    std::string name;
    for (char c : text.str()) name += c == '.' ? 'p' : c == '-' ? 'm' : c;
    return name;
}

class CIntTest : public ::testing::TestWithParam<RoundCase> {};

TEST_P(CIntTest, RoundsHalfToEvenAndRaisesOverflowOutsideRange) {
    const RoundCase& c = GetParam();
    if (c.error) {
        EXPECT_EQ(ErrorNumberOf([&] { CInt(c.input); }), c.error);
    } else {
        EXPECT_EQ(CInt(c.input), c.expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Edges, CIntTest,
                         ::testing::Values(RoundCase{0.5, 0, 0}, RoundCase{1.5, 2, 0}, RoundCase{2.5, 2, 0},
                                           RoundCase{-0.5, 0, 0}, RoundCase{-1.5, -2, 0},
                                           RoundCase{-2.5, -2, 0}, RoundCase{2.4999, 2, 0},
                                           RoundCase{2.5001, 3, 0}, RoundCase{7680.5, 7680, 0},
                                           RoundCase{7681.5, 7682, 0}, RoundCase{32767.0, 32767, 0},
                                           RoundCase{32767.49, 32767, 0}, RoundCase{32767.5, 0, 6},
                                           RoundCase{-32768.0, -32768, 0}, RoundCase{-32768.5, -32768, 0},
                                           RoundCase{-32768.51, 0, 6}, RoundCase{40000, 0, 6},
                                           RoundCase{std::numeric_limits<double>::quiet_NaN(), 0, 6},
                                           RoundCase{std::numeric_limits<double>::infinity(), 0, 6}),
                         [](const auto& info) {
                             const RoundCase& c = info.param;
                             return NumberName(c.input) +
                                    (c.error ? std::string("_Overflows") : "_Is_" + NumberName(c.expected));
                         });

TEST(VbTypes, CLngCoversThirtyTwoBitsAndRoundsHalfToEven) {
    EXPECT_EQ(CLng(2147483647.0), 2147483647);
    EXPECT_EQ(CLng(-2147483648.5), std::numeric_limits<Long>::min());
    EXPECT_EQ(CLng(40000.5), 40000);
    EXPECT_EQ(CLng(40001.5), 40002);
    EXPECT_EQ(ErrorNumberOf([] { CLng(2147483647.5); }), kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { CLng(-2147483649.0); }), kErrOverflow);
}

TEST(VbTypes, IntegerArithmeticRaisesOverflowInsteadOfWrapping) {
    EXPECT_EQ(AddInt(32000, 767), 32767);
    EXPECT_EQ(ErrorNumberOf([] { AddInt(32000, 768); }), kErrOverflow);
    EXPECT_EQ(SubInt(-32000, 768), -32768);
    EXPECT_EQ(ErrorNumberOf([] { SubInt(-32000, 769); }), kErrOverflow);
    EXPECT_EQ(ErrorNumberOf([] { SubInt(0, -32768); }), kErrOverflow);
}

TEST(VbTypes, ModTruncatesWithTheSignOfTheDividend) {
    EXPECT_EQ(Mod(7, 3), 1);
    EXPECT_EQ(Mod(-7, 3), -1);
    EXPECT_EQ(Mod(7, -3), 1);
    EXPECT_EQ(Mod(std::numeric_limits<Long>::min(), -1), 0);
    EXPECT_EQ(ErrorNumberOf([] { Mod(5, 0); }), kErrDivisionByZero);
}

TEST(VbTypes, RgbPacksRedLowAndCountsComponentsAbove255As255) {
    EXPECT_EQ(RGB(255, 0, 0), 255);
    EXPECT_EQ(RGB(0, 255, 0), 255 * 256);
    EXPECT_EQ(RGB(0, 0, 1), 65536);
    EXPECT_EQ(RGB(256, 256, 256), 0xFFFFFF);
    EXPECT_EQ(ErrorNumberOf([] { RGB(-1, 0, 0); }), kErrInvalidCall);
}

TEST(VbTypes, BooleanIsMinusOneOrZero) {
    EXPECT_EQ(BoolToInteger(true), -1);
    EXPECT_EQ(BoolToInteger(false), 0);
}

TEST(RuntimeErrors, ReportShowsNumberBlankLineAndText) {
    struct Row {
        int number;
        const char* text;
    };
    for (Row row : {Row{5, "Invalid procedure call or argument"}, Row{6, "Overflow"},
                    Row{9, "Subscript out of range"}, Row{11, "Division by zero"}, Row{13, "Type mismatch"},
                    Row{91, "Object variable or With block variable not set"}}) {
        try {
            Raise(row.number);
            FAIL() << "Raise returned";
        } catch (const RuntimeError& e) {
            EXPECT_EQ(e.Number(), row.number);
            EXPECT_EQ(e.Description(), row.text);
            EXPECT_EQ(e.Report(), "Run-time error '" + std::to_string(row.number) + "':\n\n" + row.text);
        }
    }
}

}  // namespace
