#!/usr/bin/env bash
# Builds the player's Sega core, libblastem.so, from BlastEm's upstream tarball in Debian's archive
# with our patches (cores/blastem/*.patch) and puts it into a program folder's cores/ folder. The
# tarball is pinned by version and SHA-256 (cores/blastem/source.txt); a stamp of the recipe in the
# cache folder makes a second build do nothing. Without a good tarball no core is installed and the
# Sega consoles say their emulator is missing, as for any missing core.
# Usage: build_blastem.sh PROGRAM_FOLDER [CACHE_FOLDER]
# RX_BLASTEM_TARBALL names a tarball to use instead of fetching one (it is checked all the same).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
program_dir=$(mkdir -p "$1" && cd "$1" && pwd)
cache_dir=${2:-${XDG_CACHE_HOME:-$HOME/.cache}/relicade/blastem}
mkdir -p "$cache_dir" && cache_dir=$(cd "$cache_dir" && pwd)
library="$program_dir/cores/libblastem.so"

value() { sed -n "s/^$1=//p" "$here/cores/blastem/source.txt"; }
version=$(value version)
tarball=$(value tarball)
want_sha=$(value sha256)
cc_name=${CC:-cc}
patches=("$here"/cores/blastem/*.patch)
[ -e "${patches[0]}" ] || patches=()

# Everything the library depends on: a change to any of it builds again.
recipe="version=$version sha256=$want_sha compiler=$($cc_name --version | head -n 1)"
for p in "${patches[@]}"; do recipe+=" $(basename "$p")=$(sha256sum < "$p" | cut -d' ' -f1)"; done
recipe+=" script=$(sha256sum < "$0" | cut -d' ' -f1)"
stamp="$cache_dir/libblastem.stamp"
# Build folders share the cache: one build at a time works in it.
exec 9>"$cache_dir/.lock"
flock 9

# Copied under a temporary name and renamed, so a stopped build never leaves half a library.
install_library() {
  mkdir -p "$program_dir/cores"
  cp "$1" "$program_dir/cores/.libblastem.so.part"
  mv "$program_dir/cores/.libblastem.so.part" "$library"
}
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ] && [ -f "$cache_dir/libblastem.so" ]; then
  # The library of this recipe is built already; another build folder only takes a copy.
  cmp -s "$library" "$cache_dir/libblastem.so" || install_library "$cache_dir/libblastem.so"
  exit 0
fi

fail() {
  echo "build_blastem: $1; the Genesis, Master System and Game Gear will say their emulator is missing" >&2
  exit 0
}

source_tar=${RX_BLASTEM_TARBALL:-$cache_dir/$tarball}
if [ -z "${RX_BLASTEM_TARBALL:-}" ] && [ ! -f "$source_tar" ]; then
  # apt-get source fetches into the current folder; the tarball alone, Debian's own part is not used.
  (cd "$cache_dir" && apt-get source -qq --download-only --tar-only "blastem=$version" >/dev/null 2>&1) ||
    true
fi
[ -f "$source_tar" ] || fail "cannot fetch $tarball (apt-get source blastem=$version; is a deb-src line set?)"
have_sha=$(sha256sum < "$source_tar" | cut -d' ' -f1)
if [ "$have_sha" != "$want_sha" ]; then
  # A tarball we fetched ourselves is dropped so the next build fetches it again.
  [ -n "${RX_BLASTEM_TARBALL:-}" ] || rm -f "$source_tar"
  fail "$source_tar has SHA-256 $have_sha, not the expected $want_sha; refused"
fi

work="$cache_dir/build"
rm -rf "$work" && mkdir -p "$work"
tar -xzf "$source_tar" -C "$work"
src=$(find "$work" -mindepth 1 -maxdepth 1 -type d | head -n 1)
for p in "${patches[@]}"; do
  patch -s -p1 -d "$src" < "$p" || fail "the patch $(basename "$p") does not apply"
done
# The Makefile links with -pie for its programs; the library's objects are linked -shared alone, and
# -O2 without link-time optimisation keeps the build short.
jobs=${RX_BLASTEM_JOBS:-2}
if ! make -s -C "$src" -j"$jobs" CC="$cc_name" OPT="-O2" LDFLAGS="-lm" libblastem.so >"$work/build.log" 2>&1; then
  tail -n 20 "$work/build.log" >&2
  fail "the core did not build (log: $work/build.log)"
fi
rm -f "$stamp"
cp "$src/libblastem.so" "$cache_dir/libblastem.so"
printf '%s' "$recipe" > "$stamp"
install_library "$cache_dir/libblastem.so"
rm -rf "$work"
