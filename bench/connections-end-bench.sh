#!/usr/bin/env bash
# How the connections of a download on four connections end, and whether the program's
# handles stay flat over many such downloads, under Wine against the local test servers:
#   1. ROUNDS rounds (default 3) of each way a download is ended - the time limit, the
#      size limit, Next and Stop - on four connections of /18m.bin at 256 KB/s each, sent
#      paced (/paced/: 16 KB steps) and as nginx's plain limit_rate sends (/rate/: a
#      second's worth at once, then nothing): how far apart the four connections ended,
#      from the kernel's TCP table (tests/e2e/socket_watch.py), as the least and the most
#      the polls allow. Goal: within 250 ms.
#   2. ATTEMPTS (default 1,000) downloads of /1m.bin on four connections in one export
#      run: the process's handle count (tests/tools/handle_count.cpp), its open files and
#      the Wine server's, sampled every 100 ms; the median of the last tenth of the
#      run against the second tenth's (the first holds the start-up). Goal: flat.
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# Usage: bench/connections-end-bench.sh [ROUNDS [ATTEMPTS]]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
rounds=${1:-3}
attempts=${2:-1000}
build=$root/build/windows
exe=$build/src/win32/velocimark.exe
tools=$build/tests
for f in "$exe" "$tools/post_command.exe" "$tools/handle_count.exe"; do
  [ -f "$f" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }
done

source bench/bench-servers.sh
vm_bench_servers_start
cp "$exe" "$tools/post_command.exe" "$tools/handle_count.exe" "$work/"

echo "== how far apart four connections end ($rounds rounds; seconds, least-most) =="
python3 - "$work" "$rounds" <<'EOF'
import os, subprocess, sys, time
sys.path.insert(0, os.path.join(os.getcwd(), "tests", "e2e"))
from socket_watch import SocketWatch, requests_on_ports

work, rounds = sys.argv[1], int(sys.argv[2])
http, https = os.environ["VM_HTTP_URL"], os.environ["VM_HTTPS_URL"]
quiet = dict(cwd=work, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
             stderr=subprocess.DEVNULL)
cases = [("time limit", "UseAutoStopTime=1\r\nAutoStopTime=3", None),
         ("size limit", "UseAutoStopSize=1\r\nAutoStopSize=3\r\nAutoStopSizeUnit=3\r\n"
                        "UseAutoStopTime=1\r\nAutoStopTime=5", None),
         ("Next", "UseAutoStopTime=1\r\nAutoStopTime=6", "40050"),
         ("Stop", "UseAutoStopTime=0", "40037")]
width = 13 * rounds + 2
print(f"{'':12}" + "".join(f"{kind:>{width}}" for kind in ("paced", "rate")))
for what, options, command in cases:
    cells = {"paced": [], "rate": []}
    for r in range(rounds):
        for kind in cells:
            tag = f"end={time.monotonic_ns()}"
            # A second item on another port keeps the program running after the first.
            with open(os.path.join(work, "end.cfg"), "w", newline="") as f:
                f.write(f"[General]\r\nDefaultConnections=4\r\n{options}\r\nNumOfDownloads=2\r\n"
                        f"[Download0]\r\nURL={http}/{kind}/256k/18m.bin?{tag}\r\nDownloadName=a\r\n"
                        f"Disabled=0\r\n[Download1]\r\nURL={https}/rate/256k/18m.bin\r\n"
                        "DownloadName=b\r\nDisabled=0\r\n")
            if command:
                subprocess.Popen(["wine", "post_command.exe", command, "3000", "1"], **quiet)
            with SocketWatch(int(os.environ["VM_HTTP_PORT"])) as watch:
                subprocess.run(["wine", "velocimark.exe", "/config", "end.cfg", "/sjson", "r.json",
                                "/hidden"], timeout=120, **quiet)
            parts = [p for p, asked in requests_on_ports(tag, 5) if not asked.startswith("bytes=0-")]
            spread = watch.spread(parts) if len(parts) == 4 else None
            cells[kind].append(f"{spread[0]:.3f}-{spread[1]:.3f}" if spread else "none")
    print(f"{what:12}" + "".join(f"{' '.join(cells[k]):>{width}}" for k in cells))
EOF

echo
echo "== $attempts downloads of /1m.bin on four connections in one run: handles and files =="
{
  printf '[General]\r\nDefaultConnections=4\r\nUseAutoStopTime=0\r\nTryAgainOnFail=0\r\n'
  printf 'NumOfDownloads=%s\r\n' "$attempts"
  for i in $(seq 0 $((attempts - 1))); do
    printf '[Download%d]\r\nURL=%s/1m.bin\r\nDownloadName=h%d\r\nDisabled=0\r\n' \
      "$i" "$VM_HTTP_URL" "$i"
  done
} >"$work/handles.cfg"
# The Wine server of this prefix (other prefixes run servers of their own).
server_pid=""
for pid in $(pgrep wineserver || true); do
  if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then
    server_pid=$pid
  fi
done
(cd "$work" && exec wine velocimark.exe /config handles.cfg /sjson handles.json /hidden \
   </dev/null >/dev/null 2>&1) &
runner=$!
(cd "$work" && exec wine handle_count.exe 100 </dev/null >"$work/handles.txt" 2>/dev/null) &
start=$(date +%s)
pid=""
while [ -z "$pid" ] && kill -0 "$runner" 2>/dev/null; do
  pid=$(pgrep -f -n 'velocimark\.exe /config handles\.cfg' || true)
  sleep 0.1
done
: >"$work/files.txt"
while kill -0 "$runner" 2>/dev/null; do
  own=$(ls "/proc/$pid/fd" 2>/dev/null | wc -l)
  server=$( [ -n "$server_pid" ] && ls "/proc/$server_pid/fd" 2>/dev/null | wc -l || echo 0)
  [ "$own" -gt 0 ] && echo "$own $server" >>"$work/files.txt"
  sleep 0.1
done
wait "$runner" && code=0 || code=$?
python3 - "$work" "$code" "$(($(date +%s) - start))" <<'EOF'
import json, os, statistics, sys
work, code, seconds = sys.argv[1], sys.argv[2], sys.argv[3]
def column(name, i):
    with open(os.path.join(work, name)) as f:
        return [int(line.split()[i]) for line in f if len(line.split()) > i]
def tenths(values):  # the second tenth (the first holds the start-up) and the last
    n = max(1, len(values) // 10)
    return statistics.median(values[n:2 * n] or values[:n]), statistics.median(values[-n:])
items = json.load(open(os.path.join(work, "handles.json")))["items"]
whole = sum(i["status"] == "finished" and i["bytes"] == 1048576 and i["complete"] and
            i["connections"]["used"] == 4 for i in items)
print(f"exit code {code}, {seconds} s; {whole} of {len(items)} downloads finished whole on 4 "
      "connections")
for name, values in (("handles of the process", column("handles.txt", 1)),
                     ("open files of the process", column("files.txt", 0)),
                     ("open files of the Wine server", column("files.txt", 1))):
    if values:
        first, last = tenths(values)
        print(f"{name}: second tenth's median {first:g}, last tenth's {last:g} "
              f"(growth {last - first:+g}), peak {max(values)}, {len(values)} samples")
EOF
