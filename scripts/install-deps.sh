#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need, when missing.
# Idempotent; run as root. Keeps nginx, vsftpd and the Prometheus daemons from starting
# as system services: the tests start their own instances on 127.0.0.1 (promtool comes
# with prometheus).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format googletest
  libclang-rt-14-dev
  g++-mingw-w64-i686
  wine wine32:i386
  nginx-light vsftpd openssl ca-certificates curl python3
  iproute2
  xvfb xauth imagemagick fonts-wine
  nsis python3-jsonschema jq
  prometheus prometheus-pushgateway
  chromium
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi

# Keep package scripts from starting services while we install.
policy=/usr/sbin/policy-rc.d
created_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' >"$policy"
  chmod +x "$policy"
  created_policy=1
fi
trap '[ $created_policy = 1 ] && rm -f "$policy"' EXIT

apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
