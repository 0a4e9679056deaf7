#!/usr/bin/env bash
# Contact sheet and level table of the generated wave images.
#   tools/sound-gallery.sh [--full-band] [WAVES_DIR] [OUTPUT_PNG]
#   tools/sound-gallery.sh --references [--full-band] [WAVES_DIR] [OUTPUT_PNG]
# WAVES_DIR defaults to resources/waves (resources/waves-full-band with --full-band) of
# the build found through tools/build-dir.sh (LULLWOOD_BUILD_DIR, default build/; the
# waves are made there when missing); OUTPUT_PNG to sound-gallery.png (references.png
# with --references; -full-band is added before .png with --full-band) in the current
# directory; the full-band reference sheet is too tall for one picture and comes in pages
# of 12 sounds, OUTPUT-0.png, OUTPUT-1.png... Installs sox and imagemagick through tools/deps.sh when they are missing
# (--references also needs python3 for recordings inside Qt resource bundles and OpenTTD
# sound sets).
# Prints, per sound: duration, RMS and peak (dBFS), RMS above 100 Hz, spectral centroid
# and, for loops, the seam ratio (second difference across the wrap over its RMS
# elsewhere: <= 4 is seamless).
# With --references: for every sound listed in resources/synth/references.tsv, our wave
# beside its reference recording (spectrograms side by side) and the figures of both
# (tools/sound-figures). The Debian packages holding the recordings are fetched with
# apt-get download into LULLWOOD_REFERENCES_DIR (default /tmp/lullwood-references),
# outside the repository; nothing of them is kept anywhere else. Each recording is mixed
# to mono 16-bit and converted to our wave's rate.
# With --full-band: our full-band renditions (44100 Hz, 16-bit) instead of the catalogue's
# waves, and every recording is mixed to mono 16-bit but kept at its own rate, so the
# high band is measured as recorded; a recording at 22050 Hz has nothing above 11025 Hz
# to show, and the output says so. Every spectrogram then reaches its own file's Nyquist
# frequency at one scale for all (50 Hz a pixel, 480 pixels across the file): a tile's
# height shows its rate, and the tiles of a row share their 0 Hz line.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/build-dir.sh
source "$here/tools/build-dir.sh"
references=0 full_band=0
while [[ ${1:-} == --* ]]; do
  case $1 in
    --references) references=1 ;;
    --full-band) full_band=1 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
waves=${1:-}
if [[ -z $waves ]]; then
  waves=$lullwood_build_dir/resources/waves
  ((full_band)) && waves+=-full-band
  [[ -f $waves/SURF.wav ]] || lullwood_build lullwood_wave_files
fi
if ((references)); then sheet=references; else sheet=sound-gallery; fi
((full_band)) && sheet+=-full-band
sheet=${2:-$sheet.png}
[[ -n $waves && -d $waves ]] || { echo "no waves directory (build first, or name one)" >&2; exit 1; }
if ! command -v sox >/dev/null || ! command -v montage >/dev/null; then
  "$here/tools/deps.sh" sox libsox-fmt-base imagemagick
fi

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The INAM text of a wave image's LIST/INFO chunk.
label_of() {
  local file=$1 at size
  at=$(grep -obUaF INAM "$file" | tail -1 | cut -d: -f1) || true
  [[ -n $at ]] || { basename "$file" .wav; return; }
  size=$(od -An -tu4 -j $((at + 4)) -N4 "$file" | tr -d ' ')
  dd if="$file" bs=1 skip=$((at + 8)) count=$((size - 1)) status=none
}

# Second-difference seam ratio of one channel, read as text samples on stdin.
seam_ratio() {
  awk '!/^;/ { x[n++] = $2 }
       END {
         if (n < 3) { print "-"; exit }
         for (i = 2; i < n; i++) { e = x[i] - 2 * x[i-1] + x[i-2]; s += e * e }
         r = sqrt(s / (n - 2));
         a = x[0] - 2 * x[n-1] + x[n-2]; b = x[1] - 2 * x[0] + x[n-1];
         if (a < 0) a = -a; if (b < 0) b = -b;
         m = (a > b) ? a : b;
         if (r == 0) print (m == 0 ? "0.00" : "inf"); else printf "%.2f", m / r }'
}

# Spectrogram options for FILE: the catalogue's waves at 160 pixels from 0 Hz to their
# Nyquist frequency; with --full-band, 50 Hz a pixel up to the file's own Nyquist frequency.
spectrogram_height() {
  if ((full_band)); then echo $(($(soxi -r "$1") / 100 + 1)); else echo 160; fi
}

stat_of() {  # stat_of FILE FIELD [EFFECTS...]
  local file=$1 field=$2
  shift 2
  sox -D "$file" -n "$@" stats 2>&1 | awk -v f="$field" 'index($0, f) == 1 { print $(NF) }' | head -1
}

if ((references)); then
  cache=${LULLWOOD_REFERENCES_DIR:-/tmp/lullwood-references}
  mkdir -p "$cache"
  figures="$lullwood_build_dir/tools/sound-figures/sound-figures"
  [[ -x $figures ]] || lullwood_build sound-figures
  tiles=()
  while IFS=$'\t' read -r name package file licence cut; do
    [[ -z $name || $name == \#* ]] && continue
    if [[ ! -d $cache/$package ]]; then
      (cd "$cache" && apt-get download "$package" >/dev/null 2>&1) ||
        { echo "cannot download $package" >&2; continue; }
      dpkg-deb -x "$cache/${package}"_*.deb "$cache/$package"
    fi
    # A file inside a Qt resource bundle is named BUNDLE.rcc!PATH/IN/BUNDLE, one inside a
    # zip archive ARCHIVE.zip!PATH; a sound of an OpenTTD sound set SET.cat!NN, NN its
    # number in the set.
    source_file=$cache/$package/$file
    if [[ $file == *'!'* ]]; then
      bundle=${file%%!*} inner=${file#*!}
      unpacked=$cache/$package.unpacked/$(basename "$bundle")
      if [[ ! -d $unpacked ]]; then
        case $bundle in
          *.cat) python3 "$here/tools/opensfx-extract.py" "$cache/$package/$bundle" "$unpacked" >/dev/null ;;
          # Only the sounds: a game's archive can hold gigabytes of pictures.
          *.zip) python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
z.extractall(sys.argv[2], [n for n in z.namelist() if n.endswith((".ogg", ".wav", ".flac"))])' \
            "$cache/$package/$bundle" "$unpacked" ;;
          *) python3 "$here/tools/rcc-extract.py" "$cache/$package/$bundle" "$unpacked" >/dev/null ;;
        esac
      fi
      [[ $bundle == *.cat ]] && inner=$inner.wav
      source_file=$unpacked/$inner
    fi
    [[ -f $source_file && -f $waves/$name.wav ]] || { echo "$name: missing" >&2; continue; }
    ref=$(basename "${file%.*}")
    # An optional fifth column "START LENGTH" (seconds) measures only that part.
    trim=()
    [[ -n ${cut:-} ]] && read -r -a trim <<<"trim $cut"
    # Our rate, or with --full-band the recording's own.
    rate=()
    ((full_band)) || rate=(-r "$(soxi -r "$waves/$name.wav")")
    sox -D "$source_file" "${rate[@]}" -c 1 -b 16 "$tmp/$name-ref.wav" "${trim[@]}"
    ref_rate=$(soxi -r "$tmp/$name-ref.wav")
    echo "== $name: $package $file ($licence${cut:+, from $cut}; measured at $ref_rate Hz)"
    ref_note=""
    if ((full_band)); then
      ref_note=", $ref_rate Hz"
      nyquist=$((ref_rate / 2))
      if ((ref_rate <= 11025)); then
        echo "   recorded at $ref_rate Hz: nothing above $nyquist Hz can show; no high band to measure"
      elif ((ref_rate <= 22050)); then
        echo "   recorded at $ref_rate Hz: nothing above $nyquist Hz can show; its share above" \
          "11 kHz says nothing and it has no slope to 16 kHz"
      elif ((ref_rate < 32000)); then
        echo "   recorded at $ref_rate Hz: nothing above $nyquist Hz can show; its slope stops there"
      fi
    fi
    "$figures" "$waves/$name.wav" "$tmp/$name-ref.wav"
    n=${#tiles[@]}
    sox "$waves/$name.wav" -n remix - spectrogram -x 480 -y "$(spectrogram_height "$waves/$name.wav")" \
      -z 80 -t "ours: $(label_of "$waves/$name.wav") ($name)" -c "" -o "$tmp/$n-a.png"
    sox "$tmp/$name-ref.wav" -n spectrogram -x 480 -y "$(spectrogram_height "$tmp/$name-ref.wav")" \
      -z 80 -t "reference: $ref ($package$ref_note)" -c "" -o "$tmp/$n-b.png"
    tiles+=("$tmp/$n-a.png" "$tmp/$n-b.png")
  done <"$here/resources/synth/references.tsv"
  [[ ${#tiles[@]} -gt 0 ]] || { echo "no reference found" >&2; exit 1; }
  if ((full_band)); then
    # Tall tiles: a page of 12 rows each, SHEET-0.png, SHEET-1.png..., keeps every page
    # within ImageMagick's size limit.
    rm -f "${sheet%.png}"-[0-9]*.png
    montage "${tiles[@]}" -tile 2x12 -geometry +3+3 -gravity south -background '#202020' "$sheet"
    pages=("${sheet%.png}"-[0-9]*.png)
    echo "reference sheets: ${pages[*]} ($((${#tiles[@]} / 2)) sounds)"
  else
    montage "${tiles[@]}" -tile 2x -geometry +3+3 -gravity south -background '#202020' "$sheet"
    echo "reference sheet: $sheet ($((${#tiles[@]} / 2)) sounds)"
  fi
  exit 0
fi

printf '%-9s %-18s %7s %7s %7s %8s %8s %6s\n' RESOURCE LABEL SECONDS RMS_dB PEAK_dB HP100_dB CENTROID SEAM
tiles=()
for file in "$waves"/*.wav; do
  name=$(basename "$file" .wav)
  label=$(label_of "$file")
  seconds=$(soxi -D "$file")
  rms=$(stat_of "$file" 'RMS lev dB')
  peak=$(stat_of "$file" 'Pk lev dB')
  hp=$(stat_of "$file" 'RMS lev dB' highpass 100)
  centroid=$(sox -D "$file" -n remix - stat -freq 2>&1 |
    awk 'NF == 2 && $1 + 0 > 0 { s += $1 * $2; p += $2 } END { if (p > 0) printf "%.0f", s / p; else print "-" }')
  # Measured for every file; for a one-shot it only confirms that silence meets silence.
  channels=$(soxi -c "$file")
  seam=""
  for ((c = 1; c <= channels; c++)); do
    seam+="$(sox -D "$file" -t dat - remix "$c" | seam_ratio)/"
  done
  seam=${seam%/}
  printf '%-9s %-18s %7.3f %7s %7s %8s %8s %6s\n' "$name" "${label:0:18}" "$seconds" "$rms" "$peak" "$hp" "$centroid" "$seam"
  sox "$file" -n remix - spectrogram -x 480 -y "$(spectrogram_height "$file")" -z 80 \
    -t "$label ($name)" -c "" -o "$tmp/$name.png"
  tiles+=("$tmp/$name.png")
done

montage "${tiles[@]}" -tile 6x -geometry +3+3 -gravity south -background '#202020' "$sheet"
echo "contact sheet: $sheet (${#tiles[@]} sounds)"
