#include "runtime/x11/X11Connection.h"

#include <X11/Xproto.h>

#include <cassert>
#include <cstdio>
#include <cstdlib>

namespace vb {
namespace {
X11Connection* gConnection = nullptr;
}  // namespace

std::unique_ptr<X11Connection> X11Connection::Open(const std::string& programName, std::string& error) {
    assert(!gConnection && "one X connection at a time");
    const char* name = std::getenv("DISPLAY");
    if (!name || !*name) {
        error = "no display to draw on (DISPLAY is not set)";
        return nullptr;
    }
    Display* display = XOpenDisplay(name);
    if (!display) {
        error = std::string("cannot open display ") + name;
        return nullptr;
    }
    return std::unique_ptr<X11Connection>(new X11Connection(display, programName));
}

X11Connection::X11Connection(Display* display, std::string programName)
    : mDisplay(display), mProgramName(std::move(programName)) {
    gConnection = this;
    XSetErrorHandler(OnError);
    XSetIOErrorHandler(OnConnectionLost);
}

X11Connection::~X11Connection() {
    XCloseDisplay(mDisplay);
    XSetErrorHandler(nullptr);
    XSetIOErrorHandler(nullptr);
    gConnection = nullptr;
}

int X11Connection::OnError(Display*, XErrorEvent* event) {
    X11Connection* self = gConnection;
    if (!self) return 0;
    if (event->error_code == BadWindow || event->error_code == BadDrawable) {
        self->mGone.insert(event->resourceid);
        return 0;
    }
    if (self->mReported.insert({event->error_code, event->request_code}).second) {
        char text[160] = "";
        XGetErrorText(self->mDisplay, event->error_code, text, sizeof text);
        std::fprintf(stderr, "%s: X error: %s (request %d)\n", self->mProgramName.c_str(), text,
                     int(event->request_code));
    }
    return 0;
}

int X11Connection::OnConnectionLost(Display*) {
    const char* name = gConnection ? gConnection->mProgramName.c_str() : "gyrobloom";
    std::fprintf(stderr, "%s: lost the connection to the X server\n", name);
    std::fflush(nullptr);
    std::_Exit(1);
}

}  // namespace vb
