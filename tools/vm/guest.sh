#!/usr/bin/env bash
# An emulated x86 machine for the Windows side, for hosts whose kernel runs
# no 32-bit programs (ia32 emulation off): Wine's 32-bit loader cannot start
# there at all. The guest is Debian 12 with the same Wine, booted under
# qemu's software CPU (no KVM needed); the checkout is shared into it at the
# same path, so the programs built on the host run in it unchanged. It is
# several times slower than Wine on the host, so it is used only when the
# host cannot run Wine itself.
#
#   guest.sh can-run-32bit        exit 0 when this kernel runs i386 programs
#                                 (ZELTA_NO_32BIT=1: never)
#   guest.sh image                build the guest disk once (about 5 minutes);
#                                 rebuilt when its recipe below changes
#   guest.sh run CMDFILE PATH...  boot the guest with each PATH shared at the
#                                 same path, run "bash CMDFILE" in it (output
#                                 here) and exit with its exit code
#
# ZELTA_GUEST_DIR (default /var/cache/zelta-guest) holds the disk, the kernel
# and the initrd. ZELTA_GUEST_TIMEOUT bounds a run (seconds, default 4800).
set -euo pipefail

state=${ZELTA_GUEST_DIR:-/var/cache/zelta-guest}
keyring=/usr/share/keyrings/debian-archive-keyring.gpg
# The guest installs from the mirrors this machine's apt uses.
. "$(dirname "$(readlink -f "$0")")/../apt-mirrors.sh"

# What the Windows tests use inside the guest. The host builds everything,
# the guest only runs it (the native vendor tools carry the sanitizers).
# Recommended packages stay out: their i386 install scripts cannot run in the
# chroot on such a host. The fonts the host's Wine falls back to are named
# instead, so that texts measure the same.
guest_packages="wine wine32:i386 wine64 fonts-wine libgnutls30:i386
  xvfb xauth imagemagick locales cmake nginx-light openssl ca-certificates
  curl libcurl4 iproute2 util-linux procps libasan8 libubsan1
  binutils-mingw-w64-i686 ffmpeg fontconfig fonts-dejavu-core fonts-dejavu-extra
  fonts-liberation fonts-droid-fallback fonts-noto-mono fonts-urw-base35
  gsfonts xfonts-base"

# The tests bind their own hosts file over this one inside their network
# namespaces, so it must exist.
guest_hosts='127.0.0.1 localhost
127.0.1.1 zvm
::1 localhost ip6-localhost ip6-loopback
'


# The guest's first process: mounts the shared folders (kernel arguments
# zvm.share=PATH,PATH...; tags share0, share1, ...), runs the command file
# (zvm.cmd=FILE), leaves its exit code in FILE.rc and powers off.
guest_init='#!/bin/bash
mount -t proc proc /proc
mount -t sysfs sys /sys 2>/dev/null
mount -t devtmpfs dev /dev 2>/dev/null
mkdir -p /dev/pts /dev/shm
mount -t devpts devpts /dev/pts
mount -t tmpfs tmpfs /dev/shm
mount -t tmpfs tmpfs /tmp
mount -t tmpfs tmpfs /run
export HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
shares= ; cmd=
for a in $(cat /proc/cmdline); do
  case $a in zvm.share=*) shares=${a#zvm.share=} ;; zvm.cmd=*) cmd=${a#zvm.cmd=} ;; esac
done
ip link set lo up
hostname zvm
modprobe 9pnet_virtio; modprobe 9p
ok=1; n=0
IFS=, read -ra paths <<< "$shares"
for p in "${paths[@]}"; do
  mkdir -p "$p"
  mount -t 9p -o trans=virtio,version=9p2000.L,msize=512000,cache=loose "share$n" "$p" || ok=0
  n=$((n + 1))
done
if [ $ok = 1 ]; then
  echo "zvm: ready"
  set -o pipefail
  (cd "$(dirname "$cmd")" && bash "$cmd" < /dev/null 2>&1 | cat)
  echo $? > "$cmd.rc"
  sync
else
  echo "zvm: a shared folder does not mount" >&2
fi
echo o > /proc/sysrq-trigger
sleep 30
'

# The mirror is not part of the recipe: a disk built from another mirror
# holds the same packages.
recipe_stamp() {
  printf '%s\n%s\n%s\n' "$guest_packages" "$guest_init" "$guest_hosts" | sha256sum | cut -d' ' -f1
}

can_run_32bit() {
  # ZELTA_NO_32BIT=1 answers no on any host, to try the other road.
  [ "${ZELTA_NO_32BIT:-}" != 1 ] || return 1
  # Wine's loader is an i386 program; on such a kernel it fails with
  # "Exec format error" before it prints its version.
  wine --version >/dev/null 2>&1
}

host_tools() {
  local need=()
  command -v qemu-system-x86_64 >/dev/null || need+=(qemu-system-x86)
  command -v debootstrap >/dev/null || need+=(debootstrap)
  command -v mkfs.ext4 >/dev/null || need+=(e2fsprogs)
  [ ${#need[@]} -eq 0 ] && return 0
  echo "guest: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null 2>&1 ||
    { apt-get update -q >/dev/null && apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null; }
}

build_image() {
  local stamp
  stamp=$(recipe_stamp)
  if [ -f "$state/ready" ] && [ "$(cat "$state/ready")" = "$stamp" ]; then
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "guest: building the guest disk needs root (debootstrap, chroot)" >&2
    return 1
  fi
  host_tools
  mkdir -p "$state"
  exec 8>"$state/.lock"
  flock 8
  if [ -f "$state/ready" ] && [ "$(cat "$state/ready")" = "$stamp" ]; then
    return 0
  fi
  echo "guest: building the guest disk in $state (once; about 5 minutes)"
  find_debian_mirrors bookworm || return 1
  local root=$state/root
  umount "$root/proc" 2>/dev/null || true
  rm -rf "$root" "$state/ready" "$state/root.img"
  debootstrap --variant=minbase --include=linux-image-amd64,initramfs-tools,udev,kmod \
    bookworm "$root" "$mirror" > "$state/debootstrap.log" 2>&1 || {
      tail -20 "$state/debootstrap.log" >&2; return 1; }
  rm -f "$root/etc/apt/sources.list"
  write_debian_sources "$root/etc/apt/sources.list.d/debian.sources" bookworm "$keyring"
  # Package installs must not start services inside the chroot.
  printf '#!/bin/sh\nexit 101\n' > "$root/usr/sbin/policy-rc.d"
  chmod +x "$root/usr/sbin/policy-rc.d"
  mount -t proc proc "$root/proc"
  local status=0
  # shellcheck disable=SC2086
  chroot "$root" bash -c "export DEBIAN_FRONTEND=noninteractive
    dpkg --add-architecture i386 && apt-get update -q &&
    apt-get install -y -q --no-install-recommends $(echo $guest_packages) && apt-get clean" \
    > "$state/packages.log" 2>&1 || status=$?
  umount "$root/proc"
  if [ $status -ne 0 ]; then
    tail -20 "$state/packages.log" >&2
    return 1
  fi
  printf '%s' "$guest_init" > "$root/zvm-init"
  printf '%s' "$guest_hosts" > "$root/etc/hosts"
  echo zvm > "$root/etc/hostname"
  chmod +x "$root/zvm-init"
  cp "$root"/boot/vmlinuz-* "$state/vmlinuz"
  cp "$root"/boot/initrd.img-* "$state/initrd"
  mkfs.ext4 -q -d "$root" -L zvm "$state/root.img.new" 8G >/dev/null
  mv -f "$state/root.img.new" "$state/root.img"
  rm -rf "$root"
  echo "$stamp" > "$state/ready"
}

run_guest() {
  local cmd=$1; shift
  [ -f "$cmd" ] || { echo "guest: no command file $cmd" >&2; return 2; }
  cmd=$(cd "$(dirname "$cmd")" && pwd)/$(basename "$cmd")
  build_image
  local args=() shares="" n=0 p
  for p in "$@"; do
    p=$(cd "$p" && pwd)
    args+=(-virtfs "local,path=$p,mount_tag=share$n,security_model=passthrough")
    shares+=${shares:+,}$p
    n=$((n + 1))
  done
  rm -f "$cmd.rc"
  local cpus
  cpus=$(nproc 2>/dev/null || echo 2)
  # -cpu: qemu 7.2's software CPU faults on a user-mode iretq when
  # protection keys are on (the guest kernel oopses in every Wine process),
  # so PKU and SMAP stay off. -snapshot: the disk stays as built. The
  # firmware's and the kernel's start-up lines are left out of the output
  # (everything before the init's "zvm: ready", which may follow the
  # firmware's screen codes on its line); sed -u passes each line on at once.
  timeout "${ZELTA_GUEST_TIMEOUT:-4800}" qemu-system-x86_64 \
    -machine q35 -accel tcg,thread=multi -smp "$cpus" -m 6144 \
    -cpu max,smap=off,pku=off -nographic -no-reboot -snapshot -nic none \
    -kernel "$state/vmlinuz" -initrd "$state/initrd" \
    -append "root=/dev/vda rw console=ttyS0 quiet init=/zvm-init zvm.share=$shares zvm.cmd=$cmd" \
    -drive "file=$state/root.img,format=raw,if=virtio" "${args[@]}" < /dev/null 2>&1 \
    | sed -u -n -e 's/\r$//' -e '/zvm: ready$/,/\n/ { /zvm: ready$/d; p; d; }' -e '/zvm:/p' || true
  if [ ! -f "$cmd.rc" ]; then
    echo "guest: the guest ended without finishing $cmd" >&2
    return 1
  fi
  return "$(cat "$cmd.rc")"
}

case ${1:-} in
  can-run-32bit) can_run_32bit ;;
  image) build_image ;;
  run) shift; run_guest "$@" ;;
  *) sed -n '2,/^set -euo/p' "$0" | sed '$d' >&2; exit 2 ;;
esac
