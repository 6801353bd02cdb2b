// The GDI canvas drawing into a memory bitmap that the test reads back.

#include <gtest/gtest.h>

#include <string>

#include "runtime/win32/Win32Canvas.h"

namespace {

using vb::Integer;

constexpr int kWidth = 240, kHeight = 120;

// A 32-bit top-down DIB selected into a memory DC.
class Bitmap {
public:
    Bitmap() {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kWidth;
        info.bmiHeader.biHeight = -kHeight;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        mDc = CreateCompatibleDC(nullptr);
        mBitmap = CreateDIBSection(mDc, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&mBits), nullptr, 0);
        mOld = SelectObject(mDc, mBitmap);
    }
    ~Bitmap() {
        SelectObject(mDc, mOld);
        DeleteObject(mBitmap);
        DeleteDC(mDc);
    }
    HDC Dc() const { return mDc; }
    // The pixel as the program's colour (red + 256 * green + 65536 * blue).
    vb::Long At(int x, int y) const {
        GdiFlush();
        const std::uint32_t bgr = mBits[y * kWidth + x];
        return vb::Long(((bgr >> 16) & 0xFF) | (bgr & 0xFF00) | ((bgr & 0xFF) << 16));
    }
    int Lit() const {
        GdiFlush();
        int lit = 0;
        for (int i = 0; i < kWidth * kHeight; ++i) lit += (mBits[i] & 0xFFFFFF) != 0;
        return lit;
    }

private:
    HDC mDc;
    HBITMAP mBitmap;
    HGDIOBJ mOld;
    std::uint32_t* mBits = nullptr;
};

// One pixel per twip at 1440 DPI would be odd; 15 twips per pixel is 96 DPI.
vb::UnitScale Scale(double twipsPerPixel = 15) {
    vb::ScreenMetrics screen;
    screen.widthPx = kWidth;
    screen.heightPx = kHeight;
    screen.twipsPerPixel = twipsPerPixel;
    return vb::UnitScale(screen);
}

struct Fixture {
    Bitmap bitmap;
    vb::Win32Canvas canvas{Scale(), 0};
    Fixture() {
        canvas.Bind(bitmap.Dc(), SIZE{kWidth, kHeight});
        canvas.Cls();
    }
    ~Fixture() { canvas.Bind(nullptr, SIZE{0, 0}); }
};

constexpr vb::Long kOrange = 0x0080FF;  // red 255, green 128

struct PenRow {
    std::string name;
    Integer width, style;
};

class CanvasPens : public testing::TestWithParam<PenRow> {};

TEST_P(CanvasPens, ARedrawInBlackLeavesNoColouredPixel) {
    Fixture f;
    f.canvas.DrawWidth(GetParam().width);
    f.canvas.DrawStyle(GetParam().style);
    // A diagonal segment, in twips (15 per pixel).
    f.canvas.Line(300, 300, 3000, 1500, kOrange);
    EXPECT_GT(f.bitmap.Lit(), 0) << "the segment was drawn";
    f.canvas.Line(300, 300, 3000, 1500, 0);
    EXPECT_EQ(f.bitmap.Lit(), 0);
}

INSTANTIATE_TEST_SUITE_P(Rows, CanvasPens,
                         testing::Values(PenRow{"thin_solid", 1, 0}, PenRow{"thin_dash", 1, 1},
                                         PenRow{"thin_dot", 1, 2}, PenRow{"thin_dash_dot", 1, 3},
                                         PenRow{"width5_solid", 5, 0}, PenRow{"width25_solid", 25, 0},
                                         PenRow{"width25_dash", 25, 1}, PenRow{"width6_inside", 6, 6}),
                         [](const auto& info) { return info.param.name; });

TEST(Win32Canvas, DrawsTheProgramsColourAtBothEnds) {
    Fixture f;
    f.canvas.Line(150, 150, 1500, 150, kOrange);  // pixels (10,10) to (100,10)
    EXPECT_EQ(f.bitmap.At(10, 10), kOrange);
    EXPECT_EQ(f.bitmap.At(100, 10), kOrange);
    EXPECT_EQ(f.bitmap.At(101, 10), 0);
}

TEST(Win32Canvas, DashesShowOnlyAtWidthOne) {
    Fixture f;
    f.canvas.DrawStyle(1);
    f.canvas.Line(150, 300, 3000, 300, kOrange);  // y = 20, x 10..200
    int gaps = 0;
    for (int x = 10; x <= 200; ++x) gaps += f.bitmap.At(x, 20) == 0;
    EXPECT_GT(gaps, 20) << "a dashed thin line has gaps";

    f.canvas.DrawWidth(3);
    f.canvas.Line(150, 900, 3000, 900, kOrange);  // y = 60
    gaps = 0;
    for (int x = 10; x <= 200; ++x) gaps += f.bitmap.At(x, 60) == 0;
    EXPECT_EQ(gaps, 0) << "a wider line is solid whatever the style";
}

TEST(Win32Canvas, WidePensHaveRoundEnds) {
    Fixture f;
    f.canvas.DrawWidth(21);
    f.canvas.Line(1500, 900, 2250, 900, kOrange);  // (100,60) to (150,60), 21 pixels wide
    EXPECT_EQ(f.bitmap.At(158, 60), kOrange) << "the cap reaches past the end";
    EXPECT_EQ(f.bitmap.At(158, 69), 0) << "but not into a square cap's corner";
    EXPECT_EQ(f.bitmap.At(125, 69), kOrange) << "the body is the full width";
}

TEST(Win32Canvas, InvisibleStyleDrawsNothingAndClsClears) {
    Fixture f;
    f.canvas.DrawStyle(5);
    f.canvas.Line(150, 150, 3000, 1500, kOrange);
    EXPECT_EQ(f.bitmap.Lit(), 0);
    f.canvas.DrawStyle(0);
    f.canvas.Line(150, 150, 3000, 1500, kOrange);
    f.canvas.Cls();
    EXPECT_EQ(f.bitmap.Lit(), 0);
}

TEST(Win32Canvas, ACoarserUnitWidensThePenWithThePicture) {
    // Two twips a unit (a screen wider than 32767 twips): a width-1 line is
    // two pixels wide.
    vb::ScreenMetrics wide;
    wide.widthPx = 3840;
    wide.heightPx = 2160;
    wide.twipsPerPixel = 10;  // 144 DPI: 38400 twips across
    const vb::UnitScale scale(wide);
    ASSERT_EQ(scale.TwipsPerUnit(), 2);
    Bitmap bitmap;
    vb::Win32Canvas canvas(scale, 0);
    canvas.Bind(bitmap.Dc(), SIZE{kWidth, kHeight});
    canvas.Cls();
    canvas.Line(50, 250, 500, 250, kOrange);  // pixels (10,50) to (100,50), 2 wide
    EXPECT_EQ(canvas.CurrentPen().WholePixels(), 2);
    int lit = 0;
    for (int y = 45; y <= 55; ++y) lit += bitmap.At(50, y) != 0;
    EXPECT_EQ(lit, 2);

    // Width 1 keeps its dashes however many pixels wide it is.
    canvas.DrawStyle(1);
    canvas.Line(50, 500, 1000, 500, kOrange);  // pixels (10,100) to (200,100)
    int gaps = 0;
    for (int x = 10; x <= 200; ++x) gaps += bitmap.At(x, 100) == 0;
    EXPECT_GT(gaps, 20) << "a dashed line of width 1 has gaps on a coarse unit too";
    canvas.Bind(nullptr, SIZE{0, 0});
}

}  // namespace
