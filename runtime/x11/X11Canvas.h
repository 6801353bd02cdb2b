#pragma once
// The drawing surface of an X window: every call goes straight to the
// window as an X request, with nothing kept for repainting (the saver's
// picture is drawn once and erased by drawing again in black).
//
// Implemented: Cls (the whole window in the background colour), Line with
// the pen's width and style, colour as red + 256 * green + 65536 * blue.
// Wide pens have round caps and joins. Styles 1 dash, 2 dot, 3 dash-dot and
// 4 dash-dot-dot show only at DrawWidth 1; wider lines are solid. Style 5
// draws nothing, style 6 is solid. A one-pixel pen is the server's thin
// line, so that a line drawn again in black covers exactly the pixels it lit.
// Palette visuals get their colours from the window's colour map (one
// allocation per colour, kept).
// Not implemented: the other drawing methods of a form (Circle, PSet, text).

#include <X11/Xlib.h>

#include <cstdint>
#include <unordered_map>

#include "runtime/base/Units.h"
#include "runtime/WindowBackend.h"
#include "runtime/x11/X11PixelFormat.h"

namespace vb {

class X11Canvas final : public Canvas {
public:
    // The drawable must outlive the canvas or be reported gone; the canvas
    // owns its graphics context.
    X11Canvas(Display* display, Drawable target, Visual* visual, Colormap colormap, const UnitScale& scale,
              Long backColor);
    ~X11Canvas() override;
    X11Canvas(const X11Canvas&) = delete;
    X11Canvas& operator=(const X11Canvas&) = delete;

    // The drawing area in pixels, for Cls.
    void Resize(int widthPx, int heightPx);
    // Draws into this rectangle of the drawable only, its top-left corner
    // the drawing's origin (one monitor of a root window).
    void Place(int left, int top, int widthPx, int heightPx);
    // Paints a rectangle of pixels in the background colour.
    void Erase(int x, int y, int widthPx, int heightPx);

    void Cls() override;
    void DrawWidth(Integer width) override;
    void DrawStyle(Integer style) override;
    void Rescale(const UnitScale& scale) override;
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override;

private:
    void UpdatePen();
    unsigned long PixelOf(Long color);
    void Foreground(unsigned long pixel);
    static int ToCoordinate(double pixels);

    Display* mDisplay;
    Drawable mTarget;
    Colormap mColormap;
    UnitScale mScale;
    X11PixelFormat mFormat;
    Long mBackColor;
    GC mGc;
    int mWidthPx = 0, mHeightPx = 0;
    int mLeft = 0, mTop = 0;
    Integer mDrawWidth = 1;
    Integer mDrawStyle = 0;
    bool mInvisible = false;  // style 5
    unsigned long mForeground = 0;
    bool mForegroundSet = false;
    std::unordered_map<Long, unsigned long> mPalette;  // palette visuals only
};

}  // namespace vb
