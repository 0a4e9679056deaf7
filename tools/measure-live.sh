#!/usr/bin/env bash
# Plays a busy Scenario (3 backgrounds, 12 effects at "Frequently", Dynamic Random) in
# the real lullwood and prints what it costs the whole system.
#
# Usage: tools/measure-live.sh [--disk | --pipewire] [--full-band] [--quiet] [seconds]
#        (seconds: at least 30, default 50)
#
# The build is the one tools/build-dir.sh names (LULLWOOD_BUILD_DIR, default build/);
# lullwood, lullwood-output-latency and the wave files are made there when missing.
#
# By default the sound goes to a private PulseAudio server started for the run: a null
# sink at 48 kHz float, its own runtime folder and socket, stopped at the end, also on
# failure. The script prints, from 10 s after the start to the end, the CPU time of
# lullwood and of the server as shares of one core and their sum; lullwood's peak
# resident memory and resident memory over the run; the first-paint time; what the
# server reports for the stream (its properties, buffer and sink latency). Then, with the
# window gone, lullwood-output-latency times how long a sound started on the program's
# output takes to reach the sink. Last, a GStreamer pipeline mixes the same three
# backgrounds as WAV files (audiomixer ! pulsesink) on the same server for the same time,
# and the script prints its cost and the ratio of the two.
#
# --pipewire measures on PipeWire instead: pipewire, wireplumber and pipewire-pulse started
# for the run under a session bus of their own (dbus-run-session), with their own runtime,
# configuration and state folders and the same null sink at 48 kHz made through the pulse
# server, all stopped at the end, also on failure. The server figures are then those of
# the three processes together (and their threads, each named as the process calls it).
# There the program speaks PipeWire's own protocol; with LULLWOOD_AUDIO=pulse in the
# environment it goes through pipewire-pulse instead, as before it could.
#
# --quiet plays an effects-only Scenario instead (six effects at "Rarely", no background),
# silent most of the time, through which the output rests: besides the CPU it prints the
# wake-ups a second of program and server together (every thread's voluntary switches)
# and how often the stream was found corked (at the looks every 10 s); then the
# start-to-sink delay both on an output that plays and on one resting through a silence,
# and no GStreamer mix.
#
# --full-band plays the full-bandwidth sounds (the Sound menu's second choice, stored in
# the run's settings), and GStreamer mixes the same backgrounds' full-band waves.
#
# --disk leaves the sound server out, for machines without one: SDL's disk driver writes
# the mix to a temporary file at real-time pace, so the mixer works as hard as on a sound
# card, and only the program's own cost is printed.
#
# The program runs under a virtual X server (xvfb-run); settings go to a temporary
# folder. The first paint is reported by the program itself when
# LULLWOOD_REPORT_FIRST_PAINT=1 is set. At the end the window is sent the window
# manager's close request (WM_DELETE_WINDOW), the same as its close box, so the program
# ends through its normal exit.
set -euo pipefail

source "$(dirname "$0")/build-dir.sh"
source "$lullwood_root/tools/measuring.sh"
mode=pulse
server_kind=pulseaudio
full_band=0
quiet=0
arguments=("$@")
while [ $# -gt 0 ]; do
  case "$1" in
    --disk) mode=disk; shift ;;
    --pipewire) server_kind=pipewire; shift ;;
    --full-band) full_band=1; shift ;;
    --quiet) quiet=1; shift ;;
    *) break ;;
  esac
done
if [ "$mode" = disk ] && [ "$server_kind" = pipewire ]; then
  echo "measure-live: --disk and --pipewire exclude each other" >&2
  exit 2
fi
seconds="${1:-50}"
if [ $# -gt 1 ] || ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 30 ]; then
  echo "usage: tools/measure-live.sh [--disk | --pipewire] [--full-band] [--quiet] [seconds]   (seconds: a whole number, at least 30)" >&2
  exit 2
fi

packages=(xvfb xauth python3)
if [ "$mode" = pulse ]; then
  packages+=(pulseaudio pulseaudio-utils gstreamer1.0-tools gstreamer1.0-plugins-base
    gstreamer1.0-plugins-good gstreamer1.0-pulseaudio)
fi
if [ "$server_kind" = pipewire ]; then packages+=(pipewire pipewire-pulse wireplumber dbus); fi
"$lullwood_root/tools/deps.sh" "${packages[@]}"
# PipeWire's session manager wants a session bus: the whole run gets one of its own.
if [ "$server_kind" = pipewire ] && [ -z "${LULLWOOD_MEASURE_BUS:-}" ]; then
  LULLWOOD_MEASURE_BUS=1 exec dbus-run-session -- "$0" "${arguments[@]}"
fi
lullwood_build lullwood lullwood-output-latency lullwood_wave_files
binary="$lullwood_build_dir/app/lullwood"
latency_tool="$lullwood_build_dir/tools/latency/lullwood-output-latency"
waves="$lullwood_build_dir/resources/waves"
if [ "$full_band" -eq 1 ]; then waves="$lullwood_build_dir/resources/waves-full-band"; fi

work="$(mktemp -d /tmp/lullwood-measure-XXXXXX)"
# The disk driver's output goes to memory (tmpfs) when there is one: a file system's
# journal would charge the program for the stand-in of a sound card.
audio_dir="$work"
if [ "$mode" = disk ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
  audio_dir="$(mktemp -d /dev/shm/lullwood-measure-XXXXXX)"
fi
# The sound server's processes (one for PulseAudio, three for PipeWire), space-separated.
server=""
mixer=""
cleanup() {
  if [ -n "$mixer" ]; then kill "$mixer" 2>/dev/null || true; wait "$mixer" 2>/dev/null || true; fi
  for pid in $server; do kill "$pid" 2>/dev/null || true; done
  for pid in $server; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
  if [ "$audio_dir" != "$work" ]; then rm -rf "$audio_dir"; fi
}
trap cleanup EXIT

busy_scenario "$work/busy.lwd"
if [ "$quiet" -eq 1 ]; then
  # Six effects at "Rarely", nothing else: silent more than nine tenths of the time.
  {
    printf '[Backgrounds]\r\n'
    for n in 2 7 11 17 24 29; do printf 'R%d=2\r\n' "$n"; done
  } > "$work/busy.lwd"
fi
# The same backgrounds' waves, for the GStreamer mix.
loops=(SURF RAIN TICK)

cat > "$work/close.py" <<'PY'
import ctypes, ctypes.util, sys
x = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11") or "libX11.so.6")
x.XOpenDisplay.restype = ctypes.c_void_p
x.XOpenDisplay.argtypes = [ctypes.c_char_p]
x.XDefaultRootWindow.restype = ctypes.c_ulong
x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x.XInternAtom.restype = ctypes.c_ulong
x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
x.XQueryTree.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_ulong),
                         ctypes.POINTER(ctypes.c_ulong), ctypes.POINTER(ctypes.POINTER(ctypes.c_ulong)),
                         ctypes.POINTER(ctypes.c_uint)]
x.XFetchName.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.POINTER(ctypes.c_char_p)]
x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
x.XFlush.argtypes = [ctypes.c_void_p]
x.XCloseDisplay.argtypes = [ctypes.c_void_p]

class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5), ("pad", ctypes.c_char * 96)]

display = x.XOpenDisplay(None)
if not display:
    sys.exit("cannot open the display")
root = x.XDefaultRootWindow(display)
protocols = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
delete = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
parent, rootReturn, count = ctypes.c_ulong(), ctypes.c_ulong(), ctypes.c_uint()
children = ctypes.POINTER(ctypes.c_ulong)()
x.XQueryTree(display, root, ctypes.byref(rootReturn), ctypes.byref(parent), ctypes.byref(children),
             ctypes.byref(count))
sent = 0
for i in range(count.value):
    name = ctypes.c_char_p()
    if x.XFetchName(display, children[i], ctypes.byref(name)) and name.value \
            and name.value.startswith(b"Lullwood"):
        event = ClientMessage(type=33, send_event=1, display=display, window=children[i],
                              message_type=protocols, format=32)
        event.data[0] = delete
        x.XSendEvent(display, children[i], 0, 0, ctypes.byref(event))
        sent += 1
x.XFlush(display)
x.XCloseDisplay(display)
sys.exit(0 if sent else "no Lullwood window found")
PY


if [ "$mode" = pulse ]; then
  # The system's stock configuration, nothing of the user's: every folder is the run's.
  private_server_start "$server_kind" "$work" || exit 1
  server=$PRIVATE_SERVER_PIDS
  [ "$server_kind" = pulseaudio ] || echo "sound server:                   $(pactl info | sed -n 's/^Server Name: //p')"
  export SDL_AUDIODRIVER=pulseaudio
else
  export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio_dir/audio.raw"
fi

# Runs inside the virtual X server's session.
cat > "$work/inner.sh" <<'INNER'
set -euo pipefail
binary="$1"; seconds="$2"; work="$3"; server="$4"
source "$work/common.sh"
status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }
# Each of the program's threads: id, CPU time in ns, times it went to sleep, name.
thread_times() {
  for task in /proc/"$1"/task/*; do
    echo "${task##*/} $(awk '{ print $1 }' "$task/schedstat" 2>/dev/null || echo 0)" \
      "$(awk '$1 == "voluntary_ctxt_switches:" { print $2 }' "$task/status" 2>/dev/null || echo 0)" \
      "$(cat "$task/comm" 2>/dev/null)"
  done
}

export XDG_CONFIG_HOME="$work/config" LULLWOOD_REPORT_FIRST_PAINT=1
start=$(now_ns)
"$binary" "$work/busy.lwd" > "$work/stdout" 2> "$work/stderr" &
pid=$!

# The program's own report of its first paint; the wall time until its line appears is
# a cross-check from outside.
paint_seen=""
for _ in $(seq 1 1000); do
  if grep -q "first paint" "$work/stderr" 2>/dev/null; then paint_seen=$(now_ns); break; fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.005
done

# RSS once a second; CPU at 10 s and at the end; the server's view of the stream at
# 15 s, 25 s and so on.
rss=()
cpu10=""; server10=""; t10=""
for s in $(seq 1 "$seconds"); do
  target=$(( start + s * 1000000000 ))
  remaining=$(( target - $(now_ns) ))
  if [ "$remaining" -gt 0 ]; then sleep "$(awk -v r="$remaining" 'BEGIN { printf "%.3f", r / 1e9 }')"; fi
  kill -0 "$pid" 2>/dev/null || { echo "measure-live: lullwood ended early" >&2; cat "$work/stderr" >&2; exit 1; }
  rss+=("$(status_kb "$pid" VmRSS)")
  if [ "$s" -eq 10 ]; then
    cpu10=$(cpu_ns "$pid"); t10=$(now_ns)
    thread_times "$pid" > "$work/threads.10"
    for p in $server; do thread_times "$p"; done > "$work/server-threads.10"
    if [ -n "$server" ]; then server10=$(cpu_ns_all $server); fi
  fi
  if [ -n "$server" ] && [ $(( s % 10 )) -eq 5 ]; then
    pactl list sink-inputs > "$work/sink-inputs.$s" 2>&1 || true
  fi

done
cpu_end=$(cpu_ns "$pid"); t_end=$(now_ns)
thread_times "$pid" > "$work/threads.end"
for p in $server; do thread_times "$p"; done > "$work/server-threads.end"
if [ -n "$server" ]; then server_end=$(cpu_ns_all $server); fi
hwm=$(status_kb "$pid" VmHWM)

python3 "$work/close.py" || echo "measure-live: could not send the close request" >&2
ended="normal exit"
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$pid" 2>/dev/null; then
  ended="did NOT end within 5 s of the close request; sent SIGTERM"
  kill "$pid"
fi
set +e; wait "$pid"; exit_status=$?; set -e

program=$(share "$cpu10" "$cpu_end" "$t10" "$t_end")
echo "lullwood CPU, 10 s to the end:  $program % of one core"
echo "lullwood CPU, whole run:        $(share 0 "$cpu_end" "$start" "$t_end") % of one core"
# Where the share goes, thread by thread (threads that came and went between the two
# readings are left out).
per_thread() {
  awk -v seconds="$(awk -v a="$t10" -v b="$t_end" 'BEGIN { print (b - a) / 1e9 }')" '
    NR == FNR { before[$1] = $2; slept[$1] = $3; next }
    ($1 in before) && NF >= 4 && $3 >= slept[$1] {
      printf "  thread %-16s %.3f %% of one core, %.1f wake-ups a second\n", $4,
        100 * ($2 - before[$1]) / 1e9 / seconds, ($3 - slept[$1]) / seconds
    }
  ' "$1" "$2"
}
per_thread "$work/threads.10" "$work/threads.end"
if [ -n "$server" ]; then
  sound=$(share "$server10" "$server_end" "$t10" "$t_end")
  echo "sound server CPU, same time:    $sound % of one core"
  per_thread "$work/server-threads.10" "$work/server-threads.end"
  echo "lullwood + server:              $(awk -v a="$program" -v b="$sound" 'BEGIN { printf "%.3f", a + b }') % of one core"
  # Every thread's voluntary switches, program and server, from 10 s to the end.
  cat "$work/threads.10" "$work/server-threads.10" > "$work/all.10"
  cat "$work/threads.end" "$work/server-threads.end" > "$work/all.end"
  awk -v seconds="$(awk -v a="$t10" -v b="$t_end" 'BEGIN { print (b - a) / 1e9 }')" '
    NR == FNR { slept[$1] = $3; next }
    ($1 in slept) && $3 >= slept[$1] { total += $3 - slept[$1] }
    END { printf "wake-ups, lullwood + server:    %.2f a second\n", total / seconds }
  ' "$work/all.10" "$work/all.end"
  if [ "$MEASURE_QUIET" -eq 1 ]; then
    echo "stream found corked:            $(grep -l "Corked: yes" "$work"/sink-inputs.* | wc -l) of $(ls "$work"/sink-inputs.* | wc -l) looks"
  fi
  awk -v a="$program" -v b="$sound" 'BEGIN { printf "%.6f\n", a + b }' > "$work/lullwood-total"
fi
first=0; last=0; n=${#rss[@]}
for i in $(seq 0 9); do first=$(( first + rss[i] )); last=$(( last + rss[n - 10 + i] )); done
echo "Peak resident (VmHWM):          $(( hwm / 1024 )).$(( (hwm % 1024) * 10 / 1024 )) MB ($hwm kB)"
echo "Resident, first and last 10 s:  $(( first / 10 )) kB, $(( last / 10 )) kB (growth $(( (last - first) / 10 )) kB)"
# Each effect's buffer is made at its first firing, 6 to 16 s in; from then on nothing
# should grow.
echo "Resident at 20 s and end:       ${rss[19]} kB, ${rss[n - 1]} kB (growth $(( rss[n - 1] - rss[19] )) kB)"
grep "first paint" "$work/stderr" | sed 's/^/Program reports:                /' || echo "Program reports:                no first paint line"
if [ -n "$paint_seen" ]; then
  echo "Seen from outside:              first paint line after $(( (paint_seen - start) / 1000000 )) ms (polled every 5 ms)"
fi
if [ -n "$server" ]; then
  shopt -s nullglob
  for f in "$work"/sink-inputs.*; do
    echo "Server at ${f##*.} s:$(awk '/Buffer Latency|Sink Latency/ { sub(/^[ \t]+/, ""); printf "  %s", $0 }' "$f")"
  done
  f=$(ls "$work"/sink-inputs.* | head -n 1)
  echo "Stream properties:              $(grep -E '^\s+(application\.name|application\.icon_name|media\.name|media\.role) =' "$f" | sed 's/^\s*//' | paste -sd ';' | sed 's/;/; /g')"
else
  echo "Audio written by SDL:           $(stat -c %s "$SDL_DISKAUDIOFILE" 2>/dev/null || echo 0) bytes"
fi
echo "Ended by:                       $ended, exit status $exit_status"
INNER
declare -f share cpu_ns cpu_ns_all now_ns > "$work/common.sh"

cd "$work"
# The Sound menu's second choice, in the settings the run's program reads.
if [ "$full_band" -eq 1 ]; then
  mkdir -p "$work/config/Quillor"
  printf '[General]\nFULLBAND=Y\n' > "$work/config/Quillor/Lullwood.conf"
fi
MEASURE_QUIET=$quiet xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inner.sh" "$binary" "$seconds" "$work" "$server"
[ "$mode" = pulse ] || exit 0

echo "--- a sound started on lullwood's output, to the sink (lullwood-output-latency, 12 trials):"
"$latency_tool" measure.monitor 12
if [ "$quiet" -eq 1 ]; then
  echo "--- the same on an output resting through a silence (--rested):"
  "$latency_tool" --rested measure.monitor 12
  exit 0
fi

echo "--- GStreamer mixing ${loops[*]} on the same server for the same time:"
# Each loop as a WAV long enough for the run, since a file source plays once.
for name in "${loops[@]}"; do
  python3 - "$waves/$name.wav" "$work/$name-long.wav" "$(( seconds + 10 ))" <<'PY'
import sys, wave
source, target, seconds = sys.argv[1], sys.argv[2], int(sys.argv[3])
with wave.open(source) as w:
    params, frames = w.getparams(), w.readframes(w.getnframes())
with wave.open(target, "wb") as out:
    out.setparams(params)
    for _ in range(seconds * params.framerate // params.nframes + 1):
        out.writeframes(frames)
PY
done
pipeline=(audiomixer name=mix ! audio/x-raw,format=F32LE,rate=48000,channels=2 ! pulsesink)
for name in "${loops[@]}"; do
  pipeline+=(filesrc location="$work/$name-long.wav" ! wavparse ! audioconvert ! audioresample ! mix.)
done
start=$(now_ns)
gst-launch-1.0 -q "${pipeline[@]}" > "$work/gst.log" 2>&1 &
mixer=$!
sleep 10
kill -0 "$mixer" 2>/dev/null || { echo "measure-live: the GStreamer mix ended early:" >&2; cat "$work/gst.log" >&2; exit 1; }
gst10=$(cpu_ns "$mixer"); server10=$(cpu_ns_all $server); t10=$(now_ns)
sleep "$(( seconds - 10 ))"
gst_end=$(cpu_ns "$mixer"); server_end=$(cpu_ns_all $server); t_end=$(now_ns)
kill "$mixer"; wait "$mixer" 2>/dev/null || true; mixer=""
gst=$(share "$gst10" "$gst_end" "$t10" "$t_end")
sound=$(share "$server10" "$server_end" "$t10" "$t_end")
echo "GStreamer CPU, 10 s to the end: $gst % of one core"
echo "sound server CPU, same time:    $sound % of one core"
echo "GStreamer + server:             $(awk -v a="$gst" -v b="$sound" 'BEGIN { printf "%.3f", a + b }') % of one core"
awk -v a="$gst" -v b="$sound" -v l="$(cat "$work/lullwood-total")" 'BEGIN {
  if (l > 0) printf "GStreamer mix / lullwood:       %.1f times\n", (a + b) / l
  else print "GStreamer mix / lullwood:       lullwood measured no CPU time at all" }'
