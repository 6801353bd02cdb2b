#pragma once
// The drawing surface of a Win32 window: GDI straight onto the window's
// device context, with no picture kept behind it (a covered part of the
// window comes back in its background colour, as with AutoRedraw off).
//
// Implemented: Cls, Line with the pen's width and style, colour as
// red + 256 * green + 65536 * blue (a COLORREF). Pens are aliased, so a line
// redrawn in black covers exactly the pixels it lit. The pen is the one
// ResolvePen gives (dashes only at DrawWidth 1); a pen wider than a pixel is
// geometric, with round ends and joins when solid and flat ends when dashed.
// Not implemented: the other drawing methods of a form (Circle, PSet, text).

#include "runtime/win32/Win32Api.h"

#include "runtime/base/Pen.h"
#include "runtime/base/Units.h"
#include "runtime/WindowBackend.h"

namespace vb {

class Win32Canvas final : public Canvas {
public:
    Win32Canvas(const UnitScale& scale, Long backColor);
    ~Win32Canvas() override;
    Win32Canvas(const Win32Canvas&) = delete;
    Win32Canvas& operator=(const Win32Canvas&) = delete;

    // Where the drawing goes: a device context and the size of its drawing
    // area in pixels. The context must outlive the binding; null unbinds, and
    // drawing then goes nowhere.
    void Bind(HDC dc, SIZE area);
    void Resize(SIZE area) { mArea = area; }

    void Cls() override;
    void DrawWidth(Integer width) override;
    void DrawStyle(Integer style) override;
    void Rescale(const UnitScale& scale) override;
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override;

    // Fills a rectangle of the drawing area with the background colour.
    void Erase(HDC dc, const RECT& rect) const;

    // The pen lines are drawn with now.
    const Pen& CurrentPen() const { return mResolved; }

private:
    void SelectPen(COLORREF color);
    void ReleasePen();
    // Resolves the pen again after DrawWidth, DrawStyle or the unit changed.
    void PenChanged();

    UnitScale mScale;
    COLORREF mBackColor;
    HBRUSH mBackBrush;
    HDC mDc = nullptr;
    SIZE mArea{0, 0};
    Integer mDrawWidth = 1;
    Integer mDrawStyle = 0;
    Pen mResolved;
    HPEN mPen = nullptr;
    HGDIOBJ mOldPen = nullptr;
    COLORREF mPenColor = 0;
    bool mPenValid = false;
};

}  // namespace vb
