#!/usr/bin/env bash
# Compares one of our wave images with a real recording of the same kind of sound: prints
# the figures of both (tools/sound-figures) and draws their spectrograms side by side.
#   tools/compare-sound.sh OURS REFERENCE [OUTPUT_PNG]
# OURS is a wave file or a resource name (DOGBARK, ...) looked up in the build's
# resources/waves. REFERENCE is any audio file sox reads (wav, ogg, flac...); it is
# converted to our sound's rate, mono, 16-bit, in a temporary folder, never kept.
# OUTPUT_PNG defaults to compare-NAME.png in the current directory.
# The build is found through tools/build-dir.sh (LULLWOOD_BUILD_DIR, default build/);
# the targets lullwood-synth and sound-figures are made there when missing. Installs sox
# and imagemagick through tools/deps.sh when they are missing.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/build-dir.sh
source "$here/tools/build-dir.sh"

[[ $# -ge 2 ]] || { sed -n '2,12p' "$0" >&2; exit 2; }
ours=$1 reference=$2
if ! command -v sox >/dev/null || ! command -v montage >/dev/null; then
  "$here/tools/deps.sh" sox libsox-fmt-base imagemagick
fi
figures="$lullwood_build_dir/tools/sound-figures/sound-figures"
if [[ ! -f $ours ]]; then
  name=$ours
  ours="$lullwood_build_dir/resources/waves/$name.wav"
  [[ -f $ours ]] || lullwood_build lullwood_wave_files
fi
[[ -x $figures ]] || lullwood_build sound-figures
[[ -f $ours ]] || { echo "no wave $ours" >&2; exit 1; }
[[ -f $reference ]] || { echo "no reference $reference" >&2; exit 1; }
name=$(basename "$ours" .wav)
sheet=${3:-compare-$name.png}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rate=$(soxi -r "$ours")
refname=$(basename "${reference%.*}")
sox -D "$reference" -r "$rate" -c 1 -b 16 "$tmp/$refname.wav" 2>/dev/null
"$figures" "$ours" "$tmp/$refname.wav"
sox "$ours" -n remix - spectrogram -x 600 -y 200 -z 80 -t "ours: $name" -c "" -o "$tmp/a.png"
sox "$tmp/$refname.wav" -n spectrogram -x 600 -y 200 -z 80 -t "reference: $refname" -c "" -o "$tmp/b.png"
montage "$tmp/a.png" "$tmp/b.png" -tile 2x -geometry +3+3 -background '#202020' "$sheet"
echo "sheet: $sheet"
