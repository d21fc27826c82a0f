#!/usr/bin/env bash
# Builds the results-page benchmark with optimisation and runs it: a history of 100, 1,000
# and 10,000 runs of ten items read and turned into the page, with the page's size and the
# ratio of the two larger runs' times (against a plain line count of the same file).
# Usage: bench/history-page-bench.sh [folder for the scratch files]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="$root/build/bench-native"
mkdir -p "$out"
scratch=${1:-$out}
mapfile -t sources < <(find "$root/src/core" -name '*.cpp' | sort)
g++ -std=c++17 -O2 -DNDEBUG -Wall -Wextra -Werror -I"$root/src" "${sources[@]}" \
  "$root/bench/HistoryPageBench.cpp" -o "$out/history-page-bench"
"$out/history-page-bench" "$scratch"
