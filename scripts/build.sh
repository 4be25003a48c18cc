#!/usr/bin/env bash
# Configures and builds the whole project into build/ (the program folder is build/relicade).
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${RX_BUILD_DIR:-build}
build_type=${RX_BUILD_TYPE:-Release}
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE="$build_type" "$@" >/dev/null
cmake --build "$build_dir" -j "$(nproc)"
