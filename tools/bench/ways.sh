#!/usr/bin/env bash
# Times ways of copying (copy_pace.exe) or of reading bodies (read_pace.exe)
# against each other on the benchmark's distribution, interleaved round by
# round, and prints minimum and median of each.
#
#   tools/bench/ways.sh copy [--rounds N] VARIANT...      e.g. copyfile loop loop+once
#   tools/bench/ways.sh read [--http] [--rounds N] [--only REGEX] WAY:SIZE...
#                                         e.g. sync:512000 nowait:512000 nowait+cookies:512000
# --only keeps the requests whose URL matches REGEX (grep -E), four times
# each: many small requests show what a request costs.
#
# Needs the work files of a scripts/benchmark.sh run ($BUILD_DIR/bench, made
# with the same --http choice for "read") and root, like the benchmark.
set -euo pipefail

self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/../.." && pwd)
build=${BUILD_DIR:-$root/build}
bench=$build/bench
harness=$root/tools/wine/wine-harness.sh
winbuild=${ZELTA_BENCH_BUILD:-win}
wine_dir=$build/$winbuild/wine
prefix=$wine_dir/prefix-ways

winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Runs a program of the build in the prefix; its own timing is in RESULT.
run() {
  WINE_HARNESS_PREFIX=$prefix "$harness" run-isolated "$wine_dir" "$@"
}

# One run of every way, in the order given, ROUNDS times.
rounds_of() {  # KIND ROUNDS WAY...
  local kind=$1 rounds=$2 r way
  shift 2
  for ((r = 1; r <= rounds; r++)); do
    for way in "$@"; do
      rm -rf "$prefix/drive_c/ways"
      if [ "$kind" = copy ]; then
        (cd "$bench/ways" && find . -type d -exec mkdir -p "$prefix/drive_c/ways/{}" \;)
        sync
        run "$build/$winbuild/copy_pace.exe" "$way" "$(winpath "$bench/ways.list")" "$(winpath "$bench/ways.out")" ||
          echo "ways: $way failed" >&2
      else
        sync
        run "$build/$winbuild/read_pace.exe" "${way%%:*}" "${way#*:}" "$(winpath "$bench/ways.read")" \
          "$(winpath "$bench/ways.out")" || echo "ways: $way failed" >&2
      fi
      printf '%s %s\n' "$way" "$(tr '\r\n' '  ' < "$bench/ways.out")" | tee -a "$bench/ways.results"
    done
  done
}

summary() {
  echo
  printf '%-32s %8s %8s  %s\n' way minimum median "other medians"
  awk '{ for (i = 2; i <= NF; i++) { split($i, kv, "="); if (kv[2] ~ /^[0-9.]+$/) print $1, kv[1], kv[2] } }' \
    "$bench/ways.results" | sort -k1,1 -k2,2 -k3,3g |
    awk '{ key = $1 " " $2; v[key, ++n[key]] = $3; if (!(key in seen)) { seen[key] = 1; order[++k] = key } }
      END {
        for (i = 1; i <= k; i++) {
          key = order[i]; c = n[key]
          m = c % 2 ? v[key, (c + 1) / 2] : (v[key, c / 2] + v[key, c / 2 + 1]) / 2
          split(key, p, " ")
          if (p[2] == "seconds") line[p[1]] = sprintf("%-32s %8.3f %8.3f ", p[1], v[key, 1], m)
          else if (p[2] != "bytes") extra[p[1]] = extra[p[1]] " " p[2] "=" m
          if (!(p[1] in known)) { known[p[1]] = 1; ways[++w] = p[1] }
        }
        for (i = 1; i <= w; i++) print line[ways[i]] extra[ways[i]]
      }'
}

[ "${1:-}" = __inside ] && { shift; rounds_of "$@"; exit 0; }

kind=${1:-}
shift || true
net=() rounds=3 only=""
while [ $# -gt 0 ]; do
  case $1 in
    --http) net=(--no-https) ;;
    --rounds) rounds=$2; shift ;;
    --only) only=$2; shift ;;
    *) break ;;
  esac
  shift
done
[ $# -gt 0 ] && { [ "$kind" = copy ] || [ "$kind" = read ]; } || { sed -n '2,10p' "$self" >&2; exit 2; }
[ -f "$bench/least.list" ] || { echo "ways: run scripts/benchmark.sh first" >&2; exit 2; }
. "$root/scripts/builds.sh"
cmake --build "$build/$winbuild" --target copy_pace read_pace >/dev/null
rm -f "$bench/ways.results"
rm -rf "$prefix"
WINE_HARNESS_PREFIX=$prefix "$harness" prefix "$wine_dir"
"$harness" start "$wine_dir"
trap '"$harness" stop "$wine_dir"; rm -rf "$prefix"' EXIT
echo "== load $(cut -d' ' -f1-3 /proc/loadavg)"
if [ "$kind" = copy ]; then
  # The stored files, copied to the targets the reference uses.
  rm -rf "$bench/ways"
  : > "$bench/ways.list"
  while IFS=$'\t' read -r stored target; do
    mkdir -p "$bench/ways/$(dirname "$target")"
    printf '%s\tC:\\ways\\%s\n' "$(winpath "$stored")" "${target//\//\\}" >> "$bench/ways.list"
  done < "$bench/least.check"
  "$self" __inside copy "$rounds" "$@"
else
  # The reference's requests, stored inside the prefix.
  sed 's/\tC:\\least\\/\tC:\\ways\\/' "$bench/least.list" > "$bench/ways.read"
  if [ -n "$only" ]; then
    tab=$'\t'
    grep -E "^[^$tab]*($only)" "$bench/ways.read" > "$bench/ways.only" || true
    cat "$bench/ways.only" "$bench/ways.only" "$bench/ways.only" "$bench/ways.only" > "$bench/ways.read"
  fi
  ZELTA_FAULT_SERVER=$build/native/fault-server \
    "$root/tools/distribution/vendor-net.sh" --site "$bench/site" --state "$bench/state" "${net[@]}" \
      -- "$self" __inside read "$rounds" "$@"
fi
echo "== load $(cut -d' ' -f1-3 /proc/loadavg)"
summary
