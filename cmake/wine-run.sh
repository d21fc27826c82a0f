#!/usr/bin/env bash
# Runs a Windows program under Wine in a quiet, headless 32-bit prefix of its own.
# The prefix lives in the build tree (VM_WINEPREFIX overrides) and is made on first use.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/wine-env.sh"
vm_wine_prefix_ready
exec wine "$@"
