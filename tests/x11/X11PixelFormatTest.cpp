#include "runtime/x11/X11PixelFormat.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/RowName.h"

namespace {

struct FormatCase {
    const char* name;
    std::uint64_t red, green, blue;  // the visual's masks
    vb::Long color;                  // red + 256 * green + 65536 * blue
    std::uint64_t pixel;
};

class PixelFormat : public ::testing::TestWithParam<FormatCase> {};

TEST_P(PixelFormat, PlacesEachChannelWhereTheVisualWantsIt) {
    const FormatCase& c = GetParam();
    const vb::X11PixelFormat format(c.red, c.green, c.blue);
    ASSERT_TRUE(format.Direct()) << c.name;
    EXPECT_EQ(format.Pixel(c.color), c.pixel) << c.name;
    EXPECT_EQ(format.Pixel(0), 0u) << c.name << ": black is 0, the erase colour";
}

INSTANTIATE_TEST_SUITE_P(
    Visuals, PixelFormat,
    ::testing::Values(FormatCase{"rgb888 red", 0xFF0000, 0xFF00, 0xFF, 0x0000FF, 0xFF0000},
                      FormatCase{"rgb888 mixed", 0xFF0000, 0xFF00, 0xFF, 0x336699, 0x996633},
                      FormatCase{"bgr888", 0xFF, 0xFF00, 0xFF0000, 0x336699, 0x336699},
                      FormatCase{"rgb565 white", 0xF800, 0x07E0, 0x1F, 0xFFFFFF, 0xFFFF},
                      FormatCase{"rgb565 keeps top bits", 0xF800, 0x07E0, 0x1F, 0x0000F8, 0xF800},
                      FormatCase{"rgb101010 full blue", 0x3FF00000, 0xFFC00, 0x3FF, 0xFF0000, 0x3FF}),
    [](const auto& info) { return testsupport::RowName(info.param.name); });

TEST(PixelFormat, APaletteVisualIsNotDirect) { EXPECT_FALSE(vb::X11PixelFormat(0, 0, 0).Direct()); }

}  // namespace
