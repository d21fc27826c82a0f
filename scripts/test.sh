#!/usr/bin/env bash
# Every test: installs what is missing, checks the source rules, builds both builds,
# runs the native tests under the sanitizers, then the core and Win32 tests under Wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh
fi
scripts/check-source.sh
scripts/build.sh all

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build/native --output-on-failure -j "$(nproc)"

# A few seconds of fuzzing per parser; scripts/fuzz.sh alone runs longer.
scripts/fuzz.sh 3

# A persistent wineserver, so CTest does not wait for one to linger after each test.
export VM_BUILD_DIR="$root/build/windows"
source cmake/wine-env.sh
servers="$root/build/windows/servers"
lab="$root/build/windows/lab"
trap 'tests/lab/lab.sh stop "$lab" >/dev/null 2>&1 || true
      tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true; wineserver -k >/dev/null 2>&1 || true' EXIT
vm_wine_server_start
# Local servers for the transfer tests; their ports reach the tests through the environment.
tests/servers/start.sh "$servers" --big
source "$servers/env"
tests/servers/trust-ca.sh
# The link lab (tests/lab): a namespace whose loopback is a 40 Mbit/s link, its own servers
# and Wine server inside; tests that need a real bottleneck find it through VM_LAB_DIR.
if [ "$(id -u)" = 0 ]; then
  tests/lab/lab.sh start "$lab" --big
  source "$lab/env"
fi
ctest --test-dir build/windows --output-on-failure -j "$(nproc)"
