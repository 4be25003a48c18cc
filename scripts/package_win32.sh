#!/usr/bin/env bash
# Packs the Windows program folder into relicade-win32.zip (one top folder, Relicade/), with fixed file times
# so the same build gives the same archive. Usage: package_win32.sh [program folder] [zip file]
set -euo pipefail
cd "$(dirname "$0")/.."
program_dir=$(cd "${1:-build-win32/relicade}" && pwd)
out=${2:-build-win32/relicade-win32.zip}
out=$(mkdir -p "$(dirname "$out")" && cd "$(dirname "$out")" && pwd)/$(basename "$out")
for needed in Relicade.exe rxlib.dll SDL.dll SDL_image.dll SDL_ttf.dll SDL_net.dll NEURPOLI.TTF images; do
  [ -e "$program_dir/$needed" ] || { echo "package_win32: $program_dir has no $needed" >&2; exit 1; }
done
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# Only what ships: programs, DLLs, artwork, the font and the licences (no logs or settings from a run).
cp -rL "$program_dir" "$stage/Relicade"
(cd "$stage/Relicade" && rm -f error_log.txt rxlib_error_log.txt stdout.txt stderr.txt rx_login_reply.txt \
  userinfo.dat && rm -rf update)
find "$stage" -exec touch -h -d '2000-01-01 00:00:00' {} +
rm -f "$out"
(cd "$stage" && find Relicade -print | LC_ALL=C sort | zip -X -q -D "$out" -@)
echo "package_win32: $out ($(unzip -Z1 "$out" | wc -l) files, $(du -k "$out" | cut -f1) KiB)" >&2
