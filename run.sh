#!/usr/bin/env bash
# Installs what is missing, builds a Release build and starts Lullwood.
# Extra arguments are passed to the program (for example a Scenario file).
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DLULLWOOD_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
exec build/app/lullwood "$@"
