#pragma once
// The Windows backend of the form runtime, on Win32 and GDI.
//
// Implemented:
//  - Command: the command line after the program's path, as the screen-saver
//    host passes it ("/s", "/c:1234", "/p 1234");
//  - PrevInstance: a named mutex of the user's session, taken at the first
//    call and held for the life of the process;
//  - DoEvents: runs the pending window messages (the dialog's keyboard
//    navigation included), then presents and waits for the next display
//    frame (Win32FramePacer);
//  - End: flushes standard output and error and ends the process at once;
//  - MsgBox: MessageBox captioned "Gyrobloom" (Win32MessageBox); ShowMessage:
//    the same box on a thread of its own, its input forwarded;
//  - Settings: the store handed in (the registry in the program);
//  - DecimalSeparator from the user's locale;
//  - Screen: the start monitor in its own pixels, 1440 / its DPI twips per
//    pixel (the process is per-monitor DPI aware);
//  - Monitors: every monitor of the desk in its own pixels, the primary
//    first; a change of the display (a monitor plugged in or out, a
//    resolution or an arrangement changed) heard by any of the program's
//    top-level windows is told to the observers once, on this thread
//    (TellMonitorChangesTo);
//  - CreateWindow: drawing windows (Win32DrawingWindow), full-screen on the
//    start monitor or on the monitor their spec names, and dialogs built
//    from their layout (Win32Dialog).
// Not implemented: one window spanning several monitors (each monitor gets
// its own); a window keeps the DPI of the monitor it opened on.

#include <memory>
#include <string>
#include <vector>

#include "runtime/Platform.h"
#include "runtime/win32/Win32FramePacer.h"
#include "runtime/win32/Win32InstanceMutex.h"

namespace vb {

class Win32Platform final : public Platform {
public:
    explicit Win32Platform(std::unique_ptr<SettingsStore> settings);
    ~Win32Platform() override;

    std::string Command() const override;
    bool PrevInstance() override;
    void DoEvents() override;
    [[noreturn]] void End(int exitCode) override;
    void MsgBox(const std::string& text) override;
    std::unique_ptr<MessageWindow> ShowMessage(const std::string& text, MessageInput& input) override;
    SettingsStore& Settings() override;
    char DecimalSeparator() const override;
    ScreenMetrics Screen() const override;
    std::vector<PixelRect> Monitors() const override;
    std::unique_ptr<WindowBackend> CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                const UnitScale& scale) override;

    Win32FramePacer& Pacer() { return mPacer; }

    // The argument text of a whole command line: what follows the program's
    // path (quoted or not), without the blanks before it.
    static std::string ArgumentsOf(const std::wstring& commandLine);
    // Runs every pending message of this thread.
    static void PumpMessages();

private:
    std::unique_ptr<SettingsStore> mSettings;
    Win32InstanceMutex mInstance;
    Win32FramePacer mPacer;
};

}  // namespace vb
