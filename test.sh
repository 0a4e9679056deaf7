#!/usr/bin/env bash
# Installs what is missing, builds with tests and runs the whole suite with ctest.
# Usage: ./test.sh [--sanitize | --tsan | --core | --package]
#   --sanitize  builds in build-sanitize with AddressSanitizer, UndefinedBehaviorSanitizer
#               and LeakSanitizer, and runs the suite there; any report fails the run.
#               The fuzz targets are left out: they are always built sanitized already.
#   --tsan      builds in build-tsan with ThreadSanitizer only the tests that share the
#               mixer between threads (ctest label "threads": the audio engine, the SDL
#               output and its device-loss recovery, the libpulse and PipeWire outputs
#               against private servers, the offline renders) and runs them; any report
#               fails the run. None of them needs Qt. SDL, libpulse and libpipewire are
#               not instrumented, so races inside
#               them go unchecked, but their threads and locks are pthreads the detector
#               follows. One kind of report is suppressed: libpulse's own allocations,
#               handed between its threads by atomics the detector cannot see
#               (tests/support/tsan-suppressions.txt says which and why).
#   --core      builds in build-core only the Qt-free core (configure option
#               LULLWOOD_CORE_ONLY: catalogue, sound generator, audio engine with its
#               offline output, soundscape, persistence, lullwood-render), looking for no
#               Qt, SDL or libpulse, and runs its tests.
#   --package   builds the Debian package from the Release build that tools/build-dir.sh
#               names (LULLWOOD_BUILD_DIR, default build/) with tools/package.sh, and runs
#               the package checks (ctest label "package": lintian, the contents list, the
#               control fields, the installed files' validators). Installs nothing.
set -euo pipefail
cd "$(dirname "$0")"

mode=plain
for arg in "$@"; do
  case "$arg" in
    --sanitize) mode=sanitize ;;
    --tsan) mode=tsan ;;
    --core) mode=core ;;
    --package)
      # The package checks' ctest summary is the last thing printed.
      tools/package.sh --check >/dev/null
      exit 0
      ;;
    *) echo "usage: $0 [--sanitize | --tsan | --core | --package]" >&2; exit 2 ;;
  esac
done

tools/deps.sh clang libclang-rt-14-dev desktop-file-utils appstream man-db dbus pulseaudio pulseaudio-utils \
  pipewire pipewire-bin wireplumber \
  xvfb xauth at-spi2-core python3-pyatspi gir1.2-atspi-2.0 sway \
  python3
export QT_QPA_PLATFORM=offscreen

if [ "$mode" = plain ]; then
  cmake -S . -B build-test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON >/dev/null
  cmake --build build-test -j"$(nproc)"
  cd build-test
  ctest --output-on-failure -j"$(nproc)"
elif [ "$mode" = core ]; then
  cmake -S . -B build-core -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON \
    -DLULLWOOD_CORE_ONLY=ON >/dev/null
  cmake --build build-core -j"$(nproc)"
  cd build-core
  ctest --output-on-failure -j"$(nproc)"
elif [ "$mode" = sanitize ]; then
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON \
    -DLULLWOOD_SANITIZE=ON >/dev/null
  cmake --build build-sanitize -j"$(nproc)"
  # Stop at the first report of any kind, with a stack, so ctest counts it as a failure.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  export LSAN_OPTIONS="print_suppressions=0"
  cd build-sanitize
  ctest --output-on-failure -j"$(nproc)" -LE fuzz
else
  cmake -S . -B build-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLULLWOOD_TESTS=ON \
    -DLULLWOOD_TSAN=ON >/dev/null
  # Only what the labelled tests need.
  cmake --build build-tsan -j"$(nproc)" --target audio_engine_test audio_sdl_smoke_test \
    audio_device_loss_test audio_pulse_output_test audio_pipewire_output_test render_units_test \
    render_cli_test soundscape_render_soak_test
  # Any report ends the test process with a failing status; the stacks name the threads.
  export TSAN_OPTIONS="halt_on_error=1:exitcode=66:second_deadlock_stack=1:history_size=4:suppressions=$PWD/tests/support/tsan-suppressions.txt"
  cd build-tsan
  ctest --output-on-failure -j"$(nproc)" -L threads
fi
