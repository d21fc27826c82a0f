#!/usr/bin/env bash
# Load and save times of configurations with 1,000, 10,000 and 100,000 items.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/bench"
"$root/scripts/build.sh" bench config_bench >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/config_bench" "$tmp"
