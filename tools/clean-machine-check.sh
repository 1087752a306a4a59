#!/usr/bin/env bash
# Proves that the README's test command works from a fresh clone on a fresh
# Debian 12 machine: a green run on a developer's machine can hide a missing
# install step, because the developer's machine already has the package.
#
#   tools/clean-machine-check.sh [options]     (as root)
#
#   --dir DIR      work folder (default /var/tmp/clean-machine-check); holds
#                  base/ (the pristine root) and root/ (the root of this check)
#   --reuse, --keep
#                  reuse base/ from an earlier check instead of bootstrapping
#                  it again; root/ is always a fresh copy of it
#   --mirror URL   Debian mirror (default: the one apt uses on this machine)
#   --timeout S    limit for each test run in seconds (default 14400)
#   --remove       delete root/ at the end (default: leave it, unmounted)
#
# The pristine root is a debootstrap minbase of bookworm (the closest match to
# the Debian 12 base container image) plus git and ca-certificates only. The
# committed HEAD of this checkout is cloned into it as /root/p, and
# `bash .ci/run` runs there twice as root with a clean environment: once cold
# (everything installed and built from nothing) and once warm. Then
# `scripts/demo.sh` runs cold in another fresh copy of the root. The exit
# status is that of the first failing run, else 0.
set -euo pipefail

self=$(readlink -f "$0")
. "$(dirname "$self")/apt-mirrors.sh"
repo=$(cd "$(dirname "$self")/.." && pwd)
suite=bookworm
keyring=/usr/share/keyrings/debian-archive-keyring.gpg

work=/var/tmp/clean-machine-check
reuse=0
mirror=""
run_timeout=14400
remove=0

usage() { sed -n '2,/^set -euo/{/^set -euo/d;s/^# \{0,1\}//;p}' "$self"; }
die() { echo "clean-machine-check: $*" >&2; exit 2; }
say() { echo "== [$(date +%H:%M:%S)] $*"; }

args=("$@")
while [ $# -gt 0 ]; do
  case $1 in
    --dir) work=${2:?--dir needs a folder}; shift 2 ;;
    --reuse|--keep) reuse=1; shift ;;
    --mirror) mirror=${2:?--mirror needs a URL}; shift 2 ;;
    --timeout) run_timeout=${2:?--timeout needs seconds}; shift 2 ;;
    --remove) remove=1; shift ;;
    -h|--help) usage; exit 0 ;;
    *) usage >&2; exit 2 ;;
  esac
done

[ "$(id -u)" -eq 0 ] || die "run as root (debootstrap, mount and chroot need it)"
case $run_timeout in ''|*[!0-9]*) die "--timeout needs whole seconds" ;; esac

# Every mount lives in a private mount namespace of its own: nothing leaks
# into the host's mount table, even when this script is killed hard. The
# trap below still unmounts everything so that the folder is left clean.
if [ "${CLEAN_MACHINE_CHECK_NS:-}" != 1 ]; then
  exec unshare --mount --propagation private -- \
    env CLEAN_MACHINE_CHECK_NS=1 bash "$self" ${args[@]+"${args[@]}"}
fi

work=$(realpath -m "$work")
case $work in /|/var|/var/tmp|/tmp|/root|/home) die "refusing to use $work as work folder" ;; esac
base=$work/base
root=$work/root
marker=$work/.clean-machine-check

# --- host side -------------------------------------------------------------

ensure_debootstrap() {
  command -v debootstrap >/dev/null 2>&1 && return 0
  say "installing debootstrap on this machine"
  export DEBIAN_FRONTEND=noninteractive
  apt-get install -y -q debootstrap >/dev/null 2>&1 \
    || { apt-get update -q && apt-get install -y -q debootstrap; }
}

find_mirrors() {
  find_debian_mirrors "$suite" "$mirror" || die "give --mirror URL"
}

# True when something is mounted at DIR or below it.
mounted_below() {
  awk -v d="$1" '$5 == d || index($5, d "/") == 1 { found = 1 } END { exit !found }' /proc/self/mountinfo
}

# Refuses to delete a folder that still has something mounted below it.
remove_tree() {
  local dir=$1
  [ -e "$dir" ] || return 0
  if mounted_below "$dir"; then
    die "something is still mounted below $dir; unmount it first"
  fi
  rm -rf --one-file-system "$dir"
}

# --- chroot session --------------------------------------------------------

session=""   # the root that is mounted now, if any

chroot_pids() {
  local p r
  for p in /proc/[0-9]*; do
    r=$(readlink "$p/root" 2>/dev/null) || continue
    [ "$r" = "$session" ] && echo "${p#/proc/}"
  done
  return 0
}

# Ends processes left running inside the root (by process id); reports them
# because a test suite that leaves daemons behind is itself a finding.
end_leftovers() {
  [ -n "$session" ] || return 0
  local pids
  pids=$(chroot_pids)
  [ -n "$pids" ] || return 0
  echo "clean-machine-check: processes left running in the root:" >&2
  local p
  for p in $pids; do
    printf '  %s %s\n' "$p" "$(tr '\0' ' ' < "/proc/$p/cmdline" 2>/dev/null)" >&2
  done
  # shellcheck disable=SC2086
  kill -TERM $pids 2>/dev/null || true
  for _ in $(seq 1 50); do
    [ -z "$(chroot_pids)" ] && return 0
    sleep 0.1
  done
  pids=$(chroot_pids)
  # shellcheck disable=SC2086
  [ -z "$pids" ] || kill -KILL $pids 2>/dev/null || true
  sleep 0.5
}

enter() {
  local r=$1
  session=$r
  # A root that is a mount point of its own lets `unshare -m` inside the
  # chroot change the propagation of "/" (the test suite needs that).
  mount --bind "$r" "$r"
  mount -t proc proc "$r/proc"
  mount -t sysfs sysfs "$r/sys"
  mount --bind /dev "$r/dev"
  mount --bind /dev/pts "$r/dev/pts"
  # Fresh /dev/shm and /tmp: Wine's shared memory, wineserver sockets and
  # X displays of this machine must not be seen in the root.
  mount -t tmpfs -o mode=1777,nosuid,nodev shm "$r/dev/shm"
  mount -t tmpfs -o mode=1777,nosuid,nodev tmp "$r/tmp"
  # What a container runtime gives a container: name resolution, localhost.
  cp -fL /etc/resolv.conf "$r/etc/resolv.conf"
  if ! grep -qs 'localhost' "$r/etc/hosts"; then
    printf '127.0.0.1\tlocalhost\n::1\tlocalhost ip6-localhost ip6-loopback\n' >> "$r/etc/hosts"
  fi
}

leave() {
  [ -n "$session" ] || return 0
  end_leftovers
  # Recursive: also whatever a package script mounted inside the root.
  umount -R "$session" 2>/dev/null || umount -R -l "$session" 2>/dev/null || true
  if mounted_below "$session"; then
    echo "clean-machine-check: could not unmount everything below $session" >&2
  fi
  session=""
}

# What runs in the root starts from an empty environment, as on a fresh machine.
clean_env=(/usr/bin/env -i HOME=/root TERM=dumb
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)

in_root() {
  chroot "$session" "${clean_env[@]}" DEBIAN_FRONTEND=noninteractive "$@" < /dev/null
}

run_pid=""   # the test run in progress, if any
# shellcheck disable=SC2317  # (called from the traps)
interrupted() {
  echo "clean-machine-check: interrupted; cleaning up" >&2
  [ -z "$run_pid" ] || kill -TERM "$run_pid" 2>/dev/null || true
  exit "$1"
}
trap 'leave' EXIT
trap 'interrupted 130' INT
trap 'interrupted 143' TERM

# --- the pristine root -----------------------------------------------------

make_base() {
  if [ "$reuse" -eq 1 ] && [ -f "$base/.clean-machine-base" ]; then
    say "reusing $base ($(head -n1 "$base/.clean-machine-base"))"
    return 0
  fi
  remove_tree "$base"
  say "debootstrap --variant=minbase $suite from $mirror"
  debootstrap --variant=minbase "$suite" "$base" "$mirror"
  # The sources of the Debian 12 base image, on this machine's mirrors.
  rm -f "$base/etc/apt/sources.list"
  write_debian_sources "$base/etc/apt/sources.list.d/debian.sources" "$suite" "$keyring"
  # Keep an apt proxy of this machine, if it has one (not a package).
  local proxy
  proxy=$(apt-config dump 2>/dev/null | grep -iE '^Acquire::(https?)::Proxy ' || true)
  [ -z "$proxy" ] || printf '%s\n' "$proxy" > "$base/etc/apt/apt.conf.d/00clean-machine-proxy"
  enter "$base"
  say "installing git and ca-certificates into the pristine root"
  in_root apt-get update -q
  in_root apt-get install -y -q --no-install-recommends git ca-certificates
  # Like the base image: no package lists, no package cache.
  in_root apt-get clean
  find "$base/var/lib/apt/lists" -mindepth 1 -maxdepth 1 ! -name partial ! -name lock -exec rm -rf {} +
  rm -f "$base/etc/resolv.conf"
  leave
  printf '%s %s %s\n' "$(date -u +%Y-%m-%dT%H:%M:%SZ)" "$suite" "$mirror" > "$base/.clean-machine-base"
}

# --- main --------------------------------------------------------------------

if [ -e "$work" ] && [ ! -e "$marker" ] && [ -n "$(ls -A "$work" 2>/dev/null)" ]; then
  die "$work exists and was not made by this check; choose another --dir"
fi
mkdir -p "$work"
touch "$marker"

commit=$(git -C "$repo" rev-parse HEAD)
branch=$(git -C "$repo" symbolic-ref -q --short HEAD || true)
if [ -n "$(git -C "$repo" status --porcelain --untracked-files=no)" ]; then
  echo "clean-machine-check: note: uncommitted changes are not part of the check (HEAD only)"
fi

ensure_debootstrap
find_mirrors
say "mirror $mirror${updates:+ (+$updates)}${security:+, security $security}"
make_base

# A fresh copy of the pristine root with the committed HEAD cloned into
# /root/p, entered.
fresh_root() {
  say "fresh root $root"
  remove_tree "$root"
  cp -a "$base" "$root"
  rm -f "$root/.clean-machine-base"

  enter "$root"
  mkdir -p "$root/root/.clean-machine"
  git -C "$repo" bundle create -q "$root/root/.clean-machine/head.bundle" HEAD ${branch:+"$branch"}
  say "git clone of $commit${branch:+ ($branch)} into /root/p"
  in_root git clone -q ${branch:+-b "$branch"} /root/.clean-machine/head.bundle /root/p
  rm -rf "$root/root/.clean-machine"
}

fresh_root

# The test suite runs its servers in network, mount and PID namespaces of
# their own; a root where that cannot work would fail for the wrong reason.
ns_check=(unshare --net --mount --pid --fork --kill-child=SIGTERM --mount-proc)
if in_root "${ns_check[@]}" /bin/sh -c 'mount -t tmpfs none /mnt && umount /mnt && test -r /proc/self/stat'; then
  say "unshare -n -m (with --pid --mount-proc) works in the root"
else
  echo "clean-machine-check: '${ns_check[*]}' does not work in the root" >&2
  exit 1
fi

# One run of one of the README's commands in the root; sets run_status and
# run_seconds.
run_in_root() {
  local label=$1 command=$2 start end
  say "$label run: $command"
  start=$(date +%s)
  run_status=0
  # In the background: `timeout` has a process group of its own, so Ctrl-C
  # reaches only this script, whose trap then ends the run.
  timeout --kill-after=60 "$run_timeout" \
    chroot "$root" "${clean_env[@]}" CI=true /bin/bash -c "cd /root/p && exec $command" < /dev/null &
  run_pid=$!
  wait "$run_pid" || run_status=$?
  run_pid=""
  end=$(date +%s)
  run_seconds=$((end - start))
  say "$label run: status $run_status after $(fmt "$run_seconds")"
  end_leftovers
}

fmt() { printf '%d s (%dm%02ds)' "$1" $(($1 / 60)) $(($1 % 60)); }

run_in_root cold "bash .ci/run"
cold_status=$run_status cold_seconds=$run_seconds
run_in_root warm "bash .ci/run"
warm_status=$run_status warm_seconds=$run_seconds
leave

# The other command on a root of its own, so that it, too, must install
# everything it needs by itself.
fresh_root
run_in_root demo "scripts/demo.sh"
demo_status=$run_status demo_seconds=$run_seconds
leave
if [ "$remove" -eq 1 ]; then
  remove_tree "$root"
  where="removed"
else
  where="left unmounted at $root"
fi

status=0
[ "$cold_status" -eq 0 ] || status=$cold_status
[ "$status" -ne 0 ] || [ "$warm_status" -eq 0 ] || status=$warm_status
[ "$status" -ne 0 ] || [ "$demo_status" -eq 0 ] || status=$demo_status
verdict=PASS; [ "$status" -eq 0 ] || verdict=FAIL
echo "clean-machine-check: $verdict ${commit:0:12}: tests cold $(fmt "$cold_seconds") status $cold_status, warm $(fmt "$warm_seconds") status $warm_status; demo $(fmt "$demo_seconds") status $demo_status; root $where"
exit "$status"
