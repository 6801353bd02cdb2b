#!/usr/bin/env bash
# Builds Gyrobloom.scr and the Windows test suites with MinGW-w64 (preset
# "windows", build/windows) and runs them under Wine on a private Xvfb with a
# private PulseAudio server: the portable unit suite, the Win32 backend
# suite, then the program itself (tests/wine/smoke.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-windows.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target gyrobloom_scr gyrobloom_unit_tests gyrobloom_win32_tests
ctest --preset windows -L wine
