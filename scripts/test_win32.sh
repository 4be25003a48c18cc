#!/usr/bin/env bash
# The Windows leg of the tests: builds the Windows program folder (libraries cached under build-win32/deps),
# runs its unit tests under Wine, runs the two Wine end-to-end tests on an X display against the Linux build's
# rx_service, and packs relicade-win32.zip. Prints how long each step took.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
win_dir=${RX_WIN32_BUILD_DIR:-build-win32}
linux_dir=${RX_BUILD_DIR:-build}
step_times=()
mark() { step_times+=("$1 $((SECONDS - step_start)) s"); step_start=$SECONDS; }
step_start=$SECONDS

bash scripts/bootstrap_win32.sh
mark bootstrap

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
RX_WIN32_BUILD_DIR="$win_dir" bash scripts/build_win32.sh "${launcher[@]}"
mark build

# One Wine prefix for the build, made once; one wineserver for the whole run so each program starts quickly.
export WINEPREFIX="$PWD/$win_dir/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
xvfb_pid=
display_file=$(mktemp)
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -f "$display_file"
  # The Linux build goes back to registering no Wine tests, so its own runs stay as they were.
  if [ -f "$linux_dir/CMakeCache.txt" ]; then
    cmake -S . -B "$linux_dir" -DRX_WIN32_PROGRAM_DIR= >/dev/null 2>&1 || true
  fi
}
trap cleanup EXIT

# Wine's windows need an X server of their own that never resets between clients.
Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1024x768x24 3>"$display_file" </dev/null >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
display_number=$(tr -dc '0-9' <"$display_file")
[ -n "$display_number" ] || { echo "test_win32: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display_number"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# A server left from an earlier run of this prefix ends first, so the persistent one starts clean.
wineserver -k >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
# Wine's own background programs (services, the desktop) start now, away from the test runners' output
# pipes, which they would otherwise hold open until the server ends.
wine cmd /c exit </dev/null >/dev/null 2>&1
mark wine-prefix

(cd "$win_dir" && ctest --output-on-failure --timeout 300 -L win32)
mark unit-tests

if [ ! -f "$linux_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
cmake -S . -B "$linux_dir" -DRX_WIN32_PROGRAM_DIR="$PWD/$win_dir/relicade" >/dev/null
cmake --build "$linux_dir" -j "$(nproc)" --target wine_e2e_tests rx_service rx_service_data
(cd "$linux_dir" && ctest --output-on-failure --timeout 300 -L wine)
mark end-to-end

bash scripts/package_win32.sh "$win_dir/relicade" "$win_dir/relicade-win32.zip"
mark zip

echo "test_win32: ${step_times[*]}; total $((SECONDS - started)) s" >&2
