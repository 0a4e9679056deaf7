#!/usr/bin/env bash
# Runs lullwood on a virtual X display, a session bus and an accessibility bus (at-spi2-core's
# bus launcher) of its own and reads its window through AT-SPI (atspi_tree.py).
# Usage: tests/desktop/atspi-tree.sh PATH/TO/lullwood
# Exits 77 (ctest: skipped) when a tool it needs is missing.
set -euo pipefail
program="$1"
here="$(cd "$(dirname "$0")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
for need in Xvfb dbus-run-session "$launcher"; do
  command -v "$need" >/dev/null || { echo "missing $need" >&2; exit 77; }
done
# Debian's own Python, which has the AT-SPI bindings.
/usr/bin/python3 -c "import pyatspi" 2>/dev/null || { echo "missing python3-pyatspi" >&2; exit 77; }

if [ "${1:-}" != --inside ] && [ -z "${LULLWOOD_ATSPI_INSIDE:-}" ]; then
  export LULLWOOD_ATSPI_INSIDE=1
  exec dbus-run-session -- "$0" "$program"
fi

# Under the sanitizers (./test.sh --sanitize) the system's display libraries are checked
# too: libxkbcommon-x11 reads a length-bounded, unterminated name with strndup, which the
# strict string checks take for an overflow, and Qt's Wayland platform leaves
# libwayland-client's proxies at exit (tests/support/lsan-desktop-suppressions.txt).
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/../support" && pwd)/lsan-desktop-suppressions.txt"
fi
work="$(mktemp -d)"
launcher_pid=""
program_pid=""
display_pid=""
cleanup() {
  for pid in $program_pid $launcher_pid $display_pid; do kill "$pid" 2>/dev/null || true; done
  for pid in $program_pid $launcher_pid $display_pid; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
# A virtual display of its own, on a number the server picks and reports itself: tests
# that run at the same time each get their own (xvfb-run -a can hand two the same one).
Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 3>"$work/display" 2>"$work/xvfb.log" &
display_pid=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  sleep 0.1
done
[ -s "$work/display" ] || { echo "Xvfb did not start:" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(tr -d '[:space:]' <"$work/display")"
mkdir -m 700 "$work/runtime" "$work/config"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config"
export SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$launcher" --launch-immediately &
launcher_pid=$!
"$program" >"$work/program.log" 2>&1 &
program_pid=$!
if ! /usr/bin/python3 "$here/atspi_tree.py"; then
  echo "--- lullwood's output:" >&2
  cat "$work/program.log" >&2
  exit 1
fi
