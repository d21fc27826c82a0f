#!/usr/bin/env bash
# Builds the report benchmark with optimisation (apart from the sanitizer test build) and
# runs it: every report type for 100,000 items against a plain buffered write of the same
# bytes, and the sort of 100,000 rows by every column.
# Usage: bench/report-benchmark.sh [--windows] [folder for the scratch files]
#   --windows: cross-build it with mingw and run it under Wine (not while scripts/test.sh
#              runs: it stops the Windows build prefix's wineserver when done).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
target=native
if [ "${1:-}" = --windows ]; then
  target=windows
  shift
fi
out="$root/build/bench-$target"
mkdir -p "$out"
scratch=${1:-$out}

mapfile -t sources < <(find "$root/src/core" -name '*.cpp' | sort)
flags=(-std=c++17 -O2 -DNDEBUG -Wall -Wextra -Werror -I"$root/src")
if [ $target = native ]; then
  g++ "${flags[@]}" "${sources[@]}" "$root/bench/ReportBenchmark.cpp" -o "$out/report-benchmark"
  "$out/report-benchmark" "$scratch"
else
  i686-w64-mingw32-g++-posix "${flags[@]}" -static -static-libgcc -static-libstdc++ \
    "${sources[@]}" "$root/bench/ReportBenchmark.cpp" -o "$out/report-benchmark.exe"
  # The Windows build's prefix when there is one (a new prefix takes a while to make).
  prefix="$root/build/windows/wineprefix"
  [ -f "$prefix/.vm-ready" ] || prefix="$out/wineprefix"
  export VM_WINEPREFIX="$prefix"
  # The prefix's server is stopped after the run.
  source "$root/cmake/wine-env.sh"
  vm_wine_prefix_ready
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  timeout 600 wine "$out/report-benchmark.exe" "$(winepath -w "$scratch" 2>/dev/null)" </dev/null
fi
