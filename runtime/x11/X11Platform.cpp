#include "runtime/x11/X11Platform.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xrandr.h>
#include <langinfo.h>
#include <locale.h>
#include <poll.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "runtime/base/RuntimeError.h"
#include "runtime/x11/X11Window.h"

namespace vb {
namespace {

constexpr double kDefaultDpi = 96;
// A daemon's window fills the screen; the trial window is a quarter of it.
constexpr int kOwnWindowDivisor = 2;
// The display's refresh rate is not asked for: FrameClock's default.
constexpr double kRefreshHz = 60;

char LocaleDecimalSeparator() {
    locale_t locale = newlocale(LC_NUMERIC_MASK, "", locale_t(0));
    if (!locale) return '.';
    const char* point = nl_langinfo_l(RADIXCHAR, locale);
    // Settings text is ASCII; a separator that is not reads and writes
    // numbers with '.'.
    const char separator = point && point[0] && !(point[0] & 0x80) && !point[1] ? point[0] : '.';
    freelocale(locale);
    return separator;
}

// The monitors of a root window, the primary first; none when the window
// is not a root or the server has no monitor list.
std::vector<PixelRect> RootMonitors(Display* display, Window window) {
    std::vector<PixelRect> monitors;
    Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return monitors;
    if (children) XFree(children);
    int event = 0, error = 0, major = 0, minor = 0;
    if (root != window || !XRRQueryExtension(display, &event, &error) || !XRRQueryVersion(display, &major, &minor) ||
        major * 100 + minor < 105)
        return monitors;
    int found = 0;
    XRRMonitorInfo* info = XRRGetMonitors(display, window, True, &found);
    for (int i = 0; i < found; ++i) {
        const PixelRect rect{info[i].x, info[i].y, info[i].width, info[i].height};
        if (info[i].primary)
            monitors.insert(monitors.begin(), rect);
        else
            monitors.push_back(rect);
    }
    if (info) XRRFreeMonitors(info);
    return monitors;
}

bool SameMonitors(const std::vector<PixelRect>& a, const std::vector<PixelRect>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const PixelRect& x, const PixelRect& y) {
        return x.left == y.left && x.top == y.top && x.width == y.width && x.height == y.height;
    });
}

constexpr double kMonitorPollMs = 1000;

double XftDpi(Display* display) {
    const char* text = XGetDefault(display, "Xft", "dpi");
    if (!text) return kDefaultDpi;
    const double dpi = std::atof(text);
    return dpi > 0 ? dpi : kDefaultDpi;
}

}  // namespace

std::unique_ptr<X11Platform> X11Platform::Open(const std::string& programName, const X11Target& target,
                                               std::unique_ptr<SettingsStore> settings, std::string& error) {
    auto connection = X11Connection::Open(programName, error);
    if (!connection) return nullptr;
    Display* display = connection->Get();
    X11Target resolved = target;
    if (resolved.kind == X11Target::Kind::Handed) {
        if (resolved.window == 0) resolved.window = DefaultRootWindow(display);
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, resolved.window, &attributes) || connection->Gone(resolved.window)) {
            char id[32];
            std::snprintf(id, sizeof id, "0x%lx", resolved.window);
            error = std::string("no window ") + id + " on display " + DisplayString(display);
            return nullptr;
        }
    }
    return std::unique_ptr<X11Platform>(
        new X11Platform(programName, resolved, std::move(connection), std::move(settings)));
}

X11Platform::X11Platform(std::string programName, X11Target target, std::unique_ptr<X11Connection> connection,
                         std::unique_ptr<SettingsStore> settings)
    : mProgramName(std::move(programName)), mTarget(target), mConnection(std::move(connection)),
      mSettings(std::move(settings)), mClock(kRefreshHz), mStart(std::chrono::steady_clock::now()),
      mDecimalSeparator(LocaleDecimalSeparator()) {
    Display* display = mConnection->Get();
    const int screen = DefaultScreen(display);
    mScreen.widthPx = DisplayWidth(display, screen);
    mScreen.heightPx = DisplayHeight(display, screen);
    if (mTarget.kind == X11Target::Kind::Handed) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, mTarget.window, &attributes)) {
            mScreen.widthPx = std::max(mScreen.widthPx, attributes.width);
            mScreen.heightPx = std::max(mScreen.heightPx, attributes.height);
        }
    }
    mScreen.twipsPerPixel = kTwipsPerInch / XftDpi(display);
    mScreen.devicePixelRatio = 1;
    if (mTarget.kind == X11Target::Kind::Handed) mMonitors = RootMonitors(display, mTarget.window);
    if (!mMonitors.empty()) {
        mScreen.widthPx = mMonitors.front().width;
        mScreen.heightPx = mMonitors.front().height;
    }
    mMonitorsReadMs = NowMs();
}

std::vector<PixelRect> X11Platform::Monitors() const { return mMonitors.empty() ? Platform::Monitors() : mMonitors; }

void X11Platform::FollowMonitors() {
    if (mMonitors.empty() || NowMs() - mMonitorsReadMs < kMonitorPollMs) return;
    mMonitorsReadMs = NowMs();
    std::vector<PixelRect> now = RootMonitors(mConnection->Get(), mTarget.window);
    if (now.empty() || SameMonitors(now, mMonitors)) return;
    mMonitors = std::move(now);
    Guarded([this] { NotifyMonitorsChanged(); });
}

X11Platform::~X11Platform() = default;

double X11Platform::NowMs() const {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - mStart).count();
}

template <typename Handler>
void X11Platform::Guarded(Handler&& handler) {
    // The program's handlers run here as they would inside any other yield;
    // an error none of them handles ends the run with the standard report.
    ReportingProgramErrors(handler);
}

void X11Platform::DoEvents() {
    Display* display = mConnection->Get();
    // Notices Xlib has read already wait in its queue; new ones make the
    // connection readable while the loop waits below.
    Dispatch(false);
    FollowMonitors();
    XFlush(display);
    const double tick = mClock.ClaimNextTick(NowMs());
    for (;;) {
        const double now = NowMs();
        if (now >= tick) return;
        pollfd fds[2] = {{mConnection->Fd(), POLLIN, 0}, {mStopSignals.Fd(), POLLIN, 0}};
        poll(fds, mStopSignals.Fd() >= 0 ? 2 : 1, int(std::ceil(tick - now)));
        Dispatch((fds[0].revents & (POLLIN | POLLHUP | POLLERR)) != 0);
        XFlush(display);
    }
}

void X11Platform::Dispatch(bool connectionReadable) {
    if (mStopSignals.Requested()) Stop();
    Display* display = mConnection->Get();
    // Reading the connection costs system calls; it is read only when the
    // server sent something.
    const int queued = connectionReadable ? XPending(display) : XEventsQueued(display, QueuedAlready);
    for (int n = queued; n > 0; n = XEventsQueued(display, QueuedAlready)) {
        XEvent event;
        XNextEvent(display, &event);
        Route(event);
    }
    // A copy: a window's handler may unload it.
    const std::vector<X11Window*> windows = mWindows;
    for (X11Window* window : windows) {
        if (std::find(mWindows.begin(), mWindows.end(), window) == mWindows.end()) continue;
        Guarded([window] { window->CheckGone(); });
    }
}

void X11Platform::Route(const XEvent& event) {
    for (X11Window* window : mWindows) {
        if (window->Id() != event.xany.window) continue;
        Guarded([window, &event] { window->Handle(event); });
        return;  // the list may have changed
    }
}

void X11Platform::Stop() {
    // Each window's owner decides how its run ends (the saver releases its
    // meter first); the run ends here if none of them ended it.
    while (!mWindows.empty()) {
        X11Window* window = mWindows.front();
        Guarded([window] { window->Events().OnCloseRequested(); });
        if (!mWindows.empty() && mWindows.front() == window) break;
    }
    End(0);
}

void X11Platform::End(int exitCode) {
    std::fflush(nullptr);
    std::_Exit(exitCode);
}

void X11Platform::MsgBox(const std::string& text) {
    if (!mShownMessages.insert(text).second) return;
    std::fprintf(stderr, "%s: %s\n", mProgramName.c_str(), text.c_str());
    std::fflush(stderr);
}

std::unique_ptr<WindowBackend> X11Platform::CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                         const UnitScale& scale) {
    // The hack has no dialogs: its settings are edited by the settings
    // program.
    if (spec.dialog) Raise(kErrInvalidCall);
    std::unique_ptr<X11Window> window;
    if (mTarget.kind == X11Target::Kind::Handed && !mMonitors.empty())
        window = std::make_unique<X11Window>(*mConnection, Window(mTarget.window),
                                             spec.monitor.width > 0 ? spec.monitor : mMonitors.front(), events,
                                             scale, spec);
    else if (mTarget.kind == X11Target::Kind::Handed)
        window = std::make_unique<X11Window>(*mConnection, Window(mTarget.window), events, scale, spec);
    else
        window = std::make_unique<X11Window>(*mConnection, mScreen.widthPx / kOwnWindowDivisor,
                                             mScreen.heightPx / kOwnWindowDivisor, events, scale, spec);
    if (!window->Valid()) Raise(kErrObjectNotSet);
    mWindows.push_back(window.get());
    window->OnDestroyed([this](X11Window* gone) { std::erase(mWindows, gone); });
    return window;
}

}  // namespace vb
