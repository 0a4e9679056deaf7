#!/usr/bin/env bash
# Starts lullwood on a virtual display with the dummy audio driver and saves a PNG of
# its main window. Builds first when needed.
# Usage: tools/screenshot.sh [output.png] [program arguments...]
# Environment: LULLWOOD_BUILD_DIR, the build to use (tools/build-dir.sh; default: build/),
# SCREENSHOT_DELAY seconds (default: 3).
set -euo pipefail
source "$(dirname "$0")/build-dir.sh"
root="$lullwood_root"
out="$(realpath -m "${1:-$root/tools/out/lullwood.png}")"
shift || true
build="$lullwood_build_dir"
delay="${SCREENSHOT_DELAY:-3}"

for tool in xvfb-run import; do
  command -v "$tool" >/dev/null || { echo "screenshot.sh needs $tool (xvfb, imagemagick)" >&2; exit 1; }
done
lullwood_build lullwood
mkdir -p "$(dirname "$out")"

# A private settings store, so the user's own is neither read nor changed.
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT

export XDG_CONFIG_HOME="$config" SDL_AUDIODRIVER=dummy QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1600x1000x24" bash -c '
  "$1" "${@:4}" &
  pid=$!
  sleep "$3"
  if ! kill -0 "$pid" 2>/dev/null; then echo "lullwood ended before the screenshot" >&2; exit 1; fi
  import -window "Quillor Lullwood" "$2" 2>/dev/null || import -window root -trim "$2"
  kill "$pid"
  for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.3; done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
' screenshot "$build/app/lullwood" "$out" "$delay" "$@"
echo "$out"
