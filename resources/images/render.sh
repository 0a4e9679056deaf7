#!/usr/bin/env bash
# Renders the SVG sources here to the PNGs the program compiles in. Needs rsvg-convert
# (Debian package librsvg2-bin). Run after editing an SVG; the PNGs are kept in the tree.
set -euo pipefail
cd "$(dirname "$0")"
for name in icon logo scene; do
  rsvg-convert "$name.svg" -o "$name.png"
done
