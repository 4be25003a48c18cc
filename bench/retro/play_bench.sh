#!/usr/bin/env bash
# From Play to the first game frame on screen, and rx_retro's own time per frame beside the core's:
# starts rx_service on free ports, runs the emulator program for a game for a few seconds (as the
# browser's Play does), quits it through its Escape menu and prints the timings it recorded.
# Usage (on an X display, e.g. under scripts/with_xvfb.sh):
#   play_bench.sh BUILD_DIR [LAUNCH_SCHEME GAME_ID PROGRAM [SECONDS]]
# The default game is the NES test game of the service's games folder. SDL_AUDIODRIVER=dummy gives
# the sound path a device that drains in real time. RX_BENCH_SERVICE names another rx_service and
# RX_BENCH_SERVICE_ARGS adds options to it (such as --games DIR).
set -euo pipefail
build=$1
scheme=${2:-rxnes://}
game=${3:-relicade_nes.nes}
program=${4:-nester}
seconds=${5:-6}
folder="$build/relicade"
work=$(mktemp -d)
service_pid=
cleanup() {
  [ -n "$service_pid" ] && kill "$service_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck disable=SC2086
"${RX_BENCH_SERVICE:-$folder/rx_service}" --data "$work/data" --http-port 0 --game-port 0 --test-hooks \
  ${RX_BENCH_SERVICE_ARGS:-} >"$work/service.txt" 2>/dev/null &
service_pid=$!
for _ in $(seq 100); do [ -s "$work/service.txt" ] && break; sleep 0.05; done
read -r _ _ http game_port <"$work/service.txt"
export RELICADE_WEB_HOST="127.0.0.1:${http#http=}" RELICADE_CATALOGUE_HOST="127.0.0.1:${http#http=}"
export RELICADE_GAME_PORT="${game_port#game=}" RELICADE_FALLBACK_ADDRESS=127.0.0.1
export RX_RETRO_TIMINGS="$work/timings.txt"

start=$(date +%s%3N)
"$folder/$program" "${scheme}demo:demo@127.0.0.1/$game" &
player=$!
sleep "$seconds"
# Escape, then Quit in the menu it opens, ends the game as a player would; if the window never came,
# stop it.
xdotool search --name "^${game}\$" key Escape Down Return >/dev/null 2>&1 || kill "$player"
wait "$player" || true
[ -s "$work/timings.txt" ] || { echo "play_bench: the game drew no frame (see rx_retro_log.txt)"; exit 1; }
python3 - "$start" "$work/timings.txt" <<'PY'
import sys
start = float(sys.argv[1])
fields = dict(kv.split("=") for kv in open(sys.argv[2]).read().split())
first = float(fields["first_frame_epoch_ms"]) - start
print(f"Play to first frame: {first:.0f} ms (rx_init {float(fields['rx_init_ms']):.0f}, "
      f"core and game ready {float(fields['core_ready_ms']):.0f}, window {float(fields['window_ms']):.0f} "
      f"ms after the start)")
print(f"per frame: retro_run {float(fields['core_ms_per_frame']):.3f} ms, "
      f"rx_retro itself {float(fields['frontend_ms_per_frame']):.3f} ms, "
      f"{fields['frames']} frames at {fields['fps']} Hz")
print(f"sound: {fields['sound_rate']} Hz, mean queue {fields['mean_queue']} frames, "
      f"underrun {fields['underrun_frames']} frames")
PY
