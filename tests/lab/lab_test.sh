#!/usr/bin/env bash
# The link lab holds what the tests rely on: loopback at MTU 1500 behind a tbf queue, the
# servers reachable inside the namespace only, and curl inside within 10% of the rate.
# Needs a running lab (VM_LAB_DIR, scripts/test.sh starts one); skips (77) without one.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
[ -n "${VM_LAB_DIR:-}" ] && [ -f "$VM_LAB_DIR/env" ] || { echo "no link lab running"; exit 77; }
source "$VM_LAB_DIR/env"
lab() { "$here/lab.sh" run "$VM_LAB_DIR" "$@"; }
fail() { echo "FAIL: $*"; exit 1; }

lab ip link show lo | grep -q 'mtu 1500' || fail "loopback MTU is not 1500"
if [ "$VM_LAB_RATE" != none ]; then
  lab tc qdisc show dev lo | grep -q '^qdisc tbf' || fail "no tbf queue on the lab's loopback"
  rate_bytes=$(lab tc -j qdisc show dev lo | python3 -c \
    'import json,sys; print(next(q["options"]["rate"] for q in json.load(sys.stdin) if q["kind"]=="tbf"))')
  speed=$(lab curl -s -o /dev/null -w '%{speed_download}' "$VM_LAB_HTTP_URL/18m.bin")
  python3 - "$speed" "$rate_bytes" <<'PY' || fail "curl speed off the link's rate"
import sys
speed, rate = float(sys.argv[1]), float(sys.argv[2])  # tc -j: bytes a second
print(f"curl {speed:.0f} B/s for a link of {rate:.0f} B/s ({speed / rate:.3f})")
sys.exit(0 if 0.9 * rate <= speed <= 1.02 * rate else 1)
PY
fi
# The lab's servers live in its namespace: outside, its port is not that nginx.
if curl -s -o /dev/null -m 2 --fail "$VM_LAB_HTTP_URL/empty.bin"; then
  outside_ok=1
else
  outside_ok=0
fi
inside_log=$(source "$VM_LAB_SERVERS_ENV" && echo "$VM_SERVERS_DIR/logs/nginx-access.log")
hits_before=$(wc -l <"$inside_log")
curl -s -o /dev/null -m 2 "$VM_LAB_HTTP_URL/empty.bin" || true
[ "$(wc -l <"$inside_log")" = "$hits_before" ] || fail "the lab's nginx answered from outside"
echo "link lab: ok (outside request answered by another server: $outside_ok)"
