#include "runtime/qt/wayland/WaylandConnection.h"

#include <QSocketNotifier>

#include <linux/input-event-codes.h>
#include <poll.h>
#include <unistd.h>
#include <wayland-client.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "runtime/Platform.h"
#include "runtime/WindowBackend.h"
#include "runtime/qt/QtInput.h"
#include "xdg-shell-client-protocol.h"

namespace vb {

int QtKeyForEvdev(std::uint32_t code) {
    static constexpr std::pair<std::uint32_t, const char*> kRows[] = {
        {KEY_1, "1234567890"}, {KEY_Q, "QWERTYUIOP"}, {KEY_A, "ASDFGHJKL"}, {KEY_Z, "ZXCVBNM"}};
    for (const auto& [first, keys] : kRows)
        if (code >= first && code < first + std::strlen(keys)) return keys[code - first];  // Qt::Key_A is 'A'
    if (code >= KEY_F1 && code <= KEY_F10) return int(Qt::Key_F1 + (code - KEY_F1));
    static constexpr std::pair<std::uint32_t, int> kKeys[] = {
        {KEY_F11, Qt::Key_F11},           {KEY_F12, Qt::Key_F12},             {KEY_ESC, Qt::Key_Escape},
        {KEY_BACKSPACE, Qt::Key_Backspace}, {KEY_TAB, Qt::Key_Tab},           {KEY_ENTER, Qt::Key_Return},
        {KEY_KPENTER, Qt::Key_Enter},     {KEY_LEFTSHIFT, Qt::Key_Shift},     {KEY_RIGHTSHIFT, Qt::Key_Shift},
        {KEY_LEFTCTRL, Qt::Key_Control},  {KEY_RIGHTCTRL, Qt::Key_Control},   {KEY_LEFTALT, Qt::Key_Alt},
        {KEY_RIGHTALT, Qt::Key_AltGr},    {KEY_SPACE, Qt::Key_Space},         {KEY_CAPSLOCK, Qt::Key_CapsLock},
        {KEY_PAGEUP, Qt::Key_PageUp},     {KEY_PAGEDOWN, Qt::Key_PageDown},   {KEY_END, Qt::Key_End},
        {KEY_HOME, Qt::Key_Home},         {KEY_LEFT, Qt::Key_Left},           {KEY_UP, Qt::Key_Up},
        {KEY_RIGHT, Qt::Key_Right},       {KEY_DOWN, Qt::Key_Down},           {KEY_INSERT, Qt::Key_Insert},
        {KEY_DELETE, Qt::Key_Delete},     {KEY_LEFTMETA, Qt::Key_Super_L},    {KEY_RIGHTMETA, Qt::Key_Super_R},
        {KEY_COMPOSE, Qt::Key_Menu},      {KEY_NUMLOCK, Qt::Key_NumLock},     {KEY_SCROLLLOCK, Qt::Key_ScrollLock},
        {KEY_PAUSE, Qt::Key_Pause},       {KEY_SYSRQ, Qt::Key_Print},         {KEY_SEMICOLON, Qt::Key_Semicolon},
        {KEY_COMMA, Qt::Key_Comma},
    };
    for (const auto& [key, qt] : kKeys)
        if (key == code) return qt;
    return 0;
}

std::unique_ptr<WaylandConnection> WaylandConnection::Connect() {
    wl_display* display = wl_display_connect(nullptr);
    if (!display) return nullptr;
    std::unique_ptr<WaylandConnection> made(new WaylandConnection(display));
    if (made->mLost || !made->mCompositor || !made->mShm || !made->mShell) return nullptr;
    return made;
}

WaylandConnection::WaylandConnection(wl_display* display) : mDisplay(display) {
    static constexpr wl_registry_listener kRegistry = {OnGlobal, OnGlobalRemove};
    mSetupQueue = wl_display_create_queue(mDisplay);
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(mDisplay));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), mSetupQueue);
    mRegistry = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    wl_registry_add_listener(mRegistry, &kRegistry, this);
    // The globals, then what they say of themselves (the outputs' names).
    if (wl_display_roundtrip_queue(mDisplay, mSetupQueue) < 0 || wl_display_roundtrip_queue(mDisplay, mSetupQueue) < 0)
        mLost = true;
    mNotifier = std::make_unique<QSocketNotifier>(wl_display_get_fd(mDisplay), QSocketNotifier::Read);
    QObject::connect(mNotifier.get(), &QSocketNotifier::activated, mNotifier.get(), [this] { Pump(); });
}

WaylandConnection::~WaylandConnection() {
    mNotifier.reset();
    if (mKeyboard) wl_keyboard_destroy(mKeyboard);
    if (mPointer) wl_pointer_destroy(mPointer);
    for (const auto& output : mOutputs) wl_output_destroy(output->output);
    if (mSeat) wl_seat_destroy(mSeat);
    if (mShell) xdg_wm_base_destroy(mShell);
    if (mShm) wl_shm_destroy(mShm);
    if (mCompositor) wl_compositor_destroy(mCompositor);
    if (mRegistry) wl_registry_destroy(mRegistry);
    wl_display_flush(mDisplay);
    wl_event_queue_destroy(mSetupQueue);
    wl_display_disconnect(mDisplay);
}

void WaylandConnection::OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                                 std::uint32_t version) {
    auto* self = static_cast<WaylandConnection*>(data);
    // Bound on the registry's queue; all but the outputs then go to the
    // main one, where the windows' handlers run.
    auto bind = [&](const wl_interface& wanted, std::uint32_t most, bool main = true) {
        void* proxy = wl_registry_bind(registry, name, &wanted, std::min(version, most));
        if (main) wl_proxy_set_queue(static_cast<wl_proxy*>(proxy), nullptr);
        return proxy;
    };
    if (std::strcmp(interface, wl_compositor_interface.name) == 0 && !self->mCompositor) {
        self->mCompositor = static_cast<wl_compositor*>(bind(wl_compositor_interface, 4));
    } else if (std::strcmp(interface, wl_shm_interface.name) == 0 && !self->mShm) {
        self->mShm = static_cast<wl_shm*>(bind(wl_shm_interface, 1));
    } else if (std::strcmp(interface, xdg_wm_base_interface.name) == 0 && !self->mShell) {
        self->mShell = static_cast<xdg_wm_base*>(bind(xdg_wm_base_interface, 1));
        static constexpr xdg_wm_base_listener kShell = {
            [](void*, xdg_wm_base* shell, std::uint32_t serial) { xdg_wm_base_pong(shell, serial); }};
        xdg_wm_base_add_listener(self->mShell, &kShell, self);
    } else if (std::strcmp(interface, wl_seat_interface.name) == 0 && !self->mSeat) {
        self->mSeat = static_cast<wl_seat*>(bind(wl_seat_interface, 5));
        static constexpr wl_seat_listener kSeat = {OnCapabilities, [](void*, wl_seat*, const char*) {}};
        wl_seat_add_listener(self->mSeat, &kSeat, self);
    } else if (std::strcmp(interface, wl_output_interface.name) == 0) {
        auto output = std::make_unique<Output>();
        output->name = name;
        output->output = static_cast<wl_output*>(bind(wl_output_interface, 4, false));
        static constexpr wl_output_listener kOutput = {
            [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*, const char*, int32_t) {},
            [](void*, wl_output*, std::uint32_t, int32_t, int32_t, int32_t) {},
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

void WaylandConnection::OnGlobalRemove(void* data, wl_registry*, std::uint32_t name) {
    auto* self = static_cast<WaylandConnection*>(data);
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

void WaylandConnection::OnCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities) {
    auto* self = static_cast<WaylandConnection*>(data);
    const bool release = wl_proxy_get_version(reinterpret_cast<wl_proxy*>(seat)) >= WL_POINTER_RELEASE_SINCE_VERSION;
    // A device the seat no longer has is let go, so that one coming back is
    // asked for again (a keyboard asleep, a switch between machines).
    if (!(capabilities & WL_SEAT_CAPABILITY_POINTER) && self->mPointer) {
        release ? wl_pointer_release(self->mPointer) : wl_pointer_destroy(self->mPointer);
        self->mPointer = nullptr;
        self->mPointerFocus = nullptr;
        self->mButtons = 0;
    }
    if (!(capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && self->mKeyboard) {
        release ? wl_keyboard_release(self->mKeyboard) : wl_keyboard_destroy(self->mKeyboard);
        self->mKeyboard = nullptr;
        self->mKeyboardFocus = nullptr;
        self->mShift = 0;
    }
    if ((capabilities & WL_SEAT_CAPABILITY_POINTER) && !self->mPointer) {
        self->mPointer = wl_seat_get_pointer(seat);
        static constexpr wl_pointer_listener kPointer = {
            OnPointerEnter,
            [](void* data, wl_pointer*, std::uint32_t, wl_surface*) {
                static_cast<WaylandConnection*>(data)->mPointerFocus = nullptr;
            },
            OnPointerMotion,
            OnPointerButton,
            [](void*, wl_pointer*, std::uint32_t, std::uint32_t, wl_fixed_t) {},
            [](void*, wl_pointer*) {},
            [](void*, wl_pointer*, std::uint32_t) {},
            [](void*, wl_pointer*, std::uint32_t, std::uint32_t) {},
            [](void*, wl_pointer*, std::uint32_t, int32_t) {},
            [](void*, wl_pointer*, std::uint32_t, int32_t) {},
        };
        wl_pointer_add_listener(self->mPointer, &kPointer, self);
    }
    if ((capabilities & WL_SEAT_CAPABILITY_KEYBOARD) && !self->mKeyboard) {
        self->mKeyboard = wl_seat_get_keyboard(seat);
        static constexpr wl_keyboard_listener kKeyboard = {
            [](void*, wl_keyboard*, std::uint32_t, int32_t fd, std::uint32_t) { close(fd); },
            [](void* data, wl_keyboard*, std::uint32_t, wl_surface* surface, wl_array*) {
                auto* self = static_cast<WaylandConnection*>(data);
                self->mKeyboardFocus = self->WindowOf(surface);
            },
            [](void* data, wl_keyboard*, std::uint32_t, wl_surface*) {
                static_cast<WaylandConnection*>(data)->mKeyboardFocus = nullptr;
            },
            OnKey,
            OnModifiers,
            [](void*, wl_keyboard*, int32_t, int32_t) {},
        };
        wl_keyboard_add_listener(self->mKeyboard, &kKeyboard, self);
    }
}

WaylandConnection::Window* WaylandConnection::WindowOf(wl_surface* surface) const {
    for (Window* window : mWindows)
        if (surface && window->WlSurface() == surface) return window;
    return nullptr;
}

const WaylandConnection::Output* WaylandConnection::OutputOf(wl_output* output) const {
    for (const auto& known : mOutputs)
        if (known->output == output) return known.get();
    return nullptr;
}

const WaylandConnection::Output* WaylandConnection::OutputNamed(const std::string& connector) {
    auto find = [&]() -> const Output* {
        for (const auto& output : mOutputs)
            if (output->connector == connector) return output.get();
        return nullptr;
    };
    // Only the registry's and the outputs' events run here.
    if (!find() && !mLost) {
        wl_display_roundtrip_queue(mDisplay, mSetupQueue);
        wl_display_roundtrip_queue(mDisplay, mSetupQueue);
    }
    return find();
}

void WaylandConnection::Remove(Window* window) {
    std::erase(mWindows, window);
    if (mPointerFocus == window) mPointerFocus = nullptr;
    if (mKeyboardFocus == window) mKeyboardFocus = nullptr;
}

void WaylandConnection::HidePointer() {
    if (mPointer && mPointerFocus && mPointerFocus->BlankCursor())
        wl_pointer_set_cursor(mPointer, mPointerSerial, nullptr, 0, 0);
}

void WaylandConnection::OnPointerEnter(void* data, wl_pointer*, std::uint32_t serial, wl_surface* surface, int x,
                                       int y) {
    auto* self = static_cast<WaylandConnection*>(data);
    self->mPointerFocus = self->WindowOf(surface);
    self->mPointerSerial = serial;
    self->mPointerX = wl_fixed_to_double(x);
    self->mPointerY = wl_fixed_to_double(y);
    self->HidePointer();
}

void WaylandConnection::OnPointerMotion(void* data, wl_pointer*, std::uint32_t, int x, int y) {
    auto* self = static_cast<WaylandConnection*>(data);
    self->mPointerX = wl_fixed_to_double(x);
    self->mPointerY = wl_fixed_to_double(y);
    if (self->mPointerFocus) self->mPointerFocus->MouseMove(self->mButtons, self->mShift, self->mPointerX, self->mPointerY);
}

void WaylandConnection::OnPointerButton(void* data, wl_pointer*, std::uint32_t, std::uint32_t, std::uint32_t button,
                                        std::uint32_t state) {
    auto* self = static_cast<WaylandConnection*>(data);
    const Integer bit = button == BTN_LEFT     ? kLeftButton
                        : button == BTN_RIGHT  ? kRightButton
                        : button == BTN_MIDDLE ? kMiddleButton
                                               : 0;
    if (state != WL_POINTER_BUTTON_STATE_PRESSED) {
        self->mButtons &= ~bit;
        return;
    }
    self->mButtons |= bit;
    if (self->mPointerFocus && bit) self->mPointerFocus->MouseDown(bit, self->mShift, self->mPointerX, self->mPointerY);
}

void WaylandConnection::OnKey(void* data, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t key,
                              std::uint32_t state) {
    auto* self = static_cast<WaylandConnection*>(data);
    if (state != WL_KEYBOARD_KEY_STATE_PRESSED || !self->mKeyboardFocus) return;
    const int qtKey = QtKeyForEvdev(key);
    self->mKeyboardFocus->KeyDown(VirtualKeyFor(qtKey), ShiftStateOfPress(qtKey, self->mShift));
}

void WaylandConnection::OnModifiers(void* data, wl_keyboard*, std::uint32_t, std::uint32_t depressed, std::uint32_t,
                                    std::uint32_t, std::uint32_t) {
    // The usual keymaps' modifier bits: Shift, Lock, Control, Mod1 (Alt).
    Integer shift = 0;
    if (depressed & 1) shift |= kShiftMask;
    if (depressed & 4) shift |= kCtrlMask;
    if (depressed & 8) shift |= kAltMask;
    static_cast<WaylandConnection*>(data)->mShift = shift;
}

void WaylandConnection::Pump() {
    if (mLost) return;
    while (wl_display_prepare_read(mDisplay) != 0) {
        if (wl_display_dispatch_pending(mDisplay) < 0) return Lost();
    }
    wl_display_flush(mDisplay);
    pollfd ready{wl_display_get_fd(mDisplay), POLLIN, 0};
    if (poll(&ready, 1, 0) > 0) {
        if (wl_display_read_events(mDisplay) < 0) return Lost();
    } else {
        wl_display_cancel_read(mDisplay);
    }
    if (wl_display_dispatch_queue_pending(mDisplay, mSetupQueue) < 0 || wl_display_dispatch_pending(mDisplay) < 0)
        return Lost();
    wl_display_flush(mDisplay);
}

void WaylandConnection::Flush() {
    if (!mLost) wl_display_flush(mDisplay);
}

void WaylandConnection::Hold(bool held) {
    if (mLost || !mNotifier || mNotifier->isEnabled() != held) return;
    mNotifier->setEnabled(!held);
    if (!held) Pump();
}

void WaylandConnection::Lost() {
    mLost = true;
    if (mNotifier) mNotifier->setEnabled(false);
    // The saver's windows are gone with it: the run ends with the report.
    ForwardToProgram([] { throw std::runtime_error("The connection to the Wayland compositor was lost."); });
}

}  // namespace vb
