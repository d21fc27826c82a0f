#!/usr/bin/env bash
# Configures and builds one of the trees of the root project; the compiler flags of every
# tree are in CMakeLists.txt.
# Usage: scripts/build.sh [native|windows|all|fuzz|bench|bench-windows] [target...]
#   native         build/native: the tests, with the sanitizers (default: native and windows)
#   windows        build/windows: the program and its tests, cross-built with mingw-w64
#   tsan           build/tsan: the tests, with ThreadSanitizer (core_tests --gtest_filter=...)
#   fuzz           build/fuzz: the libFuzzer targets, with clang (scripts/fuzz.sh)
#   bench          build/bench: the native benchmarks, optimised (bench/*.sh)
#   bench-windows  build/bench-windows: the Windows benchmarks, optimised (bench/*.sh)
# Targets, when named, are built alone.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
which=${1:-all}
shift || true
jobs=$(nproc)
# ccache, when installed, lets several work trees share compiled objects.
launcher=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$(dirname "$root")}
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
windows=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake")

build() { # TREE CMAKE-ARGUMENTS...
  local tree="$root/build/$1"
  shift
  # A tree configured from another source folder (fuzz/ and bench/ were projects of their
  # own once) is configured afresh.
  if [ -f "$tree/CMakeCache.txt" ] &&
     ! grep -qxF "CMAKE_HOME_DIRECTORY:INTERNAL=$root" "$tree/CMakeCache.txt"; then
    rm -rf "$tree/CMakeCache.txt" "$tree/CMakeFiles"
  fi
  cmake -S "$root" -B "$tree" -G Ninja "$@" "${launcher[@]}" >/dev/null
  local targets=()
  for target in "${build_targets[@]}"; do targets+=(--target "$target"); done
  cmake --build "$tree" -j "$jobs" "${targets[@]}"
}

build_targets=("$@")
case $which in
  native | all)
    build native -DCMAKE_BUILD_TYPE=Debug -DVM_SANITIZE=ON
    ;;&
  windows | all)
    build windows -DCMAKE_BUILD_TYPE=Release "${windows[@]}"
    ;;
  native) ;;
  tsan)
    build tsan -DCMAKE_BUILD_TYPE=Debug -DVM_TSAN=ON
    ;;
  fuzz)
    CC=clang CXX=clang++ build fuzz -DCMAKE_BUILD_TYPE=Debug -DVM_FUZZ=ON -DVM_TESTS=OFF
    ;;
  bench)
    build bench -DCMAKE_BUILD_TYPE=Release -DVM_BENCH=ON -DVM_TESTS=OFF
    ;;
  bench-windows)
    build bench-windows -DCMAKE_BUILD_TYPE=Release -DVM_BENCH=ON -DVM_TESTS=OFF "${windows[@]}"
    ;;
  *)
    echo "unknown build '$which'" >&2
    exit 2
    ;;
esac
