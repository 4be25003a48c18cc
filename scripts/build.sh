#!/usr/bin/env bash
# Configures and builds the whole project into build/ (the program folder is build/relicade).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${RX_BUILD_DIR:-build}
build_type=${RX_BUILD_TYPE:-Release}
# ccache (kept under ~/.cache, outside the clone) gives a new clone on this machine the objects it built before;
# it keys them by the compiler, its flags and the preprocessed source, so a changed input always compiles again.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "${launcher[@]}" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
