#!/usr/bin/env bash
# The Windows leg of the tests. Always builds the shipped 32-bit program folder (build-win32, libraries cached
# outside the clone by scripts/build_win32_deps.sh) and packs relicade-win32.zip from it. Its tests run under Wine: the unit tests as
# Windows programs, then the Wine end-to-end tests on an X display against the Linux build's rx_service. Where
# this machine can start 32-bit programs they run on that 32-bit build under the 32-bit Wine; where it cannot,
# on an x86_64 build of the same sources (build-win64) under wine64. Prints which build was tested and why, and
# how long each step took.
#
# RX_WINDOWS_TEST_ARCH=x86_64 tests the 64-bit build even where 32-bit programs run (i686 forces the 32-bit one).
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
ship_dir=${RX_WIN32_BUILD_DIR:-build-win32}
linux_dir=${RX_BUILD_DIR:-build}
step_times=()
current=probe
mark() { step_times+=("$current $((SECONDS - step_start)) s"); current=$1; step_start=$SECONDS; }
step_start=$SECONDS
# Whatever stops the leg says which step and which command, with its status.
trap 'echo "test_win32: the $current step failed (status $?): $BASH_COMMAND" >&2' ERR

mkdir -p "$ship_dir"
probe_status=0
probe=$(bash scripts/probe_32bit.sh "$ship_dir") || probe_status=$?
if [ $probe_status -eq 2 ]; then
  echo "test_win32: cannot tell whether 32-bit programs run here: $probe" >&2
  exit 1
fi
if [ -n "${RX_WINDOWS_TEST_ARCH:-}" ]; then
  test_arch=$RX_WINDOWS_TEST_ARCH
  why="RX_WINDOWS_TEST_ARCH asks for it ($probe)"
elif [ $probe_status -eq 0 ]; then
  test_arch=i686
  why="this machine runs 32-bit programs: $probe"
else
  test_arch=x86_64
  why="this machine cannot run 32-bit programs, so 32-bit Wine cannot start: $probe"
fi
case "$test_arch" in
  i686) test_dir=$ship_dir loader=/usr/lib/wine/wine wine_arch=win32 what="the shipped 32-bit (i686) build under 32-bit Wine" ;;
  x86_64) test_dir=${RX_WIN64_BUILD_DIR:-build-win64} loader=/usr/lib/wine/wine64 wine_arch=win64
    what="an x86_64 build of the same sources under wine64 (the shipped folder and zip stay 32-bit)" ;;
  *) echo "test_win32: RX_WINDOWS_TEST_ARCH must be i686 or x86_64, not $test_arch" >&2; exit 2 ;;
esac
choice="Windows tests: $what, in $test_dir; $why"
echo "test_win32: $choice" >&2
printf '%s\n' "$choice" >"$ship_dir/windows_tests.txt"
mark bootstrap

bash scripts/bootstrap_win32.sh "$test_arch"
mark build

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
# Where the 64-bit build is the tested one, the shipped folder is built without its test programs.
ship_args=()
[ "$test_arch" = i686 ] || ship_args=(-DRX_BUILD_TESTS=OFF)
RX_WINDOWS_ARCH=i686 RX_WIN32_BUILD_DIR="$ship_dir" bash scripts/build_win32.sh "${launcher[@]}" "${ship_args[@]}"
# What ships is 32-bit whatever was tested.
for program in Relicade.exe rx_update.exe rxlib.dll rx_retro.exe cores/nestopia_libretro.dll \
  cores/bsnes_mercury_performance_libretro.dll cores/gambatte_libretro.dll cores/mgba_libretro.dll \
  cores/mednafen_pce_fast_libretro.dll; do
  format=$(i686-w64-mingw32-objdump -f "$ship_dir/relicade/$program" | sed -n 's/.*file format //p')
  if [ "$format" != pei-i386 ]; then
    echo "test_win32: $ship_dir/relicade/$program is $format, not a 32-bit Windows file (pei-i386)" >&2
    exit 1
  fi
done
if [ "$test_arch" = x86_64 ]; then
  mark build-x86_64
  RX_WINDOWS_ARCH=x86_64 RX_WIN32_BUILD_DIR="$test_dir" bash scripts/build_win32.sh "${launcher[@]}"
fi
mark wine-prefix

# One Wine prefix per tested build, made once; one wineserver for the whole run so each program starts quickly.
# The loader is called by its own path (see cmake/mingw-common.cmake), and wineserver through Debian's wrapper,
# which picks the 64-bit server when there is one.
export WINEPREFIX="$PWD/$test_dir/wine" WINEARCH=$wine_arch WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINELOADER=$loader
wineserver=/usr/lib/wine/wineserver
for tool in "$loader" "$wineserver"; do
  [ -x "$tool" ] || { echo "test_win32: $tool is missing (scripts/bootstrap_win32.sh $test_arch installs it)" >&2; exit 1; }
done
xvfb_pid=
display_file=$(mktemp)
cleanup() {
  "$wineserver" -k >/dev/null 2>&1 || true
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
# Runs one Wine command with its output kept; when it fails, says so with the status and the output's end.
wine_step() {
  local log="$test_dir/wine-setup.log" status=0
  "$@" </dev/null >"$log" 2>&1 || status=$?
  if [ $status -ne 0 ]; then
    echo "test_win32: \`$*\` failed with status $status (WINEPREFIX=$WINEPREFIX); its output ends:" >&2
    tail -n 20 "$log" >&2
    return 1
  fi
}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  rm -rf "$WINEPREFIX"
  wine_step "$loader" wineboot -i
  wine_step "$wineserver" -w
fi
# A server left from an earlier run of this prefix ends first, so the persistent one starts clean.
"$wineserver" -k >/dev/null 2>&1 || true
wine_step "$wineserver" -p
# Wine's own background programs (services, the desktop) start now, away from the test runners' output
# pipes, which they would otherwise hold open until the server ends.
wine_step "$loader" cmd /c exit
mark unit-tests

(cd "$test_dir" && ctest --output-on-failure --timeout 300 -L win32)
mark end-to-end

if [ ! -f "$linux_dir/CMakeCache.txt" ]; then
  cmake -S . -B "$linux_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release "${launcher[@]}" >/dev/null
fi
cmake -S . -B "$linux_dir" -DRX_WIN32_PROGRAM_DIR="$PWD/$test_dir/relicade" -DRX_WIN32_WINE_LOADER="$loader" \
  >/dev/null
cmake --build "$linux_dir" -j "$(nproc)" --target wine_e2e_tests rx_service rx_service_data wine_cores_tests
(cd "$linux_dir" && ctest --output-on-failure --timeout 300 -L wine)
mark zip

# Its rx_update.exe trusts the Linux build's own key (build_win32.sh), so the zip is named as one for tests.
bash scripts/package_win32.sh --for-tests "$ship_dir/relicade" "$ship_dir/relicade-win32.zip"
mark end

echo "test_win32: ${step_times[*]}; total $((SECONDS - started)) s" >&2
echo "test_win32: $choice" >&2
