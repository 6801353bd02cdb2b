#include "runtime/x11/X11Canvas.h"

#include "runtime/base/Pen.h"

#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>

namespace vb {
namespace {

// On and off lengths in pixels, as a one-pixel pen draws them.
constexpr char kDash[] = {18, 6};
constexpr char kDot[] = {3, 3};
constexpr char kDashDot[] = {9, 6, 3, 6};
constexpr char kDashDotDot[] = {9, 3, 3, 3, 3, 3};

// X coordinates are 16-bit; the program's never come near the limits, but
// a mirror image of a point far off the window must not wrap round onto it.
constexpr double kMinCoordinate = -32768;
constexpr double kMaxCoordinate = 32767;

}  // namespace

X11Canvas::X11Canvas(Display* display, Drawable target, Visual* visual, Colormap colormap, const UnitScale& scale,
                     Long backColor)
    : mDisplay(display), mTarget(target), mColormap(colormap), mScale(scale),
      mFormat(visual && (visual->c_class == TrueColor || visual->c_class == DirectColor)
                  ? X11PixelFormat(visual->red_mask, visual->green_mask, visual->blue_mask)
                  : X11PixelFormat(0, 0, 0)),
      mBackColor(backColor) {
    XGCValues values;
    values.graphics_exposures = False;
    values.cap_style = CapRound;
    values.join_style = JoinRound;
    mGc = XCreateGC(mDisplay, mTarget, GCGraphicsExposures | GCCapStyle | GCJoinStyle, &values);
    UpdatePen();
}

X11Canvas::~X11Canvas() { XFreeGC(mDisplay, mGc); }

void X11Canvas::Resize(int widthPx, int heightPx) {
    mWidthPx = widthPx;
    mHeightPx = heightPx;
}

void X11Canvas::Place(int left, int top, int widthPx, int heightPx) {
    mLeft = left;
    mTop = top;
    Resize(widthPx, heightPx);
    XRectangle clip{0, 0, (unsigned short)std::clamp(widthPx, 1, 65535), (unsigned short)std::clamp(heightPx, 1, 65535)};
    XSetClipRectangles(mDisplay, mGc, left, top, &clip, 1, Unsorted);
}

void X11Canvas::Cls() { Erase(0, 0, mWidthPx, mHeightPx); }

void X11Canvas::Erase(int x, int y, int widthPx, int heightPx) {
    Foreground(PixelOf(mBackColor));
    XFillRectangle(mDisplay, mTarget, mGc, mLeft + x, mTop + y, unsigned(std::max(widthPx, 1)),
                   unsigned(std::max(heightPx, 1)));
}

void X11Canvas::DrawWidth(Integer width) {
    if (width == mDrawWidth) return;
    mDrawWidth = width;
    UpdatePen();
}

void X11Canvas::Rescale(const UnitScale& scale) {
    mScale = scale;
    UpdatePen();
}

void X11Canvas::DrawStyle(Integer style) {
    if (style == mDrawStyle) return;
    mDrawStyle = style;
    UpdatePen();
}

void X11Canvas::UpdatePen() {
    const Pen pen = ResolvePen(mDrawWidth, mDrawStyle, mScale);
    mInvisible = !pen.Visible();
    const int pixels = pen.WholePixels();
    const char* dashes = nullptr;
    int dashCount = 0;
    switch (pen.style) {
    case PenStyle::Dash: dashes = kDash, dashCount = int(sizeof kDash); break;
    case PenStyle::Dot: dashes = kDot, dashCount = int(sizeof kDot); break;
    case PenStyle::DashDot: dashes = kDashDot, dashCount = int(sizeof kDashDot); break;
    case PenStyle::DashDotDot: dashes = kDashDotDot, dashCount = int(sizeof kDashDotDot); break;
    default: break;
    }
    // Width 0 is the server's one-pixel thin line.
    XSetLineAttributes(mDisplay, mGc, unsigned(pixels <= 1 ? 0 : pixels), dashes ? LineOnOffDash : LineSolid,
                       CapRound, JoinRound);
    if (dashes) XSetDashes(mDisplay, mGc, 0, dashes, dashCount);
}

unsigned long X11Canvas::PixelOf(Long color) {
    if (mFormat.Direct()) return (unsigned long)mFormat.Pixel(color);
    auto found = mPalette.find(color);
    if (found != mPalette.end()) return found->second;
    XColor wanted;
    wanted.red = (unsigned short)((color & 0xFF) * 257);
    wanted.green = (unsigned short)(((color >> 8) & 0xFF) * 257);
    wanted.blue = (unsigned short)(((color >> 16) & 0xFF) * 257);
    wanted.flags = DoRed | DoGreen | DoBlue;
    // A full colour map gives black or white, whichever is nearer.
    unsigned long pixel = (color & 0xFF) + ((color >> 8) & 0xFF) + ((color >> 16) & 0xFF) > 3 * 127
                              ? WhitePixel(mDisplay, DefaultScreen(mDisplay))
                              : BlackPixel(mDisplay, DefaultScreen(mDisplay));
    if (XAllocColor(mDisplay, mColormap, &wanted)) pixel = wanted.pixel;
    mPalette.emplace(color, pixel);
    return pixel;
}

void X11Canvas::Foreground(unsigned long pixel) {
    if (mForegroundSet && pixel == mForeground) return;
    XSetForeground(mDisplay, mGc, pixel);
    mForeground = pixel;
    mForegroundSet = true;
}

int X11Canvas::ToCoordinate(double pixels) {
    return int(std::lround(std::clamp(pixels, kMinCoordinate, kMaxCoordinate)));
}

void X11Canvas::Line(Single x1, Single y1, Single x2, Single y2, Long color) {
    if (mInvisible) return;
    Foreground(PixelOf(color));
    XDrawLine(mDisplay, mTarget, mGc, ToCoordinate(mLeft + mScale.UnitsToPixels(x1)),
              ToCoordinate(mTop + mScale.UnitsToPixels(y1)), ToCoordinate(mLeft + mScale.UnitsToPixels(x2)),
              ToCoordinate(mTop + mScale.UnitsToPixels(y2)));
}

}  // namespace vb
