#!/usr/bin/env bash
# The fuzzing campaign that looks for new faults: every fuzz target (or those named) in turn, each turn from a new
# random seed, until SECONDS have passed in all (default 1800). The corpus it grows is kept between turns under
# build-fuzz/campaign/. A fault found is minimised into fuzz/regressions/TARGET/ (commit it with its fix: the
# replay tests and fuzz/run.sh run it from then on) and that target is left out of later turns. Ends with a summary;
# fails when anything was found.
#   bench/fuzz.sh                 half an hour over every target
#   bench/fuzz.sh 3600 news       one target for an hour
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-1800}
shift || true
build=${RX_FUZZ_BUILD_DIR:-build-fuzz}
turn=${RX_FUZZ_TURN:-60}

bash fuzz/build.sh "$build"
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < "$build/fuzz/targets.txt"; fi
found_dir="$build/campaign/found"
mkdir -p "$found_dir"
declare -A runs=() failed=()
kept=()
turns=0
start=$SECONDS
while [ $((SECONDS - start)) -lt "$seconds" ]; do
  active=0
  for name in "${targets[@]}"; do
    [ -n "$name" ] && [ -z "${failed[$name]:-}" ] || continue
    left=$((seconds - (SECONDS - start)))
    [ "$left" -gt 0 ] || break
    active=1
    slice=$((left < turn ? left : turn))
    seed=$(od -An -N4 -tu4 /dev/urandom | tr -d ' ')
    work="$build/campaign/corpus/$name"
    mkdir -p "$work"
    corpora=("fuzz/corpus/$name")
    [ -d "fuzz/regressions/$name" ] && corpora+=("fuzz/regressions/$name")
    log="$build/campaign/$name.log"
    rm -f "$found_dir/$name-"*
    status=0
    UBSAN_OPTIONS=print_stacktrace=1 ASAN_OPTIONS=detect_leaks=1 \
      "$build/fuzz/rx_fuzz_$name" -seed="$seed" -max_total_time="$slice" -print_final_stats=1 -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$found_dir/$name-" "$work" "${corpora[@]}" >"$log" 2>&1 || status=$?
    turns=$((turns + 1))
    done_runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    runs[$name]=$(( ${runs[$name]:-0} + ${done_runs:-0} ))
    [ "$status" -ne 0 ] || continue
    failed[$name]=1
    artifact=$(ls "$found_dir/$name-"* 2>/dev/null | head -n 1)
    echo "fuzz campaign: $name found a fault with seed $seed (log $log):" >&2
    grep -E 'ERROR|runtime error|fuzz check failed' "$log" | head -3 >&2 || true
    [ -n "$artifact" ] || continue
    # The smallest input that still fails is what the repository keeps.
    small="$artifact.min"
    "$build/fuzz/rx_fuzz_$name" -minimize_crash=1 -runs=20000 -exact_artifact_path="$small" "$artifact" \
      >"$log.min" 2>&1 || true
    [ -s "$small" ] || small=$artifact
    keep="fuzz/regressions/$name/found-$(sha1sum "$small" | cut -c1-12)"
    mkdir -p "fuzz/regressions/$name"
    cp "$small" "$keep"
    kept+=("$keep")
  done
  [ "$active" -eq 1 ] || break
done
total=0
for name in "${!runs[@]}"; do total=$((total + runs[$name])); done
echo "fuzz campaign: ${#targets[@]} targets, $turns turns of up to ${turn}s, $total runs in $((SECONDS - start))s," \
  "${#failed[@]} found"
for k in "${kept[@]}"; do echo "fuzz campaign: kept $k"; done
[ ${#failed[@]} -eq 0 ]
