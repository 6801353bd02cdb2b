#pragma once
// The platform services the program runs on, as one abstract interface, and
// the form runtime's free functions that reach them (Command, DoEvents, End,
// MsgBox, GetSetting, ...). main() installs one backend for the whole run:
// Qt (runtime/qt, the Linux program), Xlib (runtime/x11, the hack the
// screen-saver daemons run) or Win32 (runtime/win32, Gyrobloom.scr) for real,
// headless (runtime/headless) for the tests.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "runtime/base/CppFailure.h"
#include "runtime/base/RandomSource.h"
#include "runtime/base/RuntimeError.h"
#include "runtime/SettingsStore.h"
#include "runtime/WindowBackend.h"

namespace vb {

// The application title: message boxes are captioned with it, and the
// settings live under it.
inline constexpr const char* kAppTitle = "Gyrobloom";


// What the user does on a message box that does not hold the program
// (Platform::ShowMessage). A backend calls these as it calls a window's
// handlers (ForwardToProgram): they may end the run.
class MessageInput {
public:
    virtual ~MessageInput() = default;
    virtual void OnMessageKey() = 0;
    virtual void OnMessageClick() = 0;
    // The pointer's position in desk pixels, the coordinates of a window's
    // geometry.
    virtual void OnMessageMouseMove(double xPx, double yPx) = 0;
};

// A box ShowMessage put up; it closes when this goes.
class MessageWindow {
public:
    virtual ~MessageWindow() = default;
    // Closed by the box's own button or by the window system.
    virtual bool Closed() const = 0;
};

// Told when the desk's monitors came, went or changed.
class MonitorObserver {
public:
    virtual ~MonitorObserver() = default;
    virtual void MonitorsChanged() = 0;
};

// How long a message over an unattended window (WindowSpec::unattended)
// waits for an answer before it closes by itself.
constexpr double kUnattendedMessageMs = 30000;

class Platform {
public:
    virtual ~Platform() = default;

    // The argument text of the command line, without the program's path.
    virtual std::string Command() const = 0;
    // True when another instance of this program is running. The answer is
    // taken once and then kept for the life of the process.
    virtual bool PrevInstance() = 0;
    // Runs the pending window events, handlers included, and presents what
    // was drawn since the last call.
    virtual void DoEvents() = 0;
    // Ends the process at once; never returns.
    [[noreturn]] virtual void End(int exitCode) = 0;
    // A modal box with an OK button, captioned kAppTitle.
    virtual void MsgBox(const std::string& text) = 0;
    // The same box, but it returns at once and holds nothing: the program's
    // windows keep their input while it stands, and what the user does on
    // the box itself goes to input. A backend without such a box shows
    // MsgBox's, answered before this returns.
    virtual std::unique_ptr<MessageWindow> ShowMessage(const std::string& text, MessageInput& input);
    // Milliseconds on a steady clock (the tests script it).
    virtual double NowMs() const;
    // True for a backend whose message boxes are lines on standard error
    // (a program nobody can answer a box in).
    virtual bool MessagesGoToStandardError() const { return false; }
    virtual SettingsStore& Settings() = 0;
    // The character the user's locale writes between the whole and the
    // fractional part of a number.
    virtual char DecimalSeparator() const = 0;
    // A seed taken from the clock, for Randomize: the system clock's
    // nanoseconds folded into 32 bits. The tests replace it.
    virtual std::uint32_t ClockSeed();
    // The screen the program's windows open on.
    virtual ScreenMetrics Screen() const = 0;
    // The desk's monitors in desk pixels (the coordinates of window
    // geometry), the primary first. By default the one screen.
    virtual std::vector<PixelRect> Monitors() const;
    virtual std::unique_ptr<WindowBackend> CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                        const UnitScale& scale) = 0;

    RandomSource& Random() { return mRandom; }
    // A backend calls this when monitors come, go or change; every observer
    // then follows.
    void NotifyMonitorsChanged();
    void Observe(MonitorObserver* observer) { mMonitorObservers.push_back(observer); }
    void Forget(MonitorObserver* observer) { std::erase(mMonitorObservers, observer); }
    // A failure report went up: however the run ends from now on, it failed
    // (End gives status 1 for 0).
    void MarkRunFailed() { mRunFailed = true; }
    bool RunFailed() const { return mRunFailed; }

private:
    RandomSource mRandom;
    bool mRunFailed = false;
    std::vector<MonitorObserver*> mMonitorObservers;
};

// The installed backend. Asserts when none is installed.
Platform& App();
void InstallPlatform(Platform* platform);

// The form runtime's services, as the program calls them.
std::string Command();
bool PrevInstance();
void DoEvents();
[[noreturn]] void End(int exitCode = 0);
// Modal, except while a window that nobody may attend is loaded
// (WindowSpec::unattended): then the box holds nothing. The user's input on
// it reaches that window as if the box were not there (a key as a key, a
// move as a move, a click as a request to close the window), the program's
// windows keep theirs, and with no answer the box closes by itself after
// kUnattendedMessageMs; MsgBox then returns and the run goes on.
void MsgBox(const std::string& text);
std::string GetSetting(const std::string& app, const std::string& section, const std::string& key,
                       const std::string& defaultText);
void SaveSetting(const std::string& app, const std::string& section, const std::string& key,
                 const std::string& text);
void Randomize();
Single Rnd();

// The standard report for an error nobody handled: a message box and the
// same text on standard error (once, where message boxes are written there),
// then the run ends with status 1.
[[noreturn]] void ReportUnhandledError(const RuntimeError& error);

// Runs an entry point or an event's handler; a failure it does not handle
// ends the run with the standard report (RuntimeErrorOf says which error a
// C++ failure is). Anything that is not a std::exception passes on.
template <typename Handler>
void ReportingProgramErrors(Handler&& handler) {
    try {
        handler();
    } catch (const std::exception& failure) {
        ReportUnhandledError(RuntimeErrorOf(failure));
    }
}

// The one way a backend's event handlers (a Qt event, a Win32 window
// procedure) call into the program. No C++ exception may unwind through the
// window system's own frames, so an error the program did not handle ends the
// run with the standard report, exactly as one raised in the animation loop
// does; anything that is not a std::exception is a broken invariant and
// terminates (noexcept).
template <typename Handler>
void ForwardToProgram(Handler&& handler) noexcept {
    ReportingProgramErrors(handler);
}

}  // namespace vb
