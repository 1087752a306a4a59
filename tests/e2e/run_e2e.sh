#!/usr/bin/env bash
# Runs the end-to-end tests against the sample distribution, then turns the
# screenshots they saved into PNG pictures (ZELTA_SHOTS).
#
#   run_e2e.sh WORK ZELTA_DIST PRODUCT FONT -- VENDOR-NET-OPTIONS... -- COMMAND...
set -euo pipefail
here=$(cd "$(dirname "$0")/../.." && pwd)
shots=${ZELTA_SHOTS:-}
[ -n "$shots" ] && mkdir -p "$shots"
status=0
"$here/tests/win/with_sample_site.sh" "$@" || status=$?
if [ -n "$shots" ] && command -v convert >/dev/null; then
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
exit $status
