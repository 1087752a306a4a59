#!/usr/bin/env bash
# Writes the nginx configuration that serves a site as the vendor's two
# hosts, on loopback only: the web host over HTTPS, the download host over
# plain HTTP. Used by vendor-net.sh (tests) and zelta-serve.sh (try-outs).
#
#   nginx-conf.sh --site SITE --state DIR --web-host H1 --download-host H2
#                 [--https PORT] [--http PORT] [--ipv6] [--user NAME]
#                 [--fault-port N]
#
#   SITE          SITE/web is the web host's root, SITE/download the other's
#   DIR           gets nginx.conf; pid, logs and temporary files go there too;
#                 the HTTPS host's certificate is DIR/ca/server.crt (and .key)
#   --https/--http  the ports (a host without its port is left out)
#   --ipv6        listen on ::1 as well as 127.0.0.1
#   --user        the workers' user (only for a master that runs as root)
#   --fault-port  requests that have a fault file (SITE/faults/...) go to the
#                 fault server on 127.0.0.1:N; also writes DIR/fault-proxy.conf
set -euo pipefail

die() {
  echo "nginx-conf: $*" >&2
  exit 2
}

site="" state="" web_host="" download_host="" https_port="" http_port=""
ipv6=0 user="" fault_port=""
while [ $# -gt 0 ]; do
  case $1 in
    --site) site=${2:?--site needs a folder}; shift 2 ;;
    --state) state=${2:?--state needs a folder}; shift 2 ;;
    --web-host) web_host=${2:?--web-host needs a name}; shift 2 ;;
    --download-host) download_host=${2:?--download-host needs a name}; shift 2 ;;
    --https) https_port=${2:?--https needs a port}; shift 2 ;;
    --http) http_port=${2:?--http needs a port}; shift 2 ;;
    --ipv6) ipv6=1; shift ;;
    --user) user=${2:?--user needs a name}; shift 2 ;;
    --fault-port) fault_port=${2:?--fault-port needs a port}; shift 2 ;;
    *) die "unknown argument $1" ;;
  esac
done
[ -n "$site" ] && [ -n "$state" ] && [ -n "$web_host" ] && [ -n "$download_host" ] ||
  die "--site, --state, --web-host and --download-host are required"
# Paths go into quoted nginx strings, where these characters would not stay
# what they are.
bad='["$\[:cntrl:]]'
for path in "$site" "$state"; do
  [[ ! $path =~ $bad ]] || die "nginx cannot be given this path: $path"
done

# Writes one server block. With a fault server, requests with a fault file
# go there (/.zelta/fault); everything else is a static file.
server_block() {
  local key=$1 port=$2 name=$3 ssl=${4:-}
  echo "  server {"
  echo "    listen 127.0.0.1:$port${ssl:+ $ssl};"
  [ $ipv6 = 0 ] || echo "    listen [::1]:$port${ssl:+ $ssl};"
  cat <<EOF
    server_name $name localhost;
    root "$site/$key";
EOF
  if [ -n "$ssl" ]; then
    cat <<EOF
    ssl_certificate "$state/ca/server.crt";
    ssl_certificate_key "$state/ca/server.key";
    ssl_protocols TLSv1.2 TLSv1.3;
EOF
  fi
  cat <<'EOF'

    # A backslash in the path (raw or %5C, both decoded by now) separates
    # folders, as on a Windows server: one rewrite per backslash.
EOF
  for _ in $(seq 1 32); do
    echo '    rewrite ^([^\x5C]*)\x5C(.*)$ $1/$2;'
  done
  if [ -z "$fault_port" ]; then
    cat <<'EOF'

    location / {
    }
  }
EOF
    return
  fi
  cat <<EOF

    if (-f "$site/faults/$key\$uri") {
      rewrite ^ /.zelta/fault last;
    }

    location / {
    }

    # The fault server gets the request target as the client sent it, twice.
    # On the first pass it names the location that answers (X-Accel-Redirect):
    # there the client's connection is kept whatever the client does, so that
    # a client that shuts its end at once still gets to the second. Buffering
    # off, so that short and dropped bodies and slow pieces reach the client
    # as they leave the fault server. nginx ends the client's connection when
    # the client shuts its end or goes, except where an answer goes dark;
    # and it puts chunks around a body that has no length, except where such
    # a body is sent: there the end of the body is the end of the connection.
EOF
  fault_location fault "proxy_set_header X-Zelta-Answer-Location /.zelta/answer;" \
    "proxy_set_header X-Zelta-Close-Location /.zelta/close-delimited;" \
    "proxy_set_header X-Zelta-Dark-Location /.zelta/dark;" \
    "proxy_ignore_client_abort on;" "proxy_read_timeout 10s;"
  fault_location answer "proxy_read_timeout 180s;"
  fault_location close-delimited "chunked_transfer_encoding off;" "proxy_read_timeout 180s;"
  fault_location dark "proxy_ignore_client_abort on;" "proxy_read_timeout 1d;" "send_timeout 1d;"
  echo "  }"
}

# Writes a location of server_block's host ($key) that hands the request to
# the fault server; the further arguments are its own lines.
fault_location() {  # NAME LINE...
  local name=$1
  shift
  cat <<EOF

    location = /.zelta/$name {
      internal;
      proxy_pass http://127.0.0.1:$fault_port\$request_uri;
      proxy_set_header X-Zelta-Host $key;
      include "$state/fault-proxy.conf";
EOF
  printf '      %s\n' "$@"
  echo "    }"
}

if [ -n "$fault_port" ]; then
  cat > "$state/fault-proxy.conf" <<'EOF'
proxy_http_version 1.1;
proxy_set_header Host $host;
proxy_set_header Connection "";
proxy_buffering off;
proxy_request_buffering off;
proxy_redirect off;
proxy_intercept_errors off;
proxy_connect_timeout 5s;
proxy_send_timeout 60s;
# Each location sets proxy_read_timeout: longer than any stall a test
# holds, so that nginx never answers 504 itself.
EOF
fi

{
  cat <<EOF
# Written by nginx-conf.sh, anew on every start.
daemon off;
master_process on;
worker_processes 1;
EOF
  if [ -n "$user" ]; then
    echo "# Sites may lie in private folders: read them as this user."
    echo "user $user;"
  fi
  cat <<EOF
pid "$state/nginx.pid";
error_log "$state/nginx-error.log" info;

events {
  worker_connections 256;
}

http {
  log_format zelta '\$remote_addr [\$time_local] "\$request" \$status \$body_bytes_sent "\$uri" c\$connection t\$msec \$ssl_protocol/\$ssl_cipher';
  access_log "$state/nginx-access.log" zelta;
  client_body_temp_path "$state/tmp/body";
  proxy_temp_path "$state/tmp/proxy";
  fastcgi_temp_path "$state/tmp/fastcgi";
  uwsgi_temp_path "$state/tmp/uwsgi";
  scgi_temp_path "$state/tmp/scgi";

  default_type application/octet-stream;
  types {
    text/plain ini txt;
    text/html html htm;
  }
  sendfile on;
  server_tokens off;
  keepalive_timeout 30s;
  keepalive_requests 1000;
  # A good server: validators, 304 for a matching If-None-Match or the
  # exact If-Modified-Since, and ranges (guarded by If-Range). No gzip: the
  # installer wants the files' own lengths.
  etag on;
  if_modified_since exact;
  autoindex off;

EOF
  [ -z "$https_port" ] || server_block web "$https_port" "$web_host" ssl
  [ -z "$http_port" ] || server_block download "$http_port" "$download_host"
  echo "}"
} > "$state/nginx.conf"
mkdir -p "$state/tmp"
