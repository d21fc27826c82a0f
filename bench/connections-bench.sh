#!/usr/bin/env bash
# CPU per GiB of a download on four connections against one, on loopback: the program's
# export run of /big/1g.bin (or SIZE: 512m) with DefaultConnections 1 and 4 in interleaved
# rounds, CPU time of the program's process (user + system, from its rusage) and of the
# Wine server (from /proc) per GiB, and curl's CPU per GiB in the same rounds as the peer;
# then whether the median ratio is within 1.2x. Last, unless SIZE_5G=0, /big/5g.bin on four
# connections: past 4 GiB, every byte must be counted exactly once (5,368,709,120).
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# Usage: bench/connections-bench.sh [ROUNDS] [SIZE]     (defaults 3 and 1g)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
rounds=${1:-3}
size=${2:-1g}
[[ $size =~ ^(512m|1g)$ ]] || { echo "SIZE is 512m or 1g" >&2; exit 2; }
build=$root/build/windows
exe=$build/src/win32/velocimark.exe
[ -f "$exe" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

source bench/bench-servers.sh
vm_bench_servers_start --big
url=$VM_HTTP_URL/big/$size.bin
cp "$exe" "$work/"

# CPU seconds of the persistent Wine server so far (utime + stime, in clock ticks).
server_cpu() {
  local pid
  pid=$(pgrep -n -x wineserver || true)
  [ -n "$pid" ] || { echo 0; return; }
  awk -v hz="$(getconf CLK_TCK)" '{print ($14 + $15) / hz}' "/proc/$pid/stat"
}

run() { # CONNECTIONS [URL]: prints "program-cpu-s server-cpu-s bytes used complete"
  printf '[General]\r\nUseAutoStopTime=0\r\nDefaultConnections=%s\r\nNumOfDownloads=1\r\n[Download0]\r\nURL=%s\r\nDownloadName=bench\r\nDisabled=0\r\n' \
    "$1" "${2:-$url}" >"$work/velocimark.cfg"
  local before after
  before=$(server_cpu)
  local cpu
  cpu=$(cd "$work" && python3 -c "import resource, subprocess
subprocess.run(['wine', 'velocimark.exe', '/config', 'velocimark.cfg', '/sjson', 'r.json', '/hidden'],
               stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime + r.ru_stime)")
  after=$(server_cpu)
  python3 -c "import json, sys
i = json.load(open(sys.argv[1]))['items'][0]
print(sys.argv[2], float(sys.argv[4]) - float(sys.argv[3]), i['bytes'], i['connections']['used'],
      i['complete'])" \
    "$work/r.json" "$cpu" "$before" "$after"
}

curl_cpu() {
  python3 -c "import resource, subprocess, sys
subprocess.run(['curl', '-s', '-o', '/dev/null', sys.argv[1]])
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime + r.ru_stime)" "$url"
}

echo "== $url, $rounds rounds: CPU seconds per GiB (program + Wine server) =="
printf '%-5s %14s %14s %10s %14s\n' round "1 connection" "4 connections" "4 / 1" "curl"
ratios=()
for i in $(seq "$rounds"); do
  read -r p1 s1 b1 u1 _ < <(run 1)
  read -r p4 s4 b4 u4 _ < <(run 4)
  c=$(curl_cpu)
  [ "$u4" = 4 ] || echo "round $i: 4 connections asked, $u4 used" >&2
  line=$(python3 -c "import sys
p1, s1, b1, p4, s4, b4, c, size = map(float, sys.argv[1:9])
one, four = (p1 + s1) / (b1 / 2**30), (p4 + s4) / (b4 / 2**30)
print(f'{one:14.3f} {four:14.3f} {four / one:10.2f} {c / size:14.3f}')" \
    "$p1" "$s1" "$b1" "$p4" "$s4" "$b4" "$c" "$([ "$size" = 1g ] && echo 1 || echo 0.5)")
  printf '%-5s %s\n' "$i" "$line"
  ratios+=("$(awk '{print $3}' <<<"$line")")
done
python3 -c "import statistics, sys
r = sorted(map(float, sys.argv[1:]))
m = statistics.median(r)
print(f'CPU per GiB with 4 connections within 1.2x of one connection on loopback: '
      f'{\"yes\" if m <= 1.2 else \"NO\"} (median {m:.2f}x, rounds {r[0]:.2f}-{r[-1]:.2f}x)')" \
  "${ratios[@]}"

if [ "${SIZE_5G:-1}" != 0 ]; then
  echo
  echo "== /big/5g.bin on four connections: every byte counted once =="
  started=$(date +%s)
  read -r _ _ b5 u5 c5 < <(run 4 "$VM_HTTP_URL/big/5g.bin")
  verdict=$([ "$b5" = 5368709120 ] && [ "$c5" = True ] && echo exact || echo "NOT exact")
  echo "$b5 bytes of 5368709120 ($verdict), complete $c5, $u5 connections," \
    "$(($(date +%s) - started)) s"
fi
