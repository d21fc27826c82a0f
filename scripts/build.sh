#!/usr/bin/env bash
# Configures and builds the native test build (sanitizers on) and the Windows build.
# Usage: scripts/build.sh [native|windows|all]   (default: all)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
which=${1:-all}
jobs=$(nproc)

if [ "$which" = native ] || [ "$which" = all ]; then
  cmake -S "$root" -B "$root/build/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVM_SANITIZE=ON >/dev/null
  cmake --build "$root/build/native" -j "$jobs"
fi
if [ "$which" = windows ] || [ "$which" = all ]; then
  cmake -S "$root" -B "$root/build/windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$root/build/windows" -j "$jobs"
fi
