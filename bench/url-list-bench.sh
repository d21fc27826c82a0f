#!/usr/bin/env bash
# Adding URL lists of 10,000 and 100,000 lines (read, parse, show): both times and the ratio.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/bench"
"$root/scripts/build.sh" bench url_list_bench >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
"$build/url_list_bench" "$tmp"
