#include "runtime/qt/wayland/WaylandSaverWindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSocketNotifier>

#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/Platform.h"
#include "runtime/qt/QtCanvas.h"
#include "runtime/qt/QtFramePacer.h"
#include "runtime/qt/QtInput.h"
#include "runtime/qt/wayland/WaylandFrames.h"
#include "xdg-shell-client-protocol.h"

namespace vb {
namespace {

// The keys by their place on the keyboard (evdev codes), as Qt names them
// on a US layout; every key ends the saver, whatever the layout.
int QtKeyFor(uint32_t code) {
    static constexpr std::pair<uint32_t, const char*> kRows[] = {
        {KEY_1, "1234567890"}, {KEY_Q, "QWERTYUIOP"}, {KEY_A, "ASDFGHJKL"}, {KEY_Z, "ZXCVBNM"}};
    for (const auto& [first, keys] : kRows)
        if (code >= first && code < first + std::strlen(keys)) return keys[code - first];  // Qt::Key_A is 'A'
    if (code >= KEY_F1 && code <= KEY_F10) return int(Qt::Key_F1 + (code - KEY_F1));
    static constexpr std::pair<uint32_t, int> kKeys[] = {
        {KEY_F11, Qt::Key_F11},         {KEY_F12, Qt::Key_F12},           {KEY_ESC, Qt::Key_Escape},
        {KEY_BACKSPACE, Qt::Key_Backspace}, {KEY_TAB, Qt::Key_Tab},       {KEY_ENTER, Qt::Key_Return},
        {KEY_KPENTER, Qt::Key_Enter},   {KEY_LEFTSHIFT, Qt::Key_Shift},   {KEY_RIGHTSHIFT, Qt::Key_Shift},
        {KEY_LEFTCTRL, Qt::Key_Control}, {KEY_RIGHTCTRL, Qt::Key_Control}, {KEY_LEFTALT, Qt::Key_Alt},
        {KEY_RIGHTALT, Qt::Key_AltGr},  {KEY_SPACE, Qt::Key_Space},       {KEY_CAPSLOCK, Qt::Key_CapsLock},
        {KEY_PAGEUP, Qt::Key_PageUp},   {KEY_PAGEDOWN, Qt::Key_PageDown}, {KEY_END, Qt::Key_End},
        {KEY_HOME, Qt::Key_Home},       {KEY_LEFT, Qt::Key_Left},         {KEY_UP, Qt::Key_Up},
        {KEY_RIGHT, Qt::Key_Right},     {KEY_DOWN, Qt::Key_Down},         {KEY_INSERT, Qt::Key_Insert},
        {KEY_DELETE, Qt::Key_Delete},   {KEY_LEFTMETA, Qt::Key_Super_L},  {KEY_RIGHTMETA, Qt::Key_Super_R},
        {KEY_COMPOSE, Qt::Key_Menu},    {KEY_NUMLOCK, Qt::Key_NumLock},   {KEY_SCROLLLOCK, Qt::Key_ScrollLock},
        {KEY_PAUSE, Qt::Key_Pause},     {KEY_SYSRQ, Qt::Key_Print},       {KEY_SEMICOLON, Qt::Key_Semicolon},
        {KEY_COMMA, Qt::Key_Comma},
    };
    for (const auto& [key, qt] : kKeys)
        if (key == code) return qt;
    return 0;
}

class SaverWindow;

// The program's own connection to the compositor, made once.
class Connection {
public:
    struct Output {
        uint32_t name = 0;
        wl_output* output = nullptr;
        std::string connector;  // "HEADLESS-1", as Qt names the screen
        int scale = 1;
    };

    static Connection* Get();
    ~Connection();

    wl_display* Display() const { return mDisplay; }
    wl_compositor* Compositor() const { return mCompositor; }
    wl_shm* Shm() const { return mShm; }
    xdg_wm_base* Shell() const { return mShell; }
    const Output* OutputNamed(const std::string& connector);

    void Add(SaverWindow* window) { mWindows.push_back(window); }
    void Remove(SaverWindow* window);
    // Reads what the compositor has said, runs its handlers, sends what is
    // queued. Handlers may close windows.
    void Pump();
    // While held, the connection does not wake the program; released, it
    // is read at once.
    void Hold(bool held);
    void Flush() { wl_display_flush(mDisplay); }

private:
    explicit Connection(wl_display* display);
    SaverWindow* WindowOf(wl_surface* surface) const;
    // No image for the pointer over a window that hides it; said again when
    // the outputs change, as the compositor then sets its own.
    void HidePointer();

    static void OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry* registry, uint32_t name);
    static void OnCapabilities(void* data, wl_seat* seat, uint32_t capabilities);
    static void OnPointerEnter(void* data, wl_pointer*, uint32_t serial, wl_surface* surface, wl_fixed_t x, wl_fixed_t y);
    static void OnPointerMotion(void* data, wl_pointer*, uint32_t time, wl_fixed_t x, wl_fixed_t y);
    static void OnPointerButton(void* data, wl_pointer*, uint32_t serial, uint32_t time, uint32_t button,
                                uint32_t state);
    static void OnKeyboardEnter(void* data, wl_keyboard*, uint32_t serial, wl_surface* surface, wl_array* keys);
    static void OnKey(void* data, wl_keyboard*, uint32_t serial, uint32_t time, uint32_t key, uint32_t state);
    static void OnModifiers(void* data, wl_keyboard*, uint32_t serial, uint32_t depressed, uint32_t latched,
                            uint32_t locked, uint32_t group);

    wl_display* mDisplay;
    wl_registry* mRegistry = nullptr;
    wl_compositor* mCompositor = nullptr;
    wl_shm* mShm = nullptr;
    xdg_wm_base* mShell = nullptr;
    wl_seat* mSeat = nullptr;
    wl_pointer* mPointer = nullptr;
    wl_keyboard* mKeyboard = nullptr;
    std::vector<std::unique_ptr<Output>> mOutputs;
    std::vector<SaverWindow*> mWindows;
    std::unique_ptr<QSocketNotifier> mNotifier;
    bool mLost = false;
    // Input: where it goes, and the buttons and modifiers held.
    SaverWindow* mPointerFocus = nullptr;
    uint32_t mPointerSerial = 0;  // of the pointer's entering mPointerFocus
    SaverWindow* mKeyboardFocus = nullptr;
    double mPointerX = 0, mPointerY = 0;
    Integer mButtons = 0;
    Integer mShift = 0;
};

class SaverWindow final : public WindowBackend, public QtFrameSink {
public:
    SaverWindow(Connection& connection, const WindowSpec& spec, WindowEvents& events, const UnitScale& scale,
                QtFramePacer& pacer, const PixelRect& area, std::string connector)
        : mConnection(connection), mSpec(spec), mEvents(events), mPacer(pacer), mArea(area),
          mConnector(std::move(connector)), mCanvas(scale, spec.backColor), mFrames(connection.Shm(), mCanvas) {
        mCanvas.Resize(QSize(std::max(1, area.width), std::max(1, area.height)), 1);
        mConnection.Add(this);
        mPacer.AddSink(this);
    }

    ~SaverWindow() override {
        mPacer.RemoveSink(this);
        mConnection.Remove(this);
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
    // A full-screen window covers its monitor whatever is asked.
    void SetGeometry(const PixelRect&) override {}
    Canvas& Surface() override { return mCanvas; }

    bool HasUnshownDrawing() const override { return mConfigured && (mShowAll || mCanvas.HasDirty()); }
    void Present() override {
        if (!mConfigured || !mFrames.Show(mSurface, mShowAll)) return;
        mShowAll = false;
        mConnection.Flush();
    }
    void PauseDrawing() override { mCanvas.Pause(); }
    bool FramePending() const override { return mFrames.FramePending(); }
    void BeforeWait() override { mConnection.Hold(true); }
    void AfterWait() override { mConnection.Hold(false); }

    wl_surface* WlSurface() const { return mSurface; }
    bool BlankCursor() const { return mSpec.blankCursor; }
    // The user's input, forwarded to the portable side; the window may be
    // gone when these return.
    template <typename Handler>
    void Forward(Handler&& handler) {
        WindowEvents& events = mEvents;
        ForwardToProgram([&] { handler(events); });
    }

private:
    static void OnSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial);
    static void OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*);
    static void OnToplevelClose(void* data, xdg_toplevel*);

    Connection& mConnection;
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
    int mScale = 1;
    QSize mPendingSize;
    bool mConfigured = false;
    bool mShowAll = true;
};

// --- The connection -----------------------------------------------------------

Connection* Connection::Get() {
    static std::unique_ptr<Connection> made;
    static bool tried = false;
    if (tried) return made.get();
    tried = true;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    made.reset(new Connection(display));
    if (!made->mCompositor || !made->mShm || !made->mShell) made.reset();
    return made.get();
}

Connection::Connection(wl_display* display) : mDisplay(display) {
    static constexpr wl_registry_listener kRegistry = {OnGlobal, OnGlobalRemove};
    mRegistry = wl_display_get_registry(mDisplay);
    wl_registry_add_listener(mRegistry, &kRegistry, this);
    // The globals, then what they say of themselves (the outputs' names).
    wl_display_roundtrip(mDisplay);
    wl_display_roundtrip(mDisplay);
    mNotifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(mDisplay), QSocketNotifier::Read);
    QObject::connect(mNotifier.get(), &QSocketNotifier::activated, mNotifier.get(), [this] { Pump(); });
}

Connection::~Connection() {
    mNotifier.reset();
    wl_display_disconnect(mDisplay);
}

void Connection::OnGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
                          uint32_t version) {
    auto* self = static_cast<Connection*>(data);
    auto bind = [&](const wl_interface& wanted, uint32_t most) {
        return wl_registry_bind(registry, name, &wanted, std::min(version, most));
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !self->mCompositor) {
        self->mCompositor = static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !self->mShm) {
        self->mShm = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !self->mShell) {
        self->mShell = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 1));
        static constexpr xdg_wm_base_listener kShell = {
            [](void*, xdg_wm_base* shell, uint32_t serial) { xdg_wm_base_pong(shell, serial); }};
        xdg_wm_base_add_listener(self->mShell, &kShell, self);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->mSeat) {
        self->mSeat = static_cast<wl_seat*>(bind(wl_seat_interface, 5));
        static constexpr wl_seat_listener kSeat = {OnCapabilities, [](void*, wl_seat*, const char*) {}};
        wl_seat_add_listener(self->mSeat, &kSeat, self);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->output = static_cast<wl_output*>(bind(wl_output_interface, 4));
        static constexpr wl_output_listener kOutput = {
            [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
            [](void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {},
            [](void*, wl_output*) {},
            [](void* data, wl_output*, int32_t factor) { static_cast<Output*>(data)->scale = std::max(1, factor); },
            [](void* data, wl_output*, const char* connector) { static_cast<Output*>(data)->connector = connector; },
            [](void*, wl_output*, const char*) {},
        };
        wl_output_add_listener(output->output, &kOutput, output.get());
        self->mOutputs.push_back(std::move(output));
        self->HidePointer();
    }
}

void Connection::OnGlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto* self = static_cast<Connection*>(data);
    std::erase_if(self->mOutputs, [name](const std::unique_ptr<Output>& output) {
        if (output->name != name) return false;
        if (wl_proxy_get_version(reinterpret_cast<wl_proxy*>(output->output)) >= WL_OUTPUT_RELEASE_SINCE_VERSION)
            wl_output_release(output->output);
        else
            wl_output_destroy(output->output);
        return true;
    });
    self->HidePointer();
}

void Connection::OnCapabilities(void* data, wl_seat* seat, uint32_t capabilities) {
    auto* self = static_cast<Connection*>(data);
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !self->mPointer) {
        self->mPointer = wl_seat_get_pointer(seat);
        static constexpr wl_pointer_listener kPointer = {
            OnPointerEnter,
            [](void* data, wl_pointer*, uint32_t, wl_surface*) { static_cast<Connection*>(data)->mPointerFocus = nullptr; },
            OnPointerMotion,
            OnPointerButton,
            [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
            [](void*, wl_pointer*) {},
            [](void*, wl_pointer*, uint32_t) {},
            [](void*, wl_pointer*, uint32_t, uint32_t) {},
            [](void*, wl_pointer*, uint32_t, int32_t) {},
            [](void*, wl_pointer*, uint32_t, int32_t) {},
        };
        wl_pointer_add_listener(self->mPointer, &kPointer, self);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !self->mKeyboard) {
        self->mKeyboard = wl_seat_get_keyboard(seat);
        static constexpr wl_keyboard_listener kKeyboard = {
            [](void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); },
            OnKeyboardEnter,
            [](void* data, wl_keyboard*, uint32_t, wl_surface*) { static_cast<Connection*>(data)->mKeyboardFocus = nullptr; },
            OnKey,
            OnModifiers,
            [](void*, wl_keyboard*, int32_t, int32_t) {},
        };
        wl_keyboard_add_listener(self->mKeyboard, &kKeyboard, self);
    }
}

SaverWindow* Connection::WindowOf(wl_surface* surface) const {
    for (SaverWindow* window : mWindows)
        if (surface && window->WlSurface() == surface) return window;
    return nullptr;
}

const Connection::Output* Connection::OutputNamed(const std::string& connector) {
    auto find = [&]() -> const Output* {
        for (const auto& output : mOutputs)
            if (output->connector == connector) return output.get();
        return nullptr;
    };
    // An output Qt has just reported may not have reached this connection.
    if (!find()) wl_display_roundtrip(mDisplay), wl_display_roundtrip(mDisplay);
    return find();
}

void Connection::Remove(SaverWindow* window) {
    std::erase(mWindows, window);
    if (mPointerFocus == window) mPointerFocus = nullptr;
    if (mKeyboardFocus == window) mKeyboardFocus = nullptr;
}

void Connection::OnPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface* surface, wl_fixed_t x,
                                wl_fixed_t y) {
    auto* self = static_cast<Connection*>(data);
    self->mPointerFocus = self->WindowOf(surface);
    self->mPointerSerial = serial;
    self->mPointerX = wl_fixed_to_double(x), self->mPointerY = wl_fixed_to_double(y);
    self->HidePointer();
}

void Connection::HidePointer() {
    if (mPointer && mPointerFocus && mPointerFocus->BlankCursor())
        wl_pointer_set_cursor(mPointer, mPointerSerial, nullptr, 0, 0);
}

void Connection::OnPointerMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t x, wl_fixed_t y) {
    auto* self = static_cast<Connection*>(data);
    self->mPointerX = wl_fixed_to_double(x), self->mPointerY = wl_fixed_to_double(y);
    if (!self->mPointerFocus) return;
    const Integer buttons = self->mButtons, shift = self->mShift;
    const double px = self->mPointerX, py = self->mPointerY;
    self->mPointerFocus->Forward([&](WindowEvents& events) { events.OnMouseMove(buttons, shift, px, py); });
}

void Connection::OnPointerButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t button, uint32_t state) {
    auto* self = static_cast<Connection*>(data);
    const Integer bit = button == BTN_LEFT ? kLeftButton : button == BTN_RIGHT ? kRightButton
                      : button == BTN_MIDDLE ? kMiddleButton : 0;
    if (state != WL_POINTER_BUTTON_STATE_PRESSED) {
        self->mButtons &= ~bit;
        return;
    }
    self->mButtons |= bit;
    if (!self->mPointerFocus || !bit) return;
    const Integer shift = self->mShift;
    const double px = self->mPointerX, py = self->mPointerY;
    self->mPointerFocus->Forward([&](WindowEvents& events) { events.OnMouseDown(bit, shift, px, py); });
}

void Connection::OnKeyboardEnter(void* data, wl_keyboard*, uint32_t, wl_surface* surface, wl_array*) {
    auto* self = static_cast<Connection*>(data);
    self->mKeyboardFocus = self->WindowOf(surface);
}

void Connection::OnKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t key, uint32_t state) {
    auto* self = static_cast<Connection*>(data);
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !self->mKeyboardFocus) return;
    const int qtKey = QtKeyFor(key);
    const Integer keyCode = VirtualKeyFor(qtKey);
    // A modifier key counts as held in its own press.
    Integer shift = self->mShift;
    if (qtKey == Qt::Key_Shift) shift |= kShiftMask;
    if (qtKey == Qt::Key_Control) shift |= kCtrlMask;
    if (qtKey == Qt::Key_Alt || qtKey == Qt::Key_AltGr) shift |= kAltMask;
    self->mKeyboardFocus->Forward([&](WindowEvents& events) { events.OnKeyDown(keyCode, shift); });
}

void Connection::OnModifiers(void* data, wl_keyboard*, uint32_t, uint32_t depressed, uint32_t, uint32_t, uint32_t) {
    // The usual keymaps' modifier bits: Shift, Lock, Control, Mod1 (Alt).
    Integer shift = 0;
    if (depressed & 1) shift |= kShiftMask;
    if (depressed & 4) shift |= kCtrlMask;
    if (depressed & 8) shift |= kAltMask;
    static_cast<Connection*>(data)->mShift = shift;
}

void Connection::Pump() {
    if (mLost) return;
    while (wl_display_prepare_read(mDisplay) != 0) wl_display_dispatch_pending(mDisplay);
    wl_display_flush(mDisplay);
    pollfd ready{wl_display_get_fd(mDisplay), POLLIN, 0};
    int read = 0;
    if (poll(&ready, 1, 0) > 0)
        read = wl_display_read_events(mDisplay);
    else
        wl_display_cancel_read(mDisplay);
    if (read < 0 || wl_display_dispatch_pending(mDisplay) < 0) {
        // The compositor is gone; Qt's own connection ends the program.
        mLost = true;
        if (mNotifier) mNotifier->setEnabled(false);
        std::fprintf(stderr, "gyrobloom: the connection to the compositor was lost\n");
        return;
    }
    wl_display_flush(mDisplay);
}

void Connection::Hold(bool held) {
    if (mLost || !mNotifier || mNotifier->isEnabled() != held) return;
    mNotifier->setEnabled(!held);
    if (!held) Pump();
}

// --- The window ---------------------------------------------------------------

void SaverWindow::Show() {
    if (mSurface) return;
    static constexpr xdg_surface_listener kSurface = {OnSurfaceConfigure};
    static constexpr xdg_toplevel_listener kToplevel = {OnToplevelConfigure, OnToplevelClose,
                                                        [](void*, xdg_toplevel*, int32_t, int32_t) {},
                                                        [](void*, xdg_toplevel*, wl_array*) {}};
    const Connection::Output* output = mConnector.empty() ? nullptr : mConnection.OutputNamed(mConnector);
    mScale = output ? output->scale : 1;
    mSurface = wl_compositor_create_surface(mConnection.Compositor());
    // An output the window enters is sent its whole picture (sway repaints
    // a new output only where a window's later frames changed it).
    static constexpr wl_surface_listener kEnter = {
        [](void* data, wl_surface*, wl_output*) { static_cast<SaverWindow*>(data)->mShowAll = true; },
        [](void*, wl_surface*, wl_output*) {}};
    wl_surface_add_listener(mSurface, &kEnter, this);
    mXdgSurface = xdg_wm_base_get_xdg_surface(mConnection.Shell(), mSurface);
    xdg_surface_add_listener(mXdgSurface, &kSurface, this);
    mToplevel = xdg_surface_get_toplevel(mXdgSurface);
    xdg_toplevel_add_listener(mToplevel, &kToplevel, this);
    xdg_toplevel_set_title(mToplevel, mSpec.caption.c_str());
    xdg_toplevel_set_app_id(mToplevel, "gyrobloom");
    xdg_toplevel_set_fullscreen(mToplevel, output ? output->output : nullptr);
    // No buffer until the compositor has said how big the window is.
    wl_surface_commit(mSurface);
    mConnection.Flush();
}

void SaverWindow::OnToplevelConfigure(void* data, xdg_toplevel*, int32_t width, int32_t height, wl_array*) {
    static_cast<SaverWindow*>(data)->mPendingSize = QSize(width, height);
}

void SaverWindow::OnSurfaceConfigure(void* data, xdg_surface* surface, uint32_t serial) {
    auto* self = static_cast<SaverWindow*>(data);
    xdg_surface_ack_configure(surface, serial);
    // No size: the window's own choice, its monitor.
    QSize size = self->mPendingSize;
    if (size.width() <= 0 || size.height() <= 0) size = QSize(self->mArea.width, self->mArea.height);
    self->mCanvas.Resize(size.expandedTo(QSize(1, 1)), self->mScale);
    self->mConfigured = true;
    self->mShowAll = true;
    self->Present();
}

void SaverWindow::OnToplevelClose(void* data, xdg_toplevel*) {
    static_cast<SaverWindow*>(data)->Forward([](WindowEvents& events) { events.OnCloseRequested(); });
}

}  // namespace

std::unique_ptr<WindowBackend> CreateWaylandSaverWindow(const WindowSpec& spec, WindowEvents& events,
                                                        const UnitScale& scale, QtFramePacer& pacer) {
    if (!spec.fullScreen || qEnvironmentVariableIsSet("GYROBLOOM_RASTER") ||
        qEnvironmentVariableIsSet("GYROBLOOM_QT_WINDOWS"))
        return nullptr;
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) return nullptr;
    Connection* connection = Connection::Get();
    if (!connection) return nullptr;
    // The monitor is one of Qt's screens; the output is found by its name.
    QScreen* screen = QGuiApplication::primaryScreen();
    PixelRect area = spec.monitor;
    if (area.width > 0) {
        const QRect wanted(area.left, area.top, area.width, area.height);
        for (QScreen* candidate : QGuiApplication::screens())
            if (candidate->geometry() == wanted) screen = candidate;
    } else if (screen) {
        const QRect geometry = screen->geometry();
        area = {geometry.x(), geometry.y(), geometry.width(), geometry.height()};
    }
    const std::string connector = screen ? screen->name().toStdString() : std::string();
    return std::make_unique<SaverWindow>(*connection, spec, events, scale, pacer, area, connector);
}

}  // namespace vb
