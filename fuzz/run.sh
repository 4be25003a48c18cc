#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) into build-fuzz/ and runs
# each for SECONDS (default 10), starting from its seeds and its kept failures. Prints one line per
# target and a total; fails when a target finds a fault (the input is kept under build-fuzz/fuzz/found/).
#   fuzz/run.sh 4            the short run of the test script
#   fuzz/run.sh 600 news     a longer run of some targets
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-10}
shift || true
build=${RX_FUZZ_BUILD_DIR:-build-fuzz}
export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=None -DCMAKE_C_COMPILER=clang \
  -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_CXX_FLAGS="-O1 -g" -DCMAKE_C_FLAGS="-O1 -g" -DRX_FUZZ=ON \
  -DRX_BUILD_TESTS=OFF -DRX_BUILD_BENCH=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)" --target rx_fuzz_all >/dev/null

if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < "$build/fuzz/targets.txt"; fi
found_dir="$build/fuzz/found"
mkdir -p "$found_dir"
total_runs=0
failed=()
start=$(date +%s)
for name in "${targets[@]}"; do
  [ -n "$name" ] || continue
  # New inputs go to a scratch folder; the seeds in the repository stay as they are.
  work="$build/fuzz/work/$name"
  mkdir -p "$work" "fuzz/regressions/$name"
  log="$build/fuzz/$name.log"
  status=0
  UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
    "$build/fuzz/rx_fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -rss_limit_mb=2048 -artifact_prefix="$found_dir/$name-" \
    "$work" "fuzz/corpus/$name" "fuzz/regressions/$name" >"$log" 2>&1 || status=$?
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  runs=${runs:-0}
  total_runs=$((total_runs + runs))
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    echo "fuzz: $name FAILED after $runs runs (log $log):" >&2
    grep -E 'ERROR|runtime error|fuzz check failed|Test unit written' "$log" | head -5 >&2 || true
  else
    echo "fuzz: $name $runs runs in ${seconds}s"
  fi
done
echo "fuzz: ${#targets[@]} targets, $total_runs runs in $(($(date +%s) - start))s, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
