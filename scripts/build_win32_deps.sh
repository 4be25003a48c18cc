#!/usr/bin/env bash
# Builds the Windows programs' libraries (zlib, libsodium, libpng, FreeType, SDL 1.2, GoogleTest, and the SDL_image /
# SDL_ttf / SDL_net layer) for mingw-w64 into a prefix, from Debian's own source packages fetched with
# `apt-get source`, and prints the prefix on standard output (its only output there).
#
# The prefix lives outside the clone (one per target, under ${XDG_CACHE_HOME:-~/.cache}/relicade), so a new clone
# on the same machine finds its libraries built. Each library's stamp holds everything that goes into it: the
# text of its recipe, the source package's version, the cross compiler's and binutils' versions, the toolchain
# files, our own layer's sources and the stamps of every library built before it; a library whose stamp differs
# is built again, and so is every library after it. A prefix is used by one build at a time (a lock).
#
# Usage: build_win32_deps.sh [prefix]
# RX_WINDOWS_ARCH picks the target: i686 (the shipped 32-bit programs, the default) or x86_64 (the 64-bit test
# build). RX_WIN32_DEPS_TESTS=0 leaves GoogleTest out (a build that only ships).
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
arch=${RX_WINDOWS_ARCH:-i686}
case "$arch" in
  i686 | x86_64) ;;
  *) echo "build_win32_deps: RX_WINDOWS_ARCH must be i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
default_prefix="${XDG_CACHE_HOME:-$HOME/.cache}/relicade/win32-deps-$arch"
toolchain="$repo/cmake/mingw-$arch.cmake"
prefix=$(mkdir -p "${1:-$default_prefix}" && cd "${1:-$default_prefix}" && pwd)
exec 9>"$prefix.lock"
flock 9
work="$prefix/work"
stamps="$prefix/stamps"
mkdir -p "$work" "$stamps" "$prefix/bin" "$prefix/lib" "$prefix/include" "$prefix/licenses"
# The stamps say nothing of the target, so a prefix holds one target's libraries only.
if [ -f "$prefix/arch" ] && [ "$(cat "$prefix/arch")" != "$arch" ]; then
  echo "build_win32_deps: $prefix holds $(cat "$prefix/arch") libraries, not $arch ones" >&2
  exit 2
fi
printf '%s\n' "$arch" >"$prefix/arch"

host=$arch-w64-mingw32
export CC="$host-gcc-posix" CXX="$host-g++-posix" AR="$host-ar" RANLIB="$host-ranlib" RC="$host-windres"
export WINDRES="$RC" STRIP="$host-strip"
# The runtime of the compiler itself goes inside every DLL, so nothing but our own DLLs ships.
export LDFLAGS="-static-libgcc -L$prefix/lib"
export CPPFLAGS="-I$prefix/include"
export PKG_CONFIG_LIBDIR="$prefix/lib/pkgconfig"
jobs=$(nproc)
log="$prefix/build.log"

# Runs one library's recipe unless its stamp already holds the same inputs. The inputs of every library built
# before it are part of its own, so a changed zlib rebuilds what links it.
chain=
step() {
  local name=$1 recipe
  recipe="$2
$chain"
  local stamp="$stamps/$name"
  chain=$(printf '%s' "$recipe" | sha256sum)
  if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$recipe" ]; then
    return 0
  fi
  # What the library installs is overwritten by its new build; a half-built one never keeps an old stamp.
  rm -f "$stamp"
  echo "build_win32_deps: building $name" >&2
  local start=$SECONDS
  # Not in a condition, so that `set -e` still stops the recipe at its first failing command.
  local status=0
  set +e
  (set -e; "build_$name") >>"$log" 2>&1
  status=$?
  set -e
  if [ $status -ne 0 ]; then
    echo "build_win32_deps: $name failed; the end of $log:" >&2
    tail -n 40 "$log" >&2
    exit 1
  fi
  printf '%s' "$recipe" >"$stamp"
  echo "build_win32_deps: $name took $((SECONDS - start)) s" >&2
}

# Unpacks a Debian source package (with Debian's patches applied) into work/<package>; the newest version
# apt knows is tried first, then older ones, since a mirror may no longer carry every file of the newest.
fetch_source() {
  local package=$1 dir="$work/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  local version
  for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -Vr -u); do
    if (cd "$dir" && apt-get source -qq "$package=$version") >>"$log" 2>&1; then
      local tree
      tree=$(find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n 1)
      [ -n "$tree" ] || continue
      echo "$tree"
      return 0
    fi
    rm -rf "${dir:?}"/*
  done
  echo "build_win32_deps: no source of $package could be fetched (is there a deb-src entry?)" >&2
  return 1
}

build_zlib() {
  local src
  src=$(fetch_source zlib)
  # Debian's tree has no Windows makefile; the library is its top-level C files.
  local obj="$work/zlib-obj"
  rm -rf "$obj"
  mkdir -p "$obj"
  local c
  for c in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees trees \
    uncompr zutil; do
    "$CC" -O2 -D_LARGEFILE64_SOURCE=1 -I "$src" -c "$src/$c.c" -o "$obj/$c.o"
  done
  "$AR" rcs "$prefix/lib/libz.a" "$obj"/*.o
  install -m 644 "$src/zlib.h" "$src/zconf.h" "$prefix/include/"
  install -m 644 "$src/LICENSE" "$prefix/licenses/zlib-LICENSE.txt"
  mkdir -p "$prefix/lib/pkgconfig"
  printf 'prefix=%s\nlibdir=${prefix}/lib\nincludedir=${prefix}/include\n\nName: zlib\nDescription: zlib\nVersion: 1.2.13\nLibs: -L${libdir} -lz\nCflags: -I${includedir}\n' \
    "$prefix" >"$prefix/lib/pkgconfig/zlib.pc"
}

# libsodium (Ed25519 and SHA-256 for the update's signature), static, and only its minimal set, which holds both. Debian's tree ships no generated
# configure, so autoreconf makes one (autoconf, automake and libtool come with bootstrap_win32.sh). Stack
# protection would need mingw's libssp DLL beside the programs, so it is left off. --host keeps this right
# for either mingw-w64 target.
build_libsodium() {
  local src
  src=$(fetch_source libsodium)
  (cd "$src" && autoreconf -fi && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static --disable-ssp \
    --enable-minimal --disable-dependency-tracking && make -j "$jobs" && make install)
  install -m 644 "$src/LICENSE" "$prefix/licenses/libsodium-LICENSE.txt"
}

build_libpng() {
  local src
  src=$(fetch_source libpng1.6)
  (cd "$src" && ./configure --host=$host --prefix="$prefix" --disable-shared --enable-static \
    && make -j "$jobs" && make install)
  install -m 644 "$src/LICENSE" "$prefix/licenses/libpng-LICENSE.txt"
}

build_freetype() {
  local src
  src=$(fetch_source freetype)
  local out="$work/freetype-build"
  rm -rf "$out"
  cmake -S "$src" -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DRX_MINGW_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -DFT_DISABLE_BZIP2=ON -DFT_DISABLE_PNG=ON -DFT_DISABLE_HARFBUZZ=ON \
    -DFT_DISABLE_BROTLI=ON -DFT_DISABLE_ZLIB=OFF -DFT_REQUIRE_ZLIB=ON
  cmake --build "$out" -j "$jobs"
  cmake --install "$out"
  install -m 644 "$src/docs/FTL.TXT" "$prefix/licenses/FreeType-LICENSE.txt"
}

build_sdl() {
  local src
  src=$(fetch_source libsdl1.2)
  # Debian's tree carries no generated configure for every host; the release one is used as shipped.
  (cd "$src" && CC="$CC -static-libgcc" ./configure --host=$host --prefix="$prefix" --enable-shared --disable-static \
    --disable-nasm && make -j "$jobs" && make install)
  install -m 644 "$src/COPYING" "$prefix/licenses/SDL-LICENSE.txt"
}

build_gtest() {
  local out="$work/gtest-build"
  rm -rf "$out"
  cmake -S /usr/src/googletest -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DRX_MINGW_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_SHARED_LIBS=OFF -Dgtest_disable_pthreads=OFF -DCMAKE_CXX_FLAGS="-static-libgcc -static-libstdc++"
  cmake --build "$out" -j "$jobs"
  cmake --install "$out"
}

build_sdl_layer() {
  local out="$work/sdl-layer-build"
  rm -rf "$out"
  cmake -S "$repo/sdl_layer_win32" -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DRX_MINGW_PREFIX="$prefix" -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release
  cmake --build "$out" -j "$jobs"
  cmake --install "$out"
}

# A recipe is the text of its function, the version of the source package it fetches, the cross tools' versions
# and, for our own layer, the hash of its sources.
source_version() { apt-cache showsrc "$1" 2>/dev/null | sed -n 's/^Version: //p' | sort -Vr -u | head -n 1; }
recipe() { declare -f "build_$1"; [ -z "${2:-}" ] || echo "source $2 $(source_version "$2")"; }
layer_hash=$(cd "$repo/sdl_layer_win32" && find . -type f -print0 | sort -z | xargs -0 sha256sum | sha256sum)
toolchain_hash=$(cat "$toolchain" "$repo/cmake/mingw-common.cmake" | sha256sum)
tools="$("$CC" --version | head -n 1); $("$CXX" --version | head -n 1); $("$AR" --version | head -n 1)
$(dpkg-query -W -f='${Package} ${Version}\n' "mingw-w64-$(echo "$arch" | tr _ -)-dev" 2>/dev/null || true)"

chain=$(printf '%s' "$tools $toolchain_hash" | sha256sum)
step zlib "$(recipe zlib zlib)"
step libsodium "$(recipe libsodium libsodium)"
step libpng "$(recipe libpng libpng1.6)"
step freetype "$(recipe freetype freetype)"
step sdl "$(recipe sdl libsdl1.2)"
step sdl_layer "$(recipe sdl_layer) $layer_hash"
# GoogleTest comes last: a build that only ships leaves it out without touching the others' stamps.
if [ "${RX_WIN32_DEPS_TESTS:-1}" != 0 ]; then
  step gtest "$(recipe gtest) $(dpkg-query -W -f='${Version}' googletest 2>/dev/null || true)"
fi
echo "$prefix"
