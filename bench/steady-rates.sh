#!/usr/bin/env bash
# The /sjson steady-state speed at nginx limit_rate 1m, 4m and 16m against the truth: the
# rate a raw socket reader (python, reading as fast as it can) measures after the first
# second, on its own connection at the same time as the program's download (nginx's rate
# drifts a little from moment to moment, so the truth is taken over the same seconds).
# Each download is cut at 8 s (sparse 512 MiB file).
# Goal: within 1% at every rate, judged on the median of the runs' ratios (the raw reader
# itself moves by a percent or two from run to run). Needs the Windows build; not part of the test command.
# Usage: bench/steady-rates.sh [RUNS] [RATES...]     (defaults 2 runs of 1m 4m 16m)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-2}
shift || true
rates=("$@")
[ ${#rates[@]} -gt 0 ] || rates=(1m 4m 16m)
seconds=8
build=$root/build/windows
exe=$build/src/win32/velocimark.exe
[ -f "$exe" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

source bench/bench-servers.sh
vm_bench_servers_start --big
cp "$exe" "$work/"
rm -f "$work"/ratios-*

raw_rate() { # URL: bytes per second after the first second
  # nginx sends in steps (a burst, then a pause), so a count between two arbitrary moments
  # is off by up to a step: the rate is the least-squares slope of (time, bytes) over
  # every read from the first second to the end.
  python3 - "$1" "$seconds" <<'PY'
import socket, sys, time, urllib.parse
u = urllib.parse.urlsplit(sys.argv[1]); limit = float(sys.argv[2])
s = socket.create_connection((u.hostname, u.port))
s.sendall(f"GET {u.path} HTTP/1.1\r\nHost: {u.hostname}\r\nConnection: close\r\n\r\n".encode())
start = time.monotonic(); total = 0; points = []
while True:
    data = s.recv(1 << 20)
    now = time.monotonic() - start
    if not data or now >= limit: break
    total += len(data)
    if now >= 1.0: points.append((now, total))
n = len(points); mt = sum(p[0] for p in points) / n; mb = sum(p[1] for p in points) / n
print(sum((t - mt) * (b - mb) for t, b in points) / sum((t - mt) ** 2 for t, _ in points))
PY
}

printf '%-5s %-4s %14s %14s %9s %14s\n' rate run "steady B/s" "raw B/s" "vs raw" "average B/s"
for rate in "${rates[@]}"; do
  url=$VM_HTTP_URL/rate/$rate/big/512m.bin
  printf '[General]\r\nUseAutoStopTime=1\r\nAutoStopTime=%d\r\nNumOfDownloads=1\r\n[Download0]\r\nURL=%s\r\nDownloadName=throttled\r\nDisabled=0\r\n' \
    "$seconds" "$url" >"$work/velocimark.cfg"
  for i in $(seq "$runs"); do
    raw_rate "$url" >"$work/raw" &
    raw_pid=$!
    (cd "$work" && wine velocimark.exe /config velocimark.cfg /sjson r.json /hidden </dev/null >/dev/null 2>&1)
    wait "$raw_pid"
    read -r steady average < <(python3 -c "import json,sys
i=json.load(open(sys.argv[1]))['items'][0]
print(i.get('steady_bytes_per_s', 0), i['average_bytes_per_s'])" "$work/r.json")
    raw=$(cat "$work/raw")
    ratio=$(echo "($steady / $raw - 1) * 100" | bc -l)
    echo "$ratio" >>"$work/ratios-$rate"
    printf '%-5s %-4s %14.0f %14.0f %+8.2f%% %14.0f\n' "$rate" "$i" "$steady" "$raw" "$ratio" "$average"
  done
done
for rate in "${rates[@]}"; do
  printf '%-5s median of %s runs: %+.2f%% vs raw (goal within 1%%)\n' "$rate" "$runs" \
    "$(sort -g "$work/ratios-$rate" | python3 -c 'import sys,statistics; print(statistics.median(float(x) for x in sys.stdin))')"
done
