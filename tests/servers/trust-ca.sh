#!/usr/bin/env bash
# Trusts the test servers' CA in a Wine prefix (its CurrentUser "Root" store); the
# host's certificate store is left alone.
# Usage: trust-ca.sh [CA.der]   (default: $VM_TEST_CA_DER from DIR/env)
# Prefix: $WINEPREFIX, else the Windows build's (build/windows/wineprefix).
# Tool: $VM_ADD_ROOT_CERT, else build/windows/tests/add_root_cert.exe.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
der=${1:-${VM_TEST_CA_DER:-}}
if [ -z "$der" ] || [ ! -f "$der" ]; then
  echo "trust-ca.sh: no CA file (give one, or source DIR/env first)" >&2
  exit 2
fi
tool=${VM_ADD_ROOT_CERT:-$root/build/windows/tests/add_root_cert.exe}
[ -f "$tool" ] || { echo "trust-ca.sh: $tool is missing (scripts/build.sh windows)" >&2; exit 1; }

export VM_BUILD_DIR=${VM_BUILD_DIR:-$root/build/windows}
[ -n "${WINEPREFIX:-}" ] && export VM_WINEPREFIX=$WINEPREFIX
source "$root/cmake/wine-env.sh"
vm_wine_prefix_ready
win_der=$(timeout 60 winepath -w "$der" </dev/null 2>/dev/null | tr -d '\r')
# Bounded: were Wine ever to ask for confirmation, this must not hang.
timeout 60 wine "$tool" "$win_der" </dev/null 2>/dev/null | tr -d '\r'
