#!/usr/bin/env bash
# The GUI thread's time per 200 ms timer step during a test run (one rate-limited HTTP
# download, the list shown), with 100 items and with 100,000 items in the list, all but
# the first disabled. The list view is virtual, so the two should cost the same: the
# ratio 100,000 / 100 should stay at 1.2 or below. Medians over RUNS runs of each.
# Needs the Windows build (scripts/build.sh windows). Not part of the test command.
# The time of a step is the mean over all steps of a run (most only sample; those after
# a burst of data repaint the rows, shown apart as "redraw").
# A third run per round shows the speed graph pane during a download made to look an hour
# old (its trace holds an hour of steps, the most points the pane keeps); the list runs
# above have the pane hidden. Goal: the step with the pane shown costs at most 1.5 times
# the step without it (100 items both).
# Usage: bench/timer-step-benchmark.sh [RUNS] [SECONDS]     (default 3 runs of 10 s)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-3}
seconds=${2:-10}
build=$root/build/windows

"$root/scripts/build.sh" bench-windows timer_step_bench >/dev/null
exe=$root/build/bench-windows/timer_step_bench.exe

servers=$build/bench-servers
export VM_SLOW_RATE=${VM_BENCH_SLOW_RATE:-200k}
export VM_BUILD_DIR=$build
source cmake/wine-env.sh
trap 'tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true; wineserver -k >/dev/null 2>&1 || true' EXIT
vm_wine_server_start
tests/servers/start.sh "$servers" >/dev/null
source "$servers/env"
url=$VM_HTTP_URL/slow/5m.bin

field() { # NAME LINE
  sed -n "s/.*\\b$1=\\([^ ]*\\).*/\\1/p" <<<"$2"
}
median() { # NUMBERS...
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

printf '%-4s %8s %-6s %7s %10s %12s %14s %10s\n' run items graph steps "mean µs" "median µs" "redraw µs (n)" "GUI CPU s"
small=() large=() small_r=() large_r=() graph=() graph_r=() paint=()
for i in $(seq "$runs"); do
  for mode in 100:hidden 100000:hidden 100:hour; do
    n=${mode%%:*} g=${mode#*:}
    line=$(timeout 300 wine "$exe" "$n" "$url" "$seconds" "$g" </dev/null 2>&1 | tr -d '\r' | tail -1)
    [ "$(field running "$line")" = 1 ] || { echo "the run did not last the measurement: $line" >&2; exit 1; }
    printf '%-4s %8s %-6s %7s %10s %12s %14s %10s\n' "$i" "$n" "$g" "$(field steps "$line")" \
      "$(field mean_us "$line")" "$(field median_us "$line")" \
      "$(field redraw_mean_us "$line") ($(field redraw_steps "$line"))" "$(field gui_cpu_s "$line")"
    if [ "$g" = hour ]; then
      graph+=("$(field mean_us "$line")") graph_r+=("$(field redraw_mean_us "$line")")
      points=$(field graph_points "$line") paint+=("$(field pane_paint_us "$line")")
    elif [ "$n" = 100 ]; then
      small+=("$(field mean_us "$line")") small_r+=("$(field redraw_mean_us "$line")")
    else
      large+=("$(field mean_us "$line")") large_r+=("$(field redraw_mean_us "$line")")
    fi
  done
done
s=$(median "${small[@]}") l=$(median "${large[@]}")
sr=$(median "${small_r[@]}") lr=$(median "${large_r[@]}")
printf 'GUI time per timer step (median of the runs'"'"' means): 100 items %.1f µs, 100,000 items %.1f µs, ratio %.3f (goal: 1.2 or below)\n' \
  "$s" "$l" "$(echo "$l / $s" | bc -l)"
printf 'steps that repaint the rows: 100 items %.1f µs, 100,000 items %.1f µs, ratio %.3f\n' \
  "$sr" "$lr" "$(echo "$lr / $sr" | bc -l)"
gs=$(median "${graph[@]}") gr=$(median "${graph_r[@]}")
printf 'speed graph shown, an hour of trace (%s points per curve): %.1f µs per step against %.1f µs hidden, ratio %.3f (goal: 1.5 or below); repainting steps %.1f µs against %.1f µs, ratio %.3f\n' \
  "$points" "$gs" "$s" "$(echo "$gs / $s" | bc -l)" "$gr" "$sr" "$(echo "$gr / $sr" | bc -l)"
printf 'the pane alone (its chart built and drawn): %.1f µs per repaint; a shown pane shortens the list, so fewer rows repaint\n' \
  "$(median "${paint[@]}")"
