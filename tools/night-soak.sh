#!/usr/bin/env bash
# Plays the busy Scenario (3 backgrounds, 12 effects at "Frequently", Dynamic Random) in
# the real lullwood through a private sound server for HOURS and prints what a listener
# would notice and what the night cost.
#
# Usage: tools/night-soak.sh HOURS [--pipewire] [--restarts N]
#        (HOURS: a number above 0, such as 1 or 0.25; N: whole, default 0)
#
# The server is the one tools/measuring.sh starts (PulseAudio, or PipeWire with --pipewire)
# with a null sink; with --restarts it is killed and started again at N random moments
# between a tenth and nine tenths of the way, as a crash and a restart would. The sink's
# monitor is recorded throughout (parec, float) and read as it comes by
# lullwood-monitor-check, which counts gaps (5 ms or more of exact silence inside the
# sound) and steps (second differences above twice the largest an offline render of the
# same Scenario holds); a recording is made afresh after each restart, so the silence
# while the server is gone counts as nothing. The script prints, per stretch between
# restarts, the recording's duration, gaps and steps; per hour, the CPU share and
# wake-ups a second of lullwood and the server together; the underruns the server
# reported to the program's libpulse stream (the program notes each one on its error
# output; PipeWire's own protocol reports none to a stream, so there the recording's
# gaps stand for them); and lullwood's resident memory at 5 minutes and at the end. The
# server's figures include the recording stream's share.
#
# The program runs under a virtual X server (xvfb-run) with settings in a temporary
# folder; the build is the one tools/build-dir.sh names.
set -euo pipefail

source "$(dirname "$0")/build-dir.sh"
source "$lullwood_root/tools/measuring.sh"
server_kind=pulseaudio
restarts=0
arguments=("$@")
hours=""
while [ $# -gt 0 ]; do
  case "$1" in
    --pipewire) server_kind=pipewire; shift ;;
    --restarts) restarts="${2:-}"; shift 2 || true ;;
    *) [ -z "$hours" ] || { hours=bad; break; }; hours="$1"; shift ;;
  esac
done
if ! [[ "$hours" =~ ^[0-9]*\.?[0-9]+$ ]] || ! awk -v h="$hours" 'BEGIN { exit !(h > 0) }' ||
  ! [[ "$restarts" =~ ^[0-9]+$ ]]; then
  echo "usage: tools/night-soak.sh HOURS [--pipewire] [--restarts N]   (HOURS above 0; N whole)" >&2
  exit 2
fi
seconds=$(awk -v h="$hours" 'BEGIN { printf "%d", h * 3600 }')
[ "$seconds" -ge 120 ] || { echo "night-soak: at least 2 minutes (HOURS 0.034)" >&2; exit 2; }

packages=(xvfb xauth pulseaudio-utils sox libsox-fmt-base)
if [ "$server_kind" = pipewire ]; then packages+=(pipewire pipewire-pulse wireplumber dbus)
else packages+=(pulseaudio); fi
"$lullwood_root/tools/deps.sh" "${packages[@]}"
if [ "$server_kind" = pipewire ] && [ -z "${LULLWOOD_MEASURE_BUS:-}" ]; then
  LULLWOOD_MEASURE_BUS=1 exec dbus-run-session -- "$0" "${arguments[@]}"
fi
lullwood_build lullwood lullwood-render lullwood-monitor-check lullwood_wave_files
binary="$lullwood_build_dir/app/lullwood"
render="$lullwood_build_dir/tools/render/lullwood-render"
check="$lullwood_build_dir/tools/soak/lullwood-monitor-check"

work="$(mktemp -d /tmp/lullwood-soak-XXXXXX)"
# The recorder is told apart by its name, so that two soaks may run side by side.
recorder_name="lullwood-soak-${work##*-}"
program=""
recorder=""
cleanup() {
  pkill -f "parec --client-name=$recorder_name" 2>/dev/null || true
  [ -z "$recorder" ] || kill "$recorder" 2>/dev/null || true
  # xvfb-run leaves its program and its X server running when it is killed itself: they
  # go first.
  [ -z "$program" ] || { pkill -P "$program" 2>/dev/null; kill "$program" 2>/dev/null; } || true
  private_server_stop
  rm -rf "$work"
}
trap cleanup EXIT
busy_scenario "$work/busy.lwd"

# What the mix itself makes: its largest second difference over two minutes, offline.
"$render" "$work/busy.lwd" --seconds 120 --seed 1 --rate 48000 --out "$work/reference.wav" >/dev/null
own=$(sox "$work/reference.wav" -t raw -e floating-point -b 32 - |
  "$check" 48000 100000 0 | sed -n 's/.*largest second difference \([0-9.]*\).*/\1/p' | tail -n 1)
limit=$(awk -v o="$own" 'BEGIN { l = 2 * o; if (l < 0.05) l = 0.05; printf "%.4f", l }')
echo "the mix's own largest second difference: $own; steps counted above $limit"

private_server_start "$server_kind" "$work"
echo "sound server: $(pactl info | sed -n 's/^Server Name: //p')"

# Records the monitor into the checker, one stretch per server life.
stretch=0
record() {
  stretch=$(( stretch + 1 ))
  parec --client-name="$recorder_name" -d measure.monitor --raw --format=float32le --channels=2 --rate=48000 \
    --latency-msec=250 2>/dev/null | "$check" 48000 3600 "$limit" > "$work/stretch.$stretch" &
  recorder=$!
}

export XDG_CONFIG_HOME="$work/config"
xvfb-run -a -s "-screen 0 1280x1024x24" "$binary" "$work/busy.lwd" > "$work/stdout" 2> "$work/stderr" &
program=$!
for _ in $(seq 100); do
  pid=$(pgrep -f "^$binary $work/busy.lwd" | head -n 1 || true)
  [ -n "$pid" ] && break
  sleep 0.1
done
[ -n "$pid" ] || { echo "night-soak: lullwood did not start" >&2; cat "$work/stderr" >&2; exit 1; }
record

# Every thread's voluntary switches of the processes named.
wakes_all() {
  local p total=0
  for p in "$@"; do
    total=$(( total + $(cat /proc/"$p"/task/*/status 2>/dev/null |
      awk '$1 == "voluntary_ctxt_switches:" { s += $2 } END { print s + 0 }') ))
  done
  echo "$total"
}
rss_kb() { awk '$1 == "VmRSS:" { print $2 }' "/proc/$1/status"; }

# The restart moments, in seconds from the start, in order.
moments=$(awk -v n="$restarts" -v s="$seconds" -v seed="$RANDOM" 'BEGIN {
  srand(seed); for (i = 0; i < n; i++) printf "%d\n", s * (0.1 + 0.8 * rand()) }' | sort -n)
start=$(now_ns)
elapsed() { echo $(( ($(now_ns) - start) / 1000000000 )); }
# CPU and wake-ups are taken over each piece of time between marks (the hours and the
# restarts), of the processes alive through it, and summed into the hour it lies in.
declare -A hour_cpu hour_wakes hour_secs
mark_cpu=$(cpu_ns_all "$pid" $PRIVATE_SERVER_PIDS); mark_wakes=$(wakes_all "$pid" $PRIVATE_SERVER_PIDS)
mark_t=$(now_ns)
close_piece() {
  local hour=$(( ($(elapsed) - 1) / 3600 ))
  [ "$hour" -ge 0 ] || hour=0
  local c w t
  c=$(cpu_ns_all "$pid" $PRIVATE_SERVER_PIDS); w=$(wakes_all "$pid" $PRIVATE_SERVER_PIDS); t=$(now_ns)
  hour_cpu[$hour]=$(( ${hour_cpu[$hour]:-0} + c - mark_cpu ))
  hour_wakes[$hour]=$(( ${hour_wakes[$hour]:-0} + w - mark_wakes ))
  hour_secs[$hour]=$(( ${hour_secs[$hour]:-0} + t - mark_t ))
}
open_piece() {
  mark_cpu=$(cpu_ns_all "$pid" $PRIVATE_SERVER_PIDS); mark_wakes=$(wakes_all "$pid" $PRIVATE_SERVER_PIDS)
  mark_t=$(now_ns)
}
rss5=""
next_hour=3600
for moment in $moments "$seconds"; do
  while [ "$(elapsed)" -lt "$moment" ]; do
    sleep 5
    kill -0 "$pid" 2>/dev/null || { echo "night-soak: lullwood ended early" >&2; cat "$work/stderr" >&2; exit 1; }
    if [ -z "$rss5" ] && [ "$(elapsed)" -ge 300 ]; then rss5=$(rss_kb "$pid"); fi
    if [ "$(elapsed)" -ge "$next_hour" ]; then close_piece; open_piece; next_hour=$(( next_hour + 3600 )); fi
  done
  [ "$moment" = "$seconds" ] && break
  close_piece
  echo "restart at $(elapsed) s"
  # The recorder ends with the server; its checker then reads to the end and reports.
  private_server_stop
  wait "$recorder" 2>/dev/null || true
  sleep 2
  private_server_start "$server_kind" "$work"
  record
  open_piece
done
close_piece
rss_end=$(rss_kb "$pid")
pkill -f "parec --client-name=$recorder_name" 2>/dev/null || true
wait "$recorder" 2>/dev/null || true
recorder=""

echo "--- the recording, per stretch between restarts:"
for f in $(ls "$work"/stretch.* | sort -t. -k2 -n); do
  echo "stretch ${f##*.}: $(grep 'whole recording' "$f" | sed 's/^whole recording: //')"
done
awk '/whole recording/ { g += $6; s += $8 } END { printf "gaps %d, steps %d in all\n", g, s }' \
  FS='[ ,]+' "$work"/stretch.*
echo "--- lullwood and the server, per hour:"
for hour in $(printf '%s\n' "${!hour_secs[@]}" | sort -n); do
  awk -v h="$hour" -v c="${hour_cpu[$hour]}" -v w="${hour_wakes[$hour]}" -v t="${hour_secs[$hour]}" \
    'BEGIN { printf "hour %d: %.3f %% of one core, %.1f wake-ups a second (over %.0f s)\n",
      h + 1, 100 * c / t, w / (t / 1e9), t / 1e9 }'
done
echo "underruns the server reported: $(grep -c 'ran out of samples' "$work/stderr" || true)"
if [ -n "$rss5" ]; then
  echo "lullwood resident at 5 min and at the end: $rss5 kB, $rss_end kB (growth $(( rss_end - rss5 )) kB)"
fi
grep -v 'ran out of samples' "$work/stderr" | sed 's/^/lullwood said: /' | head -n 20
