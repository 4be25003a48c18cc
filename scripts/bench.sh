#!/usr/bin/env bash
# Builds everything and runs every benchmark, printing their figures: the browser frame and idle CPU, the game
# list, rx_service, rxlib's start-up and rx_update's throughput. Windows that need a display get a private
# Xvfb (-noreset). Nothing here is a pass/fail test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
bash scripts/build.sh
b=build/bench
echo "== browser frame (dummy video driver)"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$b/frame/rx_frame_bench"
echo "== Relicade idle CPU"
bash scripts/with_xvfb.sh sh bench/frame/idle_cpu.sh build
echo "== game list"
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$b/game_list/game_list_bench"
echo "== rx_service"
"$b/service/service_bench"
echo "== rx_service under load (2,000 game sessions; 1,000 slow connections per port)"
"$b/service/service_load_bench"
echo "== rxlib start-up"
bash scripts/with_xvfb.sh "$b/rxlib/rxlib_init_bench" 3
echo "== rx_retro per frame (cores beside the frontend)"
"$b/retro/retro_frame_bench" 1200 2>/dev/null | grep -v -e '^Plain ROM' -e '^cgb:' -e '^ram' -e '^rom' || true
echo "== rx_retro: Play to first frame (NES test game)"
SDL_AUDIODRIVER=dummy bash scripts/with_xvfb.sh bash bench/retro/play_bench.sh build || true
# The ten-minute figure: RX_BENCH_PLAY_SECONDS=600 bash scripts/bench.sh.
play_seconds=${RX_BENCH_PLAY_SECONDS:-60}
echo "== rx_retro: smoothness and CPU over ${play_seconds} s of play (NES test game)"
SDL_AUDIODRIVER=dummy bash scripts/with_xvfb.sh bash bench/retro/play_bench.sh build rxnes:// \
  relicade_nes.nes nester "$play_seconds" || true
echo "== rx_update"
bash scripts/with_xvfb.sh "$b/updater/update_bench"
