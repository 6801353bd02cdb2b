#!/usr/bin/env bash
# Builds Gyrobloom.scr, the 32-bit Windows screen saver, on this Linux
# machine with MinGW-w64 (installing the cross compiler if it is missing).
# The file lands in build/windows/app/windows/Gyrobloom.scr.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup-windows.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target gyrobloom_scr
echo "built $(pwd)/build/windows/app/windows/Gyrobloom.scr"
