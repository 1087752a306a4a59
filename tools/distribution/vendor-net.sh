#!/usr/bin/env bash
# Runs a command with the vendor's server for tests: nginx on 127.0.0.1:443
# (HTTPS, web host) and 127.0.0.1:80 (HTTP, download host), in a private
# network, mount and PID namespace where the vendor's host names point at
# loopback and a throw-away test CA is trusted.
#
#   vendor-net.sh --site SITE --state DIR [--web-host H1] [--download-host H2]
#                 [--no-https | --dark-https | --dropped-https]
#                 [--no-http | --dark-http | --dropped-http]
#                 [--fault-server PATH] -- COMMAND [ARGS...]
#
#   SITE           what the hosts serve: SITE/web (H1), SITE/download (H2), and
#                  the faults SITE/faults/web/<path>, SITE/faults/download/<path>,
#                  looked at per request (made, empty, when missing)
#   DIR            state of this server: the cached test CA (DIR/ca), nginx's
#                  configuration, pid and logs, the fault server's log
#                  (DIR/fault-server.log); logs start empty on every run
#   H1, H2         default www.zeltasoft.example and download.zeltasoft.example
#   --no-https     leave 443 closed (connections are refused)
#   --no-http      leave 80 closed
#   --dark-https   443 accepts connections and then never reads, writes or
#                  closes them, whatever the client does, not even the TLS
#                  handshake (the fault server holds them until it stops)
#   --dark-http    the same for 80
#   --dropped-https  connection attempts to 443 are dropped by a packet
#                  filter (nft): no answer to the first packet, the connect
#                  itself hangs. Where no filter can be set, COMMAND runs with
#                  ZELTA_NO_PACKET_FILTER telling why (443 then refuses)
#   --dropped-http the same for 80
#   --fault-server the fault-server program (default $ZELTA_FAULT_SERVER, else
#                  the native build's, build/native/fault-server)
#
# COMMAND runs with ZELTA_SITE (absolute SITE) and ZELTA_VENDOR_STATE (DIR) set,
# and ZELTA_DROPPED_PORTS (the ports whose attempts are dropped) when any are;
# the exit code is COMMAND's. On the way out, also on failure or a signal,
# nginx, the fault server and whatever COMMAND left running are ended. Needs
# root (unshare, mount).
set -euo pipefail

self=$(readlink -f "$0")
here=$(dirname "$self")
root=$(cd "$here/../.." && pwd)

# Inside, nginx sends fault requests here; the namespace's loopback is ours.
fault_port=8470

usage() {  # EXIT_CODE
  sed -n '2,/^set -euo/p' "$self" | sed -e '/^set -euo/d' -e 's/^# \{0,1\}//' >&2
  exit "$1"
}

die() {
  echo "vendor-net: $*" >&2
  exit 2
}

site="" state="" web_host=www.zeltasoft.example download_host=download.zeltasoft.example
https=1 http=1 dark_https=0 dark_http=0 dropped_https=0 dropped_http=0
fault_server=${ZELTA_FAULT_SERVER:-}
while [ $# -gt 0 ]; do
  case $1 in
    --site) site=${2:?--site needs a folder}; shift 2 ;;
    --state) state=${2:?--state needs a folder}; shift 2 ;;
    --web-host) web_host=${2:?--web-host needs a name}; shift 2 ;;
    --download-host) download_host=${2:?--download-host needs a name}; shift 2 ;;
    --fault-server) fault_server=${2:?--fault-server needs a program}; shift 2 ;;
    --no-https) https=0; shift ;;
    --no-http) http=0; shift ;;
    --dark-https) dark_https=1; shift ;;
    --dark-http) dark_http=1; shift ;;
    --dropped-https) dropped_https=1; shift ;;
    --dropped-http) dropped_http=1; shift ;;
    --) shift; break ;;
    -h|--help) usage 0 ;;
    *) die "unknown argument $1 (see --help)" ;;
  esac
done
[ $# -gt 0 ] || die "no command given after --"
[ -n "$site" ] || die "--site is required"
[ -n "$state" ] || die "--state is required"
[ $(( (1 - https) + dark_https + dropped_https )) -le 1 ] ||
  die "--no-https, --dark-https and --dropped-https exclude each other"
[ $(( (1 - http) + dark_http + dropped_http )) -le 1 ] ||
  die "--no-http, --dark-http and --dropped-http exclude each other"
# A dark port is the fault server's, not nginx's; a dropped one nobody's.
[ $dark_https = 0 ] && [ $dropped_https = 0 ] || https=0
[ $dark_http = 0 ] && [ $dropped_http = 0 ] || http=0
for name in "$web_host" "$download_host"; do
  [[ $name =~ ^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?$ ]] || die "not a host name: $name"
done

if [ "${ZELTA_VENDOR_NET_INSIDE:-}" != 1 ]; then
  [ "$(id -u)" = 0 ] || die "needs root (network and mount namespaces)"
  # Tests may start from nothing and write the site while the server runs.
  mkdir -p "$site/web" "$site/download" "$site/faults/web" "$site/faults/download"
  site=$(cd "$site" && pwd)
  mkdir -p "$state"
  state=$(cd "$state" && pwd)
  [ -n "$fault_server" ] || fault_server=${BUILD_DIR:-$root/build}/native/fault-server
  [ -x "$fault_server" ] || die "no fault server at $fault_server (build the native build)"
  fault_server=$(readlink -f "$fault_server")
  command -v nginx >/dev/null || die "nginx is not installed"
  "$here/make-test-ca.sh" "$state/ca" "$web_host" "$download_host" localhost

  args=(--site "$site" --state "$state" --web-host "$web_host" --download-host "$download_host"
        --fault-server "$fault_server")
  if [ $dark_https = 1 ]; then args+=(--dark-https)
  elif [ $dropped_https = 1 ]; then args+=(--dropped-https)
  elif [ $https = 0 ]; then args+=(--no-https); fi
  if [ $dark_http = 1 ]; then args+=(--dark-http)
  elif [ $dropped_http = 1 ]; then args+=(--dropped-http)
  elif [ $http = 0 ]; then args+=(--no-http); fi
  # A PID namespace as well: when this script (its first process) ends, the
  # kernel ends everything started in it, even after a SIGKILL.
  # Started in the background, it would ignore SIGINT for good (bash's rule
  # for background commands), and its SIGINT trap with it: Ctrl-C would
  # never end a command that does not end by itself.
  export ZELTA_VENDOR_NET_INSIDE=1
  unshare --net --mount --pid --fork --kill-child=SIGTERM --mount-proc \
    env --default-signal=INT bash "$self" "${args[@]}" -- "$@" <&0 &
  unshare_pid=$!

  # unshare holds SIGTERM and SIGINT back while it waits for its child, so
  # pass them to the child (this script inside) ourselves.
  forward() {
    pkill -"$1" -P "$unshare_pid" 2>/dev/null
    return 0
  }
  trap 'forward TERM' TERM
  trap 'forward INT' INT
  trap 'forward HUP' HUP
  # Each pass ends with unshare or with a signal (which the trap passes on).
  while :; do
    status=0
    wait "$unshare_pid" || status=$?
    kill -0 "$unshare_pid" 2>/dev/null || break
  done
  exit "$status"
fi
unset ZELTA_VENDOR_NET_INSIDE

# From here on: inside the namespaces, as their first process.

exec 9>"$state/.run-lock"
flock -w 300 9 || die "$state is in use by another run"

nginx_pid="" fault_pid="" command_pid="" cleaned=0

stop_process() {
  local pid=$1
  [ -n "$pid" ] || return 0
  kill -TERM "$pid" 2>/dev/null || return 0
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -KILL "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}

cleanup() {
  [ "$cleaned" = 1 ] && return 0
  cleaned=1
  [ -z "$command_pid" ] || stop_process "$command_pid"
  stop_process "$nginx_pid"
  stop_process "$fault_pid"
  # Whatever COMMAND left behind (a wineserver, a background job) lives in
  # this PID namespace and would die with it; end it gently first.
  if [ $$ = 1 ]; then
    local p pid left=()
    for p in /proc/[0-9]*; do
      pid=${p#/proc/}
      [ "$pid" = 1 ] && continue
      [ -r "$p/comm" ] || continue
      echo "vendor-net: ending leftover process $pid ($(cat "$p/comm" 2>/dev/null || true))" >&2
      kill -TERM "$pid" 2>/dev/null && left+=("$pid")
    done
    for pid in "${left[@]}"; do stop_process "$pid"; done
  fi
}

on_signal() {
  # Ctrl-C comes twice, from the terminal and passed on from outside; the
  # bounded cleanup runs to its end once.
  trap '' INT TERM HUP
  echo "vendor-net: $1, stopping" >&2
  cleanup
  exit "$2"
}

trap cleanup EXIT
trap 'on_signal SIGTERM 143' TERM
trap 'on_signal SIGINT 130' INT
trap 'on_signal SIGHUP 129' HUP

mount --make-rprivate /
ip link set lo up

# The vendor's names point at loopback (IPv4 only: nginx listens there).
cat > "$state/hosts" <<EOF
127.0.0.1 localhost
::1 localhost ip6-localhost ip6-loopback
127.0.0.1 $web_host $download_host
EOF
mount --bind "$state/hosts" /etc/hosts

# The system's bundle plus the test CA, in this mount namespace only. Wine's
# crypt32, curl and OpenSSL all read this file.
bundle=/etc/ssl/certs/ca-certificates.crt
{ cat "$bundle" 2>/dev/null || true; cat "$state/ca/ca.crt"; } > "$state/ca-bundle.crt"
if [ ! -e "$bundle" ]; then
  # No bundle on this machine: a bind mount needs a file to cover, and the
  # machine's folder must not change, so cover the folder in here instead.
  [ -d "$(dirname "$bundle")" ] || die "no $(dirname "$bundle") (install ca-certificates)"
  mount -t tmpfs -o mode=0755 zelta-certs "$(dirname "$bundle")"
  : > "$bundle"
fi
mount --bind "$state/ca-bundle.crt" "$bundle"

mkdir -p "$state/tmp"
: > "$state/nginx-error.log"
: > "$state/nginx-access.log"
: > "$state/fault-server.log"
rm -f "$state/nginx.pid"

served=()
[ $https = 0 ] || served+=(--https 443)
[ $http = 0 ] || served+=(--http 80)
# Root reads the tests' private site folders.
"$here/nginx-conf.sh" --site "$site" --state "$state" --web-host "$web_host" \
  --download-host "$download_host" "${served[@]}" --user root --fault-port "$fault_port"

if ! nginx -t -q -p "$state" -c "$state/nginx.conf" >>"$state/nginx-error.log" 2>&1; then
  cat "$state/nginx-error.log" >&2
  die "nginx does not accept $state/nginx.conf"
fi

# Connection attempts to a dropped port get no answer at all: a packet
# filter of this namespace drops every packet sent to it.
dropped=()
[ $dropped_https = 0 ] || dropped+=(443)
[ $dropped_http = 0 ] || dropped+=(80)
if [ ${#dropped[@]} -gt 0 ]; then
  filter_error=""
  if ! command -v nft >/dev/null; then
    filter_error="nft is not installed (scripts/setup.sh installs nftables)"
  elif ! filter_error=$(nft -f - 2>&1 <<EOF
table inet zelta_dropped {
  chain input {
    type filter hook input priority 0; policy accept;
    tcp dport { $(IFS=,; echo "${dropped[*]}") } drop
  }
}
EOF
  ); then
    filter_error="nft cannot filter in this namespace: $(echo "$filter_error" | head -n 1)"
  else
    filter_error=""
  fi
  if [ -n "$filter_error" ]; then
    echo "vendor-net: no dropped ports: $filter_error" >&2
    export ZELTA_NO_PACKET_FILTER=$filter_error
  else
    export ZELTA_DROPPED_PORTS="${dropped[*]}"
  fi
fi

dark=()
[ $dark_https = 0 ] || dark+=(--dark-port 443)
[ $dark_http = 0 ] || dark+=(--dark-port 80)
"$fault_server" --port "$fault_port" --site "$site" --log "$state/fault-server.log" "${dark[@]}" \
  </dev/null >>"$state/fault-server.log" 2>&1 9>&- &
fault_pid=$!
nginx -p "$state" -c "$state/nginx.conf" </dev/null >>"$state/nginx-error.log" 2>&1 9>&- &
nginx_pid=$!

# Waits until every port listens (read from the kernel's table, so no test
# connection shows up in the logs).
listening() {
  local hex
  hex=$(printf '0100007F:%04X' "$1")
  awk -v a="$hex" '$2 == a && $4 == "0A" { found = 1 } END { exit !found }' /proc/net/tcp
}
ports=("$fault_port")
[ $https = 0 ] && [ $dark_https = 0 ] || ports+=(443)
[ $http = 0 ] && [ $dark_http = 0 ] || ports+=(80)
ready=0
for _ in $(seq 1 200); do
  kill -0 "$nginx_pid" 2>/dev/null || break
  kill -0 "$fault_pid" 2>/dev/null || break
  ready=1
  for port in "${ports[@]}"; do
    listening "$port" || ready=0
  done
  [ $ready = 0 ] || break
  sleep 0.05
done
if [ $ready = 0 ]; then
  tail -n 20 "$state/nginx-error.log" "$state/fault-server.log" >&2 || true
  echo "vendor-net: the server did not start" >&2
  exit 2
fi

export ZELTA_SITE=$site
export ZELTA_VENDOR_STATE=$state
# In the background, so that a signal reaches the trap at once; stdin stays
# the caller's.
"$@" <&0 9>&- &
command_pid=$!
status=0
wait "$command_pid" || status=$?
command_pid=""
exit "$status"
