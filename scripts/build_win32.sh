#!/usr/bin/env bash
# Cross-builds a Windows program folder with mingw-w64: the libraries first (scripts/build_win32_deps.sh, cached
# under the build folder), then the programs, rxlib.dll and the tests. RX_WINDOWS_ARCH picks the target: i686
# (default; the shipped 32-bit folder, build-win32/relicade) or x86_64 (a 64-bit build of the same sources for
# the tests where 32-bit programs cannot run, build-win64/relicade). Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
arch=${RX_WINDOWS_ARCH:-i686}
case "$arch" in
  i686) default_dir=build-win32 ;;
  x86_64) default_dir=build-win64 ;;
  *) echo "build_win32: RX_WINDOWS_ARCH must be i686 or x86_64, not $arch" >&2; exit 2 ;;
esac
build_dir=${RX_WIN32_BUILD_DIR:-$default_dir}
prefix="$PWD/$build_dir/deps"
RX_WINDOWS_ARCH="$arch" bash scripts/build_win32_deps.sh "$prefix"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-$arch.cmake" \
  -DRX_MINGW_PREFIX="$prefix" -DCMAKE_BUILD_TYPE="${RX_BUILD_TYPE:-Release}" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
