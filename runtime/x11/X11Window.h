#pragma once
// A drawing window of the X11 backend: either a window the program was
// handed (the screen saver's, or the root window), which it draws into
// without mapping, moving or resizing it, or a window of its own.
//
// Implemented:
//  - a handed window: its size as the geometry, kept up to date from the
//    server's configure notices (OnResized follows); its destruction, or a
//    request on it failing because it is gone, asks the program to close it
//    (OnCloseRequested), and nothing more is sent to it;
//  - an own window: a top-level window with a black background, mapped by
//    Show, whose close box (WM_DELETE_WINDOW) asks the program to close it;
//  - keyboard and pointer input are never selected: they belong to whoever
//    runs the saver.
//  - a rectangle of a handed window (one monitor of the root): drawing is
//    placed and clipped there, and SetGeometry moves it;
// Not implemented: the pointer is not hidden over an own window; a handed
// window's stacking order is its owner's.

#include <X11/Xlib.h>

#include <functional>
#include <memory>

#include "runtime/WindowBackend.h"
#include "runtime/x11/X11Canvas.h"

namespace vb {

class X11Connection;

class X11Window final : public WindowBackend {
public:
    // Draws into an existing window. False from Valid() when the window does
    // not exist.
    X11Window(X11Connection& connection, Window handed, WindowEvents& events, const UnitScale& scale,
              const WindowSpec& spec);
    // Draws into one rectangle of an existing window (a monitor of the root
    // window), which it takes as its geometry; other windows may draw into
    // the rest, and the handed window's notices are theirs.
    X11Window(X11Connection& connection, Window handed, const PixelRect& region, WindowEvents& events,
              const UnitScale& scale, const WindowSpec& spec);
    // Creates a window of its own, widthPx x heightPx, not yet mapped.
    X11Window(X11Connection& connection, int widthPx, int heightPx, WindowEvents& events, const UnitScale& scale,
              const WindowSpec& spec);
    ~X11Window() override;
    X11Window(const X11Window&) = delete;
    X11Window& operator=(const X11Window&) = delete;

    bool Valid() const { return mCanvas != nullptr; }
    Window Id() const { return mWindow; }
    WindowEvents& Events() { return mEvents; }

    void Show() override;
    void SendToBack() override;
    void BringToFront() override;
    PixelRect Geometry() const override { return mGeometry; }
    void SetGeometry(const PixelRect& outer) override;
    Canvas& Surface() override { return *mCanvas; }

    // One event from the server about this window. May end the run (the
    // program's handlers run here).
    void Handle(const XEvent& event);
    // Asks the program to close the window once it is gone, whether the
    // destruction notice came or a request on it failed. True when it did.
    bool CheckGone();
    // Called from the destructor, so that whoever routes notices to the
    // window stops.
    void OnDestroyed(std::function<void(X11Window*)> forget) { mForget = std::move(forget); }

private:
    void Bind(const XWindowAttributes& attributes, const WindowSpec& spec);
    void NoteSize(int widthPx, int heightPx);

    X11Connection& mConnection;
    Display* mDisplay;
    WindowEvents& mEvents;
    UnitScale mScale;
    Window mWindow = 0;
    bool mOwn = false;
    bool mRegion = false;
    bool mGone = false;
    bool mCloseAsked = false;
    Atom mDeleteWindow = 0;
    PixelRect mGeometry;
    std::unique_ptr<X11Canvas> mCanvas;
    std::function<void(X11Window*)> mForget;
};

}  // namespace vb
