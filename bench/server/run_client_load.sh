#!/usr/bin/env bash
# Client-shaped load (bench_server_client_load) against one pallido-server
# replica directly, then against two replicas behind nginx with the shipped
# site (deploy/nginx/pallido.conf), all on 127.0.0.1 from a private folder;
# everything started here is stopped at the end.
#
#   bench/server/run_client_load.sh [BUILD_DIR] [LABEL=SERVER_BINARY ...]
#
# BUILD_DIR (default build) holds the driver and, unless binaries are named,
# the server. Several LABEL=BINARY pairs are measured one after the other in
# the same run (say before=/tmp/old-server after=build/pallido-server).
# USERS (default 8,32,128) and SECONDS_PER_LEVEL (per user count, default
# 10) set the run; TRANSPORT=curl sends the GETs through libcurl instead of
# plain sockets (see client_load.cpp). The replicas and the driver share this machine's cores: two replicas
# behind nginx show the cost of the front, not a speed-up.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-build}" && pwd)
shift || true
driver=$build/bench/server/bench_server_client_load
users=${USERS:-8,32,128}
seconds=${SECONDS_PER_LEVEL:-10}
transport=${TRANSPORT:-plain}
servers=("$@")
[ ${#servers[@]} -gt 0 ] || servers=("server=$build/pallido-server")
command -v nginx >/dev/null || [ -x /usr/sbin/nginx ] || { echo "nginx is not installed (nginx-light)" >&2; exit 1; }
nginx=$(command -v nginx || echo /usr/sbin/nginx)

dir=$(mktemp -d /tmp/pallido-client-load-XXXXXX)
pids=()
replica_pids=()
front_pid=
stop_all() {
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
  for p in "${pids[@]}"; do wait "$p" 2>/dev/null || true; done
  pids=()
  replica_pids=()
  front_pid=
}
trap 'stop_all; rm -rf "$dir"' EXIT

# A port on 127.0.0.1 that nothing listens on, below the ports the system
# gives outgoing connections (thousands of those are open or closing here).
free_port() {
  local p low
  read -r low _ < /proc/sys/net/ipv4/ip_local_port_range
  for _ in $(seq 100); do
    p=$((1024 + RANDOM % (low - 1024)))
    if ! (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; then echo "$p"; return; fi
  done
  return 1
}
wait_port() {
  for _ in $(seq 300); do
    if (exec 3<>/dev/tcp/127.0.0.1/$1) 2>/dev/null; then return 0; fi
    sleep 0.05
  done
  echo "nothing listens on 127.0.0.1:$1" >&2
  tail -n 5 "$dir/servers.log" "$dir/nginx-error.log" >&2 2>/dev/null || true
  return 1
}

# replica BINARY PORT PUBLIC_URL
replica() {
  "$1" --port "$2" --catalog "$dir/catalog.sqlite" --public-url "$3" --quiet 2>>"$dir/servers.log" &
  pids+=($!)
  replica_pids+=($!)
  wait_port "$2"
}

front() { # PORT REPLICA_PORT...
  local port=$1 a=$2 b=$3
  # A fresh picture cache: one binary's pictures must not answer for another's.
  rm -rf "$dir/cache"
  sed -e "s/^\( *\)listen 80;/\1listen 127.0.0.1:$port;/" -e '/listen \[::\]:80;/d' \
      -e "s/127\.0\.0\.1:8711/127.0.0.1:$a/" -e "s/127\.0\.0\.1:8712/127.0.0.1:$b/" \
      -e "s|proxy_cache_path [^ ]*|proxy_cache_path $dir/cache|" \
      "$root/deploy/nginx/pallido.conf" > "$dir/site.conf"
  {
    echo "daemon off; worker_processes auto; pid $dir/nginx.pid; error_log $dir/nginx-error.log warn;"
    [ "$(id -u)" -ne 0 ] || echo "user root;"
    echo "events { worker_connections 4096; }"
    echo "http { access_log off;"
    for t in client_body proxy fastcgi uwsgi scgi; do echo "  ${t}_temp_path $dir/$t;"; done
    echo "  include $dir/site.conf; }"
  } > "$dir/nginx.conf"
  "$nginx" -p "$dir/" -c "$dir/nginx.conf" -e "$dir/nginx-error.log" &
  pids+=($!)
  front_pid=$!
  wait_port "$port"
}

# The replicas started here, and nginx with its workers, comma-separated.
replicas() { (IFS=,; echo "${replica_pids[*]}"); }
front_pids() {
  [ -n "$front_pid" ] || return 0
  local all=("$front_pid" $(pgrep -P "$front_pid" || true))
  (IFS=,; echo "${all[*]}")
}

echo "users: $users, $seconds s each (after 1 s warm-up), GETs through $transport; $(nproc) cores shared by the servers, nginx and the driver"
for pair in "${servers[@]}"; do
  label=${pair%%=*}
  binary=${pair#*=}
  port=$(free_port)
  replica "$binary" "$port" "http://127.0.0.1:$port/"
  "$driver" --catalog "$dir/catalog.sqlite" --base "http://127.0.0.1:$port/" --users "$users" \
    --seconds "$seconds" --transport "$transport" --label "$label direct" --cpu-of "$(replicas)"
  stop_all

  port=$(free_port); a=$(free_port); b=$(free_port)
  replica "$binary" "$a" "http://127.0.0.1:$port/"
  replica "$binary" "$b" "http://127.0.0.1:$port/"
  front "$port" "$a" "$b"
  "$driver" --catalog "$dir/catalog.sqlite" --base "http://127.0.0.1:$port/" --users "$users" \
    --seconds "$seconds" --transport "$transport" --label "$label nginx+2" --cpu-of "$(replicas)" --front-cpu-of "$(front_pids)"
  stop_all
done
