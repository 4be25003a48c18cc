#!/usr/bin/env bash
# Compile-checks the Windows side of the platform layer with MinGW and runs windres on rxlib's .rc files.
#
# Checked: every platform/*_win32.cpp and every shared platform/*.cpp (neither _posix nor _win32), each built
# with i686-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -c into a scratch folder; then every *.rc under
# rxlib/ through i686-w64-mingw32-windres, with the repository root and the .rc's own folder on the include
# path, plus the folders in RX_RC_INCLUDE (colon-separated; default build/assets/rxlib when it exists).
# Resource files an .rc names that are found on none of those paths are generated at build time; empty
# stand-ins take their place so the script itself is still checked, and the file's line says how many.
# One line per checked file goes to standard error; the only line on standard output is the summary.
# Exit status: 0 when everything passed, 1 when anything failed, 2 when a tool is missing.
set -uo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
cxx=${RX_MINGW_CXX:-i686-w64-mingw32-g++}
windres=${RX_MINGW_WINDRES:-i686-w64-mingw32-windres}

for tool in "$cxx" "$windres"; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "check_win32: $tool not found (Debian package g++-mingw-w64-i686 / binutils-mingw-w64-i686)" >&2
    exit 2
  fi
done

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

checked=0
failed=0

compile() {
  local src=$1 rel=${1#"$repo"/}
  local obj="$scratch/obj/${rel//\//_}.o"
  mkdir -p "$scratch/obj"
  checked=$((checked + 1))
  if "$cxx" -std=c++17 -Wall -Wextra -Werror -I "$repo" -c "$src" -o "$obj" 2>"$scratch/log"; then
    echo "ok   $rel" >&2
  else
    failed=$((failed + 1))
    echo "FAIL $rel" >&2
    cat "$scratch/log" >&2
  fi
}

shopt -s nullglob
for src in "$repo"/platform/*.cpp; do
  case "$src" in
    *_posix.cpp) continue ;;
  esac
  compile "$src"
done

include_dirs=("$repo")
if [[ -n "${RX_RC_INCLUDE:-}" ]]; then
  IFS=: read -r -a extra <<<"$RX_RC_INCLUDE"
  include_dirs+=("${extra[@]}")
elif [[ -d "$repo/build/assets/rxlib" ]]; then
  include_dirs+=("$repo/build/assets/rxlib")
fi

while IFS= read -r -d '' rc; do
  rel=${rc#"$repo"/}
  rc_dir=$(dirname "$rc")
  stand_ins="$scratch/stand_ins/${rel//\//_}"
  mkdir -p "$stand_ins"
  missing=0
  # Resource entries name their file in quotes after the id and the type: 1001 RCDATA "1001.png".
  while IFS= read -r name; do
    found=0
    for dir in "$rc_dir" "${include_dirs[@]}"; do
      if [[ -f "$dir/$name" ]]; then
        found=1
        break
      fi
    done
    if [[ $found -eq 0 ]]; then
      mkdir -p "$stand_ins/$(dirname "$name")"
      : >"$stand_ins/$name"
      missing=$((missing + 1))
    fi
  done < <(sed -n -E 's/^[[:space:]]*[A-Za-z0-9_]+[[:space:]]+[A-Za-z0-9_]+[[:space:]]+"([^"]+)".*$/\1/p' "$rc")
  args=(-I "$rc_dir")
  for dir in "${include_dirs[@]}"; do args+=(-I "$dir"); done
  args+=(-I "$stand_ins")
  checked=$((checked + 1))
  note=""
  [[ $missing -gt 0 ]] && note=" ($missing generated files stood in)"
  if (cd "$repo" && "$windres" "${args[@]}" -i "$rc" -O coff -o "$scratch/out.res") 2>"$scratch/log"; then
    echo "ok   $rel$note" >&2
  else
    failed=$((failed + 1))
    echo "FAIL $rel$note" >&2
    cat "$scratch/log" >&2
  fi
done < <(find "$repo/rxlib" -name '*.rc' -print0 2>/dev/null | sort -z)

if [[ $failed -gt 0 ]]; then
  echo "check_win32: $failed of $checked files failed"
  exit 1
fi
echo "check_win32: $checked files passed"
