#!/usr/bin/env bash
# Plays a busy Scenario in the real lullwood and prints what it costs: CPU time as a
# share of one core, resident memory (peak, and the first 10 s against the last 10 s)
# and the time from process start to the first paint.
#
# Usage: tools/measure-live.sh [path/to/lullwood] [seconds]   (default: build*/app/lullwood, 60)
#
# The program runs under a virtual X server (xvfb-run) with SDL's disk audio driver,
# which writes the mix to a temporary file at real-time pace, so the mixer works as
# hard as on a sound card. Settings go to a temporary folder. The first paint is
# reported by the program itself when LULLWOOD_REPORT_FIRST_PAINT=1 is set. At the end
# the window is sent the window manager's close request (WM_DELETE_WINDOW), the same as
# its close box, so the program ends through its normal exit.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${1:-}"
seconds="${2:-60}"
if [ -z "$binary" ]; then
  binary="$(ls -t "$root"/build*/app/lullwood 2>/dev/null | head -n 1 || true)"
fi
if [ -n "$binary" ]; then binary="$(realpath "$binary")"; fi
if [ -z "$binary" ] || [ ! -x "$binary" ]; then
  echo "measure-live: no lullwood executable found; build it or pass its path" >&2
  exit 1
fi
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 30 ]; then
  echo "measure-live: seconds must be a whole number, at least 30" >&2
  exit 1
fi
for tool in xvfb-run xauth python3; do
  command -v "$tool" >/dev/null || { echo "measure-live: needs $tool (xvfb, xauth, python3)" >&2; exit 1; }
done

work="$(mktemp -d)"
# The disk driver's output goes to memory (tmpfs) when there is one: a file system's
# journal would charge the program for the stand-in of a sound card.
audio_dir="$work"
if [ -d /dev/shm ] && [ -w /dev/shm ]; then audio_dir="$(mktemp -d /dev/shm/lullwood-measure-XXXXXX)"; fi
trap 'rm -rf "$work" "$audio_dir"' EXIT

# Three backgrounds, twelve effects at "Frequently", Dynamic Random on.
{
  printf '[Backgrounds]\r\nchk1=Y\r\nchk5=Y\r\nchk23=Y\r\n'
  for n in 1 3 4 6 8 10 13 15 19 22 26 30; do printf 'R%d=4\r\n' "$n"; done
  printf 'V1=8\r\nV2=9\r\nDYNAMIC=Y\r\n'
} > "$work/busy.lwd"

# Sends WM_DELETE_WINDOW to every top-level window whose name starts with "Lullwood".
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

# Runs inside the virtual X server's session.
cat > "$work/inner.sh" <<'INNER'
set -euo pipefail
binary="$1"; seconds="$2"; work="$3"; audio_dir="$4"
ticks=$(getconf CLK_TCK)
now_ns() { date +%s%N; }
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
status_kb() { awk -v key="$2:" '$1 == key { print $2 }' "/proc/$1/status"; }

export XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$audio_dir/audio.raw"
export LULLWOOD_REPORT_FIRST_PAINT=1
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

# RSS once a second; CPU at 10 s and at the end.
rss=()
cpu10=""; t10=""
for s in $(seq 1 "$seconds"); do
  target=$(( start + s * 1000000000 ))
  remaining=$(( target - $(now_ns) ))
  if [ "$remaining" -gt 0 ]; then sleep "$(awk -v r="$remaining" 'BEGIN { printf "%.3f", r / 1e9 }')"; fi
  kill -0 "$pid" 2>/dev/null || { echo "measure-live: lullwood ended early" >&2; cat "$work/stderr" >&2; exit 1; }
  rss+=("$(status_kb "$pid" VmRSS)")
  if [ "$s" -eq 10 ]; then cpu10=$(cpu_ticks "$pid"); t10=$(now_ns); fi
done
cpu_end=$(cpu_ticks "$pid"); t_end=$(now_ns)
hwm=$(status_kb "$pid" VmHWM)

python3 "$work/close.py" || echo "measure-live: could not send the close request" >&2
ended="normal exit"
for _ in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
if kill -0 "$pid" 2>/dev/null; then
  ended="did NOT end within 5 s of the close request; sent SIGTERM"
  kill "$pid"
fi
set +e; wait "$pid"; exit_status=$?; set -e

awk -v c0="$cpu10" -v c1="$cpu_end" -v t0="$t10" -v t1="$t_end" -v hz="$ticks" -v all="$cpu_end" \
    -v start="$start" 'BEGIN {
  printf "CPU, 10 s to the end:      %.3f %% of one core\n", 100 * (c1 - c0) / hz / ((t1 - t0) / 1e9)
  printf "CPU, whole run:            %.3f %% of one core\n", 100 * all / hz / ((t1 - start) / 1e9)
}'
first=0; last=0; n=${#rss[@]}
for i in $(seq 0 9); do first=$(( first + rss[i] )); last=$(( last + rss[n - 10 + i] )); done
echo "Peak resident (VmHWM):     $(( hwm / 1024 )).$(( (hwm % 1024) * 10 / 1024 )) MB ($hwm kB)"
echo "Resident, first 10 s mean: $(( first / 10 )) kB"
echo "Resident, last 10 s mean:  $(( last / 10 )) kB (growth $(( (last - first) / 10 )) kB)"
# Each effect's buffer is made at its first firing, 6 to 16 s in; from then on nothing
# should grow.
echo "Resident at 20 s and end:  ${rss[19]} kB, ${rss[n - 1]} kB (growth $(( rss[n - 1] - rss[19] )) kB)"
grep "first paint" "$work/stderr" | sed 's/^/Program reports:           /' || echo "Program reports:           no first paint line"
if [ -n "$paint_seen" ]; then
  echo "Seen from outside:         first paint line after $(( (paint_seen - start) / 1000000 )) ms (polled every 5 ms)"
fi
audio=$(stat -c %s "$audio_dir/audio.raw" 2>/dev/null || echo 0)
echo "Audio written by SDL:      $audio bytes"
echo "Ended by:                  $ended, exit status $exit_status"
INNER

cd "$work"
xvfb-run -a -s "-screen 0 1280x1024x24" bash "$work/inner.sh" "$binary" "$seconds" "$work" "$audio_dir"
