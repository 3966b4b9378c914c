#!/usr/bin/env bash
# Installs every Debian package the project builds, runs and tests with,
# and the extra ones named (what only packaging or the soak run needs).
# Idempotent, and silent when everything is already there.
#
#   scripts/install-deps.sh [PACKAGE]...
set -euo pipefail

packages=(
  cmake
  ninja-build
  g++
  pkg-config
  libgtest-dev
  libbenchmark-dev
  clang
  libclang-rt-14-dev
  libjpeg62-turbo-dev
  libpng-dev
  libjpeg-turbo-progs
  libsdl2-dev
  libx11-dev
  libxext-dev
  libxrandr-dev
  libxtst-dev
  libgtk-3-dev
  xvfb
  xauth
  libgl1
  libgl1-mesa-dri
  libglx-mesa0
  libegl-dev
  libgl-dev
  libegl-mesa0
  libepoxy-dev
  libopenal-dev
  libvorbis-dev
  nlohmann-json3-dev
  unar
  libunarr-dev
  zip
  libfreetype-dev
  fonts-dejavu-core
  libvorbis-dev
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: run as root or install sudo" >&2; exit 1; }
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
