#!/usr/bin/env bash
# The fuzz leg of the tests: builds every fuzz target with clang (libFuzzer, AddressSanitizer, UBSan) into
# build-fuzz/ and runs each one from its seeds and kept failures for a fixed number of runs from a fixed seed, so
# the same commit gives the same answer on every machine. Prints one line per target and a total; fails when a
# target finds a fault (the input is kept under build-fuzz/fuzz/found/).
#   fuzz/run.sh              every target
#   fuzz/run.sh news gunzip  some targets
# New faults are looked for by bench/fuzz.sh, which runs random seeds for as long as it is given.
set -euo pipefail
cd "$(dirname "$0")/.."
# Changed only with a commit: the leg's answer depends on these two numbers and the repository alone.
seed=20261209
runs=${RX_FUZZ_RUNS:-100000}
build=${RX_FUZZ_BUILD_DIR:-build-fuzz}

bash fuzz/build.sh "$build"
build_abs=$(cd "$build" && pwd)
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < "$build/fuzz/targets.txt"; fi
found_dir="$build/fuzz/found"
mkdir -p "$found_dir"
total_runs=0
failed=()
start=$SECONDS
for name in "${targets[@]}"; do
  [ -n "$name" ] || continue
  # A run is the same everywhere only when everything it sees is: its inputs are copied in a fixed order into a
  # folder emptied first (libFuzzer orders inputs of one size as the folder lists them), and it starts from that
  # folder as ./fuzzer with a fixed environment and address layout (compared pointers feed the mutations, and the
  # program's path and environment sit on its stack), and libFuzzer's timed allocator purge, which moves later
  # allocations, is off.
  work="$build/fuzz/work/$name"
  rm -rf "$work"
  mkdir -p "$work/new" "$work/inputs"
  n=0
  while IFS= read -r input; do
    n=$((n + 1))
    cp "$input" "$work/inputs/$(printf '%04d' "$n")"
  done < <(find "fuzz/corpus/$name" "fuzz/regressions/$name" -type f 2>/dev/null | LC_ALL=C sort)
  ln -s "$build_abs/fuzz/rx_fuzz_$name" "$work/fuzzer"
  log="$build/fuzz/$name.log"
  status=0
  target_start=$SECONDS
  (cd "$work" && env -i PATH=/usr/bin:/bin UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
    setarch -R ./fuzzer -seed="$seed" -runs="$runs" -reload=0 -purge_allocator_interval=-1 -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix=found- new inputs) >"$log" 2>&1 || status=$?
  for artifact in "$work"/found-*; do
    [ -e "$artifact" ] && mv "$artifact" "$found_dir/$name-${artifact##*/found-}"
  done
  done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  done_runs=${done_runs:-0}
  total_runs=$((total_runs + done_runs))
  if [ "$status" -ne 0 ]; then
    failed+=("$name")
    echo "fuzz: $name FAILED after $done_runs runs (log $log):" >&2
    grep -E 'ERROR|runtime error|fuzz check failed|Test unit written' "$log" | head -5 >&2 || true
  else
    # Coverage and features reached: the same figures on every machine for the same commit.
    reached=$(sed -n 's/^#[0-9]*[[:space:]]*DONE[[:space:]]*\(cov: [0-9]* ft: [0-9]*\).*/\1/p' "$log" | tail -1)
    echo "fuzz: $name $done_runs runs in $((SECONDS - target_start))s, $reached"
  fi
done
echo "fuzz: ${#targets[@]} targets, seed $seed, $total_runs runs in $((SECONDS - start))s, ${#failed[@]} failed"
[ ${#failed[@]} -eq 0 ]
