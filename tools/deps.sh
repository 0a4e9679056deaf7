#!/usr/bin/env bash
# Installs the Debian packages the build needs, when any is missing.
# Usage: tools/deps.sh [extra packages...]
set -euo pipefail

packages=(cmake g++ make pkg-config qt6-base-dev qt6-wayland qt6-tools-dev qt6-l10n-tools
  qt6-translations-l10n libsdl2-dev
  libpulse-dev libpipewire-0.3-dev libflac-dev libgtest-dev libgmock-dev
  libbenchmark-dev "$@")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}" >&2
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
