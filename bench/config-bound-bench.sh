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

"$root/scripts/build.sh" bench-windows config_bound_bench >/dev/null
export VM_BUILD_DIR="$root/build/windows"
source "$root/cmake/wine-env.sh"
vm_wine_prefix_ready
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
timeout 1200 wine "$out/config_bound_bench.exe" "$(winepath -w "$scratch" 2>/dev/null)" </dev/null
