#!/usr/bin/env bash
# The demo's film: tools/film/record.sh around a real run (COMMAND) on the
# Windows tests' X display. COMMAND must succeed; ffprobe must decode both
# files to the end; each must last as long as the run, from before COMMAND
# started to a little after it ended, and show more than the empty screen.
#
#   film_test.sh WINE_DIR WORK -- COMMAND...
set -euo pipefail

here=$(cd "$(dirname "$0")/../.." && pwd)
wine_dir=${1:?wine folder}; work=${2:?work folder}
shift 2
[ "${1:-}" = "--" ] && shift

# The grab waits for its first frame before COMMAND starts and stops just
# after it; more than this on top of the run is a film of something else.
late_limit=3

display=$("$here/tools/wine/wine-harness.sh" env "$wine_dir" | sed -n 's/^DISPLAY=//p')
[ -n "$display" ] || { echo "film_test: no X display (the wine.start fixture makes one)" >&2; exit 1; }
rm -rf "$work"
mkdir -p "$work"
webm=$work/installation.webm gif=$work/installation.gif

# The run's own length, measured inside the recording.
status=0
"$here/tools/film/record.sh" "$display" "$webm" "$gif" -- \
  bash -c 'date +%s.%N > "$0/start"; "$@"; s=$?; date +%s.%N > "$0/end"; exit $s' "$work" "$@" || status=$?
[ $status = 0 ] || { echo "film_test: the filmed run failed ($status)" >&2; exit 1; }
run=$(awk -v a="$(cat "$work/start")" -v b="$(cat "$work/end")" 'BEGIN { printf "%.2f", b - a }')

holds() {  # AWK-CONDITION: true when it holds
  awk "BEGIN { exit !($1) }"
}

failures=0
fail() {
  echo "FAILED: $*" >&2
  failures=$((failures + 1))
}

# FILE CODEC FRAME_LENGTH: decodes every frame, checks the codec and the length.
check_film() {
  local file=$1 codec=$2 frame=$3 errors found length frames
  [ -s "$file" ] || { fail "$file was not written"; return; }
  errors=$(ffprobe -v error -count_frames -show_entries stream=codec_name,nb_read_frames:format=duration \
    -of default=noprint_wrappers=1 "$file" 2>&1 >"$work/probe") || true
  [ -z "$errors" ] || fail "$file does not decode: $errors"
  found=$(sed -n 's/^codec_name=//p' "$work/probe")
  length=$(sed -n 's/^duration=//p' "$work/probe")
  frames=$(sed -n 's/^nb_read_frames=//p' "$work/probe")
  [ "$found" = "$codec" ] || fail "$file holds $found, not $codec"
  [ "${frames:-0}" -gt 1 ] 2>/dev/null || fail "$file has ${frames:-no} frames"
  echo "$file: $codec, $frames frames, $length s for a run of $run s"
  # One frame's length of slack below: the last frame may start just before the end.
  holds "${length:-0} >= $run - $frame" || fail "$file ($length s) is shorter than the run ($run s)"
  holds "${length:-0} <= $run + $late_limit" ||
    fail "$file ($length s) is more than $late_limit s longer than the run ($run s)"
}
check_film "$webm" vp9 0.1
check_film "$gif" gif 0.25
[ ! -e "$gif" ] || [ "$(stat -c %s "$gif")" -le $((5 << 20)) ] || fail "$gif is over 5 MB"

# The display starts black; the installer's windows must show in the film.
if [ -s "$webm" ]; then
  ffprobe -v error -f lavfi -i "movie=$webm,signalstats" -show_entries frame_tags=lavfi.signalstats.YAVG \
    -of csv=p=0 > "$work/brightness"
  first=$(head -n 1 "$work/brightness")
  brightest=$(sort -g "$work/brightness" | tail -n 1)
  echo "brightness: first frame $first, brightest $brightest"
  holds "${brightest:-0} > ${first:-0} + 20" || fail "no window shows in $webm"
fi

[ $failures = 0 ] || exit 1
echo "film_test: passed"
