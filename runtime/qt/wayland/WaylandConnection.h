#pragma once
// The program's own connection to the Wayland compositor, beside Qt's, for
// windows that are not Qt's (WaylandSaverWindow).
//
// Only the main thread reads it: a QSocketNotifier wakes the program for
// what the compositor says, except while the connection is held (the frame
// pacer's wait for a tick), after which it is read at once. The outputs and
// the registry have a queue of their own, so that looking up an output (a
// roundtrip) runs no window's handlers.
//
// Input goes to the window under the pointer and the window with the
// keyboard focus; a device the seat loses and gets back is asked for again.
// Keys are told by their place on the keyboard (evdev codes), named as on a
// US layout (QtKeyForEvdev).

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/base/VbTypes.h"

class QSocketNotifier;
struct wl_compositor;
struct wl_display;
struct wl_event_queue;
struct wl_keyboard;
struct wl_output;
struct wl_pointer;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wl_surface;
struct xdg_wm_base;

namespace vb {

// The Qt key at an evdev key code on a US layout; 0 for the keys the
// program has no name for.
int QtKeyForEvdev(std::uint32_t code);

class WaylandConnection {
public:
    // A window of the connection's, told the user's input.
    class Window {
    public:
        virtual ~Window() = default;
        virtual wl_surface* WlSurface() const = 0;
        virtual bool BlankCursor() const = 0;
        // These may close the window (and any other).
        virtual void KeyDown(Integer keyCode, Integer shift) = 0;
        virtual void MouseMove(Integer button, Integer shift, double x, double y) = 0;
        virtual void MouseDown(Integer button, Integer shift, double x, double y) = 0;
    };

    struct Output {
        std::uint32_t name = 0;  // the registry's
        wl_output* output = nullptr;
        std::string connector;   // "HEADLESS-1", as Qt names the screen
        int scale = 1;
    };

    // Connects to the compositor of the session; nullptr where there is
    // none, or it offers no xdg-shell, compositor or shared memory.
    static std::unique_ptr<WaylandConnection> Connect();
    ~WaylandConnection();
    WaylandConnection(const WaylandConnection&) = delete;
    WaylandConnection& operator=(const WaylandConnection&) = delete;

    wl_display* Display() const { return mDisplay; }
    wl_compositor* Compositor() const { return mCompositor; }
    wl_shm* Shm() const { return mShm; }
    xdg_wm_base* Shell() const { return mShell; }
    // The output of that connector, looked for again once if not known yet
    // (Qt may have heard of a new output first); nullptr where the
    // compositor gives no names (wl_output before version 4).
    const Output* OutputNamed(const std::string& connector);
    const Output* OutputOf(wl_output* output) const;

    void Add(Window* window) { mWindows.push_back(window); }
    void Remove(Window* window);
    // Reads what the compositor has said and runs its handlers, then sends
    // what is queued. Handlers may close windows.
    void Pump();
    // While held, the connection does not wake the program; released, it
    // is read at once.
    void Hold(bool held);
    void Flush();

private:
    explicit WaylandConnection(wl_display* display);
    Window* WindowOf(wl_surface* surface) const;
    // No image for the pointer over a window that hides it; said again when
    // the outputs change, as the compositor then sets its own.
    void HidePointer();
    void Lost();

    static void OnGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
                         std::uint32_t version);
    static void OnGlobalRemove(void* data, wl_registry* registry, std::uint32_t name);
    static void OnCapabilities(void* data, wl_seat* seat, std::uint32_t capabilities);
    static void OnPointerEnter(void* data, wl_pointer* pointer, std::uint32_t serial, wl_surface* surface, int x,
                               int y);
    static void OnPointerMotion(void* data, wl_pointer* pointer, std::uint32_t time, int x, int y);
    static void OnPointerButton(void* data, wl_pointer* pointer, std::uint32_t serial, std::uint32_t time,
                                std::uint32_t button, std::uint32_t state);
    static void OnKey(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t time,
                      std::uint32_t key, std::uint32_t state);
    static void OnModifiers(void* data, wl_keyboard* keyboard, std::uint32_t serial, std::uint32_t depressed,
                            std::uint32_t latched, std::uint32_t locked, std::uint32_t group);

    wl_display* mDisplay;
    wl_event_queue* mSetupQueue = nullptr;  // the registry's and the outputs'
    wl_registry* mRegistry = nullptr;
    wl_compositor* mCompositor = nullptr;
    wl_shm* mShm = nullptr;
    xdg_wm_base* mShell = nullptr;
    wl_seat* mSeat = nullptr;
    wl_pointer* mPointer = nullptr;
    wl_keyboard* mKeyboard = nullptr;
    std::vector<std::unique_ptr<Output>> mOutputs;
    std::vector<Window*> mWindows;
    std::unique_ptr<QSocketNotifier> mNotifier;
    bool mLost = false;
    // Input: where it goes, and the buttons and modifiers held.
    Window* mPointerFocus = nullptr;
    std::uint32_t mPointerSerial = 0;  // of the pointer's entering mPointerFocus
    Window* mKeyboardFocus = nullptr;
    double mPointerX = 0;
    double mPointerY = 0;
    Integer mButtons = 0;
    Integer mShift = 0;
};

}  // namespace vb
