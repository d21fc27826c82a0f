#!/usr/bin/env bash
# Measures the program's download transfer under Wine against curl in the same run:
#   0. the platform's limit, per protocol (http, https, ftp, local file): the program's
#      transfer, a minimal read loop of our own (bench/limits, the fewest calls that read
#      the source the same way), curl, and the whole program's export run (velocimark.exe
#      /sjson: its list, sequencer and reports; time from its JSON duration, CPU less an
#      export run of an empty file), in interleaved rounds; time and CPU per GiB of each,
#      the ratios, medians and ranges. VM_BENCH_LIMITS_ONLY=1 stops after this part.
#   1. a 1 GiB file over http on 127.0.0.1: both rates, their ratio, CPU seconds per GiB;
#   2. the same file over https (localhost) and ftp: the ceilings and their ratios;
#   3. a rate-limited file (nginx limit_rate, over 10 s): both averages and their ratio;
#   4. a trickling server cut by a time limit: the count against the bytes the server
#      sent before the program hung up (goal: within 1%).
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# The last column repeats the program's run without EV_PROGRESS events, to show what
# posting one event per block costs under Wine.
# The machine may be shared: compare medians of several runs.
# Usage: bench/transfer-benchmark.sh [RUNS]     (default 5)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-5}
build=$root/build/windows
[ -f "$build/src/win32/libvm_win32.a" ] || { echo "build first: scripts/build.sh windows" >&2; exit 1; }

# The driver: the program's transfer in a small console program.
"$root/scripts/build.sh" bench-windows transfer_bench >/dev/null
exe=$root/build/bench-windows/transfer_bench.exe

# Servers with the 1 GiB file and a /slow/ rate that makes 5m.bin take over 10 s.
servers=$build/bench-servers
export VM_SLOW_RATE=${VM_BENCH_SLOW_RATE:-400k}
export VM_BUILD_DIR=$build
source cmake/wine-env.sh
cleanup() {
  tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true
  # trust-ca.sh keeps one test CA in the prefix: give it back to the test servers.
  if [ -f "$build/servers/certs/ca.der" ]; then
    tests/servers/trust-ca.sh "$build/servers/certs/ca.der" >/dev/null 2>&1 || true
  fi
  wineserver -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
vm_wine_server_start
tests/servers/start.sh "$servers" --big >/dev/null
source "$servers/env"
[ -f "$build/tests/add_root_cert.exe" ] || cmake --build "$build" --target add_root_cert >/dev/null
tests/servers/trust-ca.sh >/dev/null

big_url=$VM_HTTP_URL/big/1g.bin
slow_url=$VM_HTTP_URL/slow/5m.bin
limits=$build/bench/limits
[ -f "$limits/minimal-wininet-loop.exe" ] && [ -f "$limits/minimal-file-read-loop.exe" ] ||
  cmake --build "$build" --target minimal_wininet_loop minimal_file_read_loop >/dev/null

field() { # NAME LINE
  sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"
}

program() { # URL [no-progress] -> "result=... bytes=... ms=... rate_mib_s=... cpu_s=... time_cpu_s=..."
  local out
  out=$( { VM_BENCH_NO_PROGRESS=${2:-} /usr/bin/time -f "time_cpu_s=%U+%S" timeout 900 wine "$exe" "$1" </dev/null 2>&1 | tr -d '\r'; } 2>&1)
  echo "$out" | tr '\n' ' '
}

curl_run() { # URL -> "bytes seconds cpu"
  local out cpu
  out=$( { /usr/bin/time -f "%U+%S" curl -s --cacert "$VM_TEST_CA" -o /dev/null -w '%{size_download} %{time_total}\n' "$1"; } 2>&1)
  echo "$out" | tr '\n' ' '
}

# The prefix's Wine server does part of every Windows program's work (each server call is
# a round trip to it): its CPU time counts with the program's.
server_pid() {
  local folder pid
  folder="server-$(printf '%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))"
  for pid in $(pgrep wineserver); do
    [ "$(basename "$(readlink "/proc/$pid/cwd" 2>/dev/null)")" = "$folder" ] && { echo "$pid"; return; }
  done
}
server_cpu() { # -> CPU seconds of the prefix's Wine server so far
  local pid
  pid=$(server_pid)
  [ -n "$pid" ] && awk -v hz="$(getconf CLK_TCK)" '{ sub(/.*\) /, ""); print ($12 + $13) / hz }' "/proc/$pid/stat" || echo 0
}
windows_exe() { # EXE ARGS... -> "bytes ms cpu server-cpu"
  local before out after
  before=$(server_cpu)
  out=$(timeout 900 wine "$@" </dev/null 2>&1 | tr -d '\r' | grep 'result=' | tail -n 1)
  after=$(server_cpu)
  [ "$(field result "$out")" = finished ] || { echo "run failed: $* -> $out" >&2; exit 1; }
  echo "$(field bytes "$out") $(field ms "$out") $(field cpu_s "$out") $(echo "$after - $before" | bc -l)"
}
# The server's share of a transfer: what a run of the same program on an empty source
# costs it (starting and ending a process, a window) is taken off.
windows_transfer() { # EXE SOURCE EMPTY-SOURCE -> "bytes ms cpu"
  local bytes ms cpu server _b _m _c idle
  read -r bytes ms cpu server <<<"$(windows_exe "$1" "$2")"
  read -r _b _m _c idle <<<"$(windows_exe "$1" "$3")"
  server=$(echo "$server - $idle" | bc -l)
  [ "$(echo "$server < 0" | bc -l)" = 1 ] && server=0
  echo "$bytes $ms $(echo "$cpu + $server" | bc -l)"
}
curl_limit() { # URL -> "bytes ms cpu"
  local out bytes secs cpu
  out=$( { /usr/bin/time -f "%U+%S" curl -s --cacert "$VM_TEST_CA" -o /dev/null -w '%{size_download} %{time_total}\n' "$1"; } 2>&1)
  read -r bytes secs cpu <<<"$(echo "$out" | tr '\n' ' ')"
  echo "$bytes $(echo "$secs * 1000" | bc -l) $(echo "$cpu" | bc -l)"
}
# The whole program, as a user runs it unattended: one item, exported as JSON.
export_dir=$build/bench-export
mkdir -p "$export_dir"
cp "$build/src/win32/velocimark.exe" "$export_dir/"
export_once() { # SOURCE -> "bytes us cpu server-cpu"
  local before after cpu
  printf '[General]\r\nUseAutoStopTime=0\r\nNumOfDownloads=1\r\n[Download0]\r\nURL=%s\r\nDisabled=0\r\n' "$1" \
    >"$export_dir/velocimark.cfg"
  rm -f "$export_dir/r.json"
  before=$(server_cpu)
  (cd "$export_dir" && /usr/bin/time -o cpu.txt -f "%U+%S" timeout 900 wine velocimark.exe \
    /config velocimark.cfg /sjson r.json /hidden </dev/null >/dev/null 2>&1)
  cpu=$(tail -n 1 "$export_dir/cpu.txt")
  after=$(server_cpu)
  read -r status bytes us < <(jq -r '.items[0] | "\(.status) \(.bytes) \(.duration_us)"' "$export_dir/r.json")
  [ "$status" = finished ] || { echo "export run failed: $1 -> $status" >&2; exit 1; }
  echo "$bytes $us $(echo "$cpu" | bc -l) $(echo "$after - $before" | bc -l)"
}
export_transfer() { # SOURCE EMPTY-SOURCE -> "bytes ms cpu"
  local bytes us cpu server _b _u idle_cpu idle_server
  read -r bytes us cpu server <<<"$(export_once "$1")"
  read -r _b _u idle_cpu idle_server <<<"$(export_once "$2")"
  cpu=$(echo "$cpu + $server - $idle_cpu - $idle_server" | bc -l)
  [ "$(echo "$cpu < 0" | bc -l)" = 1 ] && cpu=0
  echo "$bytes $(echo "$us / 1000" | bc -l) $cpu"
}
stats() { # NUMBERS... -> "median min max"
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.3f %.3f %.3f", m, v[1], v[NR] }'
}
per_gib() { # BYTES VALUE -> VALUE scaled to one GiB
  echo "$2 * 1073741824 / $1" | bc -l
}

limit_runs=${VM_BENCH_LIMIT_RUNS:-$runs}
local_file="Z:$(tr / '\\' <<<"$VM_DATA_DIR/big/1g.bin")"
# Sizes keep a round within a minute or two on a shared machine (Wine's TLS costs about
# 13 CPU seconds per GiB); figures are per GiB all the same.
declare -A source=(
  [http]=$VM_HTTP_URL/big/512m.bin
  [https]=$VM_HTTPS_URL/big/512m.bin
  [ftp]=$VM_FTP_URL/big/512m.bin
  [local]=$local_file
)
declare -A empty_source=(
  [http]=$VM_HTTP_URL/empty.bin
  [https]=$VM_HTTPS_URL/empty.bin
  [ftp]=$VM_FTP_URL/empty.bin
  [local]="Z:$(tr / '\\' <<<"$VM_DATA_DIR/empty.bin")"
)
declare -A curl_source=(
  [http]=$VM_HTTP_URL/big/512m.bin
  [https]=$VM_HTTPS_URL/big/512m.bin
  [ftp]=$VM_FTP_URL/big/512m.bin
  [local]=file://$VM_DATA_DIR/big/1g.bin
)
# VM_BENCH_PROTOCOLS picks some of them ("ftp local").
read -r -a protocols <<<"${VM_BENCH_PROTOCOLS:-http https ftp local}"
declare -A series
printf '%s\n' "== the platform's limit: program, minimal loop, curl; $limit_runs interleaved rounds =="
printf '%-6s %-5s %-8s %10s %10s %12s\n' proto round who "s/GiB" "CPU s/GiB" "MiB/s"
for round in $(seq "$limit_runs"); do
  for proto in "${protocols[@]}"; do
    for who in program minimal curl export; do
      case $who/$proto in
        export/*) r=$(export_transfer "${source[$proto]}" "${empty_source[$proto]}") ;;
        program/*) r=$(windows_transfer "$exe" "${source[$proto]}" "${empty_source[$proto]}") ;;
        minimal/local) r=$(windows_transfer "$limits/minimal-file-read-loop.exe" "${source[$proto]}" "${empty_source[$proto]}") ;;
        minimal/*) r=$(windows_transfer "$limits/minimal-wininet-loop.exe" "${source[$proto]}" "${empty_source[$proto]}") ;;
        curl/*) r=$(curl_limit "${curl_source[$proto]}") ;;
      esac
      read -r bytes ms cpu <<<"$r"
      t=$(per_gib "$bytes" "$(echo "$ms / 1000" | bc -l)")
      c=$(per_gib "$bytes" "$cpu")
      series[$proto/$who/t]+=" $t" series[$proto/$who/c]+=" $c"
      printf '%-6s %-5s %-8s %10.3f %10.3f %12.1f\n' "$proto" "$round" "$who" "$t" "$c" "$(echo "1024 / $t" | bc -l)"
    done
    # Ratios within the round, so that the machine's load in that round cancels out.
    pt=${series[$proto/program/t]##* } mt=${series[$proto/minimal/t]##* } ct=${series[$proto/curl/t]##* }
    pc=${series[$proto/program/c]##* } mc=${series[$proto/minimal/c]##* }
    et=${series[$proto/export/t]##* }
    series[$proto/ec]+=" $(echo "$et / $ct" | bc -l)" series[$proto/em]+=" $(echo "$et / $mt" | bc -l)"
    series[$proto/pm]+=" $(echo "$pt / $mt" | bc -l)" series[$proto/pc]+=" $(echo "$pt / $ct" | bc -l)"
    series[$proto/mc]+=" $(echo "$mt / $ct" | bc -l)" series[$proto/cpu]+=" $(echo "$pc / $mc" | bc -l)"
  done
done
printf '\n%s\n' "medians (range) over $limit_runs rounds; time and CPU in seconds per GiB; ratios are taken within each round"
printf '%-6s %-22s %-22s %-22s %-22s %-22s %-22s %-22s %-22s\n' proto "program time" "minimal time" "curl time" \
  "program CPU" "minimal CPU" "program/minimal" "program CPU/minimal" "program/curl"
show() { # NUMBERS... -> "median (min-max)"
  read -r m lo hi <<<"$(stats "$@")"
  printf '%.3f (%.3f-%.3f)' "$m" "$lo" "$hi"
}
for proto in "${protocols[@]}"; do
  # shellcheck disable=SC2086
  printf '%-6s %-22s %-22s %-22s %-22s %-22s %-22s %-22s %-22s\n' "$proto" \
    "$(show ${series[$proto/program/t]})" "$(show ${series[$proto/minimal/t]})" "$(show ${series[$proto/curl/t]})" \
    "$(show ${series[$proto/program/c]})" "$(show ${series[$proto/minimal/c]})" \
    "$(show ${series[$proto/pm]})" "$(show ${series[$proto/cpu]})" "$(show ${series[$proto/pc]})"
done
printf '\n%s\n' "the export run (velocimark.exe /sjson), medians (range): time and CPU in s/GiB, time ratios"
printf '%-6s %-22s %-22s %-22s %-22s\n' proto "export time" "export CPU" "export/curl" "export/minimal"
for proto in "${protocols[@]}"; do
  # shellcheck disable=SC2086
  printf '%-6s %-22s %-22s %-22s %-22s\n' "$proto" "$(show ${series[$proto/export/t]})" \
    "$(show ${series[$proto/export/c]})" "$(show ${series[$proto/ec]})" "$(show ${series[$proto/em]})"
done
# On a loaded machine a run is now and then twice as slow as the next one whatever it
# runs (loopback FTP is the worst): the best rounds compare what each costs undisturbed.
printf '\n%s\n' "best of $limit_runs rounds: program/minimal (time, CPU)"
best() { # NUMBERS... -> the smallest
  read -r _ lo _ <<<"$(stats "$@")"
  echo "$lo"
}
for proto in "${protocols[@]}"; do
  # shellcheck disable=SC2086
  printf '%-6s %.3f %.3f\n' "$proto" \
    "$(echo "$(best ${series[$proto/program/t]}) / $(best ${series[$proto/minimal/t]})" | bc -l)" \
    "$(echo "$(best ${series[$proto/program/c]}) / $(best ${series[$proto/minimal/c]})" | bc -l)"
done
printf '%s\n' "goals: program/minimal within 1.1 in time and CPU (local files within 1.5)"
[ "${VM_BENCH_LIMITS_ONLY:-}" = 1 ] && exit 0

printf '%s\n' "== 1 GiB over http on 127.0.0.1 ($runs runs) =="
printf '%-4s %14s %14s %8s %22s %15s %22s\n' run "program MiB/s" "curl MiB/s" ratio "program CPU s/GiB" "curl CPU s/GiB" "no-progress MiB/s"
median() { # NUMBERS...
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
big_p=() big_c=() big_r=() big_q=() big_cpu=()
for i in $(seq "$runs"); do
  p=$(program "$big_url")
  c=$(curl_run "$big_url")
  [ "$(field result "$p")" = finished ] || { echo "program run failed: $p" >&2; exit 1; }
  p_rate=$(field rate_mib_s "$p")
  p_cpu=$(field cpu_s "$p")
  p_time_cpu=$(echo "$p" | sed -n 's/.*time_cpu_s=\([0-9.+]*\).*/\1/p' | bc -l)
  q=$(program "$big_url" 1)
  read -r c_bytes c_secs c_cpu_expr <<<"$c"
  c_rate=$(echo "$c_bytes / 1048576 / $c_secs" | bc -l)
  c_cpu=$(echo "$c_cpu_expr" | bc -l)
  printf '%-4s %14.1f %14.1f %8.3f %22s %15.2f %22s\n' "$i" "$p_rate" "$c_rate" \
    "$(echo "$p_rate / $c_rate" | bc -l)" "$(printf '%.2f (wine cmd %.2f)' "$p_cpu" "$p_time_cpu")" \
    "$c_cpu" "$(printf '%.1f (ratio %.3f)' "$(field rate_mib_s "$q")" "$(echo "$(field rate_mib_s "$q") / $c_rate" | bc -l)")"
  big_p+=("$p_rate") big_c+=("$c_rate") big_r+=("$(echo "$p_rate / $c_rate" | bc -l)")
  big_q+=("$(echo "$(field rate_mib_s "$q") / $c_rate" | bc -l)") big_cpu+=("$p_cpu")
done
printf 'median: program %.1f MiB/s, curl %.1f MiB/s, ratio %.3f, program CPU %.2f s/GiB, ratio without progress events %.3f\n' \
  "$(median "${big_p[@]}")" "$(median "${big_c[@]}")" "$(median "${big_r[@]}")" \
  "$(median "${big_cpu[@]}")" "$(median "${big_q[@]}")"

printf '\n%s\n' "== 1 GiB over https (localhost) and ftp on 127.0.0.1: ceilings ($runs runs) =="
printf '%-6s %-4s %14s %14s %8s\n' scheme run "program MiB/s" "curl MiB/s" ratio
for scheme in https ftp; do
  case $scheme in
    https) url=$VM_HTTPS_URL/big/1g.bin ;;
    ftp) url=$VM_FTP_URL/big/1g.bin ;;
  esac
  ratios=() rates=() curls=()
  for i in $(seq "$runs"); do
    p=$(program "$url")
    c=$(curl_run "$url")
    [ "$(field result "$p")" = finished ] || { echo "program run failed: $p" >&2; exit 1; }
    p_rate=$(field rate_mib_s "$p")
    read -r c_bytes c_secs _ <<<"$c"
    c_rate=$(echo "$c_bytes / 1048576 / $c_secs" | bc -l)
    printf '%-6s %-4s %14.1f %14.1f %8.3f\n' "$scheme" "$i" "$p_rate" "$c_rate" "$(echo "$p_rate / $c_rate" | bc -l)"
    rates+=("$p_rate") curls+=("$c_rate") ratios+=("$(echo "$p_rate / $c_rate" | bc -l)")
  done
  printf 'median %s: program %.1f MiB/s, curl %.1f MiB/s, ratio %.3f\n' "$scheme" \
    "$(median "${rates[@]}")" "$(median "${curls[@]}")" "$(median "${ratios[@]}")"
done

printf '\n%s\n' "== rate-limited file: 5m.bin at limit_rate $VM_SLOW_RATE ($runs runs) =="
printf '%-4s %14s %14s %8s %10s\n' run "program KB/s" "curl KB/s" ratio "seconds"
slow_r=()
for i in $(seq "$runs"); do
  p=$(program "$slow_url")
  c=$(curl_run "$slow_url")
  [ "$(field result "$p")" = finished ] || { echo "program run failed: $p" >&2; exit 1; }
  p_rate=$(echo "$(field bytes "$p") / 1024 / ($(field ms "$p") / 1000)" | bc -l)
  read -r c_bytes c_secs _ <<<"$c"
  c_rate=$(echo "$c_bytes / 1024 / $c_secs" | bc -l)
  printf '%-4s %14.1f %14.1f %8.4f %10.2f\n' "$i" "$p_rate" "$c_rate" \
    "$(echo "$p_rate / $c_rate" | bc -l)" "$(echo "$(field ms "$p") / 1000" | bc -l)"
  slow_r+=("$(echo "$p_rate / $c_rate" | bc -l)")
done
printf 'median ratio %.4f (goal: within 2%%)\n' "$(median "${slow_r[@]}")"

# The stub trickles in steps of 20 ms and, once the client has hung up, logs the body
# bytes it had sent ("sent N PATH"); each run asks for a path of its own.
trickle_rate=${VM_BENCH_TRICKLE_RATE:-20000}
trickle_limit_ms=${VM_BENCH_TRICKLE_LIMIT_MS:-5000}
printf '\n%s\n' "== trickle at $trickle_rate bytes/s, time limit $trickle_limit_ms ms ($runs runs) =="
printf '%-4s %14s %14s %12s\n' run "counted bytes" "sent bytes" "counted/sent"
trickle_r=()
for i in $(seq "$runs"); do
  path="/trickle/$trickle_rate/0?run=$i-$RANDOM"
  p=$(VM_BENCH_TIME_LIMIT_MS=$trickle_limit_ms program "$VM_STALL_URL$path")
  [ "$(field result "$p")" = timelimit ] || { echo "program run failed: $p" >&2; exit 1; }
  sent=""
  for _ in $(seq 50); do
    sent=$(sed -n "s|^sent \([0-9]*\) $path\$|\1|p" "$VM_SERVERS_DIR/logs/stall.out" | tail -n 1)
    [ -n "$sent" ] && break
    sleep 0.1
  done
  [ -n "$sent" ] || { echo "the stub logged nothing for $path" >&2; exit 1; }
  counted=$(field bytes "$p")
  printf '%-4s %14s %14s %12.4f\n' "$i" "$counted" "$sent" "$(echo "$counted / $sent" | bc -l)"
  trickle_r+=("$(echo "$counted / $sent" | bc -l)")
done
printf 'median counted/sent %.4f (goal: within 1%%)\n' "$(median "${trickle_r[@]}")"
