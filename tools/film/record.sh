#!/usr/bin/env bash
# Films an X display while a command runs: from before the command starts
# to after it ends, then writes a WebM film and a small animated GIF of it.
#
#   record.sh DISPLAY WEBM GIF -- COMMAND [ARGS...]
#
# The exit code is COMMAND's. A film that cannot be made (no ffmpeg, no
# display, an encoder failing) is reported on stderr and changes nothing
# else: COMMAND runs all the same. The grab runs at a lower priority, so the
# filmed programs keep their pace. After SIGINT, SIGTERM or SIGHUP the grab
# ends with COMMAND and no film is written.
#
# The GIF is kept under 5 MB: fewer frames a second and a smaller picture
# are tried until it fits.
set -euo pipefail

display=${1:?display}; webm=${2:?webm file}; gif=${3:?gif file}
shift 3
[ "${1:-}" = "--" ] && shift
[ $# -gt 0 ] || { echo "record: no command given after --" >&2; exit 2; }

rate=10                  # frames a second grabbed
gif_limit=$((5 << 20))   # bytes
gif_steps=("4 1024" "3 800" "2 640" "1 480")  # frames a second, width

mkdir -p "$(dirname "$webm")" "$(dirname "$gif")"
work=$(mktemp -d "$(dirname "$webm")/.film.XXXXXX")
raw=$work/grab.mkv
grab_pid=""

problem() {
  echo "record: $*" >&2
}

# Starts the grab and waits for its first frame: the film must not begin
# after the command does.
start_grab() {
  command -v ffmpeg >/dev/null || { problem "no film: ffmpeg is not installed"; return 1; }
  # Lossless and cheap while the command runs; encoded afterwards.
  nice -n 10 ffmpeg -nostdin -hide_banner -loglevel error -f x11grab -draw_mouse 0 \
    -framerate "$rate" -i "$display" -c:v ffv1 -progress "$work/progress" -stats_period 0.1 \
    -y "$raw" </dev/null >"$work/grab.log" 2>&1 &
  grab_pid=$!
  local _
  for _ in $(seq 1 200); do
    if ! kill -0 "$grab_pid" 2>/dev/null; then
      wait "$grab_pid" 2>/dev/null || true
      grab_pid=""
      problem "no film: the grab of $display did not start: $(tail -n 3 "$work/grab.log" | tr '\n' ' ')"
      return 1
    fi
    grep -Eq '^frame=[1-9]' "$work/progress" 2>/dev/null && return 0
    sleep 0.05
  done
  stop_grab
  problem "no film: the grab of $display gave no frame in 10 s"
  return 1
}

# ffmpeg closes the file properly on SIGINT.
stop_grab() {
  [ -n "$grab_pid" ] || return 0
  kill -INT "$grab_pid" 2>/dev/null || true
  local _
  for _ in $(seq 1 200); do
    kill -0 "$grab_pid" 2>/dev/null || break
    sleep 0.05
  done
  kill -KILL "$grab_pid" 2>/dev/null || true
  wait "$grab_pid" 2>/dev/null || true
  grab_pid=""
}

encode() {
  local webm_new=$work/film.webm gif_new=$work/film.gif step fps width
  ffprobe -v error "$raw" >/dev/null 2>&1 || { problem "no film: the grab left no readable file"; return 1; }
  # VP9 at constant quality: the screens are mostly still, so this stays small.
  if ! nice -n 10 ffmpeg -nostdin -hide_banner -loglevel error -i "$raw" -c:v libvpx-vp9 \
      -crf 36 -b:v 0 -deadline good -cpu-used 4 -row-mt 1 -pix_fmt yuv420p -y "$webm_new" 2>"$work/encode.log"; then
    problem "no film: the WebM encoding failed: $(tail -n 3 "$work/encode.log" | tr '\n' ' ')"
    return 1
  fi
  mv -f "$webm_new" "$webm"
  for step in "${gif_steps[@]}"; do
    read -r fps width <<< "$step"
    # One palette for the whole film; frames store only what changed.
    if ! nice -n 10 ffmpeg -nostdin -hide_banner -loglevel error -i "$raw" -filter_complex \
        "fps=$fps,scale='min($width,iw)':-2:flags=lanczos,split[a][b];[a]palettegen=stats_mode=diff[p];[b][p]paletteuse=dither=none:diff_mode=rectangle" \
        -y "$gif_new" 2>"$work/encode.log"; then
      problem "no GIF: its encoding failed: $(tail -n 3 "$work/encode.log" | tr '\n' ' ')"
      return 1
    fi
    if [ "$(stat -c %s "$gif_new")" -le "$gif_limit" ]; then
      mv -f "$gif_new" "$gif"
      return 0
    fi
  done
  problem "no GIF: it stays over 5 MB even at 1 frame a second"
  return 1
}

# A signal from the terminal reaches COMMAND too; these run once it has
# ended (it stops its own servers first).
trap 'stop_grab; rm -rf "$work"' EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# An old film must not pass for this run's.
rm -f "$webm" "$gif"
filming=0
start_grab && filming=1

status=0
"$@" || status=$?

if [ $filming = 1 ]; then
  stop_grab
  encode || true
fi
exit "$status"
