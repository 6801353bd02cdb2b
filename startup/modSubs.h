#pragma once
// Start-up and shutdown, and the program-wide references.

#include <functional>
#include <memory>

class clsGyrobloom;
class clsAudioLevel;
class MixerWaveIn;
class frmScreenSaver;
class frmPreview;
class frmSettings;

namespace modSubs {

// Entry procedure: refuses a second instance, loads the settings, picks the
// mode from the command line, binds the engine to the mode's window and runs
// the animation. Returns only by End.
[[noreturn]] void Main();
// Releases the meter, unloads the engine's window and ends the program.
[[noreturn]] void ShutDown();

// Program-wide references, each created on first use.
clsGyrobloom& gEngine();
std::shared_ptr<clsGyrobloom> gEngineRef();
clsAudioLevel& gAudioLevel();
bool HasAudioLevel();
std::shared_ptr<frmScreenSaver> frmScreenSaverInstance();
std::shared_ptr<frmPreview> frmPreviewInstance();
std::shared_ptr<frmSettings> frmSettingsInstance();

// How the meter reaches the sound system: set once by main() (or a test)
// before the run starts.
using MixerFactory = std::function<std::unique_ptr<MixerWaveIn>()>;
void SetMixerFactory(MixerFactory factory);

// Forgets every program-wide object, as a fresh process would start. The
// tests run many short "processes" in one.
void ResetProgram();

}  // namespace modSubs
