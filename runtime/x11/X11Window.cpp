#include "runtime/x11/X11Window.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>

#include "runtime/x11/X11Connection.h"

namespace vb {

X11Window::X11Window(X11Connection& connection, Window handed, WindowEvents& events, const UnitScale& scale,
                     const WindowSpec& spec)
    : mConnection(connection), mDisplay(connection.Get()), mEvents(events), mScale(scale), mWindow(handed) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mDisplay, mWindow, &attributes) || mConnection.Gone(mWindow)) return;
    // Only structure notices: size changes and destruction.
    XSelectInput(mDisplay, mWindow, StructureNotifyMask);
    Bind(attributes, spec);
}

X11Window::X11Window(X11Connection& connection, Window handed, const PixelRect& region, WindowEvents& events,
                     const UnitScale& scale, const WindowSpec& spec)
    : mConnection(connection), mDisplay(connection.Get()), mEvents(events), mScale(scale), mWindow(handed),
      mRegion(true) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(mDisplay, mWindow, &attributes) || mConnection.Gone(mWindow)) return;
    Bind(attributes, spec);
    SetGeometry(region);
}

X11Window::X11Window(X11Connection& connection, int widthPx, int heightPx, WindowEvents& events,
                     const UnitScale& scale, const WindowSpec& spec)
    : mConnection(connection), mDisplay(connection.Get()), mEvents(events), mScale(scale), mOwn(true) {
    const int screen = DefaultScreen(mDisplay);
    XSetWindowAttributes set;
    set.background_pixel = BlackPixel(mDisplay, screen);
    set.event_mask = StructureNotifyMask;
    mWindow = XCreateWindow(mDisplay, RootWindow(mDisplay, screen), 0, 0, unsigned(std::max(widthPx, 1)),
                            unsigned(std::max(heightPx, 1)), 0, CopyFromParent, InputOutput, CopyFromParent,
                            CWBackPixel | CWEventMask, &set);
    const char* title = spec.caption.empty() ? "Gyrobloom" : spec.caption.c_str();
    XStoreName(mDisplay, mWindow, title);
    mDeleteWindow = XInternAtom(mDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(mDisplay, mWindow, &mDeleteWindow, 1);
    XWindowAttributes attributes;
    XGetWindowAttributes(mDisplay, mWindow, &attributes);
    Bind(attributes, spec);
}

void X11Window::Bind(const XWindowAttributes& attributes, const WindowSpec& spec) {
    mGeometry = {attributes.x, attributes.y, attributes.width, attributes.height};
    mCanvas = std::make_unique<X11Canvas>(mDisplay, mWindow, attributes.visual, attributes.colormap, mScale,
                                          spec.backColor);
    mCanvas->Resize(attributes.width, attributes.height);
}

X11Window::~X11Window() {
    if (mForget) mForget(this);
    mCanvas.reset();
    if (!mWindow || mGone || mConnection.Gone(mWindow)) return;
    if (mOwn)
        XDestroyWindow(mDisplay, mWindow);
    else if (!mRegion)
        XSelectInput(mDisplay, mWindow, NoEventMask);
    XFlush(mDisplay);
}

void X11Window::Show() {
    if (mOwn && !mGone) XMapRaised(mDisplay, mWindow);
}

void X11Window::SendToBack() {
    if (mOwn && !mGone) XLowerWindow(mDisplay, mWindow);
}

void X11Window::BringToFront() {
    if (mOwn && !mGone) XRaiseWindow(mDisplay, mWindow);
}

void X11Window::SetGeometry(const PixelRect& outer) {
    if (mRegion) {
        mGeometry = outer;
        mCanvas->Place(outer.left, outer.top, outer.width, outer.height);
        return;
    }
    // A handed window's size is its owner's to choose.
    if (!mOwn || mGone) return;
    XMoveResizeWindow(mDisplay, mWindow, outer.left, outer.top, unsigned(std::max(outer.width, 1)),
                      unsigned(std::max(outer.height, 1)));
    mGeometry = outer;
    mCanvas->Resize(outer.width, outer.height);
}

void X11Window::NoteSize(int widthPx, int heightPx) {
    if (widthPx == mGeometry.width && heightPx == mGeometry.height) return;
    mGeometry.width = widthPx;
    mGeometry.height = heightPx;
    mCanvas->Resize(widthPx, heightPx);
    mEvents.OnResized();
}

void X11Window::Handle(const XEvent& event) {
    switch (event.type) {
    case ConfigureNotify:
        // A monitor's rectangle follows the monitors, not the window.
        if (mRegion) break;
        mGeometry.left = event.xconfigure.x;
        mGeometry.top = event.xconfigure.y;
        NoteSize(event.xconfigure.width, event.xconfigure.height);
        break;
    case DestroyNotify:
        if (event.xdestroywindow.window == mWindow) {
            mGone = true;
            CheckGone();
        }
        break;
    case ClientMessage:
        if (mOwn && Atom(event.xclient.data.l[0]) == mDeleteWindow) mEvents.OnCloseRequested();
        break;
    default:
        break;
    }
}

bool X11Window::CheckGone() {
    if (mConnection.Gone(mWindow)) mGone = true;
    if (!mGone || mCloseAsked) return false;
    mCloseAsked = true;
    mEvents.OnCloseRequested();
    return true;
}

}  // namespace vb
