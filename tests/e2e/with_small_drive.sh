#!/usr/bin/env bash
# Runs a command with small drives: each LETTER=SIZE is a tmpfs of SIZE
# (bytes, or with a k or m suffix) mounted in a private mount namespace
# (needs root) and mapped as LETTER: in the test prefix (WINE_HARNESS_PREFIX,
# made by the harness as a copy of WINE_DIR/prefix). The command is started
# inside that namespace, so a wineserver it starts (the harness's
# run-isolated) sees the mounts: the wineserver opens the files. The command
# learns the mapped letters from ZELTA_SMALL_DRIVES ("S T"); where no private
# mount namespace can be had it runs without them (the variable is empty).
#
#   with_small_drive.sh WINE_DIR [LETTER=SIZE]... -- COMMAND [ARGS...]
set -euo pipefail

self=$(readlink -f "$0")
harness=$(dirname "$self")/../../tools/wine/wine-harness.sh
dir=${1:?wine directory}; shift
drives=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do drives+=("$1"); shift; done
[ "${1:-}" = "--" ] && shift
[ $# -gt 0 ] || { echo "with_small_drive: no command given after --" >&2; exit 2; }
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
: "${WINE_HARNESS_PREFIX:?set WINE_HARNESS_PREFIX to the test prefix}"
mounts=$dir/small-drives

for drive in "${drives[@]}"; do
  [[ $drive =~ ^[D-Yd-y]=[0-9]+[kKmM]?$ ]] || { echo "with_small_drive: not LETTER=SIZE: $drive" >&2; exit 2; }
done

if [ "${ZELTA_SMALL_INSIDE:-}" != 1 ]; then
  "$harness" prefix "$dir"
  for drive in "${drives[@]}"; do
    letter=$(echo "${drive%%=*}" | tr 'A-Z' 'a-z')
    mkdir -p "$mounts/$letter"
    ln -sfn "$mounts/$letter" "$WINE_HARNESS_PREFIX/dosdevices/$letter:"
  done
  if [ ${#drives[@]} -gt 0 ]; then
    if unshare -m true 2>/dev/null; then
      exec unshare -m env ZELTA_SMALL_INSIDE=1 "$self" "$dir" "${drives[@]}" -- "$@"
    fi
    echo "with_small_drive: no private mount namespace; running without the small drives" >&2
  fi
  export ZELTA_SMALL_DRIVES=""
  exec "$@"
fi
unset ZELTA_SMALL_INSIDE

# Inside the private mount namespace: the mounts end with it.
mount --make-rprivate / 2>/dev/null || true
letters=()
for drive in "${drives[@]}"; do
  letter=$(echo "${drive%%=*}" | tr 'a-z' 'A-Z')
  lower=$(echo "$letter" | tr 'A-Z' 'a-z')
  if mount -t tmpfs -o "size=${drive#*=},mode=0755" "zelta-small-$lower" "$mounts/$lower"; then
    letters+=("$letter")
  else
    echo "with_small_drive: cannot mount $letter:; running without it" >&2
  fi
done
export ZELTA_SMALL_DRIVES="${letters[*]}"
exec "$@"
