#include "runtime/qt/wayland/QtWaylandSurface.h"

#include <QGuiApplication>
#include <QWidget>
#include <QWindow>
#include <qpa/qplatformnativeinterface.h>

#include <wayland-client.h>

#include <cmath>
#include <cstring>

#include "runtime/qt/QtCanvas.h"
#include "runtime/qt/wayland/WaylandFrames.h"

namespace vb {
namespace {

QPlatformNativeInterface* Native() { return qGuiApp ? QGuiApplication::platformNativeInterface() : nullptr; }

wl_display* QtDisplay() {
    QPlatformNativeInterface* native = Native();
    return native ? static_cast<wl_display*>(native->nativeResourceForIntegration("wl_display")) : nullptr;
}

// The window's surface now: Qt makes a new one each time a window is shown
// again.
wl_surface* QtSurfaceOf(QWindow* window) {
    QPlatformNativeInterface* native = Native();
    if (!native || !window || !window->handle()) return nullptr;
    return static_cast<wl_surface*>(native->nativeResourceForWindow("surface", window));
}

void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t) {
    auto* shm = static_cast<wl_shm**>(data);
    if (*shm || std::strcmp(interface, wl_shm_interface.name) != 0) return;
    *shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    // Its events (the formats, all of them optional here) go with Qt's.
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(*shm), nullptr);
}
void OnGlobalRemove(void*, wl_registry*, uint32_t) {}
constexpr wl_registry_listener kRegistryListener = {OnGlobal, OnGlobalRemove};

// The compositor's shared memory, bound on Qt's connection through a queue
// of its own, so that Qt's dispatching never sees the registry.
wl_shm* SharedMemory(wl_display* display) {
    wl_shm* shm = nullptr;
    wl_event_queue* queue = wl_display_create_queue(display);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue);
    wl_registry* registry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(registry, &kRegistryListener, &shm);
    if (wl_display_roundtrip_queue(display, queue) < 0) shm = nullptr;
    wl_registry_destroy(registry);
    wl_event_queue_destroy(queue);
    return shm;
}

class QtWaylandSurface final : public QtNativeSurface {
public:
    QtWaylandSurface(QWidget& window, wl_display* display, wl_shm* shm, const UnitScale& scale, Long backColor)
        : mWindow(window), mDisplay(display), mCanvas(scale, backColor), mFrames(shm, mCanvas) {}
    ~QtWaylandSurface() override {
        mFrames.Drop();
        wl_display_flush(mDisplay);
    }

    void Cls() override { mCanvas.Cls(); }
    void DrawWidth(Integer width) override { mCanvas.DrawWidth(width); }
    void DrawStyle(Integer style) override { mCanvas.DrawStyle(style); }
    void Rescale(const UnitScale& scale) override { mCanvas.Rescale(scale); }
    void Line(Single x1, Single y1, Single x2, Single y2, Long color) override {
        mCanvas.Line(x1, y1, x2, y2, color);
    }

    void Resize(QSize logicalSize, qreal devicePixelRatio) override {
        // A Wayland buffer's scale is a whole number.
        mCanvas.Resize(logicalSize, std::max(1.0, std::round(devicePixelRatio)));
    }
    // The compositor keeps what it was given: nothing is lost, and an
    // exposed window is sent its whole picture again.
    void Erase(const QRect&) override { mShowAll = true; }
    bool HasUnshown() const override { return mShowAll || mCanvas.HasDirty(); }
    bool PacedByWindowSystem() const override { return true; }
    bool FrameOverdue(int ms) const override { return mFrames.FrameOverdue(ms); }
    void WindowHidden() override {
        // Qt lets the surface go with the window; a new one may come back
        // at the same address.
        mSurface = nullptr;
        mFrames.NewSurface();
    }

    void Present() override {
        QWindow* window = mWindow.windowHandle();
        wl_surface* surface = window && window->isExposed() ? QtSurfaceOf(window) : nullptr;
        if (!surface) {
            WindowHidden();
            return;
        }
        if (surface != mSurface) {
            mFrames.NewSurface();
            mSurface = surface;
            mShowAll = true;
        }
        if (mFrames.Show(surface, mShowAll)) {
            mShowAll = false;
            wl_display_flush(mDisplay);
        }
    }

private:
    QWidget& mWindow;
    wl_display* mDisplay;
    QtCanvas mCanvas;
    WaylandFrames mFrames;
    wl_surface* mSurface = nullptr;
    bool mShowAll = true;
};

}  // namespace

std::unique_ptr<QtNativeSurface> QtWaylandSurfaces::Create(QWidget& window, const UnitScale& scale, Long backColor) {
    if (qEnvironmentVariableIsSet("GYROBLOOM_RASTER")) return nullptr;
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return nullptr;
    const qreal ratio = window.devicePixelRatioF();
    if (std::abs(ratio - std::round(ratio)) > 1e-6) return nullptr;
    if (!mTried) {
        mTried = true;
        mDisplay = QtDisplay();
        mShm = mDisplay ? SharedMemory(mDisplay) : nullptr;
    }
    if (!mShm) return nullptr;
    return std::make_unique<QtWaylandSurface>(window, mDisplay, mShm, scale, backColor);
}

}  // namespace vb
