#!/usr/bin/env bash
# Provokes audio-device loss on the real program: starts a private PulseAudio server with
# a null sink, plays a Scenario through it, kills the server, leaves it away for a while
# and starts it again, as many rounds as asked, and shows each time whether the
# program's stream came back and carries sound.
#
# With --suspend the server stays and its sink is suspended instead (pactl suspend-sink):
# the stream stays connected and is asked for nothing. The Scenario is then five effects
# at "Frequently" and no background, the sink's monitor is recorded from before each
# suspension to some seconds after it, and the script prints the recording's loudest
# second after each return and draws the whole recording (its envelope and spectrogram)
# to suspend.png in the current folder, where effects that piled up would show as one
# burst on the return.
# Not part of the test suite: it needs pulseaudio, pulseaudio-utils, xvfb and sox.
# Usage: tools/device-loss-by-hand.sh [--suspend] [seconds away] [rounds]   (6, 3)
# The program is the one in the build tools/build-dir.sh names (LULLWOOD_BUILD_DIR,
# default build/), made there when missing.
set -euo pipefail
source "$(dirname "$0")/build-dir.sh"
"$lullwood_root/tools/deps.sh" pulseaudio pulseaudio-utils xvfb xauth sox
lullwood_build lullwood

program=$lullwood_build_dir/app/lullwood
suspend=false
if [ "${1:-}" = "--suspend" ]; then suspend=true; shift; fi
outage=${1:-6}
rounds=${2:-3}
if ! [[ "$outage" =~ ^[0-9]+$ && "$rounds" =~ ^[1-9][0-9]*$ ]]; then
  echo "usage: tools/device-loss-by-hand.sh [--suspend] [seconds away] [rounds]" >&2
  exit 2
fi
work=$(mktemp -d /tmp/lullwood-device-loss-XXXXXX)
export XDG_RUNTIME_DIR=$work/run XDG_CONFIG_HOME=$work/config HOME=$work/home
mkdir -p "$XDG_RUNTIME_DIR" "$XDG_CONFIG_HOME" "$HOME"
chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_SERVER=unix:$work/pulse.socket SDL_AUDIODRIVER=pulseaudio
pids=()
cleanup() {
  # xvfb-run leaves its program running when it is killed itself: the program first.
  for pid in "${pids[@]}"; do pkill -P "$pid" 2>/dev/null || true; kill "$pid" 2>/dev/null || true; done
  [ -n "${server:-}" ] && kill "$server" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start_server() {
  pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
    --log-target=file:"$work/pulse.log" \
    -L "module-native-protocol-unix auth-anonymous=1 socket=$work/pulse.socket" \
    -L "module-null-sink sink_name=night rate=48000 format=float32le channels=2" &
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

if $suspend; then
  # Dog Bark, Horse, Crow, Hawk and Frog at "Frequently", nothing else.
  printf '[Backgrounds]\r\nR1=4\r\nR2=4\r\nR6=4\r\nR12=4\r\nR29=4\r\nDYNAMIC=N\r\n' >"$work/night.lwd"
else
  printf '[Backgrounds]\r\nchk1=Y\r\nchk5=Y\r\nR4=4\r\nR9=4\r\nDYNAMIC=Y\r\n' >"$work/night.lwd"
fi
start_server
xvfb-run -a "$program" "$work/night.lwd" >"$work/program.log" 2>&1 &
pids+=($!)
sleep 4
report "playing"

if $suspend; then
  parec -d night.monitor --raw --format=s16le --channels=2 --rate=48000 >"$work/sink.raw" &
  recorder=$!
  pids+=("$recorder")
  for round in $(seq "$rounds"); do
    sleep 8
    pactl suspend-sink night 1
    echo "round $round: sink suspended for $outage s"
    sleep "$outage"
    back=$(stat -c %s "$work/sink.raw")
    pactl suspend-sink night 0
    echo "round $round: sink running again"
    sleep 6
    # The loudest second of the first five after the return, and the quietest.
    for second in 0 1 2 3 4; do
      dd if="$work/sink.raw" iflag=skip_bytes skip=$((back + second * 192000)) bs=192000 \
        count=1 status=none | sox -t raw -e signed -b 16 -c 2 -r 48000 - -n stat 2>&1 |
        awk -v s="$second" '/RMS     amplitude/ {printf "  second %d after the return: rms %s\n", s, $3}'
    done
  done
  kill "$recorder" 2>/dev/null || true
  sox -t raw -e signed -b 16 -c 2 -r 48000 "$work/sink.raw" -n remix 1,2 \
    spectrogram -x 1600 -y 257 -z 80 -t "the sink, with $rounds suspensions of $outage s" \
    -o suspend.png
  echo "drawn: suspend.png"
  if kill -0 "${pids[0]}" 2>/dev/null; then echo "the program is still running"; else
    echo "THE PROGRAM HAS ENDED"; fi
  echo "--- the program's messages:"
  cat "$work/program.log"
  exit 0
fi

for round in $(seq "$rounds"); do
  kill -9 "$server"
  wait "$server" 2>/dev/null || true
  server=""
  echo "round $round: server killed, away for $outage s"
  sleep "$outage"
  start_server
  echo "round $round: server started again"
  for second in 1 2 3 4 5 6; do
    sleep 1
    report "after $second s"
  done
  pactl list sink-inputs | grep -E 'application.name|media.name|Latency' | sed 's/^\s*/  /'
done
if kill -0 "${pids[0]}" 2>/dev/null; then echo "the program is still running"; else
  echo "THE PROGRAM HAS ENDED"; fi
echo "--- the program's messages:"
cat "$work/program.log"
