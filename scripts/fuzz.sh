#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a while.
# Usage: scripts/fuzz.sh [seconds per target]   (default 300; scripts/test.sh runs 3)
# VM_FUZZ_TARGETS="A B" picks targets (default: all, the files fuzz/NameFuzz.cpp).
# Findings are written to build/fuzz/findings; the corpus grows in build/fuzz/corpus.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-300}
build="$root/build/fuzz"

"$root/scripts/build.sh" fuzz >/dev/null

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p "$build/findings"
all=$(cd "$root/fuzz" && ls -- *Fuzz.cpp | sed 's/\.cpp$//')
for target in ${VM_FUZZ_TARGETS:-$all}; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  seeds="$root/fuzz/seeds/$target"
  echo "fuzzing $target for ${seconds}s"
  "$build/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=0 -artifact_prefix="$build/findings/$target-" \
    "$corpus" "$seeds" >"$build/$target.log" 2>&1 || {
    tail -n 40 "$build/$target.log"
    echo "$target: a finding, see $build/findings"
    exit 1
  }
  grep -E '^#[0-9]+.*DONE' "$build/$target.log" | tail -n 1 || true
done
