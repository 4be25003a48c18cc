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
# What a recipe says for the person running the build goes to the first standard error, not to the log.
exec 8>&2
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
# --tar-only takes the upstream tarball alone (for packages whose Debian part the mirror no longer serves);
# such tarballs may have no top folder, so each is unpacked into a folder of its own, work/<package>/src.
fetch_source() {
  local tar_only=0
  if [ "$1" = --tar-only ]; then tar_only=1; shift; fi
  local package=$1 dir="$work/$1"
  rm -rf "$dir"
  mkdir -p "$dir"
  local version fetched
  for version in $(apt-cache showsrc "$package" | sed -n 's/^Version: //p' | sort -Vr -u); do
    if [ $tar_only = 1 ]; then
      fetched=0
      if (cd "$dir" && apt-get source -qq --tar-only "$package=$version") >>"$log" 2>&1; then
        local tarball
        tarball=$(find "$dir" -maxdepth 1 -name '*.orig.tar.*' | head -n 1)
        if [ -n "$tarball" ]; then
          mkdir -p "$dir/src"
          tar -xf "$tarball" -C "$dir/src" && fetched=1
        fi
      fi
    else
      fetched=0
      (cd "$dir" && apt-get source -qq "$package=$version") >>"$log" 2>&1 && fetched=1
    fi
    if [ $fetched = 1 ]; then
      local tree
      tree=$(find "$dir" -mindepth 1 -maxdepth 1 -type d | head -n 1)
      if [ -n "$tree" ]; then
        echo "build_win32_deps: $package $version" >&8
        echo "$tree"
        return 0
      fi
    fi
    echo "build_win32_deps: $package $version cannot be fetched; trying an older one" >&8
    rm -rf "${dir:?}"/*
  done
  echo "build_win32_deps: no source of $package could be fetched (is there a deb-src entry?)" >&2
  return 1
}

# mgba and libinih come from the next Debian release, whose mirrors still serve their sources whole. Its
# index lives in a private apt configuration used for those two packages only, so nothing else moves
# release. The index is refreshed at most once a day: a warm run then needs no network.
next_release=trixie
next_apt="$prefix/apt-$next_release"
next_apt_ready=0
with_next_release() {
  if [ $next_apt_ready = 0 ]; then
    mkdir -p "$next_apt/lists/partial" "$next_apt/cache/archives/partial" "$next_apt/parts"
    printf 'deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian %s main\n' \
      "$next_release" >"$next_apt/sources.list"
    printf '%s\n' "Dir::Etc::SourceList \"$next_apt/sources.list\";" "Dir::Etc::SourceParts \"$next_apt/parts\";" \
      "Dir::State::Lists \"$next_apt/lists\";" "Dir::Cache \"$next_apt/cache\";" 'Dir::Cache::pkgcache "";' \
      'Dir::Cache::srcpkgcache "";' >"$next_apt/apt.conf"
    if [ -z "$(find "$next_apt" -maxdepth 1 -name updated -mtime -1)" ]; then
      if APT_CONFIG="$next_apt/apt.conf" apt-get update -qq >>"$log" 2>&1; then
        touch "$next_apt/updated"
      else
        if [ -z "$(find "$next_apt/lists" -maxdepth 1 -name '*_Sources')" ]; then
          echo "build_win32_deps: cannot read Debian $next_release's source index (see $log)" >&2
          return 1
        fi
        echo "build_win32_deps: Debian $next_release's source index could not be refreshed; using the old one" >&8
      fi
    fi
    next_apt_ready=1
  fi
  APT_CONFIG="$next_apt/apt.conf" "$@"
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

# The libretro cores rx_retro.exe plays with, each a DLL in cores/ with its licence beside it. They are built
# from Debian's sources with build flags only: the compiler goes on make's command line (two Windows sections
# of the Makefiles set `CC = gcc`), the flags in the environment (on the command line they would replace the
# Makefiles' own `+=` defines). -static puts the compiler's runtime inside each DLL.
cores="$prefix/cores"
core_make() {
  local dir=$1 makefile=$2
  shift 2
  (cd "$dir" && env -u CPPFLAGS CFLAGS="-O2 -DNDEBUG" CXXFLAGS="-O2 -DNDEBUG" LDFLAGS=-static \
    make -f "$makefile" -j "$jobs" platform=win CC="$CC" CXX="$CXX" AR="$AR" "$@")
}
# A core is put in place only when it loads on a bare Windows: it may import nothing but the system's own
# DLLs (a compiler runtime DLL would be missing beside it) and must export the libretro entry points.
install_core() {
  local dll=$1 licence=$2 name
  name=$(basename "$dll" .dll)
  local headers
  headers=$("$host-objdump" -p "$dll")
  local import
  for import in $(sed -n 's/^\s*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u); do
    case "$import" in
      kernel32.dll | msvcrt.dll | ws2_32.dll | user32.dll | advapi32.dll | shell32.dll | shlwapi.dll | ole32.dll) ;;
      *) echo "build_win32_deps: $dll needs $import, which Windows does not have" >&2; return 1 ;;
    esac
  done
  local entry
  for entry in retro_init retro_run retro_load_game retro_get_memory_data retro_api_version; do
    grep -qw "$entry" <<<"$headers" || { echo "build_win32_deps: $dll does not export $entry" >&2; return 1; }
  done
  mkdir -p "$cores"
  "$STRIP" --strip-unneeded -o "$cores/.$name.part" "$dll"
  mv "$cores/.$name.part" "$cores/$name.dll"
  install -m 644 "$licence" "$cores/$name-LICENSE.txt"
}

build_core_nestopia() {
  local src
  src=$(fetch_source libretro-nestopia)
  core_make "$src/libretro" Makefile
  install_core "$src/libretro/nestopia_libretro.dll" "$src/COPYING"
}

build_core_bsnes() {
  local src
  src=$(fetch_source libretro-bsnes-mercury)
  core_make "$src" Makefile PROFILE=performance ui=target-libretro compiler="$CXX"
  install_core "$src/bsnes_mercury_performance_libretro.dll" "$src/LICENSE"
}

build_core_gambatte() {
  local src
  src=$(fetch_source --tar-only libretro-gambatte)
  core_make "$src/libgambatte" Makefile.libretro
  install_core "$src/libgambatte/gambatte_libretro.dll" "$src/COPYING"
}

# The upstream tarball carries no licence at its top; Debian's binary package has the copyright file.
build_core_pce_fast() {
  local src
  src=$(fetch_source --tar-only libretro-beetle-pce-fast)
  core_make "$src" Makefile
  local deb_dir="$work/libretro-beetle-pce-fast-deb"
  rm -rf "$deb_dir"
  mkdir -p "$deb_dir"
  (cd "$deb_dir" && apt-get download -qq libretro-beetle-pce-fast) >>"$log" 2>&1
  dpkg-deb -x "$deb_dir"/libretro-beetle-pce-fast_*.deb "$deb_dir/unpacked"
  install_core "$src/mednafen_pce_fast_libretro.dll" \
    "$deb_dir/unpacked/usr/share/doc/libretro-beetle-pce-fast/copyright"
}

# Debian's mgba takes inih from the system; here its one C file is a static library of our own. Setting
# CMAKE_SHARED_LINKER_FLAGS drops the toolchain's -static, so it is said again (else the i686 DLL wants
# libgcc_s_dw2-1.dll).
build_core_mgba() {
  local inih mgba
  inih=$(with_next_release fetch_source libinih)
  local inih_out="$work/inih-build"
  rm -rf "$inih_out"
  mkdir -p "$inih_out/include" "$inih_out/lib"
  "$CC" -O2 -DNDEBUG -c "$inih/ini.c" -o "$inih_out/ini.o"
  "$AR" rcs "$inih_out/lib/libinih.a" "$inih_out/ini.o"
  install -m 644 "$inih/ini.h" "$inih_out/include/"
  mgba=$(with_next_release fetch_source mgba)
  local out="$work/mgba-build"
  rm -rf "$out"
  local off=()
  local feature
  for feature in BUILD_QT BUILD_SDL BUILD_GL BUILD_GLES2 BUILD_GLES3 BUILD_TEST BUILD_SUITE BUILD_CINEMA \
    BUILD_PERF BUILD_EXAMPLE BUILD_UPDATER BUILD_PYTHON USE_FFMPEG USE_ZLIB USE_PNG USE_LIBZIP USE_MINIZIP \
    USE_SQLITE3 USE_ELF USE_LZMA USE_EDITLINE USE_EPOXY USE_DISCORD_RPC USE_GDB_STUB USE_DEBUGGERS USE_LUA \
    USE_JSON_C ENABLE_SCRIPTING; do
    off+=("-D$feature=OFF")
  done
  env -u CPPFLAGS -u LDFLAGS cmake -S "$mgba" -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DRX_MINGW_PREFIX="$inih_out" -DCMAKE_BUILD_TYPE=None -DCMAKE_C_FLAGS="-O2 -DNDEBUG -I$inih_out/include" \
    -DCMAKE_SHARED_LINKER_FLAGS="-static -L$inih_out/lib" -DBUILD_LIBRETRO=ON -DSKIP_LIBRARY=ON "${off[@]}"
  cmake --build "$out" -j "$jobs"
  install -m 644 "$inih/LICENSE.txt" "$cores/mgba-inih-LICENSE.txt"
  install_core "$out/mgba_libretro.dll" "$mgba/LICENSE"
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
# The cores link none of the libraries above, so they follow only the tools: neither rebuilds the other.
core_recipe() { recipe "core_$1" "${2:-}"; declare -f core_make install_core; }
chain=$(printf '%s' "$tools $toolchain_hash" | sha256sum)
step core_nestopia "$(core_recipe nestopia libretro-nestopia)"
step core_bsnes "$(core_recipe bsnes libretro-bsnes-mercury)"
step core_gambatte "$(core_recipe gambatte libretro-gambatte)"
step core_pce_fast "$(core_recipe pce_fast libretro-beetle-pce-fast)"
step core_mgba "$(core_recipe mgba) $(with_next_release source_version mgba) $(with_next_release source_version libinih)"
echo "$prefix"
