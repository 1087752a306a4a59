#!/usr/bin/env bash
# Runs a test program under Wine with one more drive: LETTER: mapped to a
# fresh temporary folder for the time of the run. The program learns the
# letter from ZELTA_TEST_DRIVE.
#
# Wine lists the drives (GetLogicalDrives, the open-file dialog's drive
# list) as its wineserver found them when it started, so the drive lives in
# a prefix of its own (prefix-drive, a copy of the build's prefix) whose
# wineserver starts after the link is made.
#
#   with_test_drive.sh WINE_DIR LETTER PROGRAM [ARGS...]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
harness=$here/../../tools/wine/wine-harness.sh
dir=${1:?wine directory}; letter=${2:?drive letter}; shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)
letter=$(printf '%s' "$letter" | tr 'A-Z' 'a-z')
export WINE_HARNESS_PREFIX=$dir/prefix-drive

# The harness makes the prefix as a copy of the build's own.
make_prefix() {
  "$harness" prefix "$dir"
}

make_prefix
link=$WINE_HARNESS_PREFIX/dosdevices/$letter:
folder=$(mktemp -d "${TMPDIR:-/tmp}/zelta-test-drive.XXXXXX")
cleanup() {
  rm -f "$link"
  rm -rf "$folder"
}
trap cleanup EXIT
trap 'exit 143' HUP INT TERM
ln -sfn "$folder" "$link"

status=0
ZELTA_TEST_DRIVE=$(printf '%s' "$letter" | tr 'a-z' 'A-Z') "$harness" run-isolated "$dir" "$@" || status=$?
exit $status
