#!/usr/bin/env bash
# Speed and memory of a whole installation, against the same transfer done
# by curl and cp.
#
#   scripts/benchmark.sh [--http] [MIB]          (default 256)
#
# Builds a distribution of about MIB MiB (the bundled sample plus a few
# large files of many 512000-byte chunks, one of them stored interleaved,
# ten medium files and hundreds of small ones, every tenth of them "ex_"),
# serves it with nginx on loopback (HTTPS and HTTP, in a private network
# namespace), and in one run:
#   1. installs it with the real ZeltaWebInstall.exe under Wine, worked from
#      tools/bench/install_timer.cpp: seconds from the press of "Telepítés"
#      to the success text; the program's resident memory is sampled from
#      /proc every 50 ms (idle setup dialog, then during the installation);
#   2. fetches the same files (probe, catalogue, file lists, every stored
#      file) with one curl over one kept-alive HTTPS connection and copies
#      the fetched tree with one `cp -pR`, timed together.
# It measures the Windows build that runs natively here and says which: the
# shipped 32-bit program, or, where this kernel runs no 32-bit programs, the
# 64-bit build of the same source under 64-bit Wine.
# Then it checks every installed file against the expected content and
# prints one table. Targets: installer/(curl+cp) at most 1.2, memory growth
# over the idle setup dialog at most 8 MiB. Exit code 0 when the
# installation succeeded and was right (whether the targets were met is in
# the table), 1 otherwise. Needs root (namespaces), like the test command.
# Work files go to $BUILD_DIR/bench (default build/bench), about 4 x MIB.
set -euo pipefail

self=$(readlink -f "$0")
root=$(cd "$(dirname "$self")/.." && pwd)
build=${BUILD_DIR:-$root/build}
bench=$build/bench
harness=$root/tools/wine/wine-harness.sh
# The Windows build measured: the one that runs natively here (chosen below).
winbuild=${ZELTA_BENCH_BUILD:-win}
wine_dir=$build/$winbuild/wine
web_host=www.zeltasoft.example
download_host=download.zeltasoft.example

# Arithmetic on decimals.
calc() { awk "BEGIN { v = ($1); printf \"%.6f\", v }"; }

# Windows path (through Wine's Z: drive) of a Unix path.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# The second half runs inside vendor-net.sh's namespace (see the end).
inside() {
  local marks=$bench/marks samples=$bench/samples result=$bench/result
  rm -rf "$marks" "$samples" "$samples".*-smaps "$result" "$bench/curl" "$bench/copy"
  mkdir -p "$marks"
  # Both timed parts start with nothing waiting to be written.
  sync
  sample_memory "$marks" "$samples" &
  local sampler=$!
  local status=0
  WINE_HARNESS_PREFIX=$wine_dir/prefix-bench "$harness" run-isolated "$wine_dir" \
    "$build/$winbuild/install_timer.exe" "$(winpath "$build/$winbuild/ZeltaWebInstall.exe")" \
    "$(winpath "$result")" "$(winpath "$marks")" || status=$?
  touch "$marks/done"
  # The installer's requests, before curl's join them.
  cp "$ZELTA_VENDOR_STATE/nginx-access.log" "$bench/installer-access.log" 2>/dev/null || true
  wait "$sampler" || true
  [ $status -eq 0 ] || { echo "benchmark: the installation failed" >&2; cat "$result" >&2 || true; }

  # The same files over one connection, then one copy of the fetched tree.
  # Where the installer reads: the web host over HTTPS, or with --http the
  # download host over HTTP.
  local site="https://$web_host/Download/UpDate-V9.20"
  [ "${ZELTA_BENCH_HTTP:-0}" = 1 ] && site="http://$download_host/UpDate-V9.20"
  local config=$bench/curl.config base="$site/VarnelDemo"
  {
    printf 'url = "%s/Update.ini"\noutput = "%s/curl/Update.ini"\n' "$site" "$bench"
    printf 'url = "%s/Disc_01/Install.ini"\noutput = "%s/curl/Disc_01/Install.ini"\n' "$base" "$bench"
    local disc
    for disc in $(cut -f1 "$bench/files.tsv" | sort -un); do
      printf 'url = "%s/Disc_%02d/Fajls_%d.ini"\noutput = "%s/curl/Disc_%02d/Fajls_%d.ini"\n' \
        "$base" "$disc" "$disc" "$bench" "$disc" "$disc"
    done
    local d component source rest
    while IFS=$'\t' read -r d component source rest; do
      source=${source//\\//}
      printf 'url = "%s/Disc_%02d%s"\noutput = "%s/curl/Disc_%02d%s"\n' "$base" "$d" "$source" "$bench" "$d" "$source"
    done < "$bench/files.tsv"
  } > "$config"
  local t0 t1 t2
  sync
  t0=$(date +%s.%N)
  curl --silent --show-error --fail --create-dirs --config "$config"
  t1=$(date +%s.%N)
  cp -pR "$bench/curl" "$bench/copy"
  t2=$(date +%s.%N)
  printf 'curl=%s\ncp=%s\n' "$(calc "$t1 - $t0")" "$(calc "$t2 - $t1")" >> "$result"
  return $status
}

# Samples VmRSS (KiB) of the installer every 50 ms, labelled by the marks of
# the driver: "boot", "idle" (setup dialog sitting idle), "install", "after".
sample_memory() {
  local marks=$1 out=$2 pid="" phase key value unit i peak=0
  for ((i = 0; i < 72000; i++)); do  # at most an hour
    [ -e "$marks/done" ] && break
    if [ -z "$pid" ] || [ ! -r "/proc/$pid/status" ]; then
      # Only this namespace's processes are in its /proc.
      pid=$(pgrep -f 'ZeltaWebInstall\.exe$' | head -n 1 || true)
      if [ -n "$pid" ] && [ -n "${ZELTA_BENCH_PERF:-}" ]; then
        # A profile of the installer alone, for `perf report -i FILE`.
        perf record ${ZELTA_BENCH_PERF_OPTIONS:--g} -p "$pid" -o "$ZELTA_BENCH_PERF" >/dev/null 2>&1 &
      fi
    fi
    if [ -n "$pid" ] && [ -r "/proc/$pid/status" ]; then
      phase=boot
      if [ -e "$marks/end" ]; then phase=after
      elif [ -e "$marks/start" ]; then phase=install
      elif [ -e "$marks/idle" ]; then phase=idle
      fi
      local rss="" anon="" file=""
      while read -r key value unit; do
        case $key in
          VmRSS:) rss=$value ;;
          RssAnon:) anon=$value ;;
          RssFile:) file=$value; break ;;
        esac
      done < "/proc/$pid/status" 2>/dev/null || true
      # (a read that races the process's end can miss a line: such a sample is dropped)
      [ -n "$rss" ] && [ -n "$anon" ] && [ -n "$file" ] && echo "$phase $rss $anon $file" >> "$out"
      # The mappings behind the numbers: idle, and at the highest sample.
      [ "$phase" = idle ] && [ ! -e "$out.idle-smaps" ] && cp "/proc/$pid/smaps" "$out.idle-smaps" 2>/dev/null
      if [ "$phase" = install ] && [ -n "$rss" ] && [ "$rss" -gt "$peak" ]; then
        peak=$rss
        cp "/proc/$pid/smaps" "$out.peak-smaps" 2>/dev/null
      fi
      # CPU time so far (user and system, in clock ticks).
      read -r stat < "/proc/$pid/stat" 2>/dev/null && echo "cpu $phase $(echo "${stat##*) }" | cut -d' ' -f12,13)" >> "$out"
    fi
    sleep 0.05
  done
}

# The benchmark's distribution: the sample, and on its second disc the large,
# medium and small files.
write_description() {  # MIB FILE
  local total=$(( $1 * 1048576 )) out=$2 i size seed source
  cp "$root/tools/distribution/sample.dist" "$out"
  {
    echo
    echo "# Added by scripts/benchmark.sh for $1 MiB."
    # 60 % in at least four large plain files, 10 % in interleaved ones (no
    # file above 60 MiB: zelta-dist makes at most 64 MiB).
    local cap=$(( 60 * 1048576 )) count part
    count=$(( (total * 60 / 100 + cap - 1) / cap )); (( count >= 4 )) || count=4
    part=$(( total * 60 / 100 / count ))
    for ((i = 1; i <= count; i++)); do
      if (( i % 2 )); then
        printf '[file Datas \\Datas\\bench\\big%d.dat]\nTarget = \\ZeltaWin32\\Adatok\\bench%d.dat\nGenerate = %d %d\n\n' $i $i $part $(( 100 + i ))
      else
        printf '[file Projects \\Projects\\bench\\big%d.zpr]\nTarget = \\ZeltaWin32\\Projektek\\bench%d.zpr\nGenerate = %d %d\n\n' $i $i $part $(( 100 + i ))
      fi
    done
    count=$(( (total * 10 / 100 + cap - 1) / cap )); (( count >= 1 )) || count=1
    part=$(( total * 10 / 100 / count ))
    for ((i = 1; i <= count; i++)); do
      printf '[file Systems \\Systems\\bench\\dl_big%d.bin]\nTarget = \\ZeltaWin32\\Bin\\bench%d.bin\nGenerate = %d %d\n\n' $i $i $part $(( 150 + i ))
    done
    for ((i = 1; i <= 10; i++)); do
      printf '[file Drawings \\Drawings\\bench\\m%02d.zdw]\nTarget = \\ZeltaWin32\\Rajzok\\bench-m%02d.zdw\nGenerate = %d %d\n\n' \
        $i $i $(( total / 100 )) $(( 200 + i ))
    done
    # 400 small files averaging 0.05 % of the total, from half to one and a
    # half times that.
    local average=$(( total / 2000 ))
    for ((i = 1; i <= 400; i++)); do
      size=$(( average / 2 + average * ((i * 37) % 100) / 100 + 1 ))
      seed=$(( 1000 + i ))
      if (( i % 10 == 0 )); then source="\\Blocks\\bench\\ex_s$i.zbl"; else source="\\Blocks\\bench\\s$i.zbl"; fi
      printf '[file Blocks %s]\nTarget = \\ZeltaWin32\\Blokkok\\bench-s%03d.zbl\nGenerate = %d %d\n\n' \
        "$source" $i $size $seed
    done
  } >> "$out"
}

if [ "${1:-}" = "__inside" ]; then
  inside
  exit $?
fi

net=()
export ZELTA_BENCH_HTTP=0
if [ "${1:-}" = "--http" ]; then
  # The secure port refused: the installer takes its plain attempt.
  net=(--no-https)
  ZELTA_BENCH_HTTP=1
  shift
fi
mib=${1:-256}
[[ $mib =~ ^[0-9]+$ ]] && [ "$mib" -ge 4 ] && [ "$mib" -le 4096 ] || {
  echo "usage: scripts/benchmark.sh [--http] [MIB]   (4 to 4096, default 256)" >&2
  exit 2
}

jobs=$(nproc 2>/dev/null || echo 2)
"$root/scripts/setup.sh"
. "$root/scripts/builds.sh"
configure_build native
cmake --build "$build/native" -j"$jobs" --target zelta-dist fault-server >/dev/null
# The shipped 32-bit program where this kernel runs 32-bit programs; else
# the 64-bit build of the same source under 64-bit Wine (an emulated machine
# would measure the emulator).
winbuild=$(native_windows_build)
export ZELTA_BENCH_BUILD=$winbuild
wine_dir=$build/$winbuild/wine
configure_build "$winbuild"
cmake --build "$build/$winbuild" -j"$jobs" --target ZeltaWebInstall install_timer zelta_sample_product >/dev/null

echo "== making a distribution of $mib MiB"
rm -rf "$bench"
mkdir -p "$bench"
defines=(--define "PRODUCT=$build/$winbuild/zelta_sample_product.exe" --define "FONT=/usr/share/wine/fonts/webdings.ttf")
write_description "$mib" "$bench/bench.dist"
dist=$build/native/zelta-dist
"$dist" "${defines[@]}" list "$bench/bench.dist" > "$bench/files.tsv"
"$dist" "${defines[@]}" site "$bench/bench.dist" "$bench/site"
"$dist" "${defines[@]}" expect "$bench/bench.dist" "$bench/expect"
# A fresh copy of the build's prefix: a first installation, nothing to ask.
rm -rf "$wine_dir/prefix-bench"

"$harness" start "$wine_dir"
trap '"$harness" stop "$wine_dir"' EXIT
echo "== installing with ZeltaWebInstall.exe, then the same with curl and cp"
status=0
ZELTA_FAULT_SERVER=$build/native/fault-server \
  "$root/tools/distribution/vendor-net.sh" --site "$bench/site" --state "$bench/state" \
    --web-host "$web_host" --download-host "$download_host" "${net[@]}" -- "$self" __inside || status=$?

# Every installed file must be right, or the times mean nothing.
installed=$wine_dir/prefix-bench/drive_c/V92EDemo
wrong=0
while IFS= read -r -d '' file; do
  cmp -s "$bench/expect/root/$file" "$installed/$file" || { echo "benchmark: wrong or missing: $file" >&2; wrong=$((wrong + 1)); }
done < <(cd "$bench/expect/root" && find . -type f -print0)
[ $wrong -eq 0 ] || status=1

value() { awk -v key="$1=" 'index($0, key) == 1 && !done { sub(/\r$/, ""); print substr($0, length(key) + 1); done = 1 }' \
  "$bench/result" 2>/dev/null || true; }
files=$(wc -l < "$bench/files.tsv")
real_bytes=$(awk -F'\t' '{ s += $5 } END { printf "%d", s }' "$bench/files.tsv")
stored_bytes=$(awk -F'\t' '{ s += $6 } END { printf "%d", s }' "$bench/files.tsv")
seconds=$(value seconds); curl_s=$(value curl); cp_s=$(value cp)
[ -n "$seconds" ] || { echo "benchmark: no installer time: $(value outcome)" >&2; status=1; seconds=0; }
[ -n "$curl_s" ] || { curl_s=0; cp_s=0; status=1; }
base=$(calc "$curl_s + $cp_s")
ratio=$(calc "$base > 0 ? $seconds / $base : 0")
rate=$(calc "$seconds > 0 ? $stored_bytes / 1048576 / $seconds : 0")
# Phase lines as the driver saw them (Windows-1250; matched on ASCII parts).
phase_at() {
  awk -v part="$1" '/^phase=/ && index($0, part) && !done { sub(/^phase=/, ""); print $1 + 0; done = 1 }
    END { if (!done) print 0 }' "$bench/result" 2>/dev/null || echo 0
}
download_at=$(phase_at "adatok let"); files_at=$(phase_at "llom"); register_at=$(phase_at "regisztr")
download_s=$(calc "${files_at:-0} - ${download_at:-0}")
# (The registration line may pass between two looks; then the end counts.)
[ "$(calc "$register_at > $files_at")" = "1.000000" ] || register_at=$seconds
files_s=$(calc "$register_at - $files_at")
# Memory samples: "PHASE VmRSS RssAnon RssFile" (KiB); CPU: "cpu PHASE utime stime".
idle=$(awk '$1 == "idle" { v = $2 } END { print v + 0 }' "$bench/samples" 2>/dev/null || echo 0)
idle_anon=$(awk '$1 == "idle" { v = $3 } END { print v + 0 }' "$bench/samples" 2>/dev/null || echo 0)
peak=$(awk '$1 == "install" && $2 > m { m = $2 } END { print m + 0 }' "$bench/samples" 2>/dev/null || echo 0)
peak_anon=$(awk '$1 == "install" && $3 > m { m = $3 } END { print m + 0 }' "$bench/samples" 2>/dev/null || echo 0)
growth=$(calc "($peak - $idle) / 1024")
anon_growth=$(calc "($peak_anon - $idle_anon) / 1024")
ticks=$(getconf CLK_TCK 2>/dev/null || echo 100)
cpu=$(awk -v hz="$ticks" '$1 == "cpu" && $2 == "idle" { a = $3 + $4 } $1 == "cpu" && $2 == "install" { b = $3 + $4 }
  END { printf "%.2f", (b > a ? b - a : 0) / hz }' "$bench/samples" 2>/dev/null || echo 0)
verdict() { awk "BEGIN { v = ($1); if (v) print \"met\"; else print \"MISSED\" }"; }
protocol=HTTPS
[ "$ZELTA_BENCH_HTTP" = 1 ] && protocol=HTTP

describe_build() {
  case $winbuild in
    win) echo "build/win: the shipped 32-bit program, 32-bit Wine" ;;
    win64) echo "build/win64: the 64-bit build of the same source, 64-bit Wine (no 32-bit programs here)" ;;
  esac
}

echo
printf '%-46s %s\n' "program measured" "$(describe_build)"
printf '%-46s %s\n' "distribution ($protocol)" "$files files, $real_bytes bytes installed, $stored_bytes bytes transferred"
printf '%-46s %8.2f s  (download %.2f s, file installation %.2f s)\n' \
  "installer (\"Telepítés\" to success text)" "$seconds" "$download_s" "$files_s"
printf '%-46s %8.2f s  (curl %.2f s + cp %.2f s)\n' "curl (one connection) + cp -pR" "$base" "$curl_s" "$cp_s"
printf '%-46s %8.2f    target <= 1.2: %s\n' "ratio installer / (curl + cp)" "$ratio" "$(verdict "$ratio <= 1.2")"
printf '%-46s %8.1f MiB/s transferred\n' "installer throughput" "$rate"
printf '%-46s %8.2f s\n' "installer CPU time (user + system)" "$cpu"
printf '%-46s %8.1f MiB  (idle setup dialog %.1f MiB)\n' "installer peak resident memory" \
  "$(calc "$peak / 1024")" "$(calc "$idle / 1024")"
printf '%-46s %8.1f MiB  target <= 8: %s\n' "growth during the installation" "$growth" "$(verdict "$growth <= 8")"
printf '%-46s %8.1f MiB  (the rest: mapped libraries, shared memory)\n' "  of which private (anonymous) memory" "$anon_growth"
printf '%-46s %s\n' "installed files checked" "$([ $wrong -eq 0 ] && echo "all right" || echo "$wrong WRONG")"
exit $status
