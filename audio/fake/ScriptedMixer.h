#pragma once
// Placeholder scripted sound system: no mixer at all.
#include "audio/MixerWaveIn.h"
