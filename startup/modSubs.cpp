#include "startup/modSubs.h"

#include <algorithm>
#include <cassert>
#include <cctype>

#include "audio/MixerWaveIn.h"
#include "audio/clsAudioLevel.h"
#include "engine/clsGyrobloom.h"
#include "runtime/Platform.h"
#include "windows/frmPreview.h"
#include "windows/frmScreenSaver.h"
#include "windows/frmSettings.h"

namespace modSubs {
namespace {

// Everything the program holds for the whole run, in one place.
struct ProgramState {
    std::shared_ptr<clsGyrobloom> engine;
    std::unique_ptr<clsAudioLevel> audioLevel;
    std::shared_ptr<frmScreenSaver> screenSaver;
    std::shared_ptr<frmPreview> preview;
    std::shared_ptr<frmSettings> settings;
    MixerFactory mixerFactory;
};

ProgramState& Program() {
    static ProgramState state;
    return state;
}

template <typename T>
std::shared_ptr<T>& CreateOnFirstUse(std::shared_ptr<T>& slot) {
    if (!slot) slot = std::make_shared<T>();
    return slot;
}

std::string ModeText(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    text = text.substr(0, 2);
    auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    auto last = text.find_last_not_of(' ');
    return text.substr(first, last - first + 1);
}

}  // namespace

std::shared_ptr<clsGyrobloom> gEngineRef() {
    auto& engine = Program().engine;
    if (!engine) {
        engine = std::make_shared<clsGyrobloom>();
        engine->AudioLevel([]() -> clsAudioLevel& { return gAudioLevel(); });
    }
    return engine;
}
clsGyrobloom& gEngine() { return *gEngineRef(); }

clsAudioLevel& gAudioLevel() {
    auto& program = Program();
    if (!program.audioLevel) {
        assert(program.mixerFactory && "no mixer factory set before the first reading");
        program.audioLevel = std::make_unique<clsAudioLevel>(program.mixerFactory());
    }
    return *program.audioLevel;
}

bool HasAudioLevel() { return Program().audioLevel != nullptr; }

std::shared_ptr<frmScreenSaver> frmScreenSaverInstance() { return CreateOnFirstUse(Program().screenSaver); }
std::shared_ptr<frmPreview> frmPreviewInstance() { return CreateOnFirstUse(Program().preview); }
std::shared_ptr<frmSettings> frmSettingsInstance() { return CreateOnFirstUse(Program().settings); }

void SetMixerFactory(MixerFactory factory) { Program().mixerFactory = std::move(factory); }

void ResetProgram() {
    auto& program = Program();
    program.audioLevel.reset();
    program.settings.reset();
    program.screenSaver.reset();
    program.preview.reset();
    program.engine.reset();
}

void Main() {
    if (vb::PrevInstance()) vb::End(0);
    gEngine().RetrieveSettings();
    const std::string mode = ModeText(vb::Command());
    if (mode == "/c") {
        gEngine().InSettingsMode(true);
    } else if (mode == "/s" || mode.empty()) {
        gEngine().InSettingsMode(false);
    } else {
        vb::End(0);
    }
    if (gEngine().InSettingsMode()) {
        auto dialog = frmSettingsInstance();
        dialog->GyrobloomClass(gEngineRef());
        dialog->Show();
    } else {
        gEngine().Screen(frmScreenSaverInstance());
    }
    gEngine().DrawSpiral();
}

void ShutDown() {
    Program().audioLevel.reset();
    auto window = gEngine().Screen();
    assert(window && "both modes bind a window before anything can shut down");
    if (window) window->Unload();
    vb::End(0);
}

}  // namespace modSubs
