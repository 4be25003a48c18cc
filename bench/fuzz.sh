#!/usr/bin/env bash
# The long fuzzing run: every fuzz target for SECONDS each (default 600), or only the targets named.
#   bench/fuzz.sh            all targets, ten minutes each
#   bench/fuzz.sh 3600 news  one target for an hour
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
exec bash fuzz/run.sh "$seconds" "$@"
