#!/usr/bin/env bash
# Makes a throw-away test CA and a server certificate for the given DNS
# names (Wine 8 matches DNS names only, never IP addresses):
#
#   make-test-ca.sh DIR NAME...
#
# DIR gets ca.key, ca.crt, server.key and server.crt. They are made once and
# reused while they cover the same names and stay valid for another day.
# The keys are for tests on loopback only; nothing here touches the
# machine's trust store.
set -euo pipefail

dir=${1:?usage: make-test-ca.sh DIR NAME...}
shift
[ $# -gt 0 ] || { echo "make-test-ca: no DNS names" >&2; exit 2; }
for name in "$@"; do
  if ! [[ $name =~ ^[A-Za-z0-9]([A-Za-z0-9.-]*[A-Za-z0-9])?$ ]]; then
    echo "make-test-ca: not a DNS name: $name" >&2
    exit 2
  fi
done

mkdir -p "$dir"
exec 8>"$dir/.lock"
flock -w 60 8 || { echo "make-test-ca: $dir is locked" >&2; exit 1; }

names=$(printf '%s\n' "$@")
if [ -s "$dir/server.crt" ] && [ -s "$dir/server.key" ] && [ -s "$dir/ca.crt" ] &&
   [ "$(cat "$dir/names" 2>/dev/null)" = "$names" ] &&
   openssl x509 -in "$dir/server.crt" -noout -checkend 86400 >/dev/null 2>&1 &&
   openssl verify -CAfile "$dir/ca.crt" "$dir/server.crt" >/dev/null 2>&1; then
  exit 0
fi

tmp=$(mktemp -d "$dir/.new.XXXXXX")
trap 'rm -rf "$tmp"' EXIT

san=""
for name in "$@"; do
  san+="${san:+,}DNS:$name"
done

# Own configuration files: the system's openssl.cnf would add extensions of
# its own to the CA.
cat > "$tmp/ca.cnf" <<EOF
[req]
distinguished_name = dn
prompt = no
x509_extensions = ca
[dn]
CN = ZeltaCAD test CA (throw-away)
O = ZeltaCAD tests
[ca]
basicConstraints = critical, CA:TRUE
keyUsage = critical, keyCertSign, cRLSign
subjectKeyIdentifier = hash
EOF

cat > "$tmp/server.cnf" <<EOF
[req]
distinguished_name = dn
prompt = no
[dn]
CN = $1
O = ZeltaCAD tests
[server]
basicConstraints = critical, CA:FALSE
keyUsage = critical, digitalSignature, keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = $san
subjectKeyIdentifier = hash
authorityKeyIdentifier = keyid, issuer
EOF

openssl req -x509 -new -newkey rsa:2048 -nodes -sha256 -days 3650 \
  -config "$tmp/ca.cnf" -keyout "$tmp/ca.key" -out "$tmp/ca.crt" 2>/dev/null
openssl req -new -newkey rsa:2048 -nodes -sha256 \
  -config "$tmp/server.cnf" -keyout "$tmp/server.key" -out "$tmp/server.csr" 2>/dev/null
openssl x509 -req -sha256 -days 825 -in "$tmp/server.csr" \
  -CA "$tmp/ca.crt" -CAkey "$tmp/ca.key" -set_serial "0x$(openssl rand -hex 8)" \
  -extfile "$tmp/server.cnf" -extensions server -out "$tmp/server.crt" 2>/dev/null
openssl verify -CAfile "$tmp/ca.crt" "$tmp/server.crt" >/dev/null

chmod 600 "$tmp/ca.key" "$tmp/server.key"
for f in ca.key ca.crt server.key server.crt; do
  mv -f "$tmp/$f" "$dir/$f"
done
printf '%s\n' "$names" > "$dir/names"
