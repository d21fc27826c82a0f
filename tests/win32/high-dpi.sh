#!/usr/bin/env bash
# Runs the Windows tests that need a high-DPI screen in a prefix of their own set to 192 DPI
# (Wine reads the DPI from the registry when its server starts): the high-DPI checks of
# the main window and the Add Download URLs dialog's minimum size.
# Usage: high-dpi.sh WIN32_TESTS_EXE PREFIX
set -euo pipefail
exe=$1
export VM_WINEPREFIX=$(realpath -m "$2")
source "$(dirname "${BASH_SOURCE[0]}")/../../cmake/wine-env.sh"
vm_wine_prefix_ready
if [ ! -f "$WINEPREFIX/.vm-192dpi" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
  wineserver -w
  touch "$WINEPREFIX/.vm-192dpi"
fi
# Its own server, ended before the test ends so CTest does not wait for it to linger.
wineserver -p </dev/null >/dev/null 2>&1 || true
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
wine "$exe" --gtest_brief=1 \
  --gtest_filter='HighDpi.*:DialogGeometryTest.AddUrls*:SpeedGraph.CommandShows*' </dev/null
