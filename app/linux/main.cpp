// The Linux program: the portable screen saver on the Qt backend, with its
// meter on PulseAudio (or PipeWire through PulseAudio). "gyrobloom" alone or
// "gyrobloom /s" runs the saver, "/c" the settings dialog; any other switch
// ends it at once.

#include <QApplication>

#include <cstdio>
#include <exception>
#include <memory>
#include <new>

#include "audio/pulse/PulseMixerWaveIn.h"
#include "runtime/Platform.h"
#include "runtime/RuntimeError.h"
#include "runtime/qt/IniSettingsStore.h"
#include "runtime/qt/QtPlatform.h"
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

    vb::QtPlatform platform(app, std::make_unique<vb::IniSettingsStore>());
    vb::InstallPlatform(&platform);
    modSubs::SetMixerFactory([] { return CreatePulseMixerWaveIn(); });

    // Main ends the process itself; an error it does not handle ends the run
    // with the standard report, as one raised in an event handler does.
    try {
        modSubs::Main();
    } catch (const vb::RuntimeError& error) {
        vb::ReportUnhandledError(error);
    } catch (const std::bad_alloc&) {
        vb::ReportUnhandledError(vb::RuntimeError(vb::kErrOutOfMemory, vb::ErrorText(vb::kErrOutOfMemory)));
    } catch (const std::exception&) {
        vb::ReportUnhandledError(vb::RuntimeError(vb::kErrInvalidCall, vb::ErrorText(vb::kErrInvalidCall)));
    }
}
