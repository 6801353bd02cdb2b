#!/usr/bin/env bash
# Installs what the Windows build and its tests need on Debian or Ubuntu:
# the MinGW-w64 cross compiler, GoogleTest's sources, 32-bit Wine, and the
# tools of the Wine-on-Xvfb tests. Safe to run again: it installs only what
# is missing.
set -euo pipefail

packages=(
  cmake make g++-mingw-w64-i686 googletest
  wine wine32:i386
  xvfb xdotool x11-utils imagemagick pulseaudio pulseaudio-utils sox
  # A desk of several monitors: Xorg with the dummy driver split by xrandr,
  # and the Xinerama and XRandR libraries of Wine's own architecture,
  # without which Wine sees one monitor.
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  libxinerama1:i386 libxrandr2:i386
)
# --wine64: the 64-bit cross compiler and 64-bit Wine, for machines that
# cannot run 32-bit code (tools/test-windows.sh).
if [ "${1:-}" = --wine64 ]; then
  packages=(g++-mingw-w64-x86-64-posix wine64 libxinerama1 libxrandr2)
fi

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

# 32-bit Wine and its libraries come from the i386 architecture.
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
