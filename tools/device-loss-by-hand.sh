#!/usr/bin/env bash
# Provokes audio-device loss on the real program: starts a private PulseAudio server with
# a null sink, plays a Scenario through it, stops the server for a while and starts it
# again, and shows whether the program's stream came back and carries sound.
# Not part of the test suite: it needs pulseaudio, pulseaudio-utils, xvfb and sox.
# Usage: tools/device-loss-by-hand.sh [path to lullwood] [seconds without a server]
# Without a path it uses (and builds) the lullwood of tools/build-dir.sh: $LULLWOOD_BUILD_DIR,
# default build/.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh pulseaudio pulseaudio-utils xvfb xauth sox

source tools/build-dir.sh
if [ -n "${1:-}" ]; then
  program=$(realpath "$1")
else
  lullwood_build lullwood
  program=$lullwood_build_dir/app/lullwood
fi
outage=${2:-6}
work=$(mktemp -d /tmp/lullwood-device-loss-XXXXXX)
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config HOME=$work/home
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_SERVER=unix:$work/pulse.socket SDL_AUDIODRIVER=pulseaudio
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_server() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
    --log-target=file:"$work/pulse.log" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.socket" \
    -L "module-null-sink sink_name=night" -L "module-always-sink" &
  server=$!
  for _ in $(seq 50); do pactl info >/dev/null 2>&1 && return; sleep 0.1; done
  echo "the server did not start; see $work/pulse.log" >&2
  exit 1
}
# Whether a stream plays into the sink, and how loud a second of the sink is.
report() {
  local streams level
  streams=$(pactl list short sink-inputs 2>/dev/null | wc -l || true)
  level=$(timeout 2 parec -d night.monitor --raw --format=s16le --channels=2 --rate=48000 2>/dev/null |
    head -c 192000 | sox -t raw -e signed -b 16 -c 2 -r 48000 - -n stat 2>&1 |
    awk '/Maximum amplitude/ {print $3}' || true)
  echo "$1: streams=$streams peak=${level:-none}"
}

printf '[Backgrounds]\r\nchk1=Y\r\nchk5=Y\r\nR4=4\r\nR9=4\r\nDYNAMIC=Y\r\n' >"$work/night.lwd"
start_server
xvfb-run -a "$program" "$work/night.lwd" >"$work/program.log" 2>&1 &
pids+=($!)
sleep 4
report "playing"

kill -9 "$server"
wait "$server" 2>/dev/null || true
server=""
echo "server stopped for $outage s"
sleep "$outage"
start_server
echo "server started again"
for second in 1 2 3 4 5 6; do
  sleep 1
  report "after $second s"
done
if kill -0 "${pids[0]}" 2>/dev/null; then echo "the program is still running"; else
  echo "THE PROGRAM HAS ENDED"; fi
echo "--- the program's messages:"
cat "$work/program.log"
