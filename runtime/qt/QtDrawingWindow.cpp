#include "runtime/qt/QtDrawingWindow.h"

#include <algorithm>

#include <QScreen>
#include <QWindow>

namespace vb {

QtDrawingWindow::QtDrawingWindow(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale,
                                 QScreen* screen, const QtNativeSurfaceFactory& nativeSurfaces)
    : mWidget(new QtSurfaceWidget(spec, events, scale, screen, nativeSurfaces)) {}

QtDrawingWindow::~QtDrawingWindow() {
    if (!mWidget) return;
    mWidget->DetachEvents();
    mWidget->hide();
    // Unloading from inside one of the widget's own handlers (a key that ends
    // the preview, say) must not pull the widget out from under Qt.
    if (mWidget->IsDispatching())
        mWidget->deleteLater();
    else
        delete mWidget.data();
}

void QtDrawingWindow::Show() {
    QtSurfaceWidget& widget = *mWidget;
    widget.Canvas().Pause();
    if (widget.Spec().fullScreen) {
        if (QScreen* screen = widget.StartScreen()) widget.setGeometry(screen->geometry());
        // With a window manager the full-screen state also hides its panels;
        // without one the geometry above already covers the screen.
        widget.showFullScreen();
        widget.raise();
        widget.activateWindow();
        if (QWindow* window = widget.windowHandle()) window->requestActivate();
        widget.setFocus(Qt::ActiveWindowFocusReason);
    } else {
        widget.show();
    }
}

void QtDrawingWindow::SendToBack() { mWidget->lower(); }

void QtDrawingWindow::BringToFront() { mWidget->raise(); }

PixelRect QtDrawingWindow::Geometry() const {
    const QRect outer = mWidget->frameGeometry();
    return {outer.x(), outer.y(), outer.width(), outer.height()};
}

void QtDrawingWindow::SetGeometry(const PixelRect& outer) {
    QtSurfaceWidget& widget = *mWidget;
    widget.Canvas().Pause();
    // Qt positions the frame but sizes the drawing area; the frame is what
    // the platform adds around it (nothing without a window manager).
    widget.winId();
    const QMargins frame = widget.windowHandle() ? widget.windowHandle()->frameMargins() : QMargins();
    const QSize client(std::max(1, outer.width - frame.left() - frame.right()),
                       std::max(1, outer.height - frame.top() - frame.bottom()));
    widget.move(outer.left, outer.top);
    if (widget.Spec().fullScreen)
        widget.resize(client);
    else
        widget.setFixedSize(client);  // the preview is not resizable by the user
}

Canvas& QtDrawingWindow::Surface() { return mWidget->DrawingSurface(); }

}  // namespace vb
