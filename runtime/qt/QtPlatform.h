#pragma once
// The Linux desktop backend of the form runtime, on Qt 6 Widgets.
//
// Implemented:
//  - Command: the arguments after the program's path, joined by single
//    spaces, as the screen-saver host passes them ("/s", "/c:1234", "/p 123");
//  - PrevInstance: an InstanceLock taken at the first call and held for the
//    life of the process;
//  - DoEvents: runs the pending events, then shows what the step drew,
//    paced to the display's refresh (QtFramePacer) or at once when unpaced;
//  - End: flushes standard output and error and exits at once, without
//    returning into the animation loop; with GYROBLOOM_STATS set in the
//    environment it first writes the steps and frames made and the time run
//    to standard error (tools/measure.sh reads them);
//  - MsgBox: a modal QMessageBox captioned "Gyrobloom" with an OK button;
//    ShowMessage: the same box, not modal, its input forwarded;
//  - Settings: the store handed in by main();
//  - DecimalSeparator from the user's locale;
//  - Screen: the primary screen (logical pixels, 1440 / logical DPI twips per
//    pixel, device pixel ratio);
//  - CreateWindow: drawing windows (QtDrawingWindow) and dialogs built from
//    their layout (QtDialog).
//  - Monitors: Qt's screens; a full-screen window covers the screen its
//    WindowSpec::monitor names (the primary when none).
// Not implemented: one window spanning several screens.

#include <QApplication>
#include <QElapsedTimer>
#include <QStringList>

#include <memory>

class QScreen;

#include "runtime/Platform.h"
#include "runtime/posix/InstanceLock.h"
#include "runtime/qt/QtFramePacer.h"
#include "runtime/qt/QtNativeSurface.h"

namespace vb {

// The screen a monitor's rectangle (desk pixels) names: the one with that
// geometry, or the one holding its centre; the primary for none (width 0).
QScreen* ScreenForMonitor(const PixelRect& monitor);
PixelRect RectOfScreen(const QScreen& screen);

class QtPlatform final : public Platform {
public:
    struct Options {
        // Benchmarks turn pacing off to measure how fast the steps can go.
        bool paced = true;
        // How a paced frame is shown (QtFramePacer): kAuto asks the window
        // system for frames only where it paces them to the display
        // (Wayland); kTick presents at the pacer's own ticks; kRequest asks.
        enum class Frames { kAuto, kTick, kRequest } frames = Frames::kAuto;
        // Native surfaces for the drawing windows (QtNativeSurface); none:
        // every window draws on a QtCanvas.
        QtNativeSurfaceFactory nativeSurfaces = {};
        // Full-screen drawing windows of the program's own, not Qt widgets,
        // where the factory makes one (nullptr: it declines).
        // The screen is the one the window's monitor names (ScreenForMonitor).
        using WindowFactory = std::function<std::unique_ptr<WindowBackend>(
            const WindowSpec& spec, WindowEvents& events, const UnitScale& scale, QScreen* screen,
            QtFramePacer& pacer)>;
        WindowFactory fullScreenWindows = {};
    };

    // The application must outlive the platform.
    QtPlatform(QApplication& app, std::unique_ptr<SettingsStore> settings, Options options);
    QtPlatform(QApplication& app, std::unique_ptr<SettingsStore> settings);
    ~QtPlatform() override;

    std::string Command() const override;
    bool PrevInstance() override;
    void DoEvents() override;
    [[noreturn]] void End(int exitCode) override;
    void MsgBox(const std::string& text) override;
    std::unique_ptr<MessageWindow> ShowMessage(const std::string& text, MessageInput& input) override;
    SettingsStore& Settings() override;
    char DecimalSeparator() const override;
    ScreenMetrics Screen() const override;
    // Qt's screens, the primary first; their coming, going and changing is
    // passed on (NotifyMonitorsChanged) once Qt has settled.
    std::vector<PixelRect> Monitors() const override;
    std::unique_ptr<WindowBackend> CreateWindow(const WindowSpec& spec, WindowEvents& events,
                                                const UnitScale& scale) override;

    QtFramePacer& Pacer() { return mPacer; }
    // Animation steps so far: calls of DoEvents.
    long Steps() const { return mSteps; }

    // The argument text of a command line: everything after the program's
    // path, joined by single spaces.
    static std::string JoinArguments(const QStringList& arguments);

private:
    void WatchMonitors();

    // Dialog windows go through here alone.
    std::unique_ptr<WindowBackend> CreateDialogWindow(const WindowSpec& spec, WindowEvents& events,
                                                      const UnitScale& scale);

    QApplication& mApp;
    std::unique_ptr<SettingsStore> mSettings;
    InstanceLock mInstanceLock;
    QtFramePacer mPacer;
    QtNativeSurfaceFactory mNativeSurfaces;
    Options::WindowFactory mFullScreenWindows;
    // The connections to Qt's screen signals live as long as this.
    std::unique_ptr<QObject> mMonitorWatch;
    QElapsedTimer mSinceStart;
    long mSteps = 0;
};

}  // namespace vb
