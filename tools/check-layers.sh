#!/usr/bin/env bash
# Checks the house's layering from the includes: the catalogue includes nothing of the
# project, and nothing in the Qt-free core (audio/, soundscape/, persist/ but its Qt
# adapter) or the synthesiser (resources/synth/) includes a header of the window (app/)
# or the shell (shell/). Prints each offending include; exits 1 when there is one.
# Usage: tools/check-layers.sh
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

declare -A upper project
while read -r h; do upper[$h]=1; done < <(find app shell -name '*.h' -printf '%f\n')
while read -r h; do project[$h]=1; done < <(find app shell audio soundscape persist resources \
  qtsupport tools -name '*.h' -printf '%f\n')

includes_of() {  # file:line:name for each quoted include in the files below the folders
  grep -rnoE '^#include "[^"]+"' --include='*.cpp' --include='*.h' "$@" |
    sed -E 's/#include "([^"]+)"/\1/'
}

bad=0
while IFS=: read -r file line name; do
  if [ -n "${upper[${name##*/}]:-}" ]; then
    echo "$file:$line includes $name, a header of app/ or shell/"
    bad=1
  fi
done < <(includes_of audio soundscape persist/*.h persist/*.cpp resources/synth catalogue)

while IFS=: read -r file line name; do
  case "${name##*/}" in
    SoundCatalogue.h | ControlIds.h) continue ;;
  esac
  if [ -n "${project[${name##*/}]:-}" ]; then
    echo "$file:$line: the catalogue includes $name"
    bad=1
  fi
done < <(includes_of catalogue)

[ "$bad" -eq 0 ] && echo "layers: the core, the synthesiser and the catalogue stand on their own"
exit "$bad"
