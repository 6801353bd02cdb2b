// The Qt drawing surface: what lines leave in the backing image.

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/qt/QtCanvas.h"

namespace {

constexpr vb::Long kRed = 0x0000FF;
constexpr vb::Long kGreen = 0x00FF00;
constexpr vb::Long kBlue = 0xFF0000;
constexpr vb::Long kBlack = 0;
constexpr vb::Long kPurple = 0x801080;

// 1920x1080 at 96 DPI: one twip per unit, 15 units per pixel.
vb::ScreenMetrics FullHd() { return {1920, 1080, 15.0, 1.0}; }

int CountNonBlack(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((row[x] & 0xFFFFFF) != 0) ++count;
    }
    return count;
}

struct EraseCase {
    std::string name;
    vb::Integer width;
    vb::Integer style;  // the style the coloured line is drawn with; the erase is solid
    float x1, y1, x2, y2;  // units
    vb::Long color;
    friend void PrintTo(const EraseCase& c, std::ostream* os) { *os << c.name; }
};

class CanvasErase : public ::testing::TestWithParam<EraseCase> {};

// The engine erases a segment by drawing it again in black at the same width.
// Nothing of the coloured line may survive that, or trails leave fringes.
TEST_P(CanvasErase, RedrawInBlackLeavesNothing) {
    const EraseCase& c = GetParam();
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(640, 480), 1.0);

    canvas.DrawStyle(c.style);
    canvas.DrawWidth(c.width);
    canvas.Line(c.x1, c.y1, c.x2, c.y2, c.color);
    ASSERT_GT(CountNonBlack(canvas.Image()), 0) << "the coloured line drew nothing";

    canvas.DrawStyle(0);
    canvas.DrawWidth(c.width);
    canvas.Line(c.x1, c.y1, c.x2, c.y2, kBlack);
    EXPECT_EQ(CountNonBlack(canvas.Image()), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CanvasErase,
    ::testing::Values(EraseCase{"Width1Horizontal", 1, 0, 150, 1500, 7500, 1500, kRed},
                      EraseCase{"Width1Diagonal", 1, 0, 163, 241, 8117, 6029, kGreen},
                      EraseCase{"Width2Diagonal", 2, 0, 4500, 3000, 1234, 6789, kBlue},
                      EraseCase{"Width25Diagonal", 25, 0, 2000, 2000, 6543, 5111, kPurple},
                      EraseCase{"Width25Steep", 25, 0, 4800, 600, 4823, 6500, kRed},
                      EraseCase{"Width25OnePixelLong", 25, 0, 4800, 3600, 4815, 3600, kGreen},
                      EraseCase{"Width7Fractional", 7, 0, 101.5f, 333.25f, 9001.75f, 4002.5f, kBlue},
                      EraseCase{"Width40ShortDiagonal", 40, 0, 3000, 3000, 3090, 3045, kPurple},
                      EraseCase{"DashedWidth1", 1, 1, 150, 1500, 8000, 5000, kRed},
                      EraseCase{"DottedWidth1", 1, 2, 150, 1500, 8000, 4000, kGreen},
                      EraseCase{"DashDotWidth1", 1, 3, 900, 150, 3000, 6900, kBlue}),
    [](const auto& info) { return info.param.name; });

TEST(QtCanvas, WideLinesHaveRoundCaps) {
    // A horizontal 25-pixel line from x=100 to x=300 at y=100: round caps
    // reach about 12 pixels past each end, but not into the corners a square
    // cap would fill.
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(400, 200), 1.0);
    canvas.DrawWidth(25);
    canvas.Line(100 * 15, 100 * 15, 300 * 15, 100 * 15, kRed);
    const QImage& image = canvas.Image();
    EXPECT_NE(image.pixel(92, 100) & 0xFFFFFF, 0u) << "no cap beyond the start";
    EXPECT_NE(image.pixel(308, 100) & 0xFFFFFF, 0u) << "no cap beyond the end";
    EXPECT_EQ(image.pixel(90, 90) & 0xFFFFFF, 0u) << "square corner at the start";
    EXPECT_EQ(image.pixel(310, 110) & 0xFFFFFF, 0u) << "square corner at the end";
    EXPECT_NE(image.pixel(200, 89) & 0xFFFFFF, 0u) << "line narrower than 25 pixels";
    EXPECT_EQ(image.pixel(200, 80) & 0xFFFFFF, 0u) << "line wider than 25 pixels";
}

TEST(QtCanvas, ColourIsRedPlus256GreenPlus65536Blue) {
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(100, 100), 1.0);
    canvas.DrawWidth(5);
    canvas.Line(10 * 15, 50 * 15, 90 * 15, 50 * 15, vb::RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(QColor(canvas.Image().pixel(50, 50)), QColor(0x12, 0x34, 0x56));
}

// Counts lit pixels along row y between x0 and x1, and the longest unlit run
// between the first and last lit pixel.
struct RowScan {
    int lit = 0;
    int longestGap = 0;
};

RowScan ScanRow(const QImage& image, int y, int x0, int x1) {
    RowScan scan;
    int first = -1, last = -1;
    for (int x = x0; x <= x1; ++x)
        if (image.pixel(x, y) & 0xFFFFFF) {
            if (first < 0) first = x;
            last = x;
            ++scan.lit;
        }
    int gap = 0;
    for (int x = first; first >= 0 && x <= last; ++x) {
        if (image.pixel(x, y) & 0xFFFFFF) {
            gap = 0;
        } else {
            scan.longestGap = std::max(scan.longestGap, ++gap);
        }
    }
    return scan;
}

struct StyleCase {
    std::string name;
    vb::Integer style;
    vb::Integer width;
    bool gaps;  // whether the drawn line is broken
    friend void PrintTo(const StyleCase& c, std::ostream* os) { *os << c.name; }
};

class CanvasStyle : public ::testing::TestWithParam<StyleCase> {};

TEST_P(CanvasStyle, DashesShowOnlyAtWidthOne) {
    const StyleCase& c = GetParam();
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(400, 100), 1.0);
    canvas.DrawWidth(c.width);
    canvas.DrawStyle(c.style);
    canvas.Line(20 * 15, 50 * 15, 380 * 15, 50 * 15, kGreen);
    const RowScan scan = ScanRow(canvas.Image(), 50, 0, 399);
    ASSERT_GT(scan.lit, 100) << "the line is (nearly) missing";
    if (c.gaps)
        EXPECT_GE(scan.longestGap, 1);
    else
        EXPECT_EQ(scan.longestGap, 0);
}

INSTANTIATE_TEST_SUITE_P(Styles, CanvasStyle,
                         ::testing::Values(StyleCase{"SolidWidth1", 0, 1, false},
                                           StyleCase{"DashWidth1", 1, 1, true},
                                           StyleCase{"DotWidth1", 2, 1, true},
                                           StyleCase{"DashDotWidth1", 3, 1, true},
                                           StyleCase{"DashWidth3", 1, 3, false},
                                           StyleCase{"DotWidth3", 2, 3, false},
                                           StyleCase{"DashDotWidth2", 3, 2, false}),
                         [](const auto& info) { return info.param.name; });

TEST(QtCanvas, ClsClearsToTheBackColour) {
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(200, 100), 1.0);
    canvas.DrawWidth(9);
    canvas.Line(0, 0, 3000, 1500, kRed);
    canvas.Line(3000, 0, 0, 1500, kBlue);
    ASSERT_GT(CountNonBlack(canvas.Image()), 0);
    canvas.Cls();
    EXPECT_EQ(CountNonBlack(canvas.Image()), 0);
}

TEST(QtCanvas, DirtyAreaCoversWhatWasDrawn) {
    // The window shows only the dirty area; a pixel drawn outside it would
    // never reach the screen.
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(640, 480), 1.0);
    canvas.TakeDirty();
    canvas.DrawWidth(25);
    canvas.Line(1500, 1500, 4500, 2700, kRed);
    canvas.DrawWidth(1);
    canvas.Line(6000, 6000, 9000, 6600, kGreen);
    const QRegion dirty = canvas.TakeDirty();
    const QImage& image = canvas.Image();
    int lit = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) & 0xFFFFFF) {
                ++lit;
                EXPECT_TRUE(dirty.contains(QPoint(x, y))) << x << "," << y;
            }
    EXPECT_GT(lit, 0);
    EXPECT_FALSE(canvas.HasDirty());
    EXPECT_LT(dirty.boundingRect().width(), 640) << "the whole image was marked";
}

struct ScaleCase {
    std::string name;
    vb::ScreenMetrics screen;
    int twipsPerUnit;
    QSize imageSize;  // device pixels
    int widthOnePixels;  // device pixels a DrawWidth of 1 covers
    friend void PrintTo(const ScaleCase& c, std::ostream* os) { *os << c.name; }
};

class CanvasScale : public ::testing::TestWithParam<ScaleCase> {};

// Large screens draw in coarser units so that 16-bit coordinates reach
// across; high-DPI screens keep the logical size and draw in device pixels.
// Either way a line across the whole surface in units covers the whole
// image, and pens grow with the unit.
TEST_P(CanvasScale, LineAcrossTheSurfaceCoversTheImage) {
    const ScaleCase& c = GetParam();
    const vb::UnitScale scale(c.screen);
    EXPECT_EQ(scale.TwipsPerUnit(), c.twipsPerUnit);

    vb::QtCanvas canvas(scale, kBlack);
    canvas.Resize(QSize(c.screen.widthPx, c.screen.heightPx), c.screen.devicePixelRatio);
    const QImage& image = canvas.Image();
    ASSERT_EQ(image.size(), c.imageSize);

    const float fullWidth = float(scale.PixelsToUnits(c.screen.widthPx));
    const float fullHeight = float(scale.PixelsToUnits(c.screen.heightPx));
    ASSERT_LE(fullWidth, vb::kMaxUnits);
    canvas.DrawWidth(1);
    canvas.Line(0, fullHeight / 2, fullWidth, fullHeight / 2, kRed);
    canvas.Line(fullWidth / 2, 0, fullWidth / 2, fullHeight, kRed);

    const int midRow = image.height() / 2, midColumn = image.width() / 2;
    for (int x = 0; x < image.width(); ++x) {
        int lit = 0;
        for (int y = midRow - 4; y <= midRow + 4; ++y) lit += (image.pixel(x, y) & 0xFFFFFF) != 0;
        if (x != midColumn && (x < midColumn - 4 || x > midColumn + 4)) {
            ASSERT_EQ(lit, c.widthOnePixels) << "column " << x;
        } else {
            ASSERT_GT(lit, 0) << "column " << x;
        }
    }
    for (int y = 0; y < image.height(); ++y) {
        bool lit = false;
        for (int x = midColumn - 4; x <= midColumn + 4; ++x) lit = lit || (image.pixel(x, y) & 0xFFFFFF) != 0;
        ASSERT_TRUE(lit) << "row " << y;
    }
}

INSTANTIATE_TEST_SUITE_P(Screens, CanvasScale,
                         ::testing::Values(ScaleCase{"FullHd", {1920, 1080, 15.0, 1.0}, 1, QSize(1920, 1080), 1},
                                           ScaleCase{"Uhd4k", {3840, 2160, 15.0, 1.0}, 2, QSize(3840, 2160), 2},
                                           ScaleCase{"Uhd4kAt200Percent", {1920, 1080, 15.0, 2.0}, 1,
                                                     QSize(3840, 2160), 2},
                                           ScaleCase{"Uhd8k", {7680, 4320, 15.0, 1.0}, 4, QSize(7680, 4320), 4}),
                         [](const auto& info) { return info.param.name; });

TEST(QtCanvas, ResizeKeepsWhatWasDrawn) {
    vb::QtCanvas canvas(vb::UnitScale(FullHd()), kBlack);
    canvas.Resize(QSize(100, 100), 1.0);
    canvas.DrawWidth(5);
    canvas.Line(10 * 15, 10 * 15, 60 * 15, 10 * 15, kRed);
    canvas.Resize(QSize(200, 150), 1.0);
    EXPECT_EQ(canvas.Image().size(), QSize(200, 150));
    EXPECT_EQ(QColor(canvas.Image().pixel(30, 10)), QColor(Qt::red));
    EXPECT_EQ(canvas.Image().pixel(150, 120) & 0xFFFFFF, 0u);
}

}  // namespace
