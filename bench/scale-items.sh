#!/usr/bin/env bash
# Whether the program's cost per item stays constant, whatever the list's length and
# whatever came before (export runs under Wine, run through bench/scale-run.sh per-item):
#  1. REFUSED items (default 50,000) refused at once, plainly, and with one successful
#     download at item 500: time per item of each, the ratio (goal: 1.2 or less), the
#     time per item over the first and the last 10,000 of the second (goal: the last no
#     slower), and its memory growth per item beside a bare WinINet loop's
#     (bench/limits/MinimalAttemptLoop.cpp) over the same attempts in the same run.
#  2. ANSWERED items (default 100,000), 9 in 10 answered 404 by nginx and the rest
#     refused: time per item in a hidden run (goal: 1 ms or less, the last tenth no slower
#     than the second), and with the window shown (goal: within 1.5 times the hidden run;
#     the prefix's null display driver draws nothing on a screen, but the list view paints);
#     the bare loop over the same list is the peer (the hidden run's ratio to it).
# Moments come from marker requests in nginx's access log (items answered by nginx carry
# "?scale=TAG"); memory is the process's resident set from /proc.
# Usage: bench/scale-items.sh [REFUSED [ANSWERED]]
# VM_SCALE_REFUSED_ONLY=1 runs the first part only (a short look at memory per item);
# VM_SCALE_EXE measures another build of velocimark.exe (an earlier one, say).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
refused_items=${1:-50000}
answered_items=${2:-100000}
refused_only=${VM_SCALE_REFUSED_ONLY:-0}
[ "$refused_only" = 1 ] && answered_items=20000
[ "$refused_items" -ge 30000 ] && [ "$answered_items" -ge 20000 ] ||
  { echo "REFUSED must be at least 30000 and ANSWERED at least 20000" >&2; exit 2; }
build=$root/build/windows
exe=${VM_SCALE_EXE:-$build/src/win32/velocimark.exe}
loop=$build/bench/limits/minimal-attempt-loop.exe
[ -f "$exe" ] && [ -f "$loop" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

servers=$build/scale-servers
work=$build/scale-items
export VM_BUILD_DIR=$build
source cmake/wine-env.sh
trap 'tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true; wineserver -k >/dev/null 2>&1 || true' EXIT
vm_wine_server_start
tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
log=$servers/logs/nginx-access.log
rm -rf "$work"
mkdir -p "$work"
cp "$exe" "$loop" "$work/"

refused=http://127.0.0.1:$VM_REFUSED_PORT/x
calc() { awk "BEGIN { printf \"%.3f\", $1 }"; }

write_config() { # FILE URLS-FILE
  {
    printf '[General]\r\nTryAgainOnFail=0\r\nConnectTimeout=30\r\n'
    printf 'NumOfDownloads=%s\r\n' "$(wc -l <"$2")"
    awk '{ printf "[Download%d]\r\nURL=%s\r\nDownloadName=i%d\r\nDisabled=0\r\n", NR - 1, $0, NR }' "$2"
  } >"$1"
}

# Runs an export of CONFIG and notes, for each TAG, when its request reached nginx and
# the resident set then: lines "TAG seconds-from-start rss-kb", then "end seconds rss-kb";
# every sample of the resident set is a line "rss seconds kb".
follow() { # CONFIG SHOWN(0|1) TAG...
  local config=$1 shown=$2 start pid="" rss=0 now
  shift 2
  local tags=("$@") seen=()
  local hidden=/hidden
  [ "$shown" = 1 ] && hidden=""
  : >"$log"
  start=$(date +%s.%N)
  (cd "$work" && exec wine velocimark.exe /config "$config" /scomma out.csv $hidden \
     </dev/null >/dev/null 2>&1) &
  local runner=$!
  while [ -z "$pid" ] && kill -0 "$runner" 2>/dev/null; do
    pid=$(pgrep -f -n "velocimark\.exe /config $config" || true)
    sleep 0.05
  done
  local offset=0 size chunk
  while kill -0 "$runner" 2>/dev/null; do
    rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status" 2>/dev/null || echo "$rss")
    now=$(calc "$(date +%s.%N) - $start")
    echo "rss $now $rss"
    # Only what nginx logged since the last look: the log grows by an item a millisecond.
    size=$(stat -c %s "$log")
    chunk=$(tail -c +$((offset + 1)) "$log" | head -c $((size - offset)))
    offset=$size
    for i in "${!tags[@]}"; do
      [ -z "${seen[$i]:-}" ] && [[ $chunk == *"scale=${tags[$i]} "* ]] &&
        { seen[$i]=1; echo "${tags[$i]} $now $rss"; }
    done
    sleep 0.1
  done
  wait "$runner" || true
  echo "end $(calc "$(date +%s.%N) - $start") $rss"
}
at() { awk -v t="$1" '$1 == t { print $2 }' <<<"$2"; }       # TAG RESULT: seconds
rss_at() { awk -v t="$1" '$1 == t { print $3 }' <<<"$2"; }   # TAG RESULT: kB
per_ms() { calc "($(at "$2" "$4") - $(at "$1" "$4")) * 1000 / $3"; }  # FROM TO ITEMS RESULT
# Bytes per item of the resident set's growth from tag FROM to tag TO, the least-squares
# slope of every sample between them: two samples alone swung between 76 and 215 bytes
# per item in runs of one build (the last item's sample may fall after the run has begun
# to free its memory).
grow_per_item() { # FROM TO ITEMS RESULT
  awk -v a="$(at "$1" "$4")" -v b="$(at "$2" "$4")" -v n="$3" '
    $1 == "rss" && $2 >= a && $2 <= b { c++; sx += $2; sy += $3; sxx += $2 * $2; sxy += $2 * $3 }
    END { printf "%.0f", (c * sxy - sx * sy) / (c * sxx - sx * sx) * (b - a) * 1024 / n }' <<<"$4"
}

# --- 1. Refused items, without and with one success among the first thousand.
n=$refused_items
mark() { echo "$VM_HTTP_URL/empty.bin?scale=$1"; }
repeat() { for _ in $(seq "$1"); do echo "$refused"; done; }
repeat "$n" >"$work/plain.txt"
repeat 1 >"$work/one.txt"
{
  repeat 499; mark ok; repeat 500; mark m1
  repeat 10000; mark m11; repeat $((n - 21000)); mark m40
  repeat 10000; mark m50
} >"$work/success.txt"
for list in plain one success; do write_config "$work/$list.cfg" "$work/$list.txt"; done
one=$(follow one.cfg 0)
plain=$(follow plain.cfg 0)
success=$(follow success.cfg 0 ok m1 m11 m40 m50)
# An attempt of the bare loop now and then never completes (it waits without a bound): the
# loop is given up after 10 minutes rather than holding the run.
bare=$(cd "$work" && timeout 600 wine minimal-attempt-loop.exe "$n" "$refused" "$(mark bare)" \
  </dev/null 2>/dev/null || echo "did not finish")
plain_ms=$(calc "($(at end "$plain") - $(at end "$one")) * 1000 / ($n - 1)")
success_ms=$(per_ms m1 m50 $((n - 1000)) "$success")
first_ms=$(per_ms m1 m11 10000 "$success")
last_ms=$(per_ms m40 m50 10000 "$success")
grow=$(grow_per_item m11 m40 $((n - 21000)) "$success")
echo "== $n refused items =="
echo "plain: $plain_ms ms per item (start-up taken off)"
echo "one success at item 500: $success_ms ms per item after item 1,000" \
  "(ratio to plain $(calc "$success_ms / $plain_ms"), goal <= 1.2)"
echo "  first 10,000 after it: $first_ms ms per item; last 10,000: $last_ms ms" \
  "(ratio $(calc "$last_ms / $first_ms"), goal <= 1)"
echo "  memory growth: $grow bytes per item (items 11,000 to $((n - 10000)))"
echo "bare loop, one success first: $bare"
echo "  (first_ms_per / last_ms_per: its time per attempt over the first and last tenth;" \
  "grow_bytes_per: its working set's growth per attempt)"
[ "$refused_only" = 1 ] && exit 0

# --- 2. Items answered 404 by nginx (9 in 10), the rest refused.
n=$answered_items
tenth=$((n / 10))
awk -v n="$n" -v http="$VM_HTTP_URL" -v refused="$refused" -v tenth="$tenth" 'BEGIN {
  for (i = 1; i <= n; i++) {
    tag = ""
    if (i == tenth) tag = "t1"; else if (i == 2 * tenth) tag = "t2";
    else if (i == n - tenth) tag = "t9"; else if (i == n) tag = "t10";
    if (tag == "" && i % 10 == 0) print refused;
    else print http "/missing.bin?scale=" (tag == "" ? "i" : tag);
  } }' >"$work/answered.txt"
write_config "$work/answered.cfg" "$work/answered.txt"
for shown in 0 1; do
  result=$(follow answered.cfg "$shown" t1 t2 t9 t10)
  all=$(per_ms t1 t10 $((n - tenth)) "$result")
  echo "== $n items, 9 in 10 answered 404 ($([ "$shown" = 1 ] && echo shown || echo hidden)) =="
  echo "per item from item $tenth to the end: $all ms (goal <= 1 hidden)"
  echo "  second tenth: $(per_ms t1 t2 "$tenth" "$result") ms per item;" \
    "last tenth: $(per_ms t9 t10 "$tenth" "$result") ms"
  [ "$shown" = 0 ] && hidden_ms=$all
done
echo "shown / hidden: $(calc "$all / $hidden_ms") (goal <= 1.5)"
bare=$(cd "$work" && timeout 600 wine minimal-attempt-loop.exe "$n" @answered.txt </dev/null \
  2>/dev/null || echo "did not finish")
bare_ms=$(sed -n 's/.* ms_per=\([0-9.]*\).*/\1/p' <<<"$bare")
echo "bare loop over the same list: $bare"
echo "hidden / bare loop: $(calc "$hidden_ms / $bare_ms") (the program's own share above 1)"
