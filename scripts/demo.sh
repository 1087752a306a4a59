#!/usr/bin/env bash
# The installer's main job on the bundled sample distribution: sets up the
# machine (when needed), builds what the demo runs, serves the sample
# distribution from a loopback vendor server (HTTPS and HTTP, in a private
# network namespace, a throw-away CA trusted there) and runs the real
# ZeltaWebInstall.exe under Wine. Prints what was installed.
#
#   scripts/demo.sh                  worked through its windows as a user would
#                                    (setup dialog, "Telepítés", progress dialog,
#                                    program group, start of the installed system)
#                                    on a screen of its own (Xvfb), filmed:
#                                    build/demo/installation.webm and .gif
#   scripts/demo.sh --interactive    on your screen (DISPLAY), worked by you
#   scripts/demo.sh --guest          in the emulated x86 machine (tools/vm/guest.sh)
#
# Ctrl-C ends everything it started.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
jobs=$(nproc 2>/dev/null || echo 2)
self=$root/scripts/demo.sh

usage() {
  sed -n '2,/^set -euo/p' "$self" | sed -e '/^set -euo/d' -e 's/^# \{0,1\}//'
  exit "$1"
}

interactive=0 guest=0
for arg in "$@"; do
  case $arg in
    --interactive) interactive=1 ;;
    --guest) guest=1 ;;
    -h|--help) usage 0 ;;
    *) echo "demo: unknown argument $arg (see --help)" >&2; exit 2 ;;
  esac
done

if [ "$(id -u)" != 0 ]; then
  echo "demo: run it as root: the vendor's server gets a private network namespace, which needs root" >&2
  exit 2
fi
if [ $interactive = 1 ]; then
  [ $guest = 0 ] || { echo "demo: --interactive needs your screen; the emulated machine has none (leave out --guest)" >&2; exit 2; }
  if [ -z "${DISPLAY:-}" ]; then
    cat >&2 <<'EOF'
demo: --interactive shows the installer on your screen, but DISPLAY is not set.
Run it in a terminal of your desktop session. As root through sudo, keep the
display: sudo --preserve-env=DISPLAY,XAUTHORITY scripts/demo.sh --interactive
Without a screen, scripts/demo.sh alone runs the installer by itself and films it.
EOF
    exit 2
  fi
  # The installer runs in a private network namespace: only a display on this
  # machine's file sockets (":0", not "host:10" of an ssh forwarding) reaches it.
  if ! [[ $DISPLAY =~ ^(unix)?:([0-9]+)(\.[0-9]+)?$ ]] || [ ! -S "/tmp/.X11-unix/X${BASH_REMATCH[2]}" ]; then
    echo "demo: DISPLAY=$DISPLAY is not a local screen (/tmp/.X11-unix); the installer's private network reaches no other" >&2
    exit 2
  fi
fi

# The shipped installer is the 32-bit build; where this kernel runs no 32-bit
# programs, the 64-bit build of the same sources shows the same run.
win=win
if [ "${ZELTA_DEMO_BUILT:-}" != 1 ]; then
  "$root/scripts/setup.sh"
  . "$root/scripts/builds.sh"
  [ $guest = 1 ] || win=$(native_windows_build)
  if [ $win = win64 ]; then
    echo "demo: this kernel runs no 32-bit programs: showing the 64-bit build of the same sources under 64-bit Wine (--guest shows the shipped 32-bit one in an emulated machine)"
  fi
  # Only what the demo runs: the vendor's tools, the installer, the stand-in
  # for the installed system and, for the automatic run, the driver.
  configure_build native
  cmake --build "$build/native" -j"$jobs" --target zelta-dist fault-server >/dev/null
  targets=(ZeltaWebInstall zelta_sample_product)
  [ $interactive = 1 ] || targets+=(e2e_tests)
  configure_build $win
  cmake --build "$build/$win" -j"$jobs" --target "${targets[@]}" >/dev/null
  if [ $guest = 1 ]; then
    echo "demo: running the shipped installer under Wine in an emulated x86 machine (tools/vm/guest.sh; slower)"
    guest_cmd=$build/guest-demo.sh
    printf '#!/bin/bash\nZELTA_DEMO_BUILT=1 BUILD_DIR=%q exec %q\n' "$build" "$self" > "$guest_cmd"
    run_in_guest "$guest_cmd"
    exit
  fi
fi

wine_dir=$build/$win/wine
demo=$build/demo
prefix=$wine_dir/prefix-demo
harness=$root/tools/wine/wine-harness.sh
installer=$build/$win/ZeltaWebInstall.exe
rm -rf "$demo" "$prefix"
mkdir -p "$demo/screenshots"
export ZELTA_FAULT_SERVER=$build/native/fault-server

# The sample site and its server, for tests/win/with_sample_site.sh (and
# run_e2e.sh, which also turns the screenshots into PNG pictures); the
# command to run inside its private network follows.
site_args=("$demo/vendor" "$build/native/zelta-dist" "$build/$win/zelta_sample_product.exe"
           /usr/share/wine/fonts/webdings.ttf -- --)

# The person's run, inside that network: the installer on their screen; when
# it has ended, its program group window stays until they press Enter.
interactive_run() {
  local status=0
  # Ctrl-C ends this with SIGTERM; the wineserver then closes every window
  # and saves the registry.
  trap 'end_wine; exit 143' TERM
  "$harness" run "$wine_dir" "$installer" &
  wait $! || status=$?
  if [ -t 0 ]; then
    echo "demo: the installer has ended; its program group window stays open until you press Enter here"
    read -r _ || true
  fi
  end_wine
  return $status
}
end_wine() {
  WINEPREFIX=$WINE_HARNESS_PREFIX wineserver -k 2>/dev/null || true
  WINEPREFIX=$WINE_HARNESS_PREFIX wineserver -w 2>/dev/null || true
}

# Each part ends itself on Ctrl-C (the terminal tells them all); then so does
# this script, with no report.
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP
status=0
if [ $interactive = 1 ]; then
  # A copy of the build's prefix whose windows the desktop's window manager
  # frames and moves, as it would any program's (the tests' prefix has that off).
  WINE_HARNESS_PREFIX=$prefix "$harness" run-isolated "$wine_dir" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d Y /f >/dev/null 2>&1
  echo "== ZeltaWebInstall.exe on $DISPLAY: pick a drive and the parts, press \"Telepítés\", answer its questions"
  echo "   (the sample distribution is served from the loopback vendor server; Ctrl-C ends everything)"
  export harness wine_dir installer
  export -f interactive_run end_wine
  WINE_HARNESS_PREFIX=$prefix "$root/tests/win/with_sample_site.sh" "${site_args[@]}" bash -c interactive_run || status=$?
else
  # A screen of its own: the film shows this run and nothing of a desktop.
  unset DISPLAY
  trap '"$harness" stop "$wine_dir"' EXIT
  "$harness" start "$wine_dir"
  echo "== installing the sample distribution (ZeltaWebInstall.exe under Wine, filmed)"
  # The driver lingers on the setup dialog and the program group, as a
  # person watching the film would.
  WINE_HARNESS_PREFIX=$prefix ZELTA_SHOTS=$demo/screenshots ZELTA_KEEP_INSTALLATION=1 ZELTA_VIEWER_PAUSE_MS=2000 \
    "$root/tools/film/record.sh" "$(cat "$wine_dir/display")" "$demo/installation.webm" "$demo/installation.gif" -- \
    "$root/tests/e2e/run_e2e.sh" "${site_args[@]}" "$harness" run-isolated "$wine_dir" "$build/$win/e2e_tests.exe" \
      --gtest_filter=EndToEnd.FullInstallationOverHttps --gtest_brief=1 || status=$?
fi

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
if [ $interactive = 0 ]; then
  echo
  echo "== film and screenshots"
  ls -1 "$demo/installation.webm" "$demo/installation.gif" "$demo/screenshots"/*.png 2>/dev/null | sed 's/^/  /' || true
  [ -e "$demo/installation.webm" ] || echo "  (no film: see the \"record:\" line above)"
fi
echo
if [ $status -eq 0 ]; then echo "demo: installation succeeded"; else echo "demo: installation FAILED ($status)"; fi
exit $status
