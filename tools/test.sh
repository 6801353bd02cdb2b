#!/usr/bin/env bash
# Sets up the machine, builds Gyrobloom and runs every test: the unit tests,
# the Qt backend tests, the real-window tests under Xvfb and the real-sound
# tests against a private PulseAudio server (release build), then the unit
# tests again under AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

cmake --preset release
cmake --build --preset release
ctest --preset release

cmake --preset asan
cmake --build --preset asan
ctest --preset asan
