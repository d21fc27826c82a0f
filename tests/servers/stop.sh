#!/usr/bin/env bash
# Stops every server start.sh started in DIR (by its pid files). Idempotent.
# Usage: stop.sh DIR
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: stop.sh DIR" >&2; exit 2; }
[ -d "$1/run" ] || exit 0
dir=$(cd "$1" && pwd)

# Only a process whose command line names DIR is ours: a pid file
# left from a crash may point at an unrelated process by now.
ours() { # PID
  local cmd
  cmd=$(tr '\0' ' ' 2>/dev/null <"/proc/$1/cmdline") || return 1
  [[ $cmd == *"$dir/"* ]]
}

# A zombie has finished; daemons end up children of init, which may reap them late.
running() { # PID
  local state
  state=$(ps -o stat= -p "$1" 2>/dev/null) || return 1
  [[ $state != Z* ]]
}

pids=()
for f in "$dir"/run/*.pid; do
  [ -f "$f" ] || continue
  pid=$(tr -dc 0-9 <"$f")
  rm -f "$f"
  if [ -z "$pid" ] || ! ours "$pid"; then continue; fi
  pids+=("$pid")
  # Each server leads its own session: signal the group, so per-connection children
  # (nginx workers) go too.
  if [ "$(ps -o pgid= -p "$pid" | tr -d ' ')" = "$pid" ]; then
    kill -TERM -- "-$pid" 2>/dev/null || true
  else
    kill -TERM "$pid" 2>/dev/null || true
  fi
done

# vsftpd starts a session of its own for each client; they still carry the listener's
# command line, which names one of this DIR's configurations.
for p in /proc/[0-9]*; do
  cmd=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline") || continue
  if [ "$cmd" = "vsftpd $dir/vsftpd/vsftpd.conf " ] ||
     [ "$cmd" = "vsftpd $dir/vsftpd-slow/vsftpd.conf " ]; then
    pids+=("${p#/proc/}")
    kill -TERM "${p#/proc/}" 2>/dev/null || true
  fi
done

for _ in $(seq 50); do
  alive=0
  for pid in "${pids[@]}"; do
    running "$pid" && alive=1
  done
  [ $alive = 0 ] && break
  sleep 0.1
done
for pid in "${pids[@]}"; do
  running "$pid" || continue
  kill -KILL -- "-$pid" 2>/dev/null || kill -KILL "$pid" 2>/dev/null || true
done
rm -f "$dir/env"
