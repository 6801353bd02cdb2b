#include "audio/fake/ScriptedMixer.h"
