#!/usr/bin/env bash
# Serves a site folder, as `zelta-dist site` writes it, for try-outs on this
# machine: nginx on 127.0.0.1 and ::1 only, the web host over HTTPS, the
# download host over plain HTTP, until Ctrl-C or SIGTERM. `zelta-dist serve`
# runs this script.
#
#   zelta-dist serve SITE [--port-https N] [--port-http N] [--state DIR]
#
#   SITE          SITE/web is the web host's root, SITE/download the other's
#   --port-https  default 443, --port-http default 80: the installer's ports
#   --state DIR   the test CA, the .reg file, nginx's configuration, pid and
#                 logs; default $XDG_STATE_HOME/zelta-serve, else
#                 ~/.local/state/zelta-serve. The CA stays there for later
#                 runs, so that it needs trusting once only.
#
# The host names are ZELTA_WEB_HOST and ZELTA_DOWNLOAD_HOST (default
# www.zeltasoft.example and download.zeltasoft.example). Nothing on the
# machine is changed: the lines printed at the start tell how to point the
# names at loopback and how to trust the CA.
set -euo pipefail

self=$(readlink -f "$0")
here=$(dirname "$self")

help() {
  sed -n '7,/^set -euo/p' "$self" | sed -e '/^set -euo/d' -e 's/^# \{0,1\}//'
  exit 0
}

die() {  # EXIT_CODE MESSAGE
  echo "zelta-dist serve: $2" >&2
  exit "$1"
}

site="" state="" https_port=443 http_port=80
web_host=${ZELTA_WEB_HOST:-www.zeltasoft.example}
download_host=${ZELTA_DOWNLOAD_HOST:-download.zeltasoft.example}
while [ $# -gt 0 ]; do
  case $1 in
    --port-https) https_port=${2:?--port-https needs a port}; shift 2 ;;
    --port-http) http_port=${2:?--port-http needs a port}; shift 2 ;;
    --state) state=${2:?--state needs a folder}; shift 2 ;;
    -h|--help) help ;;
    -*) die 2 "unknown option $1 (see --help)" ;;
    *) [ -z "$site" ] || die 2 "one SITE only"; site=$1; shift ;;
  esac
done
[ -n "$site" ] || die 2 "no SITE given (see --help)"

for port in "$https_port" "$http_port"; do
  [[ $port =~ ^[1-9][0-9]{0,4}$ ]] && [ "$port" -le 65535 ] || die 2 "not a port: $port"
done
[ "$https_port" != "$http_port" ] || die 2 "the two hosts need two ports"
if [ "$(id -u)" != 0 ]; then
  lowest=$(cat /proc/sys/net/ipv4/ip_unprivileged_port_start 2>/dev/null || echo 1024)
  for port in "$https_port" "$http_port"; do
    [ "$port" -ge "$lowest" ] ||
      die 2 "port $port is below $lowest and needs root: run as root, or pick others (--port-https 8443 --port-http 8080)"
  done
fi
[ -d "$site/web" ] && [ -d "$site/download" ] ||
  die 2 "$site has no web/ and download/ folders (zelta-dist site DESCRIPTION SITE makes them)"
site=$(cd "$site" && pwd)
command -v nginx >/dev/null || die 1 "nginx is not installed"

[ -n "$state" ] || state=${XDG_STATE_HOME:-$HOME/.local/state}/zelta-serve
mkdir -p "$state"
state=$(cd "$state" && pwd)
exec 9>"$state/.serve-lock"
flock -n 9 || die 1 "$state is in use by another zelta-dist serve"

"$here/make-test-ca.sh" "$state/ca" "$web_host" "$download_host" localhost
ca=$state/ca/ca.crt

# For one Wine prefix: the CA in the current user's Root store. The key is
# the certificate's SHA-1 thumbprint; Blob is the serialized property list,
# here one CERT_CERT_PROP_ID (0x20) entry: id, 1, length (little-endian
# DWORDs), then the DER bytes.
reg=$state/zelta-test-ca.reg
der=$(openssl x509 -in "$ca" -outform DER | od -An -v -tx1 | tr -d ' \n')
thumb=$(openssl x509 -in "$ca" -outform DER | sha1sum | cut -c1-40 | tr a-f A-F)
n=$(( ${#der} / 2 ))
length=$(printf '%02x%02x%02x%02x' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24)))
{
  echo "Windows Registry Editor Version 5.00"
  echo
  echo "[HKEY_CURRENT_USER\\Software\\Microsoft\\SystemCertificates\\Root\\Certificates\\$thumb]"
  # Wrapped as regedit writes it: ",\" and two blanks.
  echo "2000000001000000$length$der" | awk '{
    n = length($0) / 2; line = "\"Blob\"=hex:"
    for (i = 0; i < n; i++) {
      if (length(line) > 74) { print line "\\"; line = "  " }
      line = line substr($0, 2 * i + 1, 2) (i < n - 1 ? "," : "")
    }
    print line
  }'
} | sed 's/$/\r/' > "$reg"

conf=(--site "$site" --state "$state" --web-host "$web_host" --download-host "$download_host"
      --https "$https_port" --http "$http_port")
grep -q '^0\{31\}1 .* lo$' /proc/net/if_inet6 2>/dev/null && conf+=(--ipv6)
# Root reads sites in private folders, as the tests' server does.
[ "$(id -u)" != 0 ] || conf+=(--user root)
"$here/nginx-conf.sh" "${conf[@]}"
: > "$state/nginx-error.log"
: > "$state/nginx-access.log"
rm -f "$state/nginx.pid"
# -e: nginx would open the system's error log before reading ours.
nginx_args=(-p "$state" -e "$state/nginx-error.log" -c "$state/nginx.conf")
if ! nginx -t -q "${nginx_args[@]}" >>"$state/nginx-error.log" 2>&1; then
  cat "$state/nginx-error.log" >&2
  die 1 "nginx does not accept $state/nginx.conf"
fi

nginx_pid=""
stop() {
  if [ -n "$nginx_pid" ]; then
    kill -TERM "$nginx_pid" 2>/dev/null || true
    for _ in $(seq 1 100); do
      kill -0 "$nginx_pid" 2>/dev/null || break
      sleep 0.05
    done
    kill -KILL "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=""
  fi
  rm -f "$state/nginx.pid"
}
on_signal() {
  echo "zelta-dist serve: $1, stopping" >&2
  stop
  exit "$2"
}
trap stop EXIT
trap 'on_signal SIGINT 130' INT
trap 'on_signal SIGTERM 143' TERM
trap 'on_signal SIGHUP 129' HUP

# nginx gets SIGTERM should this script die without its trap (SIGKILL).
setpriv --pdeathsig TERM -- nginx "${nginx_args[@]}" </dev/null >>"$state/nginx-error.log" 2>&1 9>&- &
nginx_pid=$!

listening() {  # PORT: 127.0.0.1:PORT listens (and [::1]:PORT with --ipv6)
  local hex
  hex=$(printf '%04X' "$1")
  awk -v a="0100007F:$hex" '$2 == a && $4 == "0A" { f = 1 } END { exit !f }' /proc/net/tcp || return 1
  [[ " ${conf[*]} " == *" --ipv6 "* ]] || return 0
  awk -v a="00000000000000000000000001000000:$hex" '$2 == a && $4 == "0A" { f = 1 } END { exit !f }' /proc/net/tcp6
}
ready=0
for _ in $(seq 1 200); do
  kill -0 "$nginx_pid" 2>/dev/null || break
  listening "$https_port" && listening "$http_port" && { ready=1; break; }
  sleep 0.05
done
if [ $ready = 0 ]; then
  tail -n 20 "$state/nginx-error.log" >&2 || true
  die 1 "nginx did not start"
fi

url() {  # SCHEME HOST PORT DEFAULT_PORT
  if [ "$3" = "$4" ]; then echo "$1://$2"; else echo "$1://$2:$3"; fi
}
web_url=$(url https "$web_host" "$https_port" 443)
download_url=$(url http "$download_host" "$http_port" 80)
probe=$(cd "$site/web" && find . -maxdepth 4 -name Update.ini -print -quit)
cat <<EOF
Serving $site
  web host (HTTPS):     $web_url/  from $site/web
  download host (HTTP): $download_url/  from $site/download
EOF
[ "$https_port/$http_port" = 443/80 ] ||
  echo "  (the installer itself asks ports 443 and 80 only)"
[ -z "$probe" ] || cat <<EOF
  try: curl --cacert $(printf %q "$ca") --resolve $web_host:$https_port:127.0.0.1 $web_url/${probe#./}
EOF
cat <<EOF
CA certificate: $ca
For the installer, add this line to /etc/hosts:
  127.0.0.1 $web_host $download_host
and trust the CA on this machine (Wine's crypt32 reads the system bundle), as root:
  cp $(printf %q "$ca") /usr/local/share/ca-certificates/zelta-test-ca.crt
  update-ca-certificates
or in one Wine prefix only:
  WINEPREFIX=$(printf %q "${WINEPREFIX:-$HOME/.wine}") wine regedit /S $(printf %q "$reg")
Requests are logged in $state/nginx-access.log. Ctrl-C stops the server.
EOF

status=0
wait "$nginx_pid" || status=$?
nginx_pid=""
tail -n 5 "$state/nginx-error.log" >&2 || true
die 1 "nginx ended by itself (exit code $status)"
