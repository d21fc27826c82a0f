#!/usr/bin/env bash
# The program's main job with no internet: starts local servers with generated files (one
# of them rate-limited), writes a configuration listing them and one local file, runs
# velocimark.exe under Wine in export mode, prints the report and stops the servers.
#
# Usage: scripts/demo.sh [--screenshot FILE.png]
#   --screenshot  run the window visibly under Xvfb and save a picture taken during the run
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

screenshot=""
while [ $# -gt 0 ]; do
  case "$1" in
    --screenshot) screenshot=$(realpath -m "${2:?--screenshot needs a file name}"); shift 2 ;;
    *) echo "unknown argument: $1" >&2; exit 2 ;;
  esac
done

[ "$(id -u)" = 0 ] && scripts/install-deps.sh
scripts/build.sh windows >/dev/null

work="$root/build/demo"
servers="$work/servers"
app="$work/app"
rm -rf "$app"
mkdir -p "$app"
cp build/windows/src/win32/velocimark.exe "$app/"

export VM_BUILD_DIR="$root/build/windows"
if [ -n "$screenshot" ]; then
  # A prefix of its own that draws on a real (virtual) display.
  export VM_WINEPREFIX="$work/wineprefix-display" VM_WINE_DISPLAY=1
fi
source cmake/wine-env.sh
vm_wine_prefix_ready

xvfb_pid=""
cleanup() {
  tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# The limited download runs first and is cut by the time limit; with a screenshot it runs
# long enough to be seen.
stop_after=4
[ -n "$screenshot" ] && stop_after=8
VM_SLOW_RATE=500k tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
tests/servers/trust-ca.sh >/dev/null

local_file="Z:$(echo "$VM_DATA_DIR/5m.bin" | tr / '\\')"
cfg="$app/velocimark.cfg"
{
  printf '[General]\r\n'
  printf 'UseAutoStopTime=1\r\nAutoStopTime=%d\r\nConnectTimeout=10\r\n' "$stop_after"
  printf 'TryAgainOnFail=1\r\nNumOfRetries=1\r\nDontAddDisabled=1\r\n'
  printf 'NumOfDownloads=6\r\n'
  i=0
  while IFS='|' read -r url name; do
    printf '[Download%d]\r\nURL=%s\r\nDownloadName=%s\r\nDisabled=0\r\n' "$i" "$url" "$name"
    i=$((i + 1))
  done <<LIST
$VM_HTTP_URL/slow/5m.bin|HTTP limited to $VM_SLOW_RATE/s
$VM_HTTP_URL/5m.bin|HTTP, 5 MB
$VM_HTTPS_URL/5m.bin|HTTPS, 5 MB
$VM_FTP_URL/5m.bin|FTP, 5 MB
$VM_HTTP_URL/chunked/1m.bin|HTTP chunked, 1 MB
$local_file|Local file, 5 MB
LIST
} >"$cfg"

report="$app/report.txt"
echo "Velocimark: testing 6 downloads against local servers (this takes about 10 s)..."
if [ -z "$screenshot" ]; then
  (cd "$app" && timeout 300 wine velocimark.exe /config velocimark.cfg /stext report.txt /hidden \
    </dev/null >/dev/null 2>&1) || { echo "velocimark.exe failed (exit $?)" >&2; exit 1; }
else
  display=":$((90 + RANDOM % 100))"
  Xvfb "$display" -screen 0 1024x768x24 >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY="$display"
  sleep 1
  (cd "$app" && timeout 300 wine explorer /desktop=velocimark,1024x740 velocimark.exe \
    /config velocimark.cfg /stext report.txt </dev/null >/dev/null 2>&1) &
  run_pid=$!
  sleep 6
  import -window root "$screenshot"
  echo "Screenshot taken during the run: $screenshot"
  wait "$run_pid" || true
fi

if [ ! -s "$report" ]; then
  echo "No report was written." >&2
  exit 1
fi
echo
cat "$report"
echo
