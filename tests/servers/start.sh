#!/usr/bin/env bash
# Starts the local test servers on free 127.0.0.1 ports and writes DIR/env (export lines).
# Usage: start.sh DIR [--big]      (see README.md; stop with stop.sh DIR)
# VM_SLOW_RATE sets the nginx limit_rate of /slow/ (default 1m); VM_FTP_SLOW_RATE the
# bytes per second of the rate-limited FTP server (default 500000).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

usage() { echo "usage: start.sh DIR [--big]" >&2; exit 2; }
[ $# -ge 1 ] || usage
dir_arg=$1; shift
big=0
for a in "$@"; do
  case $a in
    --big) big=1 ;;
    *) usage ;;
  esac
done
case $dir_arg in
  *[[:space:]\"\'\;\\]*) echo "start.sh: DIR must not contain spaces, quotes, ; or \\" >&2; exit 2 ;;
esac
slow_rate=${VM_SLOW_RATE:-1m}
[[ $slow_rate =~ ^[0-9]+[kKmM]?$ ]] || { echo "start.sh: bad VM_SLOW_RATE '$slow_rate'" >&2; exit 2; }
ftp_slow_rate=${VM_FTP_SLOW_RATE:-500000}
[[ $ftp_slow_rate =~ ^[1-9][0-9]*$ ]] ||
  { echo "start.sh: bad VM_FTP_SLOW_RATE '$ftp_slow_rate'" >&2; exit 2; }
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
for tool in nginx vsftpd openssl curl flock setsid; do
  command -v "$tool" >/dev/null || [ -x "/usr/sbin/$tool" ] ||
    { echo "start.sh: $tool is missing (scripts/install-deps.sh)" >&2; exit 1; }
done
export PATH="$PATH:/usr/sbin:/sbin"

mkdir -p "$dir_arg"
dir=$(cd "$dir_arg" && pwd)
"$here/stop.sh" "$dir" >/dev/null   # whatever an earlier start left in DIR
rm -f "$dir/env"
rm -rf "$dir/logs"
mkdir -p "$dir/data" "$dir/run" "$dir/logs" "$dir/nginx/tmp" "$dir/vsftpd/empty" "$dir/vsftpd-slow"
chmod 755 "$dir" "$dir/data" "$dir/vsftpd/empty"

# --- Test data: byte i of every file is i % 251, so readers can check any range.
make_file() { # NAME SIZE
  local f="$dir/data/$1"
  [ -f "$f" ] && [ "$(stat -c %s "$f")" = "$2" ] && return 0
  if [ ! -f "$dir/run/pattern" ]; then
    printf '%b' "$(printf '\\0%03o' $(seq 0 250))" >"$dir/run/pattern"
    for _ in $(seq 15); do   # 251 << 15 bytes: more than the largest pattern file
      cat "$dir/run/pattern" "$dir/run/pattern" >"$dir/run/pattern.2"
      mv "$dir/run/pattern.2" "$dir/run/pattern"
    done
  fi
  head -c "$2" "$dir/run/pattern" >"$f.tmp"
  chmod 644 "$f.tmp"
  mv "$f.tmp" "$f"
}
make_file 200k.bin 200000
make_file 1m.bin 1048576
make_file 5m.bin 5242880
make_file empty.bin 0
# FTP failures: a directory where a file is asked for, and a file the server may not read
# (anonymous sessions run as the ftp user; the file is root's alone).
mkdir -p "$dir/data/dir"
chmod 755 "$dir/data/dir"
make_file secret.bin 1000
chmod 600 "$dir/data/secret.bin"
rm -f "$dir/run/pattern"
# Zeros for the throttled downloads, sparse: reads cost no disk.
[ "$(stat -c %s "$dir/data/18m.bin" 2>/dev/null)" = 18874368 ] ||
  { rm -f "$dir/data/18m.bin"; truncate -s 18M "$dir/data/18m.bin"; }
chmod 644 "$dir/data/18m.bin"
if [ $big = 1 ]; then
  # Sparse: reads as zeros, costs no disk.
  mkdir -p "$dir/data/big"
  chmod 755 "$dir/data/big"
  for size in 512M 1G 5G; do
    f="$dir/data/big/$(tr 'GM' 'gm' <<<"$size").bin"
    [ "$(stat -c %s "$f" 2>/dev/null)" = "$(numfmt --from=iec "$size")" ] ||
      { rm -f "$f"; truncate -s "$size" "$f"; }
    chmod 644 "$f"
  done
else
  rm -rf "$dir/data/big"
fi

"$here/make-certs.sh" "$dir/certs"
certs=$dir/certs

# --- Configuration files, for the ports chosen below.
write_nginx_conf() {
  local user_line=""
  # The http server answers on ::1 too where the loopback has it (the same port).
  ipv6_listen=""
  [ "$ipv6" = 1 ] && ipv6_listen="listen [::1]:$http_port;"
  [ "$(id -u)" = 0 ] && user_line="user root;"
  cat >"$dir/nginx/site.conf" <<CONF
root $dir/data;
location = /redirect { return 302 /1m.bin; }
# SSI drops the length, so nginx has to send these in chunks.
location /chunked/ { alias $dir/data/; ssi on; ssi_types application/octet-stream; }
location /slow/ { alias $dir/data/; limit_rate $slow_rate; }
# A server that does not take ranges: no Accept-Ranges, and a range request gets the whole file.
location /noranges/ { alias $dir/data/; max_ranges 0; }
# Any rate per request: /rate/2m/NAME serves NAME at limit_rate 2m.
location ~ ^/rate/([0-9]+[kKmM]?)/(.+)\$ { alias $dir/data/\$2; limit_rate \$1; }
# The same rate sent in steps of 16 KB, as data comes over a link, instead of a second's
# worth at once and then a second of silence.
location ~ ^/paced/([0-9]+[kKmM]?)/(.+)\$ {
  alias $dir/data/\$2; limit_rate \$1; sendfile_max_chunk 16k;
}
# A cache's verdict in the headers, and a header far over any bound we keep.
location /hit/ { alias $dir/data/; add_header X-Cache HIT; add_header Via "1.1 edge-a"; }
location /miss/ { alias $dir/data/; add_header X-Cache MISS; }
# (nginx takes at most 4 KB a parameter: four times one of 2,500.)
location /longheader/ {
  alias $dir/data/; set \$l $(printf 'L%.0s' {1..2500}); add_header X-Cache \$l\$l\$l\$l;
}
CONF
  cat >"$dir/nginx/nginx.conf" <<CONF
$user_line
worker_processes 1;
daemon on;
pid $dir/run/nginx.pid;
error_log $dir/logs/nginx-error.log warn;
events { worker_connections 512; }
http {
  access_log $dir/logs/nginx-access.log;
  # Which client port each request came on, what range it asked for and when it ended.
  log_format ports '\$remote_port \$msec \$status \$bytes_sent "\$http_range" \$request_uri';
  access_log $dir/logs/nginx-ports.log ports;
  client_body_temp_path $dir/nginx/tmp/body;
  proxy_temp_path $dir/nginx/tmp/proxy;
  fastcgi_temp_path $dir/nginx/tmp/fastcgi;
  uwsgi_temp_path $dir/nginx/tmp/uwsgi;
  scgi_temp_path $dir/nginx/tmp/scgi;
  types { application/octet-stream bin; }
  default_type application/octet-stream;
  sendfile on;
  server_tokens off;
  keepalive_timeout 15;
  ssl_certificate_key $certs/server.key;
  server { listen 127.0.0.1:$http_port; $ipv6_listen include $dir/nginx/site.conf; }
  server { listen 127.0.0.1:$https_port ssl; ssl_certificate $certs/localhost.pem;
           include $dir/nginx/site.conf; }
  server { listen 127.0.0.1:$expired_port ssl; ssl_certificate $certs/expired.pem;
           include $dir/nginx/site.conf; }
  server { listen 127.0.0.1:$wronghost_port ssl; ssl_certificate $certs/wronghost.pem;
           include $dir/nginx/site.conf; }
  server { listen 127.0.0.1:$untrusted_port ssl; ssl_certificate $certs/untrusted.pem;
           include $dir/nginx/site.conf; }
}
CONF
}

write_vsftpd_conf() { # CONF PORT PASV_MIN PASV_MAX [EXTRA LINE]
  local as_launcher=NO
  [ "$(id -u)" = 0 ] || as_launcher=YES
  cat >"$1" <<CONF
listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=$2
background=NO
run_as_launching_user=$as_launcher
anonymous_enable=YES
no_anon_password=YES
anon_root=$dir/data
local_enable=NO
write_enable=NO
anon_upload_enable=NO
anon_mkdir_write_enable=NO
ascii_download_enable=NO
pasv_enable=YES
pasv_min_port=$3
pasv_max_port=$4
port_enable=YES
connect_from_port_20=NO
seccomp_sandbox=NO
secure_chroot_dir=$dir/vsftpd/empty
xferlog_enable=YES
vsftpd_log_file=$dir/logs/vsftpd.log
syslog_enable=NO
hide_ids=YES
max_clients=64
idle_session_timeout=120
data_connection_timeout=60
${5:-}
CONF
}

# --- Starting and checking.
launch() { # NAME COMMAND...: a session of its own, so stop.sh ends its children too
  local name=$1; shift
  setsid "$@" </dev/null >>"$dir/logs/$name.out" 2>&1 9>&- &
  echo $! >"$dir/run/$name.pid"
}

answers() { # URL [CURL OPTIONS...]
  curl -s -o /dev/null --max-time 2 "$@"
}

accepts() { # PORT
  timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$1" 2>/dev/null
}

refuses() { # PORT
  ! timeout 2 bash -c "exec 3<>/dev/tcp/127.0.0.1/$1" 2>/dev/null
}

all_ready() {
  answers "http://127.0.0.1:$http_port/empty.bin" --fail &&
  answers "https://localhost:$https_port/empty.bin" --fail --cacert "$certs/ca.pem" &&
  answers "https://127.0.0.1:$expired_port/empty.bin" --fail -k &&
  answers "https://127.0.0.1:$wronghost_port/empty.bin" --fail -k &&
  answers "https://127.0.0.1:$untrusted_port/empty.bin" --fail -k &&
  answers "ftp://127.0.0.1:$ftp_port/empty.bin" &&
  answers "ftp://127.0.0.1:$ftp_slow_port/empty.bin" &&
  accepts "$silent_port" && accepts "$truncate_port" && accepts "$stall_port" &&
  accepts "$hostile_port" && accepts "$ftp_cut_port" &&
  kill -0 "$(cat "$dir/run/refused.pid")" 2>/dev/null && refuses "$refused_port"
}

start_all() {
  nginx -p "$dir/nginx/" -e "$dir/logs/nginx-error.log" -c "$dir/nginx/nginx.conf" \
    </dev/null >>"$dir/logs/nginx.out" 2>&1 9>&- || return 1
  launch vsftpd vsftpd "$dir/vsftpd/vsftpd.conf"
  launch vsftpd-slow vsftpd "$dir/vsftpd-slow/vsftpd.conf"
  launch silent "$python" "$here/tcp_stub.py" silent "$silent_port" "$dir/"
  launch truncate "$python" "$here/tcp_stub.py" truncate "$truncate_port" "$dir/"
  launch refused "$python" "$here/tcp_stub.py" refused "$refused_port" "$dir/"
  launch stall "$python" "$here/tcp_stub.py" stall "$stall_port" "$dir/"
  launch hostile "$python" "$here/tcp_stub.py" hostile "$hostile_port" "$dir/"
  launch ftpcut "$python" "$here/tcp_stub.py" ftpcut "$ftp_cut_port" "$dir/"
  local deadline=$((SECONDS + 20))
  until all_ready; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.2
  done
}

ipv6=0
if ip -6 addr show dev lo 2>/dev/null | grep -q 'inet6 ::1/'; then ipv6=1; fi

# Instances starting at the same moment take turns, so each sees the other's ports bound.
exec 9>"${TMPDIR:-/tmp}/velocimark-servers.lock"
flock -w 120 9 || { echo "start.sh: timed out waiting for another instance" >&2; exit 1; }
started=0
for attempt in 1 2 3; do
  read -r http_port https_port expired_port wronghost_port untrusted_port ftp_port \
    silent_port truncate_port refused_port ftp_slow_port stall_port hostile_port ftp_cut_port \
    pasv_min < <("$python" "$here/free_ports.py" 13 32)
  pasv_max=$((pasv_min + 15))
  write_nginx_conf
  write_vsftpd_conf "$dir/vsftpd/vsftpd.conf" "$ftp_port" "$pasv_min" "$pasv_max"
  write_vsftpd_conf "$dir/vsftpd-slow/vsftpd.conf" "$ftp_slow_port" $((pasv_max + 1)) \
    $((pasv_max + 16)) "anon_max_rate=$ftp_slow_rate"
  if start_all; then started=1; break; fi
  echo "start.sh: attempt $attempt failed; logs in $dir/logs" >&2
  "$here/stop.sh" "$dir" >/dev/null
done
exec 9>&-
if [ $started = 0 ]; then
  tail -n 5 "$dir"/logs/*.log "$dir"/logs/*.out >&2 2>/dev/null || true
  exit 1
fi

env_line() { printf 'export %s=%q\n' "$1" "$2"; }
{
  echo "# Written by tests/servers/start.sh; source it."
  env_line VM_SERVERS_DIR "$dir"
  env_line VM_DATA_DIR "$dir/data"
  env_line VM_HTTP_PORT "$http_port"
  env_line VM_HTTP_IPV6 "$ipv6"
  env_line VM_HTTPS_PORT "$https_port"
  env_line VM_HTTPS_EXPIRED_PORT "$expired_port"
  env_line VM_HTTPS_WRONGHOST_PORT "$wronghost_port"
  env_line VM_HTTPS_UNTRUSTED_PORT "$untrusted_port"
  env_line VM_FTP_PORT "$ftp_port"
  env_line VM_FTP_PASV_MIN_PORT "$pasv_min"
  env_line VM_FTP_PASV_MAX_PORT "$pasv_max"
  env_line VM_SILENT_PORT "$silent_port"
  env_line VM_TRUNCATE_PORT "$truncate_port"
  env_line VM_REFUSED_PORT "$refused_port"
  env_line VM_FTP_SLOW_PORT "$ftp_slow_port"
  env_line VM_FTP_SLOW_RATE "$ftp_slow_rate"
  env_line VM_STALL_PORT "$stall_port"
  env_line VM_HOSTILE_PORT "$hostile_port"
  env_line VM_FTP_CUT_PORT "$ftp_cut_port"
  env_line VM_TEST_CA "$certs/ca.pem"
  env_line VM_TEST_CA_DER "$certs/ca.der"
  env_line VM_UNTRUSTED_CA "$certs/untrusted-ca.pem"
  env_line VM_SLOW_RATE "$slow_rate"
  env_line VM_BIG_FILES "$big"
  env_line VM_HTTP_URL "http://127.0.0.1:$http_port"
  env_line VM_HTTPS_URL "https://localhost:$https_port"
  env_line VM_FTP_URL "ftp://127.0.0.1:$ftp_port"
  env_line VM_FTP_SLOW_URL "ftp://127.0.0.1:$ftp_slow_port"
  env_line VM_STALL_URL "http://127.0.0.1:$stall_port"
  env_line VM_HOSTILE_URL "http://127.0.0.1:$hostile_port"
  env_line VM_FTP_CUT_URL "ftp://127.0.0.1:$ftp_cut_port"
} >"$dir/env.tmp"
mv "$dir/env.tmp" "$dir/env"
echo "Test servers running; source $dir/env"
