// Placeholder until the meter lands: silence.
#include "audio/clsAudioLevel.h"

#include "audio/MixerWaveIn.h"

struct clsAudioLevel::State {
    std::unique_ptr<MixerWaveIn> layer;
};

clsAudioLevel::clsAudioLevel(std::unique_ptr<MixerWaveIn> layer) : m(std::make_unique<State>()) {
    m->layer = std::move(layer);
}
clsAudioLevel::~clsAudioLevel() = default;
bool clsAudioLevel::TempoChange() { return false; }
bool clsAudioLevel::Peak() const { return true; }
vb::Integer clsAudioLevel::MaxValue() const { return 0; }
vb::Long clsAudioLevel::GetLevel() { return 0; }
