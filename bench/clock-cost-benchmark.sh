#!/usr/bin/env bash
# The cost of the microsecond clock per 200 ms timer step of a fast download, against the
# step that read the millisecond tick alone, measured alternately in one process under
# Wine. Goal: ratio <= 1.05. Needs nothing but the bench-windows tree; not part of the
# test command.
# Usage: bench/clock-cost-benchmark.sh [ROUNDS]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
"$root/scripts/build.sh" bench-windows clock_cost_bench >/dev/null
export VM_BUILD_DIR=$root/build/bench-windows
source cmake/wine-env.sh
vm_wine_prefix_ready
wine "$root/build/bench-windows/clock_cost_bench.exe" "${1:-15}" </dev/null 2>/dev/null
wineserver -k >/dev/null 2>&1 || true
