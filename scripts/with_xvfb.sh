#!/usr/bin/env bash
# Runs one command on a private Xvfb (for benchmarks and window programs run by hand): -noreset, so the
# server does not reset and drop connections when its last client leaves.
# Usage: bash scripts/with_xvfb.sh COMMAND [ARG...]
set -euo pipefail
display_file=$(mktemp)
Xvfb -displayfd 3 -noreset -ac -nolisten tcp -screen 0 1024x768x24 3>"$display_file" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null; rm -f "$display_file"' EXIT
for _ in $(seq 100); do [ -s "$display_file" ] && break; sleep 0.1; done
display_number=$(tr -dc '0-9' <"$display_file")
[ -n "$display_number" ] || { echo "with_xvfb: Xvfb did not start" >&2; exit 1; }
DISPLAY=":$display_number" "$@"
