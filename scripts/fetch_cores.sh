#!/usr/bin/env bash
# Puts Debian's libretro cores for the player into a program folder's cores/ folder, without the
# frontend their packages depend on: each package is fetched with `apt-get download` and only its
# core library is unpacked. Does nothing for a core already in place.
# Usage: fetch_cores.sh PROGRAM_FOLDER CACHE_FOLDER
set -euo pipefail
program_dir=$(mkdir -p "$1" && cd "$1" && pwd)
cache_dir=$(mkdir -p "$2" && cd "$2" && pwd)
packages=(libretro-gambatte libretro-mgba libretro-nestopia libretro-bsnes-mercury-performance
          libretro-beetle-pce-fast)
libraries=(gambatte_libretro.so mgba_libretro.so nestopia_libretro.so
           bsnes_mercury_performance_libretro.so mednafen_pce_fast_libretro.so)
mkdir -p "$program_dir/cores" "$cache_dir"
cd "$cache_dir"
# One apt-get call for every package not fetched yet: apt's start-up is most of the time.
wanted=()
for i in "${!packages[@]}"; do
  [ -f "$program_dir/cores/${libraries[$i]}" ] && continue
  ls "${packages[$i]}"_*.deb >/dev/null 2>&1 || wanted+=("${packages[$i]}")
done
if [ ${#wanted[@]} -gt 0 ]; then
  apt-get download -q "${wanted[@]}" >/dev/null 2>&1 || true
fi
for i in "${!packages[@]}"; do
  package=${packages[$i]}
  library=${libraries[$i]}
  [ -f "$program_dir/cores/$library" ] && continue
  if ! ls "${package}"_*.deb >/dev/null 2>&1; then
    if ! apt-get download -q "$package" >/dev/null 2>&1; then
      echo "fetch_cores: cannot download $package; its consoles will say the emulator is missing" >&2
      continue
    fi
  fi
  deb=$(ls -t "${package}"_*.deb | head -n 1)
  rm -rf unpacked && mkdir unpacked
  dpkg-deb -x "$deb" unpacked
  found=$(find unpacked -name "$library" -type f | head -n 1)
  if [ -z "$found" ]; then
    echo "fetch_cores: $deb holds no $library" >&2
    continue
  fi
  # Copied under a temporary name and renamed, so a stopped run never leaves half a library.
  cp "$found" "$program_dir/cores/.$library.part"
  mv "$program_dir/cores/.$library.part" "$program_dir/cores/$library"
done
rm -rf unpacked
