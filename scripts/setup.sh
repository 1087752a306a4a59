#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Quick and silent when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake git
  g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
  wine wine32:i386 wine64 fonts-wine libgnutls30:i386
  xvfb xauth imagemagick ffmpeg
  googletest locales
  nginx-light openssl ca-certificates curl libcurl4-openssl-dev iproute2 util-linux procps nftables
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}; [ "$arch" = "$p" ] && arch=""
  q=$name${arch:+:$arch}
  if ! dpkg-query -W -f='${Status}\n' "$q" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "setup: missing packages (${missing[*]}); run as root to install them" >&2
  exit 1
fi

echo "setup: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
fi
# Package installs must never start services (nginx would listen on every
# interface); the tests run their own servers on loopback.
policy=/usr/sbin/policy-rc.d
own_policy=0
if [ ! -e "$policy" ]; then
  printf '#!/bin/sh\nexit 101\n' > "$policy"
  chmod +x "$policy"
  own_policy=1
fi
trap '[ $own_policy -eq 1 ] && rm -f "$policy"' EXIT
apt-get update -q
apt-get install -y -q "${missing[@]}"
