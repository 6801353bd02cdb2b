// The Linux program: the portable screen saver on the Qt backend, with its
// meter on PulseAudio (or PipeWire through PulseAudio). "gyrobloom" alone or
// "gyrobloom /s" runs the saver, "/c" the settings dialog; any other switch
// ends it at once.

#include <QApplication>

#include <cstdio>
#include <memory>

#include "audio/pulse/PulseMixerWaveIn.h"
#include "runtime/Platform.h"
#include "runtime/posix/IniSettingsStore.h"
#include "runtime/qt/QtPlatform.h"
#include "runtime/qt/wayland/QtWaylandSurface.h"
#include "runtime/qt/wayland/WaylandSaverWindow.h"
#include "runtime/qt/x11/QtX11Surface.h"
#include "startup/modSubs.h"

int main(int argc, char** argv) {
    // Without a display Qt aborts with a long story about plugins; say it
    // plainly instead.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "gyrobloom: no display to draw on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n");
        return 1;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(vb::kAppTitle);

    vb::QtPlatform::Options options;
    // On X11 the saver and the preview draw through the X server. On
    // Wayland they draw into buffers of their own at the compositor's pace,
    // and the saver's windows are the program's own, on a connection of
    // their own.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) options.nativeSurfaces = vb::CreateQtX11Surface;
    vb::QtWaylandSurfaces waylandSurfaces;
    vb::WaylandSaverWindows waylandWindows;
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        options.nativeSurfaces = [&](QWidget& window, const vb::UnitScale& scale, vb::Long backColor) {
            return waylandSurfaces.Create(window, scale, backColor);
        };
        options.fullScreenWindows = [&](const vb::WindowSpec& spec, vb::WindowEvents& events,
                                        const vb::UnitScale& scale, QScreen* screen, vb::QtFramePacer& pacer) {
            return waylandWindows.Create(spec, events, scale, screen, pacer);
        };
    }
    vb::QtPlatform platform(app, std::make_unique<vb::IniSettingsStore>(), std::move(options));
    vb::InstallPlatform(&platform);
    modSubs::SetMixerFactory([] { return CreatePulseMixerWaveIn(); });

    // Main ends the process itself; an error it does not handle ends the run
    // with the standard report, as one raised in an event handler does.
    vb::ReportingProgramErrors([] { modSubs::Main(); });
}
