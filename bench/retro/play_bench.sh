#!/usr/bin/env bash
# From Play to the first game frame on screen, and rx_retro's own time per frame beside the core's:
# starts rx_service on free ports, runs the emulator program for a game for a few seconds (as the
# browser's Play does), quits it through its Escape menu and prints the timings it recorded.
# Usage (on an X display, e.g. under scripts/with_xvfb.sh):
#   play_bench.sh BUILD_DIR [LAUNCH_SCHEME GAME_ID PROGRAM [SECONDS]]
# The default game is the NES test game of the service's games folder. A run over 5 s also prints
# the smoothness of settled play (time between shown frames, the sound rate controller's ratio,
# underruns) and rx_retro's processor share. SDL_AUDIODRIVER=dummy gives
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
  [ -n "${pulse_pid:-}" ] && kill "$pulse_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck disable=SC2086
"${RX_BENCH_SERVICE:-$folder/rx_service}" --data "$work/data" --http-port 0 --game-port 0 --test-hooks \
  ${RX_BENCH_SERVICE_ARGS:-} >"$work/service.txt" 2>/dev/null &
service_pid=$!
# Storing the sample accounts' hashed passwords takes the service seconds on a busy machine.
for _ in $(seq 600); do [ -s "$work/service.txt" ] && break; sleep 0.05; done
read -r _ _ http game_port <"$work/service.txt"
export RELICADE_WEB_HOST="127.0.0.1:${http#http=}" RELICADE_CATALOGUE_HOST="127.0.0.1:${http#http=}"
export RELICADE_GAME_PORT="${game_port#game=}" RELICADE_FALLBACK_ADDRESS=127.0.0.1
export RX_RETRO_TIMINGS="$work/timings.txt"

# The processor time rx_retro has used so far, in clock ticks (user + system).
cpu_ticks() { awk '{print $14 + $15}' "/proc/$player/stat"; }

# SDL's dummy sound driver drains by SDL_Delay in whole milliseconds, several per cent off the
# rate it claims, which no rate controller may follow; a PulseAudio null sink of the run's own
# drains by the system clock as a sound card does. RX_BENCH_SOUND=dummy keeps the dummy driver.
pulse_pid=
if [ "${RX_BENCH_SOUND:-pulse}" = pulse ] && command -v pulseaudio >/dev/null; then
  mkdir -p "$work/pulse"
  HOME="$work/pulse" XDG_RUNTIME_DIR="$work/pulse" pulseaudio -n --daemonize=no \
    --exit-idle-time=-1 --disallow-exit -L "module-null-sink sink_name=bench" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse/socket" \
    >"$work/pulse/log.txt" 2>&1 &
  pulse_pid=$!
  for _ in $(seq 100); do [ -S "$work/pulse/socket" ] && break; sleep 0.05; done
  if [ -S "$work/pulse/socket" ]; then
    export SDL_AUDIODRIVER=pulse PULSE_SERVER="unix:$work/pulse/socket"
  fi
fi
echo "sound device: SDL's ${SDL_AUDIODRIVER:-default} driver$([ -n "${PULSE_SERVER:-}" ] && echo ' (a PulseAudio null sink)'); load average $(cut -d' ' -f1-3 /proc/loadavg) on $(nproc) cores"

start=$(date +%s%3N)
"$folder/$program" "${scheme}demo:demo@127.0.0.1/$game" &
player=$!
# The processor share is taken once play has settled (the game loaded, its first frames out), to
# the end of the run.
settle=4
if [ "$seconds" -gt $((settle + 1)) ]; then
  sleep "$settle"
  cpu_from=$(cpu_ticks 2>/dev/null || echo)
  cpu_from_ms=$(date +%s%3N)
  sleep $((seconds - settle))
  cpu_to=$(cpu_ticks 2>/dev/null || echo)
  cpu_to_ms=$(date +%s%3N)
else
  sleep "$seconds"
fi
# Escape, then Quit in the menu it opens, ends the game as a player would; if the window never came,
# stop it.
xdotool search --name "^${game}\$" key Escape Down Return >/dev/null 2>&1 || kill "$player"
wait "$player" || true
[ -s "$work/timings.txt" ] || { echo "play_bench: the game drew no frame (see rx_retro_log.txt)"; exit 1; }
python3 - "$start" "$work/timings.txt" "${cpu_from:-}" "${cpu_to:-}" "${cpu_from_ms:-}" \
  "${cpu_to_ms:-}" "$(getconf CLK_TCK)" <<'PY'
import sys
start = float(sys.argv[1])
cpu_from, cpu_to, from_ms, to_ms, tick = sys.argv[3:8]
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
if int(fields.get("settled_frames", "0")) > 0:
    def verdict(ok):
        return "meets the target" if ok else "MISSES the target"
    sd = float(fields["frame_interval_sd_ms"])
    print(f"settled play ({fields['settled_frames']} frames after the first 3 s): time between "
          f"shown frames {float(fields['frame_interval_mean_ms']):.3f} ms, standard deviation "
          f"{sd:.3f} ms (target <= 1 ms: {verdict(sd <= 1)}), longest "
          f"{float(fields['frame_interval_max_ms']):.2f} ms; "
          f"{int(fields['on_time_intervals']) / int(fields['settled_frames']) * 100:.1f} % of them "
          f"within 1 ms of the frame period")
    print(f"  of which: handing a frame to the display took up to "
          f"{float(fields['update_max_ms']):.2f} ms (spread {float(fields['update_sd_ms']):.3f}), "
          f"waking for a frame came up to {float(fields['late_max_ms']):.2f} ms late "
          f"(spread {float(fields['late_sd_ms']):.3f})")
    mean = (float(fields["ratio_mean"]) - 1) * 100
    low = (float(fields["ratio_min"]) - 1) * 100
    high = (float(fields["ratio_max"]) - 1) * 100
    # The controller clamps at 0.5 %; the last digits of a clamped ratio are rounding.
    ok = abs(mean) <= 0.1 and max(abs(low), abs(high)) <= 0.5 + 1e-9
    print(f"rate control: ratio {float(fields['ratio_mean']):.6f} on average ({mean:+.4f} %), "
          f"from {low:+.4f} % to {high:+.4f} %, spread {float(fields['ratio_sd']) * 100:.4f} % "
          f"(target mean within 0.1 %, never past 0.5 %: {verdict(ok)})")
    # What the clocks themselves ask of the ratio: the device's true drain rate over what the frames
    # run produce at the nominal ratio. A ratio that follows it is the controller doing its job;
    # the rest of its departure from 1 is the device's (or the frame clock's) own error.
    seconds = float(fields["settled_ms"]) / 1000
    if seconds > 0:
        device_hz = int(fields["settled_device_frames"]) / seconds
        fps = int(fields["settled_core_frames"]) / seconds
        nominal_fps = float(fields["nominal_fps"])
        rate = float(fields["sound_rate"])
        core_rate = float(fields["core_sample_rate"])
        made_hz = int(fields["settled_core_sound_frames"]) / seconds
        needed = device_hz / (made_hz * rate / core_rate)
        print(f"clocks over {seconds:.0f} s: frames ran at {fps:.4f} Hz "
              f"({(fps / nominal_fps - 1) * 100:+.4f} % from {nominal_fps:.4f}), the core made "
              f"{made_hz:.1f} sound frames a second ({(made_hz / core_rate - 1) * 100:+.4f} % from "
              f"its {core_rate:.0f}), the device drained {device_hz:.1f} Hz "
              f"({(device_hz / rate - 1) * 100:+.4f} % from its {rate:.0f}): together they need a "
              f"ratio of {needed:.6f}, the controller's mean is "
              f"{(float(fields['ratio_mean']) / needed - 1) * 100:+.4f} % from that (the device "
              f"counts in blocks of 1024: +-{1024 / seconds / rate * 100:.3f} % over this run)")
    under = int(fields["settled_underrun_frames"])
    print(f"sound underruns with a 64 ms queue: {under} frames (target 0: {verdict(under == 0)})")
if cpu_from and cpu_to and from_ms and to_ms:
    share = (float(cpu_to) - float(cpu_from)) / float(tick) / ((float(to_ms) - float(from_ms)) / 1000)
    print(f"CPU of rx_retro while the game runs: {share * 100:.1f} % of one core "
          f"(target <= 10 %: {'meets the target' if share <= 0.10 else 'MISSES the target'})")
PY
