#!/usr/bin/env bash
# Screenshots of the main window under Xvfb, for the repaint checks of its layout:
#   1. restart-columns.png  a start with a saved column order (Name, Status, URL, ...) and
#                           a saved placement: cells under their own headers, status bar
#                           painted;
#   2. maximized.png        the same window after a maximise;
#   3. resized.png          after a resize back to a smaller size.
# and of the speed graph pane, against the local test servers (two throttled mirrors):
#   4. graph-running.png    during a run: the download under test, its limits and figures;
#   5. graph-compare.png    after the run with both rows selected: two curves and a legend;
#   6. graph-rtl.png        during a run with a right-to-left translation: time runs leftwards;
#   7. graph-translated.png after a run with a translation, the pane's context menu open.
# Needs the Windows build (scripts/build.sh windows).
# Usage: scripts/window-shots.sh [OUTPUT_FOLDER] (default build/shots); VM_SHOT_DISPLAY
# picks the X display number (default 93).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
out=$(realpath -m "${1:-build/shots}")
display=":${VM_SHOT_DISPLAY:-93}"
exe=build/windows/src/win32/velocimark.exe
[ -f "$exe" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

work="$root/build/shots-work"
app="$work/app"
rm -rf "$app"
mkdir -p "$app" "$out"
cp "$exe" "$app/"
i686-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror scripts/tools/window_tool.cpp \
  -static -static-libgcc -static-libstdc++ -o "$work/window_tool.exe"

export VM_BUILD_DIR="$root/build/windows" VM_WINEPREFIX="$work/wineprefix-display" VM_WINE_DISPLAY=1
source cmake/wine-env.sh

Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
servers="$work/servers"
cleanup() {
  tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1
vm_wine_prefix_ready

hex() { # little-endian 16- or 32-bit values: hex BITS VALUE...
  local bits=$1; shift
  for v in "$@"; do
    if [ "$bits" = 16 ]; then
      printf '%02X %02X ' $((v & 255)) $(((v >> 8) & 255))
    else
      printf '%02X %02X %02X %02X ' $((v & 255)) $(((v >> 8) & 255)) $(((v >> 16) & 255)) $(((v >> 24) & 255))
    fi
  done
}
# Columns: width, display position per column (URL, Name, Status, the speeds, ...):
# Name first, Status second, URL third.
columns=$(hex 16 260 2  140 0  110 1  90 3  90 4  90 5  120 6  90 7  90 8 | sed 's/ $//')
# WinPos: length, flags, showCmd 1, min and max positions, normal rectangle.
winpos=$(hex 32 44 0 1 -1 -1 -1 -1 60 40 900 560 | sed 's/ $//')
{
  printf '[General]\r\nColumns=%s\r\nWinPos=%s\r\nSort=0\r\n' "$columns" "$winpos"
  printf 'NumOfDownloads=5\r\n'
  for i in 0 1 2 3 4; do
    printf '[Download%d]\r\nURL=http://127.0.0.1:9/file%d.bin\r\nDownloadName=Item %d\r\nDisabled=%d\r\n' \
      "$i" "$i" "$i" $((i == 3))
  done
} >"$app/velocimark.cfg"

(cd "$app" && exec wine explorer /desktop=velocimark,1024x740 velocimark.exe /config velocimark.cfg \
  </dev/null >/dev/null 2>&1) &
run_pid=$!
sleep 5
import -window root "$out/restart-columns.png"
wine explorer /desktop=velocimark "$work/window_tool.exe" maximize </dev/null >/dev/null 2>&1
sleep 2
import -window root "$out/maximized.png"
wine explorer /desktop=velocimark "$work/window_tool.exe" restore </dev/null >/dev/null 2>&1
sleep 1
wine explorer /desktop=velocimark "$work/window_tool.exe" size 700 450 </dev/null >/dev/null 2>&1
sleep 2
import -window root "$out/resized.png"
wine explorer /desktop=velocimark "$work/window_tool.exe" close </dev/null >/dev/null 2>&1
wait "$run_pid" || true
wine explorer /desktop=velocimark "$work/window_tool.exe" waitgone </dev/null >/dev/null 2>&1 || true

# The speed graph: two mirrors of one file, throttled to different rates.
VM_SLOW_RATE=300k tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
tool() { wine explorer /desktop=velocimark "$work/window_tool.exe" "$@" </dev/null 2>/dev/null | tr -d '\r'; }
graph_config() {
  {
    printf '[General]\r\nWinPos=%s\r\nUseAutoStopTime=1\r\nAutoStopTime=8\r\n' "$winpos"
    printf 'ShowSpeedGraph=1\r\nSpeedGraphHeight=260\r\nNumOfDownloads=2\r\n'
    printf '[Download0]\r\nURL=%s/rate/400k/5m.bin\r\nDownloadName=Mirror 1\r\n' "$VM_HTTP_URL"
    printf '[Download1]\r\nURL=%s/rate/900k/5m.bin\r\nDownloadName=Mirror 2\r\n' "$VM_HTTP_URL"
  } >"$app/velocimark.cfg"
}
start_app() {
  (cd "$app" && exec wine explorer /desktop=velocimark,1024x740 velocimark.exe /config velocimark.cfg \
    </dev/null >/dev/null 2>&1) &
  run_pid=$!
  sleep 4
}
stop_app() {
  tool command 40037 >/dev/null   # Stop Downloads Test: closing during a run would ask first
  sleep 1
  tool close >/dev/null
  wait "$run_pid" || true
  tool waitgone >/dev/null || true
}
graph_config
start_app
tool command 40036 >/dev/null   # Start Downloads Test
sleep 6
import -window root "$out/graph-running.png"
echo "running: $(tool graphtext)"
sleep 14
tool command 40007 >/dev/null   # Select All
sleep 1
import -window root "$out/graph-compare.png"
echo "compare: $(tool graphtext)"
stop_app

graph_config
printf '[general]\r\nrtl=1\r\n' >"$app/velocimark_lng.ini"
start_app
tool command 40036 >/dev/null
sleep 7
import -window root "$out/graph-rtl.png"
stop_app

graph_config
cat >"$app/velocimark_lng.ini" <<'LANG'
[general]
rtl=0
[strings]
411=KB/s
2100=%s: Mittel %s, stabil %s, Spitze %s
2101=noch unbekannt
2106=Mittel %s   Stabil %s   Spitze %s   Bytes %s   Aufgeloest %s   Verbunden %s   Gesendet %s   Erstes Byte %s
2110=Zeitlimit
2112=stabil
2113=Mittel
2117=Tempo
[menu_102]
40080=Tempo-&Grafik
[menu_3110]
3101=Grafik &kopieren
3102=Grafik &speichern unter...
40080=Tempo-&Grafik
LANG
start_app
tool command 40036 >/dev/null
sleep 19
tool graphmenu >/dev/null
sleep 1
import -window root "$out/graph-translated.png"
echo "translated: $(tool graphtext)"
stop_app
rm -f "$app/velocimark_lng.ini"
echo "Screenshots: $out/restart-columns.png $out/maximized.png $out/resized.png"
echo "  $out/graph-running.png $out/graph-compare.png $out/graph-rtl.png $out/graph-translated.png"
