#include "runtime/win32/Win32Platform.h"

#include "runtime/win32/Win32Api.h"

#include <cassert>
#include <cstdio>

#include "runtime/win32/Win32Dialog.h"
#include "runtime/win32/Win32DrawingWindow.h"
#include "runtime/win32/Win32MessageBox.h"
#include "runtime/win32/Win32Text.h"
#include "runtime/win32/Win32Windows.h"

namespace vb {

Win32Platform::Win32Platform(std::unique_ptr<SettingsStore> settings)
    : mSettings(std::move(settings)), mPacer(DisplayRefreshHz(), [] { PumpMessages(); }) {
    assert(mSettings && "the Win32 platform needs a settings store");
    TellMonitorChangesTo(this);
}

Win32Platform::~Win32Platform() { TellMonitorChangesTo(nullptr); }

std::string Win32Platform::ArgumentsOf(const std::wstring& commandLine) {
    std::size_t at = 0;
    const std::size_t length = commandLine.size();
    while (at < length && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    if (at < length && commandLine[at] == L'"') {
        const std::size_t close = commandLine.find(L'"', at + 1);
        at = close == std::wstring::npos ? length : close + 1;
    } else {
        while (at < length && commandLine[at] != L' ' && commandLine[at] != L'\t') ++at;
    }
    while (at < length && (commandLine[at] == L' ' || commandLine[at] == L'\t')) ++at;
    return Narrow(commandLine.substr(at));
}

std::string Win32Platform::Command() const { return ArgumentsOf(GetCommandLineW()); }

bool Win32Platform::PrevInstance() { return mInstance.AnotherInstanceRuns(); }

void Win32Platform::PumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        // The dialog's keys (Tab, Return, arrows between options) are the
        // dialog manager's.
        if (HWND dialog = Win32DialogOf(message.hwnd); dialog && IsDialogMessageW(dialog, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Win32Platform::DoEvents() {
    PumpMessages();
    mPacer.EndOfStep();
}

void Win32Platform::End(int exitCode) {
    std::fflush(nullptr);
    ExitProcess(UINT(exitCode));
}

void Win32Platform::MsgBox(const std::string& text) { ShowWin32MessageBox(text); }

std::unique_ptr<MessageWindow> Win32Platform::ShowMessage(const std::string& text, MessageInput& input) {
    return ShowWin32MessageWindow(text, input);
}

SettingsStore& Win32Platform::Settings() { return *mSettings; }

char Win32Platform::DecimalSeparator() const {
    wchar_t separator[4] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 4) <= 0) return '.';
    // Settings text is ASCII; a locale whose separator is not reads and
    // writes numbers with '.'.
    if (separator[0] == L'\0' || separator[0] >= 0x80) return '.';
    return char(separator[0]);
}

ScreenMetrics Win32Platform::Screen() const { return MonitorMetrics(StartMonitor()); }

std::vector<PixelRect> Win32Platform::Monitors() const { return DeskMonitors(); }

std::unique_ptr<WindowBackend> Win32Platform::CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                           const UnitScale& scale) {
    if (spec.dialog) return CreateWin32DialogWindow(spec, events, scale);
    return std::make_unique<Win32DrawingWindow>(spec, events, scale);
}

}  // namespace vb
