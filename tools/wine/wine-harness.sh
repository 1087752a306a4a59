#!/usr/bin/env bash
# Runs Windows test programs under Wine, headless, in a prefix owned by one
# build directory.
#
#   wine-harness.sh prefix DIR        create DIR/prefix once (locale, fonts, settings)
#   wine-harness.sh start DIR         prefix, Xvfb (when there is no display), wineserver
#   wine-harness.sh stop DIR          end the wineserver and the Xvfb started by 'start'
#   wine-harness.sh run DIR PROG ...  run PROG under Wine in that environment
#   wine-harness.sh run-isolated DIR PROG ...
#                                     run PROG with a wineserver of its own, ended
#                                     afterwards (for a prefix used inside a
#                                     private network namespace: the wineserver
#                                     owns the sockets, so it must start there)
#   wine-harness.sh env DIR           print the environment as shell assignments
#
# WINE_HARNESS_PREFIX names another prefix than DIR/prefix; it is made as a
# copy of DIR/prefix the first time.
#
# DIR/arch (written by the build) says which Wine runs the build's programs:
# "win32" (the default) or "win64".
set -euo pipefail

cmd=${1:?command}; dir=${2:?directory}; shift 2
mkdir -p "$dir"
dir=$(cd "$dir" && pwd)

# Debian's wine, wineboot and wineserver commands take the 32-bit loader
# whenever it is installed, so the 64-bit side calls its loader and server
# by their own names (a link named wine that points at wine64 does not work).
choose_wine() {
  local arch=win32
  [ -f "$dir/arch" ] && read -r arch < "$dir/arch"
  case $arch in
    win32)
      wine=(wine); wineserver=wineserver
      unset WINELOADER WINESERVER ;;
    win64)
      wine=(/usr/lib/wine/wine64); wineserver=/usr/lib/wine/wineserver64
      export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
    *) echo "wine-harness: $dir/arch names no Wine: $arch" >&2; exit 2 ;;
  esac
  export WINEARCH=$arch
}

harness_env() {
  export WINEPREFIX=${WINE_HARNESS_PREFIX:-$dir/prefix}
  choose_wine
  export WINEDEBUG=${WINEDEBUG:--all}
  # No menu or desktop files in the real home, no Mono/Gecko prompts.
  export WINEDLLOVERRIDES="mscoree,mshtml=d;winemenubuilder.exe=d"
  # A Hungarian locale gives ANSI code page 1250 without touching the system.
  export LOCPATH=$dir/locale
  make_locale
  # (bash itself cannot load a locale from LOCPATH; only its children use it)
  { export LC_ALL=hu_HU.UTF-8; } 2>/dev/null
  unset LANG LANGUAGE
  if [ -z "${DISPLAY:-}" ] && [ -f "$dir/display" ]; then
    export DISPLAY=$(cat "$dir/display")
  fi
}

make_locale() {
  [ -f "$dir/locale/hu_HU.UTF-8/LC_CTYPE" ] && return 0
  mkdir -p "$dir/locale"
  # Built aside and moved in, so that parallel callers never see half a locale.
  local tmp
  tmp=$(mktemp -d "$dir/locale/.new.XXXXXX")
  localedef -i hu_HU -f UTF-8 "$tmp/hu_HU.UTF-8" >/dev/null 2>&1 || true
  mv -T "$tmp/hu_HU.UTF-8" "$dir/locale/hu_HU.UTF-8" 2>/dev/null || true
  rm -rf "$tmp"
  [ -f "$dir/locale/hu_HU.UTF-8/LC_CTYPE" ]
}

# A 32-bit build needs the 32-bit Wine, which a kernel that runs no 32-bit
# programs (ia32 emulation off) cannot start. Say so plainly instead of
# failing somewhere in wineboot.
check_wine() {
  local out
  if ! out=$("${wine[@]}" --version 2>&1); then
    case $out in
      *"Exec format error"*|*"cannot execute binary file"*)
        echo "wine-harness: this machine's kernel runs no 32-bit programs (ia32 emulation is off;" \
          "dmesg tells), so this 32-bit build's programs cannot run here (the 64-bit build can)" >&2 ;;
      *) echo "wine-harness: ${wine[*]} does not start: $out" >&2 ;;
    esac
    return 1
  fi
}

make_prefix() {
  local p=$WINEPREFIX
  [ -f "$p/.harness-ready" ] && return 0
  check_wine
  rm -rf "$p"
  if [ "$p" != "$dir/prefix" ]; then
    # A copy takes seconds instead of a new wineboot. It is taken from the
    # clean copy, which no test runs in: the build's prefix may be in use.
    clean_prefix
    copy_prefix "$dir/prefix-clean" "$p"
    return 0
  fi
  "${wine[@]}" wineboot -i >/dev/null 2>&1
  "$wineserver" -w
  # Windows that close in milliseconds and carry their own captions.
  "${wine[@]}" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The shell folders point into the real home folder: make them real folders.
  local link
  for link in "$p"/drive_c/users/*/*; do
    if [ -L "$link" ]; then
      rm -f "$link"
      mkdir -p "$link"
    fi
  done
  # Wine's own fonts are used only from the Fonts folder; dialog units depend on them.
  cp -f /usr/share/wine/fonts/* "$p/drive_c/windows/Fonts/"
  "$wineserver" -w
  touch "$p/.harness-ready"
}

# Copied aside and moved in: an interrupted copy never looks ready.
copy_prefix() {  # FROM TO
  rm -rf "$2.new"
  cp -a "$1" "$2.new"
  mv -T "$2.new" "$2"
}

# The source of the other prefixes: the build's prefix as made, before any
# test has run in it ('start' makes it before the tests begin).
clean_prefix() {
  [ -f "$dir/prefix-clean/.harness-ready" ] && return 0
  WINEPREFIX=$dir/prefix make_prefix
  copy_prefix "$dir/prefix" "$dir/prefix-clean"
}

start_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    setsid Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 < /dev/null &
    echo $! > "$dir/xvfb.pid"
    local i
    for i in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      sleep 0.05
    done
    if [ -e "/tmp/.X11-unix/X$n" ]; then
      echo ":$n" > "$dir/display"
      export DISPLAY=":$n"
      return 0
    fi
    kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
    rm -f "$dir/xvfb.pid"
  done
  echo "wine-harness: no free X display" >&2
  return 1
}

# A persistent wineserver for WINEPREFIX makes every later process start
# fast. Its output must not hold the caller's pipes open.
server_up() {
  setsid "$wineserver" -p >/dev/null 2>&1 < /dev/null || true
  "${wine[@]}" cmd /c exit >/dev/null 2>&1 < /dev/null || true
}

# Ends the wineserver of WINEPREFIX and waits for it: a start right after
# must not meet the old server on its way out.
server_down() {
  "$wineserver" -k >/dev/null 2>&1 || true
  "$wineserver" -w >/dev/null 2>&1 || true
}

case $cmd in
  env)
    harness_env
    for v in WINEPREFIX WINEARCH WINELOADER WINESERVER WINEDEBUG WINEDLLOVERRIDES LOCPATH LC_ALL DISPLAY; do
      printf '%s=%q\n' "$v" "${!v:-}"
    done
    ;;
  prefix)
    harness_env
    exec 9>"$dir/.lock"
    flock 9
    make_prefix
    ;;
  start)
    harness_env
    exec 9>"$dir/.lock"
    flock 9
    make_prefix
    clean_prefix
    # Xvfb and the wineserver live on after this script: they must not
    # inherit the lock, or every later caller waits for them.
    exec 9>&-
    rm -f "$dir/display"
    start_display
    server_up
    ;;
  stop)
    harness_env
    server_down
    if [ -f "$dir/xvfb.pid" ]; then
      kill "$(cat "$dir/xvfb.pid")" 2>/dev/null || true
      rm -f "$dir/xvfb.pid"
    fi
    rm -f "$dir/display"
    ;;
  run)
    harness_env
    [ -f "$WINEPREFIX/.harness-ready" ] || "$0" prefix "$dir"
    exec "${wine[@]}" "$@"
    ;;
  run-isolated)
    harness_env
    [ -f "$WINEPREFIX/.harness-ready" ] || "$0" prefix "$dir"
    server_down
    server_up
    status=0
    "${wine[@]}" "$@" || status=$?
    server_down
    exit $status
    ;;
  *)
    echo "wine-harness: unknown command $cmd" >&2
    exit 2
    ;;
esac
