#!/usr/bin/env bash
# The /sjson export's steady-state speed against a throttled server: nginx limit_rate
# (default 2m) on an 18 MiB file, the program's steady and average speeds and curl's
# average of the same URL in the same run, each against the configured rate.
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# Usage: bench/steady-speed.sh [RUNS] [RATE]     (defaults 3 and 2m)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-3}
rate=${2:-2m}
[[ $rate =~ ^[0-9]+[kKmM]?$ ]] || { echo "bad rate '$rate'" >&2; exit 2; }
build=$root/build/windows
exe=$build/src/win32/velocimark.exe
[ -f "$exe" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

source bench/bench-servers.sh
vm_bench_servers_start

url=$VM_HTTP_URL/rate/$rate/18m.bin
configured=$(python3 -c "import sys; r=sys.argv[1]; u={'k':1024,'m':1048576}
print(int(r[:-1])*u[r[-1].lower()] if r[-1].isalpha() else int(r))" "$rate")
cp "$exe" "$work/"
printf '[General]\r\nUseAutoStopTime=0\r\nNumOfDownloads=1\r\n[Download0]\r\nURL=%s\r\nDownloadName=throttled\r\nDisabled=0\r\n' \
  "$url" >"$work/velocimark.cfg"

echo "== $url, limit_rate $rate = $configured B/s ($runs runs) =="
printf '%-4s %16s %9s %16s %9s %16s %9s\n' run "steady B/s" "vs rate" "average B/s" "vs rate" "curl B/s" "vs rate"
for i in $(seq "$runs"); do
  (cd "$work" && wine velocimark.exe /config velocimark.cfg /sjson r.json /hidden </dev/null >/dev/null 2>&1)
  read -r steady average < <(python3 -c "import json,sys
i=json.load(open(sys.argv[1]))['items'][0]
print(i.get('steady_bytes_per_s', 0), i['average_bytes_per_s'])" "$work/r.json")
  curl_rate=$(curl -s -o /dev/null -w '%{speed_download}' "$url")
  printf '%-4s %16.0f %+8.2f%% %16.0f %+8.2f%% %16.0f %+8.2f%%\n' "$i" \
    "$steady" "$(echo "($steady / $configured - 1) * 100" | bc -l)" \
    "$average" "$(echo "($average / $configured - 1) * 100" | bc -l)" \
    "$curl_rate" "$(echo "($curl_rate / $configured - 1) * 100" | bc -l)"
done
