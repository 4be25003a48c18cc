#!/usr/bin/env bash
# Cross-builds the Windows program folder (build-win32/relicade) with i686 mingw-w64: the libraries first
# (scripts/build_win32_deps.sh, cached under the build folder), then the programs, rxlib.dll and the tests.
# Extra arguments go to CMake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${RX_WIN32_BUILD_DIR:-build-win32}
prefix="$PWD/$build_dir/deps"
bash scripts/build_win32_deps.sh "$prefix"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-i686.cmake" \
  -DRX_MINGW_PREFIX="$prefix" -DCMAKE_BUILD_TYPE="${RX_BUILD_TYPE:-Release}" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
