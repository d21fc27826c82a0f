# Sourced by the bench scripts that measure against the local test servers, from the
# project's root with $build set: the Wine set-up of that tree, a scratch folder $work,
# and the servers in $build/bench-servers (their VM_* variables exported), all stopped and
# removed at exit. Usage: vm_bench_servers_start [start.sh options, such as --big]
vm_bench_servers_start() {
  servers=$build/bench-servers
  export VM_BUILD_DIR=$build
  source cmake/wine-env.sh
  work=$(mktemp -d)
  trap 'tests/servers/stop.sh "$servers" >/dev/null 2>&1 || true; wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  vm_wine_server_start
  tests/servers/start.sh "$servers" "$@" >/dev/null
  source "$servers/env"
}
