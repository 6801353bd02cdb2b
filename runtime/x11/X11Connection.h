#pragma once
// The program's connection to the X server, and what the server reports back
// about requests that failed.
//
// Xlib ends the process on any protocol error unless told otherwise. Here a
// request on a window or drawable that no longer exists (the window the
// saver was given, destroyed by its owner before the program heard of it) is
// noted instead, so that the window's owner can end the run in order; any
// other error is reported on standard error, once per kind, and the run goes
// on. Losing the connection itself ends the process with status 1.
//
// Xlib calls its error handlers without user data, so the one open
// connection is reachable through a program-wide pointer while it lives.

#include <X11/Xlib.h>

#include <memory>
#include <set>
#include <string>
#include <utility>

namespace vb {

class X11Connection final {
public:
    // The display named by $DISPLAY; nothing, and the reason in `error`,
    // when there is none to open.
    static std::unique_ptr<X11Connection> Open(const std::string& programName, std::string& error);
    ~X11Connection();
    X11Connection(const X11Connection&) = delete;
    X11Connection& operator=(const X11Connection&) = delete;

    Display* Get() const { return mDisplay; }
    int Fd() const { return ConnectionNumber(mDisplay); }

    // True when a request on this resource failed because it does not exist.
    bool Gone(XID resource) const { return mGone.count(resource) != 0; }

private:
    X11Connection(Display* display, std::string programName);
    static int OnError(Display* display, XErrorEvent* event);
    [[noreturn]] static int OnConnectionLost(Display* display);

    Display* mDisplay;
    std::string mProgramName;
    std::set<XID> mGone;
    std::set<std::pair<int, int>> mReported;  // error code, request code
};

}  // namespace vb
