#!/usr/bin/env bash
# The configuration file bound measured where it matters: a 32-bit build under Wine saves
# and loads lists of the longest items in files of 64 to 512 MiB (times and peak memory).
# Usage: bench/config-bound-bench.sh [folder for the scratch files]
# Not while scripts/test.sh runs: it stops the Windows build prefix's wineserver when done.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/bench-windows"
mkdir -p "$out"
scratch=${1:-$out}

mapfile -t sources < <(find "$root/src/core" -name '*.cpp' | sort)
i686-w64-mingw32-g++-posix -std=c++17 -O2 -DNDEBUG -Wall -Wextra -Werror -I"$root/src" \
  -static -static-libgcc -static-libstdc++ "${sources[@]}" "$root/bench/ConfigBoundBench.cpp" \
  -lpsapi -o "$out/config-bound-bench.exe"
prefix="$root/build/windows/wineprefix"
[ -f "$prefix/.vm-ready" ] || prefix="$out/wineprefix"
export VM_WINEPREFIX="$prefix"
source "$root/cmake/wine-env.sh"
vm_wine_prefix_ready
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
timeout 1200 wine "$out/config-bound-bench.exe" "$(winepath -w "$scratch" 2>/dev/null)" </dev/null
