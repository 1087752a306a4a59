#!/usr/bin/env bash
# The program's folders are floors, each including only its own floor and
# those below it:
#
#   app/ > setup/ > install/ > web/ > progress/ > window/ > catalogue/ > common/
#
# and resources/ (the resource ids) below them all. This check reads the
# '#include "..."' lines of every source and header of those folders and
# fails on an include that reaches a higher floor or an unknown folder, on a
# folder that is no floor, and on a circle between two files' units (a unit
# is x.h with x.cpp; a includes b's header, b includes a's, directly or
# further round).
#
#   tests/check_floors.sh [SOURCE_ROOT]
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

floors=(app setup install web progress window catalogue common resources)
declare -A rank
for i in "${!floors[@]}"; do rank[${floors[$i]}]=$i; done

# Folders of the program itself; tests/, tools/, cmake/ and scripts/ stand
# outside the floors.
outside=" tests tools cmake scripts build "

status=0
edges=$(mktemp)
trap 'rm -f "$edges"' EXIT

for dir in */; do
  dir=${dir%/}
  case "$outside" in *" $dir "*) continue ;; esac
  if [ -z "$(find "$dir" -maxdepth 1 \( -name '*.cpp' -o -name '*.h' \) -print -quit)" ]; then continue; fi
  if [ -z "${rank[$dir]+x}" ]; then
    echo "$dir/: a folder of sources that is no floor (add it to tests/check_floors.sh and the README)" >&2
    status=1
  fi
done

for dir in "${floors[@]}"; do
  [ -d "$dir" ] || continue
  for file in "$dir"/*.cpp "$dir"/*.h; do
    [ -e "$file" ] || continue
    unit=${file%.*}
    while IFS= read -r line; do
      included=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"([^"]+)".*/\1/' <<<"$line")
      folder=${included%%/*}
      if [ "$folder" = "$included" ] || [ -z "${rank[$folder]+x}" ]; then
        echo "$file: includes \"$included\", which is in no floor" >&2
        status=1
        continue
      fi
      if [ "${rank[$folder]}" -lt "${rank[$dir]}" ]; then
        echo "$file: includes \"$included\": $folder/ is above $dir/" >&2
        status=1
      fi
      target=${included%.*}
      [ "$target" != "$unit" ] && echo "$unit $target" >>"$edges"
    done < <(grep -E '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file")
  done
done

# tsort names every circle it meets ("input contains a loop") on stderr.
loops=$(sort -u "$edges" | tsort 2>&1 >/dev/null)
if [ -n "$loops" ]; then
  echo "units that include each other in a circle:" >&2
  echo "$loops" | sed 's/^tsort: /  /' >&2
  status=1
fi

[ $status -eq 0 ] && echo "floors: every include goes down or stays on its floor, and none goes round"
exit $status
