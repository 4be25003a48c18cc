#!/usr/bin/env bash
# Packs the Windows program folder into relicade-win32.zip (one top folder, Relicade/), with fixed file times
# so the same build gives the same archive; the libretro cores are in Relicade/cores/ with their licences. Usage: package_win32.sh [--for-tests] [program folder] [zip file]
# A folder whose rx_update.exe trusts an update key a build made for itself (BUILD/update_key/, see
# cmake/rx_update_key.cmake) is refused: whoever has that build folder could sign updates for it. --for-tests
# packs it anyway and puts "for-tests" in the zip's name, so such a zip is never taken for a release.
# RX_BUILD_KEY_DIRS (colon-separated) adds folders holding build-made keys to the ones found under the
# repository (build*/update_key) and RX_BUILD_DIR.
set -euo pipefail
cd "$(dirname "$0")/.."
for_tests=0
if [ "${1:-}" = "--for-tests" ]; then
  for_tests=1
  shift
fi
program_dir=$(cd "${1:-build-win32/relicade}" && pwd)
out=${2:-build-win32/relicade-win32.zip}
if [ "$for_tests" = 1 ] && [[ "$(basename "$out")" != *for-tests* ]]; then
  out="${out%.zip}-for-tests.zip"
fi
out=$(mkdir -p "$(dirname "$out")" && cd "$(dirname "$out")" && pwd)/$(basename "$out")
for needed in Relicade.exe rx_update.exe rxlib.dll SDL.dll SDL_image.dll SDL_ttf.dll SDL_net.dll NEURPOLI.TTF \
  images; do
  [ -e "$program_dir/$needed" ] || { echo "package_win32: $program_dir has no $needed" >&2; exit 1; }
done
# The five libretro cores play six consoles: each ships with its licence beside it, the emulator names that
# stand for them are rx_retro.exe, and every DLL of the zip is a 32-bit one.
for core in nestopia_libretro bsnes_mercury_performance_libretro gambatte_libretro mgba_libretro \
  mednafen_pce_fast_libretro; do
  for needed in "cores/$core.dll" "cores/$core-LICENSE.txt"; do
    [ -f "$program_dir/$needed" ] || { echo "package_win32: $program_dir has no $needed" >&2; exit 1; }
  done
done
for name in visualboyadvance nester zsnesw ootake; do
  cmp -s "$program_dir/rx_retro.exe" "$program_dir/$name.exe" ||
    { echo "package_win32: $program_dir/$name.exe is not rx_retro.exe" >&2; exit 1; }
done
while IFS= read -r -d '' dll; do
  format=$(i686-w64-mingw32-objdump -f "$dll" | sed -n 's/.*file format //p')
  [ "$format" = pei-i386 ] || { echo "package_win32: $dll is $format, not a 32-bit Windows file" >&2; exit 1; }
done < <(find "$program_dir" -name '*.dll' -print0)
# The public key is built into rx_update.exe as its 64 hex digits.
key_dirs=()
for dir in build*/update_key "${RX_BUILD_DIR:-build}/update_key"; do [ -d "$dir" ] && key_dirs+=("$dir"); done
IFS=: read -r -a extra_dirs <<< "${RX_BUILD_KEY_DIRS:-}"
for dir in "${extra_dirs[@]}"; do [ -n "$dir" ] && [ -d "$dir" ] && key_dirs+=("$dir"); done
seen=" "
for dir in "${key_dirs[@]}"; do
  [ -f "$dir/update_signing.key" ] && [ -f "$dir/update_public_key.hex" ] || continue
  key=$(head -c 64 "$dir/update_public_key.hex")
  [[ "$seen" == *" $key "* ]] && continue
  seen="$seen$key "
  if [ ${#key} = 64 ] && grep -qaF "$key" "$program_dir/rx_update.exe"; then
    if [ "$for_tests" != 1 ]; then
      echo "package_win32: $program_dir/rx_update.exe trusts the key the build made in $dir; build with" \
        "-DRX_UPDATE_PUBLIC_KEY=<the service's key>, or pass --for-tests for a zip only tests may use" >&2
      exit 1
    fi
    echo "package_win32: packing for tests only: rx_update.exe trusts the build's key in $dir" >&2
  fi
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# Only what ships: programs, DLLs, artwork, the font and the licences (no logs or settings from a run).
cp -rL "$program_dir" "$stage/Relicade"
(cd "$stage/Relicade" && rm -f error_log.txt rxlib_error_log.txt stdout.txt stderr.txt rx_login_reply.txt \
  userinfo.dat installed_releases.txt && rm -rf update)
find "$stage" -exec touch -h -d '2000-01-01 00:00:00' {} +
rm -f "$out"
(cd "$stage" && find Relicade -print | LC_ALL=C sort | zip -X -q -D "$out" -@)
echo "package_win32: $out ($(unzip -Z1 "$out" | wc -l) files, $(du -k "$out" | cut -f1) KiB)" >&2
