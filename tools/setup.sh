#!/usr/bin/env bash
# Installs what Gyrobloom needs to build, run and test on Debian or Ubuntu.
# Safe to run again: it installs only what is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config clang libclang-rt-14-dev
  qt6-base-dev libpulse-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick fonts-dejavu-core
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  pulseaudio pulseaudio-utils sox espeak-ng
  libx11-dev libxrandr-dev dpkg-dev python3
  xscreensaver xscreensaver-data mate-screensaver libglib2.0-bin dbus desktop-file-utils
  pipewire pipewire-pulse wireplumber libxext6
  lintian groff man-db
  sway swayidle grim wtype qt6-wayland libwayland-dev wayland-protocols qt6-base-private-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
