#!/usr/bin/env bash
# Installs every Debian package the build, the programs and the tests need; does nothing when all are there.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config git ccache
  libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libsdl-net1.2-dev zlib1g-dev libsodium-dev libasio-dev libx11-dev
  libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xdotool x11-utils imagemagick curl
  pulseaudio
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  python3 python3-pil
  cc65 sdcc binutils-arm-none-eabi binutils-m68k-linux-gnu
  fonts-beteckna fonts-comfortaa
  retroarch-dev libinih1 libsndfile1
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive
# The Sega core and the Windows libraries are built from Debian's source packages.
sources_changed=$(bash "$(dirname "$0")/enable_deb_src.sh")
if [ ${#missing[@]} -eq 0 ] && [ -z "$sources_changed" ]; then
  exit 0
fi
"${sudo_cmd[@]}" apt-get update -qq
[ ${#missing[@]} -gt 0 ] || exit 0
echo "bootstrap: installing ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
