#include "runtime/qt/QtSurfaceWidget.h"

#include <QBackingStore>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include "runtime/Platform.h"
#include "runtime/qt/QtInput.h"

namespace vb {
namespace {

Qt::WindowFlags FlagsFor(const WindowSpec& spec) {
    Qt::WindowFlags flags = Qt::Window;
    // A tool window gets no task-bar entry from the usual window managers.
    if (!spec.showInTaskbar) flags = Qt::Tool;
    if (spec.fullScreen) return flags | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (spec.controlBox) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    return flags;
}

// The platforms whose backing store is one image that keeps its pixels
// from paint to paint, and may be drawn on between paints.
bool StoreKeepsImage() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("offscreen");
}

}  // namespace

QtSurfaceWidget::QtSurfaceWidget(const WindowSpec& spec, WindowEvents& events, const UnitScale& scale,
                                 QScreen* screen, const QtNativeSurfaceFactory& nativeSurfaces)
    : QWidget(nullptr, FlagsFor(spec)), mSpec(spec), mEvents(&events), mCanvas(scale, spec.backColor),
      mStartScreen(screen) {
    setWindowTitle(QString::fromStdString(spec.caption));
    // Every pixel comes from the canvas; Qt need not clear anything first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    setAutoFillBackground(false);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    if (spec.blankCursor) setCursor(Qt::BlankCursor);
    if (screen) setScreen(screen);
    if (spec.fullScreen && screen) setGeometry(screen->geometry());
    if (nativeSurfaces) {
        // Drawn by the window system alone: no backing store, and Qt paints
        // nothing of its own.
        setAttribute(Qt::WA_PaintOnScreen);
        mNative = nativeSurfaces(*this, scale, spec.backColor);
        if (!mNative) setAttribute(Qt::WA_PaintOnScreen, false);
    }
    SyncCanvasSize();
    if (!mNative) mCanvas.SetTargetSource([this] { return BackingImage(); });
}

vb::Canvas& QtSurfaceWidget::DrawingSurface() {
    if (mNative) return *mNative;
    return mCanvas;
}

QPaintEngine* QtSurfaceWidget::paintEngine() const { return mNative ? nullptr : QWidget::paintEngine(); }

QImage* QtSurfaceWidget::BackingImage() {
    // Only where the backing store's pixels are the canvas's device pixels:
    // a scaled store (high DPI) or one that is not an image keeps the
    // canvas on its own image. So does a platform whose store may swap or
    // clear its image between paints (Wayland's stores take turns with
    // buffers the compositor still holds, and refill only what the
    // toolkit painted).
    if (!mStorePainted || !StoreKeepsImage()) return nullptr;
    QBackingStore* store = backingStore();
    if (!store || !store->handle() || devicePixelRatioF() != 1) return nullptr;
    // The toolkit sizes the store at the first paint; a shown window's
    // drawing need not wait for that in an image of its own. Not while the
    // canvas has yet to follow a resize: it first takes the pixels out of
    // the store as it is.
    if (isVisible() && store->size() != size() && mCanvas.DeviceSize() == size()) store->resize(size());
    QPaintDevice* device = store->paintDevice();
    if (!device || device->devType() != QInternal::Image) return nullptr;
    auto* image = static_cast<QImage*>(device);
    return image->devicePixelRatio() == 1 ? image : nullptr;
}

QtSurfaceWidget::~QtSurfaceWidget() { mCanvas.Pause(); }

void QtSurfaceWidget::SyncCanvasSize() {
    if (mNative)
        mNative->Resize(size(), devicePixelRatioF());
    else if (!testAttribute(Qt::WA_PaintOnScreen))  // not while a native surface is being made
        mCanvas.Resize(size(), devicePixelRatioF());
}

void QtSurfaceWidget::resizeEvent(QResizeEvent* event) {
    SyncCanvasSize();
    QWidget::resizeEvent(event);
}

void QtSurfaceWidget::Present() {
    if (mNative) {
        mNative->Present();
        return;
    }
    const QRegion dirty = mCanvas.TakeDirty();
    if (dirty.isEmpty() || !isVisible()) return;
    const qreal ratio = mCanvas.DevicePixelRatio();
    QRegion logical;
    for (const QRect& rect : dirty) {
        logical += QRectF(rect.x() / ratio, rect.y() / ratio, rect.width() / ratio, rect.height() / ratio)
                       .toAlignedRect();
    }
    repaint(logical);
}

void QtSurfaceWidget::paintEvent(QPaintEvent* event) {
    if (mNative) {
        // The window system lost these pixels and nothing keeps them: they
        // come back blank, and the animation draws over them again.
        for (const QRect& rect : event->region()) mNative->Erase(rect);
        mNative->Present();
        return;
    }
    // The toolkit paints the backing store now; the canvas's painter must
    // not hold it.
    mCanvas.Pause();
    QPainter painter(this);
    // A paint of the exposed window into an image is the toolkit's paint of
    // the store (a grab paints a pixmap): the store has its image now, and
    // what was drawn before, in the canvas's own, moves into it.
    const QPaintDevice* device = painter.paintEngine() ? painter.paintEngine()->paintDevice() : nullptr;
    if (device && device->devType() == QInternal::Image && windowHandle() && windowHandle()->isExposed())
        mStorePainted = true;
    mCanvas.AdoptTarget();
    const QImage& image = mCanvas.Image();
    // Painting the backing store that already holds the pixels: nothing to
    // copy, and the toolkit flushes the region to the screen after this.
    // Other devices (a grab, say) get a copy.
    if (painter.paintEngine() && painter.paintEngine()->paintDevice() == &image) return;
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    const qreal ratio = mCanvas.DevicePixelRatio();
    for (const QRect& rect : event->region()) {
        const QRectF source(rect.x() * ratio, rect.y() * ratio, rect.width() * ratio, rect.height() * ratio);
        painter.drawImage(QRectF(rect), image, source);
    }
}

void QtSurfaceWidget::hideEvent(QHideEvent* event) {
    // A hidden window's store may lose its image (Wayland drops its
    // buffers with the surface): the drawing is kept in the canvas's own
    // until the window is painted again.
    if (!mNative) mCanvas.Detach();
    if (mNative) mNative->WindowHidden();
    mStorePainted = false;
    QWidget::hideEvent(event);
}

template <typename Handler>
void QtSurfaceWidget::Forward(Handler&& handler) {
    if (!mEvents) return;
    ++mDispatchDepth;
    ForwardToProgram([&] { handler(*mEvents); });
    --mDispatchDepth;
}

bool QtSurfaceWidget::event(QEvent* event) {
    // QWidget would take Tab and Backtab for focus navigation; here they are
    // keys like any other.
    if (event->type() == QEvent::KeyPress) {
        keyPressEvent(static_cast<QKeyEvent*>(event));
        return true;
    }
    // Qt's Wayland platform (6.4) does not give the seat the window's
    // cursor when the pointer enters it, so the compositor's arrow stays
    // over the saver; the toolkit passes a cursor on only when it changes.
    if (event->type() == QEvent::Enter && mSpec.blankCursor) {
        setCursor(Qt::ArrowCursor);
        setCursor(Qt::BlankCursor);
    }
    return QWidget::event(event);
}

void QtSurfaceWidget::keyPressEvent(QKeyEvent* event) {
    const Integer keyCode = VirtualKeyFor(event->key());
    const Integer shift = ShiftStateOfPress(event->key(), ShiftStateFor(event->modifiers()));
    event->accept();
    Forward([&](WindowEvents& events) { events.OnKeyDown(keyCode, shift); });
}

void QtSurfaceWidget::mouseMoveEvent(QMouseEvent* event) {
    const Integer button = ButtonStateFor(event->buttons());
    const Integer shift = ShiftStateFor(event->modifiers());
    const QPointF position = event->position();
    event->accept();
    Forward([&](WindowEvents& events) { events.OnMouseMove(button, shift, position.x(), position.y()); });
}

void QtSurfaceWidget::mousePressEvent(QMouseEvent* event) {
    const Integer button = ButtonStateFor(event->button());
    const Integer shift = ShiftStateFor(event->modifiers());
    const QPointF position = event->position();
    event->accept();
    Forward([&](WindowEvents& events) { events.OnMouseDown(button, shift, position.x(), position.y()); });
}

void QtSurfaceWidget::closeEvent(QCloseEvent* event) {
    event->ignore();
    // The portable side may unload the window, which deletes this widget; it
    // is told once Qt has finished with the close event.
    QPointer<QtSurfaceWidget> self(this);
    QTimer::singleShot(0, this, [self] {
        if (self) self->Forward([](WindowEvents& events) { events.OnCloseRequested(); });
    });
}

}  // namespace vb
