#!/usr/bin/env bash
# Cross-builds a Windows program folder with mingw-w64: the libraries and libretro cores first
# (scripts/build_win32_deps.sh, cached outside the clone), then the programs, rxlib.dll and the tests (-DRX_BUILD_TESTS=OFF: the programs only). RX_WINDOWS_ARCH picks the target: i686
# (default; the shipped 32-bit folder, build-win32/relicade) or x86_64 (a 64-bit build of the same sources for
# the tests where 32-bit programs cannot run, build-win64/relicade). Extra arguments go to CMake's configure step.
# rx_update.exe trusts the update key given as -DRX_UPDATE_PUBLIC_KEY=HEX; without one it gets the Linux build's
# own (made there when missing), since the Wine tests run it against that build's rx_service and its signed
# sample update.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${RX_WINDOWS_ARCH:-i686}
case "$arch" in
  i686) default_dir=build-win32 ;;
  x86_64) default_dir=build-win64 ;;
  *) echo "build_win32: RX_WINDOWS_ARCH must be i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
build_dir=${RX_WIN32_BUILD_DIR:-$default_dir}
tests=1
if printf '%s\n' "$@" | grep -q '^-DRX_BUILD_TESTS=OFF$'; then tests=0; fi
prefix=$(RX_WINDOWS_ARCH="$arch" RX_WIN32_DEPS_TESTS=$tests bash scripts/build_win32_deps.sh ${RX_WIN32_DEPS_DIR:+"$RX_WIN32_DEPS_DIR"})
key_args=()
linux_dir=${RX_BUILD_DIR:-build}
if [ ! -f "$linux_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_dir" -G Ninja -DCMAKE_BUILD_TYPE="${RX_BUILD_TYPE:-Release}" >/dev/null
fi
if ! printf '%s\n' "$@" | grep -q '^-DRX_UPDATE_PUBLIC_KEY='; then
  cmake --build "$linux_dir" --target rx_update_key >/dev/null
  key_args=(-DRX_UPDATE_PUBLIC_KEY="$(cat "$linux_dir/update_key/update_public_key.hex")")
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-$arch.cmake" \
  -DRX_MINGW_PREFIX="$prefix" -DCMAKE_BUILD_TYPE="${RX_BUILD_TYPE:-Release}" "${key_args[@]}" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
# rx_retro's settings files come from the same codecs through the Linux build's program (a cross build cannot
# run its own without Wine); files already in the folder are left alone.
cmake --build "$linux_dir" --target rx_retro_ship_settings >/dev/null
"$linux_dir/retro/rx_retro_ship_settings" "$build_dir/relicade"
