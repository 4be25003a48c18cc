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
# Source packages: a deb-src line beside every deb line of Debian's own archive (deb822 or one-line style).
for f in /etc/apt/sources.list.d/*.sources; do
  [ -f "$f" ] || continue
  if grep -q '^Types: deb$' "$f" && grep -q 'debian' "$f"; then
    "${sudo_cmd[@]}" sed -i 's/^Types: deb$/Types: deb deb-src/' "$f"
    changed=1
  fi
done
if [ -f /etc/apt/sources.list ] && grep -q '^deb .*debian' /etc/apt/sources.list &&
  ! grep -q '^deb-src ' /etc/apt/sources.list; then
  sed -n 's/^deb \(.*debian.*\)$/deb-src \1/p' /etc/apt/sources.list | "${sudo_cmd[@]}" tee -a /etc/apt/sources.list >/dev/null
  changed=1
fi
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
