#!/usr/bin/env bash
# Builds Gyrobloom.scr and the Windows test suites with MinGW-w64 (preset
# "windows", build/windows) and runs them under Wine on a private Xvfb with a
# private PulseAudio server: the portable unit suite, the Win32 backend
# suite, then the program itself (tests/wine/smoke.sh), and the program on a
# desk of two monitors (tests/wine/monitors.sh).
#
# Some machines cannot run 32-bit code at all (a kernel or hypervisor without
# 32-bit support: every i386 program, 32-bit Wine's included, fails with
# "Exec format error"). There the 32-bit Gyrobloom.scr is still built and its
# file checked, and the suites and the smoke test run on a 64-bit build of
# the same sources (preset "windows64") under 64-bit Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-windows.sh

cmake --preset windows >/dev/null
cmake --build --preset windows --target gyrobloom_scr gyrobloom_unit_tests gyrobloom_win32_tests

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  ctest --preset windows -L wine
  exit 0
fi

echo "This machine cannot run 32-bit programs: the Windows tests run on the 64-bit build under 64-bit Wine."
ctest --preset windows -R '^wine\.pe_file$'
tools/setup-windows.sh --wine64
# Debian's wine launcher always takes the 32-bit loader when it is installed.
shims=build/windows64/wine64-bin
mkdir -p "$shims"
for name in wine wine-stable; do
  printf '#!/bin/sh\nexport WINELOADER=/usr/lib/wine/wine64\nexec /usr/lib/wine/wine64 "$@"\n' >"$shims/$name"
  chmod +x "$shims/$name"
done
export PATH=$PWD/$shims:$PATH WINEARCH=win64
cmake --preset windows64 >/dev/null
cmake --build --preset windows64 --target gyrobloom_scr gyrobloom_unit_tests gyrobloom_win32_tests
ctest --preset windows64 -R '^wine\.(smoke|monitors)$'
