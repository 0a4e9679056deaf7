#!/usr/bin/env bash
# Runs the real lullwood as a native Wayland client of a headless sway (its own runtime
# folder, session bus and settings) and reads the client's side of the protocol
# (WAYLAND_DEBUG): the window is a Wayland toplevel whose app id is the desktop file's
# name, and a second start carrying a launcher's activation token hands a Scenario over
# and has the running window activated with that token (xdg_activation_v1). With a
# panel's status-notifier watcher on the bus (wayland_tray.py), the icon registers there;
# Hide (pressed through AT-SPI) unmaps the window rather than minimising it, and a click
# on the icon that hands over the panel's token shows it again, activated with that token.
# Usage: tests/desktop/wayland-session.sh PATH/TO/lullwood
# Exits 77 (ctest: skipped) when sway, Qt's Wayland platform or the AT-SPI tools are missing.
set -euo pipefail
program="$(realpath "$1")"
here="$(cd "$(dirname "$0")" && pwd)"
launcher=/usr/libexec/at-spi-bus-launcher
command -v sway >/dev/null || { echo "missing sway" >&2; exit 77; }
[ -x "$launcher" ] || { echo "missing at-spi2-core" >&2; exit 77; }
/usr/bin/python3 -c "import pyatspi, gi" 2>/dev/null || { echo "missing python3-pyatspi" >&2; exit 77; }
command -v dbus-run-session >/dev/null || { echo "missing dbus-run-session" >&2; exit 77; }
plugin=$(find /usr/lib/*/qt6/plugins/platforms -name 'libqwayland-generic.so' 2>/dev/null | head -1)
[ -n "$plugin" ] || { echo "missing qt6-wayland" >&2; exit 77; }

if [ -z "${LULLWOOD_WAYLAND_INSIDE:-}" ]; then
  work="$(mktemp -d)"
  chmod 755 "$work"
  compositor=""
  cleanup() {
    [ -n "$compositor" ] && kill "$compositor" 2>/dev/null || true
    [ -n "$compositor" ] && wait "$compositor" 2>/dev/null || true
    rm -rf "$work"
  }
  trap cleanup EXIT
  # sway will not run as root: as root (CI), it runs as nobody in a folder of its own,
  # whose socket root may still open.
  mkdir -m 700 "$work/sway"
  printf 'output HEADLESS-1 resolution 1280x800\n' >"$work/sway/config"
  as=()
  if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$work/sway"
    as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
  fi
  "${as[@]}" env -i HOME="$work/sway" XDG_RUNTIME_DIR="$work/sway" WLR_BACKENDS=headless \
    WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$work/sway/config" \
    >"$work/sway.log" 2>&1 &
  compositor=$!
  for _ in $(seq 100); do
    socket=$(find "$work/sway" -maxdepth 1 -name 'wayland-*' -type s | head -1)
    [ -n "$socket" ] && break
    sleep 0.1
  done
  if [ -z "$socket" ]; then
    echo "sway did not start:" >&2
    cat "$work/sway.log" >&2
    exit 1
  fi
  export LULLWOOD_WAYLAND_INSIDE=1 LULLWOOD_WORK="$work" WAYLAND_DISPLAY="$socket"
  dbus-run-session -- "$0" "$program"
  exit $?
fi

# Under the sanitizers (./test.sh --sanitize) the system's display libraries are checked
# too: libxkbcommon-x11 reads a length-bounded, unterminated name with strndup, which the
# strict string checks take for an overflow, and Qt's Wayland platform leaves
# libwayland-client's proxies at exit (tests/support/lsan-desktop-suppressions.txt).
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
  export LSAN_OPTIONS="${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$(cd "$(dirname "$0")/../support" && pwd)/lsan-desktop-suppressions.txt"
fi
# Inside: a session bus of our own, and no X display to fall back to.
work="$LULLWOOD_WORK"
unset DISPLAY QT_QPA_PLATFORM XDG_ACTIVATION_TOKEN
mkdir -m 700 "$work/runtime" "$work/config"
export XDG_RUNTIME_DIR="$work/runtime" XDG_CONFIG_HOME="$work/config" SDL_AUDIODRIVER=dummy \
  LULLWOOD_REPORT_FIRST_PAINT=1
fail() {
  echo "FAILED: $*" >&2
  echo "--- the running instance's output:" >&2
  tail -40 "$work/first.log" >&2 || true
  exit 1
}
first=""
helpers=()
trap 'for p in $first ${helpers[@]+"${helpers[@]}"}; do kill "$p" 2>/dev/null || true; done' EXIT
# The panel: an accessibility bus, and a status-notifier watcher with a host.
export QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
"$launcher" --launch-immediately &
helpers+=($!)
/usr/bin/python3 "$here/wayland_tray.py" watcher "$work/items" &
helpers+=($!)
for _ in $(seq 50); do
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / \
    org.freedesktop.DBus.NameHasOwner string:org.kde.StatusNotifierWatcher 2>/dev/null |
    grep -q 'boolean true' && break
  sleep 0.1
done
WAYLAND_DEBUG=client "$program" >/dev/null 2>"$work/first.log" &
first=$!
for _ in $(seq 100); do
  grep -q "first paint" "$work/first.log" && break
  sleep 0.1
done
grep -q "first paint" "$work/first.log" || fail "the window was not painted within 10 s"
grep -q 'xdg_toplevel@[0-9]*\.set_app_id("lullwood")' "$work/first.log" ||
  fail "no Wayland toplevel with the app id lullwood"
grep -q 'xdg_activation_v1", ' "$work/first.log" || fail "sway offers no xdg_activation_v1"

# A second start from a launcher, with a Scenario and the launcher's token.
printf '[Backgrounds]\r\nchk1=Y\r\n' >"$work/night.lwd"
( cd "$work" && XDG_ACTIVATION_TOKEN=launcher-token-42 "$program" night.lwd ) \
  >"$work/second.log" 2>&1 || fail "the second start failed: $(cat "$work/second.log")"
for _ in $(seq 50); do
  grep -q 'xdg_activation_v1@[0-9]*\.activate("launcher-token-42", wl_surface' "$work/first.log" &&
    break
  sleep 0.1
done
grep -q 'xdg_activation_v1@[0-9]*\.activate("launcher-token-42", wl_surface' "$work/first.log" ||
  fail "the running window was not activated with the launcher's token"
grep -q "first paint" "$work/second.log" && fail "the second start showed a window of its own"
# The Scenario it handed over is the running one's now.
title=""
for _ in $(seq 50); do
  title=$(dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.lullwood \
    /org/mpris/MediaPlayer2 org.freedesktop.DBus.Properties.Get \
    string:org.mpris.MediaPlayer2.Player string:Metadata 2>/dev/null | grep -A1 'xesam:title' || true)
  grep -q 'night.lwd' <<<"$title" && break
  sleep 0.1
done
grep -q 'night.lwd' <<<"$title" || fail "the handed-over Scenario was not loaded: $title"

# The status-area icon, served to the panel's watcher.
item=""
for _ in $(seq 50); do
  item=$(head -1 "$work/items" 2>/dev/null || true)
  [ -n "$item" ] && break
  sleep 0.1
done
[ -n "$item" ] || fail "the status-area icon did not register with the panel's watcher"

# Hide unmaps the window (Qt destroys its toplevel), with no minimise.
count() { grep -c "$1" "$work/first.log" || true; }
made=$(count 'get_toplevel(new id xdg_toplevel')
gone=$(count 'xdg_toplevel@[0-9]*\.destroy()')
/usr/bin/python3 "$here/wayland_tray.py" press Hide || fail "Hide could not be pressed"
for _ in $(seq 50); do
  [ "$(count 'xdg_toplevel@[0-9]*\.destroy()')" -gt "$gone" ] && break
  sleep 0.1
done
[ "$(count 'xdg_toplevel@[0-9]*\.destroy()')" -gt "$gone" ] || fail "Hide did not unmap the window"
grep -q 'set_minimized' "$work/first.log" && fail "the window was minimised"

# A left click on the icon, with the token the panel got for it, shows the window again
# and has it activated with that token.
for call in "ProvideXdgActivationToken string:tray-token-7" "Activate int32:0 int32:0"; do
  # shellcheck disable=SC2086
  dbus-send --session --print-reply --dest="$item" /StatusNotifierItem \
    org.kde.StatusNotifierItem.$call >/dev/null || fail "the icon did not answer $call"
done
for _ in $(seq 50); do
  grep -q 'xdg_activation_v1@[0-9]*\.activate("tray-token-7", wl_surface' "$work/first.log" &&
    break
  sleep 0.1
done
grep -q 'xdg_activation_v1@[0-9]*\.activate("tray-token-7", wl_surface' "$work/first.log" ||
  fail "a click on the icon did not activate the window with the panel's token"
[ "$(count 'get_toplevel(new id xdg_toplevel')" -gt "$made" ] ||
  fail "a click on the icon did not map the window again"
echo "a Wayland toplevel with app id lullwood; a second start's Scenario loaded and its token activated the window; Hide unmapped it and a click on the status-notifier icon mapped it again, activated with the panel's token"
