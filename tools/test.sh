#!/usr/bin/env bash
# Sets up the machine, builds Gyrobloom and runs every test: the unit tests,
# the Qt backend tests, the real-window tests under Xvfb and the real-sound
# tests against a private PulseAudio server (release build), the Debian
# package under the real screen-saver daemons, then the unit tests again
# under AddressSanitizer and UndefinedBehaviorSanitizer, the real-window
# scripts against the program built with both sanitizers, and bounded
# libFuzzer runs of the settings text conversions and the INI parser.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh

cmake --preset release
cmake --build --preset release
ctest --preset release

# The Debian package: built by CPack, installed with apt-get, run by the
# screen-saver daemons as a throw-away user, removed again (needs root).
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
cpack --preset deb
$sudo tests/package/package_test.sh build/package/gyrobloom_*.deb

cmake --preset asan
cmake --build --preset asan
ctest --preset asan

# The real-window scripts against the program built with the sanitizers.
cmake --preset asan-app
cmake --build --preset asan-app
ctest --preset asan-app

# The settings text and the INI parser under libFuzzer (clang), bounded runs.
cmake --preset fuzz
cmake --build --preset fuzz
ctest --preset fuzz

# Gyrobloom.scr, cross-built with MinGW-w64 and tested under Wine on Xvfb.
tools/test-windows.sh
