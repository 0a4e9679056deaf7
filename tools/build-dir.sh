# Sourced by the scripts in tools/: where the build they use lives, and how to make it.
#   LULLWOOD_BUILD_DIR  the build folder (default: build, the Release build ./run.sh makes)
# lullwood_build TARGET...  configures the folder as a Release build when it has none yet
# and builds the named targets there.
lullwood_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
lullwood_build_dir="$(realpath -m "${LULLWOOD_BUILD_DIR:-$lullwood_root/build}")"

lullwood_build() {
  if [ ! -f "$lullwood_build_dir/CMakeCache.txt" ]; then
    "$lullwood_root/tools/deps.sh"
    cmake -S "$lullwood_root" -B "$lullwood_build_dir" -DCMAKE_BUILD_TYPE=Release \
      -DLULLWOOD_TESTS=OFF >/dev/null
  fi
  cmake --build "$lullwood_build_dir" -j"$(nproc)" --target "$@" >/dev/null
}
