#!/usr/bin/env bash
# Screenshots of the main window under Xvfb, for the repaint checks of its layout:
#   1. restart-columns.png  a start with a saved column order (Name, Status, URL, ...) and
#                           a saved placement: cells under their own headers, status bar
#                           painted;
#   2. maximized.png        the same window after a maximise;
#   3. resized.png          after a resize back to a smaller size;
# then every dialog the main window opens, cropped to the dialog, in three languages:
#   dialogs/LANG-NAME.png   LANG: en (built-in texts), de (a German translation file),
#                           rtl (the built-in texts with right-to-left layout); NAME:
#                           addurls-open, addurls-min, addurls-large, options-open,
#                           options-min, options-large, properties, about, columns,
#                           addfile (the Add File chooser with its filter list);
# and last the speed graph pane, against the local test servers (two throttled mirrors):
#   graph-running.png       during a run: the download under test, its limits and figures;
#   graph-compare.png       after the run with both rows selected: two curves and a legend;
#   graph-rtl.png           during a run with a right-to-left translation: time runs leftwards;
#   graph-translated.png    after a run with a translation, the pane's context menu open;
# and at 144 and 192 DPI (a 150% and a 200% screen), the main window during a run and the
# dialogs:
#   dpiN/running.png        the list, toolbar, graph and status bar during a run;
#   dpiN/narrow.png         the window at its minimum size: the graph gives way to the list;
#   dpiN/NAME.png           addurls-open, addurls-min, options-open, properties, about, columns.
# Needs the Windows build (scripts/build.sh windows).
# Usage: scripts/window-shots.sh [OUTPUT_FOLDER] (default build/shots); VM_SHOT_DISPLAY
# picks the X display number (default 93); VM_SHOT_EXE another program file to shoot
# (an earlier build, for a before-and-after look).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
out=$(realpath -m "${1:-build/shots}")
display=":${VM_SHOT_DISPLAY:-93}"
exe=${VM_SHOT_EXE:-build/windows/src/win32/velocimark.exe}
[ -f "$exe" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

work="$root/build/shots-work"
app="$work/app"
rm -rf "$app"
mkdir -p "$app" "$out"
cp "$exe" "$app/velocimark.exe"
i686-w64-mingw32-g++-posix -std=c++17 -O2 -Wall -Wextra -Werror scripts/tools/window_tool.cpp \
  -static -static-libgcc -static-libstdc++ -o "$work/window_tool.exe"

export VM_BUILD_DIR="$root/build/windows" VM_WINEPREFIX="$work/wineprefix-display" VM_WINE_DISPLAY=1
source cmake/wine-env.sh

# Large enough for the 200% window; the 96-DPI shots are cut to 1024 x 768 as before.
Xvfb "$display" -screen 0 1800x1200x24 >/dev/null 2>&1 &
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
# A display already in use (another tree's shots) would be shared, and closed under us.
kill -0 "$xvfb_pid" 2>/dev/null || { echo "display $display is taken: set VM_SHOT_DISPLAY" >&2; exit 1; }
vm_wine_prefix_ready

shot() { import -window root -crop 1024x768+0+0 +repage "$1"; }

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
shot "$out/restart-columns.png"
wine explorer /desktop=velocimark "$work/window_tool.exe" maximize </dev/null >/dev/null 2>&1
sleep 2
shot "$out/maximized.png"
wine explorer /desktop=velocimark "$work/window_tool.exe" restore </dev/null >/dev/null 2>&1
sleep 1
wine explorer /desktop=velocimark "$work/window_tool.exe" size 700 450 </dev/null >/dev/null 2>&1
sleep 2
shot "$out/resized.png"
wine explorer /desktop=velocimark "$work/window_tool.exe" close </dev/null >/dev/null 2>&1
wait "$run_pid" || true

# The dialogs. Command ids: res/resource.h.
tool() { wine explorer /desktop=velocimark "$work/window_tool.exe" "$@" </dev/null >/dev/null 2>&1; }
# The open dialog's place, once the tool has found it (explorer returns before the tool
# ends): dialog_rect; false when no dialog came within 15 s.
dialog_rect() {
  rm -f "$app/rect.txt"
  tool dialog-rect 'C:\vmshots\rect.txt'
  for _ in $(seq 30); do
    [ -s "$app/rect.txt" ] && return 0
    sleep 0.5
  done
  return 1
}
# Shoots the open dialog, cropped with a margin: shoot_dialog NAME
shoot_dialog() {
  local geometry x y w h
  dialog_rect || { echo "no dialog for $1" >&2; return 0; }
  import -window root "$work/full.png"
  read -r x y w h < <(tr -d '\r' <"$app/rect.txt")
  geometry="$((w + 16))x$((h + 16))+$((x > 8 ? x - 8 : 0))+$((y > 8 ? y - 8 : 0))"
  convert "$work/full.png" -crop "$geometry" +repage "$dialogs/$lang-$1.png"
}
# Opens a dialog by command, shoots it as opened and, for a resizable one, at its minimum
# and at a larger size: dialog_shots COMMAND NAME [resizable]
dialog_shots() {
  tool command "$1"
  dialog_rect || { echo "command $1 opened no dialog" >&2; return 0; }
  sleep 1
  shoot_dialog "$2-open"
  if [ "${3:-}" = resizable ]; then
    tool dialog-size 1 1
    sleep 1
    shoot_dialog "$2-min"
    tool dialog-size 720 520
    sleep 1
    shoot_dialog "$2-large"
    # back to the minimum: the repaint after a large shrink
    tool dialog-size 1 1
    sleep 1
    shoot_dialog "$2-shrunk"
  fi
  tool dialog-close
  sleep 1
}

german_translation() {
  printf '[general]\r\nTranslatorName=Velocimark-Team\r\n'
  printf '[dialog_109]\r\ncaption=Download-URLs hinzuf\xfcgen\r\n'
  printf '1001=Geben Sie die URLs ein, die Sie hinzuf\xfcgen m\xf6chten, jede in einer eigenen Zeile. Um f\xfcr eine URL einen Namen anzuzeigen, schreiben Sie ihn direkt hinter die URL, zum Beispiel:\r\n'
  printf '1=OK\r\n2=Abbrechen\r\n'
  printf '[dialog_111]\r\ncaption=Erweiterte Optionen\r\n'
  printf '1012=Download automatisch beenden nach\r\n1014=Sekunden\r\n'
  printf '1009=Automatisch beenden nach dem Laden von\r\n'
  printf '1032=Automatisch beenden, wenn sich die Geschwindigkeit kaum \xe4ndert...\r\n'
  printf '1015=Verbindungs-Timeout:\r\n1017=Sekunden\r\n1018=FTP-Modus:\r\n'
  printf '1020=Bei Fehlern wiederholen, bis zu \r\n1022=Mal\r\n'
  printf '1024=Automatischer Bericht\r\n1023=Testergebnisse automatisch in einer Datei speichern:\r\n'
  printf '1025=Dateiname: (ohne vollst\xe4ndigen Pfad wird die Datei im Velocimark-Ordner gespeichert)\r\n'
  printf '1028=Berichtstyp:\r\n1030=Berichtsdatei automatisch mit dem Standardprogramm \xf6ffnen\r\n'
  printf '1=OK\r\n2=Abbrechen\r\n'
  printf '[dialog_105]\r\ncaption=Eigenschaften\r\n1=OK\r\n2=Abbrechen\r\n'
  printf '[dialog_112]\r\ncaption=\xdcber Velocimark\r\n1005=\xdcbersetzung:\r\n1=OK\r\n'
  printf '[dialog_1096]\r\ncaption=Spalteneinstellungen\r\n'
  printf '1000=Markieren Sie die Spalten, die sichtbar sein sollen. Mit Nach oben und Nach unten \xe4ndern Sie die Reihenfolge\r\n'
  printf '1003=Nach &oben\r\n1004=Nach &unten\r\n1006=&Zeigen\r\n1007=&Verbergen\r\n1008=Standard\r\n'
  printf '1002=Breite der gew\xe4hlten Spalte (Pixel):\r\n1=OK\r\n2=Abbrechen\r\n'
  printf '[strings]\r\n17=Datei f\xfcr den Geschwindigkeitstest w\xe4hlen\r\n2000=Alle Dateien\r\n'
  printf '1001=URL\r\n1002=Name\r\n1003=Geladen\r\n1004=Startzeit\r\n1005=Dauer\r\n'
  printf '1006=Geschwindigkeit (Bytes)\r\n1007=Geschwindigkeit (Bits)\r\n1008=Status\r\n1009=Reihenfolge\r\n'
}

dialogs="$out/dialogs"
mkdir -p "$dialogs"
# The shots' file exchange goes through the program's folder, seen from Wine as C:\vmshots.
ln -sfn "$app" "$WINEPREFIX/drive_c/vmshots"
for lang in en de rtl; do
  rm -f "$app/velocimark_lng.ini"
  case $lang in
    de) german_translation >"$app/velocimark_lng.ini" ;;
    rtl) printf '[general]\r\nRTL=1\r\n' >"$app/velocimark_lng.ini" ;;
  esac
  (cd "$app" && exec wine explorer /desktop=velocimark,1024x740 velocimark.exe /config velocimark.cfg \
    </dev/null >/dev/null 2>&1) &
  run_pid=$!
  sleep 4
  tool first-row
  dialog_shots 40024 addurls resizable      # Add Download URLs
  dialog_shots 40046 options resizable      # Advanced Options
  dialog_shots 40009 properties             # Properties of the first row
  dialog_shots 40003 about
  dialog_shots 40011 columns                # Column Settings
  dialog_shots 40053 addfile                # Add File's chooser
  tool close
  # A dialog left open keeps the program from closing: end it with the prefix's server.
  for _ in $(seq 20); do kill -0 "$run_pid" 2>/dev/null || break; sleep 1; done
  kill -0 "$run_pid" 2>/dev/null && { echo "$lang: the program did not close" >&2; wineserver -k || true; }
  wait "$run_pid" || true
done
rm -f "$app/velocimark_lng.ini" "$WINEPREFIX/drive_c/vmshots"
echo "Screenshots: $out/restart-columns.png $out/maximized.png $out/resized.png $dialogs/*.png"

# The speed graph pane.
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
shot "$out/graph-running.png"
echo "running: $(tool graphtext)"
sleep 14
tool command 40007 >/dev/null   # Select All
sleep 1
shot "$out/graph-compare.png"
echo "compare: $(tool graphtext)"
stop_app

graph_config
printf '[general]\r\nrtl=1\r\n' >"$app/velocimark_lng.ini"
start_app
tool command 40036 >/dev/null
sleep 7
shot "$out/graph-rtl.png"
stop_app

graph_config
cat >"$app/velocimark_lng.ini" <<'LANG'
[general]
rtl=0
[strings]
411=KB/s
2100=%s: Mittel %s, stabil %s, Spitze %s
2101=noch unbekannt
2110=Zeitlimit
2112=Stabiles Tempo
2113=Laufendes Mittel
2117=200-ms-Tempo
2119=1-s-Tempo
2120=Mittel
2121=Stabil
2122=Spitze
2124=Aufgeloest
2125=Verbunden
2126=Gesendet
2127=Erstes Byte
[menu_102]
40080=Tempo-G&rafik
[menu_3110]
3101=Grafik &kopieren
3102=Grafik &speichern unter...
40080=Tempo-G&rafik
LANG
start_app
tool command 40036 >/dev/null
sleep 19
tool graphmenu >/dev/null
sleep 1
shot "$out/graph-translated.png"
echo "translated: $(tool graphtext)"
stop_app
rm -f "$app/velocimark_lng.ini"

# High DPI: Wine takes the screen's DPI from the registry when its server starts.
ln -sfn "$app" "$WINEPREFIX/drive_c/vmshots"
for dpi in 144 192; do
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w
  dialogs="$out/dpi$dpi"
  lang=dpi
  mkdir -p "$dialogs"
  graph_config
  width=$((840 * dpi / 96)) height=$((540 * dpi / 96))
  sed -i "s/^WinPos=.*/WinPos=$(hex 32 44 0 1 -1 -1 -1 -1 20 20 $((20 + width)) $((20 + height)) | sed 's/ $//')\r/" \
    "$app/velocimark.cfg"
  sed -i "s/^SpeedGraphHeight=.*/SpeedGraphHeight=220\r/" "$app/velocimark.cfg"
  (cd "$app" && exec wine explorer /desktop=velocimark,1800x1200 velocimark.exe /config velocimark.cfg \
    </dev/null >/dev/null 2>&1) &
  run_pid=$!
  sleep 5
  tool command 40036 >/dev/null   # Start Downloads Test
  sleep 7
  import -window root -crop "$((width + 60))x$((height + 60))+0+0" +repage "$dialogs/running.png"
  echo "dpi $dpi running: $(tool graphtext)"
  tool command 40037 >/dev/null   # Stop
  sleep 1
  tool size 300 200 >/dev/null    # below the minimum: the window keeps it
  sleep 2
  import -window root -crop "$((width + 60))x$((height + 60))+0+0" +repage "$dialogs/narrow.png"
  tool size "$width" "$height" >/dev/null
  tool first-row >/dev/null
  dialog_shots 40024 addurls resizable
  dialog_shots 40046 options
  dialog_shots 40009 properties
  dialog_shots 40003 about
  dialog_shots 40011 columns
  tool close >/dev/null
  for _ in $(seq 20); do kill -0 "$run_pid" 2>/dev/null || break; sleep 1; done
  kill -0 "$run_pid" 2>/dev/null && { echo "dpi $dpi: the program did not close" >&2; wineserver -k || true; }
  wait "$run_pid" || true
  for f in "$dialogs"/dpi-*.png; do [ -e "$f" ] && mv "$f" "$dialogs/${f##*/dpi-}"; done
done
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 96 /f >/dev/null 2>&1
rm -f "$WINEPREFIX/drive_c/vmshots"
echo "Screenshots: $out/restart-columns.png $out/maximized.png $out/resized.png"
echo "  $out/graph-running.png $out/graph-compare.png $out/graph-rtl.png $out/graph-translated.png"
echo "  $out/dpi144/*.png $out/dpi192/*.png"
