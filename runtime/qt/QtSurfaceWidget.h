#pragma once
// The native side of a drawing window: a top-level QWidget that shows the
// window's drawing surface (a native one where the program offers it, see
// QtNativeSurface, else a QtCanvas) and forwards the user's input to the
// window's portable side (WindowEvents).
//
// Implemented: key presses (modifier keys alone included, Tab too), mouse
// moves with or without a button (positions in logical pixels relative to
// the drawing area), close requests (ignored here; the portable side decides
// by unloading), the blank pointer, the full-screen, always-on-top,
// task-bar-less saver window and the fixed-size captioned preview window.

#include <QWidget>

#include "runtime/WindowBackend.h"
#include "runtime/qt/QtCanvas.h"
#include "runtime/qt/QtNativeSurface.h"

class QScreen;

namespace vb {

class QtSurfaceWidget final : public QWidget {
public:
    QtSurfaceWidget(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale, QScreen* screen,
                    const QtNativeSurfaceFactory& nativeSurfaces = {});
    ~QtSurfaceWidget() override;

    const WindowSpec& Spec() const { return mSpec; }
    // The raster canvas; it holds the drawing unless DrawsNatively().
    QtCanvas& Canvas() { return mCanvas; }
    bool DrawsNatively() const { return mNative != nullptr; }
    // Where the program's drawing goes.
    vb::Canvas& DrawingSurface();
    QScreen* StartScreen() const { return mStartScreen; }

    // The portable side is gone: input is no longer forwarded.
    void DetachEvents() { mEvents = nullptr; }
    // True while a forwarded event runs in portable code. The widget must
    // not be deleted then; it is deleted later instead.
    bool IsDispatching() const { return mDispatchDepth > 0; }

    // True when something was drawn that the screen does not show yet.
    // Once the window has its backing store the canvas draws straight into
    // it where the store keeps one image from paint to paint (X11,
    // offscreen), and showing what changed repaints without copying
    // pixels; elsewhere (Wayland, whose store takes turns with buffers the
    // compositor holds) a paint copies the changed tiles from the canvas.
    bool HasUnshownDrawing() const { return mNative ? mNative->HasUnshown() : mCanvas.HasDirty(); }
    // Pushes what was drawn to the screen now.
    void Present();
    // A surface whose window system asks for each frame (QtNativeSurface):
    // whether it does, and whether a frame sent still waits for that.
    bool PacedByWindowSystem() const { return mNative && mNative->PacedByWindowSystem(); }
    bool FrameOverdue(int ms) const { return mNative && mNative->FrameOverdue(ms); }

protected:
    bool event(QEvent* event) override;
    QPaintEngine* paintEngine() const override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    template <typename Handler>
    void Forward(Handler&& handler);
    void SyncCanvasSize();
    // The backing store's image when the canvas can draw on it, or nullptr:
    // never before the toolkit has painted the shown window once, since
    // some platforms (Wayland) make the store's image only then, and
    // asking for it earlier reaches into nothing.
    QImage* BackingImage();

    WindowSpec mSpec;
    WindowEvents* mEvents;
    QtCanvas mCanvas;
    std::unique_ptr<QtNativeSurface> mNative;
    QScreen* mStartScreen;
    int mDispatchDepth = 0;
    // The toolkit has painted the backing store since the window was last
    // shown: from then on it has an image.
    bool mStorePainted = false;
};

}  // namespace vb
