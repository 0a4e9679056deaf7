#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs the whole suite with ctest.
# Usage: ./test.sh [--sanitize]
#   --sanitize  builds in build-sanitize with AddressSanitizer, UndefinedBehaviorSanitizer
#               and LeakSanitizer, and runs the suite there; any report fails the run.
#               The fuzz targets are left out: they are always built sanitized already.
set -euo pipefail
cd "$(dirname "$0")"

sanitize=0
for arg in "$@"; do
  case "$arg" in
    --sanitize) sanitize=1 ;;
    *) echo "usage: $0 [--sanitize]" >&2; exit 2 ;;
  esac
done

tools/deps.sh clang libclang-rt-14-dev desktop-file-utils dbus
export QT_QPA_PLATFORM=offscreen

if [ "$sanitize" -eq 0 ]; then
  cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON >/dev/null
  cmake --build build-test -j"$(nproc)"
  cd build-test
  ctest --output-on-failure -j"$(nproc)"
else
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON \
    -DLULLWOOD_SANITIZE=ON >/dev/null
  cmake --build build-sanitize -j"$(nproc)"
  # Stop at the first report of any kind, with a stack, so ctest counts it as a failure.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="print_suppressions=0"
  cd build-sanitize
  ctest --output-on-failure -j"$(nproc)" -LE fuzz
fi
