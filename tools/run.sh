#!/usr/bin/env bash
# Sets up the machine, builds Gyrobloom and starts it. Arguments go to the
# program: none (or /s) runs the saver, /c the settings dialog.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target gyrobloom
exec build/release/gyrobloom "$@"
