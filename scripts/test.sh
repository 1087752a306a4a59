#!/usr/bin/env bash
# Sets up the machine (when needed), builds and runs every test: the native
# build (portable core and vendor tools with sanitizers), the fuzzers (clang,
# a few seconds each) and the Windows build (the installer and its tests
# under Wine).
#
#   scripts/test.sh [ctest arguments...]
#
# BUILD_DIR (default: build/ in the checkout) holds both builds and the Wine
# prefix, which is made once and reused.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

"$root/scripts/setup.sh"
. "$root/scripts/builds.sh"

configure_build native
cmake --build "$build/native" -j"$jobs"

# The fuzzers, built with clang; the suite runs each for a few seconds.
configure_build fuzz
cmake --build "$build/fuzz" -j"$jobs"

configure_build win
cmake --build "$build/win" -j"$jobs"

status=0
echo "== native tests"
ctest --test-dir "$build/native" --output-on-failure "$@" || status=1
echo "== fuzzers (short runs)"
ctest --test-dir "$build/fuzz" --output-on-failure "$@" || status=1
echo "== Windows tests under Wine"
if "$root/tools/vm/guest.sh" can-run-32bit; then
  ctest --test-dir "$build/win" --output-on-failure "$@" || status=1
else
  # This kernel runs no 32-bit programs, so Wine cannot start here: the same
  # tests run under Wine in an emulated x86 machine, slower but real.
  echo "   (this kernel runs no 32-bit programs: in an emulated machine, tools/vm/guest.sh)"
  guest_cmd=$build/guest-ctest.sh
  printf '#!/bin/bash\nexec ctest --test-dir %q --output-on-failure' "$build/win" > "$guest_cmd"
  printf ' %q' "$@" >> "$guest_cmd"
  echo >> "$guest_cmd"
  run_in_guest "$guest_cmd" || status=1
fi
exit $status
