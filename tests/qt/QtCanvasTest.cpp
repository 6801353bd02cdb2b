// The Qt drawing surface: what lines leave in the backing image.

#include <QImage>
#include <QPainter>
#include <QPen>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "runtime/qt/QtCanvas.h"

namespace {

constexpr vb::Long kRed = 0x0000FF;
constexpr vb::Long kBlack = 0;

bool Lit(const QImage& image, int x, int y) { return (image.pixel(x, y) & 0xFFFFFF) != 0; }

int CountLit(const QImage& image) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) count += Lit(image, x, y);
    return count;
}

// On a 1920x1080 screen at 96 DPI: one twip per unit, 15 units per pixel.
std::unique_ptr<vb::QtCanvas> MakeCanvas(int width, int height) {
    auto canvas = std::make_unique<vb::QtCanvas>(vb::UnitScale({1920, 1080, 15.0, 1.0}), kBlack);
    canvas->Resize(QSize(width, height), 1.0);
    return canvas;
}

// The engine erases a segment by drawing it again in black at the same width,
// solid. Nothing of the coloured line may survive that, or trails leave
// fringes.
TEST(QtCanvas, RedrawInBlackLeavesNothing) {
    struct EraseCase {
        vb::Integer width, style;
        float x1, y1, x2, y2;  // units
    };
    const EraseCase cases[] = {
        {1, 0, 163.5f, 241.25f, 8117, 6029},  {2, 0, 4500, 3000, 1234, 6789}, {25, 0, 2000, 2000, 6543, 5111},
        {25, 0, 4800, 3600, 4815, 3600},      {7, 0, 4800, 600, 4823, 6500},  {1, 1, 150, 1500, 8000, 5000},
    };
    for (const EraseCase& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " style " + std::to_string(c.style));
        auto canvas = MakeCanvas(640, 480);
        canvas->DrawStyle(c.style);
        canvas->DrawWidth(c.width);
        canvas->Line(c.x1, c.y1, c.x2, c.y2, kRed);
        ASSERT_GT(CountLit(canvas->Image()), 0) << "the coloured line drew nothing";
        canvas->DrawStyle(0);
        canvas->Line(c.x1, c.y1, c.x2, c.y2, kBlack);
        EXPECT_EQ(CountLit(canvas->Image()), 0);
    }
}

TEST(QtCanvas, WideLinesHaveRoundCaps) {
    // 25 pixels wide from x=100 to x=300 at y=100: the caps reach about 12
    // pixels past each end, but not into the corners a square cap fills.
    auto canvas = MakeCanvas(400, 200);
    canvas->DrawWidth(25);
    canvas->Line(100 * 15, 100 * 15, 300 * 15, 100 * 15, kRed);
    const QImage& image = canvas->Image();
    EXPECT_TRUE(Lit(image, 92, 100) && Lit(image, 308, 100)) << "no cap beyond an end";
    EXPECT_FALSE(Lit(image, 90, 90) || Lit(image, 310, 110)) << "square corner";
    EXPECT_TRUE(Lit(image, 200, 89)) << "line narrower than 25 pixels";
    EXPECT_FALSE(Lit(image, 200, 80)) << "line wider than 25 pixels";
}

// Wide lines are filled by the canvas itself, not by the toolkit's stroker;
// they must still look like its round-capped lines: a pixel may differ only
// on the outline, where the two roundings meet.
TEST(QtCanvas, WideLinesMatchTheToolkitsRoundCappedPenUpToTheOutline) {
    struct WideCase {
        const char* name;
        vb::Integer width;
        QPointF from, to;  // pixels
    };
    const WideCase cases[] = {
        {"horizontal", 25, {40, 60}, {300, 60}},    {"vertical", 8, {200, 10}, {200, 190}},
        {"diagonal", 13, {30, 20}, {350, 180}},     {"steep, fractional", 6, {101.4, 5.7}, {120.2, 195.1}},
        {"no length", 40, {200, 100}, {200, 100}},      {"past the edges", 50, {-30, -20}, {420, 230}},
    };
    for (const WideCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto canvas = MakeCanvas(400, 200);
        canvas->DrawWidth(c.width);
        canvas->Line(float(c.from.x() * 15), float(c.from.y() * 15), float(c.to.x() * 15), float(c.to.y() * 15),
                     kRed);
        QImage expected(400, 200, QImage::Format_RGB32);
        expected.fill(Qt::black);
        {
            QPainter painter(&expected);
            painter.setPen(QPen(Qt::red, c.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
            painter.drawLine(QLineF(c.from, c.to));
        }
        const QImage& image = canvas->Image();
        int differing = 0, inside = 0;
        for (int y = 0; y < 200; ++y) {
            for (int x = 0; x < 400; ++x) {
                if (Lit(image, x, y) == Lit(expected, x, y)) continue;
                ++differing;
                // On the outline: the toolkit's picture has both a lit and an
                // unlit pixel within one step.
                bool lit = false, unlit = false;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        const int nx = x + dx, ny = y + dy;
                        if (nx < 0 || ny < 0 || nx >= 400 || ny >= 200) continue;
                        (Lit(expected, nx, ny) ? lit : unlit) = true;
                    }
                inside += !(lit && unlit);
            }
        }
        EXPECT_EQ(inside, 0) << differing << " pixels differ, " << inside << " of them off the outline";
        EXPECT_EQ(CountLit(image) > 0, CountLit(expected) > 0) << "one of them drew nothing";
    }
}

TEST(QtCanvas, ColourIsRedPlus256GreenPlus65536Blue) {
    auto canvas = MakeCanvas(100, 100);
    canvas->DrawWidth(5);
    canvas->Line(10 * 15, 50 * 15, 90 * 15, 50 * 15, vb::RGB(0x12, 0x34, 0x56));
    EXPECT_EQ(QColor(canvas->Image().pixel(50, 50)), QColor(0x12, 0x34, 0x56));
}

TEST(QtCanvas, DashesShowOnlyAtWidthOne) {
    struct StyleCase {
        vb::Integer style, width;
        bool gaps;
    };
    for (const StyleCase c : {StyleCase{0, 1, false}, {1, 1, true}, {2, 1, true}, {3, 1, true}, {1, 3, false},
                              {3, 2, false}}) {
        SCOPED_TRACE("style " + std::to_string(c.style) + " width " + std::to_string(c.width));
        auto canvas = MakeCanvas(400, 100);
        canvas->DrawWidth(c.width);
        canvas->DrawStyle(c.style);
        canvas->Line(20 * 15, 50 * 15, 380 * 15, 50 * 15, kRed);
        int lit = 0, gaps = 0;
        for (int x = 22; x <= 378; ++x) {
            lit += Lit(canvas->Image(), x, 50);
            gaps += !Lit(canvas->Image(), x, 50) && Lit(canvas->Image(), x - 1, 50);
        }
        EXPECT_GT(lit, 100) << "the line is (nearly) missing";
        EXPECT_EQ(gaps > 0, c.gaps);
    }
}

// The window shows only the dirty area: a pixel drawn outside it would never
// reach the screen.
TEST(QtCanvas, DirtyAreaCoversWhatWasDrawn) {
    auto canvas = MakeCanvas(640, 480);
    canvas->TakeDirty();
    canvas->DrawWidth(25);
    canvas->Line(1500, 1500, 4500, 2700, kRed);
    canvas->DrawWidth(1);
    canvas->Line(6000, 6000, 9000, 6600, kRed);
    const QRegion dirty = canvas->TakeDirty();
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x)
            ASSERT_TRUE(!Lit(canvas->Image(), x, y) || dirty.contains(QPoint(x, y))) << x << "," << y;
    EXPECT_GT(CountLit(canvas->Image()), 0);
    EXPECT_FALSE(canvas->HasDirty());
    EXPECT_LT(dirty.boundingRect().width(), 640) << "the whole image was marked";
}

// Large screens draw in coarser units so that 16-bit coordinates reach
// across; high-DPI screens keep the logical size and draw in device pixels.
// Either way lines across the whole surface cover the whole image, and a
// pen of width 1 grows with the unit.
TEST(QtCanvas, LinesAcrossTheSurfaceCoverTheImageOnAnyScreen) {
    struct ScaleCase {
        vb::ScreenMetrics screen;
        int twipsPerUnit, penPixels;  // device pixels a DrawWidth of 1 covers
    };
    for (const ScaleCase& c : {ScaleCase{{1920, 1080, 15.0, 1.0}, 1, 1}, ScaleCase{{3840, 2160, 15.0, 1.0}, 2, 2},
                               ScaleCase{{1920, 1080, 15.0, 2.0}, 1, 2}}) {
        SCOPED_TRACE(std::to_string(c.screen.widthPx) + " at ratio " + std::to_string(c.screen.devicePixelRatio));
        const vb::UnitScale scale(c.screen);
        EXPECT_EQ(scale.TwipsPerUnit(), c.twipsPerUnit);
        auto canvas = std::make_unique<vb::QtCanvas>(scale, kBlack);
        canvas->Resize(QSize(c.screen.widthPx, c.screen.heightPx), c.screen.devicePixelRatio);
        const QImage& image = canvas->Image();
        ASSERT_EQ(image.size(), QSize(c.screen.widthPx, c.screen.heightPx) * c.screen.devicePixelRatio);

        const float width = float(scale.PixelsToUnits(c.screen.widthPx));
        const float height = float(scale.PixelsToUnits(c.screen.heightPx));
        ASSERT_LE(width, vb::kMaxUnits);
        canvas->Line(0, height / 2, width, height / 2, kRed);
        canvas->Line(width / 2, 0, width / 2, height, kRed);
        const int midRow = image.height() / 2, midColumn = image.width() / 2;
        for (int x = 0; x < image.width(); ++x) {
            if (std::abs(x - midColumn) <= 4) continue;
            int lit = 0;
            for (int y = midRow - 4; y <= midRow + 4; ++y) lit += Lit(image, x, y);
            ASSERT_EQ(lit, c.penPixels) << "column " << x;
        }
        for (int y = 0; y < image.height(); ++y) {
            int lit = 0;
            for (int x = midColumn - 4; x <= midColumn + 4; ++x) lit += Lit(image, x, y);
            ASSERT_GT(lit, 0) << "row " << y;
        }
    }
}

TEST(QtCanvas, ResizeKeepsWhatWasDrawnAndClsClearsToTheBackColour) {
    auto canvas = MakeCanvas(100, 100);
    canvas->DrawWidth(5);
    canvas->Line(10 * 15, 10 * 15, 60 * 15, 10 * 15, kRed);
    canvas->Resize(QSize(200, 150), 1.0);
    EXPECT_EQ(canvas->Image().size(), QSize(200, 150));
    EXPECT_EQ(QColor(canvas->Image().pixel(30, 10)), QColor(Qt::red));
    EXPECT_FALSE(Lit(canvas->Image(), 150, 120));
    canvas->Cls();
    EXPECT_EQ(CountLit(canvas->Image()), 0);
}

}  // namespace
