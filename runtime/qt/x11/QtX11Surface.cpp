#include "runtime/qt/x11/QtX11Surface.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xlib.h>

#include "runtime/x11/X11Canvas.h"

namespace vb {
namespace {

class QtX11Surface final : public QtNativeSurface {
public:
    QtX11Surface(Display* display, Window window, const XWindowAttributes& attributes, const UnitScale& scale,
                 Long backColor)
        : mDisplay(display), mCanvas(display, window, attributes.visual, attributes.colormap, scale, backColor) {
        mCanvas.Resize(attributes.width, attributes.height);
    }

    void Cls() override { mCanvas.Cls(), mUnshown = true; }
    void DrawWidth(Integer width) override { mCanvas.DrawWidth(width); }
    void DrawStyle(Integer style) override { mCanvas.DrawStyle(style); }
    void Rescale(const UnitScale& scale) override { mCanvas.Rescale(scale); }
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override {
        mCanvas.Line(x1, y1, x2, y2, color);
        mUnshown = true;
    }

    // Declined on scaled screens: the window's pixels are device pixels.
    void Resize(QSize logicalSize, qreal) override { mCanvas.Resize(logicalSize.width(), logicalSize.height()); }
    void Erase(const QRect& area) override {
        mCanvas.Erase(area.x(), area.y(), area.width(), area.height());
        mUnshown = true;
    }
    bool HasUnshown() const override { return mUnshown; }
    void Present() override {
        // Xlib buffers requests of its own beside Qt's; Qt flushes only its.
        if (mUnshown) XFlush(mDisplay);
        mUnshown = false;
    }

private:
    Display* mDisplay;
    X11Canvas mCanvas;
    bool mUnshown = false;
};

}  // namespace

std::unique_ptr<QtNativeSurface> CreateQtX11Surface(QWidget& window, const UnitScale& scale, Long backColor) {
    if (qEnvironmentVariableIsSet("GYROBLOOM_RASTER") || window.devicePixelRatioF() != 1) return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display) return nullptr;
    const auto id = Window(window.winId());
    XWindowAttributes attributes;
    if (!id || !XGetWindowAttributes(display, id, &attributes)) return nullptr;
    return std::make_unique<QtX11Surface>(display, id, attributes, scale, backColor);
}

}  // namespace vb
