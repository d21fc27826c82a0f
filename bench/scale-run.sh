#!/usr/bin/env bash
# The program at scale under Wine: an export run of a list of refused items (default
# 250,000) and a run of one refused item retried (default 20,000 times). Prints the
# process's memory (resident set, from /proc) after the first 1,000 attempts and at the
# end, its peak, and each run's wall time; curl's time for 1,000 refused connections in
# the same run is the peer. Goal: memory at the end within 10 MB of memory at 1,000.
# Two items on nginx mark the moments (their requests land in its access log): one after
# the first 1,000 refused items (after 1,000 retries in the retry run) and one at the end.
#
# "per-item" measures instead whether the cost per item stays constant (bench/scale-items.sh):
# refused items with and without one successful download among the first 1,000, and
# a list of 404 answers, hidden and shown, against a bare WinINet loop in the same run.
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# Usage: bench/scale-run.sh [ITEMS [RETRIES]]
#        bench/scale-run.sh per-item [REFUSED-ITEMS [ANSWERED-ITEMS]]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
if [ "${1:-}" = per-item ]; then
  shift
  exec bench/scale-items.sh "$@"
fi
items=${1:-250000}
retries=${2:-20000}
mark=1000
[ "$items" -gt "$mark" ] && [ "$retries" -gt "$mark" ] ||
  { echo "ITEMS and RETRIES must exceed $mark" >&2; exit 2; }
build=$root/build/windows
exe=$build/src/win32/velocimark.exe
[ -f "$exe" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

servers=$build/scale-servers
work=$build/scale-run
export VM_BUILD_DIR=$build
source cmake/wine-env.sh
vm_wine_prefix_ready
wineserver -p </dev/null >/dev/null 2>&1 || true
cleanup() {
  tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
wine cmd /c exit </dev/null >/dev/null 2>&1 || true
tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
access_log=$servers/logs/nginx-access.log

rm -rf "$work"
mkdir -p "$work"
cp "$exe" "$work/velocimark.exe"

refused=http://127.0.0.1:$VM_REFUSED_PORT/x
marker() { echo "$VM_HTTP_URL/empty.bin?scale=$1"; }

write_config() { # FILE ITEM-URLS-FILE [OPTION LINES...]
  local file=$1 urls=$2; shift 2
  {
    printf '[General]\r\n'
    printf '%s\r\n' "$@"
    printf 'NumOfDownloads=%s\r\n' "$(wc -l <"$urls")"
    awk '{ printf "[Download%d]\r\nURL=%s\r\nDownloadName=i%d\r\nDisabled=0\r\n", NR - 1, $0, NR }' "$urls"
  } >"$file"
}

calc() { # EXPRESSION: awk's arithmetic, two decimals
  awk "BEGIN { printf \"%.2f\", $1 }"
}

rss_kb() { # PID
  awk '/^VmRSS:/ { print $2 }' "/proc/$1/status" 2>/dev/null || echo 0
}

# Runs the program in export mode and follows its memory: prints
# "wall_s=... rss_mark_mb=... rss_end_mb=... peak_mb=... exit=..." (the mark: when MARK-TAG's
# request reached nginx; the end: when END-TAG's did, else the last sample before the exit).
follow() { # CONFIG NAME MARK-TAG END-TAG
  local config=$1 name=$2 mark_tag=$3 end_tag=$4 start pid="" exit_code rss mark_kb=0 end_kb=0 peak_kb=0 now last_kb=0
  local mark_at="" end_at=""
  : >"$access_log"
  start=$(date +%s.%N)
  (cd "$work" && exec wine velocimark.exe /config "$config" /scomma "$name.csv" /hidden \
     </dev/null >/dev/null 2>&1) &
  local runner=$!
  while [ -z "$pid" ] && kill -0 "$runner" 2>/dev/null; do
    pid=$(pgrep -f -n 'velocimark\.exe /config' || true)
    sleep 0.05
  done
  while kill -0 "$runner" 2>/dev/null; do
    rss=$(rss_kb "$pid")
    [ "${rss:-0}" -gt 0 ] && last_kb=$rss
    [ "${rss:-0}" -gt "$peak_kb" ] && peak_kb=$rss
    if [ "$mark_kb" = 0 ] && grep -q "scale=$mark_tag" "$access_log"; then
      mark_kb=$rss
      mark_at=$(date +%s.%N)
    fi
    if [ "$end_kb" = 0 ] && grep -q "scale=$end_tag" "$access_log"; then
      end_kb=$rss
      end_at=$(date +%s.%N)
    fi
    sleep 0.2
  done
  wait "$runner" && exit_code=0 || exit_code=$?
  now=$(date +%s.%N)
  [ "$end_kb" = 0 ] && end_kb=$last_kb
  [ -n "$end_at" ] || end_at=$now
  [ -n "$mark_at" ] || mark_at=$start
  # between_s: from the mark to the end, the part of the run that the per-item time uses.
  printf 'wall_s=%s between_s=%s rss_mark_mb=%s rss_end_mb=%s peak_mb=%s exit=%s\n' \
    "$(calc "$now - $start")" "$(calc "$end_at - $mark_at")" "$(calc "$mark_kb / 1024")" \
    "$(calc "$end_kb / 1024")" "$(calc "$peak_kb / 1024")" "$exit_code"
}

# The peer: curl's cost of 1,000 refused connections, one after another in one process.
for _ in $(seq "$mark"); do printf 'url = "%s"\noutput = "/dev/null"\n' "$refused"; done >"$work/curl.cfg"
curl_start=$(date +%s.%N)
curl -s --max-time 120 -K "$work/curl.cfg" || true
curl_s=$(calc "$(date +%s.%N) - $curl_start")

# 1. Refused items, one attempt each.
urls=$work/items.txt
{
  for _ in $(seq "$mark"); do echo "$refused"; done
  marker items-mark
  for _ in $(seq $((items - mark))); do echo "$refused"; done
  marker items-end
} >"$urls"
write_config "$work/items.cfg" "$urls" "TryAgainOnFail=0" "ConnectTimeout=30"
items_result=$(follow items.cfg items items-mark items-end)

# 2. One refused item retried, followed by a marker. A marker cannot sit inside one item's
# retries, so a first run of 1,000 retries gives the figure after 1,000.
printf '%s\n%s\n%s\n' "$(marker retries-start)" "$refused" "$(marker retries-end)" >"$urls"
write_config "$work/retries-mark.cfg" "$urls" "TryAgainOnFail=1" "NumOfRetries=$mark" "ConnectTimeout=30"
mark_result=$(follow retries-mark.cfg retries-mark retries-start retries-end)
write_config "$work/retries.cfg" "$urls" "TryAgainOnFail=1" "NumOfRetries=$retries" "ConnectTimeout=30"
retries_result=$(follow retries.cfg retries retries-start retries-end)

field() { sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"; }
failed_rows() { grep -c 'Failed' "$work/$1.csv" || true; }
echo "== $items refused items (one attempt each) =="
echo "program: $items_result  failed rows: $(failed_rows items)"
echo "memory growth after the first $mark items: $(calc "$(field rss_end_mb "$items_result") - $(field rss_mark_mb "$items_result")") MB"
per_item=$(calc "$(field between_s "$items_result") * 1000 / ($items - $mark)")
echo "per item after the first $mark: program $per_item ms, curl $(calc "$curl_s * 1000 / $mark") ms" \
  "(ratio $(calc "$per_item / ($curl_s * 1000 / $mark)"))"
echo "== one refused item retried $retries times =="
echo "after $mark retries: $mark_result"
echo "after $retries retries: $retries_result"
echo "per retry: $(calc "$(field between_s "$retries_result") * 1000 / $retries") ms"
echo "memory growth from $mark to $retries retries: $(calc "$(field rss_end_mb "$retries_result") - $(field rss_end_mb "$mark_result")") MB"
