// gyrobloom-hack: the saver as a screen-saver daemon runs it (XScreenSaver,
// mate-screensaver, xfce4-screensaver), drawing straight to the X server.
// The same engine and meter as gyrobloom, with the user's settings; no
// toolkit, no message boxes, no input of its own. It ends on SIGTERM or
// SIGINT, or when its window is destroyed.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "app/hack/HackOptions.h"
#include "audio/pulse/PulseMixerWaveIn.h"
#include "runtime/Platform.h"
#include "runtime/posix/IniSettingsStore.h"
#include "runtime/x11/X11Platform.h"
#include "startup/modSubs.h"

namespace {

constexpr const char* kProgramName = "gyrobloom-hack";

vb::X11Target TargetOf(const HackOptions& options) {
    vb::X11Target target;
    switch (options.target) {
    case HackOptions::Target::Own: target.kind = vb::X11Target::Kind::Own; break;
    case HackOptions::Target::WindowId:
        target.kind = vb::X11Target::Kind::Handed;
        target.window = (unsigned long)options.windowId;
        break;
    case HackOptions::Target::Root: {
        target.kind = vb::X11Target::Kind::Handed;
        // The daemon names the window it blanks the screen with; without it
        // the root window is the screen. An id that does not read is the
        // daemon's mistake: the root window still shows the saver.
        const char* named = std::getenv("XSCREENSAVER_WINDOW");
        if (named) {
            if (auto id = ParseWindowId(named)) target.window = (unsigned long)*id;
        }
        break;
    }
    }
    return target;
}

// mate-screensaver starts its hacks with a few variables of its own
// (DISPLAY, HOME, PATH, XSCREENSAVER_WINDOW, ...) and drops
// XDG_RUNTIME_DIR, where the user's sound server has its socket; without it
// the meter would find no server. The session's runtime directory is
// /run/user/<uid> wherever logind made one: it is used when it is there,
// owned by the user and private, as logind makes it.
void FindTheSessionsRuntimeDirectory() {
    const char* set = std::getenv("XDG_RUNTIME_DIR");
    if (set && *set) return;
    const std::string path = "/run/user/" + std::to_string(getuid());
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0)
        return;
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    const auto options = ParseHackOptions(arguments);
    if (!options) {
        std::fprintf(stderr, "%s\n", HackUsage(kProgramName).c_str());
        return 1;
    }

    FindTheSessionsRuntimeDirectory();
    std::string error;
    auto platform = vb::X11Platform::Open(kProgramName, TargetOf(*options),
                                          std::make_unique<vb::IniSettingsStore>(), error);
    if (!platform) {
        std::fprintf(stderr, "%s: %s\n", kProgramName, error.c_str());
        return 1;
    }
    vb::InstallPlatform(platform.get());
    modSubs::SetMixerFactory([] { return CreatePulseMixerWaveIn(); });

    // Main ends the process itself; an error it does not handle ends the run
    // with the standard report.
    vb::ReportingProgramErrors([] { modSubs::Main(); });
}
