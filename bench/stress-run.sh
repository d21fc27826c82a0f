#!/usr/bin/env bash
# A stress run of the program under Wine on a loaded machine: an export run of ATTEMPTS
# items (default 2,000) against nginx (http, https, 404, a throttled file), vsftpd, a
# local file and the misbehaving test servers (refused, silent, truncating, stalling,
# answers that are no HTTP, an FTP server that cuts its transfers), with a 1 s time limit
# and a 1 s connect time-out, while Next is pressed every 300 ms, Stop once after
# STOP_S seconds (default 150), and a busy loop runs on every core. Bounded: the program
# is given STOP_S + 60 s in all.
# Prints whether it ended by itself (no crash, no hang: exit 0 and a report), the rows
# by status and the resident set over the run: the peak of its last quarter against the
# peak of its first, and the same after the library's 60 s receive time-out has let the
# first waiting threads go (goal: within 10 MB: memory flat).
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# Usage: bench/stress-run.sh [ATTEMPTS [STOP_S]]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
attempts=${1:-2000}
stop_s=${2:-150}
build=$root/build/windows
exe=$build/src/win32/velocimark.exe
poster=$build/tests/post_command.exe
[ -f "$exe" ] && [ -f "$poster" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

servers=$build/stress-servers
work=$build/stress-run
export VM_BUILD_DIR=$build
source cmake/wine-env.sh
hogs=()
cleanup() {
  for pid in "${hogs[@]}"; do kill "$pid" 2>/dev/null || true; done
  tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
vm_wine_server_start
tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
tests/servers/trust-ca.sh >/dev/null 2>&1 || true
rm -rf "$work"
mkdir -p "$work"
cp "$exe" "$poster" "$work/"

local_file="Z:$(tr '/' '\\' <<<"$VM_DATA_DIR")\\1m.bin"
kinds=(
  "$VM_HTTP_URL/1m.bin" "$VM_HTTP_URL/5m.bin" "$VM_HTTP_URL/missing.bin"
  "$VM_HTTPS_URL/1m.bin" "ftp://127.0.0.1:$VM_FTP_PORT/1m.bin"
  "ftp://127.0.0.1:$VM_FTP_CUT_PORT/cut.bin" "http://127.0.0.1:$VM_REFUSED_PORT/x"
  "http://127.0.0.1:$VM_TRUNCATE_PORT/t" "http://127.0.0.1:$VM_HOSTILE_PORT/noreply"
  "http://127.0.0.1:$VM_HOSTILE_PORT/nothttp" "http://127.0.0.1:$VM_HOSTILE_PORT/status000"
  "http://127.0.0.1:$VM_HOSTILE_PORT/redirect-ftp" "http://127.0.0.1:$VM_HOSTILE_PORT/chunked-cut"
  "http://127.0.0.1:$VM_HOSTILE_PORT/chunked-bad" "http://127.0.0.1:$VM_HOSTILE_PORT/chunked-ok"
  "$local_file"
  # These wait for the time limit, the connect time-out or Next.
  "$VM_HTTP_URL/slow/5m.bin" "http://127.0.0.1:$VM_SILENT_PORT/s"
  "http://127.0.0.1:$VM_STALL_PORT/stall/1000"
)
{
  printf '[General]\r\nTryAgainOnFail=0\r\nConnectTimeout=1\r\nUseAutoStopTime=1\r\n'
  printf 'AutoStopTime=1\r\nNumOfDownloads=%s\r\n' "$attempts"
  for i in $(seq 0 $((attempts - 1))); do
    printf '[Download%d]\r\nURL=%s\r\nDownloadName=s%d\r\nDisabled=0\r\n' \
      "$i" "${kinds[$((i % ${#kinds[@]}))]}" "$i"
  done
} >"$work/stress.cfg"

for _ in $(seq "$(nproc)"); do
  (while :; do :; done) &
  hogs+=($!)
done

start=$(date +%s)
(cd "$work" && exec wine velocimark.exe /config stress.cfg /scomma out.csv /hidden \
   </dev/null >/dev/null 2>&1) &
runner=$!
(cd "$work" && wine post_command.exe 40050 300 $((stop_s * 10 / 3)) </dev/null >/dev/null 2>&1) &
(cd "$work" && wine post_command.exe 40037 $((stop_s * 1000)) 1 </dev/null >/dev/null 2>&1) &
pid=""
while [ -z "$pid" ] && kill -0 "$runner" 2>/dev/null; do
  pid=$(pgrep -f -n 'velocimark\.exe /config stress\.cfg' || true)
  sleep 0.1
done
samples=()
threads=()
hung=0
while kill -0 "$runner" 2>/dev/null; do
  read -r rss count < <(awk '/^VmRSS:/ { r = $2 } /^Threads:/ { t = $2 }
    END { print r, t }' "/proc/$pid/status" 2>/dev/null || echo "")
  [ -n "$rss" ] && samples+=("$rss") && threads+=("$count")
  if [ $(($(date +%s) - start)) -gt $((stop_s + 60)) ]; then
    hung=1
    kill "$pid" 2>/dev/null || true
    break
  fi
  sleep 0.5
done
wait "$runner" && code=0 || code=$?
elapsed=$(($(date +%s) - start))

n=${#samples[@]}
quarter=$(((n + 3) / 4))
peak() { printf '%s\n' "$@" | sort -n | tail -1; }
first=$(peak "${samples[@]:0:$quarter}")
last=$(peak "${samples[@]:$((n - quarter))}")
echo "== stress run: $attempts items, Next every 300 ms, Stop at ${stop_s} s, $(nproc) busy loops =="
echo "ended by itself: $([ $hung = 0 ] && echo yes || echo "no (killed after $elapsed s)")," \
  "exit code $code, $elapsed s"
echo "report rows: $(wc -l <"$work/out.csv" 2>/dev/null || echo 0), by status:"
cut -d, -f3 "$work/out.csv" 2>/dev/null | sed 's/ *(.*//' | sort | uniq -c | sort -rn | head -8
echo "resident set: first quarter's peak $((first / 1024)) MB, last quarter's $((last / 1024)) MB" \
  "(growth $(((last - first) / 1024)) MB, goal <= 10)"
echo "threads: first quarter's peak $(peak "${threads[@]:0:$quarter}")," \
  "last quarter's $(peak "${threads[@]:$((n - quarter))}")"
# A request at a silent server holds one of the library's threads until its 60 s receive
# time-out, so the process grows until the first such requests end and then levels off.
# The level: the samples after 75 s (two a second), their first half against their second.
settled=150
if [ "$n" -gt $((settled + 40)) ]; then
  half=$(((n - settled) / 2))
  early=$(peak "${samples[@]:$settled:$half}")
  late=$(peak "${samples[@]:$((settled + half))}")
  echo "after the library's 60 s time-out: peak $((early / 1024)) MB, then $((late / 1024)) MB" \
    "(growth $(((late - early) / 1024)) MB, goal <= 10)"
fi
