#!/usr/bin/env bash
# Runs one fuzzer for a while: first over its regression inputs (which must
# all pass), then on a working corpus of its own. A crash input lands in the
# corpus folder as crash-*; copy it to tests/fuzz/regressions/<name>/ once
# the fault is mended.
#
#   run-fuzzer.sh FUZZER CORPUS REGRESSIONS SECONDS
set -euo pipefail
fuzzer=${1:?fuzzer}; corpus=${2:?corpus}; regressions=${3:?regressions}; seconds=${4:?seconds}
mkdir -p "$corpus"
if [ -d "$regressions" ] && [ -n "$(ls -A "$regressions")" ]; then
  "$fuzzer" -runs=0 "$regressions"
fi
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$corpus/" "$corpus" ${regressions:+$( [ -d "$regressions" ] && echo "$regressions")} 2>&1 | tail -25
exit "${PIPESTATUS[0]}"
