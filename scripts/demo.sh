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

# Every item takes at least a second, so that its speed is a speed: the fast ones are
# large sparse files cut by the time limit, and the limited one is measured three times.
stop_after=2
[ -n "$screenshot" ] && stop_after=6
VM_SLOW_RATE=1m tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
tests/servers/trust-ca.sh >/dev/null
# Zeros, sparse: costs no disk.
big="$VM_DATA_DIR/demo-2g.bin"
[ "$(stat -c %s "$big" 2>/dev/null)" = 2147483648 ] || { rm -f "$big"; truncate -s 2G "$big"; }
chmod 644 "$big"

local_file="Z:$(echo "$big" | tr / '\\')"
cfg="$app/velocimark.cfg"
{
  printf '[General]\r\n'
  printf 'UseAutoStopTime=1\r\nAutoStopTime=%d\r\nConnectTimeout=10\r\n' "$stop_after"
  printf 'TryAgainOnFail=1\r\nNumOfRetries=1\r\nDontAddDisabled=1\r\n'
  # The run history holds the run's JSON document, for the lines after the report.
  printf 'HistoryFile=results.jsonl\r\n'
  printf 'NumOfDownloads=5\r\n'
  i=0
  while IFS='|' read -r url name repeat; do
    printf '[Download%d]\r\nURL=%s\r\nDownloadName=%s\r\nDisabled=0\r\n' "$i" "$url" "$name"
    [ -n "$repeat" ] && printf 'Repeat=%d\r\n' "$repeat"
    i=$((i + 1))
  done <<LIST
$VM_HTTP_URL/slow/18m.bin|HTTP at limit_rate 1m (its first second comes at once), 3 times|3
$VM_HTTP_URL/demo-2g.bin|HTTP|
$VM_HTTPS_URL/demo-2g.bin|HTTPS|
$VM_FTP_URL/demo-2g.bin|FTP|
$local_file|Local file|
LIST
} >"$cfg"

report="$app/report.txt"
echo "Velocimark: testing 5 downloads against local servers (about 15 s of downloads)..."
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
# One line per item: its speed (steady where known, else average), how far it can be
# trusted and the spread it was judged on.
echo "Speed (KB/s)   Confidence  Spread  Item"
jq -r '.items[] |
  (if .speed_stats.n > 1 then .speed_stats.median
   else (.steady_bytes_per_s // .average_bytes_per_s) end) as $speed |
  [(($speed / 1024 * 10 | round) / 10 | tostring),
   (.confidence // "-"),
   (if .speed_stats.n > 1 then ((.speed_stats.cv * 1000 | round) / 10 | tostring) + "%"
    else "-" end),
   .name + " (" + .status + ", " + ((.duration_us / 1000 | round) | tostring) + " ms)"] |
  "\(.[0] | .[0:12] | . + " " * (14 - length)) \(.[1] | . + " " * (11 - length)) \(.[2] | . + " " * (7 - length)) \(.[3])"' \
  <(tail -n 1 "$app/results.jsonl")
echo
echo "Confidence: high = 3+ measurements within 5% of each other (cv), medium = within 15%,"
echo "low = otherwise or too short for a steady speed (set Repeat for short downloads)."
