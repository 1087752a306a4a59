#!/usr/bin/env bash
# Runs a test program under Wine with a drive whose file system holds only
# 600 KiB, so that a copy onto it fails midway. The drive is a tmpfs mounted
# in a private mount namespace (needs root) and mapped as T: in a prefix of
# its own (prefix-tiny), whose wineserver starts inside that namespace: the
# wineserver opens the files, so it must see the mount. The program learns
# the drive from ZELTA_TINY_DRIVE; without the namespace it runs without it.
#
#   with_tiny_drive.sh WINE_DIR PROGRAM [ARGS...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
harness=$here/../../tools/wine/wine-harness.sh
dir=${1:?wine directory}; shift
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
export WINE_HARNESS_PREFIX=$dir/prefix-tiny
drive=$dir/tiny-drive

# The harness makes the prefix as a copy of the build's own.
make_prefix() {
  "$harness" prefix "$dir"
}

if [ "${ZELTA_TINY_INSIDE:-}" != 1 ]; then
  make_prefix
  mkdir -p "$drive"
  ln -sfn "$drive" "$WINE_HARNESS_PREFIX/dosdevices/t:"
  if unshare -m true 2>/dev/null; then
    exec unshare -m env ZELTA_TINY_INSIDE=1 "$0" "$dir" "$@"
  fi
  echo "with_tiny_drive: no private mount namespace; running without the drive" >&2
  unset ZELTA_TINY_DRIVE
elif mount -t tmpfs -o size=600k,mode=0755 zelta-tiny "$drive"; then
  export ZELTA_TINY_DRIVE=T
else
  echo "with_tiny_drive: cannot mount the tiny file system; running without the drive" >&2
  unset ZELTA_TINY_DRIVE
fi
exec "$harness" run-isolated "$dir" "$@"
