#!/usr/bin/env bash
# Installs what the Windows cross build and its Wine tests need: the i686 mingw-w64 toolchain (posix threads) for
# the shipped 32-bit folder, apt's source entries so the SDL family can be built from Debian's own sources, and
# the Wine that runs the tested build. Does nothing when everything is there already.
#
# Usage: bootstrap_win32.sh [i686|x86_64]   (the build the tests run: i686, the default, needs Wine's 32-bit
# half, wine32:i386; x86_64 needs the x86_64 mingw-w64 toolchain and wine64 only, and no i386 architecture)
set -euo pipefail
test_arch=${1:-i686}
sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686
  dpkg-dev make autoconf automake libtool zip unzip xvfb xdotool imagemagick x11-utils
)
case "$test_arch" in
  i686) packages+=(wine wine32:i386) ;;
  x86_64) packages+=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 wine64) ;;
  *) echo "bootstrap_win32: the tested build is i686 or x86_64, not $test_arch" >&2; exit 2 ;;
esac
changed=0
# Source packages: apt needs a deb-src entry to fetch them.
[ -z "$(bash "$(dirname "$0")/enable_deb_src.sh")" ] || changed=1
if [ "$test_arch" = i686 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
  changed=1
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ $changed -eq 1 ] || [ ${#missing[@]} -gt 0 ]; then
  "${sudo_cmd[@]}" apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
  echo "bootstrap_win32: installing ${missing[*]}" >&2
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
