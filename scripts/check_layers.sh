#!/usr/bin/env bash
# Checks the folder layering of the sources (ARCHITECTURE.md): no two folders include each other,
# the ground floor and the widgets include nothing above them, no other program includes browser/,
# and no CMakeLists.txt compiles a source file out of another top-level folder.
# Usage: scripts/check_layers.sh [ROOT]   (ROOT defaults to the repository); exits 1 on a breach.
set -euo pipefail

root=${1:-"$(cd "$(dirname "$0")/.." && pwd)"}
cd "$root"

ground="platform common net emulators"
# What each layer above the ground floor may include besides itself and the ground floor.
declare -A allowed=([widgets]="")

in_list() {
  local word=$1 item
  shift
  for item in $*; do [[ $word == "$item" ]] && return 0; done
  return 1
}

# One "FROM TO" line per folder that includes a file of another folder; tests, fuzz targets,
# benchmarks and build folders are the programs' users, not layers.
edges=$(find . -type d \( -name .git -o -name 'build*' -o -path ./tests -o -path ./fuzz -o -path ./bench \) -prune -o \
          -type f \( -name '*.h' -o -name '*.cpp' -o -name '*.c' -o -name '*.inc' \) -print |
        { xargs -r grep -Ho '^[[:space:]]*#[[:space:]]*include[[:space:]]*"[a-z0-9_]*/[^"]*"' || true; } |
        sed -E 's#^\./##; s#^(.*)/[^/]*:[^"]*"(.*)/[^/]*"$#\1 \2#' |
        while read -r from to; do
          # Only includes that name a folder of this tree ("SDL/SDL.h" and the like are not ours).
          if [[ -d ${to%%/*} && $from != "$to" ]]; then echo "$from $to"; fi
        done | sort -u)

failures=0
fail() {
  echo "check_layers: $*" >&2
  failures=$((failures + 1))
}

while read -r a b; do
  [[ -z $a ]] && continue
  if [[ $a < $b ]] && grep -qx "$b $a" <<<"$edges"; then
    fail "$a and $b include each other"
  fi
  top_a=${a%%/*}
  top_b=${b%%/*}
  [[ $top_a == "$top_b" ]] && continue
  if in_list "$top_a" "$ground"; then
    in_list "$top_b" "$ground" || fail "$a (ground floor) includes $b"
  elif [[ -v allowed[$top_a] ]]; then
    in_list "$top_b" "$ground ${allowed[$top_a]}" || fail "$a includes $b, above its layer"
  fi
  if [[ $top_b == browser ]]; then
    fail "$a includes $b: browser/ is a program, not a library"
  fi
done <<<"$edges"

# A source file belongs to the library of its own folder.
while IFS= read -r list; do
  top=${list#./}
  top=${top%%/*}
  while IFS= read -r path; do
    [[ -z $path ]] && continue
    other=${path#*\}/}
    other=${other%%/*}
    if [[ $other != "$top" ]]; then fail "$list compiles $path from $other/"; fi
  done < <(grep -oE '\$\{PROJECT_SOURCE_DIR\}/[a-z0-9_]+/[^ ")]*\.(c|cc|cpp)' "$list" || true)
done < <(find . -type d \( -name .git -o -name 'build*' -o -path ./tests -o -path ./fuzz -o -path ./bench \) -prune -o \
           -path ./CMakeLists.txt -o -name CMakeLists.txt -print)

if ((failures)); then
  echo "check_layers: $failures breaches" >&2
  exit 1
fi
echo "check_layers: $(grep -c . <<<"$edges") folder includes checked, none crosses a layer"
