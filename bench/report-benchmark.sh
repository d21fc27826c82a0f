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

if [ $target = native ]; then
  "$root/scripts/build.sh" bench report_benchmark >/dev/null
  "$root/build/bench/report_benchmark" "$scratch"
else
  "$root/scripts/build.sh" bench-windows report_benchmark >/dev/null
  # The Windows build's prefix; its server is stopped after the run.
  export VM_BUILD_DIR="$root/build/windows"
  source "$root/cmake/wine-env.sh"
  vm_wine_prefix_ready
  trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
  timeout 600 wine "$out/report_benchmark.exe" "$(winepath -w "$scratch" 2>/dev/null)" </dev/null
fi
