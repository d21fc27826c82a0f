#!/usr/bin/env bash
# The link lab: a real, slow link on one machine. A network namespace of its own whose
# loopback has the MTU of an Ethernet link (1500) and a token-bucket queue (tbf) that
# holds it to a rate; the local test servers (tests/servers/start.sh: nginx, vsftpd and
# the stubs, every one on 127.0.0.1) run inside it, and so do the programs under test.
# Plain loopback has no bottleneck; inside the lab a download meets one, as on a real
# line (slow start, a queue, connects and first bytes that wait behind a transfer).
# Needs root (ip netns, tc) and the packages of scripts/install-deps.sh.
#
# Usage (the interface other scripts rely on):
#   lab.sh start DIR [--rate RATE] [--burst SIZE] [--latency TIME] [--big] [--no-wine]
#       Makes the lab (restarting one already in DIR) and writes DIR/env. RATE in tc's
#       syntax (default 40mbit; "none": no queue, loopback speed), SIZE the tbf burst
#       (default 20kb), TIME the longest a packet may wait in the queue, which sets its
#       depth (default 300ms: a deep queue). --big is start.sh's. Unless --no-wine, a
#       Wine server for the lab's own prefix is started inside the namespace (below).
#   lab.sh run DIR COMMAND [ARGS...]
#       Runs COMMAND inside the namespace with the lab servers' VM_* variables (their
#       DIR/servers/env, which replaces those of servers outside) and WINEPREFIX set to
#       the lab's prefix: "lab.sh run DIR wine velocimark.exe ...", "lab.sh run DIR curl
#       ...". Exits with COMMAND's code.
#   lab.sh rate DIR RATE [--burst SIZE] [--latency TIME]
#       Sets the link to another rate, burst and queue depth while the lab runs (the
#       burst and depth not given go back to their defaults).
#   lab.sh stop DIR
#       Stops the Wine server, the servers and anything else left in the namespace, and
#       deletes it. Idempotent.
#
# DIR/env (source it; it exists only while the lab runs):
#   VM_LAB_DIR, VM_LAB_NS (the namespace), VM_LAB_RATE, VM_LAB_BURST, VM_LAB_LATENCY,
#   VM_LAB_WINEPREFIX (empty with --no-wine), VM_LAB_SERVERS_ENV (the servers' env file),
#   VM_LAB_HTTP_URL, VM_LAB_HTTPS_URL, VM_LAB_FTP_URL (as seen inside the namespace).
#
# Wine creates its sockets in the Wine server, not in the program: a program run inside
# the namespace whose Wine server was started outside it connects from outside (and finds
# nothing on the lab's ports). So the lab has a prefix of its own ($VM_LAB_WINEPREFIX,
# default build/windows/lab-wineprefix, made on first use, ~600 MB) whose server runs
# inside the namespace; one lab at a time per prefix.
#
# Measured here (curl inside, 40mbit): 4.7 MB/s; connect 0.1 ms idle, 13 ms and first byte
# 30 ms while a download runs. Keep every address 127.0.0.1 or ::1.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
export PATH="$PATH:/usr/sbin:/sbin"

usage() {
  sed -n '/^# Usage/,/^#   lab.sh stop/p' "${BASH_SOURCE[0]}" >&2
  exit 2
}

absolute_dir() { # DIR: made if missing
  case $1 in
    *[[:space:]\"\'\;\\]*) echo "lab.sh: DIR must not contain spaces, quotes, ; or \\" >&2; exit 2 ;;
  esac
  mkdir -p "$1"
  (cd "$1" && pwd)
}

namespace_of() { # ABSOLUTE-DIR: one namespace per lab folder, so labs do not meet
  echo "vmlab-$(printf '%s' "$1" | md5sum | cut -c1-10)"
}

namespace_exists() { # NAME
  ip netns list 2>/dev/null | awk '{print $1}' | grep -qxF "$1"
}

set_link() { # NAMESPACE RATE BURST LATENCY
  if [ "$2" = none ]; then
    ip netns exec "$1" tc qdisc del dev lo root 2>/dev/null || true
  else
    ip netns exec "$1" tc qdisc replace dev lo root tbf rate "$2" burst "$3" latency "$4"
  fi
}

# The link's settings from the options after DIR: sets rate, burst and latency.
link_options() { # [--rate RATE] [--burst SIZE] [--latency TIME]; others are left in rest
  rest=()
  while [ $# -gt 0 ]; do
    case $1 in
      --rate) [ $# -ge 2 ] || usage; rate=$2; shift 2 ;;
      --burst) [ $# -ge 2 ] || usage; burst=$2; shift 2 ;;
      --latency) [ $# -ge 2 ] || usage; latency=$2; shift 2 ;;
      *) rest+=("$1"); shift ;;
    esac
  done
  [ "$rate" = none ] || check_size "$rate" RATE
  check_size "$burst" SIZE
  check_size "$latency" TIME
}

check_size() { # VALUE WHAT
  [[ $1 =~ ^[0-9]+([.][0-9]+)?[a-zA-Z]*$ ]] || { echo "lab.sh: bad $2 '$1'" >&2; exit 2; }
}

wine_stop() { # PREFIX
  [ -n "$1" ] && [ -d "$1" ] || return 0
  WINEPREFIX=$1 timeout 20 wineserver -k >/dev/null 2>&1 || true
}

cmd_stop() { # DIR
  local dir ns prefix=""
  dir=$(absolute_dir "$1")
  ns=$(namespace_of "$dir")
  if [ -f "$dir/env" ]; then
    prefix=$(. "$dir/env" && echo "${VM_LAB_WINEPREFIX:-}")
  fi
  rm -f "$dir/env"
  wine_stop "$prefix"
  "$root/tests/servers/stop.sh" "$dir/servers" >/dev/null 2>&1 || true
  if namespace_exists "$ns"; then
    # Whatever still runs in the lab's namespace was started in it by the lab's users.
    local pids
    pids=$(ip netns pids "$ns" 2>/dev/null || true)
    [ -n "$pids" ] && kill -TERM $pids 2>/dev/null || true
    for _ in $(seq 30); do
      [ -z "$(ip netns pids "$ns" 2>/dev/null)" ] && break
      sleep 0.1
    done
    pids=$(ip netns pids "$ns" 2>/dev/null || true)
    [ -n "$pids" ] && kill -KILL $pids 2>/dev/null || true
    ip netns delete "$ns"
  fi
}

cmd_start() { # DIR [OPTIONS]
  local dir rate=40mbit burst=20kb latency=300ms big=() wine=1 rest=()
  dir=$(absolute_dir "$1")
  shift
  link_options "$@"
  for option in ${rest[@]+"${rest[@]}"}; do
    case $option in
      --big) big=(--big) ;;
      --no-wine) wine=0 ;;
      *) usage ;;
    esac
  done
  [ "$(id -u)" = 0 ] || { echo "lab.sh: needs root (ip netns, tc)" >&2; exit 1; }
  for tool in ip tc; do
    command -v "$tool" >/dev/null || { echo "lab.sh: $tool is missing (iproute2)" >&2; exit 1; }
  done

  cmd_stop "$dir"
  local ns prefix=""
  ns=$(namespace_of "$dir")
  ip netns add "$ns"
  # From here on a failure takes the half-made lab down again.
  trap 'cmd_stop "$dir" >/dev/null 2>&1 || true' ERR
  # A tbf burst smaller than one packet stalls the link: loopback's 64 KB MTU is
  # brought down to Ethernet's first.
  ip netns exec "$ns" ip link set lo mtu 1500 up
  # Senders fill the queue as a loss-based TCP does on most servers. A host that defaults
  # to BBR (which keeps its own queue short by design) would show no bloat behind a deep
  # queue; reno is always allowed in a namespace, cubic may not be.
  ip netns exec "$ns" sysctl -qw net.ipv4.tcp_congestion_control=reno
  set_link "$ns" "$rate" "$burst" "$latency"
  ip netns exec "$ns" "$root/tests/servers/start.sh" "$dir/servers" "${big[@]}" >/dev/null

  if [ $wine = 1 ]; then
    prefix=${VM_LAB_WINEPREFIX:-$root/build/windows/lab-wineprefix}
    mkdir -p "$(dirname "$prefix")"
    prefix=$(cd "$(dirname "$prefix")" && pwd)/$(basename "$prefix")
    # A server of this prefix started elsewhere would hold the sockets outside.
    wine_stop "$prefix"
    ip netns exec "$ns" env VM_WINEPREFIX="$prefix" bash -c \
      'source "$1/cmake/wine-env.sh" && vm_wine_server_start' _ "$root"
    # HTTPS in the lab: the servers' CA trusted in the lab's prefix, when the tool is built.
    if [ -f "${VM_ADD_ROOT_CERT:-$root/build/windows/tests/add_root_cert.exe}" ]; then
      ip netns exec "$ns" env WINEPREFIX="$prefix" bash -c \
        'source "$1/env" && "$2/tests/servers/trust-ca.sh"' _ "$dir/servers" "$root" \
        >/dev/null || echo "lab.sh: the test CA could not be trusted in $prefix" >&2
    fi
  fi
  trap - ERR

  local env_tmp=$dir/env.tmp
  (
    source "$dir/servers/env"
    line() { printf 'export %s=%q\n' "$1" "$2"; }
    echo "# Written by tests/lab/lab.sh; source it."
    line VM_LAB_DIR "$dir"
    line VM_LAB_NS "$ns"
    line VM_LAB_RATE "$rate"
    line VM_LAB_BURST "$burst"
    line VM_LAB_LATENCY "$latency"
    line VM_LAB_WINEPREFIX "$prefix"
    line VM_LAB_SERVERS_ENV "$dir/servers/env"
    line VM_LAB_HTTP_URL "$VM_HTTP_URL"
    line VM_LAB_HTTPS_URL "$VM_HTTPS_URL"
    line VM_LAB_FTP_URL "$VM_FTP_URL"
  ) >"$env_tmp"
  mv "$env_tmp" "$dir/env"
  echo "Link lab running ($rate in namespace $ns); source $dir/env"
}

cmd_run() { # DIR COMMAND...
  local dir=$1
  shift
  [ $# -ge 1 ] || usage
  [ -f "$dir/env" ] || { echo "lab.sh: no lab running in $dir" >&2; exit 1; }
  source "$dir/env"
  source "$VM_LAB_SERVERS_ENV"
  if [ -n "$VM_LAB_WINEPREFIX" ]; then
    export VM_WINEPREFIX=$VM_LAB_WINEPREFIX
    source "$root/cmake/wine-env.sh"
  fi
  exec ip netns exec "$VM_LAB_NS" "$@"
}

cmd_rate() { # DIR RATE [--burst SIZE] [--latency TIME]
  local dir=$1 rate=$2 burst=20kb latency=300ms rest=()
  shift 2
  link_options "$@"
  [ ${#rest[@]} -eq 0 ] || usage
  [ -f "$dir/env" ] || { echo "lab.sh: no lab running in $dir" >&2; exit 1; }
  source "$dir/env"
  set_link "$VM_LAB_NS" "$rate" "$burst" "$latency"
  sed -i -e "s/^export VM_LAB_RATE=.*/export VM_LAB_RATE=$rate/" \
    -e "s/^export VM_LAB_BURST=.*/export VM_LAB_BURST=$burst/" \
    -e "s/^export VM_LAB_LATENCY=.*/export VM_LAB_LATENCY=$latency/" "$dir/env"
}

[ $# -ge 2 ] || usage
command=$1
shift
case $command in
  start) cmd_start "$@" ;;
  run) cmd_run "$@" ;;
  rate) [ $# -ge 2 ] || usage; cmd_rate "$@" ;;
  stop) [ $# -eq 1 ] || usage; cmd_stop "$1" ;;
  *) usage ;;
esac
