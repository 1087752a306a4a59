#!/usr/bin/env bash
# Speed and memory of a whole installation, against the least Windows
# program that does the same transfer on this platform and against curl
# and cp.
#
#   scripts/benchmark.sh [--http] [--rounds N] [MIB]   (default 3 rounds, 256 MiB)
#
# Builds a distribution of about MIB MiB (the bundled sample plus a few
# large files of many 512000-byte chunks, one of them stored interleaved,
# ten medium files and hundreds of small ones, every tenth of them "ex_"),
# serves it with nginx on loopback (HTTPS and HTTP, in a private network
# namespace), and runs N rounds of three parts, one after the other:
#   1. installs it with the real ZeltaWebInstall.exe under Wine, worked from
#      tools/bench/install_timer.cpp: seconds from the press of "Telepítés"
#      to the success text; the program's resident memory is sampled from
#      /proc every 50 ms (idle setup dialog, then during the installation);
#   2. the reference, tools/bench/least_installer.cpp under the same Wine in
#      a prefix in the same state: the same requests with the same flags
#      (probe, catalogue, file lists, checksum lists, every stored file) over
#      one WinINet session in 512000-byte reads, then CopyFileA of each file
#      to its place (files stored interleaved are copied as stored);
#   3. fetches the same files with one curl over one kept-alive connection
#      and copies the fetched tree with one `cp -pR`, timed together.
# It measures the Windows build that runs natively here and says which: the
# shipped 32-bit program, or, where this kernel runs no 32-bit programs, the
# 64-bit build of the same source under 64-bit Wine (the reference is built
# for the same word size).
# After each round it checks every installed file against the expected
# content and every file the reference placed against the stored one, and
# that the reference asked for what the installer asked for; then it prints
# each round and one table of minimum and median. Targets: installer /
# reference at most 1.1 (medians), file installation / the reference's copy
# at most 1.2, memory growth over the idle setup dialog at most 8 MiB. Exit
# code 0 when every installation succeeded and was right and the reference
# did the same work (whether the targets were met is in the table), 1
# otherwise. Needs root (namespaces), like the test command.
# Work files go to $BUILD_DIR/bench (default build/bench), about 8 x MIB.
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
# Where the reference stores and places its files, inside its prefix.
least_folder='C:\least'

# Arithmetic on decimals.
calc() { awk "BEGIN { v = ($1); printf \"%.6f\", v }"; }

# Windows path (through Wine's Z: drive) of a Unix path.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

# Paths of the answers with status 200 in the lines of nginx's log from
# line FROM on, sorted.
answered() {  # FROM
  tail -n "+$1" "$ZELTA_VENDOR_STATE/nginx-access.log" 2>/dev/null |
    awk -F'"' '{ split($3, a, " "); if (a[1] == 200) print $4 }' | sort
}
log_lines() { echo $(( $(wc -l < "$ZELTA_VENDOR_STATE/nginx-access.log" 2>/dev/null || echo 0) + 1 )); }

# A fresh copy of the build's prefix, made before anything is timed.
fresh_prefix() {  # NAME
  rm -rf "${wine_dir:?}/$1"
  WINE_HARNESS_PREFIX=$wine_dir/$1 "$harness" prefix "$wine_dir"
}

# The second half runs inside vendor-net.sh's namespace (see the end).
inside() {
  local round status=0
  for ((round = 1; round <= ZELTA_BENCH_ROUNDS; round++)); do
    echo "== round $round of $ZELTA_BENCH_ROUNDS (load $(load_now))"
    run_installer "$round" || status=1
    run_reference "$round" || status=1
    run_tools "$round" || status=1
  done
  return $status
}

load_now() { cut -d' ' -f1-3 /proc/loadavg; }

# 1. The installer, in a fresh prefix: a first installation, nothing to ask.
run_installer() {  # ROUND
  local marks=$bench/marks samples=$bench/samples.$1 result=$bench/result.$1 status=0
  rm -rf "$marks" "$samples" "$samples".*-smaps "$result"
  mkdir -p "$marks"
  fresh_prefix prefix-bench
  local from
  from=$(log_lines)
  # Each timed part starts with nothing waiting to be written.
  sync
  sample_memory "$marks" "$samples" "$1" &
  local sampler=$!
  WINE_HARNESS_PREFIX=$wine_dir/prefix-bench "$harness" run-isolated "$wine_dir" \
    "$build/$winbuild/install_timer.exe" "$(winpath "$build/$winbuild/ZeltaWebInstall.exe")" \
    "$(winpath "$result")" "$(winpath "$marks")" || status=$?
  touch "$marks/done"
  wait "$sampler" || true
  # (The installer asks for the catalogue twice: compared as sets.)
  answered "$from" | sort -u > "$bench/installer-requests.$1"
  tail -n "+$from" "$ZELTA_VENDOR_STATE/nginx-access.log" > "$bench/installer-access.log" 2>/dev/null || true
  [ $status -eq 0 ] || { echo "benchmark: the installation failed" >&2; cat "$result" >&2 || true; }

  # Every installed file must be right, or the times mean nothing.
  local installed=$wine_dir/prefix-bench/drive_c/V92EDemo wrong=0 file
  while IFS= read -r -d '' file; do
    cmp -s "$bench/expect/root/$file" "$installed/$file" || { echo "benchmark: wrong or missing: $file" >&2; wrong=$((wrong + 1)); }
  done < <(cd "$bench/expect/root" && find . -type f -print0)
  echo "wrong=$wrong" >> "$result"
  [ $wrong -eq 0 ] || status=1
  rm -rf "${wine_dir:?}/prefix-bench"
  return $status
}

# 2. The reference, in a fresh prefix as well.
run_reference() {  # ROUND
  local result=$bench/least.$1 status=0 flags=()
  # (ZELTA_BENCH_COOKIES=1: its requests without INTERNET_FLAG_NO_COOKIES)
  [ "${ZELTA_BENCH_COOKIES:-0}" = 1 ] && flags=(--cookies)
  rm -f "$result"
  fresh_prefix prefix-least
  local from
  from=$(log_lines)
  sync
  WINE_HARNESS_PREFIX=$wine_dir/prefix-least "$harness" run-isolated "$wine_dir" \
    "$build/$winbuild/least_installer.exe" "${flags[@]}" "$(winpath "$bench/least.list")" "$(winpath "$result")" ||
    status=$?
  answered "$from" | sort -u > "$bench/least-requests.$1"
  [ $status -eq 0 ] || { echo "benchmark: the reference failed" >&2; cat "$result" >&2 || true; }
  # The same requests as the installer's, and every file placed as stored.
  if ! cmp -s "$bench/installer-requests.$1" "$bench/least-requests.$1"; then
    echo "benchmark: the reference's requests differ from the installer's:" >&2
    diff "$bench/installer-requests.$1" "$bench/least-requests.$1" | head -n 10 >&2 || true
    echo "mismatch=requests" >> "$result"
    status=1
  fi
  local placed=$wine_dir/prefix-least/drive_c/least/root wrong=0 stored target
  while IFS=$'\t' read -r stored target; do
    cmp -s "$stored" "$placed/$target" || { echo "benchmark: reference: wrong or missing: $target" >&2; wrong=$((wrong + 1)); }
  done < "$bench/least.check"
  echo "wrong=$wrong" >> "$result"
  [ $wrong -eq 0 ] || status=1
  rm -rf "${wine_dir:?}/prefix-least"
  return $status
}

# 3. The same files over one connection, then one copy of the fetched tree.
run_tools() {  # ROUND
  local result=$bench/tools.$1 t0 t1 t2
  rm -rf "$bench/curl" "$bench/copy"
  sync
  t0=$(date +%s.%N)
  curl --silent --show-error --fail --create-dirs --config "$bench/curl.config" || return 1
  t1=$(date +%s.%N)
  cp -pR "$bench/curl" "$bench/copy"
  t2=$(date +%s.%N)
  printf 'curl=%s\ncp=%s\n' "$(calc "$t1 - $t0")" "$(calc "$t2 - $t1")" > "$result"
  rm -rf "$bench/curl" "$bench/copy"
}

# Samples VmRSS (KiB) of the installer every 50 ms, labelled by the marks of
# the driver: "boot", "idle" (setup dialog sitting idle), "install", "after".
sample_memory() {  # MARKS OUT ROUND
  local marks=$1 out=$2 round=$3 pid="" phase key value unit i peak=0
  for ((i = 0; i < 72000; i++)); do  # at most an hour
    [ -e "$marks/done" ] && break
    if [ -z "$pid" ] || [ ! -r "/proc/$pid/status" ]; then
      # Only this namespace's processes are in its /proc.
      pid=$(pgrep -f 'ZeltaWebInstall\.exe$' | head -n 1 || true)
      if [ -n "$pid" ] && [ -n "${ZELTA_BENCH_PERF:-}" ] && [ "$round" = 1 ]; then
        # A profile of the installer alone (first round), for `perf report -i FILE`.
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

# The requests of the installer, as curl's configuration (curl.config) and as
# the reference's list (least.list: URL, download path, target path), and
# what the reference is to place (least.check: stored file, target).
write_requests() {  # SITE-URL SITE-FOLDER
  local site=$1 folder=$2 base="$1/VarnelDemo" store="$2/VarnelDemo"
  local download="$least_folder\\download" placed="$least_folder\\root"
  local config=$bench/curl.config list=$bench/least.list check=$bench/least.check
  : > "$config"; : > "$list"; : > "$check"
  request() {  # PATH (below the update folder) [TARGET]
    local windows=${1//\//\\}
    printf 'url = "%s/%s"\noutput = "%s/curl/%s"\n' "$site" "$1" "$bench" "$1" >> "$config"
    printf '%s/%s\t%s\\%s\t%s\n' "$site" "$1" "$download" "$windows" "${2:+$placed$2}" >> "$list"
  }
  request Update.ini
  request VarnelDemo/Disc_01/Install.ini
  local disc d component source target rest
  for disc in $(cut -f1 "$bench/files.tsv" | sort -un); do
    d=$(printf 'Disc_%02d' "$disc")
    request "VarnelDemo/$d/Fajls_$disc.ini"
    [ -f "$store/$d/Fajls_$disc.sha256" ] && request "VarnelDemo/$d/Fajls_$disc.sha256"
    while IFS=$'\t' read -r d component source target rest; do
      [ "$d" = "$disc" ] || continue
      d=$(printf 'Disc_%02d' "$disc")
      source=${source//\\//}
      # Without the target's code ("*?", "*-", "*%": the last one names the
      # Windows folder); every target goes below the same root.
      [ "${target:0:1}" = "*" ] && target=${target:2}
      request "VarnelDemo/$d$source" "$target"
      target=${target//\\//}
      printf '%s\t%s\n' "$store/$d$source" "${target#/}" >> "$check"
    done < "$bench/files.tsv"
  done
  # The program runs with code page 1250, like the installer.
  iconv -f UTF-8 -t CP1250 "$list" > "$list.1250" && mv "$list.1250" "$list"
}

if [ "${1:-}" = "__inside" ]; then
  inside
  exit $?
fi

usage() {
  echo "usage: scripts/benchmark.sh [--http] [--rounds N] [MIB]   (N 1 to 20, default 3; MIB 4 to 4096, default 256)" >&2
  exit 2
}
net=()
export ZELTA_BENCH_HTTP=0
rounds=3
mib=256
while [ $# -gt 0 ]; do
  case $1 in
    # The secure port refused: the installer takes its plain attempt.
    --http) net=(--no-https); ZELTA_BENCH_HTTP=1 ;;
    --rounds) [ $# -ge 2 ] || usage; rounds=$2; shift ;;
    --rounds=*) rounds=${1#--rounds=} ;;
    -*) usage ;;
    *) mib=$1 ;;
  esac
  shift
done
[[ $mib =~ ^[0-9]+$ ]] && [ "$mib" -ge 4 ] && [ "$mib" -le 4096 ] || usage
[[ $rounds =~ ^[0-9]+$ ]] && [ "$rounds" -ge 1 ] && [ "$rounds" -le 20 ] || usage
export ZELTA_BENCH_ROUNDS=$rounds

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
cmake --build "$build/$winbuild" -j"$jobs" --target ZeltaWebInstall install_timer least_installer zelta_sample_product \
  >/dev/null

echo "== making a distribution of $mib MiB"
rm -rf "$bench"
mkdir -p "$bench"
defines=(--define "PRODUCT=$build/$winbuild/zelta_sample_product.exe" --define "FONT=/usr/share/wine/fonts/webdings.ttf")
write_description "$mib" "$bench/bench.dist"
dist=$build/native/zelta-dist
"$dist" "${defines[@]}" list "$bench/bench.dist" > "$bench/files.tsv"
"$dist" "${defines[@]}" site "$bench/bench.dist" "$bench/site"
"$dist" "${defines[@]}" expect "$bench/bench.dist" "$bench/expect"
# Where the installer reads: the web host over HTTPS, or with --http the
# download host over HTTP.
if [ "$ZELTA_BENCH_HTTP" = 1 ]; then
  write_requests "http://$download_host/UpDate-V9.20" "$bench/site/download/UpDate-V9.20"
else
  write_requests "https://$web_host/Download/UpDate-V9.20" "$bench/site/web/Download/UpDate-V9.20"
fi

"$harness" start "$wine_dir"
trap '"$harness" stop "$wine_dir"; rm -rf "${wine_dir:?}/prefix-bench" "${wine_dir:?}/prefix-least"' EXIT
load_before=$(load_now)
echo "== $rounds rounds: ZeltaWebInstall.exe, the reference, curl and cp"
status=0
ZELTA_FAULT_SERVER=$build/native/fault-server \
  "$root/tools/distribution/vendor-net.sh" --site "$bench/site" --state "$bench/state" \
    --web-host "$web_host" --download-host "$download_host" "${net[@]}" -- "$self" __inside || status=$?
load_after=$(load_now)

value() {  # FILE KEY
  awk -v key="$2=" 'index($0, key) == 1 && !done { sub(/\r$/, ""); print substr($0, length(key) + 1); done = 1 }' \
    "$1" 2>/dev/null || true
}
# Phase lines as the driver saw them (Windows-1250; matched on ASCII parts).
phase_at() {  # FILE PART
  awk -v part="$2" '/^phase=/ && index($0, part) && !done { sub(/^phase=/, ""); print $1 + 0; done = 1 }
    END { if (!done) print 0 }' "$1" 2>/dev/null || echo 0
}
# Memory samples: "PHASE VmRSS RssAnon RssFile" (KiB); CPU: "cpu PHASE utime stime".
sampled() {  # FILE AWK-PROGRAM
  awk "$2" "$1" 2>/dev/null || echo 0
}
ticks=$(getconf CLK_TCK 2>/dev/null || echo 100)

# One line per round into $bench/rounds: installer total, download, file
# installation, growth, private growth, CPU, peak, idle; reference total,
# download, copy; curl + cp, curl, cp.
: > "$bench/rounds"
for ((r = 1; r <= rounds; r++)); do
  result=$bench/result.$r least=$bench/least.$r tools=$bench/tools.$r samples=$bench/samples.$r
  seconds=$(value "$result" seconds)
  [ -n "$seconds" ] || { echo "benchmark: round $r: no installer time: $(value "$result" outcome)" >&2; status=1; seconds=0; }
  download_at=$(phase_at "$result" "adatok let"); files_at=$(phase_at "$result" "llom")
  register_at=$(phase_at "$result" "regisztr")
  # (The registration line may pass between two looks; then the end counts.)
  [ "$(calc "$register_at > $files_at")" = "1.000000" ] || register_at=$seconds
  idle=$(sampled "$samples" '$1 == "idle" { v = $2 } END { print v + 0 }')
  idle_anon=$(sampled "$samples" '$1 == "idle" { v = $3 } END { print v + 0 }')
  peak=$(sampled "$samples" '$1 == "install" && $2 > m { m = $2 } END { print m + 0 }')
  peak_anon=$(sampled "$samples" '$1 == "install" && $3 > m { m = $3 } END { print m + 0 }')
  cpu=$(awk -v hz="$ticks" '$1 == "cpu" && $2 == "idle" { a = $3 + $4 } $1 == "cpu" && $2 == "install" { b = $3 + $4 }
    END { printf "%.2f", (b > a ? b - a : 0) / hz }' "$samples" 2>/dev/null || echo 0)
  ref_download=$(value "$least" download); ref_copy=$(value "$least" copy)
  [ -n "$ref_download" ] || { echo "benchmark: round $r: no reference time: $(value "$least" outcome)" >&2; status=1; ref_download=0; ref_copy=0; }
  curl_s=$(value "$tools" curl); cp_s=$(value "$tools" cp)
  [ -n "$curl_s" ] || { curl_s=0; cp_s=0; status=1; }
  [ "$(value "$result" wrong)" = 0 ] && [ "$(value "$least" wrong)" = 0 ] && [ -z "$(value "$least" mismatch)" ] || status=1
  echo "$seconds $(calc "$files_at - $download_at") $(calc "$register_at - $files_at")" \
    "$(calc "($peak - $idle) / 1024") $(calc "($peak_anon - $idle_anon) / 1024") $cpu $(calc "$peak / 1024") $(calc "$idle / 1024")" \
    "$(calc "$ref_download + $ref_copy") $ref_download $ref_copy $(calc "$curl_s + $cp_s") $curl_s $cp_s" >> "$bench/rounds"
done

# Minimum and median of column N of the rounds.
stat_of() {  # N
  awk -v n="$1" '{ print $n }' "$bench/rounds" | sort -g |
    awk '{ v[NR] = $1 } END { if (NR == 0) { print "0 0"; exit }
      m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2; printf "%.6f %.6f\n", v[1], m }'
}
median_of() { stat_of "$1" | cut -d' ' -f2; }
verdict() { awk "BEGIN { v = ($1); if (v) print \"met\"; else print \"MISSED\" }"; }

files=$(wc -l < "$bench/files.tsv")
real_bytes=$(awk -F'\t' '{ s += $5 } END { printf "%d", s }' "$bench/files.tsv")
stored_bytes=$(awk -F'\t' '{ s += $6 } END { printf "%d", s }' "$bench/files.tsv")
protocol=HTTPS
[ "$ZELTA_BENCH_HTTP" = 1 ] && protocol=HTTP
describe_build() {
  case $winbuild in
    win) echo "build/win: the shipped 32-bit program, 32-bit Wine" ;;
    win64) echo "build/win64: the 64-bit build of the same source, 64-bit Wine (no 32-bit programs here)" ;;
  esac
}

echo
printf '%-5s %-28s %-28s %s\n' round "installer (download + files)" "reference (download + copy)" "curl + cp"
r=0
while read -r t td tf g ga c p i rt rd rc ct cc cp; do
  r=$((r + 1))
  printf '%-5s %6.2f s (%5.2f + %5.2f)      %6.2f s (%5.2f + %5.2f)      %5.2f s (%.2f + %.2f)\n' \
    "$r" "$t" "$td" "$tf" "$rt" "$rd" "$rc" "$ct" "$cc" "$cp"
done < "$bench/rounds"
echo
row() {  # LABEL COLUMN UNIT [NOTE]
  local s
  s=$(stat_of "$2")
  printf '%-44s %8.2f %8.2f %-4s %s\n' "$1" "${s% *}" "${s#* }" "$3" "${4:-}"
}
installer=$(median_of 1); reference=$(median_of 9); tools=$(median_of 12)
files_s=$(median_of 3); copy_s=$(median_of 11); growth=$(median_of 4)
ratio=$(calc "$reference > 0 ? $installer / $reference : 0")
files_ratio=$(calc "$copy_s > 0 ? $files_s / $copy_s : 0")
tools_ratio=$(calc "$tools > 0 ? $installer / $tools : 0")
printf '%-44s %s\n' "program measured" "$(describe_build)"
printf '%-44s %s\n' "distribution ($protocol)" "$files files, $real_bytes bytes installed, $stored_bytes bytes transferred"
printf '%-44s %s\n' "rounds (interleaved)" "$rounds; load average before $load_before, after $load_after"
printf '%-44s %8s %8s\n' "" minimum median
row "installer (\"Telepítés\" to success text)" 1 s
row "  download" 2 s
row "  file installation" 3 s
row "reference (least WinINet program)" 9 s
row "  download" 10 s
row "  copy (CopyFileA)" 11 s
row "curl (one connection) + cp -pR" 12 s
row "  curl" 13 s
row "  cp" 14 s
printf '%-44s %17.2f      target <= 1.1: %s\n' "installer / reference (medians)" "$ratio" "$(verdict "$ratio > 0 && $ratio <= 1.1")"
printf '%-44s %17.2f      target <= 1.2: %s\n' "file installation / reference copy (medians)" "$files_ratio" \
  "$(verdict "$files_ratio > 0 && $files_ratio <= 1.2")"
printf '%-44s %17.2f      (native tools: no target)\n' "installer / (curl + cp) (medians)" "$tools_ratio"
printf '%-44s %17.1f MiB/s transferred\n' "installer throughput (median)" "$(calc "$installer > 0 ? $stored_bytes / 1048576 / $installer : 0")"
row "installer CPU time (user + system)" 6 s
row "installer peak resident memory" 7 MiB "(idle setup dialog $(printf '%.1f' "$(median_of 8)") MiB)"
row "growth during the installation" 4 MiB "target <= 8: $(verdict "$growth <= 8")"
row "  of which private (anonymous) memory" 5 MiB "(the rest: mapped libraries, shared memory)"
wrong=$(cat "$bench"/result.[0-9]* 2>/dev/null | awk -F= '$1 == "wrong" { s += $2 } END { print s + 0 }')
ref_wrong=$(cat "$bench"/least.[0-9]* 2>/dev/null | awk -F= '$1 == "wrong" { s += $2 } END { print s + 0 }')
different=$(cat "$bench"/least.[0-9]* 2>/dev/null | grep -c '^mismatch=' || true)
printf '%-44s %s\n' "installed files checked" "$([ "$wrong" -eq 0 ] && echo "all right" || echo "$wrong WRONG")"
printf '%-44s %s\n' "reference's files and requests" \
  "$([ "$ref_wrong" -eq 0 ] && [ "$different" -eq 0 ] && echo "the same as the installer's" ||
    echo "$ref_wrong files WRONG, requests differ in $different rounds")"
exit $status
