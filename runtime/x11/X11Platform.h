#pragma once
// The screen-saver hack's backend of the form runtime: plain Xlib, no
// toolkit, for a program that a screen-saver daemon starts on the window it
// blanks the screen with.
//
// Implemented:
//  - Command: "/s", always: the hack is the saver and nothing else;
//  - PrevInstance: false, always: a daemon runs one saver per screen and
//    starts the next before the last has gone;
//  - DoEvents: runs the server's pending notices (size changes, destruction,
//    close box), then waits for the next frame tick (FrameClock, 60 a
//    second) on the X connection and the stop signals together, so that a
//    signal or a notice is handled as soon as it comes;
//  - a stop request (SIGTERM, SIGINT) or the destruction of the window asks
//    the window to close (its owner ends the run in order), and ends the
//    run if it does not;
//  - End: flushes standard output and error and exits at once;
//  - MsgBox: the text on standard error, "<program>: <text>", once per
//    distinct text: nobody is there to click a box while the screen is
//    blanked;
//  - Settings: the store handed in; DecimalSeparator from the user's locale
//    (LC_NUMERIC);
//  - Screen: the size of the X screen, or of the handed window when that is
//    larger (several monitors under one window), at 1440 / Xft.dpi twips a
//    pixel (96 DPI when unset);
//  - CreateWindow: drawing windows on the target (X11Window); on a root
//    window, each covers one monitor of it (Monitors);
// Not implemented: dialogs (the hack has none; the settings are edited in
// "gyrobloom /c"); pacing to the display's actual refresh rate.

#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "runtime/Platform.h"
#include "runtime/FrameClock.h"
#include "runtime/x11/StopSignals.h"
#include "runtime/x11/X11Connection.h"

namespace vb {

class X11Window;

// Where the hack draws.
struct X11Target {
    enum class Kind {
        Handed,  // an existing window: `window`, or the root window when 0
        Own,     // a window of its own, for trying the saver out
    };
    Kind kind = Kind::Own;
    unsigned long window = 0;
};

class X11Platform final : public Platform {
public:
    // Connects to $DISPLAY and checks the target; nothing, and the reason in
    // `error`, when there is no display or no such window.
    static std::unique_ptr<X11Platform> Open(const std::string& programName, const X11Target& target,
                                             std::unique_ptr<SettingsStore> settings, std::string& error);
    ~X11Platform() override;

    std::string Command() const override { return "/s"; }
    bool PrevInstance() override { return false; }
    void DoEvents() override;
    [[noreturn]] void End(int exitCode) override;
    void MsgBox(const std::string& text) override;
    bool MessagesGoToStandardError() const override { return true; }
    SettingsStore& Settings() override { return *mSettings; }
    char DecimalSeparator() const override { return mDecimalSeparator; }
    ScreenMetrics Screen() const override { return mScreen; }
    // On a root window, the monitors the server reports (RandR), the primary
    // first: the saver draws one picture on each. Otherwise the one target.
    std::vector<PixelRect> Monitors() const override;
    double NowMs() const override;
    std::unique_ptr<WindowBackend> CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                const UnitScale& scale) override;

    // The window a handed target resolves to (the root window for 0).
    unsigned long TargetWindow() const { return mTarget.window; }

private:
    X11Platform(std::string programName, X11Target target, std::unique_ptr<X11Connection> connection,
                std::unique_ptr<SettingsStore> settings);

    // Reads the monitors again (once a second at most) and tells the program
    // when they changed.
    void FollowMonitors();
    // Runs what came in: a stop request, the server's notices (read from
    // the connection when it is readable, else those already queued),
    // windows found gone.
    void Dispatch(bool connectionReadable);
    void Route(const XEvent& event);
    [[noreturn]] void Stop();
    template <typename Handler>
    void Guarded(Handler&& handler);

    std::string mProgramName;
    X11Target mTarget;
    std::unique_ptr<X11Connection> mConnection;
    std::unique_ptr<SettingsStore> mSettings;
    StopSignals mStopSignals;
    FrameClock mClock;
    std::chrono::steady_clock::time_point mStart;
    ScreenMetrics mScreen;
    char mDecimalSeparator = '.';
    std::vector<X11Window*> mWindows;
    // The root's monitors; none for any other target, or without RandR.
    std::vector<PixelRect> mMonitors;
    double mMonitorsReadMs = 0;
    std::set<std::string> mShownMessages;
};

}  // namespace vb
