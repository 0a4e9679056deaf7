#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs the whole suite with ctest.
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh clang libclang-rt-14-dev desktop-file-utils
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON >/dev/null
cmake --build build-test -j"$(nproc)"
cd build-test
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)"
