#!/usr/bin/env bash
# Runs COMMAND in one of the Windows tests' parallel slots, so that tests
# with a Wine prefix and wineserver of their own can run side by side.
#
#   wine-slot.sh COMMAND [ARGS...]
#
# ctest hands out the slots (resource "winslot", see the build's
# wine/slots.json; scripts/test.sh passes it) and names the one it gave in
# CTEST_RESOURCE_GROUP_0_WINSLOT ("id:2,slots:1"). In slot N the test's
# prefix WINE_HARNESS_PREFIX becomes WINE_HARNESS_PREFIX-sN (the harness
# makes it as a copy of the build's prefix the first time), and COMMAND gets
# an X display of its own: windows, focus and input of one test never reach
# another. Without a slot COMMAND runs as it is.
set -uo pipefail

slot=${CTEST_RESOURCE_GROUP_0_WINSLOT:-}
if [ -z "$slot" ]; then
  exec "$@"
fi
slot=${slot#id:}
slot=${slot%%,*}
case $slot in
  ''|*[!0-9a-z]*) echo "wine-slot: no slot id in '$CTEST_RESOURCE_GROUP_0_WINSLOT'" >&2; exit 2 ;;
esac
: "${WINE_HARNESS_PREFIX:?wine-slot: WINE_HARNESS_PREFIX names no prefix}"
export WINE_HARNESS_PREFIX=$WINE_HARNESS_PREFIX-s$slot

# Xvfb picks a free display number itself and writes it to fd 3 once it
# listens: no race with other slots starting at the same moment.
fifo=$(mktemp -u "${TMPDIR:-/tmp}/wine-slot.XXXXXX")
mkfifo "$fifo"
setsid Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 </dev/null &
xvfb=$!
number=
read -r -t 30 number < "$fifo"
rm -f "$fifo"
if [ -z "$number" ]; then
  kill "$xvfb" 2>/dev/null
  echo "wine-slot: Xvfb did not start" >&2
  exit 1
fi
export DISPLAY=:$number

status=0
"$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; kill "$xvfb" 2>/dev/null; exit 143' TERM
trap 'kill -INT "$child" 2>/dev/null; wait "$child"; kill "$xvfb" 2>/dev/null; exit 130' INT
wait "$child" || status=$?
kill "$xvfb" 2>/dev/null
wait "$xvfb" 2>/dev/null
exit $status
