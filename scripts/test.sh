#!/usr/bin/env bash
# Sets up the machine (when needed), builds and runs every test: the native
# build (portable core and vendor tools with sanitizers), the fuzzers (clang,
# a few seconds each) and the Windows builds (the installer and its tests
# under Wine).
#
#   scripts/test.sh [ctest arguments...]
#
# The shipped installer is 32-bit (build/win); the same sources also build
# for 64 bits (build/win64). Where this kernel runs 32-bit programs, the
# complete Windows suite runs on the shipped build and the short set
# (ctest label "shipped") on the 64-bit one. Where it does not, the complete
# suite runs on the 64-bit build under 64-bit Wine, and the short set on the
# shipped build in an emulated x86 machine (tools/vm/guest.sh).
# ZELTA_NO_32BIT=1 takes the second road on any host.
#
# BUILD_DIR (default: build/ in the checkout) holds the builds and their
# Wine prefixes, which are made once and reused.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/setup.sh"
. "$root/scripts/builds.sh"

full=$(native_windows_build)
if [ "$full" = win ]; then
  short=win64
else
  short=win
  # The guest disk is built once (minutes, mostly waiting for packages):
  # beside the builds rather than after them.
  mkdir -p "$build"
  "$root/tools/vm/guest.sh" image > "$build/guest-image.log" 2>&1 &
  image_job=$!
  trap 'kill "$image_job" 2>/dev/null || true' EXIT
fi

configure_build native
cmake --build "$build/native" -j"$jobs"

# The fuzzers, built with clang; the suite runs each for a few seconds.
configure_build fuzz
cmake --build "$build/fuzz" -j"$jobs"

configure_build win
cmake --build "$build/win" -j"$jobs"
configure_build win64
cmake --build "$build/win64" -j"$jobs"

# Windows tests side by side: those with a prefix of their own in the slots
# of the build's wine/slots.json, plus one on the shared wineserver. Most of
# their time is spent waiting (for time limits, for windows), not computing.
windows_ctest() {  # BUILD [ctest arguments...]
  local dir=$build/$1
  shift
  local slots
  slots=$(grep -o '"id"' "$dir/wine/slots.json" | wc -l)
  ctest --test-dir "$dir" --output-on-failure -j"$((slots + 1))" \
    --resource-spec-file "$dir/wine/slots.json" "$@"
}

status=0
echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure -j"$jobs" "$@" || status=1
echo "== fuzzers (short runs)"
ctest --test-dir "$build/fuzz" --output-on-failure -j"$jobs" "$@" || status=1
echo "== Windows tests under Wine: the complete suite on build/$full"
windows_ctest "$full" "$@" || status=1
echo "== Windows tests under Wine: the short set on build/$short"
if [ "$short" = win64 ]; then
  windows_ctest win64 -L shipped "$@" || status=1
else
  # This kernel runs no 32-bit programs, so the 32-bit Wine cannot start
  # here: the shipped program runs in an emulated x86 machine, slower but real.
  echo "   (this kernel runs no 32-bit programs: in an emulated machine, tools/vm/guest.sh)"
  if ! wait "$image_job"; then
    cat "$build/guest-image.log" >&2
    exit 1
  fi
  guest_cmd=$build/guest-ctest.sh
  printf '#!/bin/bash\nexec ctest --test-dir %q --output-on-failure -L shipped' "$build/win" > "$guest_cmd"
  printf ' %q' "$@" >> "$guest_cmd"
  echo >> "$guest_cmd"
  run_in_guest "$guest_cmd" || status=1
fi
exit $status
