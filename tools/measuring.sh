# Sourced by the measuring scripts: a sound server of their own, with a null sink named
# "measure" at 48 kHz float, in the folder given, nothing of the user's configuration.
#
#   private_server_start pulseaudio|pipewire FOLDER   starts it; PRIVATE_SERVER_PIDS holds
#                                                     its processes, space-separated
#   private_server_stop                               kills them (as a crash would)
#
# The first start exports what clients need to find it (XDG_RUNTIME_DIR, PULSE_SERVER);
# a server started again in the same folder is found at the same place. PipeWire's
# processes (pipewire, wireplumber, pipewire-pulse) want a session bus: the caller runs
# under dbus-run-session. As in a stock configuration, a PulseAudio sink nothing plays to
# is suspended after 5 s (PipeWire's session manager does the same by itself).
PRIVATE_SERVER_PIDS=""

private_server_start() {
  local kind="$1" folder="$2" pid
  mkdir -p -m 700 "$folder/run" "$folder/state"
  export XDG_RUNTIME_DIR="$folder/run"
  if [ "$kind" = pipewire ]; then
    export XDG_STATE_HOME="$folder/state" PULSE_SERVER="unix:$folder/run/pulse/native"
    XDG_CONFIG_HOME="$folder/server-config" pipewire >>"$folder/pipewire.log" 2>&1 &
    PRIVATE_SERVER_PIDS="$!"
    for _ in $(seq 50); do [ -S "$XDG_RUNTIME_DIR/pipewire-0" ] && break; sleep 0.1; done
    XDG_CONFIG_HOME="$folder/server-config" wireplumber >>"$folder/wireplumber.log" 2>&1 &
    PRIVATE_SERVER_PIDS="$PRIVATE_SERVER_PIDS $!"
    XDG_CONFIG_HOME="$folder/server-config" pipewire-pulse >>"$folder/pipewire-pulse.log" 2>&1 &
    PRIVATE_SERVER_PIDS="$PRIVATE_SERVER_PIDS $!"
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    # The pulse server answers before the graph can make a sink ("Not supported" until the
    # session manager is up, most often on a restart): ask again for up to 5 s.
    local sink=""
    for _ in $(seq 25); do
      sink=$(pactl load-module module-null-sink sink_name=measure rate=48000 format=float32le \
        channels=2 2>/dev/null) && break
      sleep 0.2
    done
    if ! pactl info >/dev/null 2>&1 || [ -z "$sink" ] || ! pactl set-default-sink measure; then
      echo "PipeWire did not start:" >&2
      tail -n 20 "$folder"/pipewire*.log "$folder/wireplumber.log" >&2
      return 1
    fi
  else
    export PULSE_SERVER="unix:$folder/pulse.socket"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --disallow-exit --system=false \
      --log-target=file:"$folder/pulse.log" \
      -L "module-native-protocol-unix auth-anonymous=1 socket=$folder/pulse.socket" \
      -L "module-null-sink sink_name=measure rate=48000 format=float32le channels=2" \
      -L "module-suspend-on-idle" &
    PRIVATE_SERVER_PIDS="$!"
    for _ in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
    if ! pactl info >/dev/null 2>&1; then
      echo "the sound server did not start:" >&2
      cat "$folder/pulse.log" >&2
      return 1
    fi
  fi
}

private_server_stop() {
  local pid
  for pid in $PRIVATE_SERVER_PIDS; do kill -9 "$pid" 2>/dev/null || true; done
  for pid in $PRIVATE_SERVER_PIDS; do wait "$pid" 2>/dev/null || true; done
  PRIVATE_SERVER_PIDS=""
  rm -f "$XDG_RUNTIME_DIR/pipewire-0" "$XDG_RUNTIME_DIR/pipewire-0.lock"
}

# The busy Scenario: three backgrounds, twelve effects at "Frequently", Dynamic Random on.
busy_scenario() {
  {
    printf '[Backgrounds]\r\nchk1=Y\r\nchk5=Y\r\nchk23=Y\r\n'
    for n in 1 3 4 6 8 10 13 15 19 22 26 30; do printf 'R%d=4\r\n' "$n"; done
    printf 'V1=8\r\nV2=9\r\nDYNAMIC=Y\r\n'
  } > "$1"
}

# Share of one core between two readings of CPU time and of the monotonic clock (ns).
share() { awk -v c0="$1" -v c1="$2" -v t0="$3" -v t1="$4" \
  'BEGIN { printf "%.3f", 100 * (c1 - c0) / (t1 - t0) }'; }
# A process's CPU time in ns. Clock ticks (utime + stime) count in 10 ms steps, a
# quarter of the whole figure over 40 s; the scheduler's own count of each live thread
# (schedstat) is exact. Threads that have ended are in the process's ticks only: their
# share is the process's ticks less those of its live threads. 0 for a process gone.
cpu_ns() {
  local task live_ns=0 live_ticks=0 group
  group=$(awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null) || { echo 0; return; }
  for task in /proc/"$1"/task/*; do
    live_ns=$(( live_ns + $(awk '{ print $1 }' "$task/schedstat" 2>/dev/null || echo 0) ))
    live_ticks=$(( live_ticks + $(awk '{ print $14 + $15 }' "$task/stat" 2>/dev/null || echo 0) ))
  done
  echo $(( live_ns + (group - live_ticks) * 1000000000 / $(getconf CLK_TCK) ))
}
now_ns() { date +%s%N; }
# The CPU time in ns of several processes together.
cpu_ns_all() {
  local pid total=0
  for pid in "$@"; do total=$(( total + $(cpu_ns "$pid") )); done
  echo "$total"
}
