#!/usr/bin/env bash
# Sets up, builds and runs every test: unit, widget and end-to-end tests, the sanitizer build of the
# unit tests, and the compile check of the Win32 platform code with the mingw cross compiler.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
jobs=$(nproc)

bash scripts/build.sh
# End-to-end tests need a real X display; each test run gets its own Xvfb.
( cd build && xvfb-run -a -s "-screen 0 1024x768x24" ctest --output-on-failure -j "$jobs" --timeout 300 )

# Unit tests again under AddressSanitizer and UBSan.
RX_BUILD_DIR=build-asan bash scripts/build.sh -DRX_SANITIZE=ON -DRX_BUILD_BENCH=OFF
( cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -L unit --timeout 300 )

bash scripts/check_win32.sh
