#!/usr/bin/env bash
# Latency under load in the link lab (tests/lab/lab.sh: a 40 Mbit/s tbf link): one download
# of 18 MiB with LatencyProbe=1 under Wine, and curl's time to first byte of the same HEAD
# request made idle and during a curl download of the same file, in the same run; first
# with a deep queue (latency 300ms), then a shallow one (5ms). Then the download's speed
# without probes, for the cost of probing. Prints the figures and checks:
#   loaded median >= 5 x idle median (deep queue), within 25% of curl's loaded median;
#   the shallow queue at least halves the added latency; probe bytes <= 5% of the bytes
#   moved; the speed with probes within 3% of the speed without.
# The speed is compared over three runs each, in turns, behind the shallow queue.
# A lab already running (VM_LAB_DIR, as scripts/test.sh starts one) is borrowed: its link
# is set back as it was at the end; run alone then (one Wine prefix per lab). Otherwise the
# script starts a lab of its own.
# Usage: tests/lab/latency_lab.sh [EXE]   (root; default build/windows/velocimark.exe)
# Exits 0 when every check holds, 1 when one fails, 77 when the lab cannot be made.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=$(realpath "${1:-$root/build/windows/velocimark.exe}")
if [ -n "${VM_LAB_DIR:-}" ] && [ -f "$VM_LAB_DIR/env" ]; then
  lab_dir=$VM_LAB_DIR
  source "$lab_dir/env"
  trap '"$here/lab.sh" rate "$lab_dir" "$VM_LAB_RATE" --burst "$VM_LAB_BURST" \
    --latency "$VM_LAB_LATENCY" >/dev/null 2>&1 || true' EXIT
else
  lab_dir=$root/build/latency-lab
  "$here/lab.sh" start "$lab_dir" --latency 300ms >/dev/null || exit 77
  trap '"$here/lab.sh" stop "$lab_dir" >/dev/null 2>&1 || true' EXIT
  source "$lab_dir/env"
fi
work=$lab_dir/latency-work
lab() { "$here/lab.sh" run "$lab_dir" "$@"; }
mkdir -p "$work"
cp "$exe" "$work/velocimark.exe"
url=$VM_LAB_HTTP_URL/18m.bin
rm -f "$work"/*.json "$work"/*.txt

program() { # PROBE(0|1) NAME.json (in the work folder)
  printf '[General]\r\nNumOfDownloads=1\r\n[Download0]\r\nURL=%s\r\nDownloadName=lab\r\nDisabled=0\r\nLatencyProbe=%s\r\n' \
    "$url" "$1" >"$work/velocimark.cfg"
  (cd "$work" && lab wine velocimark.exe /config velocimark.cfg /sjson "$2" /hidden)
}

curl_probe() { lab curl -s -o /dev/null -I -w '%{time_starttransfer}\n' -H 'Connection: close' "$url"; }

curl_peer() { # OUT: idle times, then loaded times during a curl download
  : >"$1"
  for _ in 1 2 3 4 5; do echo "idle $(curl_probe)" >>"$1"; done
  lab curl -s -o /dev/null "$url" &
  local download=$!
  sleep 0.5
  while kill -0 "$download" 2>/dev/null; do
    echo "loaded $(curl_probe)" >>"$1"
    sleep 0.2
  done
  wait "$download" || true
}

# curl's probes beside the program's own download too: the same load, the same moments.
program_with_curl() { # NAME.json OUT
  : >"$2"
  program 1 "$1" &
  local run=$!
  sleep 1.5  # past the idle probes and the start
  while kill -0 "$run" 2>/dev/null; do
    echo "loaded $(curl_probe)" >>"$2"
    sleep 0.2
  done
  wait "$run"
}

for depth in 300ms 5ms; do
  "$here/lab.sh" rate "$lab_dir" 40mbit --latency "$depth"
  program_with_curl "probe-$depth.json" "$work/beside-$depth.txt"
  curl_peer "$work/curl-$depth.txt"
done
# The speed with and without probes, in turns (one run each is at the mercy of the machine).
for round in 1 2 3; do
  program 1 "speed-probe-$round.json"
  program 0 "speed-plain-$round.json"
done

status=0
python3 - "$work" <<'PY' || status=$?
import json, statistics, sys
work = sys.argv[1]
def item(name):
    with open(f"{work}/{name}.json", encoding="utf-8") as f:
        return json.load(f)["items"][0]
def curl(depth, kind="curl"):
    times = {"idle": [], "loaded": []}
    for line in open(f"{work}/{kind}-{depth}.txt"):
        state, seconds = line.split()
        times[state].append(float(seconds) * 1000)
    return {k: statistics.median(v) for k, v in times.items() if v}
ok = True
def check(condition, text):
    global ok
    ok &= condition
    print(("ok   " if condition else "FAIL ") + text)
added = {}
for depth in ("300ms", "5ms"):
    it = item(f"probe-{depth}")
    lat, peer = it["latency"], curl(depth)
    idle, loaded = lat["idle_ms"], lat["loaded_ms"]
    added[depth] = lat.get("added_ms", 0)
    print(f"queue {depth}: program idle {idle.get('median', 0):.1f} ms (n {idle['n']}), "
          f"loaded {loaded.get('median', 0):.1f} ms p90 {loaded.get('p90', 0):.1f} (n {loaded['n']}), "
          f"added {added[depth]:.1f} ms, rpm {lat.get('rpm')}, failed {lat['failed']}; "
          f"curl idle {peer.get('idle', 0):.1f} ms, loaded {peer.get('loaded', 0):.1f} ms, "
          f"beside the program's download {curl(depth, 'beside').get('loaded', 0):.1f} ms; "
          f"probe bytes {lat['probe_bytes']} of {it['bytes']} "
          f"({100.0 * lat['probe_bytes'] / max(1, it['bytes'] + lat['probe_bytes']):.2f}%)")
    check(lat["probe_bytes"] <= 0.05 * (it["bytes"] + lat["probe_bytes"]), "probe bytes within 5%")
    if depth == "300ms" and loaded["n"] and idle["n"] and "loaded" in peer:
        check(loaded["median"] >= 5 * idle["median"], "loaded median >= 5 x idle median")
        check(abs(loaded["median"] / peer["loaded"] - 1) <= 0.25,
              f"loaded median within 25% of curl's ({loaded['median'] / peer['loaded']:.2f})")
    elif depth == "300ms":
        check(False, "loaded and idle times measured")
check(added["5ms"] <= 0.5 * added["300ms"], "a shallow queue halves the added latency "
      f"({added['300ms']:.1f} -> {added['5ms']:.1f} ms)")
speeds = {kind: [item(f"speed-{kind}-{r}")["average_bytes_per_s"] for r in (1, 2, 3)]
          for kind in ("probe", "plain")}
ratio = statistics.median(speeds["probe"]) / statistics.median(speeds["plain"])
print("speeds with probes:", [round(s) for s in speeds["probe"]],
      "without:", [round(s) for s in speeds["plain"]])
check(abs(ratio - 1) <= 0.03, f"median speed with probes / without: {ratio:.3f}")
sys.exit(0 if ok else 1)
PY
exit "$status"
