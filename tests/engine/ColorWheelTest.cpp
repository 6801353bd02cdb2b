#include "engine/MainLib2.h"

#include <gtest/gtest.h>

#include <ostream>

#include "tests/support/RowName.h"

namespace {

struct WheelCase {
    int h, d;
    int red, green, blue;
    friend void PrintTo(const WheelCase& c, std::ostream* os) { *os << "ColorWheel(" << c.h << ", " << c.d << ")"; }
};

class ColorWheelTest : public ::testing::TestWithParam<WheelCase> {};

TEST_P(ColorWheelTest, GivesTheFoldedComponentsPackedRedFirst) {
    const WheelCase& c = GetParam();
    const vb::Integer h = vb::Integer(c.h), d = vb::Integer(c.d);
    EXPECT_EQ(MainLib2::ColorWheel(h, d), c.red + 256 * c.green + 65536 * c.blue) << "h=" << c.h << " d=" << c.d;
}

INSTANTIATE_TEST_SUITE_P(
    WheelTable, ColorWheelTest,
    ::testing::Values(
        // One row per segment of the wheel, with the divisor out of the way.
        WheelCase{0, 300, 255, 0, 0}, WheelCase{100, 300, 255, 100, 0}, WheelCase{255, 300, 255, 255, 0},
        WheelCase{256, 300, 255, 255, 0},  // red is 256 there and packs as 255
        WheelCase{300, 300, 212, 255, 0}, WheelCase{511, 300, 1, 255, 0}, WheelCase{512, 300, 0, 255, 0},
        WheelCase{700, 300, 0, 255, 188}, WheelCase{768, 300, 0, 255, 255}, WheelCase{900, 300, 0, 124, 255},
        WheelCase{1024, 300, 0, 0, 255}, WheelCase{1100, 300, 76, 0, 255}, WheelCase{1280, 300, 255, 0, 255},
        WheelCase{1535, 300, 255, 0, 1},
        // A divisor of 256 turns the 256s of the segment starts into 0.
        WheelCase{256, 256, 0, 255, 0}, WheelCase{768, 256, 0, 0, 255}, WheelCase{1280, 256, 255, 0, 0},
        // Smaller divisors fold every component below d.
        WheelCase{300, 100, 12, 55, 0}, WheelCase{0, 50, 5, 0, 0}, WheelCase{1000, 7, 0, 3, 3},
        WheelCase{0, 1, 0, 0, 0},
        // A divisor of 0 is black, whatever the hue.
        WheelCase{0, 0, 0, 0, 0}, WheelCase{700, 0, 0, 0, 0}, WheelCase{1535, 0, 0, 0, 0}),
    [](const auto& info) {
        return "Hue" + std::to_string(info.param.h) + "_Divisor" + std::to_string(info.param.d);
    });

TEST(ColorWheel, KnownValuesFromTheWheel) {
    EXPECT_EQ(MainLib2::ColorWheel(0, 300), 255);
    EXPECT_EQ(MainLib2::ColorWheel(1535, 300), 65791);
}

TEST(ColorWheel, NegativeDivisorFoldsLikeMod) {
    // Not used by the animation, but it must not raise: the sign of the
    // dividend wins, so the components stay non-negative.
    EXPECT_EQ(MainLib2::ColorWheel(300, -100), 12 + 256 * 55);
}

}  // namespace
