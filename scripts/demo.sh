#!/usr/bin/env bash
# The installer's main job on the bundled sample distribution: sets up the
# machine (when needed), builds, serves the sample distribution from a
# loopback vendor server (HTTPS and HTTP, in a private network namespace),
# and runs the real ZeltaWebInstall.exe under Wine and Xvfb, worked through
# its windows as a user would: setup dialog, "Telepítés", progress dialog,
# program group, start of the installed system. Prints what was installed
# and where the screenshots are.
#
#   scripts/demo.sh
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)

if [ "${ZELTA_DEMO_BUILT:-}" != 1 ]; then
  "$root/scripts/setup.sh"
  . "$root/scripts/builds.sh"
  configure_build native
  cmake --build "$build/native" -j"$jobs" >/dev/null
  configure_build win
  cmake --build "$build/win" -j"$jobs" >/dev/null
  if ! "$root/tools/vm/guest.sh" can-run-32bit; then
    # This kernel runs no 32-bit programs, so Wine cannot start here: the
    # rest runs in an emulated x86 machine (slower, the same Wine).
    echo "demo: this kernel runs no 32-bit programs; running Wine in an emulated machine (tools/vm/guest.sh)"
    guest_cmd=$build/guest-demo.sh
    printf '#!/bin/bash\nZELTA_DEMO_BUILT=1 BUILD_DIR=%q exec %q\n' "$build" "$root/scripts/demo.sh" > "$guest_cmd"
    run_in_guest "$guest_cmd"
    exit
  fi
fi

wine_dir=$build/win/wine
demo=$build/demo
prefix=$wine_dir/prefix-demo
harness=$root/tools/wine/wine-harness.sh
rm -rf "$demo" "$prefix"
mkdir -p "$demo/screenshots"

"$harness" start "$wine_dir"
trap '"$harness" stop "$wine_dir"' EXIT

echo "== installing the sample distribution (ZeltaWebInstall.exe under Wine)"
status=0
WINE_HARNESS_PREFIX=$prefix ZELTA_FAULT_SERVER=$build/native/fault-server \
ZELTA_SHOTS=$demo/screenshots ZELTA_KEEP_INSTALLATION=1 \
  "$root/tests/e2e/run_e2e.sh" "$demo/vendor" "$build/native/zelta-dist" \
    "$build/win/zelta_sample_product.exe" /usr/share/wine/fonts/webdings.ttf \
    -- -- "$harness" run-isolated "$wine_dir" "$build/win/e2e_tests.exe" \
    --gtest_filter=EndToEnd.FullInstallationOverHttps --gtest_brief=1 || status=$?

drive_c=$prefix/drive_c
echo
echo "== installed tree: $drive_c/V92EDemo (C:\\V92EDemo in the demo prefix)"
(cd "$drive_c/V92EDemo" 2>/dev/null && find . -path ./ZeltaWin32/Install -prune -o -type f -printf '  %-60p %10s bytes\n' | sort) || true
echo
echo "== registry record"
WINE_HARNESS_PREFIX=$prefix "$harness" run-isolated "$wine_dir" \
  reg query 'HKLM\Software\ZeltaSoft\ZeltaCAD' 2>/dev/null | tr -d '\r' | sed -n '/REG_SZ/p' || true
echo
echo "== desktop link and program group"
find "$drive_c/users" \( -name 'ZeltaCAD Demo.lnk' -o -path '*Programs/ZeltaCAD Demo*' \) -printf '  %P\n' 2>/dev/null || true
echo
echo "== started installed system"
sed 's/^/  /' "$drive_c/V92EDemo/ZeltaWin32/started.txt" 2>/dev/null || echo "  (not started)"
echo
echo "== screenshots"
ls -1 "$demo/screenshots"/*.png 2>/dev/null | sed 's/^/  /' || echo "  (none)"
echo
if [ $status -eq 0 ]; then echo "demo: installation succeeded"; else echo "demo: installation FAILED ($status)"; fi
exit $status
