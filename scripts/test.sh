#!/usr/bin/env bash
# Every test: installs what is missing, checks the source rules, builds both builds,
# runs the native tests under the sanitizers, then the core and Win32 tests under Wine.
# Usage: scripts/test.sh [--quick]
#   --quick  the loop while editing: builds the native core tests and runs them under the
#            sanitizers, without the scale tests; no packages, no Wine, no servers
# One test: ctest --test-dir build/native -R NAME (native), ctest --test-dir build/windows
# -R win32.SUITE (under Wine, with the set-up below; see docs/DEVELOPING.md).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

if [ "${1:-}" = --quick ]; then
  scripts/build.sh native core_tests
  # One process for every test: a process per test (as ctest runs them) costs more than
  # the tests themselves. The scale tests are those CTest labels "scale".
  scale=$(ctest --test-dir build/native -N -L scale | sed -n 's/^ *Test *#[0-9]*: //p' | paste -sd:)
  exec build/native/tests/core_tests --gtest_brief=1 --gtest_filter="-$scale"
fi

if [ "$(id -u)" = 0 ]; then
  scripts/install-deps.sh
fi
scripts/check-source.sh
scripts/build.sh all

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
