#!/usr/bin/env bash
# Sets up, builds and runs every test: unit, widget and end-to-end tests, the sanitizer build of the
# unit tests, and the compile check of the Win32 platform code with the mingw cross compiler.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
leg_times=()
current=bootstrap
leg() { leg_times+=("$current $((SECONDS - leg_start)) s"); current=$1; leg_start=$SECONDS; }
leg_start=$SECONDS
# Whatever stops the run says which leg and which command, with its status.
trap 'echo "test.sh: the $current leg failed (status $?): $BASH_COMMAND" >&2' ERR

bash scripts/bootstrap.sh
jobs=$(nproc)
# Every build of the run shares ccache's objects with earlier clones on this machine (scripts/build.sh says why
# that is safe); paths under the clone are hashed relative to it.
export CCACHE_BASEDIR=$PWD
launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
leg build

bash scripts/build.sh
leg tests

# End-to-end tests need a real X display: one Xvfb for the run, on the first free display number,
# without access control so that every test program can connect. -noreset: an X server resets when its
# last client leaves and drops connections that arrive meanwhile, so a program that closes its window
# and opens another at once (rxlib's loading window, then the emulator's) would now and then fail.
xvfb_pid=
display_file=$(mktemp)
stop_xvfb() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null; rm -f "$display_file"; }
trap stop_xvfb EXIT
Xvfb -displayfd 3 -noreset -ac -nolisten tcp -screen 0 1024x768x24 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
display_number=$(tr -dc '0-9' <"$display_file")
[ -n "$display_number" ] || { echo "test.sh: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display_number"
# A program that fails on purpose in a test would wait for a click on its message window; the tests that
# check the window switch it on again for their own programs.
export RELICADE_MESSAGE_WINDOW=off

( cd build && ctest --output-on-failure -j "$jobs" --timeout 300 -LE e2e )
# Window tests share the display, pointer and keyboard, so they run one at a time, and pass first time.
( cd build && ctest --output-on-failure --timeout 300 -L e2e )
leg sanitizers

# Unit tests again under AddressSanitizer and UBSan: only their programs are built (lightly optimised, no
# debug info), since the window tests do not run there.
unit_targets=$(cd build && ctest -L unit --show-only=json-v1 | python3 -c '
import json, os, sys
tests = json.load(sys.stdin)["tests"]
# Only programs the build makes: a test run by a script (bash, python3) needs nothing built.
built = os.getcwd() + os.sep
print(" ".join(sorted({os.path.basename(t["command"][0]) for t in tests
                       if t.get("command") and t["command"][0].startswith(built)})))')
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=None -DRX_SANITIZE=ON -DRX_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="-O1" -DCMAKE_C_FLAGS="-O1" "${launcher[@]}" >/dev/null
# shellcheck disable=SC2086
cmake --build build-asan -j "$jobs" --target $unit_targets
( cd build-asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j "$jobs" -L unit --timeout 300 )
leg check-win32

RX_RC_INCLUDE="$PWD/build/assets/rxlib" bash scripts/check_win32.sh
leg windows

# The Windows program folder: cross-built, its tests run under Wine (on the 32-bit build where this machine
# runs 32-bit programs, else on a 64-bit build of the same sources), relicade-win32.zip packed.
bash scripts/test_win32.sh
leg fuzz

# Every fuzz target from its seeds and kept failures, a fixed number of runs from a fixed seed (clang, libFuzzer,
# AddressSanitizer and UBSan): the same commit gives the same answer everywhere.
bash fuzz/run.sh
leg end

echo "test.sh: passed; ${leg_times[*]}; total $((SECONDS - started)) s" >&2
echo "test.sh: $(cat build-win32/windows_tests.txt)" >&2
