#pragma once
// Screen metrics and the drawing unit.
//
// Window geometry, mouse positions and drawing coordinates are measured in
// twips (1440 per inch; 15 per pixel at 96 DPI) and held by the program in
// 16-bit Integers, so at one twip per unit a surface can be at most 32767
// units (2184 pixels at 96 DPI) across. On larger screens the drawing unit is
// a whole number of twips instead, chosen once per screen so that the whole
// screen fits; the picture then fills a 4K or 8K screen the way it fills a
// 1920x1080 one. Pen widths grow with the unit for the same reason.

#include <cmath>

namespace vb {

struct ScreenMetrics {
    int widthPx = 1920;             // logical pixels
    int heightPx = 1080;            // logical pixels
    double twipsPerPixel = 15.0;    // 1440 / logical DPI
    double devicePixelRatio = 1.0;  // device pixels per logical pixel
};

constexpr int kMaxUnits = 32767;
constexpr double kTwipsPerInch = 1440;

// Twips to whole logical pixels, halves away from zero. Every window size,
// control rectangle and dialog area is placed with this one rounding.
inline int TwipsToPixels(double twips, double twipsPerPixel) { return int(std::lround(twips / twipsPerPixel)); }

class UnitScale {
public:
    UnitScale() = default;
    explicit UnitScale(const ScreenMetrics& screen);

    int TwipsPerUnit() const { return mTwipsPerUnit; }
    double TwipsPerPixel() const { return mTwipsPerPixel; }

    double UnitsToPixels(double units) const { return units * mTwipsPerUnit / mTwipsPerPixel; }
    int UnitsToWholePixels(double units) const { return TwipsToPixels(units * mTwipsPerUnit, mTwipsPerPixel); }
    double PixelsToUnits(double pixels) const { return pixels * mTwipsPerPixel / mTwipsPerUnit; }
    // A pen width is counted in pixels at one twip per unit, and grows with
    // the unit so that lines keep their width relative to the picture.
    double PenPixels(int drawWidth) const { return double(drawWidth) * mTwipsPerUnit; }

private:
    int mTwipsPerUnit = 1;
    double mTwipsPerPixel = 15.0;
};

}  // namespace vb
