#!/usr/bin/env bash
# Sets up, builds, starts the local stand-in service and runs the Relicade client against it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/bootstrap.sh
bash scripts/build.sh
program_dir=build/relicade
data_dir=${RX_DATA_DIR:-build/service-data}
mkdir -p "$data_dir"
if [ -x "$program_dir/rx_service" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  "$program_dir/rx_service" --data "$data_dir" --http-port 0 --game-port 0 --test-hooks >"$fifo" &
  service_pid=$!
  trap 'kill $service_pid 2>/dev/null || true; rm -f "$fifo"' EXIT
  read -r first_line <"$fifo"
  http_port=$(sed -n 's/.*http=\([0-9]*\).*/\1/p' <<<"$first_line")
  game_port=$(sed -n 's/.*game=\([0-9]*\).*/\1/p' <<<"$first_line")
  export RELICADE_WEB_HOST=127.0.0.1:$http_port
  export RELICADE_CATALOGUE_HOST=127.0.0.1:$http_port
  export RELICADE_SOCIAL_HOST=127.0.0.1:$http_port
  export RELICADE_EMULATOR_HOST=127.0.0.1
  export RELICADE_GAME_PORT=$game_port
  export RELICADE_FALLBACK_ADDRESS=127.0.0.1
  echo "rx_service on http=$http_port game=$game_port; log in as guest/guest or demo/demo" >&2
fi
"$program_dir/Relicade"
