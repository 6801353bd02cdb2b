#include "runtime/win32/Win32Canvas.h"

#include <cmath>

namespace vb {
namespace {

DWORD GdiStyle(PenStyle style) {
    switch (style) {
    case PenStyle::Dash: return PS_DASH;
    case PenStyle::Dot: return PS_DOT;
    case PenStyle::DashDot: return PS_DASHDOT;
    case PenStyle::DashDotDot: return PS_DASHDOTDOT;
    case PenStyle::Invisible: return PS_NULL;
    default: return PS_SOLID;
    }
}

int Round(double value) { return int(std::lround(value)); }

}  // namespace

Win32Canvas::Win32Canvas(const UnitScale& scale, Long backColor)
    : mScale(scale), mBackColor(COLORREF(backColor) & 0xFFFFFF), mBackBrush(CreateSolidBrush(mBackColor)),
      mResolved(ResolvePen(mDrawWidth, mDrawStyle, mScale)) {}

Win32Canvas::~Win32Canvas() {
    ReleasePen();
    DeleteObject(mBackBrush);
}

void Win32Canvas::Bind(HDC dc, SIZE area) {
    ReleasePen();
    mDc = dc;
    mArea = area;
    if (mDc) SetBkColor(mDc, mBackColor);
}

void Win32Canvas::Erase(HDC dc, const RECT& rect) const { FillRect(dc, &rect, mBackBrush); }

void Win32Canvas::Cls() {
    if (!mDc) return;
    const RECT all{0, 0, mArea.cx, mArea.cy};
    Erase(mDc, all);
}

void Win32Canvas::DrawWidth(Integer width) {
    mDrawWidth = width;
    PenChanged();
}

void Win32Canvas::Rescale(const UnitScale& scale) {
    mScale = scale;
    PenChanged();
}

void Win32Canvas::DrawStyle(Integer style) {
    mDrawStyle = style;
    PenChanged();
}

void Win32Canvas::PenChanged() {
    mResolved = ResolvePen(mDrawWidth, mDrawStyle, mScale);
    mPenValid = false;
}

void Win32Canvas::ReleasePen() {
    if (mDc && mOldPen) SelectObject(mDc, mOldPen);
    mOldPen = nullptr;
    if (mPen) DeleteObject(mPen);
    mPen = nullptr;
    mPenValid = false;
}

void Win32Canvas::SelectPen(COLORREF color) {
    if (mPenValid && mPenColor == color) return;
    HPEN pen = nullptr;
    const Pen& wanted = mResolved;
    const int width = wanted.WholePixels();
    if (!wanted.Visible()) {
        pen = CreatePen(PS_NULL, 0, color);
    } else if (width == 1) {
        // The gaps of a dashed pen show the background colour.
        pen = CreatePen(int(GdiStyle(wanted.style)), 1, color);
    } else {
        // A wide dashed pen (a thin line on a coarse unit) keeps flat ends,
        // or round caps would close its gaps.
        LOGBRUSH brush{BS_SOLID, color, 0};
        const DWORD ends = wanted.Dashed() ? PS_ENDCAP_FLAT : PS_ENDCAP_ROUND;
        pen = ExtCreatePen(PS_GEOMETRIC | GdiStyle(wanted.style) | ends | PS_JOIN_ROUND, DWORD(width), &brush, 0,
                           nullptr);
    }
    if (!pen) return;  // out of GDI objects: the line is not drawn
    HGDIOBJ previous = SelectObject(mDc, pen);
    if (!mOldPen) mOldPen = previous;
    if (mPen) DeleteObject(mPen);
    mPen = pen;
    mPenColor = color;
    mPenValid = true;
}

void Win32Canvas::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    if (!mDc) return;
    SelectPen(COLORREF(color) & 0xFFFFFF);
    if (!mPenValid) return;
    const int fromX = Round(mScale.UnitsToPixels(x1)), fromY = Round(mScale.UnitsToPixels(y1));
    const int toX = Round(mScale.UnitsToPixels(x2)), toY = Round(mScale.UnitsToPixels(y2));
    MoveToEx(mDc, fromX, fromY, nullptr);
    LineTo(mDc, toX, toY);
    // A thin line leaves out its last pixel; a line is drawn from end to end.
    if (mResolved.style == PenStyle::Solid && mResolved.WholePixels() == 1) SetPixelV(mDc, toX, toY, mPenColor);
}

}  // namespace vb
