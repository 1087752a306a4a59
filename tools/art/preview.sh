#!/usr/bin/env bash
# Renders the generated pictures as PNG files for looking at them (needs
# ImageMagick's convert):
#
#   tools/art/preview.sh OUT_DIR [ZELTA_ART]
#
# ZELTA_ART defaults to the Windows build's host copy, then the native one.
# Writes into OUT_DIR: background.png, emblem.png (three times enlarged),
# icons.png (every size, enlarged, on a dialog grey), clip1001.png ...
# clip1003.png (every fourth frame, twice enlarged) and the files themselves.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
out=${1:?output directory}
tool=${2:-}
if [ -z "$tool" ]; then
  for t in "$root/build/win/host/zelta-art" "$root/build/native/zelta-art"; do
    [ -x "$t" ] && { tool=$t; break; }
  done
fi
[ -n "$tool" ] && [ -x "$tool" ] || { echo "preview: no zelta-art; build first or name it" >&2; exit 1; }

mkdir -p "$out/files" "$out/frames"
"$tool" write "$out/files"
convert "$out/files/ZeltaWin.bmp" "$out/background.png"
convert "$out/files/ZeltaBas.bmp" -scale 300% "$out/emblem.png"

icons=()
for name in ZeltaEarth ZeltaWin; do
  for k in 0 1 2; do
    convert "$out/files/$name.ico[$k]" -background '#ECE9D8' -flatten -scale 48x48 \
      -filter point -resize 192x192 "$out/frames/$name-$k.png"
    icons+=("$out/frames/$name-$k.png")
  done
done
convert "${icons[@]}" +append "$out/icons.png"

for id in 1001 1002 1003; do
  rm -rf "$out/frames/$id"
  mkdir -p "$out/frames/$id"
  "$tool" frames "$out/files/clip$id.avi" "$out/frames/$id" >/dev/null
  picked=()
  n=0
  for f in "$out/frames/$id"/frame*.bmp; do
    [ $((n % 4)) -eq 0 ] && picked+=("$f")
    n=$((n + 1))
  done
  convert "${picked[@]}" -scale 200% -bordercolor white -border 2 -append "$out/clip$id.png"
done
echo "preview: PNG files in $out"
