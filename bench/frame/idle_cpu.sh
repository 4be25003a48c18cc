#!/bin/sh
# Idle CPU share of a running Relicade over 10 s: starts it on the current X display with the service
# pointed at a closed loopback port, measures through /proc/<pid>/stat, then ends it.
# Usage: bench/frame/idle_cpu.sh <build dir>   (with no display: bash scripts/with_xvfb.sh bench/frame/idle_cpu.sh build)
set -eu
build=${1:?build directory}
export RELICADE_WEB_HOST=127.0.0.1:1 RELICADE_CATALOGUE_HOST=127.0.0.1:1 RELICADE_SOCIAL_HOST=127.0.0.1:1
export SDL_AUDIODRIVER=dummy
"$build/relicade/Relicade" &
pid=$!
sleep 3
"$build/bench/frame/rx_frame_bench" --idle "$pid" 10
kill "$pid"
wait "$pid" 2>/dev/null || true
