#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each of them for a while.
#
#   scripts/fuzz.sh [SECONDS-PER-FUZZER]   (default 60)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
seconds=${1:-60}

"$root/scripts/setup.sh"
. "$root/scripts/builds.sh"
configure_build fuzz
cmake --build "$build/fuzz" -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
status=0
for name in ini_lookup file_entry group_command probe_scan download_record checksum_list; do
  echo "== $name ($seconds s)"
  "$root/tests/fuzz/run-fuzzer.sh" "$build/fuzz/fuzz_$name" "$build/fuzz/corpus/$name" \
    "$root/tests/fuzz/regressions/$name" "$seconds" | grep -E '^stat::number_of_executed_units|^Done|ERROR|SUMMARY' || status=1
done
exit $status
