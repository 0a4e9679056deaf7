#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang (AddressSanitizer, UBSan) and runs
# each for a bounded time, or a counted number of inputs, over its seed corpus.
#
# Usage: tools/run-fuzzers.sh [--seconds N | --runs N [--seed S]] [--build-dir DIR]
#                             [--build-only | --no-build] [target...]
#   --seconds N     how long each target runs (default 60); what it finds is kept
#   --runs N        runs each target over N inputs instead, from seed S (default 1) and
#                   the seed corpus alone, keeping nothing it finds: the same inputs
#                   every time, however fast the machine (the suite runs it so)
#   --build-dir DIR where the fuzz project is built (default: fuzz-build/ inside the build
#                   folder of tools/build-dir.sh, that is $LULLWOOD_BUILD_DIR, default build/)
#   target...       names from fuzz/CMakeLists.txt (default: all of them)
# Seeds are read from fuzz/corpus/<target>/ and never written; inputs the fuzzer finds
# go to DIR/corpus/<target>/ and crashing inputs to DIR/artifacts/. CXX picks the
# compiler (default clang++). Exits non-zero on the first crash, leak or sanitizer error.
set -euo pipefail
source "$(dirname "$0")/build-dir.sh"
root="$lullwood_root"
seconds=60
runs=""
seed=1
build="$lullwood_build_dir/fuzz-build"
mode=all
targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --runs) runs="$2"; shift 2 ;;
    --seed) seed="$2"; shift 2 ;;
    --build-dir) build="$2"; shift 2 ;;
    --build-only) mode=build; shift ;;
    --no-build) mode=run; shift ;;
    -h|--help) sed -n '2,19p' "$0"; exit 0 ;;
    -*) echo "run-fuzzers: unknown option $1" >&2; exit 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done

if [ "$mode" != run ]; then
  cxx="${CXX:-$(command -v clang++ || command -v clang++-14 || true)}"
  case "$(basename "${cxx:-none}")" in
    clang++*) ;;
    *) echo "run-fuzzers: needs clang++ (Debian: clang libclang-rt-14-dev)" >&2; exit 2 ;;
  esac
  cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" -j2
fi
[ "$mode" = build ] && exit 0

if [ ${#targets[@]} -eq 0 ]; then
  mapfile -t targets < "$build/fuzzers.txt"
fi
export ASAN_OPTIONS="${ASAN_OPTIONS:-halt_on_error=1:detect_leaks=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}"
for target in "${targets[@]}"; do
  [ -n "$target" ] || continue
  binary="$build/${target}_fuzzer"
  [ -x "$binary" ] || { echo "run-fuzzers: no fuzz target $target in $build" >&2; exit 2; }
  mkdir -p "$build/artifacts"
  if [ -n "$runs" ]; then
    # A working corpus of its own, dropped afterwards, so the next run starts alike.
    work="$(mktemp -d)"
    echo "== $target: $runs inputs from seed $seed"
    status=0
    "$binary" -runs="$runs" -seed="$seed" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-" \
      "$work" "$root/fuzz/corpus/$target" || status=$?
    rm -rf "$work"
    [ "$status" -eq 0 ] || exit "$status"
  else
    mkdir -p "$build/corpus/$target"
    echo "== $target: ${seconds}s"
    "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
      -artifact_prefix="$build/artifacts/$target-" \
      "$build/corpus/$target" "$root/fuzz/corpus/$target"
  fi
done
