#include "runtime/qt/wayland/WaylandSaverWindow.h"

#include <QGuiApplication>
#include <QScreen>

#include <wayland-client.h>

#include <algorithm>
#include <string>

#include "runtime/Platform.h"
#include "runtime/qt/QtCanvas.h"
#include "runtime/qt/QtFramePacer.h"
#include "runtime/qt/QtPlatform.h"
#include "runtime/qt/wayland/WaylandConnection.h"
#include "runtime/qt/wayland/WaylandFrames.h"
#include "xdg-shell-client-protocol.h"

namespace vb {
namespace {

// The output is found by the name of Qt's screen.
std::string ConnectorOf(const QScreen* screen) { return screen ? screen->name().toStdString() : std::string(); }

class SaverWindow final : public WindowBackend, public QtFrameSink, public WaylandConnection::Window {
public:
    SaverWindow(WaylandConnection& connection, const WindowSpec& spec, WindowEvents& events, const UnitScale& scale,
                QtFramePacer& pacer, const PixelRect& area, const QScreen* screen)
        : mConnection(connection), mSpec(spec), mEvents(events), mPacer(pacer), mArea(area),
          mConnector(ConnectorOf(screen)), mCanvas(scale, spec.backColor), mFrames(connection.Shm(), mCanvas) {
        mCanvas.Resize(QSize(std::max(1, area.width), std::max(1, area.height)), 1);
        mConnection.Add(this);
        mPacer.AddSink(this);
    }

    ~SaverWindow() override {
        mPacer.RemoveSink(this);
        mConnection.Remove(this);
        mFrames.Drop();
        if (mToplevel) xdg_toplevel_destroy(mToplevel);
        if (mXdgSurface) xdg_surface_destroy(mXdgSurface);
        if (mSurface) wl_surface_destroy(mSurface);
        mConnection.Flush();
    }

    void Show() override;
    // The compositor stacks a full-screen window; the program has no say.
    void SendToBack() override {}
    void BringToFront() override {}
    PixelRect Geometry() const override { return mArea; }
    // Full screen on the output that shows that monitor from now on.
    void SetGeometry(const PixelRect& outer) override;
    Canvas& Surface() override { return mCanvas; }

    bool HasUnshownDrawing() const override { return mConfigured && (mShowAll || mCanvas.HasDirty()); }
    void Present() override {
        if (!mConfigured || !mFrames.Show(mSurface, mShowAll)) return;
        mShowAll = false;
        mConnection.Flush();
    }
    void PauseDrawing() override { mCanvas.Pause(); }
    bool FrameOverdue(int ms) const override { return mFrames.FrameOverdue(ms); }
    void BeforeWait() override { mConnection.Hold(true); }
    void AfterWait() override { mConnection.Hold(false); }

    wl_surface* WlSurface() const override { return mSurface; }
    bool BlankCursor() const override { return mSpec.blankCursor; }
    // The window may be gone when these return.
    void KeyDown(Integer keyCode, Integer shift) override {
        Forward([&](WindowEvents& events) { events.OnKeyDown(keyCode, shift); });
    }
    void MouseMove(Integer button, Integer shift, double x, double y) override {
        Forward([&](WindowEvents& events) { events.OnMouseMove(button, shift, x, y); });
    }
    void MouseDown(Integer button, Integer shift, double x, double y) override {
        Forward([&](WindowEvents& events) { events.OnMouseDown(button, shift, x, y); });
    }

private:
    template <typename Handler>
    void Forward(Handler&& handler) {
        WindowEvents& events = mEvents;
        ForwardToProgram([&] { handler(events); });
    }
    const WaylandConnection::Output* TargetOutput() {
        return mConnector.empty() ? nullptr : mConnection.OutputNamed(mConnector);
    }
    // The scale of the output the window is on (or is going to).
    int Scale();
    // The picture at the window's size and its output's scale, sent whole.
    void Fit(QSize logicalSize);

    static void OnSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial);
    static void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*);
    static void OnToplevelClose(void* data, xdg_toplevel*);
    static void OnEnter(void* data, wl_surface*, wl_output* output);

    WaylandConnection& mConnection;
    WindowSpec mSpec;
    WindowEvents& mEvents;
    QtFramePacer& mPacer;
    PixelRect mArea;
    std::string mConnector;
    QtCanvas mCanvas;
    WaylandFrames mFrames;
    wl_surface* mSurface = nullptr;
    xdg_surface* mXdgSurface = nullptr;
    xdg_toplevel* mToplevel = nullptr;
    wl_output* mEntered = nullptr;  // the output the compositor last put the window on
    QSize mPendingSize;
    QSize mSize;
    bool mConfigured = false;
    bool mShowAll = true;
};

void SaverWindow::Show() {
    if (mSurface) return;
    static constexpr wl_surface_listener kSurface = {OnEnter, [](void*, wl_surface*, wl_output*) {}};
    static constexpr xdg_surface_listener kXdgSurface = {OnSurfaceConfigure};
    static constexpr xdg_toplevel_listener kToplevel = {OnToplevelConfigure, OnToplevelClose,
                                                        [](void*, xdg_toplevel*, int32_t, int32_t) {},
                                                        [](void*, xdg_toplevel*, wl_array*) {}};
    const WaylandConnection::Output* output = TargetOutput();
    mSurface = wl_compositor_create_surface(mConnection.Compositor());
    wl_surface_add_listener(mSurface, &kSurface, this);
    mXdgSurface = xdg_wm_base_get_xdg_surface(mConnection.Shell(), mSurface);
    xdg_surface_add_listener(mXdgSurface, &kXdgSurface, this);
    mToplevel = xdg_surface_get_toplevel(mXdgSurface);
    xdg_toplevel_add_listener(mToplevel, &kToplevel, this);
    xdg_toplevel_set_title(mToplevel, mSpec.caption.c_str());
    xdg_toplevel_set_app_id(mToplevel, "gyrobloom");
    xdg_toplevel_set_fullscreen(mToplevel, output ? output->output : nullptr);
    // No buffer until the compositor has said how big the window is.
    wl_surface_commit(mSurface);
    mConnection.Flush();
}

void SaverWindow::SetGeometry(const PixelRect& outer) {
    mArea = outer;
    mConnector = ConnectorOf(ScreenForMonitor(outer));
    if (!mToplevel) return;
    const WaylandConnection::Output* output = TargetOutput();
    xdg_toplevel_set_fullscreen(mToplevel, output ? output->output : nullptr);
    mConnection.Flush();
}

int SaverWindow::Scale() {
    if (const WaylandConnection::Output* entered = mConnection.OutputOf(mEntered)) return entered->scale;
    const WaylandConnection::Output* output = TargetOutput();
    return output ? output->scale : 1;
}

void SaverWindow::Fit(QSize logicalSize) {
    const int scale = Scale();
    mSize = logicalSize;
    mCanvas.Resize(logicalSize.expandedTo(QSize(1, 1)), scale);
    mShowAll = true;
}

void SaverWindow::OnEnter(void* data, wl_surface*, wl_output* output) {
    auto* self = static_cast<SaverWindow*>(data);
    self->mEntered = output;
    // An output the window enters is sent its whole picture (sway repaints
    // a new output only where a window's later frames changed it), at that
    // output's scale.
    if (self->mConfigured) self->Fit(self->mSize);
}

void SaverWindow::OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    static_cast<SaverWindow*>(data)->mPendingSize = QSize(width, height);
}

void SaverWindow::OnSurfaceConfigure(void* data, xdg_surface* surface, std::uint32_t serial) {
    auto* self = static_cast<SaverWindow*>(data);
    xdg_surface_ack_configure(surface, serial);
    // No size: the window's own choice, its monitor.
    QSize size = self->mPendingSize;
    if (size.width() <= 0 || size.height() <= 0) size = QSize(self->mArea.width, self->mArea.height);
    self->Fit(size);
    self->mConfigured = true;
    self->Present();
}

void SaverWindow::OnToplevelClose(void* data, xdg_toplevel*) {
    static_cast<SaverWindow*>(data)->Forward([](WindowEvents& events) { events.OnCloseRequested(); });
}

}  // namespace

WaylandSaverWindows::WaylandSaverWindows() = default;
WaylandSaverWindows::~WaylandSaverWindows() = default;

std::unique_ptr<WindowBackend> WaylandSaverWindows::Create(const WindowSpec& spec, WindowEvents& events,
                                                           const UnitScale& scale, QScreen* screen,
                                                           QtFramePacer& pacer) {
    if (!spec.fullScreen || qEnvironmentVariableIsSet("GYROBLOOM_RASTER") ||
        qEnvironmentVariableIsSet("GYROBLOOM_QT_WINDOWS") ||
        !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return nullptr;
    if (!mTried) {
        mTried = true;
        mConnection = WaylandConnection::Connect();
    }
    if (!mConnection) return nullptr;
    PixelRect area = spec.monitor;
    if (area.width <= 0) area = screen ? RectOfScreen(*screen) : PixelRect{0, 0, 1, 1};
    return std::make_unique<SaverWindow>(*mConnection, spec, events, scale, pacer, area, screen);
}

}  // namespace vb
